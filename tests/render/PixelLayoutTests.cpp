#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <climits>
#include <vector>

// The toolkit lays out decoded pixels without cairo; the renderer hands them to cairo as they are.

namespace {

int cairoStride(int width)
{
    return cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
}

TEST(PixelLayout, RowStrideIsCairosForEveryWidth)
{
    // The widest picture cairo takes, found by bisection rather than written down.
    int accepted = 0;
    int refused = INT_MAX;
    ASSERT_GE(cairoStride(accepted), 0);
    ASSERT_LT(cairoStride(refused), 0);
    while (refused - accepted > 1) {
        int middle = accepted + (refused - accepted) / 2;
        (cairoStride(middle) >= 0 ? accepted : refused) = middle;
    }

    std::vector<int> widths { -1, -4, INT_MIN, accepted - 1, accepted, refused, refused + 1, INT_MAX };
    for (int width = 0; width <= 4100; ++width)
        widths.push_back(width);
    for (int width : widths)
        EXPECT_EQ(pixelRowStride(width), cairoStride(width)) << "width " << width;
}

}
