#include "VOKVariant.h"

bool vokIsDictionary(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QVariantMap>()
        || value.metaType() == QMetaType::fromType<QVariantHash>();
}

bool vokIsArray(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QVariantList>()
        || value.metaType() == QMetaType::fromType<QStringList>();
}
