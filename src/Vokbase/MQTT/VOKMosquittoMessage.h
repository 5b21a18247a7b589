#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <memory>

struct mosquitto_message;

// One message received from a broker: topic, payload, QoS, retain flag, the library's message
// identifier and the moment it arrived.
//
// An immutable record, shared as VOKMosquittoMessagePtr between the network thread that builds it
// and the main thread that files it; every function may be called from any thread. Subclasses add
// their own analysis in their constructor (every field is set by then) and are made by the
// client's createMessage.
class VOKMosquittoMessage
{
    Q_GADGET
    Q_PROPERTY(bool isRetained READ isRetained)
    Q_PROPERTY(int mid READ mid)
    Q_PROPERTY(int qos READ qos)
    Q_PROPERTY(QString topic READ topic)
    Q_PROPERTY(QByteArray data READ data)
    Q_PROPERTY(QDateTime created READ created)
    Q_PROPERTY(QString payload READ payload)
    Q_PROPERTY(double payloadAsDouble READ payloadAsDouble)
    Q_PROPERTY(QVariant json READ json)
    Q_PROPERTY(QVariant jsonF READ jsonF)
    Q_PROPERTY(QString isRetainedDisplay READ isRetainedDisplay)
    Q_PROPERTY(QString description READ description)

public:
    // Copies everything it needs out of the library's message; the message may be freed after.
    // `created` comes from VOKClock.
    explicit VOKMosquittoMessage(const mosquitto_message &message);
    // The same with the topic already decoded (null when its bytes are not UTF-8), so a subclass
    // can share one topic string between all messages of a topic.
    VOKMosquittoMessage(const mosquitto_message &message, const QString &topic);
    // A message made again from what a store kept of it; an empty payload is stored as none.
    VOKMosquittoMessage(const QString &topic, const QByteArray &data, qint64 createdMSecs, int qos, bool retained,
                        int mid);
    virtual ~VOKMosquittoMessage();

    VOKMosquittoMessage(const VOKMosquittoMessage &) = delete;
    VOKMosquittoMessage &operator=(const VOKMosquittoMessage &) = delete;

    bool isRetained() const { return m_isRetained; }
    int mid() const { return m_mid; }
    int qos() const { return m_qos; }
    // Null when the topic bytes are not valid UTF-8.
    QString topic() const { return m_topic; }
    // Null for a zero-length payload.
    const QByteArray &data() const { return m_data; }
    // Local time.
    QDateTime created() const { return QDateTime::fromMSecsSinceEpoch(m_createdMSecs); }
    // The same as a number: cheap where millions of messages are read.
    qint64 createdMSecsSinceEpoch() const { return m_createdMSecs; }

    // The payload as text; null without a payload or when it is not valid UTF-8.
    QString payload() const;
    // The number at the start of the payload text (leading white space skipped), else 0.
    double payloadAsDouble() const;
    // The payload parsed as a JSON object or array; invalid without a payload or when it does not
    // parse (the parse error is logged).
    QVariant json() const;
    // Like json, but a single top-level value such as 42 or "text" is accepted too.
    QVariant jsonF() const;
    // Markup for the retained marker ("[s:r.square]"), null when the message is not retained.
    QString isRetainedDisplay() const;

    // "<Class: address>  topic qos 1 retained: payload"
    virtual QString description() const;
    // The gadget type of the record, for descriptions and property lookup of subclasses.
    virtual const QMetaObject *gadgetMetaObject() const { return &staticMetaObject; }

private:
    // Every stored message carries these: kept small and packed.
    qint64 m_createdMSecs;
    QString m_topic;
    QByteArray m_data;
    int m_mid = 0;
    qint8 m_qos = 0;
    bool m_isRetained = false;
};

using VOKMosquittoMessagePtr = std::shared_ptr<const VOKMosquittoMessage>;

Q_DECLARE_METATYPE(VOKMosquittoMessagePtr)

// Lets key paths such as "latestMessage.payload" read through shared messages. Call once at
// start-up, on any thread.
void vokRegisterMosquittoMessageType();
