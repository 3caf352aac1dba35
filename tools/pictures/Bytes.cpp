#include "tools/pictures/Bytes.h"

#include <stdexcept>

namespace pictures {

namespace {

void checkSize(int size)
{
    if (size < 1 || size > 8)
        throw std::invalid_argument("an integer field is 1 to 8 bytes wide");
}

}

void putBigEndian(Bytes& out, std::uint64_t value, int size)
{
    checkSize(size);
    for (int i = size - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putLittleEndian(Bytes& out, std::uint64_t value, int size)
{
    checkSize(size);
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putText(Bytes& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

}
