#pragma once

#include "VOKWindowController.h"

#include <QList>

// The view controllers of one class in the open windows, frontmost first. GUI thread.
template <typename Controller>
QList<Controller *> openViewControllers()
{
    QList<Controller *> found;
    for (VOKWindowController *window : VOKWindowController::openControllers()) {
        if (auto *const wanted = qobject_cast<Controller *>(window->viewController()))
            found.append(wanted);
    }
    return found;
}
