#pragma once

#include <cstdint>

namespace assets {

// A fixed-seed generator (splitmix64), so scattered stars and flakes land in the same places on
// every machine; the standard distributions are not portable enough for that.
class Random {
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {
    }

    double next()
    {
        m_state += 0x9e3779b97f4a7c15ULL;
        std::uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    std::uint64_t m_state { 0 };
};

}
