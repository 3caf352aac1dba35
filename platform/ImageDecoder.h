#pragma once

#include "platform/PixelMemory.h"

#include <compare>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

// Pixels in the layout of cairo's ARGB32 surfaces, which the renderer draws from: premultiplied alpha
// in native-endian 32-bit words, rows `stride` bytes apart (pixelRowStride), already turned upright as
// EXIF says.
// A size in whole pixels.
struct PixelSize {
    int width { 0 };
    int height { 0 };
    auto operator<=>(const PixelSize&) const = default;
};

struct DecodedImage {
    int width { 0 };
    int height { 0 };
    int stride { 0 };
    PixelMemory pixels;
};

// Bytes from one row of 4-byte pixels to the next for a picture `width` pixels wide, the value cairo
// picks for ARGB32 (rows of 4-byte pixels are already 4-byte aligned); -1 for a width cairo refuses:
// below 0, or at least (2^31 - 8) / 32 pixels.
constexpr int pixelRowStride(int width)
{
    constexpr int kBitsPerPixel = 32;
    constexpr int kMaxWidth = (std::numeric_limits<std::int32_t>::max() - 7) / kBitsPerPixel;
    if (width < 0 || width >= kMaxWidth)
        return -1;
    return width * 4;
}

// Decodes at the smallest size not below targetWidth x targetHeight (oriented pixels: the size it will
// be drawn at) that the format reaches cheaply; 0 x 0 means full size, and a picture smaller than the
// target comes at full size. JPEG reduces by DCT scaling (1/8 steps), so the result may be up to twice
// the target; PNG, GIF and BMP are area-averaged to the target's scale, keeping the aspect ratio.
// A GIF gives its first frame on its logical screen.
//
// Nothing for a missing file, one that is not a JPEG, PNG, GIF or BMP, one beyond the size limits, or
// one that cannot be decoded at all. Damaged pictures:
// - JPEG: what libjpeg gets through with only warnings is kept, missing blocks coming out gray;
//   fatal errors give nothing.
// - PNG: rows after a truncation or a broken chunk are transparent; an interlaced PNG gives nothing.
// - GIF: lines the file does not give are transparent, as is the canvas outside the first frame.
// - BMP: rows the file does not reach are black; pixels that run-length codes skip or never reach
//   are transparent.
// Memory stays within fixed budgets whatever a header claims: a progressive or multi-scan JPEG's
// coefficients and its pixels together within kJpegDecodeBudgetBytes, checked before decoding.
std::optional<DecodedImage> decodeImage(const std::filesystem::path& hostPath, int targetWidth, int targetHeight);
