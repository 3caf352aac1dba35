#include "platform/PropertyListParsers.h"

#include <pugixml.hpp>

#include <array>
#include <cstdlib>
#include <limits>
#include <locale.h>

// The XML form, read strictly: a <plist> root holding one value; dictionaries alternate <key> and
// a value; leaf elements hold text only. pugixml parses iteratively (deep nesting cannot exhaust
// its stack); our conversion recurses, so it checks the depth before descending.

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isBlankText(std::string_view s)
{
    return trimmed(s).empty();
}

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        char32_t codePoint = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            codePoint = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            codePoint = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            codePoint = c & 0x07;
        } else {
            return false;
        }
        if (extra > s.size() - i - 1)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        static constexpr std::array<char32_t, 4> smallest { 0, 0x80, 0x800, 0x10000 };
        if (codePoint < smallest[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += 1 + extra;
    }
    return true;
}

// Optional blanks and sign, then decimal digits or 0x and hex digits, then optional blanks. Values
// above INT64_MAX up to UINT64_MAX are clamped, as the binary reader clamps its 128-bit integers.
std::optional<std::int64_t> parseInteger(std::string_view text)
{
    std::string_view s = trimmed(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (char c : s) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
    }
    constexpr std::uint64_t largestNegative = std::uint64_t(1) << 63;
    if (negative) {
        if (magnitude > largestNegative)
            return std::nullopt;
        return magnitude == largestNegative ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(magnitude);
}

// Days from 1970-01-01 to a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    auto yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ", in UTC, as seconds since 2001-01-01.
std::optional<double> parseDate(std::string_view text)
{
    std::string_view s = trimmed(text);
    static constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (s.size() != shape.size())
        return std::nullopt;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd' ? !(s[i] >= '0' && s[i] <= '9') : s[i] != shape[i])
            return std::nullopt;
    }
    auto number = [&](std::size_t at, std::size_t length) {
        unsigned value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + static_cast<unsigned>(s[i] - '0');
        return value;
    };
    unsigned year = number(0, 4), month = number(5, 2), day = number(8, 2);
    unsigned hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    static constexpr std::array<unsigned, 12> monthDays { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > monthDays[month - 1] || (month == 2 && day == 29 && !leap))
        return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::int64_t days = daysFromCivil(year, month, day) - daysFromCivil(2001, 1, 1);
    return static_cast<double>(days * 86400 + std::int64_t { hour } * 3600 + std::int64_t { minute } * 60 + second);
}

// Base64 with blanks allowed anywhere and padding optional; any other character fails.
std::optional<PropertyListValue::Data> parseBase64(std::string_view text)
{
    PropertyListValue::Data bytes;
    bytes.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t bits = 0;
    std::size_t symbols = 0;
    std::size_t padding = 0;
    for (char c : text) {
        if (isBlank(c))
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else
            return std::nullopt;
        if (padding)
            return std::nullopt; // Symbols after padding.
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if (++symbols % 4 == 0) {
            bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
            bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
            bytes.push_back(static_cast<std::uint8_t>(bits));
            bits = 0;
        }
    }
    std::size_t tail = symbols % 4;
    if (tail == 1 || padding > 2 || (padding && (symbols + padding) % 4 != 0))
        return std::nullopt;
    if (tail == 2) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> 4));
    } else if (tail == 3) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> 10));
        bytes.push_back(static_cast<std::uint8_t>(bits >> 2));
    }
    return bytes;
}

class XmlConverter {
public:
    XmlConverter()
        : m_cLocale(newlocale(LC_NUMERIC_MASK, "C", nullptr))
    {
    }
    ~XmlConverter()
    {
        if (m_cLocale)
            freelocale(m_cLocale);
    }
    XmlConverter(const XmlConverter&) = delete;
    XmlConverter& operator=(const XmlConverter&) = delete;

    std::optional<PropertyListValue> convert(pugi::xml_node, std::size_t depth);
    const std::string& failure() const { return m_failure; }

    std::nullopt_t fail(std::string phrase)
    {
        if (m_failure.empty())
            m_failure = std::move(phrase);
        return std::nullopt;
    }

private:
    std::optional<std::string> leafText(pugi::xml_node);
    std::optional<PropertyListValue> convertArray(pugi::xml_node, std::size_t depth);
    std::optional<PropertyListValue> convertDictionary(pugi::xml_node, std::size_t depth);
    std::optional<double> parseReal(std::string_view);

    locale_t m_cLocale { nullptr };
    std::size_t m_producedValues { 0 };
    std::string m_failure;
};

// The text of an element that may hold only text (character data and CDATA sections).
std::optional<std::string> XmlConverter::leafText(pugi::xml_node element)
{
    std::string text;
    for (auto child : element.children()) {
        if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata)
            return fail(std::string("unexpected element inside <") + element.name() + ">");
        text += child.value();
    }
    return text;
}

// strtod in the C locale, whatever locale the process runs in; the whole text must be a number.
std::optional<double> XmlConverter::parseReal(std::string_view text)
{
    std::string number(trimmed(text));
    if (number.empty() || !m_cLocale)
        return std::nullopt;
    char* end = nullptr;
    double value = strtod_l(number.c_str(), &end, m_cLocale);
    if (end != number.c_str() + number.size())
        return std::nullopt;
    return value;
}

std::optional<PropertyListValue> XmlConverter::convert(pugi::xml_node element, std::size_t depth)
{
    if (m_producedValues >= propertyListMaxObjects)
        return fail("more than 100000 objects");
    ++m_producedValues;

    std::string_view name = element.name();
    if (name == "dict" || name == "array") {
        if (depth >= propertyListMaxDepth)
            return fail("nesting deeper than 64");
        return name == "dict" ? convertDictionary(element, depth + 1) : convertArray(element, depth + 1);
    }
    if (name == "true" || name == "false") {
        auto text = leafText(element);
        if (!text)
            return std::nullopt;
        if (!isBlankText(*text))
            return fail(name == "true" ? "<true> is not empty" : "<false> is not empty");
        return PropertyListValue::boolean(name == "true");
    }
    if (name != "string" && name != "integer" && name != "real" && name != "date" && name != "data")
        return fail("unknown element <" + std::string(name) + ">");

    auto text = leafText(element);
    if (!text)
        return std::nullopt;
    if (name == "string") {
        if (!isValidUtf8(*text))
            return fail("invalid UTF-8 in <string>");
        return PropertyListValue::string(std::move(*text));
    }
    if (name == "integer") {
        auto value = parseInteger(*text);
        return value ? std::optional(PropertyListValue::integer(*value)) : fail("bad <integer>");
    }
    if (name == "real") {
        auto value = parseReal(*text);
        return value ? std::optional(PropertyListValue::real(*value)) : fail("bad <real>");
    }
    if (name == "date") {
        auto value = parseDate(*text);
        return value ? std::optional(PropertyListValue::date(*value)) : fail("bad <date>");
    }
    auto bytes = parseBase64(*text);
    return bytes ? std::optional(PropertyListValue::data(std::move(*bytes))) : fail("bad <data>");
}

std::optional<PropertyListValue> XmlConverter::convertArray(pugi::xml_node element, std::size_t depth)
{
    PropertyListValue::Array items;
    for (auto child : element.children()) {
        if (child.type() != pugi::node_element) {
            if (!isBlankText(child.value()))
                return fail("unexpected text in <array>");
            continue;
        }
        auto item = convert(child, depth);
        if (!item)
            return std::nullopt;
        items.push_back(std::move(*item));
    }
    return PropertyListValue::array(std::move(items));
}

std::optional<PropertyListValue> XmlConverter::convertDictionary(pugi::xml_node element, std::size_t depth)
{
    PropertyListValue::Dictionary entries;
    std::optional<std::string> pendingKey;
    for (auto child : element.children()) {
        if (child.type() != pugi::node_element) {
            if (!isBlankText(child.value()))
                return fail("unexpected text in <dict>");
            continue;
        }
        if (std::string_view(child.name()) == "key") {
            if (pendingKey)
                return fail("key without a value");
            auto key = leafText(child);
            if (!key)
                return std::nullopt;
            if (!isValidUtf8(*key))
                return fail("invalid UTF-8 in <key>");
            pendingKey = std::move(*key);
            continue;
        }
        if (!pendingKey)
            return fail("value without a key");
        auto value = convert(child, depth);
        if (!value)
            return std::nullopt;
        // NOTE: A repeated key keeps its last value.
        entries.insert_or_assign(std::move(*pendingKey), std::move(*value));
        pendingKey.reset();
    }
    if (pendingKey)
        return fail("key without a value");
    return PropertyListValue::dictionary(std::move(entries));
}

}

PropertyListReadResult parseXmlPropertyList(std::span<const std::uint8_t> bytes)
{
    pugi::xml_document document;
    // Comments, processing instructions and the DOCTYPE are skipped; entities and CDATA are decoded.
    // Blank text is kept, or a <string> of spaces would read as empty.
    auto parsed = document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_auto);
    if (!parsed)
        return propertyListFailure("not a property list");

    pugi::xml_node root;
    for (auto child : document.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (root)
            return propertyListFailure("more than one root element");
        root = child;
    }
    if (std::string_view(root.name()) != "plist")
        return propertyListFailure("root element is not <plist>");

    XmlConverter converter;
    pugi::xml_node only;
    for (auto child : root.children()) {
        if (child.type() != pugi::node_element) {
            if (!isBlankText(child.value()))
                return propertyListFailure("unexpected text in <plist>");
            continue;
        }
        if (only)
            return propertyListFailure("<plist> holds more than one value");
        only = child;
    }
    if (!only)
        return propertyListFailure("<plist> holds no value");
    auto value = converter.convert(only, 0);
    if (!value)
        return propertyListFailure(converter.failure());
    return { std::move(value), {} };
}
