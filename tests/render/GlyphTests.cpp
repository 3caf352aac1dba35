#include "render/Glyphs.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <functional>

// Each glyph filled in white on a transparent 40 x 40 point canvas at 4 pixels per point, centred at
// (20, 20), and read back by coverage.

namespace {

class GlyphCanvas {
public:
    explicit GlyphCanvas(const std::function<void(cairo_t*)>& draw)
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 160, 160))
    {
        cairo_t* cr = cairo_create(m_surface);
        cairo_scale(cr, 4, 4);
        cairo_set_source_rgb(cr, 1, 1, 1);
        draw(cr);
        cairo_destroy(cr);
        cairo_surface_flush(m_surface);
    }
    ~GlyphCanvas() { cairo_surface_destroy(m_surface); }
    GlyphCanvas(const GlyphCanvas&) = delete;
    GlyphCanvas& operator=(const GlyphCanvas&) = delete;

    // Coverage from 0 to 255 at a point of the canvas.
    int coverage(double x, double y) const
    {
        int px = int(x * 4), py = int(y * 4);
        std::uint32_t word;
        std::memcpy(&word, cairo_image_surface_get_data(m_surface) + py * cairo_image_surface_get_stride(m_surface) + px * 4, sizeof word);
        return int(word >> 24);
    }
    bool filled(double x, double y) const { return coverage(x, y) > 200; }
    bool empty(double x, double y) const { return coverage(x, y) < 30; }

    // The extent of the covered pixels, in points.
    double width() const { return extent(true); }
    double height() const { return extent(false); }

private:
    double extent(bool across) const
    {
        int low = 160, high = -1;
        for (int y = 0; y < 160; ++y) {
            for (int x = 0; x < 160; ++x) {
                if (coverage(x / 4.0, y / 4.0) > 127) {
                    int v = across ? x : y;
                    low = std::min(low, v);
                    high = std::max(high, v);
                }
            }
        }
        return high < low ? 0 : (high - low + 1) / 4.0;
    }

    cairo_surface_t* m_surface;
};

GlyphCanvas barGlyph(UIBarButtonSystemItem item)
{
    return GlyphCanvas([item](cairo_t* cr) { orvessa::barItemGlyph(cr, item, { 20, 20 }); });
}

TEST(Glyphs, BarGlyphsAreAboutTwentyPointsWideAndCentred)
{
    for (auto item : { UIBarButtonSystemItemPlay, UIBarButtonSystemItemPause, UIBarButtonSystemItemRewind, UIBarButtonSystemItemFastForward }) {
        GlyphCanvas glyph = barGlyph(item);
        EXPECT_GE(glyph.width(), 13) << systemItemName(item);
        EXPECT_LE(glyph.width(), 21) << systemItemName(item);
        EXPECT_GE(glyph.height(), 12) << systemItemName(item);
        EXPECT_LE(glyph.height(), 18) << systemItemName(item);
        EXPECT_TRUE(glyph.empty(2, 20) && glyph.empty(38, 20) && glyph.empty(20, 4) && glyph.empty(20, 36)) << systemItemName(item);
    }
}

TEST(Glyphs, PlayPointsRight)
{
    GlyphCanvas play = barGlyph(UIBarButtonSystemItemPlay);
    // Tall at its flat left side, a point at its right.
    EXPECT_TRUE(play.filled(15, 13) && play.filled(15, 27));
    EXPECT_TRUE(play.filled(26, 20));
    EXPECT_TRUE(play.empty(26, 16) && play.empty(26, 24));
    EXPECT_TRUE(play.empty(12, 20));
}

TEST(Glyphs, PauseIsTwoBarsWithAGap)
{
    GlyphCanvas pause = barGlyph(UIBarButtonSystemItemPause);
    EXPECT_TRUE(pause.filled(15, 20) && pause.filled(25, 20));
    EXPECT_TRUE(pause.filled(15, 13) && pause.filled(25, 27));
    EXPECT_TRUE(pause.empty(20, 20));
}

TEST(Glyphs, RewindAndFastForwardAreMirrorImages)
{
    GlyphCanvas rewind = barGlyph(UIBarButtonSystemItemRewind);
    GlyphCanvas forward = barGlyph(UIBarButtonSystemItemFastForward);
    // Two triangles each: rewind's flat sides at 20 and 30, pointing left; fast forward's at 10 and 20.
    EXPECT_TRUE(rewind.filled(19, 15) && rewind.filled(29, 15));
    EXPECT_TRUE(rewind.empty(21, 15) && rewind.empty(11, 15));
    EXPECT_TRUE(forward.filled(21, 15) && forward.filled(11, 15));
    EXPECT_TRUE(forward.empty(19, 15) && forward.empty(29, 15));
    for (double y : { 14.0, 18.0, 20.0, 23.0 }) {
        for (double x = 10.6; x < 30; x += 1.5)
            EXPECT_NEAR(rewind.coverage(x, y), forward.coverage(40 - x, y), 12) << x << ", " << y;
    }
}

TEST(Glyphs, SpacesHaveNoGlyph)
{
    bool drawn = true;
    GlyphCanvas space([&](cairo_t* cr) { drawn = orvessa::barItemGlyph(cr, UIBarButtonSystemItemFlexibleSpace, { 20, 20 }); });
    EXPECT_FALSE(drawn);
    EXPECT_EQ(space.width(), 0);
}

TEST(Glyphs, InfoGlyphFitsItsBox)
{
    GlyphCanvas small([](cairo_t* cr) { orvessa::infoGlyph(cr, CGRectMake(11, 10.5, 18, 19)); });
    GlyphCanvas large([](cairo_t* cr) { orvessa::infoGlyph(cr, CGRectMake(4, 4, 32, 32)); });
    // A ring as wide as the box's smaller side, less a little margin.
    EXPECT_NEAR(small.width(), 18 * 14.4 / 16, 0.6);
    EXPECT_NEAR(small.height(), small.width(), 0.3);
    EXPECT_NEAR(large.width(), 32 * 14.4 / 16, 0.6);
    EXPECT_TRUE(large.filled(20, 20 + 2) && large.filled(20, 20 - 6.2));
    EXPECT_TRUE(large.empty(20, 20 - 10) && large.empty(20 + 6, 20));
}

}
