#include "VOKPlistRepresentation.h"

#include "VOKClassRegistry.h"
#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKPlistObject.h"
#include "VOKSortDescriptor.h"

#include <QHash>
#include <QMetaProperty>
#include <QMutex>
#include <QSet>

namespace {

const QString ClassKey = QStringLiteral("__CLASS");
const QString DescriptionKey = QStringLiteral("description");
const QString StoredDescriptionKey = QStringLiteral("_description");

bool isDictionary(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QVariantMap>();
}

bool isArray(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QVariantList>()
        || value.metaType() == QMetaType::fromType<QStringList>();
}

bool isString(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QString>();
}

QObject *asObject(const QVariant &value)
{
    if (!(value.metaType().flags() & QMetaType::PointerToQObject))
        return nullptr;
    return value.value<QObject *>();
}

// An unset property: nothing, a null object pointer or a null string.
bool isNone(const QVariant &value)
{
    if (!value.isValid())
        return true;
    if (value.metaType().flags() & QMetaType::PointerToQObject)
        return asObject(value) == nullptr;
    return isString(value) && value.toString().isNull();
}

// Logs "warning: item" only the first time this pair comes up in the process.
void warnOnce(const QString &warning, const QString &item)
{
    static QMutex mutex;
    static QHash<QString, QSet<QString>> reported;
    {
        const QMutexLocker lock(&mutex);
        QSet<QString> &items = reported[warning];
        if (items.contains(item))
            return;
        items.insert(item);
    }
    VOK_WARNING(QStringLiteral("%1: %2").arg(warning, item));
}

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

QVariant dictionaryRepresentation(const QVariantMap &plist, const QString &defaultClass, QObject *parent)
{
    const QString name = plist.contains(ClassKey) ? plist.value(ClassKey).toString() : defaultClass;
    if (name.isEmpty()) {
        QVariantMap converted;
        for (auto entry = plist.constBegin(); entry != plist.constEnd(); ++entry)
            converted.insert(entry.key(), vokObjectRepresentation(entry.value(), parent));
        return converted;
    }
    const VOKClassRegistry::Factory factory = VOKClassRegistry::factory(name);
    if (!factory) {
        VOK_ASSERTION(QStringLiteral("Can't find class named '%1'").arg(name));
        return QVariant();
    }
    return factory(plist, parent);
}

void deleteObjects(const QVariantList &values)
{
    for (const QVariant &value : values)
        delete asObject(value);
}

QVariant arrayRepresentation(const QVariantList &plist, const QString &defaultClass, QObject *parent)
{
    const bool stringsStay = defaultClass.isEmpty() || defaultClass == QLatin1String("NSString");
    QVariantList converted;
    converted.reserve(plist.size());
    for (const QVariant &element : plist) {
        if (isString(element) && stringsStay) {
            converted.append(element);
        } else if (isDictionary(element)) {
            // An element whose class is missing has been reported and is left out.
            const QVariant object = dictionaryRepresentation(element.toMap(), defaultClass, parent);
            if (object.isValid())
                converted.append(object);
        } else {
            VOK_ERROR(QStringLiteral("Expected dictionary in JSON, got: %1").arg(VOKKeyPath::describe(element)));
            deleteObjects(converted);
            return QVariant();
        }
    }
    return converted;
}

// The array property written without the "__CLASS" of elements of its default class.
QVariant withoutDefaultClass(const QVariant &plist, const QString &defaultClass)
{
    QVariantList elements = plist.toList();
    for (QVariant &element : elements) {
        if (!isDictionary(element))
            continue;
        QVariantMap dictionary = element.toMap();
        if (dictionary.value(ClassKey).toString() == defaultClass) {
            dictionary.remove(ClassKey);
            element = dictionary;
        }
    }
    return elements;
}

QVariant objectPlistRepresentation(const QObject *object)
{
    const auto *model = qobject_cast<const VOKPlistObject *>(object);
    if (!model) {
        VOK_ASSERTION(QStringLiteral("%1 failed to implement %2!")
                          .arg(className(object), QStringLiteral("plistRepresentationKeys")));
        return QVariant();
    }
    const std::optional<QStringList> keys = model->plistRepresentationKeys();
    if (!keys)
        return QVariant();
    return vokPlistRepresentationForKeys(object, *keys);
}

} // namespace

QVariant vokObjectRepresentation(const QVariant &plist, QObject *parent)
{
    if (isDictionary(plist))
        return dictionaryRepresentation(plist.toMap(), QString(), parent);
    if (isArray(plist)) {
        QVariantList converted;
        for (const QVariant &element : plist.toList())
            converted.append(vokObjectRepresentation(element, parent));
        return converted;
    }
    return plist;
}

QVariant vokObjectRepresentationUsingDefaultClassName(const QVariant &plist, const QString &className,
                                                      QObject *parent)
{
    if (isDictionary(plist))
        return dictionaryRepresentation(plist.toMap(), className, parent);
    if (isArray(plist))
        return arrayRepresentation(plist.toList(), className, parent);
    return QVariant();
}

void vokUpdateWithPlistRepresentation(QObject *object, const QVariantMap &plist)
{
    const auto *model = qobject_cast<const VOKPlistObject *>(object);
    for (auto entry = plist.constBegin(); entry != plist.constEnd(); ++entry) {
        const QString &key = entry.key();
        const QVariant &value = entry.value();
        if (key == ClassKey)
            continue;
        if (isArray(value)) {
            const QString elementClass = model ? model->defaultClassNameForArrayPropertyNamed(key) : QString();
            vokSafeSetValue(object, vokObjectRepresentationUsingDefaultClassName(value, elementClass, object), key);
        } else if (isDictionary(value)) {
            const QString valueClass = model ? model->defaultClassNameForDictionaryPropertyNamed(key) : QString();
            vokSafeSetValue(object, vokObjectRepresentationUsingDefaultClassName(value, valueClass, object), key);
        } else {
            vokSafeSetValue(object, value, key == DescriptionKey ? StoredDescriptionKey : key);
        }
    }
}

void vokSafeSetValue(QObject *object, const QVariant &value, const QString &key)
{
    if (!object)
        return;
    if (key.isNull()) {
        warnOnce(QStringLiteral("No property found with name (null)"),
                 QStringLiteral("%1:(null)").arg(className(object)));
        return;
    }
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(key.toUtf8().constData());
    if (index < 0 || !meta->property(index).isReadable()) {
        warnOnce(QStringLiteral("'%1' does not implement property").arg(className(object)), key);
        return;
    }
    meta->property(index).write(object, value);
}

QVariant vokPlistRepresentation(const QVariant &value)
{
    if (isArray(value)) {
        QVariantList written;
        for (const QVariant &element : value.toList())
            written.append(vokPlistRepresentation(element));
        return written;
    }
    if (isDictionary(value)) {
        const QVariantMap dictionary = value.toMap();
        QVariantMap written;
        for (auto entry = dictionary.constBegin(); entry != dictionary.constEnd(); ++entry) {
            const QString key = entry.key() == DescriptionKey ? StoredDescriptionKey : entry.key();
            written.insert(key, vokPlistRepresentation(entry.value()));
        }
        return written;
    }
    if (value.metaType() == QMetaType::fromType<VOKSortDescriptor>())
        return value.value<VOKSortDescriptor>().plistRepresentation();
    if (const QObject *object = asObject(value))
        return objectPlistRepresentation(object);
    return value;
}

QVariantMap vokPlistRepresentationForKeys(const QObject *object, const QStringList &keys)
{
    const auto *model = qobject_cast<const VOKPlistObject *>(object);
    QVariantMap written{{ClassKey, className(object)}};
    for (const QString &key : keys) {
        const QVariant value = object->property(key.toUtf8().constData());
        if (isNone(value))
            continue;
        QVariant plist = vokPlistRepresentation(value);
        const QString elementClass = model ? model->defaultClassNameForArrayPropertyNamed(key) : QString();
        if (isArray(plist) && !elementClass.isEmpty())
            plist = withoutDefaultClass(plist, elementClass);
        written.insert(key, plist);
    }
    return written;
}
