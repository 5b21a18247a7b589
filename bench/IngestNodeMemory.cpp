#include "IngestNodeMemory.h"

#include "IngestHeap.h"
#include "VDLTopic.h"

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
    , m_heapBefore(ingestHeapBytes())
{
}

void IngestNodeMemory::sample(const VDLTopic &root)
{
    if (m_bytesPerNode || root.totalMessages() < quint64(m_topicCount))
        return;
    const double growth = double(ingestHeapBytes()) - double(m_heapBefore);
    m_bytesPerNode = growth / double(nodeCount(root));
}

void IngestNodeMemory::print() const
{
    if (m_bytesPerNode)
        std::printf("  heap per topic node with its one message: %.0f bytes\n", *m_bytesPerNode);
    else
        std::printf("  heap per topic node with its one message: not reached\n");
}
