#include "render/PixelChecks.h"

#include "render/ContactSheet.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <stdexcept>

namespace {

using namespace render_checks;

// A 640 x 480 frame in one colour.
orvessa::Frame solidFrame(Colour colour, int width = 640, int height = 480)
{
    orvessa::Frame frame(width, height);
    cairo_t* cr = cairo_create(frame.surface());
    cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return frame;
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
    const Colour red { 220, 30, 30 }, green { 30, 200, 60 }, blue { 40, 40, 210 };
    orvessa::ContactSheet contactSheet(2);
    contactSheet.add(0.0, solidFrame(red));
    contactSheet.add(0.5, solidFrame(green));
    contactSheet.add(1.25, solidFrame(blue));
    orvessa::Frame sheet = contactSheet.render();

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
    const Colour grey { 128, 128, 128 }, yellow { 230, 210, 40 };
    orvessa::ContactSheet contactSheet(5);
    contactSheet.add(0, solidFrame(grey));
    contactSheet.add(1, solidFrame(yellow, 300, 300));
    orvessa::Frame sheet = contactSheet.render();
    EXPECT_EQ(sheet.width(), 10 + 2 * 210) << "no more columns than frames";
    // The square frame is 150 x 150 in the middle of its 200 x 150 cell.
    EXPECT_LE(difference(pixelAt(sheet, 320, 85), yellow), 2);
    EXPECT_LE(difference(pixelAt(sheet, 246, 85), yellow), 2);
    EXPECT_GT(difference(pixelAt(sheet, 243, 85), yellow), 100);
}

TEST(ContactSheet, RefusesWhatItCannotLayOut)
{
    EXPECT_THROW(orvessa::ContactSheet(0), std::invalid_argument);
    orvessa::ContactSheet empty(3);
    EXPECT_THROW(empty.render(), std::invalid_argument);
    orvessa::Frame gone(4, 4);
    orvessa::Frame taken(std::move(gone));
    EXPECT_THROW(empty.add(0, gone), std::invalid_argument); // NOLINT(bugprone-use-after-move): the moved-from state is the point.
    orvessa::ContactSheet tall(1);
    orvessa::Frame frame = solidFrame({ 1, 2, 3 }, 64, 48);
    for (int i = 0; i < 200; ++i)
        tall.add(i, frame);
    EXPECT_THROW(tall.render(), std::invalid_argument);
}

}
