#include "VOKClassRegistry.h"

#include "VOKSortDescriptor.h"

#include <QHash>
#include <QMutex>

namespace {

struct Registry
{
    QMutex mutex;
    QHash<QString, VOKClassRegistry::Factory> factories;

    Registry()
    {
        // The toolkit's own readable class; model classes register themselves.
        factories.insert(VOKSortDescriptor::ArchivedClassName, &VOKSortDescriptor::fromPlist);
    }
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void VOKClassRegistry::registerFactory(const QString &name, Factory factory)
{
    Registry &table = registry();
    const QMutexLocker lock(&table.mutex);
    table.factories.insert(name, std::move(factory));
}

VOKClassRegistry::Factory VOKClassRegistry::factory(const QString &name)
{
    Registry &table = registry();
    const QMutexLocker lock(&table.mutex);
    return table.factories.value(name);
}
