#include "VOKmTLSPrompt.h"

#include "VOKSheet.h"

#include <QFileInfo>
#include <QPointer>

QString VOKmTLSPrompt::informativeText(const QString &currentCertPath, const QString &currentKeyPath)
{
    QString text = QStringLiteral(
        "Mutual TLS (mTLS) requires you to present a client certificate to the server. This verifies your identity "
        "to the broker.\n\nYou need:\n\u2022 Client Certificate \u2013 Your certificate file (.crt, .pem, .cer)\n"
        "\u2022 Private Key \u2013 The matching private key file (.key, .pem)\n\nThese are typically provided by "
        "your server administrator.");
    if (!currentCertPath.isEmpty()) {
        text += QStringLiteral("\n\nCurrently configured:\n\u2022 %1\n\u2022 %2")
                    .arg(QFileInfo(currentCertPath).fileName(), QFileInfo(currentKeyPath).fileName());
    }
    return text;
}

QMessageBox *VOKmTLSPrompt::showForWindow(QWidget *window, const QString &currentCertPath,
                                          const QString &currentKeyPath, Completion completion)
{
    enum Button { Select, Clear };
    const bool configured = !currentCertPath.isEmpty();
    QStringList buttons{QStringLiteral("Select Certificate & Key...")};
    if (configured)
        buttons.append(QStringLiteral("Clear Configuration"));
    buttons.append(QStringLiteral("Cancel"));
    const QPointer<QWidget> target(window);
    return VOKSheet::alert(
        window, QMessageBox::Information, QStringLiteral("Client Certificate (mTLS)"),
        informativeText(currentCertPath, currentKeyPath), buttons,
        [target, configured, completion = std::move(completion)](int button) {
            if (button == Clear && configured) {
                completion(ClearConfiguration, QString(), QString());
                return;
            }
            if (button != Select || !target) {
                completion(Cancelled, QString(), QString());
                return;
            }
            selectCertificateForWindow(target, [target, completion](const QString &certificate) {
                if (certificate.isNull() || !target) {
                    completion(Cancelled, QString(), QString());
                    return;
                }
                selectKeyForWindow(target, [certificate, completion](const QString &key) {
                    if (key.isNull())
                        completion(Cancelled, QString(), QString());
                    else
                        completion(UseCertificate, certificate, key);
                });
            });
        });
}

QFileDialog *VOKmTLSPrompt::selectCertificateForWindow(QWidget *window, PathCompletion completion)
{
    return VOKSheet::chooseFile(window, QStringLiteral("Select Client Certificate"),
                                QStringLiteral("Choose your client certificate file (.crt, .pem, .cer)"),
                                {QStringLiteral("crt"), QStringLiteral("pem"), QStringLiteral("cer")},
                                std::move(completion));
}

QFileDialog *VOKmTLSPrompt::selectKeyForWindow(QWidget *window, PathCompletion completion)
{
    return VOKSheet::chooseFile(window, QStringLiteral("Select Private Key"),
                                QStringLiteral("Choose the private key file that matches your certificate (.key, .pem)"),
                                {QStringLiteral("key"), QStringLiteral("pem")}, std::move(completion));
}
