#pragma once

#include <QUrl>

// Helpers on URLs.

// Puts the URL's full text on the clipboard as plain text. GUI thread only.
void vokCopyToPasteboard(const QUrl &url);

// Opens the URL with the system's default handler. The opening is issued from a background
// thread, so the caller never waits for the handler to start. Callable from any thread.
void vokOpenInWebBrowser(const QUrl &url);
