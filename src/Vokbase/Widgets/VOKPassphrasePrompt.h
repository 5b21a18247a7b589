#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// The sheet that asks for the passphrase of an encrypted client key: "Client Key Passphrase",
// which server's key it is, a masked field and the buttons "OK" and "Cancel". Return answers OK,
// Escape cancels. After a rejected passphrase it says so first. It stores nothing: the caller
// keeps the passphrase where it belongs (never in a log line or a plain file).
//
// GUI thread.
class VOKPassphrasePrompt
{
public:
    // OK: the text typed and false; otherwise null and true.
    using Completion = std::function<void(const QString &passphrase, bool cancelled)>;

    VOKPassphrasePrompt() = delete;

    // The completion runs exactly once, after the sheet closed; a window that goes away first
    // ends it as cancelled. Answers the alert, which the window owns until it deletes itself.
    static QMessageBox *showForWindow(QWidget *window, const QString &host, int port, bool rejected,
                                      Completion completion);
};
