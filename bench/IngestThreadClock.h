#pragma once

// CPU seconds the calling thread has used so far.
double ingestThreadCpuSeconds();
