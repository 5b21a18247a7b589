#include "VDLDeviceRecognition.h"

#include "VDLRepresentedDevice.h"
#include "VDLTopic.h"

namespace {

VDLRepresentedDevice::TopicResolver resolverBelow(VDLTopic &node)
{
    return [&node](const QString &relativePath) -> const QObject * { return node.topicAtRelativePath(relativePath); };
}

} // namespace

VDLDeviceRecognition::VDLDeviceRecognition(const VDLRepresentedDevice *definition, QList<QPointer<VDLTopic>> sources)
    : m_definition(definition), m_sources(std::move(sources))
{
}

std::unique_ptr<VDLDeviceRecognition> VDLDeviceRecognition::recognise(VDLTopic &node)
{
    const VDLRepresentedDevice *const matched = VDLRepresentedDevice::deviceMatching(resolverBelow(node));
    if (!matched)
        return nullptr;
    QList<QPointer<VDLTopic>> sources;
    for (const VDLRepresentedDevicePropertyDefinition *field : matched->fields()) {
        if (VDLTopic *const source = node.topicAtRelativePath(field->path()))
            sources.append(source);
    }
    return std::unique_ptr<VDLDeviceRecognition>(new VDLDeviceRecognition(matched, std::move(sources)));
}

QList<VDLTopic *> VDLDeviceRecognition::sources() const
{
    QList<VDLTopic *> present;
    for (const QPointer<VDLTopic> &source : m_sources) {
        if (source)
            present.append(source);
    }
    return present;
}

bool VDLDeviceRecognition::isSameAs(const VDLDeviceRecognition &other) const
{
    return m_definition == other.m_definition && m_sources == other.m_sources;
}

void VDLDeviceRecognition::markSources(bool isDeviceProperty) const
{
    for (VDLTopic *source : sources())
        source->setDeviceProperty(isDeviceProperty);
}

const std::optional<VOKMarkup> &VDLDeviceRecognition::rendering(VDLTopic &node) const
{
    if (!m_rendering)
        m_rendering = m_definition->render(resolverBelow(node));
    return *m_rendering;
}
