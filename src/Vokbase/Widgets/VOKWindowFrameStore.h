#pragma once

#include <QRect>
#include <QString>
#include <QVariant>

#include <optional>

class QWidget;

// Window frames saved by autosave name in the user preferences (VOKPreferences::standard()),
// one key per name holding what QWidget::saveGeometry() gives, as base64 text: the frame with
// the window manager's decorations, the screen and the maximised or full-screen state, kept
// within the screens that exist when it is restored. A frame saved earlier as [x, y, width,
// height] still restores, as that rectangle, until the window saves its frame again.
//
// A value class without state; GUI thread only (the preferences and widgets are). The window
// is the caller's.
class VOKWindowFrameStore
{
public:
    // The preferences key for a name.
    static QString keyForName(const QString &name);

    // Gives the window the frame saved under the name; answers false, leaving the window as it
    // was, when none is saved. A stored value that is not a saved frame logs an ERROR and
    // answers false.
    static bool restoreFrame(QWidget &window, const QString &name);

    static void saveFrame(const QWidget &window, const QString &name);

private:
    // [x, y, width, height] of whole numbers with a positive size, or none.
    static std::optional<QRect> listedFrame(const QVariant &stored);
};
