// The EXIF orientation reader, alone and as the JPEG header reader meets it: in an APP1 segment
// before a frame header, where it must give the same answer.

#include "platform/ImageDecoders.h"
#include "platform/ImageHeader.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> app1(data, std::min<std::size_t>(size, 65533));
    const int orientation = exifOrientation(app1);
    if (orientation < 1 || orientation > 8)
        std::abort();

    std::vector<std::uint8_t> jpeg { 0xFF, 0xD8, 0xFF, 0xE1 };
    const std::size_t length = app1.size() + 2;
    jpeg.push_back(static_cast<std::uint8_t>(length >> 8));
    jpeg.push_back(static_cast<std::uint8_t>(length));
    jpeg.insert(jpeg.end(), app1.begin(), app1.end());
    // A baseline frame header for an 8 x 8 gray picture.
    jpeg.insert(jpeg.end(), { 0xFF, 0xC0, 0, 11, 8, 0, 8, 0, 8, 1, 1, 0x11, 0 });
    const auto header = readImageHeader(jpeg);
    if (!header || header->orientation != orientation)
        std::abort();
    return 0;
}
