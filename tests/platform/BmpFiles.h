#pragma once

// BMP files of every kind, made byte by byte: the headers of Windows and OS/2, palettes, packed
// rows, bit-field masks and run-length streams. Used by the BMP tests and the fuzzers' seeds.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace bmp_files {

using Bytes = std::vector<std::uint8_t>;

inline void putLittleEndian(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct Colour {
    std::uint8_t r { 0 };
    std::uint8_t g { 0 };
    std::uint8_t b { 0 };
};

// What goes into a file; every field is written as given, so a test can also make damaged ones.
struct BmpFile {
    std::uint32_t infoSize { 40 }; // 12 (OS/2 1.x), 16 to 64 (OS/2 2.x), 40, 52, 56, 108, 124.
    std::int32_t width { 0 };
    std::int32_t height { 0 }; // Negative for top-down rows.
    std::uint16_t planes { 1 };
    std::uint16_t bits { 24 };
    std::uint32_t compression { 0 };
    std::uint32_t colorsUsed { 0 };
    std::vector<Colour> palette; // Written as is: 3 bytes an entry for OS/2 1.x, else 4.
    std::vector<std::uint32_t> masks; // Inside headers of 52 bytes or more, else right after the header.
    std::uint32_t gapBeforePixels { 0 };
    std::optional<std::uint32_t> pixelOffset; // Otherwise where the pixels really start.
    Bytes pixels;
};

inline Bytes encode(const BmpFile& file)
{
    const bool core = file.infoSize == 12;
    const bool masksInHeader = file.infoSize == 52 || file.infoSize == 56 || file.infoSize == 108 || file.infoSize == 124;
    Bytes info;
    putLittleEndian(info, file.infoSize, 4);
    if (core) {
        putLittleEndian(info, static_cast<std::uint32_t>(file.width), 2);
        putLittleEndian(info, static_cast<std::uint32_t>(file.height), 2);
        putLittleEndian(info, file.planes, 2);
        putLittleEndian(info, file.bits, 2);
    } else {
        putLittleEndian(info, static_cast<std::uint32_t>(file.width), 4);
        putLittleEndian(info, static_cast<std::uint32_t>(file.height), 4);
        putLittleEndian(info, file.planes, 2);
        putLittleEndian(info, file.bits, 2);
        putLittleEndian(info, file.compression, 4);
        putLittleEndian(info, static_cast<std::uint32_t>(file.pixels.size()), 4);
        putLittleEndian(info, 2835, 4);
        putLittleEndian(info, 2835, 4);
        putLittleEndian(info, file.colorsUsed, 4);
        putLittleEndian(info, 0, 4);
        if (masksInHeader) {
            for (std::uint32_t mask : file.masks)
                putLittleEndian(info, mask, 4);
        }
        info.resize(file.infoSize, 0); // OS/2 2.x headers stop early; the rest is zero.
    }
    Bytes afterHeader;
    if (!masksInHeader && !core) {
        for (std::uint32_t mask : file.masks)
            putLittleEndian(afterHeader, mask, 4);
    }
    for (const Colour& c : file.palette) {
        afterHeader.insert(afterHeader.end(), { c.b, c.g, c.r });
        if (!core)
            afterHeader.push_back(0);
    }
    afterHeader.resize(afterHeader.size() + file.gapBeforePixels, 0);

    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size() + afterHeader.size());
    Bytes out { 'B', 'M' };
    putLittleEndian(out, static_cast<std::uint32_t>(offset + file.pixels.size()), 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, file.pixelOffset.value_or(offset), 4);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), afterHeader.begin(), afterHeader.end());
    out.insert(out.end(), file.pixels.begin(), file.pixels.end());
    return out;
}

using IndexPainter = std::function<int(int x, int y)>; // y = 0 is the top row.
using WordPainter = std::function<std::uint32_t(int x, int y)>;

// Rows of palette indices packed `bits` to a pixel, leftmost in the high bits, padded to four
// bytes, in stored order.
inline Bytes packIndexRows(int width, int height, int bits, const IndexPainter& index, bool topDown = false)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    Bytes out;
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        Bytes stored(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
            stored[bit / 8] |= static_cast<std::uint8_t>((index(x, y) & ((1 << bits) - 1)) << (8 - bits - static_cast<int>(bit % 8)));
        }
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}

// Rows of 2-, 3- or 4-byte little-endian pixels, padded to four bytes, in stored order.
inline Bytes packWordRows(int width, int height, int bytesPerPixel, const WordPainter& word, bool topDown = false)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel) + 3) / 4 * 4;
    Bytes out;
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        Bytes stored;
        for (int x = 0; x < width; ++x)
            putLittleEndian(stored, word(x, y), bytesPerPixel);
        stored.resize(rowBytes, 0);
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}

// Run-length codes written one by one, for streams with jumps and damage.
class RunLengthStream {
public:
    RunLengthStream& run(int count, std::uint8_t value)
    {
        m_bytes.insert(m_bytes.end(), { static_cast<std::uint8_t>(count), value });
        return *this;
    }
    // Literal indices (three or more), padded to 16 bits; for RLE4 two to a byte.
    RunLengthStream& literal(const std::vector<int>& indices, bool fourBits)
    {
        m_bytes.insert(m_bytes.end(), { 0, static_cast<std::uint8_t>(indices.size()) });
        Bytes data;
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (!fourBits)
                data.push_back(static_cast<std::uint8_t>(indices[i]));
            else if (i % 2 == 0)
                data.push_back(static_cast<std::uint8_t>(indices[i] << 4));
            else
                data.back() |= static_cast<std::uint8_t>(indices[i] & 0x0F);
        }
        if (data.size() % 2)
            data.push_back(0);
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        return *this;
    }
    RunLengthStream& endOfLine() { return escape(0); }
    RunLengthStream& endOfBitmap() { return escape(1); }
    RunLengthStream& delta(int dx, int dy)
    {
        escape(2);
        m_bytes.insert(m_bytes.end(), { static_cast<std::uint8_t>(dx), static_cast<std::uint8_t>(dy) });
        return *this;
    }
    const Bytes& bytes() const { return m_bytes; }

private:
    RunLengthStream& escape(std::uint8_t code)
    {
        m_bytes.insert(m_bytes.end(), { 0, code });
        return *this;
    }

    Bytes m_bytes;
};

// A picture as an encoder writes it: bottom row first, repeats as runs, other stretches of three
// or more as literals, each row ended, then the end of the bitmap.
inline Bytes encodeRunLengths(int width, int height, bool fourBits, const IndexPainter& index)
{
    RunLengthStream stream;
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        while (x < width) {
            int repeat = 1;
            while (x + repeat < width && repeat < 255 && index(x + repeat, y) == index(x, y))
                ++repeat;
            if (repeat >= 2) {
                const int value = index(x, y);
                stream.run(repeat, static_cast<std::uint8_t>(fourBits ? (value << 4 | value) : value));
                x += repeat;
                continue;
            }
            std::vector<int> literal;
            while (x < width && literal.size() < 255 && (x + 1 >= width || index(x + 1, y) != index(x, y)))
                literal.push_back(index(x++, y));
            if (literal.size() >= 3) {
                stream.literal(literal, fourBits);
            } else {
                for (int value : literal)
                    stream.run(1, static_cast<std::uint8_t>(fourBits ? (value << 4 | value) : value));
            }
        }
        stream.endOfLine();
    }
    stream.endOfBitmap();
    return stream.bytes();
}

// Distinct colours for palette entries.
inline std::vector<Colour> testPalette(int entries)
{
    std::vector<Colour> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({ static_cast<std::uint8_t>(i * 37 + 11), static_cast<std::uint8_t>(255 - i * 3), static_cast<std::uint8_t>(i * 91 + 5) });
    return palette;
}

}
