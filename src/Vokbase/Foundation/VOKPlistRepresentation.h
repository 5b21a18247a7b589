#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>

// Between model objects and property lists (the dictionaries, arrays, strings, numbers and nulls
// that JSON parses into, see VOKJSON.h).
//
// A dictionary names its class with "__CLASS", or the reader supplies a default class; classes
// are looked up in VOKClassRegistry. Objects made are children of `parent` (nested objects are
// children of the object that holds them); with a null parent the caller owns them. Failures are
// logged and answered as none (an invalid QVariant).
//
// Thread: the caller's; objects are used on the thread that owns them.

// Reading.
// Strings, numbers and null answer themselves, arrays map over their elements, a dictionary is
// read with no default class.
QVariant vokObjectRepresentation(const QVariant &plist, QObject *parent);
// A dictionary or an array read with a default class (a null string for none).
QVariant vokObjectRepresentationUsingDefaultClassName(const QVariant &plist, const QString &className,
                                                      QObject *parent);
// Sets the object's properties from the dictionary (every key but "__CLASS").
void vokUpdateWithPlistRepresentation(QObject *object, const QVariantMap &plist);
// Sets a property by name when the object has it; otherwise logs a WARNING once per class and
// name and sets nothing.
void vokSafeSetValue(QObject *object, const QVariant &value, const QString &key);

// Writing.
// Strings and numbers answer themselves, arrays and dictionaries map over their values
// ("description" is written as "_description"), a VOKSortDescriptor writes its archive, a model
// object writes its plistRepresentationKeys (VOKPlistObject).
QVariant vokPlistRepresentation(const QVariant &value);
// "__CLASS" and the plist of each named property that has a value.
QVariantMap vokPlistRepresentationForKeys(const QObject *object, const QStringList &keys);
