#include "tools/pictures/JpegSegments.h"

#include <functional>
#include <stdexcept>

namespace pictures {

namespace {

bool startsWithSoi(const Bytes& jpeg)
{
    return jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8;
}

// The first segment whose marker is wanted, walking from SOI up to the scan.
std::optional<std::size_t> findSegment(const Bytes& jpeg, const std::function<bool(std::uint8_t marker)>& wanted)
{
    if (!startsWithSoi(jpeg))
        return std::nullopt;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        if (wanted(jpeg[at + 1]))
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

// Marker, length, precision, height, width, component count, then three bytes a component.
std::size_t frameHeaderToRewrite(const Bytes& jpeg)
{
    const auto frame = frameHeaderOffset(jpeg);
    if (!frame || *frame + 10 > jpeg.size())
        throw std::invalid_argument("no frame header to rewrite");
    return *frame;
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
    return findSegment(jpeg, [marker](std::uint8_t found) { return found == marker; });
}

std::optional<std::size_t> frameHeaderOffset(const Bytes& jpeg)
{
    return findSegment(jpeg, [](std::uint8_t found) { return found >= kBaselineFrame && found <= kProgressiveFrame; });
}

Bytes withDeclaredJpegSize(const Bytes& jpeg, std::uint16_t width, std::uint16_t height)
{
    const std::size_t frame = frameHeaderToRewrite(jpeg);
    Bytes out = jpeg;
    out[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    out[frame + 6] = static_cast<std::uint8_t>(height);
    out[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    out[frame + 8] = static_cast<std::uint8_t>(width);
    return out;
}

Bytes withDeclaredJpegSampling(const Bytes& jpeg, int component, int horizontal, int vertical)
{
    const std::size_t frame = frameHeaderToRewrite(jpeg);
    if (component < 0 || component >= jpeg[frame + 9])
        throw std::invalid_argument("the frame has no such component");
    if (horizontal < 1 || horizontal > 15 || vertical < 1 || vertical > 15)
        throw std::invalid_argument("a sampling factor is 1 to 15");
    const std::size_t factors = frame + 10 + 3 * static_cast<std::size_t>(component) + 1;
    if (factors >= jpeg.size())
        throw std::invalid_argument("the frame header is cut short");
    Bytes out = jpeg;
    out[factors] = static_cast<std::uint8_t>(horizontal << 4 | vertical);
    return out;
}

}
