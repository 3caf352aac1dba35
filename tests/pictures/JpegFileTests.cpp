#include "tools/pictures/Exif.h"
#include "tools/pictures/Jpeg.h"
#include "tools/pictures/JpegScans.h"
#include "tools/pictures/JpegSegments.h"

#include <gtest/gtest.h>
#include <libexif/exif-data.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>

// The JPEG files, their scan layouts and EXIF segments the decoder tests and the demo photos are made of, read back
// by TurboJPEG and libexif.

namespace {

using namespace pictures;

struct JpegInfo {
    int width { 0 };
    int height { 0 };
    int subsampling { -1 };
    int colourspace { -1 };
};

std::optional<JpegInfo> readJpegHeader(const Bytes& jpeg)
{
    std::unique_ptr<void, int (*)(tjhandle)> decompressor { tjInitDecompress(), tjDestroy };
    JpegInfo info;
    if (tjDecompressHeader3(decompressor.get(), jpeg.data(), jpeg.size(), &info.width, &info.height, &info.subsampling, &info.colourspace) != 0)
        return std::nullopt;
    return info;
}

std::optional<Bytes> decodeRgb(const Bytes& jpeg)
{
    const auto info = readJpegHeader(jpeg);
    if (!info)
        return std::nullopt;
    std::unique_ptr<void, int (*)(tjhandle)> decompressor { tjInitDecompress(), tjDestroy };
    Bytes rgb(static_cast<std::size_t>(info->width) * static_cast<std::size_t>(info->height) * 3);
    if (tjDecompress2(decompressor.get(), jpeg.data(), jpeg.size(), rgb.data(), info->width, 0, info->height, TJPF_RGB, 0) != 0)
        return std::nullopt;
    return rgb;
}

::testing::AssertionResult rgbNear(const Bytes& rgb, int width, int x, int y, Rgba expected)
{
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    const int r = rgb[at], g = rgb[at + 1], b = rgb[at + 2];
    if (std::abs(r - expected.r) <= 6 && std::abs(g - expected.g) <= 6 && std::abs(b - expected.b) <= 6)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r << ", " << g << ", " << b << ") at " << x << ", " << y;
}

// Four 16-pixel quadrants, so a swapped axis or a wrong channel order shows.
const Painter quadrants = [](int x, int y) {
    if (y < 16)
        return x < 16 ? Rgba { 220, 30, 40 } : Rgba { 30, 200, 60 };
    return x < 16 ? Rgba { 20, 40, 210 } : Rgba { 240, 240, 240 };
};

TEST(JpegEncoding, SizeSubsamplingAndProgressionReachTheFile)
{
    for (int subsampling : { TJSAMP_444, TJSAMP_420, TJSAMP_GRAY }) {
        for (bool progressive : { false, true }) {
            SCOPED_TRACE("subsampling " + std::to_string(subsampling) + (progressive ? ", progressive" : ""));
            const Bytes jpeg = encodeJpeg(paint(40, 24, quadrants), { .subsampling = subsampling, .progressive = progressive });
            const auto info = readJpegHeader(jpeg);
            ASSERT_TRUE(info);
            EXPECT_EQ(info->width, 40);
            EXPECT_EQ(info->height, 24);
            EXPECT_EQ(info->subsampling, subsampling);
            EXPECT_EQ(segmentOffset(jpeg, 0xC2).has_value(), progressive); // SOF2
            EXPECT_EQ(segmentOffset(jpeg, kBaselineFrame).has_value(), !progressive);
        }
    }
}

TEST(JpegEncoding, QualityChoosesTheQuantisationTables)
{
    // Quality 100 quantises every coefficient by 1; quality 50 uses the standard tables, whose
    // luminance DC step is 16.
    auto firstStep = [](int quality) {
        const Bytes jpeg = encodeJpeg(paint(16, 16, quadrants), { .quality = quality });
        const std::size_t table = segmentOffset(jpeg, 0xDB).value(); // DQT: marker, length, precision and id.
        return jpeg.at(table + 5);
    };
    EXPECT_EQ(firstStep(100), 1);
    EXPECT_EQ(firstStep(50), 16);
}

TEST(JpegEncoding, PixelsComeBackWhereTheyWerePainted)
{
    for (PixelFormat format : { PixelFormat::Rgb, PixelFormat::Rgba }) {
        const auto rgb = decodeRgb(encodeJpeg(paint(32, 32, quadrants, format)));
        ASSERT_TRUE(rgb);
        EXPECT_TRUE(rgbNear(*rgb, 32, 8, 8, { 220, 30, 40 }));
        EXPECT_TRUE(rgbNear(*rgb, 32, 24, 8, { 30, 200, 60 }));
        EXPECT_TRUE(rgbNear(*rgb, 32, 8, 24, { 20, 40, 210 }));
        EXPECT_TRUE(rgbNear(*rgb, 32, 24, 24, { 240, 240, 240 }));
    }
    // Out-of-range channels are clamped, not wrapped.
    const auto clamped = decodeRgb(encodeJpeg(paint(8, 8, solid({ 300, -20, 128 }))));
    ASSERT_TRUE(clamped);
    EXPECT_TRUE(rgbNear(*clamped, 8, 4, 4, { 255, 0, 128 }));
}

TEST(JpegEncoding, PixelsThatDoNotFillThePictureAreRefused)
{
    EXPECT_THROW(encodeJpeg(Pixels { 4, 4, PixelFormat::Rgb, Bytes(4 * 4 * 3 - 1) }), std::invalid_argument);
    EXPECT_THROW(encodeJpeg(Pixels { 4, 4, PixelFormat::Cmyk, Bytes(4 * 4 * 3) }), std::invalid_argument);
    EXPECT_THROW(encodeJpeg(Pixels { 0, 4, PixelFormat::Rgb, {} }), std::invalid_argument);
    EXPECT_THROW(paint(4, 4, quadrants, PixelFormat::Cmyk), std::invalid_argument);
    EXPECT_THROW(encodeJpeg(paint(4, 4, quadrants), { .exifOrientation = 9 }), std::invalid_argument);
}

// EXIF

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

struct ReadExif {
    ExifByteOrder order { EXIF_BYTE_ORDER_INTEL };
    std::optional<int> orientation;
    bool hasMake { false };
};

// libexif reads a bare payload or a whole JPEG, finding its APP1 segment. It is kept from adding
// the entries the standard requires, so what it reports is what was written.
std::optional<ReadExif> readExif(const Bytes& bytes)
{
    std::unique_ptr<ExifData, ExifDataDeleter> data { exif_data_new() };
    if (!data)
        return std::nullopt;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), bytes.data(), static_cast<unsigned int>(bytes.size()));
    ReadExif read;
    read.order = exif_data_get_byte_order(data.get());
    if (ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION); entry && entry->format == EXIF_FORMAT_SHORT)
        read.orientation = exif_get_short(entry->data, read.order);
    read.hasMake = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_MAKE) != nullptr;
    return read;
}

TEST(ExifPayload, LibexifReadsTheOrientationInBothByteOrders)
{
    for (ByteOrder order : { ByteOrder::LittleEndian, ByteOrder::BigEndian }) {
        const ExifByteOrder expectedOrder = order == ByteOrder::BigEndian ? EXIF_BYTE_ORDER_MOTOROLA : EXIF_BYTE_ORDER_INTEL;
        for (int orientation : { 3, 6, 8 }) {
            const auto alone = readExif(orientationExif(orientation, order));
            ASSERT_TRUE(alone);
            EXPECT_EQ(alone->order, expectedOrder);
            EXPECT_EQ(alone->orientation, orientation);
            EXPECT_FALSE(alone->hasMake);
            const auto camera = readExif(cameraExif(orientation, order));
            ASSERT_TRUE(camera);
            EXPECT_EQ(camera->orientation, orientation);
            EXPECT_TRUE(camera->hasMake);
        }
    }
}

TEST(ExifPayload, HeaderFieldsCanBeMadeToLie)
{
    const Bytes payload = exifPayload({ { kOrientationTag, IfdType::Long, 1, 0x01020304 } }, ByteOrder::BigEndian, 0x12345678, 40);
    // "Exif\0\0", "MM", 42, the IFD offset, the entry count, then the entry.
    EXPECT_EQ(Bytes(payload.begin() + 10, payload.begin() + 14), (Bytes { 0x12, 0x34, 0x56, 0x78 }));
    EXPECT_EQ(Bytes(payload.begin() + 14, payload.begin() + 16), (Bytes { 0, 40 }));
    EXPECT_EQ(Bytes(payload.begin() + 24, payload.begin() + 28), (Bytes { 1, 2, 3, 4 }));
    EXPECT_EQ(payload.size(), 6u + 8 + 2 + 12 + 4);
}

// Segments

TEST(JpegSegments, AnExifSegmentRightAfterSoiKeepsThePictureReadable)
{
    const Bytes plain = encodeJpeg(paint(32, 32, quadrants));
    EXPECT_FALSE(segmentOffset(plain, kApp1));
    const Bytes turned = encodeJpeg(paint(32, 32, quadrants), { .exifOrientation = 6 });
    EXPECT_EQ(segmentOffset(turned, kApp1), 2u);
    EXPECT_EQ(turned.size(), plain.size() + 4 + orientationExif(6).size());
    const auto exif = readExif(turned);
    ASSERT_TRUE(exif);
    EXPECT_EQ(exif->orientation, 6);
    const auto rgb = decodeRgb(turned);
    ASSERT_TRUE(rgb);
    EXPECT_TRUE(rgbNear(*rgb, 32, 24, 8, { 30, 200, 60 }));

    // Segments stack: the last one added comes first.
    const Bytes both = withSegment(withSegment(plain, kApp1, orientationExif(3)), kApp2, Bytes(100, 0x5A));
    EXPECT_EQ(segmentOffset(both, kApp2), 2u);
    EXPECT_EQ(segmentOffset(both, kApp1), 2u + 4 + 100);
    EXPECT_TRUE(decodeRgb(both));

    EXPECT_THROW(withSegment(plain, kApp2, Bytes(65'534, 0)), std::invalid_argument);
    EXPECT_THROW(withSegment(Bytes { 'G', 'I', 'F' }, kApp1, {}), std::invalid_argument);
}

TEST(JpegSegments, TheWalkStopsAtTheScanTheEndOrABrokenLength)
{
    const Bytes jpeg = encodeJpeg(paint(16, 16, quadrants));
    const auto scan = segmentOffset(jpeg, kStartOfScan);
    ASSERT_TRUE(scan);
    EXPECT_EQ(jpeg[*scan], 0xFF);
    EXPECT_EQ(jpeg[*scan + 1], kStartOfScan);
    // EOI lies past the scan, so the walk never reaches it.
    EXPECT_FALSE(segmentOffset(jpeg, 0xD9));

    const std::size_t frame = segmentOffset(jpeg, kBaselineFrame).value();
    EXPECT_FALSE(segmentOffset(Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(frame)), kBaselineFrame));
    Bytes zeroLength = withSegment(jpeg, kApp2, {});
    zeroLength[5] = 0;
    EXPECT_FALSE(segmentOffset(zeroLength, kBaselineFrame));
}

TEST(JpegSegments, DeclaredSizeIsWhatReadersSee)
{
    const Bytes jpeg = withDeclaredJpegSize(encodeJpeg(paint(16, 16, quadrants)), 12000, 9000);
    const auto info = readJpegHeader(jpeg);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 12000);
    EXPECT_EQ(info->height, 9000);
    // A progressive frame header is rewritten as well.
    const auto progressive = readJpegHeader(withDeclaredJpegSize(encodeJpeg(paint(16, 16, quadrants), { .progressive = true }), 300, 200));
    ASSERT_TRUE(progressive);
    EXPECT_EQ(progressive->width, 300);
    EXPECT_EQ(progressive->height, 200);
    const Bytes noFrame = Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(frameHeaderOffset(jpeg).value()));
    EXPECT_THROW(withDeclaredJpegSize(noFrame, 1, 1), std::invalid_argument);
}

TEST(JpegSegments, DeclaredSamplingIsWhatReadersSee)
{
    const Bytes jpeg = encodeJpeg(paint(16, 16, quadrants));
    const auto info = readJpegHeader(withDeclaredJpegSampling(jpeg, 0, 2, 2));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->subsampling, TJSAMP_420);
    EXPECT_THROW(withDeclaredJpegSampling(jpeg, 3, 1, 1), std::invalid_argument);
    EXPECT_THROW(withDeclaredJpegSampling(jpeg, 0, 0, 1), std::invalid_argument);
    EXPECT_THROW(withDeclaredJpegSampling(encodeJpeg(paint(16, 16, quadrants), { .subsampling = TJSAMP_GRAY }), 1, 1, 1), std::invalid_argument);
}

// Entropy-coded data stuffs a zero after every 0xFF, so FF DA appears only as a scan's marker.
int scanCount(const Bytes& jpeg)
{
    int scans = 0;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        scans += jpeg[i] == 0xFF && jpeg[i + 1] == kStartOfScan;
    return scans;
}

TEST(JpegScans, EachLayoutWritesItsFrameScansAndSampling)
{
    struct Case {
        const char* name;
        JpegScanLayout layout;
        std::uint8_t frame;
        int scans; // 0: more than one a component.
        int subsampling;
        int colourspace;
    };
    const Case cases[] = {
        { "4:4:4", { 21, 13, 3, 1, 1, JpegScans::Interleaved, 90 }, kBaselineFrame, 1, TJSAMP_444, TJCS_YCbCr },
        { "4:2:0", { 21, 13, 3, 2, 2, JpegScans::Interleaved, 90 }, kBaselineFrame, 1, TJSAMP_420, TJCS_YCbCr },
        { "4:2:2", { 21, 13, 3, 2, 1, JpegScans::Interleaved, 90 }, kBaselineFrame, 1, TJSAMP_422, TJCS_YCbCr },
        { "a scan per component", { 21, 13, 3, 1, 1, JpegScans::ScanPerComponent, 90 }, kBaselineFrame, 3, TJSAMP_444, TJCS_YCbCr },
        { "CMYK, a scan per component", { 9, 9, 4, 1, 1, JpegScans::ScanPerComponent, 90 }, kBaselineFrame, 4, TJSAMP_444, TJCS_CMYK },
        { "progressive", { 21, 13, 3, 2, 2, JpegScans::Progressive, 90 }, kProgressiveFrame, 0, TJSAMP_420, TJCS_YCbCr },
        { "progressive gray", { 21, 13, 1, 1, 1, JpegScans::Progressive, 90 }, kProgressiveFrame, 0, TJSAMP_GRAY, TJCS_GRAY },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes jpeg = encodeJpegScans(c.layout);
        const auto info = readJpegHeader(jpeg);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->width, c.layout.width);
        EXPECT_EQ(info->height, c.layout.height);
        EXPECT_EQ(info->subsampling, c.subsampling);
        EXPECT_EQ(info->colourspace, c.colourspace);
        EXPECT_EQ(jpeg[frameHeaderOffset(jpeg).value() + 1], c.frame);
        if (c.scans > 0)
            EXPECT_EQ(scanCount(jpeg), c.scans);
        else
            EXPECT_GT(scanCount(jpeg), c.layout.components);
    }
}

TEST(JpegScans, ThePatternComesBackInEveryChannel)
{
    const JpegScanLayout layout { 40, 30, 3, 1, 1, JpegScans::Progressive, 100 };
    const auto rgb = decodeRgb(encodeJpegScans(layout));
    ASSERT_TRUE(rgb);
    int worst = 0;
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(layout.width) + static_cast<std::size_t>(x)) * 3 + static_cast<std::size_t>(c);
                worst = std::max(worst, std::abs((*rgb)[at] - jpegTestSample(x, y, c)));
            }
        }
    }
    // Quality 100 still rounds through YCbCr and the DCT.
    EXPECT_LE(worst, 4);
}

TEST(JpegScans, LayoutsLibjpegCannotWriteAreRefused)
{
    EXPECT_THROW(encodeJpegScans({ 0, 8 }), std::invalid_argument);
    EXPECT_THROW(encodeJpegScans({ 65'536, 8 }), std::invalid_argument);
    EXPECT_THROW(encodeJpegScans({ 8, 8, 2 }), std::invalid_argument);
    EXPECT_THROW(encodeJpegScans({ 8, 8, 3, 5, 1 }), std::invalid_argument);
    EXPECT_THROW(encodeJpegScans({ 8, 8, 3, 1, 1, JpegScans::Interleaved, 0 }), std::invalid_argument);
}

}
