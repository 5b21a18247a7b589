#include "VOKList.h"

#include "VOKKeyPath.h"
#include "VOKLog.h"

#include <QSequentialIterable>

namespace {

// The value as a list when it is one (text and bytes are not lists here).
std::optional<QVariantList> asList(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (!value.isValid() || type == QMetaType::fromType<QString>() || type == QMetaType::fromType<QByteArray>())
        return std::nullopt;
    if (!value.canView<QSequentialIterable>())
        return std::nullopt;
    QVariantList list;
    const QSequentialIterable elements = value.value<QSequentialIterable>();
    for (const QVariant &element : elements)
        list.append(element);
    return list;
}

} // namespace

QVariantList vokArrayByRemovingObject(const QVariantList &array, const QVariant &object)
{
    QVariantList copy = array;
    if (object.isValid())
        copy.removeAll(object);
    return copy;
}

QStringList vokArrayByRemovingObject(const QStringList &array, const QString &object)
{
    QStringList copy = array;
    if (!object.isNull())
        copy.removeAll(object);
    return copy;
}

QString vokNll(const QStringList &array)
{
    return array.join(QLatin1Char('\n'));
}

QVariant vokObjectAtIndexPath(const QVariantList &array, const VOKIndexPath &indexPath,
                              const QString &childPropertyName)
{
    // Iterates down the path, so a long path costs no stack.
    QVariantList level = array;
    VOKIndexPath rest = indexPath;
    while (true) {
        const qint64 index = rest.firstIndex();
        if (rest.isEmpty() || index < 0 || index >= level.size())
            return QVariant();
        const QVariant element = level.at(index);
        if (rest.length() == 1)
            return element;
        const QVariant children = vokSafeValueForKeyPath(element, childPropertyName);
        const std::optional<QVariantList> childList = asList(children);
        if (!childList) {
            VOK_ERROR(QStringLiteral("Expected array at %1 property '%2', got %3")
                          .arg(VOKKeyPath::describe(element), childPropertyName, VOKKeyPath::describe(children)));
            return QVariant();
        }
        level = *childList;
        rest = rest.indexPathByRemovingFirstIndex();
    }
}

QVariantList vokObjectsAtIndexPaths(const QVariantList &array, const QList<VOKIndexPath> &indexPaths,
                                    const QString &childPropertyName)
{
    QVariantList found;
    for (const VOKIndexPath &indexPath : indexPaths) {
        const QVariant object = vokObjectAtIndexPath(array, indexPath, childPropertyName);
        if (object.isValid())
            found.append(object);
    }
    return found;
}

QVariantList vokItemsAtIndexPaths(const QVariantList &array, const QList<VOKIndexPath> &indexPaths)
{
    return vokObjectsAtIndexPaths(array, indexPaths, QStringLiteral("items"));
}

QVariantList vokChildrenAtIndexPaths(const QVariantList &array, const QList<VOKIndexPath> &indexPaths)
{
    return vokObjectsAtIndexPaths(array, indexPaths, QStringLiteral("children"));
}
