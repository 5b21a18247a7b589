#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;

// A question before a destructive step: a warning alert as a sheet on the window (window-modal,
// opened without blocking), its first button the destructive choice and the second "Cancel".
//
// Ownership: the alert belongs to the window and deletes itself once answered. The callback runs
// once, only for the destructive choice, and not at all once the context object is gone.
// Threading: main thread only.
class VOKConfirmationSheet
{
public:
    static void open(QWidget &window, const QString &text, const QString &informativeText,
                     const QString &confirmTitle, const QObject &context, std::function<void()> confirmed);
};
