#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Opening URLs with the system's default handler.
//
// Callable from any thread: the handler is asked on the GUI thread (the only thread the desktop
// services may be used on), where it is started detached, so no caller waits for it.

// When no handler takes the URL, an ERROR line is logged and `failed` (when given) runs on the
// GUI thread.
void vokOpenInWebBrowser(const QUrl &url, std::function<void()> failed = {});

// The URL in the string; a string that is not a URL logs an error and beeps.
void vokOpenInWebBrowser(const QString &text);
