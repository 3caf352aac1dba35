#include "FuzzPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t magic[] = { 0xFF, 0xD8, 0xFF };
    fuzzing::fuzzPicture(data, size, magic);
    return 0;
}
