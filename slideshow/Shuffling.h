#pragma once

#include "platform/PathList.h"
#include "platform/Random.h"

#include <cstdint>

// Forward Fisher-Yates over the whole list: position i takes an entry drawn from i to n - 1. It draws
// exactly n numbers and makes exactly n exchanges, the last of the final position with itself; no
// draw is rejected, so the remainder's small bias stays, as in the platform's own shuffle.
template<typename SwapEntries>
void shuffleEntries(std::uint32_t n, SwapEntries swapEntries)
{
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint32_t r = libSystem::arc4random() % (n - i);
        swapEntries(i, i + r);
    }
}

inline void shuffle(PathList& list)
{
    shuffleEntries(static_cast<std::uint32_t>(list.size()), [&](std::uint32_t a, std::uint32_t b) { list.swapEntries(a, b); });
}
