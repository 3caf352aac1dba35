#pragma once

#include "platform/Random.h"

#include <cstdint>
#include <utility>
#include <vector>

// Forward Fisher-Yates over the whole list: position i takes an entry drawn from i to n - 1. It draws
// exactly n numbers and makes exactly n exchanges, the last of the final position with itself; no
// draw is rejected, so the remainder's small bias stays, as in the platform's own shuffle.
template<typename T>
void shuffle(std::vector<T>& list)
{
    const auto n = static_cast<std::uint32_t>(list.size());
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint32_t r = libSystem::arc4random() % (n - i);
        using std::swap;
        swap(list[i], list[i + r]);
    }
}
