#pragma once

#include "render/ByteOutput.h"

#include <cstdint>
#include <vector>

namespace orvessa {

// One picture of an animation as the file stores it: the rectangle of the canvas it covers and its
// image chunks (an optional ALPH, then VP8 or VP8L) exactly as libwebp's encoder wrote them.
struct WebPFrameImage {
    int x { 0 }; // Even, as the format stores offsets halved.
    int y { 0 };
    int width { 0 };
    int height { 0 };
    std::vector<std::uint8_t> chunks;
    bool hasAlpha { false };
};

// The RIFF container of an animated WebP, written as it goes: the header at once, each frame as it
// comes, and the sizes the header could not know at the end. Frames neither blend nor dispose, so
// each one's rectangle simply replaces what the canvas showed there; the animation loops for ever.
// NOTE: Throws what the output throws; after a throw the file is incomplete and must be dropped.
class WebPContainer {
public:
    // Longest a single frame may say it lasts; a longer one is written as several that show the same.
    static constexpr int kLongestFrameMs = 0xFFFFFF;

    // Writes RIFF, VP8X and ANIM. Throws std::invalid_argument for a canvas outside 1 to 16383.
    WebPContainer(ByteOutput&, int canvasWidth, int canvasHeight);
    WebPContainer(const WebPContainer&) = delete;
    WebPContainer& operator=(const WebPContainer&) = delete;

    // Appends the frame, shown for `durationMs`. Throws std::invalid_argument for a duration below 1
    // or a rectangle that is odd-placed or leaves the canvas, std::length_error when the file would
    // outgrow RIFF's 32-bit size.
    void addFrame(const WebPFrameImage&, long long durationMs);
    // Patches the RIFF size and, if a frame had alpha, the VP8X flag that says so.
    void finish();

    std::uint64_t size() const { return m_size; }

private:
    void append(std::span<const std::uint8_t>);

    ByteOutput& m_output;
    int m_canvasWidth;
    int m_canvasHeight;
    std::uint64_t m_size { 0 };
    bool m_anyAlpha { false };
};

}
