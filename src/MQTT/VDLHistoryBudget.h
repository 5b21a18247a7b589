#pragma once

#include <QtGlobal>

#include <algorithm>

class VDLTopic;

// Keeps the message histories of one tree within a number of bytes, when asked to. Off by default:
// then every message is kept. Over the budget, the oldest messages of the longest histories go
// first, down to nine tenths of the budget so trimming does not run at every message; every topic
// keeps its latest message, and the received counts and totals stay as they were.
//
// The figure grows with every append (noteGrowth) and is taken exactly from the tree only when it
// says the budget is exceeded, so removed topics need not be reported. GUI thread.
class VDLHistoryBudget
{
public:
    // The preference every viewer's client follows: megabytes, 0 or none for no budget.
    static constexpr const char *PreferencesKey = "VDLHistoryBudgetMB";

    // 0 turns the budget off.
    void setLimit(quint64 bytes) { m_limit = bytes; }
    quint64 limit() const { return m_limit; }
    void noteGrowth(qint64 bytes) { m_used = quint64(std::max<qint64>(0, qint64(m_used) + bytes)); }
    bool isExceeded() const { return m_limit > 0 && m_used > m_limit; }
    // Trims the tree below `root` when the budget is exceeded. Answers whether it dropped messages.
    bool enforce(VDLTopic &root);

private:
    quint64 m_limit = 0;
    // What the histories hold, as far as this budget knows.
    quint64 m_used = 0;
};
