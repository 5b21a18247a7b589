#pragma once

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <optional>

// Where an mqtt:// or mqtts:// URL leads: a viewer on a server and topic path, or - when the URL
// has a query - a publish window with the values of its query items. Parsing logs what the URL
// gets wrong (an unknown scheme, an unparsable URL, a missing host, a port outside 1...65535, an
// unknown query item with a beep) the way opening it does; all but the unknown item lead
// nowhere. Percent-encoding that is not UTF-8 decodes to replacement characters. A URL's password
// never reaches a log line.
//
// A plain value; GUI thread (it may beep).
class VDLURLRoute
{
public:
    enum class Target { None, Viewer, PublishWindow };

    static constexpr int defaultPort = 1883;
    static constexpr int defaultTLSPort = 8883;
    static constexpr int minimumPort = 1;
    static constexpr int maximumPort = 65535;

    static VDLURLRoute fromUrl(const QUrl &url);
    // A URL given as text (command line, another launch). The scheme must be exactly "mqtt" or
    // "mqtts": a parsed URL no longer tells "MQTT" from "mqtt", so the text is checked first,
    // and anything else is refused here with the "Unknown scheme" ERROR line.
    static std::optional<QUrl> urlFromText(const QString &text);

    Target target() const { return m_target; }
    QString host() const { return m_host; }
    int port() const { return m_port; }
    // The topic path: percent-decoded, without the leading "/" and one trailing "/".
    QString path() const { return m_path; }
    bool useTLS() const { return m_useTLS; }
    // Publish at once (the "publish" item read as a boolean).
    bool publishNow() const { return m_publishNow; }
    // The URL's user info, percent-decoded: a user name to log in with, and its password (null
    // when the URL has none). Never part of the window description.
    QString userName() const { return m_userName; }
    QString password() const { return m_password; }

    // What identifies the window: for a viewer "host", "port", "path", "useTLS"; for a publish
    // window the query's key paths ("pm.value", "pm.qos", "pm.doRetain", "errString") plus
    // "host", "port" and "pm.path".
    QVariantMap windowDescription() const;

private:
    void readItem(const QString &name, const QString &value);

    Target m_target = Target::None;
    QString m_host;
    int m_port = defaultPort;
    QString m_path;
    bool m_useTLS = false;
    bool m_publishNow = false;
    QString m_userName;
    QString m_password;
    QVariantMap m_queryValues;
};
