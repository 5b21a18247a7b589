#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

// A named notification: what happened, who said it, and details.
class VOKNotification
{
    Q_GADGET
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QObject *object READ sender)
    Q_PROPERTY(QVariantMap userInfo MEMBER userInfo)

public:
    QString name;
    QPointer<QObject> object; // the sender, or null for an anonymous notification
    QVariantMap userInfo;

    QObject *sender() const { return object.data(); }
};

// Broadcasts named notifications to VOKNotificationObserver tokens.
//
// Thread: post() may be called from any thread; observers are called on the posting thread
// unless they asked for a delivery context.
class VOKNotificationCenter final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The process-wide centre, created on first use (thread-safe), never destroyed before exit.
    static VOKNotificationCenter &defaultCenter();

    void post(const QString &name, QObject *sender = nullptr, const QVariantMap &userInfo = {});

Q_SIGNALS:
    void posted(const VOKNotification &notification);
};
