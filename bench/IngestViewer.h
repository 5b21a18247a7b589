#pragma once

#include "IngestWorkload.h"

#include <QString>

// The ingest run with the viewer window shown (offscreen): the root and the first level
// expanded, one topic selected that keeps receiving messages. Floods it and prints the ingest
// rate, how many messages arrived, and how late a 50 ms timer fires on the GUI thread meanwhile
// (p50, p99, max). Answers the process exit code. With a search text, the window searches for it
// with Filter on from the start of the flood. With showChart, the selected topic's chart is shown
// instead of its value.
int runIngestViewer(int port, const IngestWorkload &workload, const QString &search, bool showChart);
