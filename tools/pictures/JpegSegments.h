#pragma once

// Byte surgery on JPEG files, for pictures a decoder must cope with: extra segments, frame headers
// that lie. Segments are walked by their length fields from SOI up to the start of the scan.
// Failures throw std::invalid_argument.

#include "tools/pictures/Bytes.h"

#include <cstddef>
#include <optional>

namespace pictures {

inline constexpr std::uint8_t kApp1 = 0xE1;
inline constexpr std::uint8_t kApp2 = 0xE2;
inline constexpr std::uint8_t kBaselineFrame = 0xC0; // SOF0
inline constexpr std::uint8_t kProgressiveFrame = 0xC2; // SOF2
inline constexpr std::uint8_t kStartOfScan = 0xDA;

// A copy with the segment (marker, length, payload) right after SOI, where cameras put APP1.
// The payload is at most 65,533 bytes.
Bytes withSegment(const Bytes& jpeg, std::uint8_t marker, const Bytes& payload);

// Where the first segment with this marker starts (its 0xFF), or nothing if the walk meets the
// scan, the end of the file or a broken length first.
std::optional<std::size_t> segmentOffset(const Bytes& jpeg, std::uint8_t marker);

// Where the frame header (baseline, extended or progressive: SOF0 to SOF2) starts.
std::optional<std::size_t> frameHeaderOffset(const Bytes& jpeg);

// A copy whose frame header declares this size; the scans still hold the old one.
Bytes withDeclaredJpegSize(const Bytes& jpeg, std::uint16_t width, std::uint16_t height);

// A copy whose frame header gives component `component` (0 first) these sampling factors (1 to
// 15 each, though a reader takes only 1 to 4); the scans were coded with the old ones.
Bytes withDeclaredJpegSampling(const Bytes& jpeg, int component, int horizontal, int vertical);

}
