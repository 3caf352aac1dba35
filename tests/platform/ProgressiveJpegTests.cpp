#include "platform/ImageDecoder.h"
#include "platform/ImageDecoders.h"
#include "platform/ImageHeader.h"
#include "support/TestSupport.h"
#include "tools/pictures/JpegScans.h"
#include "tools/pictures/JpegSegments.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <string>

// Multi-scan JPEGs (progressive, or a scan per component) make libjpeg keep every coefficient of
// the picture; the header check and the decoder hold that memory to a budget before allocating it.

namespace {

using namespace pictures;

class ProgressiveJpeg : public ::testing::Test {
protected:
    std::optional<DecodedImage> decode(const Bytes& bytes, int targetWidth = 0, int targetHeight = 0)
    {
        return decodeImage(m_folder.write("photo-" + std::to_string(m_count++) + ".jpg", bytes), targetWidth, targetHeight);
    }

    testing_support::TempFolder m_folder;
    int m_count { 0 };
};

int largestDifference(const DecodedImage& a, const DecodedImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width * 4; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * a.stride + static_cast<std::size_t>(x);
            largest = std::max(largest, std::abs(a.pixels[at] - b.pixels[at]));
        }
    }
    return largest;
}

// libjpeg's own count of the coefficient memory a multi-scan file needs: each component's blocks,
// padded to whole MCUs of it, as its coefficient controller allocates them.
std::uint64_t libjpegCoefficientBytes(const Bytes& jpeg)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    std::uint64_t total = 0;
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info& c = info.comp_info[i];
        auto roundUp = [](std::uint64_t value, std::uint64_t multiple) { return (value + multiple - 1) / multiple * multiple; };
        total += roundUp(c.width_in_blocks, static_cast<std::uint64_t>(c.h_samp_factor))
            * roundUp(c.height_in_blocks, static_cast<std::uint64_t>(c.v_samp_factor)) * sizeof(JBLOCK);
    }
    jpeg_destroy_decompress(&info);
    return total;
}

}

TEST_F(ProgressiveJpeg, EveryScanLayoutDecodesToTheSamePicture)
{
    struct Kind {
        const char* name;
        int components;
        int h;
        int v;
    };
    const Kind kinds[] = { { "4:4:4", 3, 1, 1 }, { "4:2:0", 3, 2, 2 }, { "4:2:2", 3, 2, 1 }, { "gray", 1, 1, 1 }, { "CMYK", 4, 1, 1 } };
    for (const Kind& kind : kinds) {
        JpegScanLayout wanted { 53, 37, kind.components, kind.h, kind.v, JpegScans::Interleaved, 95 };
        const Bytes baseline = encodeJpegScans(wanted);
        for (JpegScans layout : { JpegScans::ScanPerComponent, JpegScans::Progressive }) {
            wanted.scans = layout;
            SCOPED_TRACE(std::string(kind.name) + (layout == JpegScans::Progressive ? ", progressive" : ", a scan per component"));
            const Bytes multiScan = encodeJpegScans(wanted);
            for (auto [targetWidth, targetHeight] : { std::pair { 0, 0 }, std::pair { 14, 10 } }) {
                auto expected = decode(baseline, targetWidth, targetHeight);
                auto image = decode(multiScan, targetWidth, targetHeight);
                ASSERT_TRUE(expected);
                ASSERT_TRUE(image);
                ASSERT_EQ(image->width, expected->width);
                ASSERT_EQ(image->height, expected->height);
                // The same coefficients, quantised alike; only the order they arrive in differs.
                EXPECT_LE(largestDifference(*image, *expected), 3);
            }
        }
    }
}

TEST_F(ProgressiveJpeg, CoefficientMemoryIsCountedAsLibjpegAllocatesIt)
{
    const Bytes progressive = encodeJpegScans({ 32, 24, 3, 1, 1, JpegScans::Progressive, 90 });
    struct Case {
        int width;
        int height;
        int component;
        int h;
        int v;
    };
    // Odd sizes that end mid-block and mid-MCU, and samplings where a chroma component has the
    // larger factors or a factor of 3.
    const Case cases[] = {
        { 1, 1, 0, 1, 1 },
        { 17, 9, 0, 2, 2 },
        { 4000, 3000, 0, 2, 2 },
        { 4032, 3024, 0, 1, 1 },
        { 4033, 3025, 0, 2, 1 },
        { 999, 777, 0, 3, 1 },
        { 1001, 603, 0, 1, 3 },
        { 641, 479, 1, 2, 2 },
        { 65500, 3, 0, 4, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + ", component " + std::to_string(c.component) + " at "
            + std::to_string(c.h) + "x" + std::to_string(c.v));
        const Bytes jpeg = withDeclaredJpegSampling(withDeclaredJpegSampling(withDeclaredJpegSize(progressive, c.width, c.height), 0, 1, 1), c.component, c.h, c.v);
        JpegLayout layout;
        layout.width = c.width;
        layout.height = c.height;
        layout.components = 3;
        layout.sampling[static_cast<std::size_t>(c.component)] = { c.h, c.v };
        layout.progressive = true;
        EXPECT_EQ(jpegCoefficientBytes(layout), libjpegCoefficientBytes(jpeg));
    }
    // One interleaved scan is decoded as it arrives: no coefficient buffer.
    JpegLayout single;
    single.width = 4000;
    single.height = 3000;
    single.components = 3;
    single.firstScanComponents = 3;
    EXPECT_EQ(jpegCoefficientBytes(single), 0u);
    single.firstScanComponents = 1;
    EXPECT_GT(jpegCoefficientBytes(single), 0u);
}

TEST_F(ProgressiveJpeg, HeadersNeedingMoreThanTheBudgetAreRefusedWithTheReason)
{
    const Bytes progressive444 = encodeJpegScans({ 32, 24, 3, 1, 1, JpegScans::Progressive, 90 });
    const Bytes progressive420 = encodeJpegScans({ 32, 24, 3, 2, 2, JpegScans::Progressive, 90 });
    const Bytes progressiveCmyk = encodeJpegScans({ 32, 24, 4, 1, 1, JpegScans::Progressive, 90 });
    const Bytes perComponent = encodeJpegScans({ 32, 24, 3, 1, 1, JpegScans::ScanPerComponent, 90 });
    const Bytes baseline = encodeJpegScans({ 32, 24, 3, 1, 1, JpegScans::Interleaved, 90 });

    // A couple of kilobytes that claim 10000 x 10000: 600 MB of coefficients at full colour.
    const Bytes claim = withDeclaredJpegSize(progressive444, 10000, 10000);
    ASSERT_LT(claim.size(), 4000u);
    const ImageHeaderCheck check = checkImageHeader(claim);
    EXPECT_FALSE(check.header);
    EXPECT_NE(check.problem.find("progressive JPEG of 10000 x 10000 pixels would need 600 MB"), std::string::npos) << check.problem;
    EXPECT_FALSE(decode(claim, 612, 388));
    EXPECT_NE(checkImageHeader(withDeclaredJpegSize(progressive420, 10000, 10000)).problem.find("300 MB"), std::string::npos);
    EXPECT_NE(checkImageHeader(withDeclaredJpegSize(perComponent, 10000, 9000)).problem.find("multi-scan JPEG"), std::string::npos);

    // Real 12-megapixel photos pass, in full colour resolution too; CMYK at that size does not.
    EXPECT_TRUE(checkImageHeader(withDeclaredJpegSize(progressive444, 4032, 3024)).header);
    EXPECT_TRUE(checkImageHeader(withDeclaredJpegSize(progressive444, 4080, 3072)).header);
    EXPECT_TRUE(checkImageHeader(withDeclaredJpegSize(progressive420, 4032, 3024)).header);
    EXPECT_TRUE(checkImageHeader(withDeclaredJpegSize(progressive420, 6000, 4000)).header);
    EXPECT_FALSE(checkImageHeader(withDeclaredJpegSize(progressiveCmyk, 4032, 3024)).header);
    // One interleaved scan needs no coefficients, whatever its size.
    EXPECT_TRUE(checkImageHeader(withDeclaredJpegSize(baseline, 10000, 9000)).header);

    // The edge: at 4:4:4 a block row of 4096 pixels costs 3 x 512 x 128 bytes.
    const std::uint64_t blockRow = 3 * 512 * 128;
    const int rowsAllowed = static_cast<int>(kMaxJpegCoefficientBytes / blockRow);
    EXPECT_TRUE(checkImageHeader(withDeclaredJpegSize(progressive444, 4096, rowsAllowed * 8)).header);
    EXPECT_FALSE(checkImageHeader(withDeclaredJpegSize(progressive444, 4096, rowsAllowed * 8 + 1)).header);
}

TEST_F(ProgressiveJpeg, DecodedPixelsShareTheBudgetWithTheCoefficients)
{
    // A header-only baseline claiming 90 megapixels: at the panel's size libjpeg scales it by 1/8
    // and fills the missing data gray; at full size its 360 MB of pixels are refused.
    const Bytes baseline = withDeclaredJpegSize(encodeJpegScans({ 32, 24, 3, 1, 1, JpegScans::Interleaved, 90 }), 10000, 9000);
    auto small = decode(baseline, 612, 388);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width, 1250);
    EXPECT_EQ(small->height, 1125);
    EXPECT_FALSE(decode(baseline, 0, 0));

    // A progressive 24-megapixel claim at 4:2:0 fits with the panel's pixels beside it.
    const Bytes progressive = withDeclaredJpegSize(encodeJpegScans({ 32, 24, 3, 2, 2, JpegScans::Progressive, 90 }), 6000, 4000);
    auto reduced = decode(progressive, 612, 388);
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->width, 750);
    EXPECT_FALSE(decode(progressive, 0, 0));
}
