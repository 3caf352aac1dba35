#include "render/PixelChecks.h"

#include "render/ContactSheet.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <stdexcept>

namespace {

using namespace render_checks;
using testing_support::TempFolder;

// A 640 x 480 frame file in one colour.
std::filesystem::path writeFrame(const TempFolder& folder, const std::string& name, Colour colour, int width = 640, int height = 480)
{
    orvessa::Frame frame(width, height);
    cairo_t* cr = cairo_create(frame.surface());
    cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return folder.write(name, orvessa::encodePng(frame));
}

int brightPixels(const orvessa::Frame& frame, int x0, int y0, int x1, int y1)
{
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            count += pixelAt(frame, x, y).r > 150;
    }
    return count;
}

TEST(ContactSheet, LaysFramesOutInRowsWithTheirTimes)
{
    TempFolder folder;
    const Colour red { 220, 30, 30 }, green { 30, 200, 60 }, blue { 40, 40, 210 };
    std::vector<std::pair<double, std::filesystem::path>> frames {
        { 0.0, writeFrame(folder, "0.png", red) },
        { 0.5, writeFrame(folder, "1.png", green) },
        { 1.25, writeFrame(folder, "2.png", blue) },
    };
    orvessa::Frame sheet = orvessa::makeContactSheet(frames, 2);

    // Cells of 200 x 150 pictures with an 18-pixel caption, 10 pixels apart and from the edges.
    EXPECT_EQ(sheet.width(), 10 + 2 * 210);
    EXPECT_EQ(sheet.height(), 10 + 2 * 178);
    EXPECT_LE(difference(pixelAt(sheet, 110, 85), red), 2);
    EXPECT_LE(difference(pixelAt(sheet, 320, 85), green), 2);
    EXPECT_LE(difference(pixelAt(sheet, 110, 263), blue), 2);
    EXPECT_LE(difference(pixelAt(sheet, 11, 11), red), 2);
    EXPECT_LE(difference(pixelAt(sheet, 209, 159), red), 2);
    // The fourth cell is empty, and so are the gutters.
    EXPECT_EQ(brightPixels(sheet, 220, 188, 420, 356), 0);
    EXPECT_EQ(brightPixels(sheet, 0, 0, 430, 10), 0);
    // Light captions under each picture, none under the empty cell.
    EXPECT_GT(brightPixels(sheet, 10, 160, 210, 178), 20);
    EXPECT_GT(brightPixels(sheet, 220, 160, 420, 178), 20);
    EXPECT_GT(brightPixels(sheet, 10, 338, 210, 356), 20);
    EXPECT_EQ(brightPixels(sheet, 220, 338, 420, 356), 0);
}

TEST(ContactSheet, FitsFramesOfAnotherShapeInsideTheirCell)
{
    TempFolder folder;
    const Colour grey { 128, 128, 128 }, yellow { 230, 210, 40 };
    orvessa::Frame sheet = orvessa::makeContactSheet({ { 0, writeFrame(folder, "a.png", grey) }, { 1, writeFrame(folder, "b.png", yellow, 300, 300) } }, 5);
    EXPECT_EQ(sheet.width(), 10 + 2 * 210) << "no more columns than frames";
    // The square frame is 150 x 150 in the middle of its 200 x 150 cell.
    EXPECT_LE(difference(pixelAt(sheet, 320, 85), yellow), 2);
    EXPECT_LE(difference(pixelAt(sheet, 246, 85), yellow), 2);
    EXPECT_GT(difference(pixelAt(sheet, 243, 85), yellow), 100);
}

TEST(ContactSheet, RefusesWhatItCannotLayOut)
{
    TempFolder folder;
    auto frame = writeFrame(folder, "a.png", { 1, 2, 3 });
    EXPECT_THROW(orvessa::makeContactSheet({}, 3), std::invalid_argument);
    EXPECT_THROW(orvessa::makeContactSheet({ { 0, frame } }, 0), std::invalid_argument);
    std::vector<std::pair<double, std::filesystem::path>> many(400, { 0.0, frame });
    EXPECT_THROW(orvessa::makeContactSheet(many, 1), std::invalid_argument);
}

TEST(ContactSheet, UnreadableFrameNamesItsFile)
{
    TempFolder folder;
    auto good = writeFrame(folder, "a.png", { 1, 2, 3 });
    auto bad = folder.write("b.png", std::string("not a picture"));
    for (const auto& path : { bad, folder.path() / "missing.png" }) {
        try {
            orvessa::makeContactSheet({ { 0, good }, { 1, path } }, 2);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
        }
    }
}

}
