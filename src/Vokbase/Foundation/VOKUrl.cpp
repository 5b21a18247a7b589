#include "VOKUrl.h"

#include "VOKAlertSound.h"
#include "VOKLog.h"
#include "VOKString.h"

#include <QDesktopServices>
#include <QThreadPool>

void vokCopyToPasteboard(const QUrl &url)
{
    vokCopyToPasteboard(url.toString(QUrl::FullyEncoded));
}

void vokOpenInWebBrowser(const QUrl &url)
{
    QThreadPool::globalInstance()->start([url] {
        if (!QDesktopServices::openUrl(url))
            VOK_ERROR(QStringLiteral("No handler opened '%1'").arg(url.toString()));
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
