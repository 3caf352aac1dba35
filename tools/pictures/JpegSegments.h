#pragma once

// Byte surgery on JPEG files, for pictures a decoder must cope with: extra segments, frame headers
// that lie. Segments are walked by their length fields from SOI up to the start of the scan.

#include "tools/pictures/Bytes.h"

#include <cstddef>
#include <optional>

namespace pictures {

inline constexpr std::uint8_t kApp1 = 0xE1;
inline constexpr std::uint8_t kApp2 = 0xE2;
inline constexpr std::uint8_t kBaselineFrame = 0xC0; // SOF0
inline constexpr std::uint8_t kStartOfScan = 0xDA;

// A copy with the segment (marker, length, payload) right after SOI, where cameras put APP1.
// The payload is at most 65,533 bytes.
Bytes withSegment(const Bytes& jpeg, std::uint8_t marker, const Bytes& payload);

// Where the first segment with this marker starts (its 0xFF), or nothing if the walk meets the
// scan, the end of the file or a broken length first.
std::optional<std::size_t> segmentOffset(const Bytes& jpeg, std::uint8_t marker);

// A copy whose baseline frame header declares this size; the scan still holds the old one.
Bytes withDeclaredJpegSize(const Bytes& jpeg, std::uint16_t width, std::uint16_t height);

}
