#include "VOKUrl.h"

#include "VOKAlertSound.h"
#include "VOKDispatch.h"
#include "VOKLog.h"
#include "VOKString.h"

#include <QDesktopServices>
#include <QThreadPool>

void vokCopyToPasteboard(const QUrl &url)
{
    vokCopyToPasteboard(url.toString(QUrl::FullyEncoded));
}

void vokOpenInWebBrowser(const QUrl &url, std::function<void()> failed)
{
    QThreadPool::globalInstance()->start([url, failed = std::move(failed)]() mutable {
        if (QDesktopServices::openUrl(url))
            return;
        VOK_ERROR(QStringLiteral("No handler opened '%1'").arg(url.toString()));
        if (failed)
            vokOnMain(std::move(failed));
    });
}

void vokOpenInWebBrowser(const QString &text)
{
    const auto url = vokUrl(text);
    if (!url) {
        VOK_ERROR(QStringLiteral("Can't produce URL from '%1'").arg(text));
        VOKAlertSound::play();
        return;
    }
    vokOpenInWebBrowser(*url);
}

QString vokServerUrlString(const QString &scheme, const QString &host, std::optional<int> port)
{
    const bool bracketed = host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'));
    const QString shownHost = host.contains(QLatin1Char(':')) && !bracketed ? QStringLiteral("[%1]").arg(host) : host;
    const QString server = QStringLiteral("%1://%2").arg(scheme, shownHost);
    return port ? QStringLiteral("%1:%2").arg(server).arg(*port) : server;
}
