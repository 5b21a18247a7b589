#pragma once

#include <QObject>
#include <QVariant>

class QWidget;

// Where application-wide commands (Copy, Delete, Find, the View menu) go: along the command
// chain of the active window — the focus widget, then its ancestors up to the window, then
// the window's content. The first object with an invokable method of the given signature
// ("copy()", "performFindPanelAction(int)") takes the command, so whatever has the keyboard
// focus decides, and a command nobody in the chain understands is shown disabled. While a menu
// or the menu bar holds the focus (opened from the keyboard), the chain starts at the widget
// that had the focus before, as it does for a menu opened with the mouse.
//
// Ownership: the objects answered belong to their windows; they are borrowed. Thread: GUI thread
// only.
namespace VOKResponderChain {

// The first object in the chain that answers the method, or null.
QObject *targetForAction(const char *signature);
// Whether an object in the chain answers the method.
bool canPerform(const char *signature);
// Invokes the method (with the argument when it takes one) on the first object that answers
// it; false when none does.
bool perform(const char *signature, const QVariant &argument = QVariant());

} // namespace VOKResponderChain
