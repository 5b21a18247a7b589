#pragma once

#include "IngestWorkload.h"

#include <functional>

// The ingest run with the viewer window shown (offscreen): the root and the first level
// expanded, one topic selected that keeps receiving messages. Prints the ingest rate and how
// late a 50 ms timer fires on the GUI thread meanwhile (p50, p99, max). `startPublisher` starts
// the flood once the window is ready and answers a function that waits for it to end. Answers
// the process exit code.
int runIngestViewer(int port, const IngestWorkload &workload, const std::function<std::function<void()>()> &startPublisher);
