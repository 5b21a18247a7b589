#include "VDLConnectionProblemHandler.h"

#include "VDLClient.h"
#include "VDLTLSExplanation.h"
#include "VOKCertificateInfo.h"
#include "VOKCredentialPrompt.h"
#include "VOKPassphrasePrompt.h"
#include "VOKTLSPrompt.h"
#include "VOKmTLSPrompt.h"

#include <QPointer>
#include <QWidget>

#include <utility>

namespace {

// The verification modes the TLS prompt's answers store.
constexpr qint64 skipVerification = 1;
constexpr qint64 verifyWithCACertificate = 2;

} // namespace

VDLConnectionProblemHandler::VDLConnectionProblemHandler(QWidget *view)
    : QObject(view)
    , m_view(view)
{
}

void VDLConnectionProblemHandler::clientConnectionFailedWithReason(VDLClient *client, int reason)
{
    // The two refusals the client reports as "Authentication failed"; every other reason keeps
    // the client retrying with its status text.
    if (reason != 4 && reason != 5)
        return;
    client->disconnectFromBroker();
    showCredentialPromptForClient(client, QStringLiteral("Authentication Required"), true);
}

void VDLConnectionProblemHandler::clientRequestsCredentialPrompt(VDLClient *client)
{
    client->disconnectFromBroker();
    showCredentialPromptForClient(client, QStringLiteral("Change Credentials"), false);
}

void VDLConnectionProblemHandler::clientTLSErrorOccurred(VDLClient *client, const QString &text)
{
    client->disconnectFromBroker();
    showTLSPromptForClient(client, text);
}

void VDLConnectionProblemHandler::clientMTLSRequired(VDLClient *client, const QString &)
{
    client->disconnectFromBroker();
    showmTLSPromptForClient(client);
}

void VDLConnectionProblemHandler::clientRequestsmTLSPrompt(VDLClient *client)
{
    showmTLSPrompt(client, &VDLConnectionProblemHandler::answerRequestedmTLS);
}

void VDLConnectionProblemHandler::clientTLSSetupFailed(VDLClient *, const QString &text)
{
    Q_EMIT tlsSetupFailed(text);
}

void VDLConnectionProblemHandler::clientKeyPassphraseRequired(VDLClient *client, bool rejected)
{
    client->disconnectFromBroker();
    showPassphrasePromptForClient(client, rejected);
}

void VDLConnectionProblemHandler::showCredentialPromptForClient(VDLClient *client, const QString &title,
                                                                bool closeOnCancel)
{
    if (std::exchange(m_isShowingCredentialPrompt, true))
        return;
    const QString message = QStringLiteral("Enter credentials for %1:%2").arg(client->host(), QString::number(client->port()));
    VOKCredentialPrompt::showForWindow(
        m_view, title, message, client->keychainService(),
        [self = QPointer(this), target = QPointer(client), closeOnCancel](const QString &username,
                                                                          const QString &password, bool cancelled) {
            if (!self)
                return;
            self->m_isShowingCredentialPrompt = false;
            if (!target)
                return;
            if (!cancelled) {
                target->saveCredentialsToKeychain(username, password);
                target->reconnectWithUsername(username, password);
            } else if (closeOnCancel) {
                self->closeWindow();
            } else {
                target->connectToBroker();
            }
        },
        m_suggestedUsername);
}

void VDLConnectionProblemHandler::showTLSPromptForClient(VDLClient *client, const QString &errorMessage)
{
    if (std::exchange(m_isShowingTLSPrompt, true))
        return;
    const QString message =
        tlsPromptMessage(client->host(), client->port(), userFriendlyTLSErrorForMessage(errorMessage));
    const VOKCertificateInfo certificate = client->presentedCertificate();
    VOKTLSPrompt::showForWindow(
        m_view, QStringLiteral("TLS Certificate Error"), message, certificate,
        [self = QPointer(this), target = QPointer(client),
         shown = certificate.sha256Fingerprint](int choice, const QString &caCertificatePath) {
            if (!self)
                return;
            self->m_isShowingTLSPrompt = false;
            if (!target)
                return;
            if (choice == VOKTLSPrompt::TrustAnyway) {
                // Trusted is what the user saw: another certificate asks again.
                target->setTrustedCertificateFingerprint(shown);
                target->reconnectWithTLSVerifyMode(skipVerification, QString());
            } else if (choice == VOKTLSPrompt::ImportCACertificate) {
                target->reconnectWithTLSVerifyMode(verifyWithCACertificate, caCertificatePath);
            } else {
                self->closeWindow();
            }
        });
}

void VDLConnectionProblemHandler::showPassphrasePromptForClient(VDLClient *client, bool rejected)
{
    if (std::exchange(m_isShowingPassphrasePrompt, true))
        return;
    VOKPassphrasePrompt::showForWindow(
        m_view, client->host(), client->port(), rejected,
        [self = QPointer(this), target = QPointer(client)](const QString &passphrase, bool cancelled) {
            if (!self)
                return;
            self->m_isShowingPassphrasePrompt = false;
            if (!target)
                return;
            if (cancelled)
                self->closeWindow();
            else
                target->reconnectWithKeyPassphrase(passphrase);
        });
}

void VDLConnectionProblemHandler::showmTLSPromptForClient(VDLClient *client)
{
    if (std::exchange(m_isShowingmTLSPrompt, true))
        return;
    showmTLSPrompt(client, &VDLConnectionProblemHandler::answerDemandedmTLS);
}

void VDLConnectionProblemHandler::showmTLSPrompt(VDLClient *client, mTLSAnswer answer)
{
    VOKmTLSPrompt::showForWindow(m_view, client->clientCertificatePath(), client->clientKeyPath(),
                                 [self = QPointer(this), target = QPointer(client),
                                  answer](int choice, const QString &certificate, const QString &key) {
                                     if (self)
                                         ((*self).*answer)(target, choice, certificate, key);
                                 });
}

void VDLConnectionProblemHandler::answerDemandedmTLS(VDLClient *client, int choice, const QString &certificate,
                                                     const QString &key)
{
    m_isShowingmTLSPrompt = false;
    if (!client)
        return;
    if (choice == VOKmTLSPrompt::ClearConfiguration) {
        client->clearClientCertificate();
        client->connectToBroker();
    } else if (choice == VOKmTLSPrompt::UseCertificate) {
        client->reconnectWithClientCertificate(certificate, key);
    } else {
        closeWindow();
    }
}

void VDLConnectionProblemHandler::answerRequestedmTLS(VDLClient *client, int choice, const QString &certificate,
                                                      const QString &key)
{
    if (!client)
        return;
    if (choice == VOKmTLSPrompt::ClearConfiguration) {
        client->clearClientCertificate();
        client->disconnectFromBroker();
        client->connectToBroker();
    } else if (choice == VOKmTLSPrompt::UseCertificate) {
        client->reconnectWithClientCertificate(certificate, key);
    }
}

void VDLConnectionProblemHandler::closeWindow()
{
    QWidget *const window = m_view->window();
    if (window->isVisible())
        window->close();
}

QString VDLConnectionProblemHandler::userFriendlyTLSErrorForMessage(const QString &message)
{
    return VDLTLSExplanation::forMessage(message);
}

QString VDLConnectionProblemHandler::tlsPromptMessage(const QString &host, int port, const QString &explanation)
{
    return QStringLiteral("Could not verify certificate for %1:%2\n\n%3\n\nOptions:\n\u2022 Import CA Certificate "
                          "\u2013 If you have the CA certificate that signed this server's certificate, import it to "
                          "establish trust.\n\u2022 Trust Anyway \u2013 Skip certificate verification (not recommended "
                          "for production use).")
        .arg(host, QString::number(port), explanation);
}
