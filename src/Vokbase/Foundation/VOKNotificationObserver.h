#pragma once

#include "VOKNotificationCenter.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

// A named-notification token: calls back for every notification of a name (from one sender,
// or from any when no sender is given) while the observing object lives.
//
// Ownership: the caller owns the token; the observing object and the sender are not owned.
// Delivery stops on invalidate(), when the token is destroyed, or when the observing object
// is destroyed. Thread: create and destroy on the observing object's thread; see
// VOKNotificationCenter for the thread callbacks run on.
class VOKNotificationObserver final : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(QObject *observing, const VOKNotification &notification,
                                        VOKNotificationObserver *token)>;

    VOKNotificationObserver(QObject *observing, const QString &name, QObject *sender, Callback callback,
                            QObject *deliveryContext = nullptr,
                            VOKNotificationCenter &center = VOKNotificationCenter::defaultCenter());
    ~VOKNotificationObserver() override;

    void invalidate();
    bool isValid() const { return !m_observing.isNull(); }
    QObject *observingObject() const { return m_observing; }

private:
    bool matches(const VOKNotification &notification) const;
    void receive(const VOKNotification &notification);

    QPointer<QObject> m_observing;
    QString m_name;
    QPointer<QObject> m_sender;
    bool m_anySender;
    Callback m_callback;
    QPointer<QObject> m_deliveryContext;
    QMetaObject::Connection m_connection;
};

using VOKNotificationObserverPtr = std::unique_ptr<VOKNotificationObserver>;

// Observes notifications named `name` from `sender` (any sender when null) for `observing`.
VOKNotificationObserverPtr vokObserveNotificationNamed(QObject *observing, const QString &name,
                                                       QObject *sender,
                                                       VOKNotificationObserver::Callback callback);
// Delivers asynchronously on the thread of `deliveryContext`.
VOKNotificationObserverPtr vokObserveNotificationNamed(QObject *observing, const QString &name,
                                                       QObject *sender, QObject *deliveryContext,
                                                       VOKNotificationObserver::Callback callback);

// Calls a method of the observing object with the notification.
template <typename Observing>
VOKNotificationObserverPtr vokObserveNotificationNamed(Observing *observing, const QString &name,
                                                       QObject *sender,
                                                       void (Observing::*method)(const VOKNotification &))
{
    return vokObserveNotificationNamed(observing, name, sender,
                                       [method](QObject *target, const VOKNotification &notification,
                                                VOKNotificationObserver *) {
                                           (static_cast<Observing *>(target)->*method)(notification);
                                       });
}
