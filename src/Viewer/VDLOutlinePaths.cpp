#include "VDLOutlinePaths.h"

#include "VDLTopic.h"
#include "VDLTopicsModel.h"

#include <algorithm>

namespace {

// A topic waiting in the walk, with what its path is built from.
struct Pending
{
    VDLTopic *topic;
    // The length of the parent's path in the walk's scratch path.
    qsizetype parentPathLength;
    bool parentIsRoot;
};

} // namespace

void VDLOutlinePaths::refresh(const VDLTopicsModel &model)
{
    if (m_model == &model && m_revision == model.revision())
        return;
    m_model = &model;
    m_revision = model.revision();
    walk(model);
}

void VDLOutlinePaths::clear()
{
    m_model = nullptr;
    m_entries = {};
    m_paths = QString();
}

void VDLOutlinePaths::walk(const VDLTopicsModel &model)
{
    // Trees mostly grow: the last walk's size is a good start.
    const qsizetype previousLength = m_paths.size();
    m_entries.clear();
    m_paths = QString();
    VDLTopic *const root = model.rootTopic();
    if (!root)
        return;
    m_entries.reserve(size_t(root->totalTopics()));
    m_paths.reserve(previousLength + previousLength / 8);
    // Paths are built one level at a time in a scratch path instead of walking up from every
    // topic; the root's own name is no part of them.
    QString path;
    std::vector<Pending> pending;
    const auto pushChildren = [&](VDLTopic *parent, bool parentIsRoot) {
        if (parent->isLeaf())
            return;
        const QList<VDLTopic *> children = model.childrenInOrder(parent);
        for (auto child = children.crbegin(); child != children.crend(); ++child)
            pending.push_back({*child, path.size(), parentIsRoot});
    };
    pushChildren(root, true);
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        path.truncate(next.parentPathLength);
        if (!next.parentIsRoot)
            path.append(QLatin1Char('/'));
        path.append(next.topic->name());
        m_paths.append(path);
        m_entries.push_back({next.topic, m_paths.size(), next.topic->representedDevice() != nullptr});
        pushChildren(next.topic, false);
    }
    // Folded once here, a search compares exactly, which is many times faster than folding every
    // character of the buffer for every keystroke. Folding keeps every path's length.
    m_paths = std::move(m_paths).toCaseFolded();
}

qsizetype VDLOutlinePaths::indexOf(const VDLTopic *topic) const
{
    const auto found = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                    [topic](const Entry &entry) { return entry.topic == topic; });
    return found == m_entries.cend() ? -1 : found - m_entries.cbegin();
}

std::vector<qsizetype> VDLOutlinePaths::positionsContaining(const QString &text) const
{
    std::vector<qsizetype> positions;
    const QString folded = text.toCaseFolded();
    const qsizetype length = folded.size();
    const QStringView paths(m_paths);
    qsizetype position = 0;
    qsizetype from = 0;
    // One scan of the whole buffer: an occurrence belongs to the path it starts in, and counts
    // only when it ends there too. Either way the scan goes on with the next path.
    for (qsizetype found = paths.indexOf(folded, from); found >= 0 && position < size();
         found = paths.indexOf(folded, from)) {
        while (m_entries[position].pathEnd <= found)
            ++position;
        const qsizetype end = m_entries[position].pathEnd;
        if (found + length <= end)
            positions.push_back(position);
        from = end;
        ++position;
    }
    return positions;
}
