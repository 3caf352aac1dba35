#include "tools/pictures/JpegSegments.h"

#include <stdexcept>

namespace pictures {

namespace {

bool startsWithSoi(const Bytes& jpeg)
{
    return jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8;
}

}

Bytes withSegment(const Bytes& jpeg, std::uint8_t marker, const Bytes& payload)
{
    if (!startsWithSoi(jpeg))
        throw std::invalid_argument("not a JPEG: no SOI marker");
    if (payload.size() > 65'533)
        throw std::invalid_argument("a JPEG segment holds at most 65,533 bytes");
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.reserve(jpeg.size() + payload.size() + 4);
    out.push_back(0xFF);
    out.push_back(marker);
    putBigEndian(out, payload.size() + 2, 2);
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::optional<std::size_t> segmentOffset(const Bytes& jpeg, std::uint8_t marker)
{
    if (!startsWithSoi(jpeg))
        return std::nullopt;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        if (jpeg[at + 1] == marker)
            return at;
        if (jpeg[at + 1] == kStartOfScan)
            return std::nullopt;
        const std::size_t length = static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (length < 2)
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

Bytes withDeclaredJpegSize(const Bytes& jpeg, std::uint16_t width, std::uint16_t height)
{
    const auto frame = segmentOffset(jpeg, kBaselineFrame);
    // Marker, length, precision, then height and width.
    if (!frame || *frame + 9 > jpeg.size())
        throw std::invalid_argument("no baseline frame header to rewrite");
    Bytes out = jpeg;
    out[*frame + 5] = static_cast<std::uint8_t>(height >> 8);
    out[*frame + 6] = static_cast<std::uint8_t>(height);
    out[*frame + 7] = static_cast<std::uint8_t>(width >> 8);
    out[*frame + 8] = static_cast<std::uint8_t>(width);
    return out;
}

}
