#pragma once

#include <QRect>
#include <QString>

#include <optional>

// Window frames saved by autosave name in the user preferences (VOKPreferences::standard()),
// one key per name holding [x, y, width, height].
//
// A value class without state; GUI thread only (the preferences are).
class VOKWindowFrameStore
{
public:
    // The preferences key for a name.
    static QString keyForName(const QString &name);

    // The saved frame, or none when nothing usable is saved. A stored value that is not four
    // numbers with a positive size logs an ERROR and answers none.
    static std::optional<QRect> savedFrame(const QString &name);

    static void saveFrame(const QString &name, const QRect &frame);
};
