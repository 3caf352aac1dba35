#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Inputs the fuzzers (fuzz/) found a fault with, kept as hex, each with what it must do now. The
// ordinary test command runs them, so a fault that comes back is caught without fuzzing.

namespace {

std::vector<std::uint8_t> fromHex(std::string_view hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

struct KeptInput {
    const char* name;
    const char* hex;
    const char* problem; // What the header check must say; nullptr when the picture must decode.
};

const KeptInput kKeptInputs[] = {
    // bmp: an RLE4 picture 2,097,165 pixels wide and 6 high (under the pixel limit) could not be
    // reduced below its full width: 50 MB of pixels and over 10 s under the sanitizers.
    { "bmp-2-million-pixels-wide",
        "424d60000000000000004e000000280000000d00200006000000010004000200000012000000424d6000000000000000"
        "4e000000280000000d00000006000000010004000200000012000000130b0000130b0000060000130b0000130b000006"
        "0000000000000005ff0b0060fc3100bbf95500000050f157f65efb65006c05730a7a0f0000e0a0e7a500030100020231"
        "00bbf95550000000140001020001",
        "a side longer than the 30000 allowed" },
};

}

TEST(FuzzRegression, KeptInputsGiveWhatTheyMustAndNothingWorse)
{
    testing_support::TempFolder folder;
    for (const KeptInput& input : kKeptInputs) {
        SCOPED_TRACE(input.name);
        const auto bytes = fromHex(input.hex);
        const ImageHeaderCheck check = checkImageHeader(bytes);
        const auto path = folder.write(input.name, bytes);
        if (input.problem) {
            EXPECT_FALSE(check.header);
            EXPECT_NE(check.problem.find(input.problem), std::string::npos) << check.problem;
            EXPECT_FALSE(decodeImage(path, 612, 388));
        } else {
            ASSERT_TRUE(check.header) << check.problem;
            EXPECT_TRUE(decodeImage(path, 612, 388));
        }
    }
}
