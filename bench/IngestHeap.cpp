#include "IngestHeap.h"

#include <malloc.h>

std::size_t ingestHeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
