#include "platform/ImageHeader.h"

#include "platform/ImageDecoders.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

std::uint32_t be16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) << 8 | p[1]; }
std::uint32_t le16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[1]) << 8 | p[0]; }
std::uint32_t be32(const std::uint8_t* p) { return be16(p) << 16 | be16(p + 2); }
std::uint32_t le32(const std::uint8_t* p) { return le16(p + 2) << 16 | le16(p); }

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
            m_window.resize(std::max<std::size_t>(length, 64 * 1024));
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

// The orientation tag (0x0112) of IFD0 in an APP1 "Exif\0\0" segment; 1 for anything odd.
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

std::optional<ImageHeader> readJpegHeader(ByteSource& source)
{
    int orientation = 1;
    bool sawExif = false;
    std::uint64_t position = 2; // After SOI.
    while (position < kJpegFrameSearchBytes) {
        auto bytes = source.bytesAt(position, 4096);
        if (bytes.size() < 2)
            return std::nullopt;
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
        // A second SOI, the end of the image or a scan before any frame header: nothing to show.
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA)
            return std::nullopt;
        if (bytes.size() < 4)
            return std::nullopt;
        const std::uint32_t length = be16(&bytes[2]);
        if (length < 2)
            return std::nullopt;

        if (isStartOfFrame(marker)) {
            if (!isDecodableFrame(marker) || length < 8)
                return std::nullopt;
            auto frame = source.bytesAt(position + 4, 6);
            if (frame.size() < 6)
                return std::nullopt;
            const std::uint32_t precision = frame[0];
            const std::int64_t height = be16(&frame[1]);
            const std::int64_t width = be16(&frame[3]);
            const std::uint32_t components = frame[5];
            if (precision != 8 || (components != 1 && components != 3 && components != 4) || length != 8 + 3 * components)
                return std::nullopt;
            // A zero height would come later in a DNL marker, which libjpeg does not support.
            if (width == 0 || height == 0 || width > kMaxJpegSide || height > kMaxJpegSide || width * height > kMaxJpegPixels)
                return std::nullopt;
            return ImageHeader { ImageFormat::JPEG, static_cast<int>(width), static_cast<int>(height), orientation };
        }
        if (marker == 0xE1 && !sawExif) {
            auto segment = source.bytesAt(position + 4, length - 2);
            static constexpr std::uint8_t exifPrefix[5] = { 'E', 'x', 'i', 'f', 0 };
            if (segment.size() >= sizeof exifPrefix && std::equal(std::begin(exifPrefix), std::end(exifPrefix), segment.begin())) {
                sawExif = true;
                orientation = exifOrientation(segment);
            }
        }
        position += 2 + length;
    }
    return std::nullopt;
}

std::optional<ImageHeader> readPngHeader(ByteSource& source)
{
    auto bytes = source.bytesAt(0, 29);
    if (bytes.size() < 29 || be32(&bytes[8]) != 13 || std::memcmp(&bytes[12], "IHDR", 4) != 0)
        return std::nullopt;
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
        return std::nullopt;
    if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide || width * height > kMaxPngPixels)
        return std::nullopt;
    if (interlace == 1 && width * height > kMaxWholeImagePixels)
        return std::nullopt;
    return ImageHeader { ImageFormat::PNG, static_cast<int>(width), static_cast<int>(height), 1 };
}

// GIF and BMP sizes as stb_image reads them, so that a header is given exactly for what it decodes.
std::optional<ImageHeader> readStbHeader(ByteSource& source, ImageFormat format)
{
    auto bytes = source.bytesAt(0, 512);
    if (format == ImageFormat::BMP) {
        // stb_image takes abs() of a BMP's height, which INT_MIN would overflow.
        if (bytes.size() < 26 || (le32(&bytes[14]) != 12 && le32(&bytes[22]) == 0x80000000u))
            return std::nullopt;
    }
    int width = 0, height = 0;
    if (!stbImageInfo(bytes, width, height))
        return std::nullopt;
    if (format == ImageFormat::BMP && height < 0)
        height = -height; // Top-down rows.
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxWholeImagePixels)
        return std::nullopt;
    return ImageHeader { format, width, height, 1 };
}

std::optional<ImageHeader> readHeader(ByteSource& source)
{
    auto magic = source.bytesAt(0, 8);
    static constexpr std::uint8_t png[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (magic.size() >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return readJpegHeader(source);
    if (magic.size() >= 8 && std::equal(std::begin(png), std::end(png), magic.begin()))
        return readPngHeader(source);
    if (magic.size() >= 6 && (std::memcmp(magic.data(), "GIF87a", 6) == 0 || std::memcmp(magic.data(), "GIF89a", 6) == 0))
        return readStbHeader(source, ImageFormat::GIF);
    if (magic.size() >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return readStbHeader(source, ImageFormat::BMP);
    return std::nullopt;
}

}

std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes)
{
    MemorySource source(bytes);
    return readHeader(source);
}

std::optional<ImageHeader> readImageHeader(const ImageFile& file)
{
    FileSource source(file);
    return readHeader(source);
}

std::optional<ImageHeader> readImageHeader(const std::filesystem::path& hostPath)
{
    try {
        auto file = ImageFile::open(hostPath);
        if (!file)
            return std::nullopt;
        return readImageHeader(*file);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
