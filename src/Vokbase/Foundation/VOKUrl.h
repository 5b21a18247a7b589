#pragma once

#include <QUrl>

#include <functional>

// Helpers on URLs.

// Puts the URL's full text on the clipboard as plain text. GUI thread only.
void vokCopyToPasteboard(const QUrl &url);

// Opens the URL with the system's default handler. The opening is issued from a background
// thread, so the caller never waits for the handler to start. When no handler takes the URL,
// an ERROR line is logged and `failed` (when given) runs on the main thread. Callable from any
// thread.
void vokOpenInWebBrowser(const QUrl &url, std::function<void()> failed = {});
