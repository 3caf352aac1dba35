#include "FuzzPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t magic[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    fuzzing::fuzzPicture(data, size, magic);
    return 0;
}
