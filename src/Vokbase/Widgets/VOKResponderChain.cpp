#include "VOKResponderChain.h"

#include "VOKWindow.h"

#include <QApplication>
#include <QMetaMethod>
#include <QWidget>

namespace {

int methodIndex(const QObject *object, const QByteArray &signature)
{
    return object->metaObject()->indexOfMethod(signature.constData());
}

QList<QObject *> chain()
{
    QList<QObject *> objects;
    QWidget *const window = QApplication::activeWindow();
    QWidget *start = QApplication::focusWidget();
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
