#include "platform/PropertyListParsers.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const PropertyListReadResult result = parseXmlPropertyList(std::span<const std::uint8_t>(data, size));
    // A value, or one phrase saying why not; never both, never neither.
    if (result.value.has_value() != result.failure.empty())
        std::abort();
    return 0;
}
