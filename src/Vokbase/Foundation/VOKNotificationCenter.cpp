#include "VOKNotificationCenter.h"

VOKNotificationCenter &VOKNotificationCenter::defaultCenter()
{
    static VOKNotificationCenter center;
    return center;
}

void VOKNotificationCenter::post(const QString &name, QObject *sender, const QVariantMap &userInfo)
{
    Q_EMIT posted(VOKNotification{name, sender, userInfo});
}
