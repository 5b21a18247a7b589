#include "VOKPassphrasePrompt.h"

#include "VOKSheet.h"

#include <QLineEdit>

QMessageBox *VOKPassphrasePrompt::showForWindow(QWidget *window, const QString &host, int port, bool rejected,
                                                Completion completion)
{
    enum Button { OK };
    QString message =
        QStringLiteral("The private key of the client certificate for %1:%2 is protected by a passphrase.")
            .arg(host, QString::number(port));
    if (rejected)
        message.prepend(QStringLiteral("The passphrase was wrong. Try again.\n\n"));
    auto *const field = new QLineEdit;
    field->setObjectName(QStringLiteral("passphrase"));
    field->setPlaceholderText(QStringLiteral("Passphrase"));
    field->setEchoMode(QLineEdit::Password);
    QMessageBox *const box = VOKSheet::alert(
        window, QMessageBox::Information, QStringLiteral("Client Key Passphrase"), message,
        {QStringLiteral("OK"), QStringLiteral("Cancel")},
        [field, completion = std::move(completion)](int button) {
            if (button == OK)
                completion(field->text(), false);
            else
                completion(QString(), true);
        },
        field);
    field->setFocus();
    return box;
}
