#pragma once

#include "IngestProcess.h"

#include <vector>

// Busy loops beside the measured runs, one process per online core at the usual priority, for
// the figures of a machine that is busy with something else. They end with the object. One thread.
class IngestHogs
{
public:
    // Starts them when `on`.
    explicit IngestHogs(bool on);
    ~IngestHogs();
    IngestHogs(const IngestHogs &) = delete;
    IngestHogs &operator=(const IngestHogs &) = delete;

    // One per online core.
    static int countForThisMachine();
    // The body of one hog process; never returns.
    [[noreturn]] static void spin();

private:
    std::vector<IngestChild> m_children;
};
