#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Helpers on URLs.

// Puts the URL's full text on the clipboard as plain text. GUI thread only.
void vokCopyToPasteboard(const QUrl &url);

// Opens the URL with the system's default handler. The opening is issued from a background
// thread, so the caller never waits for the handler to start. When no handler takes the URL,
// an ERROR line is logged and `failed` (when given) runs on the main thread. Callable from any
// thread.
void vokOpenInWebBrowser(const QUrl &url, std::function<void()> failed = {});

// "scheme://host:port" for a server, the start of every URL built from a host and a port. An IPv6
// address is put in brackets (a host bracketed already stays as it is); without a port there is
// no ":port". The host is taken as it is, so callers check the URL they build from it.
QString vokServerUrlString(const QString &scheme, const QString &host, std::optional<int> port);
