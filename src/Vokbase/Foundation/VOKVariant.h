#pragma once

#include <QVariant>

// What kind of container a value holds, as JSON and property lists see them. Any thread.

// A QVariantMap or QVariantHash.
bool vokIsDictionary(const QVariant &value);
// A QVariantList or QStringList.
bool vokIsArray(const QVariant &value);
