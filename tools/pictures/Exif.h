#pragma once

// EXIF payloads for a JPEG's APP1 segment: "Exif\0\0", a TIFF header and IFD0. Only IFD0 is
// written, and only values that fit the entry's four-byte field; there is no IFD1 and no data area.

#include "tools/pictures/Bytes.h"

#include <optional>

namespace pictures {

enum class ByteOrder {
    LittleEndian, // "II"
    BigEndian, // "MM"
};

enum class IfdType : std::uint16_t {
    Ascii = 2,
    Short = 3,
    Long = 4,
};

struct IfdEntry {
    std::uint16_t tag { 0 };
    IfdType type { IfdType::Short };
    std::uint32_t count { 1 };
    // Written in place: a single SHORT in the field's first two bytes, anything else as four bytes
    // in the payload's byte order.
    std::uint32_t value { 0 };
};

inline constexpr std::uint16_t kOrientationTag = 0x0112;
inline constexpr std::uint16_t kMakeTag = 0x010F;

// `ifdOffset` is where the TIFF header says IFD0 starts, counted from the TIFF header; the IFD is
// written right after the header whatever it says, so other values make a broken segment.
// `declaredCount` is the entry count written when it should differ from the entries given (an IFD
// that claims to run on past the segment).
Bytes exifPayload(const std::vector<IfdEntry>&, ByteOrder = ByteOrder::LittleEndian, std::uint32_t ifdOffset = 8,
    std::optional<std::uint16_t> declaredCount = std::nullopt);

// IFD0 holding only the orientation tag (1 to 8 are the meaningful values; any is written).
Bytes orientationExif(int orientation, ByteOrder = ByteOrder::LittleEndian);
// IFD0 as cameras write it, the camera's make before the orientation, so a reader has to walk
// past an entry to find it.
Bytes cameraExif(int orientation, ByteOrder = ByteOrder::LittleEndian);

}
