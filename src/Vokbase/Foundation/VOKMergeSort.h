#pragma once

#include <algorithm>
#include <utility>

// Sorts a random-access container stably with a bottom-up merge sort.
//
// Every index the sort touches is bounded by the run lengths, never by what `lessThan` answers,
// so a comparison that is not a strict weak ordering (topic names mixing case and trailing
// numbers are one) can misorder but never read out of bounds or fail to finish; the standard
// algorithms promise neither for such a comparison. Equal elements keep their relative order.
// Any thread; the container is the caller's.
template <typename Container, typename LessThan>
void vokMergeSort(Container &items, LessThan lessThan)
{
    using Size = decltype(items.size());
    const Size count = items.size();
    Container buffer(count);
    for (Size width = 1; width < count; width *= 2) {
        for (Size start = 0; start < count; start += 2 * width) {
            const Size middle = std::min(start + width, count);
            const Size end = std::min(start + 2 * width, count);
            Size left = start;
            Size right = middle;
            for (Size out = start; out < end; ++out) {
                const bool takeRight = right < end && (left >= middle || lessThan(items[right], items[left]));
                buffer[out] = std::move(takeRight ? items[right++] : items[left++]);
            }
        }
        std::swap(items, buffer);
    }
}
