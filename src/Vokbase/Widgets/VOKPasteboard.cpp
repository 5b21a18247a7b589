#include "VOKPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>

void vokCopyToPasteboard(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

void vokCopyToPasteboard(const QUrl &url)
{
    vokCopyToPasteboard(url.toString(QUrl::FullyEncoded));
}
