#pragma once

#include <cstddef>

// Bytes of the heap in use now, whichever thread allocated them: glibc's mallinfo2 sums every
// malloc arena in uordblks, but blocks above the mmap threshold (which grows up to 32 MB as big
// blocks are freed) are mapped apart and only counted in hblkhd, so both are added.
std::size_t ingestHeapBytes();
