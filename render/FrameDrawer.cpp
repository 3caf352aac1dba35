#include "render/FrameDrawer.h"

#include "platform/Image.h"
#include "render/Backdrop.h"
#include "render/DrawingGeometry.h"
#include "render/Glyphs.h"

#include <algorithm>

namespace orvessa {

namespace {

// A kept picture is at most this many pixels; beyond that only the part in sight is kept.
constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;

CGRect boundsOf(const ViewRecord& record)
{
    return { CGPointZero, record.frame.size };
}

}

FrameDrawer::FrameDrawer(cairo_t* cr, cairo_surface_t* target, float scale, PictureCache& pictures, std::uint64_t frameNumber)
    : m_cr(cr)
    , m_target(target)
    , m_scale(scale)
    , m_pictures(pictures)
    , m_frameNumber(frameNumber)
{
}

void FrameDrawer::keepPixelsBefore(std::size_t index, cairo_surface_t* into)
{
    m_keepBefore = index;
    m_keepInto = into;
}

void FrameDrawer::drawViews(const std::vector<ViewRecord>& records)
{
    for (std::size_t index = 0; index < records.size();)
        index = drawView(records, index);
    keepPixelsIfDue(records.size());
}

void FrameDrawer::keepPixelsIfDue(std::size_t index)
{
    if (m_keepBefore && *m_keepBefore == index) {
        copyPixels(m_target, m_keepInto);
        m_keepBefore.reset();
    }
}

std::size_t FrameDrawer::drawView(const std::vector<ViewRecord>& records, std::size_t index)
{
    const ViewRecord& record = records[index];
    keepPixelsIfDue(index);
    bool drawSelf = index >= m_skip;

    cairo_t* cr = m_cr;
    CGRect bounds = boundsOf(record);
    std::optional<CornerMask> outerMask = m_mask;

    cairo_save(cr);
    cairo_translate(cr, record.frame.origin.x, record.frame.origin.y);
    if (record.masksToBounds) {
        auto mask = record.cornerRadius > 0 ? cornerMask(cr, bounds, record.cornerRadius) : std::nullopt;
        if (mask) {
            // Only one mask is kept aside; an outer one becomes a real clip.
            if (m_mask)
                clipToMask(cr, *m_mask);
            cairo_rectangle(cr, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
            cairo_clip(cr);
            m_mask = mask;
        } else {
            roundedRectangle(cr, bounds, record.cornerRadius);
            cairo_clip(cr);
        }
    }
    bool group = drawsAsGroup(record);
    if (group) {
        if (m_mask) {
            clipToMask(cr, *m_mask);
            m_mask.reset();
        }
        if (record.groupClip) {
            const CGRect& clip = *record.groupClip;
            cairo_rectangle(cr, clip.origin.x, clip.origin.y, clip.size.width, clip.size.height);
            cairo_clip(cr);
        }
        cairo_push_group(cr);
    }
    if (drawSelf) {
        float alpha = group ? 1.0f : record.alpha;
        drawBackground(record, alpha);
        std::visit([&](const auto& content) { drawContent(record, content, alpha); }, record.content);
    }
    std::size_t next = index + 1;
    while (next < records.size() && records[next].depth > record.depth)
        next = drawView(records, next);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, record.alpha);
    }
    cairo_restore(cr);
    m_mask = outerMask;
    return next;
}

void FrameDrawer::drawBackground(const ViewRecord& record, float alpha)
{
    // cornerRadius rounds the background colour even where the layer does not mask.
    if (!record.background || !(record.background->alpha > 0))
        return;
    cairo_t* cr = m_cr;
    drawMasked(cr, m_mask, [&] {
        roundedRectangle(cr, boundsOf(record), record.cornerRadius);
        setColour(cr, *record.background, alpha);
        cairo_fill(cr);
    });
}

void FrameDrawer::drawContent(const ViewRecord& record, const ImageContent& content, float alpha)
{
    if (auto image = content.image.lock())
        drawImage(image, boundsOf(record), content.contentMode, record.masksToBounds, alpha);
}

void FrameDrawer::drawContent(const ViewRecord& record, const ButtonContent& button, float alpha)
{
    cairo_t* cr = m_cr;
    switch (button.type) {
    case UIButtonTypeInfoLight:
    case UIButtonTypeInfoDark: {
        double shade = button.type == UIButtonTypeInfoLight ? 1.0 : 0.25;
        drawMasked(cr, m_mask, [&] {
            cairo_set_source_rgba(cr, shade, shade, shade, (button.highlighted ? 0.6 : 1.0) * alpha);
            infoGlyph(cr, boundsOf(record));
        });
        break;
    }
    case UIButtonTypeCustom:
        if (auto image = button.image.lock())
            drawImage(image, boundsOf(record), UIViewContentModeScaleToFill, record.masksToBounds, alpha);
        break;
    }
}

void FrameDrawer::drawContent(const ViewRecord& record, const ToolbarContent& toolbar, float alpha)
{
    cairo_t* cr = m_cr;
    CGRect bounds = boundsOf(record);
    double w = bounds.size.width;
    double h = bounds.size.height;
    double opacity = (toolbar.translucent ? 0.8 : 1.0) * alpha;
    bool black = toolbar.style == UIBarStyleBlack;
    // Black bars are near-black with a faint sheen; default bars the platform's blue-grey.
    const double top[3] = { black ? 0.14 : 0.69, black ? 0.14 : 0.74, black ? 0.15 : 0.80 };
    const double middle[3] = { black ? 0.05 : 0.52, black ? 0.05 : 0.59, black ? 0.06 : 0.68 };
    const double bottom[3] = { black ? 0.0 : 0.43, black ? 0.0 : 0.51, black ? 0.0 : 0.61 };
    double highlight = black ? 0.22 : 0.5;

    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgba(gradient, 0, top[0], top[1], top[2], opacity);
    cairo_pattern_add_color_stop_rgba(gradient, 0.5, middle[0], middle[1], middle[2], opacity);
    cairo_pattern_add_color_stop_rgba(gradient, 1, bottom[0], bottom[1], bottom[2], opacity);
    drawMasked(cr, m_mask, [&] {
        cairo_set_source(cr, gradient);
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_fill(cr);
        // One device pixel of light along the top edge.
        cairo_set_source_rgba(cr, 1, 1, 1, highlight * alpha);
        cairo_rectangle(cr, 0, 0, w, 1.0 / m_scale);
        cairo_fill(cr);
    });
    cairo_pattern_destroy(gradient);
}

void FrameDrawer::drawContent(const ViewRecord& record, const BarItemContent& button, float alpha)
{
    if (!button.item || *button.item == UIBarButtonSystemItemFlexibleSpace)
        return;
    cairo_t* cr = m_cr;
    CGRect bounds = boundsOf(record);
    CGPoint centre { bounds.size.width / 2, bounds.size.height / 2 };
    drawMasked(cr, m_mask, [&] {
        // An embossed look: a dark copy a point above, then the glyph in white.
        cairo_set_source_rgba(cr, 0, 0, 0, 0.5 * alpha);
        barItemGlyph(cr, *button.item, { centre.x, centre.y - 1 });
        cairo_set_source_rgba(cr, 1, 1, 1, (button.highlighted ? 0.6 : 1.0) * alpha);
        barItemGlyph(cr, *button.item, centre);
    });
}

void FrameDrawer::drawImage(const std::shared_ptr<const UIImage>& image, CGRect bounds, int contentMode, bool clipped, float alpha)
{
    CGSize size = image->size();
    if (!(size.width > 0 && size.height > 0) || !(bounds.size.width > 0 && bounds.size.height > 0))
        return;
    cairo_t* cr = m_cr;
    PixelRect drawn = drawnImagePixels(size, bounds, contentMode, devicePlacement(cr));
    if (drawn.width <= 0 || drawn.height <= 0)
        return;

    PictureCache::Key key { image, drawn.width, drawn.height, m_scale, 0, 0, drawn.width, drawn.height };
    // Only the part inside the view is kept for a picture that overflows a clipping view, and only
    // the part that can be seen at all for one too large to keep whole.
    auto cropTo = [&](PixelRect area) {
        int left = std::max(drawn.x + key.cropX, area.x), top = std::max(drawn.y + key.cropY, area.y);
        int right = std::min(drawn.x + key.cropX + key.cropWidth, area.x + area.width);
        int bottom = std::min(drawn.y + key.cropY + key.cropHeight, area.y + area.height);
        key.cropX = left - drawn.x;
        key.cropY = top - drawn.y;
        key.cropWidth = std::max(0, right - left);
        key.cropHeight = std::max(0, bottom - top);
    };
    if (clipped)
        cropTo(devicePixels(cr, bounds));
    if (1LL * key.cropWidth * key.cropHeight > kMaxPicturePixels) {
        double x0, y0, x1, y1;
        cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
        cropTo(devicePixels(cr, CGRectMake(float(x0), float(y0), float(x1 - x0), float(y1 - y0))));
    }
    if (key.cropWidth <= 0 || key.cropHeight <= 0 || 1LL * key.cropWidth * key.cropHeight > kMaxPicturePixels)
        return;

    cairo_surface_t* pixels = m_pictures.picture(*image, key, m_frameNumber);
    if (!pixels)
        return;
    drawMasked(cr, m_mask, [&] {
        cairo_save(cr);
        // A whole-pixel copy: the picture was resampled to this size when it was made.
        cairo_identity_matrix(cr);
        cairo_set_source_surface(cr, pixels, drawn.x + key.cropX, drawn.y + key.cropY);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_rectangle(cr, drawn.x + key.cropX, drawn.y + key.cropY, key.cropWidth, key.cropHeight);
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, alpha);
        cairo_restore(cr);
    });
}

}
