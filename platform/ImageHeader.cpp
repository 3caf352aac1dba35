#include "platform/ImageHeader.h"

#include "platform/BmpFormat.h"
#include "platform/ByteOrder.h"
#include "platform/ImageDecoders.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// Random access to the start of a picture, from memory or from a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `length` bytes at `offset`, fewer at the end; valid until the next call.
    virtual std::span<const std::uint8_t> bytesAt(std::uint64_t offset, std::size_t length) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    std::span<const std::uint8_t> bytesAt(std::uint64_t offset, std::size_t length) override
    {
        if (offset >= m_bytes.size())
            return {};
        return m_bytes.subspan(static_cast<std::size_t>(offset), std::min<std::uint64_t>(length, m_bytes.size() - offset));
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

// Keeps one 64 KiB window of the file and reads again only for bytes outside it: walking a JPEG's
// segments reads each window once, and a segment longer than a window is skipped, not read.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const ImageFile& file)
        : m_file(file)
    {
    }

    std::span<const std::uint8_t> bytesAt(std::uint64_t offset, std::size_t length) override
    {
        const std::uint64_t windowEnd = m_windowStart + m_window.size();
        const bool inWindow = m_loaded && offset >= m_windowStart && offset <= windowEnd
            && (offset + length <= windowEnd || m_windowReachesEnd);
        if (!inWindow) {
            m_window.resize(std::max(length, std::size_t { 64 } * 1024));
            const std::size_t n = m_file.readAt(offset, m_window.data(), m_window.size());
            m_windowReachesEnd = n < m_window.size();
            m_window.resize(n);
            m_windowStart = offset;
            m_loaded = true;
        }
        const std::size_t skip = static_cast<std::size_t>(offset - m_windowStart);
        return std::span<const std::uint8_t>(m_window).subspan(skip, std::min(length, m_window.size() - skip));
    }

private:
    const ImageFile& m_file;
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_windowStart { 0 };
    bool m_windowReachesEnd { false }; // The last read stopped short at the end of the file.
    bool m_loaded { false };
};

}

int exifOrientation(std::span<const std::uint8_t> app1)
{
    static constexpr std::uint8_t exifId[6] = { 'E', 'x', 'i', 'f', 0, 0 };
    if (app1.size() < sizeof exifId || !std::equal(std::begin(exifId), std::end(exifId), app1.begin()))
        return 1;
    const auto tiff = app1.subspan(sizeof exifId);
    if (tiff.size() < 8)
        return 1;
    bool littleEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        littleEndian = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        littleEndian = false;
    else
        return 1;
    auto u16 = [&](std::uint64_t at) { return littleEndian ? le16(&tiff[at]) : be16(&tiff[at]); };
    auto u32 = [&](std::uint64_t at) { return littleEndian ? le32(&tiff[at]) : be32(&tiff[at]); };
    if (u16(2) != 42)
        return 1;
    const std::uint64_t ifd = u32(4);
    if (ifd < 8 || ifd + 2 > tiff.size())
        return 1;
    const std::uint32_t count = u16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t entry = ifd + 2 + 12 * static_cast<std::uint64_t>(i);
        if (entry + 12 > tiff.size())
            return 1;
        if (u16(entry) != 0x0112)
            continue;
        constexpr std::uint32_t typeShort = 3;
        if (u16(entry + 2) != typeShort || u32(entry + 4) != 1)
            return 1;
        const std::uint32_t value = u16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

namespace {

bool isStartOfFrame(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Baseline, extended, progressive, and their arithmetic-coded forms; libjpeg-turbo 2.1 refuses
// lossless and hierarchical frames.
bool isDecodableFrame(std::uint8_t marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 || marker == 0xCA;
}

ImageHeaderCheck refuse(std::string problem) { return { std::nullopt, std::move(problem) }; }

std::string sizeText(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// "16.8-megapixel" for 4096 x 4096, "100-megapixel" for 100,000,000.
std::string megapixels(std::int64_t pixels)
{
    const std::int64_t tenths = (pixels + 50'000) / 100'000;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10)
        text += "." + std::to_string(tenths % 10);
    return text + "-megapixel";
}

std::string megabytes(std::uint64_t bytes) { return std::to_string((bytes + 500'000) / 1'000'000) + " MB"; }

// Walks the segments up to the frame header for the size and the EXIF orientation on the way, then
// on to the first scan, whose component count (with the frame's sampling) says how much memory
// libjpeg will want. A file that ends before any scan still has a header; it decodes to nothing.
ImageHeaderCheck readJpegHeader(ByteSource& source)
{
    int orientation = 1;
    bool sawExif = false;
    std::optional<ImageHeader> header;
    JpegLayout layout;
    std::uint64_t position = 2; // After SOI.
    auto withinBudget = [&]() -> ImageHeaderCheck {
        if (!layout.firstScanComponents)
            layout.firstScanComponents = layout.components;
        const std::uint64_t needed = jpegCoefficientBytes(layout);
        if (needed > kMaxJpegCoefficientBytes) {
            return refuse(std::string(layout.progressive ? "progressive" : "multi-scan") + " JPEG of "
                + sizeText(layout.width, layout.height) + " would need " + megabytes(needed) + " to decode, beyond the "
                + megabytes(kMaxJpegCoefficientBytes) + " allowed");
        }
        return { header, {} };
    };
    while (position < kJpegFrameSearchBytes) {
        auto bytes = source.bytesAt(position, 4096);
        if (bytes.size() < 2)
            break;
        if (bytes[0] != 0xFF) {
            // Stray bytes between segments: libjpeg skips them with a warning, and so do we.
            auto marker = std::find(bytes.begin(), bytes.end(), std::uint8_t { 0xFF });
            position += static_cast<std::uint64_t>(marker - bytes.begin());
            continue;
        }
        const std::uint8_t marker = bytes[1];
        if (marker == 0xFF) { // Fill byte.
            ++position;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            position += 2;
            continue;
        }
        // A second SOI or the end of the image: nothing more to learn.
        if (marker == 0xD8 || marker == 0xD9)
            break;
        if (bytes.size() < 4)
            break;
        const std::uint32_t length = be16(&bytes[2]);
        if (length < 2)
            break;

        if (marker == 0xDA) {
            if (!header)
                return refuse("JPEG with image data before its frame header");
            auto scan = source.bytesAt(position + 4, 1);
            if (!scan.empty())
                layout.firstScanComponents = scan[0];
            return withinBudget();
        }
        if (isStartOfFrame(marker) && !header) {
            if (!isDecodableFrame(marker))
                return refuse("lossless or hierarchical JPEG, which is not decoded");
            auto frame = source.bytesAt(position + 4, 6 + 3 * 4);
            if (length < 8 || frame.size() < 6)
                return refuse("JPEG frame header damaged");
            const std::uint32_t precision = frame[0];
            const std::int64_t height = be16(&frame[1]);
            const std::int64_t width = be16(&frame[3]);
            const std::uint32_t components = frame[5];
            if (precision != 8)
                return refuse(std::to_string(precision) + "-bit JPEG, which is not decoded");
            if ((components != 1 && components != 3 && components != 4) || length != 8 + 3 * components
                || frame.size() < 6 + 3 * components)
                return refuse("JPEG frame header damaged");
            // A zero height would come later in a DNL marker, which libjpeg does not support.
            if (width == 0 || height == 0)
                return refuse("JPEG frame header damaged (no width or height)");
            if (width > kMaxJpegSide || height > kMaxJpegSide || width * height > kMaxJpegPixels)
                return refuse("JPEG of " + sizeText(width, height) + ", beyond the " + megapixels(kMaxJpegPixels) + " limit");
            layout.width = static_cast<int>(width);
            layout.height = static_cast<int>(height);
            layout.components = static_cast<int>(components);
            layout.progressive = marker == 0xC2 || marker == 0xCA;
            for (std::uint32_t i = 0; i < components; ++i) {
                const std::uint8_t factors = frame[6 + 3 * i + 1];
                layout.sampling[i] = { factors >> 4, factors & 0x0F };
                if (layout.sampling[i].horizontal < 1 || layout.sampling[i].horizontal > 4 || layout.sampling[i].vertical < 1
                    || layout.sampling[i].vertical > 4)
                    return refuse("JPEG frame header damaged (sampling factors)");
            }
            header = ImageHeader { ImageFormat::JPEG, layout.width, layout.height, orientation };
        }
        if (marker == 0xE1 && !sawExif && !header) {
            auto segment = source.bytesAt(position + 4, length - 2);
            static constexpr std::uint8_t exifPrefix[5] = { 'E', 'x', 'i', 'f', 0 };
            if (segment.size() >= sizeof exifPrefix && std::equal(std::begin(exifPrefix), std::end(exifPrefix), segment.begin())) {
                sawExif = true;
                orientation = exifOrientation(segment);
            }
        }
        position += 2 + length;
    }
    if (!header) {
        return refuse(position >= kJpegFrameSearchBytes ? "JPEG whose frame header is not within its first 4 MiB"
                                                        : "JPEG that ends before its frame header");
    }
    return withinBudget();
}

ImageHeaderCheck readPngHeader(ByteSource& source)
{
    auto bytes = source.bytesAt(0, 29);
    if (bytes.size() < 29 || be32(&bytes[8]) != 13 || std::memcmp(&bytes[12], "IHDR", 4) != 0)
        return refuse("PNG header damaged");
    const std::int64_t width = be32(&bytes[16]), height = be32(&bytes[20]);
    const std::uint8_t depth = bytes[24], colorType = bytes[25];
    const std::uint8_t compression = bytes[26], filter = bytes[27], interlace = bytes[28];
    bool validDepth = false;
    switch (colorType) {
    case 0: // Gray.
        validDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 3: // Palette.
        validDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 2: // RGB.
    case 4: // Gray and alpha.
    case 6: // RGBA.
        validDepth = depth == 8 || depth == 16;
        break;
    }
    if (!validDepth || compression != 0 || filter != 0 || interlace > 1)
        return refuse("PNG header damaged");
    if (width == 0 || height == 0)
        return refuse("PNG header damaged (no width or height)");
    if (width > kMaxPngSide || height > kMaxPngSide || width * height > kMaxPngPixels)
        return refuse("PNG of " + sizeText(width, height) + ", beyond the " + megapixels(kMaxPngPixels) + " limit");
    if (interlace == 1 && width * height > kMaxWholeImagePixels)
        return refuse("interlaced PNG of " + sizeText(width, height) + ", beyond the "
            + megapixels(kMaxWholeImagePixels) + " limit for interlaced PNG");
    return { ImageHeader { ImageFormat::PNG, static_cast<int>(width), static_cast<int>(height), 1 }, {} };
}

// The logical screen's size: the canvas the first frame is drawn on.
ImageHeaderCheck readGifHeader(ByteSource& source)
{
    auto bytes = source.bytesAt(0, 13);
    if (bytes.size() < 13)
        return refuse("GIF that ends inside its header");
    const std::int64_t width = le16(&bytes[6]), height = le16(&bytes[8]);
    if (width == 0 || height == 0)
        return refuse("GIF header damaged (no width or height)");
    if (width > kMaxWholeImageSide || height > kMaxWholeImageSide)
        return refuse("GIF of " + sizeText(width, height) + ", a side longer than the " + std::to_string(kMaxWholeImageSide) + " allowed");
    if (width * height > kMaxWholeImagePixels)
        return refuse("GIF of " + sizeText(width, height) + ", beyond the " + megapixels(kMaxWholeImagePixels) + " limit for GIF");
    return { ImageHeader { ImageFormat::GIF, static_cast<int>(width), static_cast<int>(height), 1 }, {} };
}

ImageHeaderCheck readBmpHeader(ByteSource& source)
{
    const BmpLayoutReading reading = readBmpLayout(source.bytesAt(0, kBmpHeaderBytes));
    if (!reading.ok)
        return refuse(reading.problem);
    return { ImageHeader { ImageFormat::BMP, reading.layout.width, reading.layout.height, 1 }, {} };
}

ImageHeaderCheck readHeader(ByteSource& source)
{
    auto magic = source.bytesAt(0, 8);
    if (magic.empty())
        return refuse("an empty file");
    static constexpr std::uint8_t png[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (magic.size() >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return readJpegHeader(source);
    if (magic.size() >= 8 && std::equal(std::begin(png), std::end(png), magic.begin()))
        return readPngHeader(source);
    if (magic.size() >= 6 && (std::memcmp(magic.data(), "GIF87a", 6) == 0 || std::memcmp(magic.data(), "GIF89a", 6) == 0))
        return readGifHeader(source);
    if (magic.size() >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return readBmpHeader(source);
    return refuse("not a JPEG, PNG, GIF or BMP picture");
}

}

ImageHeaderCheck checkImageHeader(std::span<const std::uint8_t> bytes)
{
    MemorySource source(bytes);
    return readHeader(source);
}

ImageHeaderCheck checkImageHeader(const ImageFile& file)
{
    FileSource source(file);
    return readHeader(source);
}

ImageHeaderCheck checkImageHeader(const std::filesystem::path& hostPath)
{
    try {
        auto file = ImageFile::open(hostPath);
        if (!file)
            return { std::nullopt, "cannot be opened as a file" };
        return checkImageHeader(*file);
    } catch (const std::bad_alloc&) {
        return { std::nullopt, "out of memory while reading its header" };
    }
}

std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes) { return checkImageHeader(bytes).header; }

std::optional<ImageHeader> readImageHeader(const std::filesystem::path& hostPath) { return checkImageHeader(hostPath).header; }
