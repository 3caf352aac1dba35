#include "platform/PropertyList.h"

#include "platform/Conversions.h"
#include "platform/DeviceFilesystem.h"
#include "platform/PropertyListParsers.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>
#include <type_traits>

PropertyListValue PropertyListValue::boolean(bool value)
{
    return PropertyListValue(std::in_place_type<bool>, value);
}

PropertyListValue PropertyListValue::integer(std::int64_t value)
{
    return PropertyListValue(std::in_place_type<std::int64_t>, value);
}

PropertyListValue PropertyListValue::real(double value)
{
    return PropertyListValue(std::in_place_type<double>, value);
}

PropertyListValue PropertyListValue::string(std::string value)
{
    return PropertyListValue(std::in_place_type<std::string>, std::move(value));
}

PropertyListValue PropertyListValue::date(double secondsSinceReferenceDate)
{
    return PropertyListValue(std::in_place_type<DateValue>, DateValue { secondsSinceReferenceDate });
}

PropertyListValue PropertyListValue::data(Data value)
{
    return PropertyListValue(std::in_place_type<Data>, std::move(value));
}

PropertyListValue PropertyListValue::array(Array value)
{
    return PropertyListValue(std::in_place_type<Array>, std::move(value));
}

PropertyListValue PropertyListValue::dictionary(Dictionary value)
{
    return PropertyListValue(std::in_place_type<Dictionary>, std::move(value));
}

PropertyListKind PropertyListValue::kind() const
{
    // NOTE: The enumerators follow the order of the variant's alternatives.
    static_assert(std::variant_size_v<Storage> == 8);
    static_assert(std::is_same_v<std::variant_alternative_t<static_cast<std::size_t>(PropertyListKind::Date), Storage>, DateValue>);
    static_assert(std::is_same_v<std::variant_alternative_t<static_cast<std::size_t>(PropertyListKind::Dictionary), Storage>, Dictionary>);
    return static_cast<PropertyListKind>(m_storage.index());
}

bool PropertyListValue::asBoolean() const { return std::get<bool>(m_storage); }
std::int64_t PropertyListValue::asInteger() const { return std::get<std::int64_t>(m_storage); }
double PropertyListValue::asReal() const { return std::get<double>(m_storage); }
const std::string& PropertyListValue::asString() const { return std::get<std::string>(m_storage); }
double PropertyListValue::asDate() const { return std::get<DateValue>(m_storage).seconds; }
const PropertyListValue::Data& PropertyListValue::asData() const { return std::get<Data>(m_storage); }
const PropertyListValue::Array& PropertyListValue::asArray() const { return std::get<Array>(m_storage); }
const PropertyListValue::Dictionary& PropertyListValue::asDictionary() const { return std::get<Dictionary>(m_storage); }

const PropertyListValue* PropertyListValue::find(std::string_view key) const
{
    const auto* dictionary = std::get_if<Dictionary>(&m_storage);
    if (!dictionary)
        return nullptr;
    auto it = dictionary->find(key);
    return it == dictionary->end() ? nullptr : &it->second;
}

bool operator==(const PropertyListValue& a, const PropertyListValue& b)
{
    return a.m_storage == b.m_storage;
}

PropertyListReadResult parsePropertyList(std::span<const std::uint8_t> bytes)
{
    static constexpr std::string_view binaryFamily = "bplist";
    static constexpr std::string_view binaryMagic = "bplist00";
    auto startsWith = [&](std::string_view magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin(), [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
    };
    if (startsWith(binaryMagic))
        return parseBinaryPropertyList(bytes);
    if (startsWith(binaryFamily))
        return propertyListFailure("unsupported binary property list version");
    return parseXmlPropertyList(bytes);
}

PropertyListReadResult readPropertyListFile(const DeviceFilesystem& filesystem, const std::string& devicePath)
{
    auto bytes = filesystem.readFile(devicePath, propertyListMaxFileBytes);
    if (bytes)
        return parsePropertyList(*bytes);

    // readFile answers nothing for every failure; look again only to say which one it was.
    auto host = filesystem.resolve(devicePath);
    std::error_code error;
    if (!host || !std::filesystem::exists(*host, error))
        return propertyListFailure("no file");
    if (std::filesystem::is_regular_file(*host, error)) {
        auto size = std::filesystem::file_size(*host, error);
        if (!error && size > propertyListMaxFileBytes)
            return propertyListFailure("larger than 1 MiB");
    }
    return propertyListFailure("unreadable");
}

PropertyListReadResult readPropertyListDictionaryFile(const DeviceFilesystem& filesystem, const std::string& devicePath)
{
    auto result = readPropertyListFile(filesystem, devicePath);
    if (result.value && !result.value->isDictionary())
        return propertyListFailure("root is not a dictionary");
    return result;
}

std::optional<PropertyListValue> dictionaryWithContentsOfFile(const DeviceFilesystem& filesystem, const std::string& devicePath)
{
    return readPropertyListDictionaryFile(filesystem, devicePath).value;
}

namespace {

std::int32_t saturateToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}

bool boolValue(const PropertyListValue& value)
{
    switch (value.kind()) {
    case PropertyListKind::Boolean:
        return value.asBoolean();
    case PropertyListKind::Integer:
        return value.asInteger() != 0;
    case PropertyListKind::Real:
        return value.asReal() != 0;
    case PropertyListKind::String:
        return boolValue(std::string_view(value.asString()));
    default:
        return false;
    }
}

std::int32_t intValue(const PropertyListValue& value)
{
    switch (value.kind()) {
    case PropertyListKind::Boolean:
        return value.asBoolean() ? 1 : 0;
    case PropertyListKind::Integer:
        return saturateToInt32(value.asInteger());
    case PropertyListKind::Real:
        return intValueOfReal(value.asReal());
    case PropertyListKind::String:
        return intValue(std::string_view(value.asString()));
    default:
        return 0;
    }
}

float floatValue(const PropertyListValue& value)
{
    switch (value.kind()) {
    case PropertyListKind::Boolean:
        return value.asBoolean() ? 1 : 0;
    case PropertyListKind::Integer:
        return static_cast<float>(value.asInteger());
    case PropertyListKind::Real:
        return static_cast<float>(value.asReal());
    case PropertyListKind::String:
        return floatValue(std::string_view(value.asString()));
    default:
        return 0;
    }
}
