// Writes the fuzzers' starting inputs into FOLDER/<target>/: small valid files of each kind the
// readers meet, in their different layouts, so that fuzzing starts deep inside each format.
//
// Usage: make_fuzz_seeds FOLDER

#include "tools/pictures/Bmp.h"
#include "tools/pictures/BmpRunLengths.h"
#include "tools/pictures/Exif.h"
#include "tools/pictures/GifLzw.h"
#include "tools/pictures/JpegScans.h"
#include "tools/pictures/JpegSegments.h"

#include <png.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace pictures;
namespace fs = std::filesystem;

void write(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// JPEG

// An EXIF segment whose IFD0 holds the orientation tag among a few others: the camera's make and
// a pointer to an EXIF sub-IFD.
Bytes seedExif(ByteOrder order, int orientation)
{
    // "Orv" and its NUL inline, in file order whatever the byte order.
    const IfdEntry make { kMakeTag, IfdType::Ascii, 4, order == ByteOrder::BigEndian ? 0x4F727600u : 0x0076724Fu };
    const IfdEntry turn { kOrientationTag, IfdType::Short, 1, static_cast<std::uint32_t>(orientation) };
    const IfdEntry exifIfd { 0x8769, IfdType::Long, 1, 50 };
    return exifPayload({ make, turn, exifIfd }, order);
}

void jpegSeeds(const fs::path& folder)
{
    write(folder, "baseline-444.jpg", encodeJpegScans({ 24, 17, 3, 1, 1, JpegScans::Interleaved, 90 }));
    write(folder, "baseline-420.jpg", encodeJpegScans({ 33, 20, 3, 2, 2, JpegScans::Interleaved, 80 }));
    write(folder, "baseline-422.jpg", encodeJpegScans({ 20, 12, 3, 2, 1, JpegScans::Interleaved, 70 }));
    write(folder, "scan-per-component.jpg", encodeJpegScans({ 18, 18, 3, 1, 1, JpegScans::ScanPerComponent, 90 }));
    write(folder, "progressive-420.jpg", encodeJpegScans({ 40, 24, 3, 2, 2, JpegScans::Progressive, 85 }));
    write(folder, "progressive-gray.jpg", encodeJpegScans({ 16, 9, 1, 1, 1, JpegScans::Progressive, 90 }));
    write(folder, "cmyk.jpg", encodeJpegScans({ 12, 12, 4, 1, 1, JpegScans::Interleaved, 90 }));
    write(folder, "progressive-cmyk.jpg", encodeJpegScans({ 12, 12, 4, 1, 1, JpegScans::Progressive, 90 }));
    write(folder, "exif-turned.jpg", withSegment(encodeJpegScans({ 16, 10, 3, 2, 2, JpegScans::Interleaved, 80 }), kApp1, seedExif(ByteOrder::LittleEndian, 6)));
    write(folder, "exif-mirrored-big-endian.jpg", withSegment(encodeJpegScans({ 10, 16, 3, 1, 1, JpegScans::Progressive, 80 }), kApp1, seedExif(ByteOrder::BigEndian, 7)));
    write(folder, "claims-10000.jpg", withDeclaredJpegSize(encodeJpegScans({ 16, 16, 3, 1, 1, JpegScans::Progressive, 80 }), 10000, 10000));
}

void exifSeeds(const fs::path& folder)
{
    for (int orientation : { 1, 3, 6, 8 }) {
        write(folder, "little-endian-" + std::to_string(orientation), seedExif(ByteOrder::LittleEndian, orientation));
        write(folder, "big-endian-" + std::to_string(orientation), seedExif(ByteOrder::BigEndian, orientation));
    }
}

// PNG

struct PngWrite {
    Bytes bytes;
};

void appendPng(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<PngWrite*>(png_get_io_ptr(png));
    out->bytes.insert(out->bytes.end(), data, data + length);
}

void flushPng(png_structp) { }

Bytes makePng(int width, int height, int colorType, int depth, bool interlaced, bool withTransparency)
{
    PngWrite out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendPng, flushPng);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth, colorType,
        interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[4] = { { 200, 30, 40 }, { 30, 200, 60 }, { 20, 40, 210 }, { 128, 128, 128 } };
        png_set_PLTE(png, info, palette, 4);
    }
    if (withTransparency) {
        png_byte alphas[2] = { 0, 128 };
        png_color_16 key {};
        png_set_tRNS(png, info, alphas, colorType == PNG_COLOR_TYPE_PALETTE ? 2 : 0, colorType == PNG_COLOR_TYPE_PALETTE ? nullptr : &key);
    }
    png_text text {};
    text.compression = PNG_TEXT_COMPRESSION_zTXt;
    text.key = const_cast<char*>("Comment");
    text.text = const_cast<char*>("made for fuzzing");
    png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(channels * depth) + 7) / 8;
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            Bytes row(rowBytes);
            for (std::size_t i = 0; i < row.size(); ++i)
                row[i] = static_cast<std::uint8_t>((i * 37 + static_cast<std::size_t>(y) * 11) & (depth < 8 ? 0x55 : 0xFF));
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out.bytes;
}

void pngSeeds(const fs::path& folder)
{
    write(folder, "rgba.png", makePng(13, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false));
    write(folder, "rgb16.png", makePng(7, 5, PNG_COLOR_TYPE_RGB, 16, false, true));
    write(folder, "palette-trns.png", makePng(11, 6, PNG_COLOR_TYPE_PALETTE, 2, false, true));
    write(folder, "gray1.png", makePng(17, 4, PNG_COLOR_TYPE_GRAY, 1, false, false));
    write(folder, "gray-alpha.png", makePng(6, 6, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false));
    write(folder, "interlaced.png", makePng(19, 15, PNG_COLOR_TYPE_RGB, 8, true, false));
}

// GIF: real LZW codes, growing from 3 bits.

Bytes makeGif(int width, int height, int frames, bool interlaced, bool localColours)
{
    Bytes out = bytesOf("GIF89a");
    putLittleEndian(out, static_cast<std::uint32_t>(width), 2);
    putLittleEndian(out, static_cast<std::uint32_t>(height), 2);
    out.insert(out.end(), { 0x82, 0, 0 }); // Eight global colours.
    for (int i = 0; i < 8; ++i)
        out.insert(out.end(), { static_cast<std::uint8_t>(i * 30), static_cast<std::uint8_t>(255 - i * 30), static_cast<std::uint8_t>(i * 70) });
    out.insert(out.end(), { 0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0 });
    for (int frame = 0; frame < frames; ++frame) {
        out.insert(out.end(), { 0x21, 0xF9, 4, static_cast<std::uint8_t>(frame == 0 ? 0x05 : 0x08), 10, 0, 3, 0 });
        out.push_back(0x2C);
        putLittleEndian(out, static_cast<std::uint32_t>(frame), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(frame), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(width - frame), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(height - frame), 2);
        std::uint8_t flags = interlaced ? 0x40 : 0;
        if (localColours)
            flags |= 0x81;
        out.push_back(flags);
        if (localColours)
            out.insert(out.end(), { 255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9 });
        std::vector<int> indices;
        for (int y = 0; y < height - frame; ++y) {
            for (int x = 0; x < width - frame; ++x)
                indices.push_back(((x / 3) + y + frame) % (localColours ? 4 : 8));
        }
        const Bytes data = encodeGifLzw(indices, localColours ? 2 : 3, { .leadingClear = true, .clearWhenFull = false });
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

void gifSeeds(const fs::path& folder)
{
    write(folder, "one-frame.gif", makeGif(21, 13, 1, false, false));
    write(folder, "animated.gif", makeGif(12, 12, 3, false, false));
    write(folder, "interlaced.gif", makeGif(9, 17, 1, true, false));
    write(folder, "local-colours.gif", makeGif(16, 8, 2, false, true));
}

// BMP: one of each kind the decoder reads.

void bmpSeeds(const fs::path& folder)
{
    auto pattern = [](int x, int y) { return (x * 3 + y) % 5; };
    int made = 0;
    auto keep = [&](const std::string& name, const BmpFile& file) { write(folder, std::to_string(made++) + "-" + name + ".bmp", writeBmp(file)); };
    for (int bits : { 1, 2, 4, 8 }) {
        BmpFile file;
        file.width = 9;
        file.height = 5;
        file.bits = static_cast<std::uint16_t>(bits);
        file.palette = bmpTestPalette(1 << bits);
        file.colorsUsed = bits == 8 ? 5 : 0;
        file.pixels = packBmpIndexRows(9, 5, bits, pattern);
        keep("palette-" + std::to_string(bits), file);
        if (bits == 8) {
            file.infoSize = 12;
            keep("os2-1", file);
            file.infoSize = 64;
            keep("os2-2", file);
            file.infoSize = 124;
            file.height = -5;
            file.masks = { 0, 0, 0, 0 };
            file.pixels = packBmpIndexRows(9, 5, bits, pattern, true);
            keep("v5-top-down", file);
        }
    }
    for (bool fourBits : { false, true }) {
        BmpFile file;
        file.width = 13;
        file.height = 6;
        file.bits = fourBits ? 4 : 8;
        file.compression = fourBits ? 2 : 1;
        file.palette = bmpTestPalette(6);
        file.colorsUsed = 6;
        file.pixels = encodeBmpRunLengths(13, 6, fourBits, pattern);
        keep(fourBits ? "rle4" : "rle8", file);
        file.pixels = BmpRunLengths().run(3, 1).delta(2, 1).literal({ 1, 2, 3, 4, 5 }, fourBits).endOfLine().run(20, 2).endOfBitmap().bytes();
        keep(fourBits ? "rle4-delta" : "rle8-delta", file);
    }
    struct Direct {
        const char* name;
        std::uint16_t bits;
        std::uint32_t compression;
        std::uint32_t infoSize;
        std::vector<std::uint32_t> masks;
    };
    const Direct directs[] = {
        { "rgb16-555", 16, 0, 40, {} },
        { "rgb16-565", 16, 3, 40, { 0xF800, 0x07E0, 0x001F } },
        { "rgba16-4444", 16, 3, 108, { 0x0F00, 0x00F0, 0x000F, 0xF000 } },
        { "rgb24", 24, 0, 40, {} },
        { "rgb32", 32, 0, 40, {} },
        { "rgb32-bitfields", 32, 3, 52, { 0x0000FF00, 0xFF000000, 0x00FF0000 } },
        { "rgba32-alpha-bitfields", 32, 6, 40, { 0xFF0000, 0xFF00, 0xFF, 0xFF000000 } },
    };
    for (const Direct& d : directs) {
        BmpFile file;
        file.infoSize = d.infoSize;
        file.width = 7;
        file.height = 4;
        file.bits = d.bits;
        file.compression = d.compression;
        file.masks = d.masks;
        file.palette = d.bits == 24 ? bmpTestPalette(4) : std::vector<BmpColour> {};
        file.pixels = packBmpWordRows(7, 4, d.bits / 8, [](int x, int y) { return static_cast<std::uint32_t>(x * 0x01030507 + y * 0x10305070); });
        keep(d.name, file);
    }
}

// Property lists

std::string xmlPlist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n"
        + body + "\n</plist>\n";
}

void xmlPlistSeeds(const fs::path& folder)
{
    write(folder, "preferences.plist",
        bytesOf(xmlPlist("<dict><key>Shuffle</key><true/><key>SecondsPerSlide</key><integer>7</integer>"
                         "<key>preserveaspect</key><false/></dict>")));
    write(folder, "every-type.plist",
        bytesOf(xmlPlist("<dict><key>a</key><array><string>x &amp; y</string><real>2.5e1</real><integer>-3</integer>"
                         "<data>AAEC/w==</data><date>2013-01-02T03:04:05Z</date><dict/></array><key>b</key><string></string></dict>")));
    write(folder, "strings.plist", bytesOf(xmlPlist("<dict><key>SecondsPerSlide</key><string> 4.5x</string><key>Shuffle</key><string>YES</string></dict>")));
}

// A binary property list writer for the few object kinds the seeds need.
class BinaryPlist {
public:
    int boolean(bool value) { return add({ static_cast<std::uint8_t>(value ? 0x09 : 0x08) }); }
    int integer(std::int64_t value)
    {
        Bytes out { 0x13 };
        putBigEndian(out, static_cast<std::uint64_t>(value), 8);
        return add(out);
    }
    int real(double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Bytes out { 0x23 };
        putBigEndian(out, bits, 8);
        return add(out);
    }
    int string(const std::string& text)
    {
        Bytes out = marker(0x50, text.size());
        out.insert(out.end(), text.begin(), text.end());
        return add(out);
    }
    int array(const std::vector<int>& items)
    {
        Bytes out = marker(0xA0, items.size());
        for (int item : items)
            out.push_back(static_cast<std::uint8_t>(item));
        return add(out);
    }
    int dictionary(const std::vector<std::pair<int, int>>& entries)
    {
        Bytes out = marker(0xD0, entries.size());
        for (const auto& entry : entries)
            out.push_back(static_cast<std::uint8_t>(entry.first));
        for (const auto& entry : entries)
            out.push_back(static_cast<std::uint8_t>(entry.second));
        return add(out);
    }

    Bytes finish(int top) const
    {
        Bytes out = bytesOf("bplist00");
        std::vector<std::size_t> offsets;
        for (const Bytes& object : m_objects) {
            offsets.push_back(out.size());
            out.insert(out.end(), object.begin(), object.end());
        }
        const std::size_t table = out.size();
        for (std::size_t offset : offsets)
            putBigEndian(out, offset, 2);
        out.insert(out.end(), { 0, 0, 0, 0, 0, 0, 2, 1 }); // Offsets of 2 bytes, references of 1.
        putBigEndian(out, m_objects.size(), 8);
        putBigEndian(out, static_cast<std::uint64_t>(top), 8);
        putBigEndian(out, table, 8);
        return out;
    }

private:
    static Bytes marker(std::uint8_t type, std::size_t count)
    {
        if (count < 15)
            return { static_cast<std::uint8_t>(type | count) };
        return { static_cast<std::uint8_t>(type | 0x0F), 0x10, static_cast<std::uint8_t>(count) };
    }
    int add(Bytes object)
    {
        m_objects.push_back(std::move(object));
        return static_cast<int>(m_objects.size() - 1);
    }

    std::vector<Bytes> m_objects;
};

void binaryPlistSeeds(const fs::path& folder)
{
    BinaryPlist preferences;
    const int shuffle = preferences.string("Shuffle"), seconds = preferences.string("SecondsPerSlide"), aspect = preferences.string("preserveaspect");
    const int top = preferences.dictionary({ { shuffle, preferences.boolean(true) }, { seconds, preferences.integer(9) }, { aspect, preferences.boolean(false) } });
    write(folder, "preferences.bplist", preferences.finish(top));

    BinaryPlist nested;
    const int inner = nested.array({ nested.real(2.5), nested.integer(-7), nested.string("a string longer than fifteen") });
    const int key = nested.string("list");
    write(folder, "nested.bplist", nested.finish(nested.dictionary({ { key, inner } })));
}

void scriptSeeds(const fs::path& folder)
{
    write(folder, "lifecycle.script", bytesOf("create\nplaceholder\nfull\nadvance 5.5\ndump\nunload\ndestroy\ndump\n"));
    write(folder, "taps.script", bytesOf("create\nplaceholder\nfull\ntap 150 100\nadvance 0.6\ntap 158 180\ntap 20 180\ndump\ntap 296 20\ndismiss\n"));
    write(folder, "resize.script", bytesOf("# comment\ncreate\nplaceholder\nresize 200\nfull\nadvance 12\nresize 400\ndump\nunload\nplaceholder\nfull\n"));
    write(folder, "out-of-order.script", bytesOf("full\ntap 1 1\ncreate\nfull\ndestroy\nadvance 3\nplaceholder\ndump\n"));
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds FOLDER\n";
        return 2;
    }
    const fs::path root = argv[1];
    jpegSeeds(root / "jpeg");
    exifSeeds(root / "exif");
    pngSeeds(root / "png");
    gifSeeds(root / "gif");
    bmpSeeds(root / "bmp");
    xmlPlistSeeds(root / "xml_plist");
    binaryPlistSeeds(root / "binary_plist");
    scriptSeeds(root / "script");
    return 0;
}
