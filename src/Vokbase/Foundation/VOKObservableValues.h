#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

// An object that answers values by free-form key, like a dictionary, and says when one changes.
// Key paths read through it ("values.VOKRecents" on the preferences) and observation tokens
// watch single keys of it.
//
// Thread: lives on and is used from the thread that owns it (the GUI thread for preferences).
class VOKObservableValues : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The value under the key, or an invalid QVariant when there is none.
    virtual QVariant valueForKey(const QString &key) const = 0;

Q_SIGNALS:
    // Emitted after the value under the key changed.
    void valueChanged(const QString &key);
};
