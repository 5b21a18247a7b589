#include "VOKNotificationObserver.h"

VOKNotificationObserver::VOKNotificationObserver(QObject *observing, const QString &name, QObject *sender,
                                                 Callback callback, QObject *deliveryContext,
                                                 VOKNotificationCenter &center)
    : m_observing(observing)
    , m_name(name)
    , m_sender(sender)
    , m_anySender(sender == nullptr)
    , m_callback(std::move(callback))
    , m_deliveryContext(deliveryContext)
{
    if (!observing)
        return;
    m_connection = connect(&center, &VOKNotificationCenter::posted, this, &VOKNotificationObserver::receive,
                           Qt::DirectConnection);
}

VOKNotificationObserver::~VOKNotificationObserver()
{
    invalidate();
}

void VOKNotificationObserver::invalidate()
{
    disconnect(m_connection);
    m_observing.clear();
}

bool VOKNotificationObserver::matches(const VOKNotification &notification) const
{
    if (notification.name != m_name)
        return false;
    // A sender that is gone can no longer post, and no new object may take its place.
    return m_anySender || (m_sender && notification.object == m_sender);
}

void VOKNotificationObserver::receive(const VOKNotification &notification)
{
    if (!m_callback || !isValid() || !matches(notification))
        return;
    if (!m_deliveryContext) {
        const Callback callback = m_callback;
        callback(m_observing, notification, this);
        return;
    }
    QMetaObject::invokeMethod(
        m_deliveryContext,
        [token = QPointer<VOKNotificationObserver>(this), notification] {
            if (token && token->isValid())
                token->m_callback(token->m_observing, notification, token);
        },
        Qt::QueuedConnection);
}

VOKNotificationObserverPtr vokObserveNotificationNamed(QObject *observing, const QString &name,
                                                       QObject *sender,
                                                       VOKNotificationObserver::Callback callback)
{
    return vokObserveNotificationNamed(observing, name, sender, nullptr, std::move(callback));
}

VOKNotificationObserverPtr vokObserveNotificationNamed(QObject *observing, const QString &name,
                                                       QObject *sender, QObject *deliveryContext,
                                                       VOKNotificationObserver::Callback callback)
{
    return std::make_unique<VOKNotificationObserver>(observing, name, sender, std::move(callback),
                                                     deliveryContext);
}
