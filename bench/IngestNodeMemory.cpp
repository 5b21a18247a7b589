#include "IngestNodeMemory.h"

#include "VDLTopic.h"

#include <malloc.h>

#include <cstdio>

namespace {

qint64 nodeCount(const VDLTopic &root)
{
    qint64 count = 0;
    QList<const VDLTopic *> pending{&root};
    while (!pending.isEmpty()) {
        const VDLTopic *const node = pending.takeLast();
        ++count;
        for (const VDLTopic *child : node->subTopics())
            pending.append(child);
    }
    return count;
}

} // namespace

IngestNodeMemory::IngestNodeMemory(const IngestWorkload &workload)
    : m_topicCount(workload.topicCount())
    , m_heapBefore(mallinfo2().uordblks)
{
}

void IngestNodeMemory::sample(const VDLTopic &root)
{
    if (m_bytesPerNode || root.totalMessages() < quint64(m_topicCount))
        return;
    const double growth = double(mallinfo2().uordblks) - double(m_heapBefore);
    m_bytesPerNode = growth / double(nodeCount(root));
}

void IngestNodeMemory::print() const
{
    if (m_bytesPerNode)
        std::printf("  GUI heap per topic node: %.0f bytes\n", *m_bytesPerNode);
    else
        std::printf("  GUI heap per topic node: not reached\n");
}
