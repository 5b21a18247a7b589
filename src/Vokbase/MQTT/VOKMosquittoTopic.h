#pragma once

#include "VOKMosquittoMessage.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <mutex>

class VOKMosquittoClient;
class VOKMosquittoTopicMatch;

// A topic filter registered with a client together with a callback: the client subscribes the
// filter on every connect and hands it every received message; the callback runs for those that
// match (VOKMosquittoTopicMatch). A filter can also publish below its own prefix.
//
// Create it with std::make_shared. The client keeps a shared reference while it is registered;
// the filter refers to its client without owning it.
//
// Threads: handleMessage runs on the client's network thread, and so does the callback; the other
// functions run on the client's owner thread. unregister may race with handleMessage: a message
// being handled then either reaches the callback or not, but never an emptied one.
class VOKMosquittoTopic : public std::enable_shared_from_this<VOKMosquittoTopic>
{
public:
    using Callback = std::function<void(const VOKMosquittoTopicMatch &match)>;

    // A prefix that ends in "/" listens to everything below it.
    VOKMosquittoTopic(const QString &topicPrefix, Callback callback);

    VOKMosquittoTopic(const VOKMosquittoTopic &) = delete;
    VOKMosquittoTopic &operator=(const VOKMosquittoTopic &) = delete;

    QString topicPrefix() const { return m_topicPrefix; }
    // The filter subscribed to and matched against: the prefix, with "#" after a trailing "/".
    QString topic() const;
    bool hasCallback() const;
    VOKMosquittoClient *mqttClient() const;
    // Set by VOKMosquittoClient::registerTopic.
    void setMqttClient(VOKMosquittoClient *client);

    // Calls the callback when the message matches. Without a callback nothing is matched.
    void handleMessage(const VOKMosquittoMessagePtr &message) const;
    // Unregisters from the client (which unsubscribes) and drops the callback.
    void unregister();

    // Publishes through the client (QoS 0, queued while offline) to the prefix immediately
    // followed by the sub-topic: no separator is added.
    void publishTopic(const QString &subTopic, const QByteArray &data, bool retain) const;
    // The value (an object or an array) as compact JSON. A value that is neither is logged and
    // not published, so a retained message is never replaced by an empty one by mistake.
    void publishTopicJSON(const QString &subTopic, const QVariant &value, bool retain) const;
    void publishTopicString(const QString &subTopic, const QString &text, bool retain) const;
    // The number as text, in its shortest exact form ("42", "42.5").
    void publishTopicNumber(const QString &subTopic, double number, bool retain) const;

    // "<VOKMosquittoTopic: address>  a/b/#"
    QString description() const;

private:
    Callback callback() const;

    const QString m_topicPrefix;
    mutable std::mutex m_mutex;
    Callback m_callback;
    QPointer<VOKMosquittoClient> m_client;
};
