#pragma once

#include <QString>
#include <QUrl>

// The clipboard. GUI thread only.

// Replaces the clipboard's content with the text.
void vokCopyToPasteboard(const QString &text);

// Puts the URL's full text on the clipboard as plain text.
void vokCopyToPasteboard(const QUrl &url);
