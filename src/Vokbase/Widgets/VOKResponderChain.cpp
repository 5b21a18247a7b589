#include "VOKResponderChain.h"

#include "VOKWindow.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPointer>
#include <QWidget>

namespace {

int methodIndex(const QObject *object, const QByteArray &signature)
{
    return object->metaObject()->indexOfMethod(signature.constData());
}

bool isMenu(const QWidget *widget)
{
    return qobject_cast<const QMenuBar *>(widget) || qobject_cast<const QMenu *>(widget);
}

// The last widget other than a menu that had the focus. Opening the menu bar from the
// keyboard (Alt+E) moves the focus to the menu bar, yet its commands are meant for the pane the
// user was in.
class FocusMemory final : public QObject
{
public:
    FocusMemory() : QObject(QCoreApplication::instance())
    {
        remember(QApplication::focusWidget());
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { remember(now); });
    }

    QWidget *lastPane() const { return m_pane; }

private:
    void remember(QWidget *widget)
    {
        if (widget && !isMenu(widget))
            m_pane = widget;
    }

    QPointer<QWidget> m_pane;
};

QWidget *focusedPane()
{
    // Made on the first question, which the menus ask when they are built, before any window.
    static FocusMemory *const memory = new FocusMemory();
    QWidget *const focus = QApplication::focusWidget();
    return isMenu(focus) ? memory->lastPane() : focus;
}

QList<QObject *> chain()
{
    QList<QObject *> objects;
    QWidget *const window = QApplication::activeWindow();
    QWidget *start = focusedPane();
    if (!start || start->window() != window)
        start = window;
    for (QWidget *widget = start; widget; widget = widget->parentWidget()) {
        objects.append(widget);
        if (widget->isWindow())
            break;
    }
    // Focus in the window's own chrome (its menu bar) still reaches the content.
    if (const auto *frame = qobject_cast<VOKWindow *>(window); frame && !objects.contains(frame->content()))
        objects.append(frame->content());
    return objects;
}

} // namespace

namespace VOKResponderChain {

QObject *targetForAction(const char *signature)
{
    const QByteArray normalized = QMetaObject::normalizedSignature(signature);
    for (QObject *object : chain()) {
        if (methodIndex(object, normalized) >= 0)
            return object;
    }
    return nullptr;
}

bool canPerform(const char *signature)
{
    return targetForAction(signature) != nullptr;
}

bool perform(const char *signature, const QVariant &argument)
{
    QObject *const target = targetForAction(signature);
    if (!target)
        return false;
    const QMetaMethod method =
        target->metaObject()->method(methodIndex(target, QMetaObject::normalizedSignature(signature)));
    if (method.parameterCount() == 0)
        return method.invoke(target);
    QVariant converted = argument;
    if (!converted.convert(method.parameterMetaType(0)))
        return false;
    return method.invoke(target, QGenericArgument(converted.typeName(), converted.constData()));
}

} // namespace VOKResponderChain
