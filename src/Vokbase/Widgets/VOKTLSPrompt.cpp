#include "VOKTLSPrompt.h"

#include "VOKSheet.h"

#include <QPointer>

QMessageBox *VOKTLSPrompt::showForWindow(QWidget *window, const QString &title, const QString &message,
                                         Completion completion)
{
    enum Button { Import, Trust };
    const QPointer<QWidget> target(window);
    return VOKSheet::alert(
        window, QMessageBox::Warning, title, message,
        {QStringLiteral("Import CA Certificate..."), QStringLiteral("Trust Anyway"), QStringLiteral("Cancel")},
        [target, completion = std::move(completion)](int button) {
            if (button == Trust) {
                completion(TrustAnyway, QString());
            } else if (button == Import && target) {
                VOKSheet::chooseFile(target, QStringLiteral("Select CA Certificate"),
                                     QStringLiteral("Choose the CA certificate file (.crt, .pem, .cer)"),
                                     {QStringLiteral("crt"), QStringLiteral("pem"), QStringLiteral("cer")},
                                     [completion](const QString &path) {
                                         completion(path.isNull() ? Cancelled : ImportCACertificate, path);
                                     });
            } else {
                completion(Cancelled, QString());
            }
        });
}
