#include "platform/BmpFormat.h"

#include "platform/ByteOrder.h"
#include "platform/ImageDecoders.h"

#include <algorithm>

namespace {

enum Compression : std::uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3, // Huffman 1D in OS/2 2.x headers.
    BiJpeg = 4, // 24-bit run lengths in OS/2 2.x headers.
    BiPng = 5,
    BiAlphaBitfields = 6,
};

bool isWindowsInfoHeader(std::uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

BmpLayoutReading refuse(std::string problem) { return { false, {}, std::move(problem) }; }

// The masks BI_BITFIELDS and BI_ALPHABITFIELDS give: inside the larger info headers, else in the
// bytes right after a 40-byte one. Returns where the headers end.
std::uint64_t readMasks(std::span<const std::uint8_t> bytes, std::uint32_t infoSize, bool withAlpha, BmpLayout& layout)
{
    constexpr std::size_t masksStart = 14 + 40;
    const std::size_t count = withAlpha || infoSize >= 56 ? 4 : 3;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t offset = masksStart + 4 * i;
        layout.masks[i] = offset + 4 <= bytes.size() ? le32(&bytes[offset]) : 0;
    }
    return std::max<std::uint64_t>(14 + static_cast<std::uint64_t>(infoSize), masksStart + 4 * count);
}

bool masksFit(const BmpLayout& layout)
{
    const std::uint64_t limit = layout.bitsPerPixel == 32 ? 0xFFFFFFFFull : (1ull << layout.bitsPerPixel) - 1;
    for (std::uint32_t mask : layout.masks) {
        if (mask > limit)
            return false;
    }
    return layout.masks[0] || layout.masks[1] || layout.masks[2];
}

}

BmpLayoutReading readBmpLayout(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 18 || bytes[0] != 'B' || bytes[1] != 'M')
        return refuse("not a BMP file");
    const std::uint32_t declaredPixelOffset = le32(&bytes[10]);
    const std::uint32_t infoSize = le32(&bytes[14]);
    const bool core = infoSize == 12;
    const bool os2 = !core && !isWindowsInfoHeader(infoSize) && infoSize >= 16 && infoSize <= 64;
    if (!core && !os2 && !isWindowsInfoHeader(infoSize))
        return refuse("BMP with an info header of " + std::to_string(infoSize) + " bytes, which is not a known kind");
    if (bytes.size() < 14 + std::min<std::size_t>(infoSize, 40))
        return refuse("BMP ends inside its header");

    BmpLayout layout;
    std::int64_t width, height;
    std::uint32_t planes, bits, compression = BiRgb, colorsUsed = 0;
    if (core) {
        width = le16(&bytes[18]);
        height = le16(&bytes[20]);
        planes = le16(&bytes[22]);
        bits = le16(&bytes[24]);
    } else {
        // OS/2 2.x headers may stop after any field; the fields they leave out are zero.
        auto field = [&](std::size_t offset, int size) -> std::uint32_t {
            if (offset + static_cast<std::size_t>(size) > 14 + infoSize)
                return 0;
            return size == 2 ? le16(&bytes[offset]) : le32(&bytes[offset]);
        };
        width = static_cast<std::int32_t>(field(18, 4));
        height = static_cast<std::int32_t>(field(22, 4));
        planes = field(26, 2);
        bits = field(28, 2);
        compression = field(30, 4);
        colorsUsed = field(46, 4);
    }
    if (planes != 1)
        return refuse("BMP header damaged (" + std::to_string(planes) + " planes)");
    if (height < 0 && !core && !os2) {
        layout.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0)
        return refuse("BMP header damaged (no width or height)");
    if (width > kMaxWholeImageSide || height > kMaxWholeImageSide)
        return refuse("BMP of " + std::to_string(width) + " x " + std::to_string(height) + " pixels, a side longer than the "
            + std::to_string(kMaxWholeImageSide) + " allowed");
    if (width * height > kMaxWholeImagePixels)
        return refuse("BMP of " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the "
            + std::to_string(kMaxWholeImagePixels) + " pixels allowed for BMP");
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);
    layout.bitsPerPixel = static_cast<int>(bits);

    std::uint64_t headersEnd = 14 + static_cast<std::uint64_t>(infoSize);
    if (os2 && (compression == BiBitfields || compression == BiJpeg))
        return refuse("OS/2 BMP with Huffman or 24-bit run-length coding, which is not read");
    switch (compression) {
    case BiRgb:
        if (bits == 1 || bits == 2 || bits == 4 || bits == 8) {
            layout.encoding = BmpEncoding::Palette;
        } else if (bits == 16) {
            layout.encoding = BmpEncoding::Masks;
            layout.masks = { 0x7C00, 0x03E0, 0x001F, 0 };
        } else if (bits == 24) {
            layout.encoding = BmpEncoding::Bgr24;
        } else if (bits == 32 && !core) {
            // The fourth byte is unused in BI_RGB, whatever it holds.
            layout.encoding = BmpEncoding::Masks;
            layout.masks = { 0x00FF0000, 0x0000FF00, 0x000000FF, 0 };
        } else {
            return refuse("BMP with " + std::to_string(bits) + " bits a pixel, which is not read");
        }
        break;
    case BiRle8:
    case BiRle4:
        if (bits != (compression == BiRle8 ? 8u : 4u))
            return refuse("BMP header damaged (run-length coding with " + std::to_string(bits) + " bits a pixel)");
        // Run lengths build the picture from the bottom; a top-down one has no meaning.
        if (layout.topDown)
            return refuse("BMP header damaged (run-length coding from the top down)");
        layout.encoding = compression == BiRle8 ? BmpEncoding::Rle8 : BmpEncoding::Rle4;
        break;
    case BiBitfields:
    case BiAlphaBitfields:
        if (bits != 16 && bits != 32)
            return refuse("BMP header damaged (bit-field masks with " + std::to_string(bits) + " bits a pixel)");
        layout.encoding = BmpEncoding::Masks;
        headersEnd = readMasks(bytes, infoSize, compression == BiAlphaBitfields, layout);
        if (!masksFit(layout))
            return refuse("BMP header damaged (bit-field masks)");
        break;
    case BiJpeg:
    case BiPng:
        return refuse("BMP holding a JPEG or PNG picture, which is not read");
    default:
        return refuse("BMP with compression " + std::to_string(compression) + ", which is not a known kind");
    }

    if (layout.encoding == BmpEncoding::Palette || layout.encoding == BmpEncoding::Rle8 || layout.encoding == BmpEncoding::Rle4) {
        const std::uint32_t indices = 1u << bits;
        layout.paletteEntryBytes = core ? 3 : 4;
        layout.paletteEntries = static_cast<int>(colorsUsed == 0 ? indices : std::min(colorsUsed, indices));
        layout.paletteOffset = headersEnd;
        // Old files give the palette no count: it runs to the pixels, or holds every index.
        if (core && declaredPixelOffset > headersEnd) {
            const std::uint64_t room = (declaredPixelOffset - headersEnd) / 3;
            layout.paletteEntries = static_cast<int>(std::min<std::uint64_t>(room, indices));
        }
    }
    // A palette may sit beside 16-, 24- and 32-bit pixels, unused; the pixels start where the file
    // header says. An offset inside the headers is damage: the pixels then follow the palette.
    layout.pixelOffset = declaredPixelOffset;
    if (declaredPixelOffset < headersEnd)
        layout.pixelOffset = headersEnd + static_cast<std::uint64_t>(layout.paletteEntries) * layout.paletteEntryBytes;
    return { true, layout, {} };
}
