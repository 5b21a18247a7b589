#pragma once

#include <QFlags>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// What an observation callback learns about a change.
struct VOKKVOChange
{
    QVariant newValue; // the value at the key path after the change (invalid for none)
    QVariant oldValue; // the value before it, when VOKKVOOption::Old was asked for
    bool isInitial = false; // the delivery made at creation for VOKKVOOption::Initial
};

enum class VOKKVOOption {
    New = 0x1,
    Old = 0x2,
    Initial = 0x4, // deliver once at creation, synchronously, before the creating call returns
};
Q_DECLARE_FLAGS(VOKKVOOptions, VOKKVOOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(VOKKVOOptions)

// A property-observation token: watches the value at a key path ("selectedTopic.path") of an
// observed object on behalf of an observer, and calls back after every change.
//
// Every level of the key path that is a QObject property with a NOTIFY signal, or a key of a
// VOKObservableValues, is watched; when an intermediate object is replaced, the levels below
// follow the new one. Values below a level that is not a QObject (a gadget, a dictionary) are
// read, not watched: their container's change covers them.
//
// Ownership: the caller owns the token (usually through std::unique_ptr); neither observer nor
// observed object is owned. The observation ends on invalidate(), when the token is destroyed,
// or when the observer or the observed object is destroyed.
//
// Thread: create and destroy the token on the thread that owns both objects. Callbacks run on
// the thread that changed the property, or queued to the delivery context's thread when one is
// given.
class VOKKVOBlock final : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(QObject *observer, const VOKKVOChange &change, VOKKVOBlock *token)>;

    VOKKVOBlock(QObject *observed, QObject *observer, const QString &keyPath, VOKKVOOptions options,
                Callback callback, QObject *deliveryContext = nullptr);
    ~VOKKVOBlock() override;

    // Ends the observation at once. Idempotent.
    void invalidate();
    bool isValid() const { return !m_observed.isNull(); }

    QObject *observer() const { return m_observer; }
    QObject *observedObject() const { return m_observed; }
    QString keyPath() const { return m_keyPath; }
    VOKKVOOptions options() const { return m_options; }

private Q_SLOTS:
    void propertyNotified();

private:
    struct Level
    {
        QPointer<QObject> object;
        int signalIndex = -1;
        QList<QMetaObject::Connection> connections;
    };

    void hookFrom(int level);
    bool attachObjectAt(int level);
    void hookLevel(int level);
    void unhookFrom(int level);
    void levelChanged(int level);
    QVariant currentValue() const;
    void deliver(const VOKKVOChange &change);
    void warnAboutSelfObservation() const;

    QPointer<QObject> m_observed;
    QPointer<QObject> m_observer;
    QString m_keyPath;
    QStringList m_keys;
    VOKKVOOptions m_options;
    Callback m_callback;
    QPointer<QObject> m_deliveryContext;
    QList<Level> m_levels;
    QVariant m_lastValue;
    QList<QMetaObject::Connection> m_lifetimeConnections;
};

using VOKKVOBlockPtr = std::unique_ptr<VOKKVOBlock>;

// Observes the key path of `observed` for `observer`; see VOKKVOBlock.
VOKKVOBlockPtr vokAddObserver(QObject *observed, QObject *observer, const QString &keyPath,
                              VOKKVOBlock::Callback callback);
VOKKVOBlockPtr vokAddObserver(QObject *observed, QObject *observer, const QString &keyPath,
                              VOKKVOOptions options, VOKKVOBlock::Callback callback);
// Delivers asynchronously on the thread of `deliveryContext`; nothing is delivered once the
// token or the context is gone.
VOKKVOBlockPtr vokAddObserver(QObject *observed, QObject *observer, const QString &keyPath,
                              VOKKVOOptions options, QObject *deliveryContext,
                              VOKKVOBlock::Callback callback);

// Calls a method of the observer with (token, change, observed object) instead of a callback.
template <typename Observer>
VOKKVOBlockPtr vokAddObserver(QObject *observed, Observer *observer, const QString &keyPath,
                              void (Observer::*method)(VOKKVOBlock *, const VOKKVOChange &, QObject *),
                              VOKKVOOptions options = {})
{
    return vokAddObserver(observed, observer, keyPath, options,
                          [method](QObject *target, const VOKKVOChange &change, VOKKVOBlock *token) {
                              (static_cast<Observer *>(target)->*method)(token, change,
                                                                         token->observedObject());
                          });
}
