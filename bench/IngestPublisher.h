#pragma once

#include "IngestWorkload.h"

// Publishes a workload at full speed at QoS 0 with libmosquitto, then disconnects once everything
// queued is written. Runs in a process of its own so it never weighs on the figures of the
// receiver being measured. Answers the process exit code.
int runIngestPublisher(int port, const IngestWorkload &workload);
