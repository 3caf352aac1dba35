#include "render/ContactSheet.h"

#include "render/CairoPointers.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

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

void checkDrawing(cairo_t* cr, const char* what)
{
    cairo_status_t status = cairo_status(cr);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot draw ") + what + ": " + cairo_status_to_string(status));
}

}

ContactSheet::ContactSheet(int columns)
    : m_columns(columns)
{
    if (columns < 1)
        throw std::invalid_argument("a contact sheet needs at least one column");
}

void ContactSheet::add(double time, const Frame& frame)
{
    if (!frame.surface() || frame.width() <= 0 || frame.height() <= 0)
        throw std::invalid_argument("an empty frame cannot go on a contact sheet");
    if (m_thumbnails.empty()) {
        m_thumbnailHeight = std::max(1, int(std::lround(double(kThumbnailWidth) * frame.height() / frame.width())));
        m_thumbnailHeight = std::min(m_thumbnailHeight, 4 * kThumbnailWidth);
    }
    // The frame fitted inside the cell and centred, on a dark mat, so a frame that does not fill
    // its cell still reads as one.
    double fit = std::min(double(kThumbnailWidth) / frame.width(), double(m_thumbnailHeight) / frame.height());
    int drawnWidth = std::max(1, int(std::lround(frame.width() * fit)));
    int drawnHeight = std::max(1, int(std::lround(frame.height() * fit)));
    Frame thumbnail(kThumbnailWidth, m_thumbnailHeight);
    ContextPointer context(cairo_create(thumbnail.surface()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.02, 0.02, 0.02);
    cairo_paint(cr);
    // Centred on whole pixels.
    int insetX = (kThumbnailWidth - drawnWidth) / 2;
    int insetY = (m_thumbnailHeight - drawnHeight) / 2;
    auto left = double(insetX);
    auto top = double(insetY);
    cairo_rectangle(cr, left, top, drawnWidth, drawnHeight);
    cairo_clip(cr);
    cairo_translate(cr, left, top);
    cairo_scale(cr, double(drawnWidth) / frame.width(), double(drawnHeight) / frame.height());
    cairo_set_source_surface(cr, frame.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    checkDrawing(cr, "a contact sheet's thumbnail");
    context.reset();
    cairo_surface_flush(thumbnail.surface());
    m_thumbnails.emplace_back(time, std::move(thumbnail));
}

Frame ContactSheet::render() const
{
    if (m_thumbnails.empty())
        throw std::invalid_argument("a contact sheet needs at least one frame");
    long long count = static_cast<long long>(m_thumbnails.size());
    long long across = std::min<long long>(m_columns, count);
    long long rows = (count + across - 1) / across;
    long long cellWidth = kThumbnailWidth + kMargin;
    long long cellHeight = m_thumbnailHeight + kLabelHeight + kMargin;
    long long sheetWidth = kMargin + across * cellWidth;
    long long sheetHeight = kMargin + rows * cellHeight;
    if (sheetWidth > kMaxSide || sheetHeight > kMaxSide)
        throw std::invalid_argument("a contact sheet of " + std::to_string(count) + " frames in " + std::to_string(across)
            + " columns is too large for one picture; use more columns or fewer frames");

    Frame sheet { static_cast<int>(sheetWidth), static_cast<int>(sheetHeight) };
    ContextPointer context(cairo_create(sheet.surface()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.11, 0.11, 0.12);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    for (std::size_t i = 0; i < m_thumbnails.size(); ++i) {
        long long column = static_cast<long long>(i) % across;
        long long row = static_cast<long long>(i) / across;
        double x = double(kMargin + column * cellWidth);
        double y = double(kMargin + row * cellHeight);
        const auto& [time, thumbnail] = m_thumbnails[i];
        cairo_set_source_surface(cr, thumbnail.surface(), x, y);
        cairo_paint(cr);

        std::string label = timeLabel(time);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, label.c_str(), &extents);
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        cairo_move_to(cr, x + (kThumbnailWidth - extents.x_advance) / 2, y + m_thumbnailHeight + 13);
        cairo_show_text(cr, label.c_str());
    }
    checkDrawing(cr, "the contact sheet");
    context.reset();
    cairo_surface_flush(sheet.surface());
    return sheet;
}

}
