#include "FuzzPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t magic[] = { 'G', 'I', 'F', '8', '9', 'a' };
    fuzzing::fuzzPicture(data, size, magic);
    return 0;
}
