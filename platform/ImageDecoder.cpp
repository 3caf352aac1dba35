#include "platform/ImageDecoder.h"

#include "platform/ImageDecoders.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

std::optional<DecodedImage> decodeImage(const std::filesystem::path& hostPath, int targetWidth, int targetHeight)
{
    auto file = ImageFile::open(hostPath);
    if (!file)
        return std::nullopt;
    return decodeImage(*file, targetWidth, targetHeight);
}

std::optional<DecodedImage> decodeImage(const ImageFile& file, int targetWidth, int targetHeight)
{
    try {
        auto header = checkImageHeader(file).header;
        if (!header)
            return std::nullopt;
        targetWidth = std::max(targetWidth, 0);
        targetHeight = std::max(targetHeight, 0);
        switch (header->format) {
        case ImageFormat::JPEG:
            return decodeJpeg(file, header->orientation, targetWidth, targetHeight);
        case ImageFormat::PNG:
            return decodePng(file, targetWidth, targetHeight);
        case ImageFormat::GIF:
            return decodeGif(file, targetWidth, targetHeight);
        case ImageFormat::BMP:
            return decodeBmp(file, targetWidth, targetHeight);
        }
    } catch (const std::bad_alloc&) {
        // Within the limits but more than this machine has: draw nothing rather than die.
    }
    return std::nullopt;
}

// ImageFile

std::optional<ImageFile> ImageFile::open(const std::filesystem::path& path)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
        ::close(fd);
        return std::nullopt;
    }
    return ImageFile(fd, static_cast<std::uint64_t>(status.st_size), FileIdentity::of(status));
}

ImageFile::ImageFile(ImageFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
    , m_identity(other.m_identity)
{
}

ImageFile::~ImageFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t ImageFile::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const
{
    std::size_t done = 0;
    while (done < length) {
        std::uint64_t at = offset + done;
        if (at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
            break;
        ssize_t n = ::pread(m_fd, out + done, length - done, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::optional<ImageFile::Bytes> ImageFile::readAll(std::uint64_t maxBytes) const
{
    if (m_size == 0 || m_size > maxBytes)
        return std::nullopt;
    Bytes bytes;
    // NOTE: Not zeroed: every byte kept is read from the file.
    bytes.data = std::make_unique_for_overwrite<std::uint8_t[]>(m_size);
    bytes.size = readAt(0, bytes.data.get(), m_size);
    if (bytes.size == 0)
        return std::nullopt;
    return bytes;
}

// ImageFileReader

static constexpr std::size_t kReaderBufferBytes = std::size_t { 64 } * 1024;

bool ImageFileReader::refill()
{
    if (m_ended)
        return false;
    if (m_buffer.empty())
        m_buffer.resize(kReaderBufferBytes);
    std::size_t n = m_file.readAt(m_nextOffset, m_buffer.data(), m_buffer.size());
    if (n == 0) {
        m_ended = true;
        return false;
    }
    m_begin = 0;
    m_end = n;
    m_nextOffset += n;
    return true;
}

std::size_t ImageFileReader::read(std::uint8_t* out, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        if (m_begin == m_end && !refill())
            break;
        std::size_t n = std::min(length - done, m_end - m_begin);
        std::memcpy(out + done, m_buffer.data() + m_begin, n);
        m_begin += n;
        done += n;
    }
    return done;
}

void ImageFileReader::skip(std::uint64_t length)
{
    std::size_t buffered = m_end - m_begin;
    if (length <= buffered) {
        m_begin += static_cast<std::size_t>(length);
        return;
    }
    m_begin = m_end;
    m_nextOffset += length - buffered;
}

bool ImageFileReader::atEnd()
{
    return m_begin == m_end && !refill();
}

// Pixel plumbing

PixelSize reducedSize(int width, int height, int targetWidth, int targetHeight)
{
    const std::int64_t w = width, h = height;
    const std::int64_t tw = std::max(targetWidth, 0), th = std::max(targetHeight, 0);
    if (tw >= w || th >= h || (tw == 0 && th == 0))
        return { width, height };
    // The side whose target needs the larger scale decides it; the other follows, rounded up.
    if (tw * h >= th * w)
        return { static_cast<int>(tw), static_cast<int>(std::clamp<std::int64_t>((h * tw + w - 1) / w, 1, h)) };
    return { static_cast<int>(std::clamp<std::int64_t>((w * th + h - 1) / h, 1, w)), static_cast<int>(th) };
}

DecodedImage allocateImage(int width, int height)
{
    DecodedImage image;
    int stride = pixelRowStride(width);
    if (width <= 0 || height <= 0 || stride <= 0)
        throw std::bad_alloc();
    image.width = width;
    image.height = height;
    image.stride = stride;
    image.pixels = PixelMemory(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    return image;
}

void storeRgbaRow(const std::uint8_t* rgba, std::uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, rgba += 4, out += 4) {
        std::uint32_t r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
        if (a != 255) {
            r = multiplyAlpha(r, a);
            g = multiplyAlpha(g, a);
            b = multiplyAlpha(b, a);
        }
        storeWord(out, argbWord(a, r, g, b));
    }
}

RgbaRowSink::RgbaRowSink(int width, int height, int targetWidth, int targetHeight)
    : m_width(width)
    , m_height(height)
{
    const PixelSize size = reducedSize(width, height, targetWidth, targetHeight);
    m_image = allocateImage(size.width, size.height);
    if (size != PixelSize { width, height })
        m_downscaler.emplace(width, height, m_image);
}

void RgbaRowSink::addRow(const std::uint8_t* rgba)
{
    if (m_downscaler)
        m_downscaler->addRow(rgba);
    else if (m_row < m_image.height)
        storeRgbaRow(rgba, m_image.pixels.data() + static_cast<std::size_t>(m_row++) * m_image.stride, m_width);
}

// RowDownscaler
//
// Source and output are laid on a common grid: along a side of source length n and output length m,
// a source pixel is m units long and an output pixel n units, so both span n * m. A source pixel's
// share of an output pixel is their overlap in units, as a fixed-point fraction of the output pixel.
// Fractions are cumulative (offset-to-end minus offset-to-start), so each output pixel's weights sum
// to exactly one and a flat colour stays exact.

namespace {

constexpr int kColumnWeightBits = 16;
constexpr int kRowWeightBits = 15;

// The fixed-point fraction of an output pixel starting at `start` covered up to `position`.
std::uint32_t coveredFraction(std::int64_t position, std::int64_t start, std::int64_t outputLength, int bits)
{
    return static_cast<std::uint32_t>(((position - start) << bits) / outputLength);
}

}

RowDownscaler::RowDownscaler(int sourceWidth, int sourceHeight, DecodedImage& output)
    : m_output(output)
    , m_sourceWidth(sourceWidth)
    , m_sourceHeight(sourceHeight)
{
    const std::int64_t n = sourceWidth, m = output.width;
    m_columns.resize(static_cast<std::size_t>(sourceWidth));
    for (std::int64_t x = 0; x < n; ++x) {
        std::int64_t begin = x * m, end = begin + m;
        std::int64_t o = begin / n, boundary = (o + 1) * n;
        Column& column = m_columns[static_cast<std::size_t>(x)];
        column.output = static_cast<std::uint32_t>(o);
        if (end <= boundary) {
            column.weight = coveredFraction(end, o * n, n, kColumnWeightBits) - coveredFraction(begin, o * n, n, kColumnWeightBits);
        } else {
            column.weight = (1u << kColumnWeightBits) - coveredFraction(begin, o * n, n, kColumnWeightBits);
            column.nextWeight = coveredFraction(end, boundary, n, kColumnWeightBits);
        }
    }
    m_rowSums.resize(static_cast<std::size_t>(output.width) * 4);
    m_outputSums.resize(static_cast<std::size_t>(output.width) * 4);
}

void RowDownscaler::addRow(const std::uint8_t* rgba)
{
    if (m_sourceRow >= m_sourceHeight)
        return;
    std::fill(m_rowSums.begin(), m_rowSums.end(), 0u);
    std::uint32_t* sums = m_rowSums.data();
    for (int x = 0; x < m_sourceWidth; ++x, rgba += 4) {
        std::uint32_t r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
        // Averaging premultiplied values keeps the colour of transparent pixels out of the result.
        if (a != 255) {
            r = multiplyAlpha(r, a);
            g = multiplyAlpha(g, a);
            b = multiplyAlpha(b, a);
        }
        const Column& column = m_columns[static_cast<std::size_t>(x)];
        std::uint32_t* out = sums + std::size_t { column.output } * 4;
        out[0] += r * column.weight;
        out[1] += g * column.weight;
        out[2] += b * column.weight;
        out[3] += a * column.weight;
        if (column.nextWeight) {
            out[4] += r * column.nextWeight;
            out[5] += g * column.nextWeight;
            out[6] += b * column.nextWeight;
            out[7] += a * column.nextWeight;
        }
    }

    const std::int64_t n = m_sourceHeight, m = m_output.height;
    std::int64_t begin = m_sourceRow * m, end = begin + m;
    std::int64_t start = static_cast<std::int64_t>(m_outputRow) * n, boundary = start + n;
    if (end < boundary) {
        accumulateRow(coveredFraction(end, start, n, kRowWeightBits) - coveredFraction(begin, start, n, kRowWeightBits));
    } else {
        accumulateRow((1u << kRowWeightBits) - coveredFraction(begin, start, n, kRowWeightBits));
        finishOutputRow();
        if (end > boundary)
            accumulateRow(coveredFraction(end, boundary, n, kRowWeightBits));
    }
    ++m_sourceRow;
}

void RowDownscaler::accumulateRow(std::uint32_t weight)
{
    // Row sums reach 255 << 16; shifted down to 16 bits and weighted out of 1 << 15, an output sum
    // stays below 1 << 31.
    for (std::size_t i = 0; i < m_rowSums.size(); ++i)
        m_outputSums[i] += (m_rowSums[i] >> 8) * weight;
}

void RowDownscaler::finishOutputRow()
{
    if (m_outputRow >= m_output.height)
        return;
    constexpr int shift = kColumnWeightBits - 8 + kRowWeightBits;
    constexpr std::uint32_t half = 1u << (shift - 1);
    std::uint8_t* out = m_output.pixels.data() + static_cast<std::size_t>(m_outputRow) * m_output.stride;
    const std::uint32_t* sums = m_outputSums.data();
    for (int x = 0; x < m_output.width; ++x, sums += 4, out += 4) {
        std::uint32_t a = std::min<std::uint32_t>((sums[3] + half) >> shift, 255);
        std::uint32_t r = std::min((sums[0] + half) >> shift, a);
        std::uint32_t g = std::min((sums[1] + half) >> shift, a);
        std::uint32_t b = std::min((sums[2] + half) >> shift, a);
        storeWord(out, argbWord(a, r, g, b));
    }
    std::fill(m_outputSums.begin(), m_outputSums.end(), 0u);
    ++m_outputRow;
}
