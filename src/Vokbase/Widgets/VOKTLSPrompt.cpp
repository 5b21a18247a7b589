#include "VOKTLSPrompt.h"

#include "VOKCertificateInfo.h"
#include "VOKSheet.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPointer>

namespace {

// The certificate's description with the fingerprint broken after its 16th pair, so that the
// sheet stays narrow.
QString certificateText(const VOKCertificateInfo &certificate)
{
    const QString label = QStringLiteral("SHA-256: ");
    QString text = certificate.description();
    const qsizetype secondHalf = text.lastIndexOf(label) + label.size() + 16 * 3;
    if (secondHalf < text.size())
        text.insert(secondHalf, QLatin1Char('\n') + QString(label.size(), QLatin1Char(' ')));
    return text;
}

// A fixed-pitch block the user can select and copy, e.g. to compare the fingerprint.
QLabel *certificateLabel(const VOKCertificateInfo &certificate)
{
    auto *const label = new QLabel(certificateText(certificate));
    label->setObjectName(QStringLiteral("certificate"));
    label->setTextFormat(Qt::PlainText);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

QMessageBox *VOKTLSPrompt::showForWindow(QWidget *window, const QString &title, const QString &message,
                                         const VOKCertificateInfo &certificate, Completion completion)
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
        },
        certificate.isNull() ? nullptr : certificateLabel(certificate));
}
