#pragma once

#include <cstdint>

// Numbers as picture files store them, read from the bytes that hold them, on any machine.
inline std::uint32_t le16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[1]) << 8 | p[0]; }
inline std::uint32_t le32(const std::uint8_t* p) { return le16(p + 2) << 16 | le16(p); }
inline std::uint32_t be16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) << 8 | p[1]; }
inline std::uint32_t be32(const std::uint8_t* p) { return be16(p) << 16 | be16(p + 2); }
