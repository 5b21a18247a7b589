#include "VOKSheet.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QPushButton>

#include <memory>
#include <utility>

namespace {

// QMessageBox has no accessory area: the accessory gets the row of the buttons, in the column of
// the texts, and the buttons move one row down.
void addAccessory(QMessageBox *box, QWidget *accessory)
{
    auto *const grid = qobject_cast<QGridLayout *>(box->layout());
    auto *const buttons = box->findChild<QDialogButtonBox *>();
    const int index = grid && buttons ? grid->indexOf(buttons) : -1;
    if (index < 0) {
        box->layout()->addWidget(accessory);
        return;
    }
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    delete grid->takeAt(index);
    grid->addWidget(accessory, row, grid->columnCount() - 1);
    grid->addWidget(buttons, row + 1, column, rowSpan, columnSpan);
}

} // namespace

namespace VOKSheet {

void open(QDialog *sheet, QWidget *window, std::function<void(bool answered)> ended)
{
    const auto once = std::make_shared<std::function<void(bool)>>(std::move(ended));
    const auto end = [once](bool answered) {
        if (const auto call = std::exchange(*once, nullptr))
            call(answered);
    };
    sheet->setParent(window ? window->window() : nullptr, sheet->windowFlags());
    sheet->setWindowModality(Qt::WindowModal);
    // A window destroyed with its sheet open takes the sheet along: that ends it unanswered.
    QObject::connect(sheet, &QObject::destroyed, [end] { end(false); });
    QObject::connect(sheet, &QDialog::finished, sheet, [sheet, end] {
        end(true);
        sheet->deleteLater();
    });
    sheet->open();
}

QMessageBox *alert(QWidget *window, QMessageBox::Icon icon, const QString &title, const QString &informativeText,
                   const QStringList &buttons, std::function<void(int button)> answered, QWidget *accessory)
{
    auto *const box = new QMessageBox(icon, title, title, QMessageBox::NoButton);
    box->setInformativeText(informativeText);
    box->setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> added;
    for (const QString &text : buttons) {
        // One role for all keeps them in the order given, whatever the platform's button order.
        // The texts are shown as given: an "&" marks no shortcut.
        added.append(box->addButton(QString(text).replace(QLatin1Char('&'), QLatin1String("&&")), QMessageBox::ActionRole));
    }
    if (!added.isEmpty()) {
        box->setDefaultButton(qobject_cast<QPushButton *>(added.first()));
        box->setEscapeButton(added.last());
    }
    if (accessory)
        addAccessory(box, accessory);
    open(box, window, [box, added, answered = std::move(answered)](bool ended) {
        answered(ended ? int(added.indexOf(box->clickedButton())) : -1);
    });
    return box;
}

QFileDialog *chooseFile(QWidget *window, const QString &title, const QString &message, const QStringList &extensions,
                        std::function<void(const QString &path)> completion)
{
    auto *const dialog = new QFileDialog(nullptr, title);
    // Qt's own dialog: a sheet on the window, and the same on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    QStringList patterns;
    for (const QString &extension : extensions)
        patterns.append(QStringLiteral("*.") + extension);
    dialog->setNameFilter(QStringLiteral("%1 (%2)").arg(message, patterns.join(QLatin1Char(' '))));
    open(dialog, window, [dialog, completion = std::move(completion)](bool ended) {
        const QStringList chosen =
            ended && dialog->result() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
        completion(chosen.isEmpty() ? QString() : chosen.first());
    });
    return dialog;
}

} // namespace VOKSheet
