#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

class DeviceFilesystem;

// Property lists, XML and binary ("bplist00"), read from untrusted files. Both readers refuse
// anything past these limits instead of allocating for it.
constexpr std::size_t propertyListMaxFileBytes = std::size_t { 1024 } * 1024;
constexpr std::size_t propertyListMaxDepth = 64; // Containers nested inside one another, the root included.
constexpr std::size_t propertyListMaxObjects = 100000; // Values produced, counting each use of a shared binary object.
constexpr std::size_t propertyListMaxExpandedBytes = std::size_t { 16 } * 1024 * 1024; // String and data bytes produced.

enum class PropertyListKind {
    Boolean,
    Integer,
    Real,
    String,
    Date,
    Data,
    Array,
    Dictionary,
};

class PropertyListValue {
public:
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PropertyListValue>;
    using Dictionary = std::map<std::string, PropertyListValue, std::less<>>;

    static PropertyListValue boolean(bool);
    static PropertyListValue integer(std::int64_t);
    static PropertyListValue real(double);
    static PropertyListValue string(std::string); // UTF-8.
    static PropertyListValue date(double secondsSinceReferenceDate); // Seconds since 2001-01-01 00:00:00 UTC.
    static PropertyListValue data(Data);
    static PropertyListValue array(Array);
    static PropertyListValue dictionary(Dictionary);

    PropertyListKind kind() const;
    bool isBoolean() const { return kind() == PropertyListKind::Boolean; }
    bool isInteger() const { return kind() == PropertyListKind::Integer; }
    bool isReal() const { return kind() == PropertyListKind::Real; }
    bool isString() const { return kind() == PropertyListKind::String; }
    bool isDate() const { return kind() == PropertyListKind::Date; }
    bool isData() const { return kind() == PropertyListKind::Data; }
    bool isArray() const { return kind() == PropertyListKind::Array; }
    bool isDictionary() const { return kind() == PropertyListKind::Dictionary; }

    // Each accessor requires the matching kind and throws std::bad_variant_access otherwise.
    bool asBoolean() const;
    std::int64_t asInteger() const;
    double asReal() const;
    const std::string& asString() const;
    double asDate() const;
    const Data& asData() const;
    const Array& asArray() const;
    const Dictionary& asDictionary() const;

    // The value under `key`; null when absent or when this is not a dictionary.
    const PropertyListValue* find(std::string_view key) const;

    friend bool operator==(const PropertyListValue&, const PropertyListValue&);

private:
    struct DateValue {
        double seconds { 0 };
        bool operator==(const DateValue&) const = default;
    };
    using Storage = std::variant<bool, std::int64_t, double, std::string, DateValue, Data, Array, Dictionary>;

    // Builds the alternative in place: a temporary variant trips GCC 12's -Wmaybe-uninitialized at -O2.
    template<typename T, typename Argument>
    PropertyListValue(std::in_place_type_t<T> type, Argument&& argument)
        : m_storage(type, std::forward<Argument>(argument))
    {
    }

    Storage m_storage;
};

// `failure` is one short phrase ("no file", "not a property list", "nesting deeper than 64", ...)
// and is empty exactly when `value` holds something.
struct PropertyListReadResult {
    std::optional<PropertyListValue> value;
    std::string failure;
};

// Sniffs the format from the first bytes: "bplist00" is binary, anything else must be an XML plist.
PropertyListReadResult parsePropertyList(std::span<const std::uint8_t> bytes);
PropertyListReadResult readPropertyListFile(const DeviceFilesystem&, const std::string& devicePath);
// As readPropertyListFile, failing with "root is not a dictionary" for any other root.
PropertyListReadResult readPropertyListDictionaryFile(const DeviceFilesystem&, const std::string& devicePath);

// The platform's dictionaryWithContentsOfFile: the root dictionary, or nothing when the file is
// missing, unreadable, too large, not a property list or not a dictionary.
std::optional<PropertyListValue> dictionaryWithContentsOfFile(const DeviceFilesystem&, const std::string& devicePath);

// The platform's number and string conversions applied to a value, as NSNumber and NSString answer
// them. Booleans give 0 or 1; strings follow Conversions.h; integers saturate at the int32 limits
// instead of keeping their low 32 bits; reals truncate toward zero, saturating, NaN giving 0 (but
// true for boolValue, since NaN != 0).
// NOTE: Dates, data, arrays and dictionaries carry no number: they give false and 0, as if absent.
bool boolValue(const PropertyListValue&);
std::int32_t intValue(const PropertyListValue&);
float floatValue(const PropertyListValue&);
