#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// Narrows a tree of QObjects to the nodes that pass a test plus all their ancestors, without
// copying the tree, so an outline can show the matches together with the way down to them.
//
// Nodes are known only through names: the property at childrenKeyPath gives a node's ordered
// children (a list of QObject pointers), the property "parent" its parent (null for a root), and
// the notify signal of the property at filteredChildrenKeyPath announces that a node's filtered
// children changed. The result of the last updateWithRoots() is kept, so asking for filtered
// children is one hash lookup per child. Nodes added to the tree after a recomputation stay
// hidden until the next one; nodes destroyed since then count as hidden.
//
// Threads: the thread of the tree (the main thread). Ownership: nodes are never owned; a node
// destroyed between two recomputations is detected through a guard, never dereferenced.
class VOKTreeFilter : public QObject
{
    Q_OBJECT

public:
    using Predicate = std::function<bool(const QObject *node)>;

    explicit VOKTreeFilter(QObject *parent = nullptr);

    // An empty predicate turns the filter off: every child passes at once.
    const Predicate &predicate() const { return m_predicate; }
    void setPredicate(Predicate predicate);

    QString childrenKeyPath() const { return m_childrenKeyPath; }
    void setChildrenKeyPath(const QString &keyPath) { m_childrenKeyPath = keyPath; }
    // Where the nodes' type is known, functions that give a node's children and its parent (the
    // same as the properties at childrenKeyPath and "parent") spare a property lookup for every
    // node visited, which dominates a recomputation over a big tree. Empty to use the names.
    using ChildrenAccessor = std::function<QObjectList(const QObject *node)>;
    using ParentAccessor = std::function<QObject *(const QObject *node)>;
    void setAccessors(ChildrenAccessor children, ParentAccessor parent);
    QString filteredChildrenKeyPath() const { return m_filteredChildrenKeyPath; }
    void setFilteredChildrenKeyPath(const QString &keyPath) { m_filteredChildrenKeyPath = keyPath; }

    // Recomputes the visible nodes (every node that matches or has a matching descendant) and the
    // parents whose visible children changed since the last computation. Linear in the size of
    // the trees; iterative, so any depth is fine.
    void updateWithRoots(const QObjectList &roots);

    // The same result as updateWithRoots when the caller already knows the nodes that pass the
    // predicate (set it first): they and their ancestors become visible, and the rest of the
    // tree is never visited. Linear in the passing nodes and their depth.
    void updateWithPassingNodes(const QObjectList &passing);

    // The node's children that are visible, in the order of the full list; without a predicate
    // the full list itself.
    QObjectList filteredChildrenOf(const QObject *node) const;
    // True without a predicate; otherwise whether the last computation found the node visible.
    bool isVisible(const QObject *node) const;

    // None while the filter is off; otherwise the nodes the last computation found visible.
    std::optional<QObjectList> visibleObjects() const;
    // Parents waiting to be announced (each once).
    QObjectList changedParents() const;

    // Emits, on each changed parent still alive, the notify signal of the property at
    // filteredChildrenKeyPath, then forgets them. Without that key path it does nothing, and the
    // parents stay waiting.
    void fireKVOForChangedParents();

    // The children at childrenKeyPath of a node (through the accessor when there is one).
    QObjectList childrenOf(const QObject *node) const;

private:
    // A visible node with a guard against its destruction, and its parent at the time.
    struct Entry
    {
        QPointer<QObject> node;
        QPointer<QObject> parent;
    };
    using VisibleSet = QHash<const QObject *, Entry>;

    void collectVisibleFrom(QObject *root, VisibleSet &visible) const;
    void replaceVisible(std::optional<VisibleSet> visible);
    QObject *parentOf(const QObject *node) const;
    void computeChangedParents(const std::optional<VisibleSet> &old,
                               const std::optional<VisibleSet> &current);
    static bool containsLive(const std::optional<VisibleSet> &set, const QObject *node);

    Predicate m_predicate;
    QString m_childrenKeyPath;
    ChildrenAccessor m_childrenAccessor;
    ParentAccessor m_parentAccessor;
    QString m_filteredChildrenKeyPath;
    std::optional<VisibleSet> m_visible;
    QList<QPointer<QObject>> m_changedParents;
};
