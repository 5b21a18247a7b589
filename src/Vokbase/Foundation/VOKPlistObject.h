#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

// Base of model classes that are read from and written to property lists (VOKPlistRepresentation.h).
// Any QObject can be filled from a property list; deriving from this class adds the hooks that
// name default classes for nested values and the list of properties to write.
//
// Thread: like any QObject, used on the thread that owns it.
class VOKPlistObject : public QObject
{
    Q_OBJECT

public:
    explicit VOKPlistObject(QObject *parent = nullptr);

    // The class to build for dictionaries inside an array-valued property; a null string for
    // none.
    virtual QString defaultClassNameForArrayPropertyNamed(const QString &name) const;
    // The class to build for a dictionary-valued property; a null string for none.
    virtual QString defaultClassNameForDictionaryPropertyNamed(const QString &name) const;
    // The property names to write. A class that is written must answer them; this base logs an
    // ASSERTION and answers none.
    virtual std::optional<QStringList> plistRepresentationKeys() const;
};
