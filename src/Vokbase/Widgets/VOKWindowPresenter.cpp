#include "VOKWindowPresenter.h"

#include "VOKClassRegistry.h"
#include "VOKJSON.h"
#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKPlistRepresentation.h"
#include "VOKRecentsManager.h"
#include "VOKString.h"
#include "VOKVariant.h"
#include "VOKViewController.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowRestoration.h"

#include <QJsonValue>
#include <QMetaProperty>

#include <algorithm>
#include <memory>

namespace {

bool isNullMarker(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<std::nullptr_t>();
}

bool isAbsent(const QVariant &value)
{
    if (!value.isValid() || isNullMarker(value))
        return true;
    if (value.metaType() == QMetaType::fromType<QString>())
        return value.toString().isNull();
    if (value.metaType().flags().testFlag(QMetaType::PointerToQObject))
        return value.value<QObject *>() == nullptr;
    return false;
}

bool isKindOfClassNamed(const QObject *object, const QString &className)
{
    for (const QMetaObject *meta = object->metaObject(); meta; meta = meta->superClass()) {
        if (QLatin1String(meta->className()) == className)
            return true;
    }
    return false;
}

bool matches(const QObject *controller, const QString &className, const QVariantMap &keyPathsAndObjects)
{
    if (!isKindOfClassNamed(controller, className))
        return false;
    for (auto entry = keyPathsAndObjects.cbegin(); entry != keyPathsAndObjects.cend(); ++entry) {
        const QVariant value = vokSafeValueForKeyPath(controller, entry.key(), false);
        if (isNullMarker(entry.value()) ? !isAbsent(value) : value != entry.value())
            return false;
    }
    return true;
}

// Sets the value at the key path inside a gadget value (changed in place) or a gadget pointer:
// the first key names one of its properties; further keys go into that property's gadget value,
// which is then written back. False when a key is not a writable gadget property.
bool setValueInGadget(QVariant &gadget, const QStringList &keys, const QVariant &value)
{
    const QMetaType type = gadget.metaType();
    void *address = nullptr;
    if (type.flags() & QMetaType::IsGadget)
        address = gadget.data();
    else if (type.flags() & QMetaType::PointerToGadget)
        address = *static_cast<void **>(gadget.data());
    const QMetaObject *meta = type.metaObject();
    if (!address || !meta)
        return false;
    const int index = meta->indexOfProperty(keys.first().toUtf8().constData());
    if (index < 0)
        return false;
    const QMetaProperty property = meta->property(index);
    if (keys.size() == 1)
        return property.writeOnGadget(address, value);
    QVariant inner = property.readOnGadget(address);
    return setValueInGadget(inner, keys.mid(1), value) && property.writeOnGadget(address, inner);
}

// Sets the value on the object the key path leads to. Objects along the path are changed where
// they are; a gadget value on the way (a controller's "pm") is read, changed on the copy and
// written back through its holder's property, so the holder's setter and change signal run.
void setValueForKeyPath(QObject *object, const QString &keyPath, const QVariant &value)
{
    const QStringList keys = keyPath.split(QLatin1Char('.'));
    QObject *target = object;
    qsizetype next = 0;
    while (next + 1 < keys.size()) {
        QObject *const child = vokSafeValueForKeyPath(target, keys[next]).value<QObject *>();
        if (!child)
            break;
        target = child;
        ++next;
    }
    if (next + 1 == keys.size()) {
        vokSafeSetValue(target, value, keys.last());
        return;
    }
    const QByteArray holderKey = keys[next].toUtf8();
    QVariant held = target->property(holderKey.constData());
    if (!setValueInGadget(held, keys.mid(next + 1), value) || !target->setProperty(holderKey.constData(), held)) {
        VOK_ERROR(QStringLiteral("Can't set value for key path '%1' of %2")
                      .arg(keyPath, VOKKeyPath::describe(QVariant::fromValue(object))));
    }
}

// Whether JSON can say the value: the null marker, text, numbers, booleans and containers of them.
bool hasJSONForm(const QVariant &value)
{
    if (isNullMarker(value))
        return true;
    if (vokIsDictionary(value)) {
        const QVariantMap dictionary = value.toMap();
        return std::all_of(dictionary.cbegin(), dictionary.cend(), hasJSONForm);
    }
    if (vokIsArray(value)) {
        const QVariantList array = value.toList();
        return std::all_of(array.cbegin(), array.cend(), hasJSONForm);
    }
    const QJsonValue json = QJsonValue::fromVariant(value);
    return !json.isNull() && !json.isUndefined();
}

} // namespace

VOKViewController *VOKWindowPresenter::presentViewControllerOfClass(const QString &className,
                                                                    const QVariantMap &keyPathsAndObjects,
                                                                    bool createIfNeeded)
{
    if (VOKViewController *found = findViewController(className, keyPathsAndObjects))
        return found;
    if (!createIfNeeded)
        return nullptr;
    return createViewController(className, keyPathsAndObjects);
}

VOKViewController *VOKWindowPresenter::presentViewControllerWithIdentifier(const QString &identifier)
{
    const auto parts = vokSplitAtFirst(identifier, QStringLiteral("|"));
    // A class this build does not have is old or foreign data, not a fault to report.
    if (!parts || !VOKClassRegistry::factory(parts->first))
        return nullptr;
    const QVariant description = vokJSONValue(parts->second);
    if (!vokIsDictionary(description))
        return nullptr;
    return presentViewControllerOfClass(parts->first, description.toMap(), true);
}

bool VOKWindowPresenter::closeViewControllerOfClass(const QString &className, const QVariantMap &keyPathsAndObjects)
{
    for (VOKWindowController *controller : VOKWindowController::openControllers()) {
        if (matches(controller->viewController(), className, keyPathsAndObjects)) {
            controller->window()->close();
            return true;
        }
    }
    return false;
}

QString VOKWindowPresenter::windowIdentifier(const QString &className, const QVariantMap &keyPathsAndObjects)
{
    if (!hasJSONForm(keyPathsAndObjects)) {
        VOK_ERROR(QStringLiteral("Can't serialize keyPathsAndObjects, auto-restoration will fail! "
                                 "keyPathsAndObjects: %1")
                      .arg(VOKKeyPath::describe(keyPathsAndObjects)));
        return QString();
    }
    return QStringLiteral("%1|%2").arg(className, QString::fromUtf8(vokJSON(keyPathsAndObjects)));
}

VOKViewController *VOKWindowPresenter::findViewController(const QString &className,
                                                          const QVariantMap &keyPathsAndObjects)
{
    for (VOKWindowController *controller : VOKWindowController::openControllers()) {
        if (matches(controller->viewController(), className, keyPathsAndObjects)) {
            controller->showWindow();
            return controller->viewController();
        }
    }
    return nullptr;
}

VOKViewController *VOKWindowPresenter::createViewController(const QString &className,
                                                            const QVariantMap &keyPathsAndObjects)
{
    const VOKClassRegistry::Factory factory = VOKClassRegistry::factory(className);
    std::unique_ptr<QObject> made(factory ? factory({}, nullptr).value<QObject *>() : nullptr);
    std::unique_ptr<VOKViewController> viewController(qobject_cast<VOKViewController *>(made.get()));
    if (!viewController) {
        VOK_ASSERTION(QStringLiteral("Failed to create view controller of class %1").arg(className));
        return nullptr;
    }
    made.release();
    for (auto entry = keyPathsAndObjects.cbegin(); entry != keyPathsAndObjects.cend(); ++entry) {
        if (!isNullMarker(entry.value()))
            setValueForKeyPath(viewController.get(), entry.key(), entry.value());
    }
    viewController->vokAllSet();
    VOKWindowController *controller = VOKWindowController::presentViewController(std::move(viewController));
    VOKWindow *window = controller->window();
    window->setIdentifier(windowIdentifier(className, keyPathsAndObjects));
    if (controller->viewController()->vokAutoRestore() && !window->identifier().isNull())
        VOKWindowRestoration::markRestorable(window);
    const QString recentsTitle = controller->viewController()->vokRecentsMenuTitle();
    if (!recentsTitle.isNull() && !window->identifier().isNull())
        VOKRecentsManager::sharedInstance().addRecentWithTitle(recentsTitle, window->identifier());
    return controller->viewController();
}
