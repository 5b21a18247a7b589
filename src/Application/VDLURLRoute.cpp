#include "VDLURLRoute.h"

#include "VOKLog.h"
#include "VOKString.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

// A query item: its name, and its value unless it had no "=".
struct QueryItem
{
    QString name;
    QString value; // null without "="
};

QList<QueryItem> queryItems(const QString &encodedQuery)
{
    QList<QueryItem> items;
    for (const QString &piece : encodedQuery.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        // Percent-decoded, but "+" stays a plus: these are not HTML form values.
        const auto decoded = [](const QString &text) { return QUrl::fromPercentEncoding(text.toUtf8()); };
        if (equals < 0)
            items.append({decoded(piece), QString()});
        else
            items.append({decoded(piece.left(equals)), decoded(piece.mid(equals + 1))});
    }
    return items;
}

// Huge numbers stay out of range instead of wrapping round to a valid level.
int qosValue(const QString &text)
{
    return int(std::clamp<qint64>(vokIntegerValue(text), std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

// Text for a log line: the passwords of the URLs in it left out, also where a parser's error
// names the user info ("userinfo = "user:password"").
QString loggable(const QString &text)
{
    static const QRegularExpression inUrl(QStringLiteral("(://[^:/?#@\\s\"]*):[^/?#\\s\"]*@"));
    static const QRegularExpression inUserInfo(QStringLiteral("(userinfo = \"[^:\"]*):[^\"]*\""));
    return QString(text).replace(inUrl, QStringLiteral("\\1@")).replace(inUserInfo, QStringLiteral("\\1\""));
}

QString loggable(const QUrl &url)
{
    return url.toString(QUrl::RemovePassword);
}

} // namespace

std::optional<QUrl> VDLURLRoute::urlFromText(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString scheme = colon < 0 ? QString() : text.left(colon);
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")) {
        VOK_ERROR(QStringLiteral("Unknown scheme in URL '%1'").arg(loggable(text)));
        return std::nullopt;
    }
    return QUrl(text);
}

VDLURLRoute VDLURLRoute::fromUrl(const QUrl &url)
{
    VDLURLRoute route;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("mqtts"))
        route.m_useTLS = true;
    else if (scheme != QLatin1String("mqtt")) {
        VOK_ERROR(QStringLiteral("Unknown scheme in URL '%1'").arg(loggable(url)));
        return route;
    }
    // An unparsable URL has no text of its own; its error names the source instead. Its parts
    // are unreliable: port() answers -1 for a port out of range, which would read as "default".
    if (!url.isValid()) {
        VOK_ERROR(QStringLiteral("Invalid URL: %1").arg(loggable(url.errorString())));
        return route;
    }
    route.m_host = url.host();
    if (route.m_host.isEmpty()) {
        VOK_ERROR(QStringLiteral("No host in URL '%1'").arg(loggable(url)));
        return route;
    }
    route.m_port = url.port(route.m_useTLS ? defaultTLSPort : defaultPort);
    if (route.m_port < minimumPort || route.m_port > maximumPort) {
        VOK_ERROR(QStringLiteral("Invalid port in URL '%1'").arg(loggable(url)));
        return route;
    }
    route.m_userName = url.userName(QUrl::FullyDecoded);
    route.m_password = url.password(QUrl::FullyDecoded);
    QString path = url.path(QUrl::FullyDecoded);
    if (path.size() > 1)
        path = vokStringByRemovingSuffix(path, QStringLiteral("/"));
    route.m_path = vokStringByRemovingPrefix(path, QStringLiteral("/"));

    const QList<QueryItem> items = queryItems(url.query(QUrl::FullyEncoded));
    route.m_target = items.isEmpty() ? Target::Viewer : Target::PublishWindow;
    for (const QueryItem &item : items)
        route.readItem(item.name, item.value);
    return route;
}

void VDLURLRoute::readItem(const QString &name, const QString &value)
{
    if (name == QLatin1String("publish")) {
        m_publishNow = vokBoolValue(value);
        return;
    }
    if (name == QLatin1String("value") || name == QLatin1String("qos") || name == QLatin1String("retain")) {
        if (value.isNull())
            return;
        if (name == QLatin1String("value"))
            m_queryValues.insert(QStringLiteral("pm.value"), value);
        else if (name == QLatin1String("qos"))
            m_queryValues.insert(QStringLiteral("pm.qos"), qosValue(value));
        else
            m_queryValues.insert(QStringLiteral("pm.doRetain"), vokBoolValue(value));
        return;
    }
    const QString text = QStringLiteral("Unknown query item '%1'").arg(name);
    VOK_WARNING(QStringLiteral("Beep: %1").arg(text));
    m_queryValues.insert(QStringLiteral("errString"), text);
}

QVariantMap VDLURLRoute::windowDescription() const
{
    if (m_target == Target::PublishWindow) {
        QVariantMap description = m_queryValues;
        description.insert(QStringLiteral("host"), m_host);
        description.insert(QStringLiteral("port"), m_port);
        description.insert(QStringLiteral("pm.path"), m_path);
        return description;
    }
    if (m_target == Target::Viewer) {
        return {{QStringLiteral("host"), m_host},
                {QStringLiteral("port"), m_port},
                {QStringLiteral("path"), m_path},
                {QStringLiteral("useTLS"), m_useTLS}};
    }
    return {};
}
