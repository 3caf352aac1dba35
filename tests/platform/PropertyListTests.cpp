#include "platform/DeviceFilesystem.h"
#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr auto int32Max = std::numeric_limits<std::int32_t>::max();
constexpr auto int32Min = std::numeric_limits<std::int32_t>::min();
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

PropertyListReadResult parseText(std::string_view text)
{
    return parsePropertyList(bytesOf(text));
}

std::string xmlPlist(std::string_view body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n"
        + std::string(body) + "\n</plist>\n";
}

std::string repeat(std::string_view piece, std::size_t count)
{
    std::string out;
    out.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out += piece;
    return out;
}

// Hand-built binary property lists, so that malformed ones can be made field by field.

void appendBigEndian(Bytes& out, std::uint64_t value, std::size_t size)
{
    // Sizes past 8 (a malformed trailer's) pad with leading zeros.
    for (std::size_t i = size; i-- > 0;)
        out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
}

Bytes withLength(std::uint8_t type, std::uint64_t count)
{
    Bytes out;
    if (count < 15) {
        out.push_back(static_cast<std::uint8_t>(type << 4 | count));
        return out;
    }
    out.push_back(static_cast<std::uint8_t>(type << 4 | 0xF));
    out.push_back(0x13);
    appendBigEndian(out, count, 8);
    return out;
}

Bytes boolObject(bool value)
{
    return { static_cast<std::uint8_t>(value ? 0x09 : 0x08) };
}

Bytes intObject(std::int64_t value)
{
    Bytes out { 0x13 };
    appendBigEndian(out, static_cast<std::uint64_t>(value), 8);
    return out;
}

Bytes realObject(double value)
{
    Bytes out { 0x23 };
    appendBigEndian(out, std::bit_cast<std::uint64_t>(value), 8);
    return out;
}

Bytes asciiObject(std::string_view text)
{
    Bytes out = withLength(0x5, text.size());
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes utf16Object(std::u16string_view text)
{
    Bytes out = withLength(0x6, text.size());
    for (char16_t unit : text)
        appendBigEndian(out, unit, 2);
    return out;
}

Bytes refsObject(std::uint8_t type, std::uint64_t count, const std::vector<std::uint64_t>& refs, std::size_t referenceSize)
{
    Bytes out = withLength(type, count);
    for (auto ref : refs)
        appendBigEndian(out, ref, referenceSize);
    return out;
}

Bytes arrayObject(const std::vector<std::uint64_t>& refs, std::size_t referenceSize = 1)
{
    return refsObject(0xA, refs.size(), refs, referenceSize);
}

Bytes dictObject(std::vector<std::uint64_t> keys, const std::vector<std::uint64_t>& values, std::size_t referenceSize = 1)
{
    std::size_t count = keys.size();
    keys.insert(keys.end(), values.begin(), values.end());
    return refsObject(0xD, count, keys, referenceSize);
}

struct BinaryPlist {
    std::vector<Bytes> objects;
    std::size_t offsetSize { 4 };
    std::size_t referenceSize { 1 };
    std::uint64_t topObject { 0 };
    // Overrides for the fields a malformed file gets wrong.
    std::optional<std::uint64_t> objectCount;
    std::optional<std::uint64_t> tableOffset;
    std::vector<std::pair<std::size_t, std::uint64_t>> offsetPatches; // (object index, offset)

    Bytes build() const
    {
        Bytes out = bytesOf("bplist00");
        std::vector<std::uint64_t> offsets;
        for (const auto& object : objects) {
            offsets.push_back(out.size());
            out.insert(out.end(), object.begin(), object.end());
        }
        for (auto [index, offset] : offsetPatches)
            offsets.at(index) = offset;
        std::uint64_t table = out.size();
        for (auto offset : offsets)
            appendBigEndian(out, offset, offsetSize);
        out.insert(out.end(), 6, 0);
        out.push_back(static_cast<std::uint8_t>(offsetSize));
        out.push_back(static_cast<std::uint8_t>(referenceSize));
        appendBigEndian(out, objectCount.value_or(objects.size()), 8);
        appendBigEndian(out, topObject, 8);
        appendBigEndian(out, tableOffset.value_or(table), 8);
        return out;
    }
};

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvessa-plist-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    void write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream out(m_path / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path m_path;
};

bool havePlistutil()
{
    return std::system("command -v plistutil > /dev/null 2>&1") == 0;
}

}

// The widget's three settings, in every type a preferences file may give them.

TEST(PropertyListSettings, XmlAndBinaryDictionariesAgreeOnEveryValueType)
{
    struct Row {
        std::string xml;
        Bytes binary;
        bool expectedBool;
        std::int32_t expectedInt;
    };
    const std::vector<Row> rows {
        { "<true/>", boolObject(true), true, 1 },
        { "<false/>", boolObject(false), false, 0 },
        { "<integer>7</integer>", intObject(7), true, 7 },
        { "<integer>-3</integer>", intObject(-3), true, -3 },
        { "<integer>0</integer>", intObject(0), false, 0 },
        { "<real>4.7</real>", realObject(4.7), true, 4 },
        { "<real>0.25</real>", realObject(0.25), true, 0 },
        { "<string>YES</string>", asciiObject("YES"), true, 0 },
        { "<string> 12</string>", asciiObject(" 12"), true, 12 },
        { "<string>0</string>", asciiObject("0"), false, 0 },
    };
    const std::vector<std::string> keys { "Shuffle", "SecondsPerSlide", "preserveaspect" };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.xml);
        std::string body = "<dict>";
        for (const auto& key : keys)
            body += "<key>" + key + "</key>" + row.xml;
        body += "</dict>";
        auto fromXml = parseText(xmlPlist(body));

        // Three keys, then one value object shared by all of them.
        BinaryPlist binary;
        binary.objects = { dictObject({ 1, 2, 3 }, { 4, 4, 4 }), asciiObject(keys[0]), asciiObject(keys[1]), asciiObject(keys[2]), row.binary };
        auto fromBinary = parsePropertyList(binary.build());

        ASSERT_TRUE(fromXml.value) << fromXml.failure;
        ASSERT_TRUE(fromBinary.value) << fromBinary.failure;
        EXPECT_EQ(*fromXml.value, *fromBinary.value);
        for (const auto& key : keys) {
            const PropertyListValue* value = fromXml.value->find(key);
            ASSERT_NE(value, nullptr) << key;
            EXPECT_EQ(boolValue(*value), row.expectedBool) << key;
            EXPECT_EQ(intValue(*value), row.expectedInt) << key;
        }
    }
}

TEST(PropertyListSettings, PresentButFalseIsNotAbsent)
{
    auto result = parseText(xmlPlist("<dict><key>Shuffle</key><false/><key>SecondsPerSlide</key><integer>0</integer></dict>"));
    ASSERT_TRUE(result.value) << result.failure;
    const PropertyListValue* shuffle = result.value->find("Shuffle");
    ASSERT_NE(shuffle, nullptr);
    EXPECT_TRUE(shuffle->isBoolean());
    EXPECT_FALSE(boolValue(*shuffle));
    ASSERT_NE(result.value->find("SecondsPerSlide"), nullptr);
    EXPECT_EQ(result.value->find("preserveaspect"), nullptr);
    EXPECT_EQ(result.value->find("shuffle"), nullptr); // Keys are case-sensitive.
    EXPECT_EQ(shuffle->find("Shuffle"), nullptr); // Not a dictionary.
}

TEST(PropertyListSettings, BinaryFromPlistutilMatchesXml)
{
    if (!havePlistutil())
        GTEST_SKIP() << "plistutil is not installed";
    TempDir dir;
    std::string xml = xmlPlist(R"(<dict>
        <key>Shuffle</key><true/>
        <key>SecondsPerSlide</key><integer>5</integer>
        <key>preserveaspect</key><real>2.5</real>
        <key>Name</key><string>Grüße, 日本 😀 &amp; &lt;more&gt;</string>
        <key>Ascii</key><string>a fairly long ascii string past fifteen characters</string>
        <key>Big</key><integer>-5000000000</integer>
        <key>Huge</key><integer>18446744073709551615</integer>
        <key>When</key><date>2011-06-15T12:30:45Z</date>
        <key>Blob</key><data>AAEC/w==</data>
        <key>List</key><array><integer>1</integer><array><string>deep</string><dict/></array><false/></array>
    </dict>)");
    dir.write("in.xml", bytesOf(xml));
    std::string command = "plistutil -i '" + (dir.path() / "in.xml").string() + "' -o '" + (dir.path() / "out.bin").string() + "' -f bin";
    ASSERT_EQ(std::system(command.c_str()), 0);

    DeviceFilesystem filesystem;
    filesystem.mount("/var/mobile", dir.path());
    auto fromXml = readPropertyListFile(filesystem, "/var/mobile/in.xml");
    auto fromBinary = readPropertyListFile(filesystem, "/var/mobile/out.bin");
    ASSERT_TRUE(fromXml.value) << fromXml.failure;
    ASSERT_TRUE(fromBinary.value) << fromBinary.failure;
    EXPECT_EQ(*fromXml.value, *fromBinary.value);

    const PropertyListValue& root = *fromBinary.value;
    EXPECT_EQ(root.find("Name")->asString(), "Grüße, 日本 😀 & <more>");
    EXPECT_EQ(root.find("Big")->asInteger(), -5000000000);
    EXPECT_EQ(intValue(*root.find("Big")), int32Min);
    EXPECT_EQ(root.find("Huge")->asInteger(), int64Max); // Unsigned 64-bit values clamp.
    EXPECT_DOUBLE_EQ(root.find("When")->asDate(), 329833845.0);
    EXPECT_EQ(root.find("Blob")->asData(), (Bytes { 0x00, 0x01, 0x02, 0xFF }));
    EXPECT_EQ(root.find("List")->asArray().at(1).asArray().at(0).asString(), "deep");
    EXPECT_EQ(intValue(*root.find("preserveaspect")), 2);
}

// The platform's conversions applied to values.

TEST(PropertyListConversions, StringsFollowTheStringRules)
{
    struct Row {
        const char* text;
        bool expectedBool;
        std::int32_t expectedInt;
    };
    for (const Row& row : std::vector<Row> {
             { " 007", true, 7 },
             { "+3", true, 3 },
             { "-0", false, 0 },
             { "yes", true, 0 },
             { "T", true, 0 },
             { "0", false, 0 },
             { "abc", false, 0 },
             { "  -12abc", true, -12 },
             { "99999999999", true, int32Max },
             { "", false, 0 },
         }) {
        auto value = PropertyListValue::string(row.text);
        EXPECT_EQ(boolValue(value), row.expectedBool) << '"' << row.text << '"';
        EXPECT_EQ(intValue(value), row.expectedInt) << '"' << row.text << '"';
    }
}

TEST(PropertyListConversions, RealsTruncateTowardZeroAndSaturate)
{
    struct Row {
        double real;
        bool expectedBool;
        std::int32_t expectedInt;
    };
    for (const Row& row : std::vector<Row> {
             { 2.9, true, 2 },
             { 4.7, true, 4 },
             { -2.9, true, -2 },
             { 0.4, true, 0 }, // Nonzero, so true, though its int is 0.
             { -0.0, false, 0 },
             { 1e12, true, int32Max },
             { -1e12, true, int32Min },
             { std::numeric_limits<double>::infinity(), true, int32Max },
             { std::nan(""), true, 0 },
         }) {
        auto value = PropertyListValue::real(row.real);
        EXPECT_EQ(boolValue(value), row.expectedBool) << row.real;
        EXPECT_EQ(intValue(value), row.expectedInt) << row.real;
    }
    EXPECT_FLOAT_EQ(floatValue(PropertyListValue::real(2.5)), 2.5f);
}

TEST(PropertyListConversions, IntegersSaturateAndBooleansGiveZeroOrOne)
{
    EXPECT_EQ(intValue(PropertyListValue::integer(5000000000)), int32Max);
    EXPECT_EQ(intValue(PropertyListValue::integer(-5000000000)), int32Min);
    EXPECT_EQ(intValue(PropertyListValue::integer(4294967296 + 5)), int32Max); // Not the low 32 bits (5).
    EXPECT_EQ(intValue(PropertyListValue::integer(-1)), -1);
    EXPECT_TRUE(boolValue(PropertyListValue::integer(-1)));
    EXPECT_TRUE(boolValue(PropertyListValue::integer(4294967296))); // Low 32 bits are zero; the number is not.
    EXPECT_FALSE(boolValue(PropertyListValue::integer(0)));
    EXPECT_EQ(intValue(PropertyListValue::boolean(true)), 1);
    EXPECT_EQ(intValue(PropertyListValue::boolean(false)), 0);
    EXPECT_TRUE(boolValue(PropertyListValue::boolean(true)));
    EXPECT_FLOAT_EQ(floatValue(PropertyListValue::boolean(true)), 1.0f);
}

TEST(PropertyListConversions, ValuesWithoutANumberGiveFalseAndZero)
{
    PropertyListValue::Dictionary dictionary;
    dictionary.emplace("1", PropertyListValue::integer(1));
    for (const auto& value : {
             PropertyListValue::date(86400),
             PropertyListValue::data(bytesOf("1")),
             PropertyListValue::array({ PropertyListValue::boolean(true) }),
             PropertyListValue::dictionary(dictionary),
         }) {
        EXPECT_FALSE(boolValue(value));
        EXPECT_EQ(intValue(value), 0);
        EXPECT_EQ(floatValue(value), 0.0f);
    }
}

// The XML form.

TEST(XmlPropertyList, LeafElementsDecode)
{
    auto result = parseText(xmlPlist(R"(<dict>
        <key>entities</key><string>a &lt;b&gt; &amp; &#x263A;<![CDATA[<raw>]]></string>
        <key>spaces</key><string>  </string>
        <key>empty</key><string/>
        <key></key><integer> 42 </integer>
        <key>hex</key><integer>0x1F</integer>
        <key>min</key><integer>-9223372036854775808</integer>
        <key>beyond</key><integer>18446744073709551615</integer>
        <key>exp</key><real> -2.5e3 </real>
        <key>epoch</key><date>1970-01-01T00:00:00Z</date>
        <key>leap</key><date>2004-02-29T23:59:59Z</date>
        <key>blob</key><data>
            SGVs
            bG8
        </data>
        <key>none</key><array/>
        <key>dup</key><integer>1</integer>
        <key>dup</key><integer>2</integer>
    </dict>)"));
    ASSERT_TRUE(result.value) << result.failure;
    const PropertyListValue& root = *result.value;
    EXPECT_EQ(root.find("entities")->asString(), "a <b> & \u263A<raw>");
    EXPECT_EQ(root.find("spaces")->asString(), "  ");
    EXPECT_EQ(root.find("empty")->asString(), "");
    EXPECT_EQ(root.find("")->asInteger(), 42);
    EXPECT_EQ(root.find("hex")->asInteger(), 31);
    EXPECT_EQ(root.find("min")->asInteger(), int64Min);
    EXPECT_EQ(root.find("beyond")->asInteger(), int64Max);
    EXPECT_DOUBLE_EQ(root.find("exp")->asReal(), -2500.0);
    EXPECT_DOUBLE_EQ(root.find("epoch")->asDate(), -978307200.0);
    EXPECT_DOUBLE_EQ(root.find("leap")->asDate(), 99791999.0);
    EXPECT_EQ(root.find("blob")->asData(), bytesOf("Hello"));
    EXPECT_TRUE(root.find("none")->asArray().empty());
    EXPECT_EQ(root.find("dup")->asInteger(), 2); // The last of repeated keys wins.
}

TEST(XmlPropertyList, MalformedDocumentsFailWithAReason)
{
    struct Row {
        std::string document;
        std::string failure;
    };
    const std::vector<Row> rows {
        { "hello", "not a property list" },
        { "", "not a property list" },
        { "<plist><dict></plist>", "not a property list" },
        { "<dict><key>a</key><true/></dict>", "root element is not <plist>" },
        { "<html><dict/></html>", "root element is not <plist>" },
        { "<plist/><plist/>", "more than one root element" },
        { "<plist version=\"1.0\"></plist>", "<plist> holds no value" },
        { xmlPlist("<dict/><dict/>"), "<plist> holds more than one value" },
        { xmlPlist("text<dict/>"), "unexpected text in <plist>" },
        { xmlPlist("<dict><key>Shuffle</key></dict>"), "key without a value" },
        { xmlPlist("<dict><key>Shuffle</key><key>SecondsPerSlide</key><integer>3</integer></dict>"), "key without a value" },
        { xmlPlist("<dict><true/></dict>"), "value without a key" },
        { xmlPlist("<dict>stray<key>a</key><true/></dict>"), "unexpected text in <dict>" },
        { xmlPlist("<array>stray</array>"), "unexpected text in <array>" },
        { xmlPlist("<dict><key>a</key><number>3</number></dict>"), "unknown element <number>" },
        { xmlPlist("<integer>12abc</integer>"), "bad <integer>" },
        { xmlPlist("<integer></integer>"), "bad <integer>" },
        { xmlPlist("<integer>1 2</integer>"), "bad <integer>" },
        { xmlPlist("<integer>0x</integer>"), "bad <integer>" },
        { xmlPlist("<integer>18446744073709551616</integer>"), "bad <integer>" },
        { xmlPlist("<integer>-9223372036854775809</integer>"), "bad <integer>" },
        { xmlPlist("<real>2,5</real>"), "bad <real>" },
        { xmlPlist("<real></real>"), "bad <real>" },
        { xmlPlist("<real>4.7x</real>"), "bad <real>" },
        { xmlPlist("<date>2011-02-29T00:00:00Z</date>"), "bad <date>" },
        { xmlPlist("<date>2011-06-15 12:30:45</date>"), "bad <date>" },
        { xmlPlist("<date>2011-06-15T24:00:00Z</date>"), "bad <date>" },
        { xmlPlist("<data>SGV$</data>"), "bad <data>" },
        { xmlPlist("<data>SGVsb</data>"), "bad <data>" },
        { xmlPlist("<data>SG=V</data>"), "bad <data>" },
        { xmlPlist("<true>yes</true>"), "<true> is not empty" },
        { xmlPlist("<string>a<b/>c</string>"), "unexpected element inside <string>" },
        { xmlPlist("<dict><key><b/></key><true/></dict>"), "unexpected element inside <key>" },
        { xmlPlist("<string>\xC3\x28</string>"), "invalid UTF-8 in <string>" },
        { xmlPlist("<dict><key>\xED\xA0\x80</key><true/></dict>"), "invalid UTF-8 in <key>" },
    };
    for (const auto& row : rows) {
        auto result = parseText(row.document);
        EXPECT_FALSE(result.value) << row.document;
        EXPECT_EQ(result.failure, row.failure) << row.document;
    }
}

TEST(XmlPropertyList, NestingIsCappedAt64)
{
    auto nested = [](std::size_t depth) {
        std::string body = repeat("<array>", depth - 1) + "<dict><key>k</key><true/></dict>" + repeat("</array>", depth - 1);
        return parseText(xmlPlist(body));
    };
    auto deepest = nested(64);
    ASSERT_TRUE(deepest.value) << deepest.failure;
    const PropertyListValue* inner = &*deepest.value;
    for (int i = 0; i < 63; ++i)
        inner = &inner->asArray().at(0);
    EXPECT_TRUE(inner->isDictionary());
    EXPECT_EQ(nested(65).failure, "nesting deeper than 64");

    // A bomb far deeper than any stack would survive if anything recursed on it.
    auto bomb = parseText(xmlPlist(repeat("<array>", 200000) + repeat("</array>", 200000)));
    EXPECT_FALSE(bomb.value);
    EXPECT_EQ(bomb.failure, "nesting deeper than 64");
}

TEST(XmlPropertyList, ObjectCountIsCapped)
{
    // The root array counts as one value.
    auto atCap = parseText(xmlPlist("<array>" + repeat("<true/>", propertyListMaxObjects - 1) + "</array>"));
    ASSERT_TRUE(atCap.value) << atCap.failure;
    EXPECT_EQ(atCap.value->asArray().size(), propertyListMaxObjects - 1);
    auto overCap = parseText(xmlPlist("<array>" + repeat("<true/>", propertyListMaxObjects) + "</array>"));
    EXPECT_EQ(overCap.failure, "more than 100000 objects");
}

// The binary form, well formed.

TEST(BinaryPropertyList, EveryObjectTypeDecodes)
{
    Bytes sixteenByteNegative { 0x14 };
    appendBigEndian(sixteenByteNegative, ~std::uint64_t(0), 8);
    appendBigEndian(sixteenByteNegative, static_cast<std::uint64_t>(-5), 8);
    Bytes sixteenByteHuge { 0x14 };
    appendBigEndian(sixteenByteHuge, 1, 8);
    appendBigEndian(sixteenByteHuge, 0, 8);
    Bytes sixteenByteVeryNegative { 0x14 };
    appendBigEndian(sixteenByteVeryNegative, 0x8000000000000000, 8);
    appendBigEndian(sixteenByteVeryNegative, 0, 8);
    Bytes float32 { 0x22 };
    appendBigEndian(float32, std::bit_cast<std::uint32_t>(0.5f), 4);
    Bytes date { 0x33 };
    appendBigEndian(date, std::bit_cast<std::uint64_t>(3600.0), 8);
    Bytes data = withLength(0x4, 3);
    data.insert(data.end(), { 0xDE, 0xAD, 0x00 });

    const std::vector<Bytes> values {
        Bytes { 0x10, 0xFF }, // One-byte integers are unsigned.
        Bytes { 0x11, 0xFF, 0xFE },
        Bytes { 0x12, 0xFF, 0xFF, 0xFF, 0xFF },
        intObject(-7),
        sixteenByteNegative,
        sixteenByteHuge,
        sixteenByteVeryNegative,
        float32,
        date,
        data,
        asciiObject("twenty characters!!!"), // Past 15: the length follows the marker.
        utf16Object(u"h\u00e9 \U0001F600"),
        utf16Object(std::u16string { u'a', char16_t(0xD800), u'b', char16_t(0xDC00) }), // Unpaired surrogates.
        boolObject(true),
    };
    BinaryPlist plist;
    plist.referenceSize = 2;
    std::vector<std::uint64_t> refs;
    for (std::uint64_t i = 1; i <= values.size(); ++i)
        refs.push_back(i);
    plist.objects.push_back(arrayObject(refs, 2));
    plist.objects.insert(plist.objects.end(), values.begin(), values.end());

    auto result = parsePropertyList(plist.build());
    ASSERT_TRUE(result.value) << result.failure;
    const auto& items = result.value->asArray();
    ASSERT_EQ(items.size(), values.size());
    EXPECT_EQ(items[0].asInteger(), 255);
    EXPECT_EQ(items[1].asInteger(), 65534);
    EXPECT_EQ(items[2].asInteger(), 4294967295);
    EXPECT_EQ(items[3].asInteger(), -7);
    EXPECT_EQ(items[4].asInteger(), -5);
    EXPECT_EQ(items[5].asInteger(), int64Max);
    EXPECT_EQ(items[6].asInteger(), int64Min);
    EXPECT_EQ(items[7].asReal(), 0.5);
    EXPECT_EQ(items[8].asDate(), 3600.0);
    EXPECT_EQ(items[9].asData(), (Bytes { 0xDE, 0xAD, 0x00 }));
    EXPECT_EQ(items[10].asString(), "twenty characters!!!");
    EXPECT_EQ(items[11].asString(), "h\u00e9 \U0001F600");
    EXPECT_EQ(items[12].asString(), "a\uFFFDb\uFFFD");
    EXPECT_TRUE(items[13].asBoolean());
}

TEST(BinaryPropertyList, SharedObjectsAreNotCycles)
{
    // The root holds one array twice, and that array holds one string twice: seen again, not a cycle.
    BinaryPlist plist;
    plist.objects = { arrayObject({ 1, 1 }), arrayObject({ 2, 2 }), asciiObject("x") };
    auto result = parsePropertyList(plist.build());
    ASSERT_TRUE(result.value) << result.failure;
    EXPECT_EQ(result.value->asArray().at(1).asArray().at(1).asString(), "x");
}

// The binary form, malformed: each must fail for its own reason.

TEST(BinaryPropertyList, TruncatedFilesFail)
{
    BinaryPlist plist;
    plist.objects = { dictObject({ 1 }, { 2 }), asciiObject("Shuffle"), boolObject(true) };
    Bytes whole = plist.build();
    ASSERT_TRUE(parsePropertyList(whole).value);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        auto result = parsePropertyList(prefix);
        EXPECT_FALSE(result.value) << size;
        if (size >= 8 && size < 40) {
            EXPECT_EQ(result.failure, "truncated binary property list") << size;
        }
    }
}

TEST(BinaryPropertyList, TrailerFieldsAreValidated)
{
    auto failureWith = [](auto change) {
        BinaryPlist plist;
        plist.objects = { arrayObject({ 1 }), boolObject(true) };
        change(plist);
        return parsePropertyList(plist.build()).failure;
    };
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.offsetSize = 0; }), "bad binary property list trailer");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.offsetSize = 9; }), "bad binary property list trailer");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.referenceSize = 0; }), "bad binary property list trailer");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.referenceSize = 9; }), "bad binary property list trailer");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.objectCount = 0; }), "truncated binary property list");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.objectCount = ~std::uint64_t(0); }), "more than 100000 objects");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.topObject = 2; }), "top object out of range");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.topObject = ~std::uint64_t(0); }), "top object out of range");
    // A table that would wrap around when added to its length, one inside the header, one running into the trailer.
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.tableOffset = ~std::uint64_t(0) - 3; }), "offset table outside the file");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.tableOffset = 4; }), "offset table outside the file");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.objectCount = 3; }), "offset table outside the file");
    EXPECT_EQ(failureWith([](BinaryPlist& p) { p.offsetSize = 8; p.tableOffset = 12; }), "offset table outside the file");
}

TEST(BinaryPropertyList, OffsetsMustPointAtObjects)
{
    auto failureWith = [](std::uint64_t offset) {
        BinaryPlist plist;
        plist.objects = { arrayObject({ 1 }), boolObject(true) };
        plist.offsetPatches = { { 1, offset } };
        return parsePropertyList(plist.build()).failure;
    };
    EXPECT_EQ(failureWith(3), "object offset out of range"); // Inside the header.
    EXPECT_EQ(failureWith(11), "object offset out of range"); // The offset table itself.
    EXPECT_EQ(failureWith(0xFFFFFFFF), "object offset out of range");
    EXPECT_EQ(failureWith(10), ""); // Control: the true object does sit at 10.
}

TEST(BinaryPropertyList, ReferencesMustNameObjects)
{
    BinaryPlist array;
    array.objects = { arrayObject({ 1, 5 }), boolObject(true) };
    EXPECT_EQ(parsePropertyList(array.build()).failure, "object reference out of range");

    BinaryPlist dict;
    dict.objects = { dictObject({ 1 }, { 200 }), asciiObject("Shuffle") };
    EXPECT_EQ(parsePropertyList(dict.build()).failure, "object reference out of range");

    BinaryPlist wide;
    wide.referenceSize = 8;
    wide.objects = { arrayObject({ ~std::uint64_t(0) }, 8), boolObject(true) };
    EXPECT_EQ(parsePropertyList(wide.build()).failure, "object reference out of range");
}

TEST(BinaryPropertyList, LengthsPastTheEndFailBeforeAllocating)
{
    auto failureOf = [](Bytes object) {
        BinaryPlist plist;
        plist.objects = { std::move(object) };
        return parsePropertyList(plist.build()).failure;
    };
    EXPECT_EQ(failureOf(Bytes { 0x5E, 'a', 'b', 'c' }), "object runs past the end");
    EXPECT_EQ(failureOf(Bytes { 0x4F, 0x12, 0xFF, 0xFF, 0xFF, 0xFF }), "object runs past the end");
    EXPECT_EQ(failureOf(withLength(0x6, std::uint64_t(1) << 63)), "object runs past the end"); // 2n would wrap.
    EXPECT_EQ(failureOf(withLength(0xA, std::uint64_t(1) << 62)), "object runs past the end");
    EXPECT_EQ(failureOf(withLength(0xD, ~std::uint64_t(0))), "object runs past the end");
    EXPECT_EQ(failureOf(Bytes { 0x13, 0x00, 0x01 }), "object runs past the end");
    EXPECT_EQ(failureOf(Bytes { 0x33, 0x00 }), "object runs past the end");
    EXPECT_EQ(failureOf(Bytes { 0x5F, 0x13, 0x00 }), "object runs past the end"); // The length itself is cut.
    EXPECT_EQ(failureOf(Bytes { 0x5F, 0x22, 0, 0, 0, 1, 'a' }), "bad length in binary property list");
    EXPECT_EQ(failureOf(Bytes { 0x5F, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'a' }), "bad length in binary property list");
}

TEST(BinaryPropertyList, UnknownMarkersAndBadKeysFail)
{
    auto failureOf = [](Bytes object) {
        BinaryPlist plist;
        plist.objects = { std::move(object) };
        return parsePropertyList(plist.build()).failure;
    };
    EXPECT_EQ(failureOf(Bytes { 0x00 }), "unknown object marker"); // null
    EXPECT_EQ(failureOf(Bytes { 0x0F }), "unknown object marker"); // fill
    EXPECT_EQ(failureOf(Bytes { 0x71, 'a' }), "unknown object marker"); // UTF-8 string
    EXPECT_EQ(failureOf(Bytes { 0x80, 0x01 }), "unknown object marker"); // UID
    EXPECT_EQ(failureOf(Bytes { 0xC0 }), "unknown object marker"); // set
    EXPECT_EQ(failureOf(Bytes { 0xF0 }), "unknown object marker");
    EXPECT_EQ(failureOf(Bytes { 0x15, 0, 0, 0, 0 }), "bad integer size");
    EXPECT_EQ(failureOf(Bytes { 0x21, 0, 0 }), "bad real size");
    EXPECT_EQ(failureOf(Bytes { 0x32, 0, 0, 0, 0 }), "bad date size");
    EXPECT_EQ(failureOf(Bytes { 0x52, 'a', 0xE9 }), "non-ASCII byte in ASCII string");

    BinaryPlist intKey;
    intKey.objects = { dictObject({ 1 }, { 1 }), intObject(3) };
    EXPECT_EQ(parsePropertyList(intKey.build()).failure, "dictionary key is not a string");

    EXPECT_EQ(parseText("bplist15 anything").failure, "unsupported binary property list version");
}

TEST(BinaryPropertyList, CyclesAreRefused)
{
    BinaryPlist selfArray;
    selfArray.objects = { arrayObject({ 0 }) };
    EXPECT_EQ(parsePropertyList(selfArray.build()).failure, "cycle in binary property list");

    BinaryPlist selfDict;
    selfDict.objects = { dictObject({ 1 }, { 0 }), asciiObject("again") };
    EXPECT_EQ(parsePropertyList(selfDict.build()).failure, "cycle in binary property list");

    // Root dict -> array -> dict -> back to the array.
    BinaryPlist indirect;
    indirect.objects = { dictObject({ 1 }, { 2 }), asciiObject("k"), arrayObject({ 3 }), dictObject({ 1 }, { 2 }) };
    EXPECT_EQ(parsePropertyList(indirect.build()).failure, "cycle in binary property list");
}

TEST(BinaryPropertyList, NestingIsCappedAt64)
{
    auto chain = [](std::size_t depth) {
        BinaryPlist plist;
        for (std::uint64_t i = 0; i + 1 < depth; ++i)
            plist.objects.push_back(arrayObject({ i + 1 }));
        plist.objects.push_back(arrayObject({}));
        return parsePropertyList(plist.build());
    };
    auto deepest = chain(64);
    EXPECT_TRUE(deepest.value) << deepest.failure;
    EXPECT_EQ(chain(65).failure, "nesting deeper than 64");
    EXPECT_EQ(chain(250).failure, "nesting deeper than 64");
}

TEST(BinaryPropertyList, SharingCannotExpandPastTheLimits)
{
    // Each level holds the next one twice: 2^40 values from 41 small objects.
    BinaryPlist doubling;
    for (std::uint64_t i = 0; i < 40; ++i)
        doubling.objects.push_back(arrayObject({ i + 1, i + 1 }));
    doubling.objects.push_back(boolObject(true));
    EXPECT_EQ(parsePropertyList(doubling.build()).failure, "more than 100000 objects");

    // One 200 KB string used a hundred times would be 20 MB.
    BinaryPlist wideString;
    wideString.objects = { arrayObject(std::vector<std::uint64_t>(100, 1)), asciiObject(std::string(200 * 1024, 'x')) };
    EXPECT_EQ(parsePropertyList(wideString.build()).failure, "property list expands past 16 MiB");
    wideString.objects[0] = arrayObject(std::vector<std::uint64_t>(70, 1)); // 14 MB: within the limit.
    EXPECT_EQ(parsePropertyList(wideString.build()).failure, "");

    // An array with more entries than the object cap, each a shared object.
    BinaryPlist longArray;
    longArray.objects = { arrayObject(std::vector<std::uint64_t>(propertyListMaxObjects, 1), 1), boolObject(true) };
    EXPECT_EQ(parsePropertyList(longArray.build()).failure, "more than 100000 objects");
}

TEST(BinaryPropertyList, ObjectCountInTrailerIsCapped)
{
    auto withCount = [](std::size_t count) {
        // Every entry of the table points at the same object; the root is the first.
        BinaryPlist plist;
        plist.objects = { boolObject(true) };
        plist.objectCount = count;
        Bytes bytes = plist.build();
        Bytes table;
        for (std::size_t i = 0; i < count; ++i)
            appendBigEndian(table, 8, 4);
        std::size_t tableStart = 9;
        bytes.erase(bytes.begin() + tableStart, bytes.end() - 32);
        bytes.insert(bytes.begin() + tableStart, table.begin(), table.end());
        return parsePropertyList(bytes);
    };
    EXPECT_TRUE(withCount(propertyListMaxObjects).value);
    EXPECT_EQ(withCount(propertyListMaxObjects + 1).failure, "more than 100000 objects");
}

// Files on the device.

TEST(PropertyListFiles, MissingOrUnreachableFilesGiveNothing)
{
    TempDir dir;
    DeviceFilesystem filesystem;
    filesystem.mount("/var/mobile", dir.path());
    EXPECT_EQ(readPropertyListFile(filesystem, "/var/mobile/Library/Preferences/none.plist").failure, "no file");
    EXPECT_EQ(readPropertyListFile(filesystem, "/etc/passwd").failure, "no file"); // Under no mount.
    EXPECT_EQ(readPropertyListFile(filesystem, "/var/mobile/../../etc/passwd").failure, "no file");
    EXPECT_FALSE(dictionaryWithContentsOfFile(filesystem, "/var/mobile/none.plist"));

    std::filesystem::create_directory(dir.path() / "folder.plist");
    EXPECT_EQ(readPropertyListFile(filesystem, "/var/mobile/folder.plist").failure, "unreadable");
}

TEST(PropertyListFiles, SizeIsCappedAtOneMebibyte)
{
    TempDir dir;
    DeviceFilesystem filesystem;
    filesystem.mount("/var/mobile", dir.path());
    std::string document = xmlPlist("<dict><key>Shuffle</key><true/></dict>");
    document += std::string(propertyListMaxFileBytes - document.size(), ' ');
    dir.write("exact.plist", bytesOf(document));
    dir.write("over.plist", bytesOf(document + " "));

    auto exact = dictionaryWithContentsOfFile(filesystem, "/var/mobile/exact.plist");
    ASSERT_TRUE(exact);
    EXPECT_TRUE(boolValue(*exact->find("Shuffle")));
    EXPECT_EQ(readPropertyListFile(filesystem, "/var/mobile/over.plist").failure, "larger than 1 MiB");
    EXPECT_FALSE(dictionaryWithContentsOfFile(filesystem, "/var/mobile/over.plist"));
}

TEST(PropertyListFiles, OnlyADictionaryRootIsADictionary)
{
    TempDir dir;
    DeviceFilesystem filesystem;
    filesystem.mount("/var/mobile", dir.path());
    dir.write("array.plist", bytesOf(xmlPlist("<array><string>Shuffle</string></array>")));
    BinaryPlist binary;
    binary.objects = { dictObject({ 1 }, { 2 }), asciiObject("SecondsPerSlide"), intObject(9) };
    dir.write("binary.plist", binary.build());
    dir.write("garbage.plist", bytesOf("\x89PNG not a plist"));

    auto array = readPropertyListFile(filesystem, "/var/mobile/array.plist");
    ASSERT_TRUE(array.value) << array.failure;
    EXPECT_TRUE(array.value->isArray());
    EXPECT_EQ(readPropertyListDictionaryFile(filesystem, "/var/mobile/array.plist").failure, "root is not a dictionary");
    EXPECT_FALSE(dictionaryWithContentsOfFile(filesystem, "/var/mobile/array.plist"));
    EXPECT_FALSE(dictionaryWithContentsOfFile(filesystem, "/var/mobile/garbage.plist"));

    auto dictionary = dictionaryWithContentsOfFile(filesystem, "/var/mobile/./binary.plist");
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(intValue(*dictionary->find("SecondsPerSlide")), 9);
}
