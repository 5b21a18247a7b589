#pragma once

#include "VOKError.h"

#include <QString>
#include <QStringList>

#include <functional>

class VOKWindow;

// Brings windows back at the next launch. The identifiers of open restorable windows are kept,
// in the order they opened, in the preferences under PreferencesKey; a window the user closes
// is forgotten, the windows open when the application quits (closeAllWindowsForQuitting) are
// kept.
//
// Thread: GUI thread only.
class VOKWindowRestoration
{
public:
    static inline const QString PreferencesKey = QStringLiteral("VOKRestorableWindows");
    static constexpr qint64 CannotRestoreErrorCode = 42;

    // Called with the restored window, or with a null window and the error.
    using CompletionHandler = std::function<void(VOKWindow *window, const VOKError &error)>;

    // Presents the window described by "Class|{JSON}" (creating it if needed), calls its
    // controller's vokDidRestore and completes with the window. An identifier without "|",
    // naming no registered class or with JSON that is not a dictionary completes with error
    // code CannotRestoreErrorCode.
    static void restoreWindowWithIdentifier(const QString &identifier, const CompletionHandler &completion);

    // Keeps the window's identifier until the window closes. The window must have one.
    static void markRestorable(const VOKWindow *window);

    // Closes every window as quitting does: the windows close as the user would close them, but
    // the restorable ones stay kept for the next launch.
    static void closeAllWindowsForQuitting();

    // Restores every kept identifier; those that fail are logged and forgotten.
    static void restoreWindows();

    static QStringList restorableIdentifiers();

private:
    static void setRestorableIdentifiers(const QStringList &identifiers);
};
