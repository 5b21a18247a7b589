#include "VOKCollections.h"

void vokAdd(QVariantMap &dictionary, const QString &key, const QVariant &value)
{
    if (key.isNull() || !value.isValid())
        return;
    dictionary.insert(key, value);
}
