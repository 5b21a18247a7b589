#include "VDLPublishLinkPermissions.h"

#include "VOKPreferences.h"

#include <QStringList>

namespace {

const QString key = QStringLiteral("VDLPublishLinksAlwaysAllowed");

QString serverText(const QString &host, int port)
{
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QStringList allowedServers()
{
    QStringList servers;
    for (const QVariant &server : VOKPreferences::standard().arrayForKey(key))
        servers.append(server.toString());
    return servers;
}

} // namespace

namespace VDLPublishLinkPermissions {

bool isAlwaysAllowed(const QString &host, int port)
{
    return allowedServers().contains(serverText(host, port));
}

void setAlwaysAllowed(const QString &host, int port, bool allowed)
{
    QStringList servers = allowedServers();
    servers.removeAll(serverText(host, port));
    if (allowed)
        servers.append(serverText(host, port));
    VOKPreferences::standard().setObject(servers, key);
}

} // namespace VDLPublishLinkPermissions
