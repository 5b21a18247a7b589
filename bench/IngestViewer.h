#pragma once

#include "IngestWorkload.h"

#include <QString>

// The ingest run with the viewer window shown (offscreen): the root and the first level
// expanded, one topic selected that keeps receiving messages. Floods it and prints the ingest
// rate, how many messages arrived, and how late a 50 ms timer fires on the GUI thread meanwhile
// (p50, p99, max). Answers the process exit code.
struct IngestViewerOptions
{
    // Searched for with Filter on from the start of the flood, when not empty.
    QString search;
    // The selected topic's chart shown instead of its value.
    bool showChart = false;
    // The client's history budget; 0 keeps every message.
    quint64 historyBudgetBytes = 0;
};
int runIngestViewer(int port, const IngestWorkload &workload, const IngestViewerOptions &options);
