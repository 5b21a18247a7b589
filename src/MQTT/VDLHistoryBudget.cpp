#include "VDLHistoryBudget.h"

#include "VDLTopic.h"

#include <algorithm>
#include <vector>

namespace {

// A turn drops this share of the longest history: few turns, and still the longest first.
constexpr qsizetype dropShare = 8;

bool shorterHistory(const VDLTopic *left, const VDLTopic *right)
{
    return left->history().size() < right->history().size();
}

} // namespace

bool VDLHistoryBudget::enforce(VDLTopic &root)
{
    if (!isExceeded())
        return false;
    std::vector<VDLTopic *> trimmable;
    quint64 used = 0;
    std::vector<VDLTopic *> pending{&root};
    while (!pending.empty()) {
        VDLTopic *const node = pending.back();
        pending.pop_back();
        used += node->history().memoryBytes();
        if (node->history().size() > 1)
            trimmable.push_back(node);
        pending.insert(pending.end(), node->subTopics().cbegin(), node->subTopics().cend());
    }
    m_used = used;
    const quint64 target = m_limit - m_limit / 10;
    bool dropped = false;
    std::make_heap(trimmable.begin(), trimmable.end(), shorterHistory);
    while (m_used > target && !trimmable.empty()) {
        std::pop_heap(trimmable.begin(), trimmable.end(), shorterHistory);
        VDLTopic *const longest = trimmable.back();
        noteGrowth(longest->dropOldestMessages(std::max<qsizetype>(1, longest->history().size() / dropShare)));
        dropped = true;
        if (longest->history().size() > 1)
            std::push_heap(trimmable.begin(), trimmable.end(), shorterHistory);
        else
            trimmable.pop_back();
    }
    return dropped;
}
