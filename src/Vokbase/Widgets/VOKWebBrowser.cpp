#include "VOKWebBrowser.h"

#include "VOKAlertSound.h"
#include "VOKDispatch.h"
#include "VOKLog.h"
#include "VOKString.h"

#include <QDesktopServices>

void vokOpenInWebBrowser(const QUrl &url, std::function<void()> failed)
{
    vokOnMain([url, failed = std::move(failed)] {
        if (QDesktopServices::openUrl(url))
            return;
        VOK_ERROR(QStringLiteral("No handler opened '%1'").arg(url.toString()));
        if (failed)
            failed();
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
