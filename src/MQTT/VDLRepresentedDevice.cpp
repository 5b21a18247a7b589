#include "VDLRepresentedDevice.h"

#include "VOKClassRegistry.h"
#include "VOKJSON.h"
#include "VOKMarkupParser.h"
#include "VOKPlistRepresentation.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <memory>
#include <mutex>

namespace {

const QString placeholder = QStringLiteral("%@");

// The loaded definitions: the holder owns them for the life of the process.
struct Catalogue
{
    QObject holder;
    QList<const VDLRepresentedDevice *> devices;
    int maxMatchDepth = 0;
};

const Catalogue &catalogue()
{
    static std::once_flag once;
    static std::unique_ptr<Catalogue> loaded;
    std::call_once(once, [] {
        loaded = std::make_unique<Catalogue>();
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
    });
    return *loaded;
}

void registerClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        VOKClassRegistry::registerClass<VDLRepresentedDevice>();
        VOKClassRegistry::registerClass<VDLRepresentedDevicePropertyDefinition>();
    });
}

// Fills the placeholders in order. Each search starts after the value put in before, so a value
// that itself holds "%@" is never filled in again.
QString filledFormat(QString format, const QStringList &values)
{
    qsizetype from = 0;
    for (const QString &value : values) {
        const qsizetype at = format.indexOf(placeholder, from);
        if (at < 0)
            break;
        format.replace(at, placeholder.size(), value);
        from = at + value.size();
    }
    return format;
}

} // namespace

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

std::optional<VOKAttributedString> VDLRepresentedDevice::render(const TopicResolver &resolve) const
{
    QStringList values;
    for (const VDLRepresentedDevicePropertyDefinition *field : m_fields) {
        const std::optional<QString> markup = field->markupForSource(resolve(field->path()));
        if (!markup)
            return std::nullopt;
        values.append(*markup);
    }
    VOKTextAttributes style;
    style.truncatesTail = true;
    return vokAttributedStringWithStyle(filledFormat(m_format, values), style);
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
