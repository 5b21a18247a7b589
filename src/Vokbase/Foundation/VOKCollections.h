#pragma once

#include <QString>
#include <QVariantMap>

// Stores the value under the key only when both are present (a non-null key, a valid value);
// otherwise leaves the dictionary as it is. The dictionary is the caller's; any thread.
void vokAdd(QVariantMap &dictionary, const QString &key, const QVariant &value);
