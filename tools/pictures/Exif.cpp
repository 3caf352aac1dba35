#include "tools/pictures/Exif.h"

namespace pictures {

Bytes exifPayload(const std::vector<IfdEntry>& entries, ByteOrder order, std::uint32_t ifdOffset, std::optional<std::uint16_t> declaredCount)
{
    const bool bigEndian = order == ByteOrder::BigEndian;
    auto put = [bigEndian](Bytes& out, std::uint32_t value, int size) {
        if (bigEndian)
            putBigEndian(out, value, size);
        else
            putLittleEndian(out, value, size);
    };
    Bytes out;
    putText(out, std::string_view("Exif\0\0", 6));
    putText(out, bigEndian ? "MM" : "II");
    put(out, 42, 2);
    put(out, ifdOffset, 4);
    put(out, declaredCount.value_or(static_cast<std::uint16_t>(entries.size())), 2);
    for (const IfdEntry& entry : entries) {
        put(out, entry.tag, 2);
        put(out, static_cast<std::uint16_t>(entry.type), 2);
        put(out, entry.count, 4);
        if (entry.type == IfdType::Short && entry.count == 1) {
            put(out, entry.value, 2);
            put(out, 0, 2);
        } else {
            put(out, entry.value, 4);
        }
    }
    put(out, 0, 4); // No IFD1.
    return out;
}

namespace {

IfdEntry orientationEntry(int orientation)
{
    return { kOrientationTag, IfdType::Short, 1, static_cast<std::uint32_t>(orientation) };
}

}

Bytes orientationExif(int orientation, ByteOrder order)
{
    return exifPayload({ orientationEntry(orientation) }, order);
}

Bytes cameraExif(int orientation, ByteOrder order)
{
    // Four bytes of make fit in the value field; an orientation reader skips them whatever they spell.
    const IfdEntry make { kMakeTag, IfdType::Ascii, 4, 0x4F4B4100 };
    return exifPayload({ make, orientationEntry(orientation) }, order);
}

}
