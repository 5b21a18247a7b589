#include "VOKKeyPath.h"

#include "VOKLog.h"
#include "VOKObservableValues.h"
#include "VOKVariant.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QMetaProperty>
#include <QReadWriteLock>

namespace {

QReadWriteLock unwrapperLock;
QHash<int, VOKKeyPath::Unwrapper> &unwrappers()
{
    static QHash<int, VOKKeyPath::Unwrapper> table;
    return table;
}

// Replaces wrappers (registered smart pointers, JSON values) by what they hold.
QVariant unwrapped(QVariant value)
{
    for (int round = 0; round < 4 && value.isValid(); ++round) {
        if (value.metaType() == QMetaType::fromType<QJsonValue>()) {
            value = value.value<QJsonValue>().toVariant();
            continue;
        }
        VOKKeyPath::Unwrapper unwrapper;
        {
            QReadLocker lock(&unwrapperLock);
            unwrapper = unwrappers().value(value.metaType().id());
        }
        if (!unwrapper)
            break;
        value = unwrapper(value);
    }
    return value;
}

bool isDictionary(const QVariant &value)
{
    return vokIsDictionary(value) || value.metaType() == QMetaType::fromType<QJsonObject>();
}

bool isList(const QVariant &value)
{
    return vokIsArray(value) || value.metaType() == QMetaType::fromType<QJsonArray>();
}

QVariantList asList(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QJsonArray>())
        return value.value<QJsonArray>().toVariantList();
    return value.toList();
}

QVariant dictionaryValue(const QVariant &value, const QString &key)
{
    if (value.metaType() == QMetaType::fromType<QJsonObject>()) {
        const QJsonObject object = value.value<QJsonObject>();
        const auto found = object.constFind(key);
        return found == object.constEnd() ? QVariant() : found->toVariant();
    }
    if (value.metaType() == QMetaType::fromType<QVariantHash>())
        return value.value<QVariantHash>().value(key);
    return value.value<QVariantMap>().value(key);
}

QObject *asObject(const QVariant &value)
{
    if (!(value.metaType().flags() & QMetaType::PointerToQObject))
        return nullptr;
    return value.value<QObject *>();
}

// The meta-object and the address of a gadget value or pointer, or nulls.
std::pair<const QMetaObject *, const void *> asGadget(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (type.flags() & QMetaType::IsGadget)
        return {type.metaObject(), value.constData()};
    if (type.flags() & QMetaType::PointerToGadget) {
        const void *gadget = *static_cast<const void *const *>(value.constData());
        return {gadget ? type.metaObject() : nullptr, gadget};
    }
    return {nullptr, nullptr};
}

// A null object or gadget pointer is no value at all: the walk stops there without a warning.
QVariant nullAsInvalid(const QVariant &value)
{
    const QMetaType::TypeFlags flags = value.metaType().flags();
    if ((flags & (QMetaType::PointerToQObject | QMetaType::PointerToGadget))
        && !*static_cast<const void *const *>(value.constData()))
        return QVariant();
    return value;
}

bool isListOwnKey(const QString &key)
{
    return key == QLatin1String("count") || key == QLatin1String("firstObject")
        || key == QLatin1String("lastObject");
}

QVariant listOwnValue(const QVariantList &list, const QString &key)
{
    if (key == QLatin1String("count"))
        return QVariant::fromValue(qint64(list.size()));
    if (list.isEmpty())
        return QVariant();
    return key == QLatin1String("firstObject") ? list.first() : list.last();
}

} // namespace

namespace VOKKeyPath {

bool answersKey(const QVariant &original, const QString &key)
{
    const QVariant object = unwrapped(original);
    if (QObject *qobject = asObject(object)) {
        return qobject_cast<VOKObservableValues *>(qobject)
            || qobject->metaObject()->indexOfProperty(key.toUtf8().constData()) >= 0
            || qobject->dynamicPropertyNames().contains(key.toUtf8());
    }
    if (const auto [metaObject, gadget] = asGadget(object); metaObject)
        return metaObject->indexOfProperty(key.toUtf8().constData()) >= 0;
    if (isDictionary(object))
        return true;
    if (isList(object)) {
        const QVariantList list = asList(object);
        return isListOwnKey(key) || (!list.isEmpty() && answersKey(list.first(), key));
    }
    return false;
}

QVariant valueForKey(const QVariant &original, const QString &key)
{
    const QVariant object = unwrapped(original);
    if (QObject *qobject = asObject(object)) {
        if (const auto *values = qobject_cast<VOKObservableValues *>(qobject))
            return values->valueForKey(key);
        return nullAsInvalid(qobject->property(key.toUtf8().constData()));
    }
    if (const auto [metaObject, gadget] = asGadget(object); metaObject) {
        const int index = metaObject->indexOfProperty(key.toUtf8().constData());
        return index < 0 ? QVariant() : nullAsInvalid(metaObject->property(index).readOnGadget(gadget));
    }
    if (isDictionary(object))
        return dictionaryValue(object, key);
    if (isList(object)) {
        const QVariantList list = asList(object);
        if (isListOwnKey(key))
            return listOwnValue(list, key);
        QVariantList mapped;
        mapped.reserve(list.size());
        for (const QVariant &element : list)
            mapped.append(valueForKey(element, key));
        return mapped;
    }
    return QVariant();
}

QString describe(const QVariant &original)
{
    constexpr qsizetype limit = 200;
    const QVariant object = unwrapped(original);
    if (!object.isValid())
        return QStringLiteral("(null)");
    if (QObject *qobject = asObject(object)) {
        const QString address = QStringLiteral("0x%1").arg(quintptr(qobject), 0, 16);
        return QStringLiteral("%1(%2)").arg(QString::fromLatin1(qobject->metaObject()->className()),
                                            address);
    }
    if (isDictionary(object) || isList(object)) {
        const QJsonValue json = QJsonValue::fromVariant(object);
        const QByteArray text = json.isObject()
            ? QJsonDocument(json.toObject()).toJson(QJsonDocument::Compact)
            : QJsonDocument(json.toArray()).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(text).left(limit);
    }
    if (object.canConvert<QString>())
        return object.toString().left(limit);
    return QString::fromLatin1(object.metaType().name());
}

void registerUnwrapper(QMetaType type, Unwrapper unwrapper)
{
    QWriteLocker lock(&unwrapperLock);
    unwrappers().insert(type.id(), std::move(unwrapper));
}

} // namespace VOKKeyPath

QVariant vokSafeValueForKeyPath(const QVariant &start, const QString &keyPath, bool warnForErrors)
{
    QVariant current = start;
    for (const QString &component : keyPath.split(QLatin1Char('.'))) {
        if (component.isEmpty()) {
            if (warnForErrors)
                VOK_ERROR(QStringLiteral("There is no keyPath for currentKeyPath"));
            return QVariant();
        }
        if (!VOKKeyPath::answersKey(current, component)) {
            if (warnForErrors) {
                VOK_ERROR(QStringLiteral("'%1' does not implement key '%2' (Requested keyPath: '%3' on '%4')")
                              .arg(VOKKeyPath::describe(current), component, keyPath,
                                   VOKKeyPath::describe(start)));
            }
            return QVariant();
        }
        current = VOKKeyPath::valueForKey(current, component);
        if (!current.isValid())
            return QVariant();
    }
    return current;
}

QVariant vokSafeValueForKeyPath(const QObject *object, const QString &keyPath, bool warnForErrors)
{
    if (!object)
        return QVariant();
    return vokSafeValueForKeyPath(QVariant::fromValue(const_cast<QObject *>(object)), keyPath,
                                  warnForErrors);
}
