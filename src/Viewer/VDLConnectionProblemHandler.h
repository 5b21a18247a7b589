#pragma once

#include <QObject>
#include <QString>

class QWidget;
class VDLClient;

// How a viewer answers the connection problems its client reports: a refused login asks for
// credentials, a certificate that fails verification asks whether to trust the server (showing
// the certificate; trust is pinned to the certificate shown), a broker that wants a client
// certificate asks for one, and an encrypted client key asks for its passphrase. Each answer is
// stored through the client and followed by a reconnect. A prompt raised by the client's own
// failure closes the window when cancelled; one the user asked for leaves it open. Why a
// certificate or key file cannot be used is handed on (tlsSetupFailed) for the status to show.
//
// One prompt of each kind at a time: a request that arrives while its prompt is open is dropped,
// so a client that keeps failing while the user types does not stack prompts. Prompts are sheets
// on the window of the view given at construction. An answer that arrives after the client or
// this handler went away does nothing.
//
// Ownership: a child of its view; the client is not owned. GUI thread.
class VDLConnectionProblemHandler final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isShowingCredentialPrompt READ isShowingCredentialPrompt)
    Q_PROPERTY(bool isShowingTLSPrompt READ isShowingTLSPrompt)
    Q_PROPERTY(bool isShowingmTLSPrompt READ isShowingmTLSPrompt)
    Q_PROPERTY(bool isShowingPassphrasePrompt READ isShowingPassphrasePrompt)

public:
    explicit VDLConnectionProblemHandler(QWidget *view);

    bool isShowingCredentialPrompt() const { return m_isShowingCredentialPrompt; }
    bool isShowingTLSPrompt() const { return m_isShowingTLSPrompt; }
    bool isShowingmTLSPrompt() const { return m_isShowingmTLSPrompt; }
    bool isShowingPassphrasePrompt() const { return m_isShowingPassphrasePrompt; }
    // A user name for the credential prompt to start with (a URL's user info), in place of the
    // stored one. Empty: the stored one.
    void setSuggestedUsername(const QString &username) { m_suggestedUsername = username; }

    // The client's reports, as the viewer's client delegate receives them.
    void clientConnectionFailedWithReason(VDLClient *client, int reason);
    void clientRequestsCredentialPrompt(VDLClient *client);
    void clientTLSErrorOccurred(VDLClient *client, const QString &text);
    void clientMTLSRequired(VDLClient *client, const QString &text);
    void clientRequestsmTLSPrompt(VDLClient *client);
    void clientTLSSetupFailed(VDLClient *client, const QString &text);
    void clientKeyPassphraseRequired(VDLClient *client, bool rejected);

    void showCredentialPromptForClient(VDLClient *client, const QString &title, bool closeOnCancel);
    void showTLSPromptForClient(VDLClient *client, const QString &errorMessage);
    // The guarded prompt raised by the broker's demand; the user's own request is unguarded.
    void showmTLSPromptForClient(VDLClient *client);
    void showPassphrasePromptForClient(VDLClient *client, bool rejected);

    // The reason a certificate failed, in the user's words, from the library's message.
    static QString userFriendlyTLSErrorForMessage(const QString &message);
    // The TLS prompt's message for the server and the reason.
    static QString tlsPromptMessage(const QString &host, int port, const QString &explanation);

Q_SIGNALS:
    // Why a certificate or key file cannot be used, in more words than the client's status.
    void tlsSetupFailed(const QString &text);

private:
    // The mTLS prompt for the client, with what each answer does.
    using mTLSAnswer = void (VDLConnectionProblemHandler::*)(VDLClient *client, int choice, const QString &certificate,
                                                              const QString &key);
    void showmTLSPrompt(VDLClient *client, mTLSAnswer answer);
    void answerDemandedmTLS(VDLClient *client, int choice, const QString &certificate, const QString &key);
    void answerRequestedmTLS(VDLClient *client, int choice, const QString &certificate, const QString &key);
    void closeWindow();

    QWidget *m_view;
    QString m_suggestedUsername;
    bool m_isShowingCredentialPrompt = false;
    bool m_isShowingTLSPrompt = false;
    bool m_isShowingmTLSPrompt = false;
    bool m_isShowingPassphrasePrompt = false;
};
