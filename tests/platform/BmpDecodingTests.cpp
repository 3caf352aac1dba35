#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "support/TestSupport.h"
#include "tools/pictures/Bmp.h"
#include "tools/pictures/BmpRunLengths.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

// Every kind of valid BMP is made here by code: palettes of 1 to 8 bits, short ones, palettes
// beside direct-colour pixels, 16- and 32-bit masks of every width, top-down rows, each header
// kind, and RLE8 and RLE4 streams with their escapes. Damaged and hostile files must give a
// picture or nothing, never a read outside the file or the picture.

namespace {

// Not the whole namespace: these tests compare colours with an Rgba of their own.
using pictures::BmpColour;
using pictures::BmpFile;
using pictures::BmpRunLengths;
using pictures::bmpTestPalette;
using pictures::Bytes;
using pictures::encodeBmpRunLengths;
using pictures::IndexPainter;
using pictures::packBmpIndexRows;
using pictures::packBmpWordRows;
using pictures::WordPainter;
using pictures::writeBmp;

struct Rgba {
    int r { 0 };
    int g { 0 };
    int b { 0 };
    int a { 255 };
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

Rgba opaque(BmpColour c) { return { c.r, c.g, c.b, 255 }; }
const Rgba kBlack { 0, 0, 0, 255 };
const Rgba kTransparent { 0, 0, 0, 0 };

Rgba pixelAt(const DecodedImage& image, int x, int y)
{
    std::uint32_t word;
    std::memcpy(&word, image.pixels.data() + static_cast<std::size_t>(y) * image.stride + static_cast<std::size_t>(x) * 4, 4);
    return { static_cast<int>(word >> 16 & 0xFF), static_cast<int>(word >> 8 & 0xFF), static_cast<int>(word & 0xFF), static_cast<int>(word >> 24) };
}

// Compares every pixel; reports the first that differs.
::testing::AssertionResult looksLike(const DecodedImage& image, int width, int height, const std::function<Rgba(int, int)>& expected)
{
    if (image.width != width || image.height != height)
        return ::testing::AssertionFailure() << "size " << image.width << " x " << image.height << ", wanted " << width << " x " << height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixelAt(image, x, y) != expected(x, y))
                return ::testing::AssertionFailure() << "at " << x << ", " << y << ": " << pixelAt(image, x, y) << ", wanted " << expected(x, y);
        }
    }
    return ::testing::AssertionSuccess();
}

class BmpDecoding : public ::testing::Test {
protected:
    std::optional<DecodedImage> decode(const Bytes& bytes, int targetWidth = 0, int targetHeight = 0)
    {
        return decodeImage(m_folder.write("picture-" + std::to_string(m_count++) + ".bmp", bytes), targetWidth, targetHeight);
    }

    testing_support::TempFolder m_folder;
    int m_count { 0 };
};

// A pattern that changes at every pixel and row, so that a wrong bit offset or row shows.
int indexPattern(int x, int y, int colours) { return (x * 3 + y * 5 + x / 3) % colours; }

BmpFile paletteFile(int width, int height, int bits, int colours, bool topDown = false)
{
    BmpFile file;
    file.width = width;
    file.height = topDown ? -height : height;
    file.bits = static_cast<std::uint16_t>(bits);
    file.palette = bmpTestPalette(colours);
    file.colorsUsed = static_cast<std::uint32_t>(colours);
    file.pixels = packBmpIndexRows(
        width, height, bits, [&](int x, int y) { return indexPattern(x, y, colours); }, topDown);
    return file;
}

}

TEST_F(BmpDecoding, PalettesOfEveryDepthAndRowPaddingDecode)
{
    for (int bits : { 1, 2, 4, 8 }) {
        const int colours = 1 << bits;
        const auto palette = bmpTestPalette(colours);
        for (int width : { 1, 5, 7, 8, 9, 31, 33 }) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " wide");
            auto image = decode(writeBmp(paletteFile(width, 6, bits, colours)));
            ASSERT_TRUE(image);
            EXPECT_TRUE(looksLike(*image, width, 6, [&](int x, int y) { return opaque(palette[static_cast<std::size_t>(indexPattern(x, y, colours))]); }));
        }
    }
}

TEST_F(BmpDecoding, ShortPalettesReadIndicesPastTheirEndAsBlack)
{
    // Three colours declared for 8-bit indices; 0 declared means all 256.
    BmpFile shortPalette = paletteFile(12, 4, 8, 3);
    shortPalette.pixels = packBmpIndexRows(12, 4, 8, [](int x, int) { return x; });
    const auto three = bmpTestPalette(3);
    auto image = decode(writeBmp(shortPalette));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 12, 4, [&](int x, int) { return x < 3 ? opaque(three[static_cast<std::size_t>(x)]) : kBlack; }));

    BmpFile allColours = paletteFile(16, 3, 8, 256);
    allColours.colorsUsed = 0;
    const auto full = bmpTestPalette(256);
    image = decode(writeBmp(allColours));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 16, 3, [&](int x, int y) { return opaque(full[static_cast<std::size_t>(indexPattern(x, y, 256))]); }));

    // More colours declared than the indices can reach: the first 256 serve.
    allColours.colorsUsed = 1000;
    image = decode(writeBmp(allColours));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 16, 3, [&](int x, int y) { return opaque(full[static_cast<std::size_t>(indexPattern(x, y, 256))]); }));
}

TEST_F(BmpDecoding, UnusedPalettesBesideDirectColourAreSkippedByThePixelOffset)
{
    const WordPainter word565 = [](int x, int y) { return static_cast<std::uint32_t>(x == y ? 0xF800 : 0x07E0); };
    const WordPainter word24 = [](int x, int y) { return static_cast<std::uint32_t>(x == y ? 0x0000FF : 0xFF0000); };
    const WordPainter word32 = [](int x, int y) { return static_cast<std::uint32_t>(x == y ? 0x00FF00 : 0x0000FF); };
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        WordPainter word;
        Rgba diagonal;
        Rgba elsewhere;
    };
    const Case cases[] = {
        { "16-bit 565 with a palette", 16, 3, { 0xF800, 0x07E0, 0x001F }, word565, { 255, 0, 0 }, { 0, 255, 0 } },
        { "24-bit with a palette", 24, 0, {}, word24, { 0, 0, 255 }, { 255, 0, 0 } },
        { "32-bit with a palette", 32, 0, {}, word32, { 0, 255, 0 }, { 0, 0, 255 } },
    };
    for (const Case& c : cases) {
        for (std::uint32_t gap : { 0u, 37u }) {
            SCOPED_TRACE(std::string(c.name) + ", gap " + std::to_string(gap));
            BmpFile file;
            file.width = 7;
            file.height = 5;
            file.bits = c.bits;
            file.compression = c.compression;
            file.masks = c.masks;
            file.palette = bmpTestPalette(16);
            file.colorsUsed = 16;
            file.gapBeforePixels = gap;
            file.pixels = packBmpWordRows(7, 5, c.bits / 8, c.word);
            auto image = decode(writeBmp(file));
            ASSERT_TRUE(image);
            EXPECT_TRUE(looksLike(*image, 7, 5, [&](int x, int y) { return x == y ? c.diagonal : c.elsewhere; }));
        }
    }
}

TEST_F(BmpDecoding, BitFieldMasksOfAnyWidthAndPlaceStretchToEightBits)
{
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::uint32_t compression;
        std::uint32_t infoSize;
        std::vector<std::uint32_t> masks;
        std::uint32_t word;
        Rgba expected;
    };
    const Case cases[] = {
        // 5-bit channels: 16 of 31 is 131.6 of 255.
        { "16-bit without masks is 555", 16, 0, 40, {}, 16u << 10 | 31u << 5 | 0u, { 132, 255, 0 } },
        { "16-bit 555 masks", 16, 3, 40, { 0x7C00, 0x03E0, 0x001F }, 31u << 10 | 0u << 5 | 16u, { 255, 0, 132 } },
        { "16-bit 565 masks", 16, 3, 40, { 0xF800, 0x07E0, 0x001F }, 0u << 11 | 32u << 5 | 31u, { 0, 130, 255 } },
        { "16-bit 2-3-1 masks", 16, 3, 40, { 0x0030, 0x000E, 0x0001 }, 0x0020 | 0x000E | 0x0000, { 170, 255, 0 } },
        { "32-bit without masks ignores the fourth byte", 32, 0, 40, {}, 0x7F102030, { 0x10, 0x20, 0x30 } },
        { "32-bit masks in an odd order", 32, 3, 40, { 0x0000FF00, 0xFF000000, 0x00FF0000 }, 0x11223344, { 0x33, 0x11, 0x22 } },
        { "32-bit 11-11-10 masks", 32, 3, 40, { 0xFFE00000, 0x001FFC00, 0x000003FF }, 0xFFE00000 | 0x000003FF, { 255, 0, 255 } },
        { "32-bit masks with alpha in a V5 header", 32, 3, 124, { 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000 }, 0x80FF0000, { 128, 0, 0, 128 } },
        { "32-bit alpha bit fields", 32, 6, 40, { 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000 }, 0x00112233, { 0, 0, 0, 0 } },
        { "16-bit 4444 with alpha in a V4 header", 16, 3, 108, { 0x0F00, 0x00F0, 0x000F, 0xF000 }, 0xFF00, { 255, 0, 0, 255 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFile file;
        file.infoSize = c.infoSize;
        file.width = 3;
        file.height = 2;
        file.bits = c.bits;
        file.compression = c.compression;
        file.masks = c.masks;
        if (c.infoSize >= 56)
            file.masks.resize(4, 0);
        file.pixels = packBmpWordRows(3, 2, c.bits / 8, [&](int, int) { return c.word; });
        auto image = decode(writeBmp(file));
        ASSERT_TRUE(image);
        EXPECT_EQ(pixelAt(*image, 1, 1), c.expected);
    }
}

TEST_F(BmpDecoding, EveryHeaderKindGivesTheSamePicture)
{
    const auto palette = bmpTestPalette(256);
    for (std::uint32_t infoSize : { 12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u }) {
        SCOPED_TRACE("info header of " + std::to_string(infoSize) + " bytes");
        BmpFile file = paletteFile(9, 4, 8, 256);
        file.infoSize = infoSize;
        if (infoSize >= 52 && infoSize != 64)
            file.masks = { 0, 0, 0, 0 };
        if (infoSize >= 52 && infoSize < 56)
            file.masks.resize(3);
        auto image = decode(writeBmp(file));
        ASSERT_TRUE(image);
        EXPECT_TRUE(looksLike(*image, 9, 4, [&](int x, int y) { return opaque(palette[static_cast<std::size_t>(indexPattern(x, y, 256))]); }));
    }
    // OS/2 1.x with direct colour.
    BmpFile core;
    core.infoSize = 12;
    core.width = 3;
    core.height = 2;
    core.pixels = packBmpWordRows(3, 2, 3, [](int x, int) { return x == 0 ? 0xFF0000u : 0x00FF00u; });
    auto image = decode(writeBmp(core));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), (Rgba { 255, 0, 0 }));
    EXPECT_EQ(pixelAt(*image, 2, 1), (Rgba { 0, 255, 0 }));
}

TEST_F(BmpDecoding, NegativeHeightStoresRowsTopDown)
{
    const auto palette = bmpTestPalette(16);
    auto image = decode(writeBmp(paletteFile(6, 5, 4, 16, true)));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 6, 5, [&](int x, int y) { return opaque(palette[static_cast<std::size_t>(indexPattern(x, y, 16))]); }));

    BmpFile direct;
    direct.width = 2;
    direct.height = -3;
    direct.bits = 32;
    direct.pixels = packBmpWordRows(
        2, 3, 4, [](int, int y) { return y == 0 ? 0xFF0000u : 0x0000FFu; }, true);
    image = decode(writeBmp(direct));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 1, 0), (Rgba { 255, 0, 0 }));
    EXPECT_EQ(pixelAt(*image, 1, 2), (Rgba { 0, 0, 255 }));
}

TEST_F(BmpDecoding, RunLengthPicturesDecodeLikeTheirUncompressedForm)
{
    // Runs, literal stretches of odd and even length (RLE4 literals pad their nibbles), and rows
    // that end mid-byte.
    const IndexPainter painter = [](int x, int y) { return x < 4 ? 1 : (x < 9 ? (x * 7 + y) % 13 : 2 + y % 3); };
    for (bool fourBits : { false, true }) {
        for (int width : { 13, 14, 16 }) {
            SCOPED_TRACE(std::string(fourBits ? "RLE4, " : "RLE8, ") + std::to_string(width) + " wide");
            BmpFile file;
            file.width = width;
            file.height = 7;
            file.bits = fourBits ? 4 : 8;
            file.compression = fourBits ? 2 : 1;
            file.palette = bmpTestPalette(16);
            file.colorsUsed = 16;
            file.pixels = encodeBmpRunLengths(width, 7, fourBits, painter);
            auto image = decode(writeBmp(file));
            ASSERT_TRUE(image);
            EXPECT_TRUE(looksLike(*image, width, 7, [&](int x, int y) { return opaque(file.palette[static_cast<std::size_t>(painter(x, y))]); }));
        }
    }
}

TEST_F(BmpDecoding, RunLengthJumpsAndEarlyEndsLeaveTheirPixelsTransparent)
{
    const auto palette = bmpTestPalette(4);
    BmpFile file;
    file.width = 8;
    file.height = 4;
    file.bits = 8;
    file.compression = 1;
    file.palette = palette;
    file.colorsUsed = 4;
    // Bottom row: 3 pixels, then the line ends early. Next row: a jump of 2 right and 1 up, 2
    // pixels, then the bitmap ends; the top rows are never drawn.
    file.pixels = BmpRunLengths().run(3, 1).endOfLine().delta(2, 1).run(2, 3).endOfBitmap().bytes();
    auto image = decode(writeBmp(file));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 8, 4, [&](int x, int y) {
        if (y == 3 && x < 3)
            return opaque(palette[1]);
        if (y == 1 && (x == 2 || x == 3))
            return opaque(palette[3]);
        return kTransparent;
    }));

    // Cut off inside a literal: the pixels that came are kept.
    file.bits = 4;
    file.compression = 2;
    file.pixels = BmpRunLengths().literal({ 1, 2, 3, 1, 2, 3, 1 }, true).bytes();
    file.pixels.resize(4);
    image = decode(writeBmp(file));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 3), opaque(palette[1]));
    EXPECT_EQ(pixelAt(*image, 3, 3), opaque(palette[1]));
    EXPECT_EQ(pixelAt(*image, 4, 3), kTransparent);
}

TEST_F(BmpDecoding, RunLengthCodesThatOverrunThePictureAreClipped)
{
    const auto palette = bmpTestPalette(4);
    BmpFile file;
    file.width = 5;
    file.height = 3;
    file.bits = 8;
    file.compression = 1;
    file.palette = palette;
    file.colorsUsed = 4;
    // A run of 200 and a literal of 9 in a row of 5 do not wrap into the next row; jumps past the
    // right edge and the top, and line ends past the top, draw nothing and touch nothing.
    file.pixels = BmpRunLengths()
                      .run(200, 1)
                      .literal({ 2, 2, 2, 2, 2, 2, 2, 2, 2 }, false)
                      .endOfLine()
                      .literal({ 3, 3, 3 }, false)
                      .delta(250, 0)
                      .run(4, 2)
                      .endOfLine()
                      .delta(0, 255)
                      .run(9, 3)
                      .endOfLine()
                      .endOfLine()
                      .endOfLine()
                      .run(5, 2)
                      .bytes();
    auto image = decode(writeBmp(file));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 5, 3, [&](int x, int y) {
        if (y == 2)
            return opaque(palette[1]);
        if (y == 1)
            return x < 3 ? opaque(palette[3]) : kTransparent;
        return kTransparent;
    }));

    // A few bytes that claim 4096 x 4096 and jump about: a whole transparent picture, reduced.
    BmpFile huge = file;
    huge.width = 4096;
    huge.height = 4096;
    BmpRunLengths jumps;
    for (int i = 0; i < 100; ++i)
        jumps.delta(255, 255).run(255, 1);
    huge.pixels = jumps.bytes();
    image = decode(writeBmp(huge), 612, 388);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 612);
    EXPECT_EQ(pixelAt(*image, 300, 300), kTransparent);
}

TEST_F(BmpDecoding, RefusedHeadersGiveNoPictureAndSayWhy)
{
    const BmpFile good = paletteFile(4, 4, 8, 4);
    struct Case {
        const char* name;
        std::function<void(BmpFile&)> damage;
        const char* problem;
    };
    const Case cases[] = {
        { "unknown header size", [](BmpFile& f) { f.infoSize = 200; }, "info header of 200 bytes" },
        { "two planes", [](BmpFile& f) { f.planes = 2; }, "planes" },
        { "3 bits a pixel", [](BmpFile& f) { f.bits = 3; }, "3 bits" },
        { "64 bits a pixel", [](BmpFile& f) { f.bits = 64; }, "64 bits" },
        { "no width", [](BmpFile& f) { f.width = 0; }, "no width" },
        { "negative width", [](BmpFile& f) { f.width = -4; }, "no width" },
        { "no height", [](BmpFile& f) { f.height = 0; }, "no width or height" },
        { "INT_MIN height", [](BmpFile& f) { f.height = INT_MIN; }, "a side longer" },
        { "4097 x 4096", [](BmpFile& f) { f.width = 4097, f.height = 4096; }, "more than" },
        { "really big", [](BmpFile& f) { f.width = 0x7FFFFFFF, f.height = 0x7FFFFFFF; }, "a side longer" },
        { "30001 wide, 3 high", [](BmpFile& f) { f.width = 30001, f.height = 3; }, "a side longer than the 30000" },
        { "embedded JPEG", [](BmpFile& f) { f.compression = 4; }, "JPEG or PNG" },
        { "embedded PNG", [](BmpFile& f) { f.compression = 5; }, "JPEG or PNG" },
        { "unknown compression", [](BmpFile& f) { f.compression = 11; }, "compression 11" },
        { "RLE8 with 4 bits", [](BmpFile& f) { f.compression = 1, f.bits = 4; }, "run-length" },
        { "RLE top-down", [](BmpFile& f) { f.compression = 1, f.height = -4; }, "top down" },
        { "bit fields with 24 bits", [](BmpFile& f) { f.compression = 3, f.bits = 24; }, "masks" },
        { "masks all zero", [](BmpFile& f) { f.compression = 3, f.bits = 16, f.palette.clear(), f.masks = { 0, 0, 0 }; }, "masks" },
        { "mask wider than 16 bits", [](BmpFile& f) { f.compression = 3, f.bits = 16, f.palette.clear(), f.masks = { 0xF0000, 0xF0, 0xF }; }, "masks" },
        { "OS/2 Huffman", [](BmpFile& f) { f.infoSize = 64, f.compression = 3, f.bits = 1; }, "OS/2" },
        { "OS/2 24-bit run lengths", [](BmpFile& f) { f.infoSize = 64, f.compression = 4, f.bits = 24; }, "OS/2" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFile file = good;
        c.damage(file);
        const Bytes bytes = writeBmp(file);
        const ImageHeaderCheck check = checkImageHeader(bytes);
        EXPECT_FALSE(check.header);
        EXPECT_NE(check.problem.find(c.problem), std::string::npos) << check.problem;
        EXPECT_FALSE(decode(bytes));
    }
    EXPECT_TRUE(checkImageHeader(writeBmp(good)).header);
}

TEST_F(BmpDecoding, DamagedFilesKeepWhatTheyHoldAndNeverReadPastIt)
{
    const auto palette = bmpTestPalette(4);
    // Rows the file does not reach are black, not palette entry 0; indices past the palette too.
    BmpFile cut = paletteFile(4, 4, 8, 4);
    cut.pixels = packBmpIndexRows(4, 4, 8, [](int x, int) { return x == 3 ? 200 : 2; });
    Bytes bytes = writeBmp(cut);
    bytes.resize(bytes.size() - 2 * 4 - 1); // The top two rows, and a byte of the next.
    auto image = decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 4, 4, [&](int x, int y) {
        if (y < 2 || (y == 2 && x == 3) || x == 3)
            return kBlack;
        return opaque(palette[2]);
    }));

    // Pixels said to start past the end: nothing. Said to start inside the headers: after the palette.
    BmpFile pastEnd = paletteFile(4, 4, 8, 4);
    pastEnd.pixelOffset = 100000;
    EXPECT_FALSE(decode(writeBmp(pastEnd)));
    BmpFile inside = paletteFile(4, 4, 8, 4);
    inside.pixelOffset = 20;
    image = decode(writeBmp(inside));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 4, 4, [&](int x, int y) { return opaque(palette[static_cast<std::size_t>(indexPattern(x, y, 4))]); }));
}

TEST_F(BmpDecoding, MutatedFilesOfEveryKindGiveAPictureTheirHeaderPromisesOrNone)
{
    const IndexPainter painter = [](int x, int y) { return (x / 2 + y) % 7; };
    std::vector<Bytes> samples;
    for (std::uint16_t bits : { 1, 4, 8 })
        samples.push_back(writeBmp(paletteFile(11, 6, bits, 1 << bits)));
    for (bool fourBits : { false, true }) {
        BmpFile rle;
        rle.width = 11;
        rle.height = 6;
        rle.bits = fourBits ? 4 : 8;
        rle.compression = fourBits ? 2 : 1;
        rle.palette = bmpTestPalette(8);
        rle.colorsUsed = 8;
        rle.pixels = encodeBmpRunLengths(11, 6, fourBits, painter);
        samples.push_back(writeBmp(rle));
    }
    BmpFile masks;
    masks.infoSize = 124;
    masks.width = 5;
    masks.height = -4;
    masks.bits = 32;
    masks.compression = 3;
    masks.masks = { 0xFF0000, 0xFF00, 0xFF, 0xFF000000 };
    masks.pixels = packBmpWordRows(
        5, 4, 4, [](int x, int y) { return static_cast<std::uint32_t>(x * 0x10203 + y * 0x1000000); }, true);
    samples.push_back(writeBmp(masks));
    BmpFile core = paletteFile(7, 3, 4, 16);
    core.infoSize = 12;
    samples.push_back(writeBmp(core));

    std::mt19937 random(77);
    int decoded = 0;
    for (const Bytes& sample : samples) {
        for (int round = 0; round < 150; ++round) {
            Bytes mutated = sample;
            for (int i = 0, changes = 1 + static_cast<int>(random() % 4); i < changes; ++i) {
                const std::size_t at = random() % mutated.size();
                if (random() % 5 == 0 && at > 2)
                    mutated.resize(at);
                else
                    mutated[at] = static_cast<std::uint8_t>(random());
            }
            const auto header = readImageHeader(mutated);
            auto image = decode(mutated);
            if (!image)
                continue;
            ++decoded;
            ASSERT_TRUE(header);
            ASSERT_EQ(image->width, header->pixelWidth);
            ASSERT_EQ(image->height, header->pixelHeight);
            ASSERT_EQ(image->pixels.size(), static_cast<std::size_t>(image->stride) * static_cast<std::size_t>(image->height));
        }
    }
    EXPECT_GT(decoded, 300);
}
