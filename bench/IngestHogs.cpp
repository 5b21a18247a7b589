#include "IngestHogs.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>

IngestHogs::IngestHogs(bool on)
{
    for (int index = 0; on && index < countForThisMachine(); ++index)
        m_children.push_back(ingestSpawnSelf({QStringLiteral("--spin")}));
}

IngestHogs::~IngestHogs()
{
    for (const IngestChild &child : m_children) {
        if (child.pid > 0)
            kill(child.pid, SIGKILL);
        ingestWaitFor(child);
    }
}

int IngestHogs::countForThisMachine()
{
    return std::max(1, int(sysconf(_SC_NPROCESSORS_ONLN)));
}

void IngestHogs::spin()
{
    // A bench stopped with Ctrl-C must not leave its busy loops behind.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1)
        _exit(0);
    // A volatile counter keeps the loop from being optimised away.
    volatile unsigned long turn = 0;
    for (;;)
        turn = turn + 1;
}
