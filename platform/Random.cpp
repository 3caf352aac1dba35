#include "platform/Random.h"

#include "platform/Context.h"

#include <stdlib.h>

std::uint32_t SystemRandomSource::next()
{
    return ::arc4random();
}

std::uint32_t libSystem::arc4random()
{
    return PlatformContext::current().random().next();
}
