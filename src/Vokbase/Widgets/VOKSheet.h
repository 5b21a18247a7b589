#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QFileDialog;
class QWidget;

// Dialogs shown as sheets: window-modal on the window that holds the given widget, opened with
// open() (never a nested event loop), and deleted once closed. Each reports its end exactly
// once, also when its window is destroyed while the sheet is still open.
//
// Ownership: a sheet belongs to the window (Qt parent) until it deletes itself. GUI thread.
namespace VOKSheet {

// Opens the dialog as a sheet. `ended(true)` runs after it finished (its result and widgets are
// still readable then); `ended(false)` when it went away unanswered.
void open(QDialog *sheet, QWidget *window, std::function<void(bool answered)> ended);

// An alert with the title as its message, the informative text and the buttons in the order
// given (the first is the default, the last answers Escape). An accessory (the alert takes it
// over) shows between the informative text and the buttons. `answered` receives the position of
// the button that ended it, or -1 when it went away unanswered.
QMessageBox *alert(QWidget *window, QMessageBox::Icon icon, const QString &title, const QString &informativeText,
                   const QStringList &buttons, std::function<void(int button)> answered,
                   QWidget *accessory = nullptr);

// Asks for one existing file with one of the extensions; the message labels the files offered.
// `completion` receives the file's path, or a null string when none was chosen.
QFileDialog *chooseFile(QWidget *window, const QString &title, const QString &message, const QStringList &extensions,
                        std::function<void(const QString &path)> completion);

} // namespace VOKSheet
