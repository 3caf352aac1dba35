#include "render/ContactSheet.h"

#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

constexpr int kThumbnailWidth = 200;
constexpr int kMargin = 10;
constexpr int kLabelHeight = 18;
// cairo's largest image side.
constexpr int kMaxSide = 32767;

std::string timeLabel(double seconds)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

std::runtime_error unreadable(const std::filesystem::path& path)
{
    return std::runtime_error("cannot read frame " + path.string());
}

// The frame shrunk to fit the cell's picture area, centred in it.
void drawThumbnail(cairo_t* cr, const std::filesystem::path& path, double x, double y, int width, int height)
{
    auto header = readImageHeader(path);
    if (!header || header->orientedWidth() <= 0 || header->orientedHeight() <= 0)
        throw unreadable(path);
    double fit = std::min(double(width) / header->orientedWidth(), double(height) / header->orientedHeight());
    int drawnWidth = std::max(1, int(std::lround(header->orientedWidth() * fit)));
    int drawnHeight = std::max(1, int(std::lround(header->orientedHeight() * fit)));
    auto pixels = decodeImage(path, drawnWidth, drawnHeight);
    if (!pixels || pixels->width <= 0 || pixels->height <= 0)
        throw unreadable(path);

    cairo_surface_t* source = cairo_image_surface_create_for_data(pixels->pixels.data(), CAIRO_FORMAT_ARGB32, pixels->width, pixels->height, pixels->stride);
    // Centred on whole pixels.
    int insetX = (width - drawnWidth) / 2;
    int insetY = (height - drawnHeight) / 2;
    double left = x + insetX;
    double top = y + insetY;
    cairo_save(cr);
    cairo_rectangle(cr, left, top, drawnWidth, drawnHeight);
    cairo_clip(cr);
    cairo_translate(cr, left, top);
    cairo_scale(cr, double(drawnWidth) / pixels->width, double(drawnHeight) / pixels->height);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_finish(source);
    cairo_surface_destroy(source);
}

}

Frame makeContactSheet(const std::vector<std::pair<double, std::filesystem::path>>& frames, int columns)
{
    if (frames.empty())
        throw std::invalid_argument("a contact sheet needs at least one frame");
    if (columns < 1)
        throw std::invalid_argument("a contact sheet needs at least one column");

    // Every cell takes the shape of the first frame; others are fitted inside it.
    auto first = readImageHeader(frames.front().second);
    if (!first || first->orientedWidth() <= 0 || first->orientedHeight() <= 0)
        throw unreadable(frames.front().second);
    int thumbnailHeight = std::max(1, int(std::lround(double(kThumbnailWidth) * first->orientedHeight() / first->orientedWidth())));
    thumbnailHeight = std::min(thumbnailHeight, 4 * kThumbnailWidth);

    long long count = static_cast<long long>(frames.size());
    long long across = std::min<long long>(columns, count);
    long long rows = (count + across - 1) / across;
    long long cellWidth = kThumbnailWidth + kMargin;
    long long cellHeight = thumbnailHeight + kLabelHeight + kMargin;
    long long sheetWidth = kMargin + across * cellWidth;
    long long sheetHeight = kMargin + rows * cellHeight;
    if (sheetWidth > kMaxSide || sheetHeight > kMaxSide)
        throw std::invalid_argument("a contact sheet of " + std::to_string(count) + " frames in " + std::to_string(across)
            + " columns is too large for one picture; use more columns or fewer frames");

    Frame sheet { static_cast<int>(sheetWidth), static_cast<int>(sheetHeight) };
    cairo_t* cr = cairo_create(sheet.surface());
    cairo_set_source_rgb(cr, 0.11, 0.11, 0.12);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);

    try {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            long long column = static_cast<long long>(i) % across;
            long long row = static_cast<long long>(i) / across;
            double x = double(kMargin + column * cellWidth);
            double y = double(kMargin + row * cellHeight);
            // A dark mat, so a frame that does not fill its cell still reads as one.
            cairo_set_source_rgb(cr, 0.02, 0.02, 0.02);
            cairo_rectangle(cr, x, y, kThumbnailWidth, thumbnailHeight);
            cairo_fill(cr);
            drawThumbnail(cr, frames[i].second, x, y, kThumbnailWidth, thumbnailHeight);

            std::string label = timeLabel(frames[i].first);
            cairo_text_extents_t extents;
            cairo_text_extents(cr, label.c_str(), &extents);
            cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
            cairo_move_to(cr, x + (kThumbnailWidth - extents.x_advance) / 2, y + thumbnailHeight + 13);
            cairo_show_text(cr, label.c_str());
        }
    } catch (...) {
        cairo_destroy(cr);
        throw;
    }
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot draw the contact sheet: ") + cairo_status_to_string(status));
    cairo_surface_flush(sheet.surface());
    return sheet;
}

}
