#include "VOKAttachments.h"

#include <QHash>

#include <memory>

namespace {

using AttachmentTable = QHash<const void *, QVariant>;
using SharedTable = std::shared_ptr<AttachmentTable>;

} // namespace

Q_DECLARE_METATYPE(SharedTable)

namespace {

// The table rides on a dynamic property, so it dies with the object without adding a child
// object that code walking children() would see.
constexpr char tableProperty[] = "_vokAttachments";

AttachmentTable *tableOf(const QObject *object)
{
    const QVariant stored = object->property(tableProperty);
    return stored.isValid() ? stored.value<SharedTable>().get() : nullptr;
}

} // namespace

QVariant vokAssociatedObjectForKey(const QObject *object, const void *key)
{
    if (!object)
        return QVariant();
    const AttachmentTable *table = tableOf(object);
    return table ? table->value(key) : QVariant();
}

void vokSetAssociatedObject(QObject *object, const QVariant &value, const void *key)
{
    if (!object)
        return;
    AttachmentTable *table = tableOf(object);
    if (!table) {
        if (!value.isValid())
            return;
        auto created = std::make_shared<AttachmentTable>();
        table = created.get();
        object->setProperty(tableProperty, QVariant::fromValue(created));
    }
    const auto existing = table->constFind(key);
    if (existing != table->constEnd() && *existing == value)
        return;
    if (value.isValid())
        table->insert(key, value);
    else
        table->remove(key);
}
