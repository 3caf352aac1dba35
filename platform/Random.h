#pragma once

#include <cstdint>
#include <random>

// The source behind arc4random(). The system's needs no seeding; a seeded one makes runs repeatable.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual std::uint32_t next() = 0;
};

class SystemRandomSource final : public RandomSource {
public:
    std::uint32_t next() override;
};

// NOTE: The whole 64-bit seed counts; seeding the engine with the number itself would keep only its
// low 32 bits, so seeds that differ above them would repeat each other's runs.
class SeededRandomSource final : public RandomSource {
public:
    explicit SeededRandomSource(std::uint64_t seed);
    std::uint32_t next() override { return static_cast<std::uint32_t>(m_engine()); }

private:
    std::mt19937 m_engine;
};

// The platform's system library. Named apart from the C library's own arc4random, which the
// system source uses underneath.
namespace libSystem {
// A uniformly distributed 32-bit number from the current context's random source.
std::uint32_t arc4random();
}
