#include "platform/BmpFormat.h"
#include "platform/ByteOrder.h"
#include "platform/ImageDecoders.h"

#include <algorithm>
#include <bit>

// Uncompressed rows are read one at a time straight from the file, in display order, so only a row
// and the result are held. Run-length pictures are drawn from the bottom with jumps, so their
// palette indices are held whole (a byte a pixel, under kMaxWholeImagePixels) before rows go out.

namespace {

using Rgba = std::array<std::uint8_t, 4>;

constexpr Rgba kOpaqueBlack { 0, 0, 0, 255 };

std::vector<Rgba> readPalette(const ImageFile& file, const BmpLayout& layout)
{
    // Every index has an entry, black where the file gives none, so no index can reach past it.
    const std::size_t indices = std::size_t { 1 } << std::min(layout.bitsPerPixel, 8);
    std::vector<Rgba> palette(indices, kOpaqueBlack);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(layout.paletteEntries) * layout.paletteEntryBytes);
    const std::size_t got = file.readAt(layout.paletteOffset, bytes.data(), bytes.size());
    for (std::size_t i = 0; i < palette.size() && (i + 1) * layout.paletteEntryBytes <= got; ++i) {
        const std::uint8_t* entry = &bytes[i * layout.paletteEntryBytes];
        palette[i] = { entry[2], entry[1], entry[0], 255 };
    }
    return palette;
}

// A channel cut out by its mask and stretched to eight bits, whatever the mask's width.
struct Channel {
    std::uint32_t mask { 0 };
    int shift { 0 };
    std::uint64_t maximum { 0 };

    explicit Channel(std::uint32_t m)
        : mask(m)
        , shift(m ? std::countr_zero(m) : 0)
        , maximum(m >> shift)
    {
    }

    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (!maximum)
            return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>(std::min<std::uint64_t>((value * 255 + maximum / 2) / maximum, 255));
    }
};

// One stored row, `available` bytes of it read, to straight RGBA; pixels the file does not reach
// are opaque black.
class RowConverter {
public:
    RowConverter(const BmpLayout& layout, std::vector<Rgba> palette)
        : m_layout(layout)
        , m_palette(std::move(palette))
        , m_red(layout.masks[0])
        , m_green(layout.masks[1])
        , m_blue(layout.masks[2])
        , m_alpha(layout.masks[3])
    {
    }

    void convert(const std::uint8_t* row, std::uint64_t available, std::uint8_t* rgba) const
    {
        const int bits = m_layout.bitsPerPixel;
        const std::uint64_t complete = available * 8 / static_cast<std::uint64_t>(bits);
        const int width = m_layout.width;
        for (int x = 0; x < width; ++x, rgba += 4) {
            Rgba pixel = kOpaqueBlack;
            if (static_cast<std::uint64_t>(x) < complete)
                pixel = pixelAt(row, x, bits);
            std::copy(pixel.begin(), pixel.end(), rgba);
        }
    }

private:
    Rgba pixelAt(const std::uint8_t* row, int x, int bits) const
    {
        switch (m_layout.encoding) {
        case BmpEncoding::Palette: {
            const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
            const int shift = 8 - bits - static_cast<int>(bit % 8); // The leftmost pixel is in the high bits.
            return m_palette[(row[bit / 8] >> shift) & ((1u << bits) - 1)];
        }
        case BmpEncoding::Bgr24: {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            return { p[2], p[1], p[0], 255 };
        }
        case BmpEncoding::Masks: {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bits / 8);
            const std::uint32_t word = bits == 16 ? le16(p) : le32(p);
            const std::uint8_t alpha = m_alpha.mask ? m_alpha(word) : 255;
            return { m_red(word), m_green(word), m_blue(word), alpha };
        }
        case BmpEncoding::Rle8:
        case BmpEncoding::Rle4:
            break;
        }
        return kOpaqueBlack;
    }

    const BmpLayout& m_layout;
    std::vector<Rgba> m_palette;
    Channel m_red, m_green, m_blue, m_alpha;
};

DecodedImage decodeRows(const ImageFile& file, const BmpLayout& layout, int targetWidth, int targetHeight)
{
    RowConverter converter(layout, layout.encoding == BmpEncoding::Palette ? readPalette(file, layout) : std::vector<Rgba> {});
    RgbaRowSink sink(layout.width, layout.height, targetWidth, targetHeight);
    const std::uint64_t rowBytes = layout.rowBytes();
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(rowBytes));
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(layout.width) * 4);
    for (int y = 0; y < layout.height; ++y) {
        const int storedRow = layout.topDown ? y : layout.height - 1 - y;
        const std::uint64_t offset = layout.pixelOffset + static_cast<std::uint64_t>(storedRow) * rowBytes;
        const std::size_t got = offset < file.size() ? file.readAt(offset, stored.data(), stored.size()) : 0;
        converter.convert(stored.data(), got, rgba.data());
        sink.addRow(rgba.data());
    }
    return sink.take();
}

// Palette indices of a run-length picture as its codes draw them, rows from the bottom.
class RunLengthCanvas {
public:
    explicit RunLengthCanvas(const BmpLayout& layout)
        : m_width(layout.width)
        , m_height(layout.height)
        , m_indices(static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height))
        , m_drawn(m_indices.size())
    {
    }

    bool done() const { return m_y >= m_height; }

    // Pixels that would land past the row's end are dropped: a run never wraps.
    void put(std::uint8_t index)
    {
        if (m_x < m_width && m_y < m_height) {
            const std::size_t at = static_cast<std::size_t>(m_y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(m_x);
            m_indices[at] = index;
            m_drawn[at] = true;
        }
        if (m_x < m_width)
            ++m_x;
    }
    void endLine()
    {
        m_x = 0;
        ++m_y;
    }
    void move(int dx, int dy)
    {
        m_x = std::min(m_x + dx, m_width);
        m_y = std::min(m_y + dy, m_height);
    }

    // Pixels no code reached are transparent, as the format leaves them undefined.
    void rgbaRow(int storedRow, const std::vector<Rgba>& palette, std::uint8_t* rgba) const
    {
        const std::size_t start = static_cast<std::size_t>(storedRow) * static_cast<std::size_t>(m_width);
        for (int x = 0; x < m_width; ++x, rgba += 4) {
            const std::size_t at = start + static_cast<std::size_t>(x);
            const Rgba pixel = m_drawn[at] ? palette[m_indices[at]] : Rgba {};
            std::copy(pixel.begin(), pixel.end(), rgba);
        }
    }

private:
    int m_width { 0 };
    int m_height { 0 };
    std::vector<std::uint8_t> m_indices;
    std::vector<bool> m_drawn;
    int m_x { 0 };
    int m_y { 0 };
};

// Runs the codes of an RLE8 or RLE4 stream. A stream cut short, or one that jumps past the end,
// simply stops drawing. The codes read are capped at what a worst-case encoder could need for
// this size, so a file of endless no-op jumps costs no more time than a real picture.
void drawRunLengths(const ImageFile& file, const BmpLayout& layout, RunLengthCanvas& canvas)
{
    ImageFileReader reader(file);
    reader.skip(layout.pixelOffset);
    const bool fourBits = layout.encoding == BmpEncoding::Rle4;
    const std::uint64_t pixels = static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
    std::uint64_t budget = 2 * pixels + 2 * static_cast<std::uint64_t>(layout.height) + 4096;
    std::uint8_t absolute[256];
    while (!canvas.done() && budget >= 2) {
        std::uint8_t code[2];
        if (reader.read(code, 2) != 2)
            return;
        budget -= 2;
        if (code[0] > 0) {
            // An encoded run: one index repeated, or two alternating for four bits.
            for (int i = 0; i < code[0]; ++i)
                canvas.put(fourBits ? (i % 2 ? code[1] & 0x0F : code[1] >> 4) : code[1]);
            continue;
        }
        switch (code[1]) {
        case 0:
            canvas.endLine();
            break;
        case 1:
            return;
        case 2: {
            std::uint8_t delta[2];
            if (reader.read(delta, 2) != 2)
                return;
            budget -= std::min<std::uint64_t>(budget, 2);
            canvas.move(delta[0], delta[1]);
            break;
        }
        default: {
            // Literal indices, padded to a 16-bit boundary.
            const int count = code[1];
            const std::size_t bytes = fourBits ? static_cast<std::size_t>(count + 1) / 2 : static_cast<std::size_t>(count);
            const std::size_t padded = (bytes + 1) / 2 * 2;
            const std::size_t got = reader.read(absolute, padded);
            budget -= std::min<std::uint64_t>(budget, padded);
            for (int i = 0; i < count; ++i) {
                const std::size_t byte = fourBits ? static_cast<std::size_t>(i / 2) : static_cast<std::size_t>(i);
                if (byte >= got)
                    return;
                canvas.put(fourBits ? (i % 2 ? absolute[byte] & 0x0F : absolute[byte] >> 4) : absolute[byte]);
            }
            break;
        }
        }
    }
}

DecodedImage decodeRunLengths(const ImageFile& file, const BmpLayout& layout, int targetWidth, int targetHeight)
{
    const std::vector<Rgba> palette = readPalette(file, layout);
    RunLengthCanvas canvas(layout);
    drawRunLengths(file, layout, canvas);
    RgbaRowSink sink(layout.width, layout.height, targetWidth, targetHeight);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(layout.width) * 4);
    for (int y = 0; y < layout.height; ++y) {
        canvas.rgbaRow(layout.height - 1 - y, palette, rgba.data());
        sink.addRow(rgba.data());
    }
    return sink.take();
}

}

std::optional<DecodedImage> decodeBmp(const ImageFile& file, int targetWidth, int targetHeight)
{
    std::uint8_t headers[kBmpHeaderBytes];
    const std::size_t got = file.readAt(0, headers, sizeof headers);
    // The file may have changed since its header was read: decode what its headers say now.
    const BmpLayoutReading reading = readBmpLayout(std::span<const std::uint8_t>(headers, got));
    if (!reading.ok)
        return std::nullopt;
    const BmpLayout& layout = reading.layout;
    if (layout.pixelOffset >= file.size())
        return std::nullopt;
    if (layout.encoding == BmpEncoding::Rle8 || layout.encoding == BmpEncoding::Rle4)
        return decodeRunLengths(file, layout, targetWidth, targetHeight);
    return decodeRows(file, layout, targetWidth, targetHeight);
}
