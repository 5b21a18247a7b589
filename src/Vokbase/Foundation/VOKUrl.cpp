#include "VOKUrl.h"

QString vokServerUrlString(const QString &scheme, const QString &host, std::optional<int> port)
{
    const bool bracketed = host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'));
    const QString shownHost = host.contains(QLatin1Char(':')) && !bracketed ? QStringLiteral("[%1]").arg(host) : host;
    const QString server = QStringLiteral("%1://%2").arg(scheme, shownHost);
    return port ? QStringLiteral("%1:%2").arg(server).arg(*port) : server;
}
