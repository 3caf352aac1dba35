#pragma once

// The pieces the image decoders share; not part of the platform's interface.

#include "platform/FileIdentity.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// Limits for untrusted pictures, checked before anything is allocated for their pixels. Headers that
// exceed them are refused too, so an image that can never be drawn never gets a size.
inline constexpr std::int64_t kMaxJpegPixels = 100'000'000;
inline constexpr int kMaxJpegSide = 65'500;
inline constexpr std::uint64_t kMaxJpegFileBytes = 256u << 20;
inline constexpr std::uint64_t kJpegFrameSearchBytes = 4u << 20; // The frame header must start before this.
// PNG is decoded row by row, so this bounds time rather than memory.
inline constexpr std::int64_t kMaxPngPixels = 50'000'000;
inline constexpr int kMaxPngSide = 30'000;
// GIF, BMP and interlaced PNG pictures are held whole while decoding (interlaced GIFs and run-length
// BMPs as a byte a pixel, interlaced PNGs as four), or cost time in proportion to their size.
inline constexpr std::int64_t kMaxWholeImagePixels = std::int64_t { 4096 } * 4096;
// A side longer than this is refused too: a picture a few pixels high but millions wide cannot be
// reduced to the frame's size and would come out whole.
inline constexpr int kMaxWholeImageSide = 30'000;
// What one JPEG decode may hold: the whole-image coefficient buffer that progressive and other
// multi-scan files need, plus the decoded pixels. A header whose coefficients leave less than
// kJpegPixelReserveBytes of it (enough for the pixels of the panel's frame at scale 3) is refused
// before libjpeg allocates anything. A 12-megapixel photo with full-resolution colour needs
// 73 MB of coefficients, so this admits it.
inline constexpr std::uint64_t kJpegDecodeBudgetBytes = 84u << 20;
inline constexpr std::uint64_t kJpegPixelReserveBytes = 10u << 20;
inline constexpr std::uint64_t kMaxJpegCoefficientBytes = kJpegDecodeBudgetBytes - kJpegPixelReserveBytes;
// More scans than this is the known way to make libjpeg spin over a small file.
inline constexpr int kMaxJpegScans = 500;

// A regular file opened for reading. Reads use pread, so there is no shared position.
class ImageFile {
public:
    // Nothing for a missing or unreadable file, or anything but a regular file (a FIFO would block).
    static std::optional<ImageFile> open(const std::filesystem::path&);
    ImageFile(ImageFile&&) noexcept;
    ImageFile& operator=(ImageFile&&) = delete;
    ~ImageFile();

    std::uint64_t size() const { return m_size; }
    // Which version of the file this is, as it was when opened.
    const FileIdentity& identity() const { return m_identity; }
    // Up to `length` bytes at `offset`; fewer at the end of the file or on a read error.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const;

    struct Bytes {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t size { 0 };
    };
    // The whole file, or nothing when it is larger than maxBytes or empty.
    std::optional<Bytes> readAll(std::uint64_t maxBytes) const;

private:
    ImageFile(int fd, std::uint64_t size, FileIdentity identity)
        : m_fd(fd)
        , m_size(size)
        , m_identity(identity)
    {
    }

    int m_fd { -1 };
    std::uint64_t m_size { 0 };
    FileIdentity m_identity;
};

// Reads an ImageFile front to back through a buffer, for decoders that read in order.
class ImageFileReader {
public:
    explicit ImageFileReader(const ImageFile& file)
        : m_file(file)
    {
    }

    // Fewer bytes than asked only at the end of the file.
    std::size_t read(std::uint8_t* out, std::size_t length);
    void skip(std::uint64_t length);
    bool atEnd();

private:
    bool refill();

    const ImageFile& m_file;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_begin { 0 }; // Unread bytes are m_buffer[m_begin, m_end).
    std::size_t m_end { 0 };
    std::uint64_t m_nextOffset { 0 }; // Where the next refill reads.
    bool m_ended { false };
};

ImageHeaderCheck checkImageHeader(const ImageFile&);

// decodeImage on a file already open: the same header check, limits and decoders.
std::optional<DecodedImage> decodeImage(const ImageFile&, int targetWidth, int targetHeight);

// The orientation tag (0x0112) of IFD0 in an APP1 segment that starts "Exif\0\0"; 1 for anything odd.
int exifOrientation(std::span<const std::uint8_t> app1);

// What decides how much memory libjpeg needs for a JPEG, from its frame header and first scan.
struct JpegLayout {
    struct Sampling {
        int horizontal { 1 };
        int vertical { 1 };
    };
    int width { 0 };
    int height { 0 };
    int components { 0 };
    std::array<Sampling, 4> sampling {};
    bool progressive { false };
    // Components in the first scan; fewer than the frame's means libjpeg reads several scans.
    int firstScanComponents { 0 };
};

// The bytes of DCT coefficients libjpeg keeps for the whole image when the file has more than one
// scan (128 per 8x8 block of each component, whole MCUs); 0 for a single interleaved scan, which
// is decoded block row by block row.
std::uint64_t jpegCoefficientBytes(const JpegLayout&);

std::optional<DecodedImage> decodeJpeg(const ImageFile&, int orientation, int targetWidth, int targetHeight);
std::optional<DecodedImage> decodePng(const ImageFile&, int targetWidth, int targetHeight);
std::optional<DecodedImage> decodeGif(const ImageFile&, int targetWidth, int targetHeight);
std::optional<DecodedImage> decodeBmp(const ImageFile&, int targetWidth, int targetHeight);

// Puts decoded rows (rowCount rows from firstRow of a storedWidth x storedHeight picture, 32-bit
// pixels, rowBytes apart) where an EXIF orientation (1 to 8) says they belong in the upright image,
// whose sides 5 to 8 swap. Rows placed as they are decoded need no second copy of the picture.
void placeRowsUpright(const std::uint8_t* rows, std::size_t rowBytes, int firstRow, int rowCount, int storedWidth, int storedHeight,
    int orientation, DecodedImage& upright);

// Pixel plumbing.

// The smallest size, keeping the aspect ratio, whose width and height are both at least the target's
// (a zero target side asks nothing of that side); never larger than the source.
PixelSize reducedSize(int width, int height, int targetWidth, int targetHeight);

// A transparent image of that size; its buffer is zeroed.
DecodedImage allocateImage(int width, int height);

inline std::uint32_t loadWord(const std::uint8_t* p)
{
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

inline void storeWord(std::uint8_t* p, std::uint32_t word) { std::memcpy(p, &word, sizeof word); }

inline std::uint32_t argbWord(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

// c * a / 255, rounded.
inline std::uint32_t multiplyAlpha(std::uint32_t c, std::uint32_t a)
{
    std::uint32_t t = c * a + 128;
    return (t + (t >> 8)) >> 8;
}

// Straight RGBA bytes to premultiplied ARGB32 words; `rgba` may be `out`.
void storeRgbaRow(const std::uint8_t* rgba, std::uint8_t* out, int width);

// Area-averages straight-alpha RGBA rows, given top to bottom, into a premultiplied ARGB32 image no
// larger than the source in either direction. Only one source row and one output row of sums are
// held, so the source never needs to exist whole. Output rows not finished stay as they were.
class RowDownscaler {
public:
    RowDownscaler(int sourceWidth, int sourceHeight, DecodedImage& output);

    void addRow(const std::uint8_t* rgba);

private:
    // Each source column adds to at most two output columns, since the output is not wider.
    struct Column {
        std::uint32_t output { 0 };
        std::uint32_t weight { 0 }; // Out of 1 << 16 for the output column.
        std::uint32_t nextWeight { 0 }; // For output + 1.
    };

    void accumulateRow(std::uint32_t weight);
    void finishOutputRow();

    DecodedImage& m_output;
    int m_sourceWidth { 0 };
    int m_sourceHeight { 0 };
    std::vector<Column> m_columns;
    std::vector<std::uint32_t> m_rowSums; // This source row, RGBA per output column.
    std::vector<std::uint32_t> m_outputSums; // The output row in progress.
    int m_sourceRow { 0 };
    int m_outputRow { 0 };
};

// Straight-alpha RGBA rows, given top first, into an image at the reduced size for the target.
class RgbaRowSink {
public:
    RgbaRowSink(int width, int height, int targetWidth, int targetHeight);

    void addRow(const std::uint8_t* rgba);
    DecodedImage take() { return std::move(m_image); }
    int sourceHeight() const { return m_height; }

private:
    int m_width { 0 };
    int m_height { 0 };
    DecodedImage m_image;
    std::optional<RowDownscaler> m_downscaler; // Unless the image is full size.
    int m_row { 0 };
};
