#include "VOKConfirmationSheet.h"

#include <QMessageBox>
#include <QPushButton>

void VOKConfirmationSheet::open(QWidget &window, const QString &text, const QString &informativeText,
                                const QString &confirmTitle, const QObject &context, std::function<void()> confirmed)
{
    auto *const alert = new QMessageBox(QMessageBox::Warning, QString(), text, QMessageBox::NoButton, &window);
    alert->setInformativeText(informativeText);
    QPushButton *const confirm = alert->addButton(confirmTitle, QMessageBox::DestructiveRole);
    alert->addButton(QMessageBox::Cancel);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    QObject::connect(alert, &QMessageBox::finished, &context, [alert, confirm, confirmed = std::move(confirmed)] {
        if (alert->clickedButton() == confirm)
            confirmed();
    });
    alert->open();
}
