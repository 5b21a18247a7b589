#include "VOKWindowRestoration.h"

#include "VOKLog.h"
#include "VOKPreferences.h"
#include "VOKViewController.h"
#include "VOKWindow.h"
#include "VOKWindowPresenter.h"

#include <QApplication>

namespace {

const QString RestorationClassName = QStringLiteral("VOKWindowRestoration");

// While quitting closes the windows, their closing is not the user's choice to forget them.
bool quitting = false;

VOKError cannotRestore(const QString &identifier)
{
    const QString text = QStringLiteral("%1 does not know how to restore window with identifier %2")
                             .arg(RestorationClassName, identifier);
    return VOKError(text, VOKWindowRestoration::CannotRestoreErrorCode, text);
}

} // namespace

void VOKWindowRestoration::restoreWindowWithIdentifier(const QString &identifier, const CompletionHandler &completion)
{
    VOKViewController *const restored = VOKWindowPresenter::presentViewControllerWithIdentifier(identifier);
    if (!restored) {
        completion(nullptr, cannotRestore(identifier));
        return;
    }
    restored->vokDidRestore();
    completion(qobject_cast<VOKWindow *>(restored->window()), VOKError());
}

void VOKWindowRestoration::markRestorable(const VOKWindow *window)
{
    const QString identifier = window->identifier();
    QStringList identifiers = restorableIdentifiers();
    if (!identifiers.contains(identifier))
        setRestorableIdentifiers(identifiers << identifier);
    QObject::connect(window, &VOKWindow::willClose, window, [identifier] {
        if (quitting)
            return;
        QStringList kept = restorableIdentifiers();
        kept.removeAll(identifier);
        setRestorableIdentifiers(kept);
    }, Qt::SingleShotConnection);
}

void VOKWindowRestoration::closeAllWindowsForQuitting()
{
    quitting = true;
    QApplication::closeAllWindows();
    quitting = false;
}

void VOKWindowRestoration::restoreWindows()
{
    const QStringList identifiers = restorableIdentifiers();
    // Windows restored mark themselves again; failures drop out.
    setRestorableIdentifiers({});
    for (const QString &identifier : identifiers) {
        restoreWindowWithIdentifier(identifier, [](VOKWindow *, const VOKError &error) {
            if (!error.isNull())
                VOK_ERROR(QStringLiteral("Window not restored: %1").arg(error.displayText()));
        });
    }
}

QStringList VOKWindowRestoration::restorableIdentifiers()
{
    return VOKPreferences::standard().stringArrayForKey(PreferencesKey);
}

void VOKWindowRestoration::setRestorableIdentifiers(const QStringList &identifiers)
{
    if (identifiers.isEmpty())
        VOKPreferences::standard().removeObjectForKey(PreferencesKey);
    else
        VOKPreferences::standard().setObject(identifiers, PreferencesKey);
}
