#include "platform/Random.h"

#include "platform/Context.h"

#include <stdlib.h>

SeededRandomSource::SeededRandomSource(std::uint64_t seed)
{
    std::seed_seq words { static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32) };
    m_engine.seed(words);
}

std::uint32_t SystemRandomSource::next()
{
    return ::arc4random();
}

std::uint32_t libSystem::arc4random()
{
    return PlatformContext::current().random().next();
}
