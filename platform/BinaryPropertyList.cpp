#include "platform/PropertyListParsers.h"

#include <algorithm>
#include <bit>
#include <limits>

// The binary form: "bplist00", the objects, a table of their offsets, and a 32-byte trailer that
// gives the table's place and the sizes of offsets and object references. Every number in it comes
// from the file, so every sum and product is checked before it is used, and nothing is allocated
// for a length that the remaining bytes cannot hold.

namespace {

constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

enum Marker : std::uint8_t {
    markerSimple = 0x0, // false 0x08, true 0x09; null and fill are not property-list values.
    markerInteger = 0x1,
    markerReal = 0x2,
    markerDate = 0x3,
    markerData = 0x4,
    markerAsciiString = 0x5,
    markerUtf16String = 0x6,
    markerArray = 0xA,
    markerDictionary = 0xD,
};

std::uint64_t readBigEndian(const std::uint8_t* bytes, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

class BinaryReader {
public:
    explicit BinaryReader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    PropertyListReadResult read();

private:
    // A failed step records the first reason and answers nothing; callers just return.
    std::nullopt_t fail(const char* phrase)
    {
        if (m_failure.empty())
            m_failure = phrase;
        return std::nullopt;
    }

    bool readTrailer();
    std::optional<std::uint64_t> objectOffset(std::uint64_t index);
    std::optional<std::uint64_t> objectReference(std::uint64_t position);
    std::optional<std::uint64_t> readLength(std::uint8_t info, std::uint64_t& position);
    std::optional<PropertyListValue> readObject(std::uint64_t index, std::size_t depth);
    std::optional<PropertyListValue> readInteger(std::uint8_t info, std::uint64_t position);
    std::optional<PropertyListValue> readReal(std::uint8_t info, std::uint64_t position);
    std::optional<PropertyListValue> readDate(std::uint8_t info, std::uint64_t position);
    std::optional<PropertyListValue> readData(std::uint8_t info, std::uint64_t position);
    std::optional<PropertyListValue> readAsciiString(std::uint8_t info, std::uint64_t position);
    std::optional<PropertyListValue> readUtf16String(std::uint8_t info, std::uint64_t position);
    std::optional<PropertyListValue> readArray(std::uint8_t info, std::uint64_t position, std::size_t depth);
    std::optional<PropertyListValue> readDictionary(std::uint8_t info, std::uint64_t position, std::size_t depth);
    bool spendBytes(std::uint64_t count);
    bool has(std::uint64_t position, std::uint64_t count) const { return position <= m_objectsEnd && count <= m_objectsEnd - position; }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offsetSize { 0 };
    std::size_t m_referenceSize { 0 };
    std::uint64_t m_objectCount { 0 };
    std::uint64_t m_topObject { 0 };
    std::uint64_t m_objectsEnd { 0 }; // Objects lie in [headerSize, m_objectsEnd); the offset table starts there.
    std::vector<bool> m_onPath; // Objects being read right now, from the root down: one seen again is a cycle.
    std::size_t m_producedValues { 0 };
    std::size_t m_producedBytes { 0 };
    std::string m_failure;
};

PropertyListReadResult BinaryReader::read()
{
    if (!readTrailer())
        return propertyListFailure(m_failure);
    // Every offset is checked up front so that a bad table fails the same way wherever it is used.
    for (std::uint64_t i = 0; i < m_objectCount; ++i) {
        if (!objectOffset(i))
            return propertyListFailure(m_failure);
    }
    m_onPath.assign(static_cast<std::size_t>(m_objectCount), false);
    auto root = readObject(m_topObject, 0);
    if (!root)
        return propertyListFailure(m_failure);
    return { std::move(root), {} };
}

bool BinaryReader::readTrailer()
{
    auto refuse = [this](const char* phrase) {
        fail(phrase);
        return false;
    };
    if (m_bytes.size() < headerSize + trailerSize)
        return refuse("truncated binary property list");
    const std::uint8_t* trailer = m_bytes.data() + m_bytes.size() - trailerSize;
    m_offsetSize = trailer[6];
    m_referenceSize = trailer[7];
    m_objectCount = readBigEndian(trailer + 8, 8);
    m_topObject = readBigEndian(trailer + 16, 8);
    std::uint64_t tableOffset = readBigEndian(trailer + 24, 8);

    if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8)
        return refuse("bad binary property list trailer");
    if (m_objectCount == 0)
        return refuse("truncated binary property list");
    if (m_objectCount > propertyListMaxObjects)
        return refuse("more than 100000 objects");
    if (m_topObject >= m_objectCount)
        return refuse("top object out of range");
    // The table must lie between the header and the trailer; the count is capped, so the product cannot overflow.
    std::uint64_t trailerStart = m_bytes.size() - trailerSize;
    if (tableOffset < headerSize || tableOffset > trailerStart || m_objectCount * m_offsetSize > trailerStart - tableOffset)
        return refuse("offset table outside the file");
    m_objectsEnd = tableOffset;
    return true;
}

std::optional<std::uint64_t> BinaryReader::objectOffset(std::uint64_t index)
{
    std::uint64_t offset = readBigEndian(m_bytes.data() + m_objectsEnd + index * m_offsetSize, m_offsetSize);
    if (offset < headerSize || offset >= m_objectsEnd)
        return fail("object offset out of range");
    return offset;
}

std::optional<std::uint64_t> BinaryReader::objectReference(std::uint64_t position)
{
    std::uint64_t reference = readBigEndian(m_bytes.data() + position, m_referenceSize);
    if (reference >= m_objectCount)
        return fail("object reference out of range");
    return reference;
}

// A count in the marker's low nibble, or, when that is 0xF, in an integer object that follows.
std::optional<std::uint64_t> BinaryReader::readLength(std::uint8_t info, std::uint64_t& position)
{
    if (info != 0xF)
        return info;
    if (!has(position, 1))
        return fail("object runs past the end");
    std::uint8_t marker = m_bytes[position];
    std::size_t size = std::size_t(1) << (marker & 0xF);
    if ((marker >> 4) != markerInteger || (marker & 0xF) > 3)
        return fail("bad length in binary property list");
    if (!has(position + 1, size))
        return fail("object runs past the end");
    std::uint64_t length = readBigEndian(m_bytes.data() + position + 1, size);
    position += 1 + size;
    return length;
}

bool BinaryReader::spendBytes(std::uint64_t count)
{
    if (count > propertyListMaxExpandedBytes - m_producedBytes) {
        fail("property list expands past 16 MiB");
        return false;
    }
    m_producedBytes += static_cast<std::size_t>(count);
    return true;
}

std::optional<PropertyListValue> BinaryReader::readObject(std::uint64_t index, std::size_t depth)
{
    if (m_onPath[index])
        return fail("cycle in binary property list");
    if (m_producedValues >= propertyListMaxObjects)
        return fail("more than 100000 objects");
    ++m_producedValues;

    auto offset = objectOffset(index);
    if (!offset)
        return std::nullopt;
    std::uint8_t marker = m_bytes[*offset];
    std::uint8_t info = marker & 0xF;
    std::uint64_t position = *offset + 1;

    switch (marker >> 4) {
    case markerSimple:
        if (marker == 0x08 || marker == 0x09)
            return PropertyListValue::boolean(marker == 0x09);
        return fail("unknown object marker");
    case markerInteger:
        return readInteger(info, position);
    case markerReal:
        return readReal(info, position);
    case markerDate:
        return readDate(info, position);
    case markerData:
        return readData(info, position);
    case markerAsciiString:
        return readAsciiString(info, position);
    case markerUtf16String:
        return readUtf16String(info, position);
    case markerArray:
    case markerDictionary: {
        if (depth >= propertyListMaxDepth)
            return fail("nesting deeper than 64");
        m_onPath[index] = true;
        auto value = (marker >> 4) == markerArray ? readArray(info, position, depth + 1) : readDictionary(info, position, depth + 1);
        m_onPath[index] = false;
        return value;
    }
    default:
        // UIDs, sets and the newer string forms are not property-list values we accept.
        return fail("unknown object marker");
    }
}

std::optional<PropertyListValue> BinaryReader::readInteger(std::uint8_t info, std::uint64_t position)
{
    if (info > 4)
        return fail("bad integer size");
    std::size_t size = std::size_t(1) << info;
    if (!has(position, size))
        return fail("object runs past the end");
    const std::uint8_t* bytes = m_bytes.data() + position;
    if (size < 8)
        return PropertyListValue::integer(static_cast<std::int64_t>(readBigEndian(bytes, size))); // Unsigned.
    if (size == 8)
        return PropertyListValue::integer(std::bit_cast<std::int64_t>(readBigEndian(bytes, 8)));
    // Sixteen bytes: exact when the value fits in 64 signed bits, clamped to the nearer limit otherwise.
    std::uint64_t high = readBigEndian(bytes, 8);
    std::uint64_t low = readBigEndian(bytes + 8, 8);
    bool lowNegative = (low >> 63) != 0;
    if ((high == 0 && !lowNegative) || (high == ~std::uint64_t(0) && lowNegative))
        return PropertyListValue::integer(std::bit_cast<std::int64_t>(low));
    bool negative = (high >> 63) != 0;
    return PropertyListValue::integer(negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max());
}

std::optional<PropertyListValue> BinaryReader::readReal(std::uint8_t info, std::uint64_t position)
{
    if (info != 2 && info != 3)
        return fail("bad real size");
    std::size_t size = std::size_t(1) << info;
    if (!has(position, size))
        return fail("object runs past the end");
    std::uint64_t bits = readBigEndian(m_bytes.data() + position, size);
    if (size == 4)
        return PropertyListValue::real(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    return PropertyListValue::real(std::bit_cast<double>(bits));
}

std::optional<PropertyListValue> BinaryReader::readDate(std::uint8_t info, std::uint64_t position)
{
    if (info != 3)
        return fail("bad date size");
    if (!has(position, 8))
        return fail("object runs past the end");
    return PropertyListValue::date(std::bit_cast<double>(readBigEndian(m_bytes.data() + position, 8)));
}

std::optional<PropertyListValue> BinaryReader::readData(std::uint8_t info, std::uint64_t position)
{
    auto length = readLength(info, position);
    if (!length)
        return std::nullopt;
    if (!has(position, *length))
        return fail("object runs past the end");
    if (!spendBytes(*length))
        return std::nullopt;
    auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(position);
    return PropertyListValue::data(PropertyListValue::Data(begin, begin + static_cast<std::ptrdiff_t>(*length)));
}

std::optional<PropertyListValue> BinaryReader::readAsciiString(std::uint8_t info, std::uint64_t position)
{
    auto length = readLength(info, position);
    if (!length)
        return std::nullopt;
    if (!has(position, *length))
        return fail("object runs past the end");
    if (!spendBytes(*length))
        return std::nullopt;
    auto characters = m_bytes.subspan(static_cast<std::size_t>(position), static_cast<std::size_t>(*length));
    if (std::any_of(characters.begin(), characters.end(), [](std::uint8_t c) { return c >= 0x80; }))
        return fail("non-ASCII byte in ASCII string");
    return PropertyListValue::string(std::string(reinterpret_cast<const char*>(characters.data()), characters.size()));
}

// UTF-16BE to UTF-8. An unpaired surrogate becomes U+FFFD rather than failing the whole file.
std::optional<PropertyListValue> BinaryReader::readUtf16String(std::uint8_t info, std::uint64_t position)
{
    auto units = readLength(info, position);
    if (!units)
        return std::nullopt;
    if (*units > (m_objectsEnd - std::min(position, m_objectsEnd)) / 2)
        return fail("object runs past the end");
    // Each unit gives at least one UTF-8 byte: spend that much before allocating, the rest after.
    if (!spendBytes(*units))
        return std::nullopt;
    auto unitAt = [&](std::uint64_t i) { return static_cast<char16_t>(readBigEndian(m_bytes.data() + position + 2 * i, 2)); };
    std::string text;
    text.reserve(static_cast<std::size_t>(*units));
    for (std::uint64_t i = 0; i < *units; ++i) {
        char16_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < *units) {
            char16_t next = unitAt(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                appendUtf8(text, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(next) - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(text, unit >= 0xD800 && unit <= 0xDFFF ? U'\uFFFD' : char32_t(unit));
    }
    if (!spendBytes(text.size() - *units))
        return std::nullopt;
    return PropertyListValue::string(std::move(text));
}

std::optional<PropertyListValue> BinaryReader::readArray(std::uint8_t info, std::uint64_t position, std::size_t depth)
{
    auto count = readLength(info, position);
    if (!count)
        return std::nullopt;
    if (*count > (m_objectsEnd - std::min(position, m_objectsEnd)) / m_referenceSize)
        return fail("object runs past the end");
    if (*count > propertyListMaxObjects - m_producedValues)
        return fail("more than 100000 objects");
    PropertyListValue::Array items;
    items.reserve(static_cast<std::size_t>(*count));
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto reference = objectReference(position + i * m_referenceSize);
        if (!reference)
            return std::nullopt;
        auto item = readObject(*reference, depth);
        if (!item)
            return std::nullopt;
        items.push_back(std::move(*item));
    }
    return PropertyListValue::array(std::move(items));
}

std::optional<PropertyListValue> BinaryReader::readDictionary(std::uint8_t info, std::uint64_t position, std::size_t depth)
{
    auto count = readLength(info, position);
    if (!count)
        return std::nullopt;
    // Keys come first, then values: 2 * count references.
    if (*count > (m_objectsEnd - std::min(position, m_objectsEnd)) / m_referenceSize / 2)
        return fail("object runs past the end");
    if (*count > (propertyListMaxObjects - m_producedValues) / 2)
        return fail("more than 100000 objects");
    std::uint64_t valuesStart = position + *count * m_referenceSize;
    PropertyListValue::Dictionary entries;
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto keyReference = objectReference(position + i * m_referenceSize);
        auto valueReference = keyReference ? objectReference(valuesStart + i * m_referenceSize) : std::nullopt;
        if (!valueReference)
            return std::nullopt;
        // Check the key's marker before reading it, so a container used as a key is never expanded.
        auto keyOffset = objectOffset(*keyReference);
        if (!keyOffset)
            return std::nullopt;
        std::uint8_t keyType = m_bytes[*keyOffset] >> 4;
        if (keyType != markerAsciiString && keyType != markerUtf16String)
            return fail("dictionary key is not a string");
        auto key = readObject(*keyReference, depth);
        if (!key)
            return std::nullopt;
        auto value = readObject(*valueReference, depth);
        if (!value)
            return std::nullopt;
        // NOTE: A repeated key keeps its last value, as the XML reader does.
        entries.insert_or_assign(key->asString(), std::move(*value));
    }
    return PropertyListValue::dictionary(std::move(entries));
}

}

PropertyListReadResult parseBinaryPropertyList(std::span<const std::uint8_t> bytes)
{
    return BinaryReader(bytes).read();
}
