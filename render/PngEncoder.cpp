#include "render/PngEncoder.h"

#include "platform/PixelMemory.h"
#include "render/FramePixels.h"

#include <libdeflate.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
// PNG allows chunks up to 2^31 - 1 bytes; a frame's data is split long before that.
constexpr std::size_t kMaximumChunk = std::size_t(1) << 30;

enum ColourType : std::uint8_t {
    Rgb = 2,
    Indexed = 3,
    Rgba = 6,
};

std::size_t bytesPerPixel(ColourType type)
{
    switch (type) {
    case Indexed:
        return 1;
    case Rgb:
        return 3;
    case Rgba:
        break;
    }
    return 4;
}

// The colours of an opaque frame in the order they are met, while there are at most 256, and each
// pixel as its index among them.
class PaletteBuilder {
public:
    PaletteBuilder() { m_colours.fill(kEmpty); }

    // Writes the row's indices to `out`; false as soon as a 257th colour is met.
    bool indexRow(std::span<const std::uint32_t> row, std::uint8_t* out)
    {
        for (std::uint32_t pixel : row) {
            std::uint32_t colour = pixel & 0xFFFFFF;
            if (colour != m_lastColour) {
                std::size_t slot = (colour * 2654435761u) >> (32 - kSlotBits);
                while (m_colours[slot] != colour) {
                    if (m_colours[slot] == kEmpty) {
                        if (m_entries.size() == 3 * kMaximumColours)
                            return false;
                        m_colours[slot] = colour;
                        m_indices[slot] = std::uint8_t(m_entries.size() / 3);
                        m_entries.insert(m_entries.end(), { std::uint8_t(colour >> 16), std::uint8_t(colour >> 8), std::uint8_t(colour) });
                        break;
                    }
                    slot = (slot + 1) & (kSlots - 1);
                }
                m_lastColour = colour;
                m_lastIndex = m_indices[slot];
            }
            *out++ = m_lastIndex;
        }
        return true;
    }

    // RGB triples, as the palette chunk holds them.
    const std::vector<std::uint8_t>& entries() const { return m_entries; }

private:
    static constexpr std::size_t kMaximumColours = 256;
    // Four times the most colours there can be, so probes stay short.
    static constexpr int kSlotBits = 10;
    static constexpr std::size_t kSlots = std::size_t(1) << kSlotBits;
    static constexpr std::uint32_t kEmpty = ~0u; // Never a colour: those have 24 bits.
    std::array<std::uint32_t, kSlots> m_colours;
    std::array<std::uint8_t, kSlots> m_indices {};
    std::vector<std::uint8_t> m_entries;
    std::uint32_t m_lastColour { kEmpty };
    std::uint8_t m_lastIndex { 0 };
};

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value >> 24));
    out.push_back(std::uint8_t(value >> 16));
    out.push_back(std::uint8_t(value >> 8));
    out.push_back(std::uint8_t(value));
}

void appendChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data, std::size_t length)
{
    appendBigEndian(out, std::uint32_t(length));
    std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + length);
    // The CRC covers the type and the data.
    appendBigEndian(out, libdeflate_crc32(0, out.data() + typeAt, length + 4));
}

std::uint8_t paeth(std::uint8_t left, std::uint8_t up, std::uint8_t upLeft)
{
    int estimate = int(left) + int(up) - int(upLeft);
    int toLeft = std::abs(estimate - int(left));
    int toUp = std::abs(estimate - int(up));
    int toUpLeft = std::abs(estimate - int(upLeft));
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return left;
    if (toUp <= toUpLeft)
        return up;
    return upLeft;
}

// Writes the filter type byte and the filtered row. `previous` is all zeros for the first row.
void filterRow(PngRowFilter filter, const std::uint8_t* row, const std::uint8_t* previous, std::size_t length, std::size_t pixelBytes, std::uint8_t* out)
{
    switch (filter) {
    case PngRowFilter::None:
        out[0] = 0;
        std::memcpy(out + 1, row, length);
        return;
    case PngRowFilter::Sub:
        out[0] = 1;
        for (std::size_t i = 0; i < length; ++i)
            out[1 + i] = std::uint8_t(row[i] - (i >= pixelBytes ? row[i - pixelBytes] : 0));
        return;
    case PngRowFilter::Up:
        out[0] = 2;
        for (std::size_t i = 0; i < length; ++i)
            out[1 + i] = std::uint8_t(row[i] - previous[i]);
        return;
    case PngRowFilter::Paeth:
        out[0] = 4;
        for (std::size_t i = 0; i < length; ++i) {
            std::uint8_t left = i >= pixelBytes ? row[i - pixelBytes] : 0;
            std::uint8_t upLeft = i >= pixelBytes ? previous[i - pixelBytes] : 0;
            out[1 + i] = std::uint8_t(row[i] - paeth(left, previous[i], upLeft));
        }
        return;
    case PngRowFilter::Adaptive:
        break;
    }
    // Each candidate scored by the sum of its bytes read as signed, the smallest kept.
    std::vector<std::uint8_t> candidate(length + 1);
    unsigned long best = ~0ul;
    for (PngRowFilter type : { PngRowFilter::None, PngRowFilter::Sub, PngRowFilter::Up, PngRowFilter::Paeth }) {
        filterRow(type, row, previous, length, pixelBytes, candidate.data());
        unsigned long score = 0;
        for (std::size_t i = 1; i <= length; ++i)
            score += unsigned(std::abs(int(std::int8_t(candidate[i]))));
        if (score < best) {
            best = score;
            std::memcpy(out, candidate.data(), length + 1);
        }
    }
}

// Packs every row as `type` lays it out and filters it into `filtered`, each row after its filter
// byte, as the image data's zlib stream holds them; false when the frame has too many colours for a
// palette.
bool filterRows(const FramePixels& pixels, ColourType type, PaletteBuilder& palette, PngRowFilter filter, std::uint8_t* filtered)
{
    std::size_t pixelBytes = bytesPerPixel(type);
    std::size_t rowBytes = std::size_t(pixels.width()) * pixelBytes;
    std::vector<std::uint8_t> rows(2 * rowBytes);
    std::uint8_t* previous = rows.data();
    std::uint8_t* current = rows.data() + rowBytes;
    for (int y = 0; y < pixels.height(); ++y) {
        if (type == Indexed) {
            if (!palette.indexRow(pixels.row(y), current))
                return false;
        } else if (type == Rgb) {
            packRgb(pixels.row(y), current);
        } else {
            packRgba(pixels.row(y), current);
        }
        filterRow(filter, current, previous, rowBytes, pixelBytes, filtered + std::size_t(y) * (rowBytes + 1));
        std::swap(previous, current);
    }
    return true;
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

}

std::vector<std::uint8_t> encodePng(const Frame& frame, const PngSettings& settings)
{
    if (settings.level < 0 || settings.level > 12)
        throw std::invalid_argument("PNG compression level " + std::to_string(settings.level) + " is not from 0 to 12");
    FramePixels pixels(frame);
    const bool opaque = pixels.isOpaque();
    const std::size_t width = std::size_t(pixels.width());
    const std::size_t height = std::size_t(pixels.height());

    // A frame of few colours, as the panel is without a photo, is written with a palette: a byte a
    // pixel to compress instead of three. Its rows get a buffer of their own size, a third of the
    // RGB rows', which a frame of more colours then makes.
    ColourType type = opaque ? Indexed : Rgba;
    auto filteredBytes = [&](ColourType layout) { return height * (width * bytesPerPixel(layout) + 1); };
    PixelMemory filtered(filteredBytes(type));
    PaletteBuilder palette;
    if (!filterRows(pixels, type, palette, settings.filter, filtered.data())) {
        type = Rgb;
        filtered = PixelMemory(filteredBytes(type));
        filterRows(pixels, type, palette, settings.filter, filtered.data());
    }
    const std::size_t filteredSize = filtered.size();

    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(libdeflate_alloc_compressor(settings.level));
    if (!compressor)
        throw std::runtime_error("cannot encode a PNG: no memory for the compressor");
    // The bound is never reached by much, so most of this buffer is never touched.
    std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
    PixelMemory compressed(bound);
    std::size_t compressedSize = libdeflate_zlib_compress(compressor.get(), filtered.data(), filteredSize, compressed.data(), bound);
    if (compressedSize == 0)
        throw std::runtime_error("cannot encode a PNG: the compressor failed");
    filtered = PixelMemory();

    std::vector<std::uint8_t> out;
    out.reserve(compressedSize + 64 + 12 + palette.entries().size() + 12 * (compressedSize / kMaximumChunk));
    out.insert(out.end(), kSignature.begin(), kSignature.end());
    std::vector<std::uint8_t> header;
    appendBigEndian(header, std::uint32_t(pixels.width()));
    appendBigEndian(header, std::uint32_t(pixels.height()));
    // 8 bits a sample (or an index); deflate, adaptive filtering, no interlace.
    header.insert(header.end(), { 8, type, 0, 0, 0 });
    appendChunk(out, "IHDR", header.data(), header.size());
    if (type == Indexed)
        appendChunk(out, "PLTE", palette.entries().data(), palette.entries().size());
    for (std::size_t at = 0; at < compressedSize; at += kMaximumChunk)
        appendChunk(out, "IDAT", compressed.data() + at, std::min(kMaximumChunk, compressedSize - at));
    appendChunk(out, "IEND", nullptr, 0);
    return out;
}

}
