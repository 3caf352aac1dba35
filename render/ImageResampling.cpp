#include "render/ImageResampling.h"

#include "platform/Image.h"
#include "render/CairoPointers.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvessa {

void paintStretched(cairo_t* cr, cairo_surface_t* source, int sourceWidth, int sourceHeight, PixelRect to)
{
    if (to.width <= 0 || to.height <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, double(sourceWidth) / to.width, double(sourceHeight) / to.height);
    cairo_matrix_translate(&matrix, -to.x, -to.y);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    // Photos arrive already reduced by the decoder to less than twice the drawn size, where
    // bilinear sampling still reads every source pixel's neighbourhood and costs a third of
    // cairo's area filter; anything shrunk further gets the area filter.
    bool strongShrink = sourceWidth > 2 * to.width || sourceHeight > 2 * to.height;
    cairo_pattern_set_filter(pattern, strongShrink ? CAIRO_FILTER_GOOD : CAIRO_FILTER_BILINEAR);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, to.x, to.y, to.width, to.height);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

void paintNineSlices(cairo_t* cr, cairo_surface_t* source, const DecodedImage& pixels, const UIImage& image, int width, int height, float scale)
{
    CGSize points = image.size();
    double perPointX = pixels.width / double(points.width);
    double perPointY = pixels.height / double(points.height);
    double left = std::clamp(double(image.leftCapWidth()), 0.0, double(points.width));
    double top = std::clamp(double(image.topCapHeight()), 0.0, double(points.height));
    double right = std::max(0.0, double(points.width) - left - 1);
    double bottom = std::max(0.0, double(points.height) - top - 1);

    auto cuts = [](double first, double middle, double whole) {
        int a = int(std::clamp(std::lround(first), 0L, long(whole)));
        int b = int(std::clamp(std::lround(first + middle), long(a), long(whole)));
        return std::array<int, 4> { 0, a, b, int(whole) };
    };
    std::array<int, 4> sourceX = cuts(left * perPointX, perPointX, pixels.width);
    std::array<int, 4> sourceY = cuts(top * perPointY, perPointY, pixels.height);

    // Caps that do not fit the target share it in proportion.
    auto targetCuts = [scale](double first, double last, int whole) {
        long a = std::lround(first * scale);
        long c = std::lround(last * scale);
        if (a + c > whole) {
            a = a + c > 0 ? long(std::floor(double(whole) * double(a) / double(a + c))) : 0;
            c = whole - a;
        }
        return std::array<int, 4> { 0, int(a), int(whole - c), whole };
    };
    std::array<int, 4> targetX = targetCuts(left, right, width);
    std::array<int, 4> targetY = targetCuts(top, bottom, height);

    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            int sw = sourceX[column + 1] - sourceX[column];
            int sh = sourceY[row + 1] - sourceY[row];
            PixelRect to { targetX[column], targetY[row], targetX[column + 1] - targetX[column], targetY[row + 1] - targetY[row] };
            if (sw <= 0 || sh <= 0 || to.width <= 0 || to.height <= 0)
                continue;
            // A slice of its own, so stretching never samples its neighbours.
            SurfacePointer slice(cairo_surface_create_for_rectangle(source, sourceX[column], sourceY[row], sw, sh));
            SurfacePointer copy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sw, sh));
            ContextPointer copier(cairo_create(copy.get()));
            cairo_set_operator(copier.get(), CAIRO_OPERATOR_SOURCE);
            cairo_set_source_surface(copier.get(), slice.get(), 0, 0);
            cairo_paint(copier.get());
            copier.reset();
            paintStretched(cr, copy.get(), sw, sh, to);
        }
    }
}

}
