#pragma once

#include "VOKMarkup.h"

#include <QList>
#include <QPointer>

#include <memory>
#include <optional>

class VDLRepresentedDevice;
class VDLTopic;

// That a topic node stands for a device: the definition it matches, the source topics below it
// that feed the rendering (in the definition's field order), and the rendering, made when first
// read after a change. Nodes that stand for no device (nearly all) keep none of this.
//
// Ownership: held by its node; the definition lives as long as the process, the sources are
// weak references into the same tree. GUI thread, like the tree.
class VDLDeviceRecognition
{
public:
    // What the node matches now: the first definition whose match paths all resolve below it,
    // with the sources that resolve; none when no definition matches.
    static std::unique_ptr<VDLDeviceRecognition> recognise(VDLTopic &node);

    const VDLRepresentedDevice *definition() const { return m_definition; }
    // The sources still in the tree.
    QList<VDLTopic *> sources() const;
    // The same definition with the same sources in the same order.
    bool isSameAs(const VDLDeviceRecognition &other) const;
    // Sets the flag that a node is read by a device on each source.
    void markSources(bool isDeviceProperty) const;

    // The node's rendering as markup; none when a required field has no value.
    const std::optional<VOKMarkup> &rendering(VDLTopic &node) const;
    // A source changed: the next read renders again.
    void forgetRendering() { m_rendering.reset(); }

private:
    VDLDeviceRecognition(const VDLRepresentedDevice *definition, QList<QPointer<VDLTopic>> sources);

    const VDLRepresentedDevice *m_definition;
    QList<QPointer<VDLTopic>> m_sources;
    mutable std::optional<std::optional<VOKMarkup>> m_rendering;
};
