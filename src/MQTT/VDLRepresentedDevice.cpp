#include "VDLRepresentedDevice.h"

#include "VOKClassRegistry.h"
#include "VOKJSON.h"
#include "VOKPlistRepresentation.h"

#include "VOKString.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <QMutex>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// The loaded definitions: the holder owns them for the life of the process.
struct Catalogue
{
    QObject holder;
    QList<const VDLRepresentedDevice *> devices;
    int maxMatchDepth = 0;
};

std::unique_ptr<Catalogue> loadCatalogue()
{
    auto loaded = std::make_unique<Catalogue>();
    const QList<VDLRepresentedDevice *> user =
        VDLRepresentedDevice::devicesFromList(VDLRepresentedDevice::userDefinitionList(), &loaded->holder);
    const QList<VDLRepresentedDevice *> builtIn = VDLRepresentedDevice::devicesFromList(
        vokLoadPropertyListFromJSONResourceNamed(QStringLiteral("RepresentedDevices")), &loaded->holder);
    for (const QList<VDLRepresentedDevice *> &list : {user, builtIn}) {
        for (const VDLRepresentedDevice *device : list) {
            loaded->devices.append(device);
            for (const QString &path : device->matchPaths())
                loaded->maxMatchDepth = std::max(loaded->maxMatchDepth, int(path.count(QLatin1Char('/')) + 1));
        }
    }
    return loaded;
}

QMutex catalogueMutex;
std::atomic<const Catalogue *> currentCatalogue{nullptr};

// Every catalogue ever loaded stays: topics keep pointers to the definitions they matched.
void install(std::unique_ptr<Catalogue> loaded)
{
    static std::vector<std::unique_ptr<Catalogue>> kept;
    currentCatalogue.store(loaded.get(), std::memory_order_release);
    kept.push_back(std::move(loaded));
}

const Catalogue &catalogue()
{
    if (const Catalogue *loaded = currentCatalogue.load(std::memory_order_acquire))
        return *loaded;
    QMutexLocker lock(&catalogueMutex);
    if (!currentCatalogue.load(std::memory_order_acquire))
        install(loadCatalogue());
    return *currentCatalogue.load(std::memory_order_acquire);
}

void registerClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        VOKClassRegistry::registerClass<VDLRepresentedDevice>();
        VOKClassRegistry::registerClass<VDLRepresentedDevicePropertyDefinition>();
    });
}

} // namespace

void VDLRepresentedDevice::reloadDefinitions()
{
    QMutexLocker lock(&catalogueMutex);
    install(loadCatalogue());
}

const QList<const VDLRepresentedDevice *> &VDLRepresentedDevice::allDevices()
{
    return catalogue().devices;
}

int VDLRepresentedDevice::maxMatchDepth()
{
    return catalogue().maxMatchDepth;
}

const VDLRepresentedDevice *VDLRepresentedDevice::deviceMatching(const TopicResolver &resolve)
{
    for (const VDLRepresentedDevice *device : allDevices()) {
        if (device->matches(resolve))
            return device;
    }
    return nullptr;
}

QString VDLRepresentedDevice::userDefinitionPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Vindle/RepresentedDevices.json");
}

QVariant VDLRepresentedDevice::userDefinitionList()
{
    const QString path = userDefinitionPath();
    return QFileInfo::exists(path) ? vokLoadPropertyListFromJSONFile(path) : QVariant();
}

QList<VDLRepresentedDevice *> VDLRepresentedDevice::devicesFromList(const QVariant &document, QObject *parent)
{
    if (document.typeId() != QMetaType::QVariantList)
        return {};
    registerClasses();
    const QVariant converted = vokObjectRepresentationUsingDefaultClassName(
        document, QString::fromLatin1(staticMetaObject.className()), parent);
    QList<VDLRepresentedDevice *> devices;
    for (const QVariant &element : converted.toList()) {
        if (auto *device = qobject_cast<VDLRepresentedDevice *>(element.value<QObject *>()))
            devices.append(device);
    }
    return devices;
}

QString VDLRepresentedDevice::defaultClassNameForArrayPropertyNamed(const QString &name) const
{
    if (name == QLatin1String("fields"))
        return QString::fromLatin1(VDLRepresentedDevicePropertyDefinition::staticMetaObject.className());
    return QString();
}

bool VDLRepresentedDevice::matches(const TopicResolver &resolve) const
{
    for (const QString &path : m_matchPaths) {
        if (!resolve(path))
            return false;
    }
    return true;
}

std::optional<VOKMarkup> VDLRepresentedDevice::render(const TopicResolver &resolve) const
{
    QStringList values;
    for (const VDLRepresentedDevicePropertyDefinition *field : m_fields) {
        const std::optional<QString> markup = field->markupForSource(resolve(field->path()));
        if (!markup)
            return std::nullopt;
        values.append(*markup);
    }
    return VOKMarkup(vokStringByFillingPlaceholders(m_format, values));
}

QVariantList VDLRepresentedDevice::fieldList() const
{
    QVariantList list;
    for (const VDLRepresentedDevicePropertyDefinition *field : m_fields)
        list.append(QVariant::fromValue(const_cast<VDLRepresentedDevicePropertyDefinition *>(field)));
    return list;
}

void VDLRepresentedDevice::setFieldList(const QVariantList &fields)
{
    m_fields.clear();
    for (const QVariant &element : fields) {
        auto *field = qobject_cast<VDLRepresentedDevicePropertyDefinition *>(element.value<QObject *>());
        if (!field)
            continue;
        field->setParent(this);
        m_fields.append(field);
    }
}
