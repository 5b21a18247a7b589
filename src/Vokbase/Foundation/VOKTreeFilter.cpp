#include "VOKTreeFilter.h"

#include "VOKKeyPath.h"

#include <QMetaProperty>
#include <QSequentialIterable>
#include <QSet>

#include <vector>

VOKTreeFilter::VOKTreeFilter(QObject *parent)
    : QObject(parent)
{
}

void VOKTreeFilter::setPredicate(Predicate predicate)
{
    m_predicate = std::move(predicate);
}

void VOKTreeFilter::setAccessors(ChildrenAccessor children, ParentAccessor parent)
{
    m_childrenAccessor = std::move(children);
    m_parentAccessor = std::move(parent);
}

QObject *VOKTreeFilter::parentOf(const QObject *node) const
{
    if (m_parentAccessor)
        return m_parentAccessor(node);
    const QVariant parent = vokSafeValueForKeyPath(node, QStringLiteral("parent"), false);
    return parent.isValid() ? qvariant_cast<QObject *>(parent) : nullptr;
}

QObjectList VOKTreeFilter::childrenOf(const QObject *node) const
{
    if (m_childrenAccessor)
        return m_childrenAccessor(node);
    QObjectList children;
    const QVariant value = vokSafeValueForKeyPath(node, m_childrenKeyPath, false);
    if (!value.canConvert<QSequentialIterable>())
        return children;
    const QSequentialIterable list = value.value<QSequentialIterable>();
    children.reserve(list.size());
    for (const QVariant &child : list) {
        if (QObject *object = qvariant_cast<QObject *>(child))
            children.append(object);
    }
    return children;
}

void VOKTreeFilter::updateWithRoots(const QObjectList &roots)
{
    if (!m_predicate) {
        replaceVisible(std::nullopt);
        return;
    }
    VisibleSet visible;
    for (QObject *root : roots)
        collectVisibleFrom(root, visible);
    replaceVisible(std::move(visible));
}

void VOKTreeFilter::updateWithPassingNodes(const QObjectList &passing)
{
    VisibleSet visible;
    for (QObject *node : passing) {
        // Up to the first ancestor already entered: every node is entered once.
        for (QObject *current = node; current && !visible.contains(current);) {
            QObject *const parent = parentOf(current);
            visible.insert(current, {current, parent});
            current = parent;
        }
    }
    replaceVisible(std::move(visible));
}

void VOKTreeFilter::replaceVisible(std::optional<VisibleSet> visible)
{
    const std::optional<VisibleSet> old = std::exchange(m_visible, std::move(visible));
    computeChangedParents(old, m_visible);
}

// Post-order without recursion: a node is decided once all of its children are.
void VOKTreeFilter::collectVisibleFrom(QObject *root, VisibleSet &visible) const
{
    if (!root)
        return;
    struct Frame
    {
        QObject *node;
        QObjectList children;
        qsizetype next = 0;
        bool visible = false;
    };
    std::vector<Frame> stack;
    stack.push_back({root, childrenOf(root), 0, m_predicate(root)});
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next < frame.children.size()) {
            QObject *child = frame.children[frame.next++];
            stack.push_back({child, childrenOf(child), 0, m_predicate(child)});
            continue;
        }
        const bool shown = frame.visible;
        QObject *node = frame.node;
        if (shown)
            visible.insert(node, {node, parentOf(node)});
        stack.pop_back();
        if (shown && !stack.empty())
            stack.back().visible = true;
    }
}

bool VOKTreeFilter::containsLive(const std::optional<VisibleSet> &set, const QObject *node)
{
    if (!set)
        return false;
    const auto found = set->constFind(node);
    return found != set->cend() && found->node;
}

void VOKTreeFilter::computeChangedParents(const std::optional<VisibleSet> &old,
                                          const std::optional<VisibleSet> &current)
{
    QSet<const QObject *> seen;
    QList<QPointer<QObject>> changed;
    const auto note = [&](const Entry &entry) {
        if (entry.parent && !seen.contains(entry.parent.data())) {
            seen.insert(entry.parent.data());
            changed.append(entry.parent);
        }
    };
    if (current) {
        for (auto it = current->cbegin(); it != current->cend(); ++it) {
            if (!containsLive(old, it.key()))
                note(it.value());
        }
    }
    if (old) {
        for (auto it = old->cbegin(); it != old->cend(); ++it) {
            if (!it->node || !containsLive(current, it.key()))
                note(it.value());
        }
    }
    m_changedParents = changed;
}

QObjectList VOKTreeFilter::filteredChildrenOf(const QObject *node) const
{
    QObjectList children = childrenOf(node);
    if (m_predicate)
        children.removeIf([this](const QObject *child) { return !containsLive(m_visible, child); });
    return children;
}

bool VOKTreeFilter::isVisible(const QObject *node) const
{
    return !m_predicate || containsLive(m_visible, node);
}

std::optional<QObjectList> VOKTreeFilter::visibleObjects() const
{
    if (!m_visible)
        return std::nullopt;
    QObjectList objects;
    for (const Entry &entry : *m_visible) {
        if (entry.node)
            objects.append(entry.node.data());
    }
    return objects;
}

QObjectList VOKTreeFilter::changedParents() const
{
    QObjectList parents;
    for (const QPointer<QObject> &parent : m_changedParents) {
        if (parent)
            parents.append(parent.data());
    }
    return parents;
}

void VOKTreeFilter::fireKVOForChangedParents()
{
    if (m_filteredChildrenKeyPath.isNull())
        return;
    const QByteArray name = m_filteredChildrenKeyPath.toUtf8();
    const QList<QPointer<QObject>> parents = std::exchange(m_changedParents, {});
    for (const QPointer<QObject> &parent : parents) {
        if (!parent)
            continue;
        const QMetaObject *meta = parent->metaObject();
        const int index = meta->indexOfProperty(name.constData());
        if (index >= 0 && meta->property(index).hasNotifySignal())
            meta->property(index).notifySignal().invoke(parent.data(), Qt::DirectConnection);
    }
}
