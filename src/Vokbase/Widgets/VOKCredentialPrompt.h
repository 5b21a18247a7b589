#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLineEdit;

// The sheet that asks for a user name and password: the title as its message, the message
// below it, a user-name field, a masked password field (an unmasked one takes its place while
// "Show Password" is on), and the buttons "Connect" and "Cancel". Return connects, Escape
// cancels. It stores nothing: the completion says what was typed and the caller decides.
//
// The fields are filled with what the credential store holds for the service (when a service is
// given) once the store answers, which may take a while: the sheet shows and takes typing at once,
// and a field the user typed in keeps what was typed. A suggested user name takes the stored one's
// place. The focus is in the user-name field, or in the password field when the user name is
// filled in.
//
// Ownership: the window owns the sheet until it deletes itself after closing. GUI thread.
class VOKCredentialPrompt final : public QDialog
{
    Q_OBJECT

public:
    // Connect: the texts typed and false; otherwise null, null and true.
    using Completion = std::function<void(const QString &username, const QString &password, bool cancelled)>;

    // Shows the sheet on the window; the completion runs exactly once after it closed, also when
    // the window goes away first (then as cancelled).
    static VOKCredentialPrompt *showForWindow(QWidget *window, const QString &title, const QString &message,
                                              const QString &keychainService, Completion completion,
                                              const QString &suggestedUsername = QString());

    // The password field in view.
    QString password() const;

public Q_SLOTS:
    // The "Show Password" check box: swaps the masked and unmasked fields, carrying the text
    // typed so far across.
    void togglePasswordVisibility(bool shown);

private:
    VOKCredentialPrompt(const QString &title, const QString &message);
    void fill(const QString &keychainService, const QString &suggestedUsername);
    void fillStored(const QString &username, const QString &password);
    void focusFirstEmptyField();

    QLineEdit *m_username;
    QLineEdit *m_secureField;
    QLineEdit *m_plainField;
    QCheckBox *m_showPassword;
};
