#pragma once

#include "IngestWorkload.h"

#include <cstddef>
#include <optional>

class VDLTopic;

// The heap per topic node, read once every topic of the workload exists (after the workload's
// first topicCount() messages): what the tree, and the outline when one is shown, keep for a node
// with its one message, the message's record and payload included (they count whichever thread
// made them). GUI thread.
class IngestNodeMemory
{
public:
    // Takes the heap reading that the figure starts from.
    explicit IngestNodeMemory(const IngestWorkload &workload);

    // Called after each filed message; the first call that finds every topic filed takes the figure.
    void sample(const VDLTopic &root);
    void print() const;

private:
    qint64 m_topicCount;
    std::size_t m_heapBefore;
    std::optional<double> m_bytesPerNode;
};
