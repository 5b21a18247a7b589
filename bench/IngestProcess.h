#pragma once

#include <QStringList>

#include <sys/resource.h>
#include <sys/types.h>

// The processes of the ingest benchmark: each measured run, the publisher, the broker and the
// busy loops run as processes of their own so their figures stay apart.

struct IngestChild
{
    pid_t pid = -1;
};

// Starts `arguments` (the program is looked up in PATH). Its standard output goes to `stdoutFd`
// when one is given, else to this program's; its errors stay visible.
IngestChild ingestSpawn(const QStringList &arguments, int stdoutFd = -1);
// Starts `arguments` with its output and errors going nowhere.
IngestChild ingestSpawnSilenced(const QStringList &arguments);
// Starts this program again in another mode.
IngestChild ingestSpawnSelf(const QStringList &arguments, int stdoutFd = -1);

// Waits for the child to end and answers what it used.
rusage ingestWaitFor(const IngestChild &child);
// User and system time together.
double ingestCpuSeconds(const rusage &usage);
// The peak resident memory of a running process (this one for 0), 0 when unknown. The rusage of a
// spawned child is no use for this: its peak counts the spawning process's memory from before
// the exec.
long ingestPeakResidentKilobytes(pid_t pid = 0);
