#include "tools/pictures/BmpRunLengths.h"

namespace pictures {

BmpRunLengths& BmpRunLengths::run(int count, std::uint8_t value)
{
    m_bytes.insert(m_bytes.end(), { static_cast<std::uint8_t>(count), value });
    return *this;
}

BmpRunLengths& BmpRunLengths::literal(const std::vector<int>& indices, bool fourBits)
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

BmpRunLengths& BmpRunLengths::endOfLine()
{
    return escape(0);
}

BmpRunLengths& BmpRunLengths::endOfBitmap()
{
    return escape(1);
}

BmpRunLengths& BmpRunLengths::delta(int dx, int dy)
{
    escape(2);
    m_bytes.insert(m_bytes.end(), { static_cast<std::uint8_t>(dx), static_cast<std::uint8_t>(dy) });
    return *this;
}

BmpRunLengths& BmpRunLengths::escape(std::uint8_t code)
{
    m_bytes.insert(m_bytes.end(), { 0, code });
    return *this;
}

Bytes encodeBmpRunLengths(int width, int height, bool fourBits, const IndexPainter& index)
{
    // RLE4 repeats a pair of indices; both halves the same makes a plain run.
    auto runValue = [fourBits](int value) { return static_cast<std::uint8_t>(fourBits ? (value << 4 | value) : value); };
    BmpRunLengths stream;
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        while (x < width) {
            int repeat = 1;
            while (x + repeat < width && repeat < 255 && index(x + repeat, y) == index(x, y))
                ++repeat;
            if (repeat >= 2) {
                stream.run(repeat, runValue(index(x, y)));
                x += repeat;
                continue;
            }
            std::vector<int> literal;
            while (x < width && literal.size() < 255 && (x + 1 >= width || index(x + 1, y) != index(x, y)))
                literal.push_back(index(x++, y));
            // Literals shorter than three would read as escapes.
            if (literal.size() >= 3) {
                stream.literal(literal, fourBits);
            } else {
                for (int value : literal)
                    stream.run(1, runValue(value));
            }
        }
        stream.endOfLine();
    }
    stream.endOfBitmap();
    return stream.bytes();
}

}
