#include "render/WebPContainer.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

constexpr int kMaximumSide = 16383;
constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kVp8xPayload = 10;
constexpr std::size_t kAnimPayload = 6;
constexpr std::size_t kAnmfHeader = 16;
// Where VP8X's flags byte lies: after RIFF's 12 bytes and VP8X's own header.
constexpr std::uint64_t kFlagsOffset = 12 + kChunkHeader;
constexpr std::uint8_t kAnimationFlag = 0x02;
constexpr std::uint8_t kAlphaFlag = 0x10;
// ANMF's last header byte: bit 1 set means "do not blend", bit 0 clear means "do not dispose".
constexpr std::uint8_t kReplaceWithoutDisposing = 0x02;
// RIFF counts the bytes after its first 8 in 32 bits.
constexpr std::uint64_t kLargestFile = 0xFFFFFFFFull;

template<std::size_t N>
void put24(std::array<std::uint8_t, N>& out, std::size_t at, std::uint32_t value)
{
    out[at] = std::uint8_t(value);
    out[at + 1] = std::uint8_t(value >> 8);
    out[at + 2] = std::uint8_t(value >> 16);
}

template<std::size_t N>
void put32(std::array<std::uint8_t, N>& out, std::size_t at, std::uint32_t value)
{
    put24(out, at, value);
    out[at + 3] = std::uint8_t(value >> 24);
}

template<std::size_t N>
void putTag(std::array<std::uint8_t, N>& out, std::size_t at, const char (&tag)[5])
{
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = std::uint8_t(tag[i]);
}

}

WebPContainer::WebPContainer(ByteOutput& output, int canvasWidth, int canvasHeight)
    : m_output(output)
    , m_canvasWidth(canvasWidth)
    , m_canvasHeight(canvasHeight)
{
    if (canvasWidth < 1 || canvasHeight < 1 || canvasWidth > kMaximumSide || canvasHeight > kMaximumSide)
        throw std::invalid_argument("an animated WebP cannot be " + std::to_string(canvasWidth) + " x " + std::to_string(canvasHeight) + " pixels");
    std::array<std::uint8_t, 12 + kChunkHeader + kVp8xPayload + kChunkHeader + kAnimPayload> header {};
    putTag(header, 0, "RIFF"); // Its size is patched by finish().
    putTag(header, 8, "WEBP");
    putTag(header, 12, "VP8X");
    put32(header, 16, kVp8xPayload);
    header[20] = kAnimationFlag;
    put24(header, 24, std::uint32_t(canvasWidth - 1));
    put24(header, 27, std::uint32_t(canvasHeight - 1));
    putTag(header, 30, "ANIM");
    put32(header, 34, kAnimPayload);
    // Background transparent black (a hint players may ignore; the first frame covers the canvas),
    // then loop count 0: for ever, as a recording shown on a page should.
    put32(header, 38, 0);
    header[42] = 0;
    header[43] = 0;
    append(header);
}

void WebPContainer::addFrame(const WebPFrameImage& frame, long long durationMs)
{
    if (durationMs < 1)
        throw std::invalid_argument("a frame shown for " + std::to_string(durationMs) + " ms");
    if (frame.x < 0 || frame.y < 0 || frame.x % 2 != 0 || frame.y % 2 != 0 || frame.width < 1 || frame.height < 1
        || frame.width > m_canvasWidth - frame.x || frame.height > m_canvasHeight - frame.y)
        throw std::invalid_argument("a frame of " + std::to_string(frame.width) + " x " + std::to_string(frame.height) + " at " + std::to_string(frame.x) + ", " + std::to_string(frame.y) + " does not fit the canvas at even offsets");
    if (frame.chunks.empty() || frame.chunks.size() % 2 != 0)
        throw std::invalid_argument("a frame's image chunks must be whole, padded to even size");

    // Each piece of a frame longer than one may say shows the same rectangle again, which changes
    // nothing on the canvas.
    std::uint64_t payload = kAnmfHeader + frame.chunks.size();
    long long pieces = (durationMs + kLongestFrameMs - 1) / kLongestFrameMs;
    if (payload > kLargestFile || std::uint64_t(pieces) * (kChunkHeader + payload) > kLargestFile - m_size)
        throw std::length_error("an animated WebP cannot grow past 4 GiB");
    for (long long left = durationMs; left > 0; left -= kLongestFrameMs) {
        std::array<std::uint8_t, kChunkHeader + kAnmfHeader> header {};
        putTag(header, 0, "ANMF");
        put32(header, 4, std::uint32_t(payload));
        put24(header, 8, std::uint32_t(frame.x / 2));
        put24(header, 11, std::uint32_t(frame.y / 2));
        put24(header, 14, std::uint32_t(frame.width - 1));
        put24(header, 17, std::uint32_t(frame.height - 1));
        put24(header, 20, std::uint32_t(std::min<long long>(left, kLongestFrameMs)));
        header[23] = kReplaceWithoutDisposing;
        append(header);
        append(frame.chunks);
    }
    m_anyAlpha = m_anyAlpha || frame.hasAlpha;
}

void WebPContainer::finish()
{
    std::array<std::uint8_t, 4> riffSize {};
    put32(riffSize, 0, std::uint32_t(m_size - 8));
    m_output.overwrite(4, riffSize);
    if (m_anyAlpha) {
        std::array<std::uint8_t, 1> flags { std::uint8_t(kAnimationFlag | kAlphaFlag) };
        m_output.overwrite(kFlagsOffset, flags);
    }
}

void WebPContainer::append(std::span<const std::uint8_t> bytes)
{
    m_output.append(bytes);
    m_size += bytes.size();
}

}
