#pragma once

#include "platform/Object.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

// The low-level event record handed to the toolkit's touches event in place of its own. Its layout
// is a contract with the toolkit: 128 bytes, a 4-byte header, little-endian fields at fixed offsets.
struct GSEventRecordLayout {
    std::uint32_t header { 0 }; // A class tag: a pointer does not fit in four bytes here.
    std::uint32_t flags { 0 };
    std::uint32_t type { 0 };
    std::uint32_t ignored1 { 0 };
    float x1 { 0 };
    float y1 { 0 };
    float x2 { 0 };
    float y2 { 0 };
    std::uint32_t ignored2[10] {};
    std::uint32_t ignored3[7] {};
    float sizeX { 0 };
    float sizeY { 0 };
    float x3 { 0 };
    float y3 { 0 };
    std::uint32_t ignored4[3] {};
};

static_assert(sizeof(GSEventRecordLayout) == 128);
static_assert(offsetof(GSEventRecordLayout, flags) == 4);
static_assert(offsetof(GSEventRecordLayout, type) == 8);
static_assert(offsetof(GSEventRecordLayout, ignored1) == 12);
static_assert(offsetof(GSEventRecordLayout, x1) == 16);
static_assert(offsetof(GSEventRecordLayout, y1) == 20);
static_assert(offsetof(GSEventRecordLayout, x2) == 24);
static_assert(offsetof(GSEventRecordLayout, y2) == 28);
static_assert(offsetof(GSEventRecordLayout, ignored2) == 32);
static_assert(offsetof(GSEventRecordLayout, ignored3) == 72);
static_assert(offsetof(GSEventRecordLayout, sizeX) == 100);
static_assert(offsetof(GSEventRecordLayout, sizeY) == 104);
static_assert(offsetof(GSEventRecordLayout, x3) == 108);
static_assert(offsetof(GSEventRecordLayout, y3) == 112);
static_assert(offsetof(GSEventRecordLayout, ignored4) == 116);
// NOTE: The record is read as bytes; its fields are stored in the machine's order, which must be little-endian.
static_assert(std::endian::native == std::endian::little);

inline constexpr std::uint32_t kGSEventFlagsTouchEnded = 0x01010180;
inline constexpr std::uint32_t kGSEventFlagsTouchDown = 0x03010180;
inline constexpr std::uint32_t kGSEventTypeTouch = 3001;

class GSEventProxy final : public NSObject {
public:
    // Zero-filled, as the platform's allocation hands it out.
    static std::shared_ptr<GSEventProxy> init();
    std::string_view className() const override { return "GSEventProxy"; }

    GSEventRecordLayout record;
    std::array<std::uint8_t, sizeof(GSEventRecordLayout)> bytes() const;

private:
    GSEventProxy() = default;
};
