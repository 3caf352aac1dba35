#include "render/Renderer.h"

#include "platform/Application.h"
#include "platform/Control.h"
#include "platform/Image.h"
#include "platform/ImageView.h"
#include "platform/Toolbar.h"
#include "platform/Utf8.h"
#include "platform/View.h"
#include "render/AlertLayout.h"
#include "render/Glyphs.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>

namespace orvessa {

namespace {

constexpr float kMaxScale = 8;
// Alpha below this draws nothing; a view fading in or out is skipped at its very ends.
constexpr float kInvisibleAlpha = 0.001f;
// A kept picture is at most this many pixels; beyond that only the part in sight is kept.
constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePointer = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using ContextPointer = std::unique_ptr<cairo_t, ContextDeleter>;

float clampedAlpha(float alpha)
{
    return std::isfinite(alpha) ? std::clamp(alpha, 0.0f, 1.0f) : 0.0f;
}

void roundedRectangle(cairo_t* cr, CGRect rect, double radius)
{
    double x = rect.origin.x;
    double y = rect.origin.y;
    double w = rect.size.width;
    double h = rect.size.height;
    radius = std::min({ radius, w / 2, h / 2 });
    if (!(radius > 0)) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    constexpr double quarter = std::numbers::pi / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -quarter, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, quarter);
    cairo_arc(cr, x + radius, y + h - radius, radius, quarter, 2 * quarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(cr);
}

void setColour(cairo_t* cr, const UIColor& colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha * alpha);
}

// A rectangle in user space as whole device pixels, edges rounded to the nearest pixel boundary.
struct PixelRect {
    int x { 0 };
    int y { 0 };
    int width { 0 };
    int height { 0 };
};

PixelRect devicePixels(cairo_t* cr, CGRect rect)
{
    double x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    auto pixel = [](double v) { return int(std::lround(std::clamp(v, -1e8, 1e8))); };
    int left = pixel(std::min(x0, x1)), right = pixel(std::max(x0, x1));
    int top = pixel(std::min(y0, y1)), bottom = pixel(std::max(y0, y1));
    return { left, top, right - left, bottom - top };
}

// Where an image of `size` lands in `bounds` by the content mode.
CGRect drawnRect(CGSize size, CGRect bounds, int contentMode)
{
    float scaleX = bounds.size.width / size.width;
    float scaleY = bounds.size.height / size.height;
    auto centred = [&](float width, float height) {
        return CGRectMake(bounds.origin.x + (bounds.size.width - width) / 2, bounds.origin.y + (bounds.size.height - height) / 2, width, height);
    };
    switch (contentMode) {
    case UIViewContentModeScaleAspectFit: {
        float s = std::min(scaleX, scaleY);
        return centred(size.width * s, size.height * s);
    }
    case UIViewContentModeScaleAspectFill: {
        float s = std::max(scaleX, scaleY);
        return centred(size.width * s, size.height * s);
    }
    case UIViewContentModeCenter:
        return centred(size.width, size.height);
    default:
        return bounds;
    }
}

bool isOpaque(const DecodedImage& pixels)
{
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint8_t* row = pixels.pixels.data() + std::size_t(y) * std::size_t(pixels.stride);
        for (int x = 0; x < pixels.width; ++x) {
            std::uint32_t word;
            std::memcpy(&word, row + std::size_t(x) * 4, sizeof word);
            if ((word >> 24) != 0xff)
                return false;
        }
    }
    return true;
}

bool isWellFormed(const DecodedImage& pixels)
{
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.stride % 4 != 0)
        return false;
    if (pixels.stride < cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width))
        return false;
    return pixels.pixels.size() >= std::size_t(pixels.stride) * std::size_t(pixels.height);
}

// Paints `source` (a whole surface) into the device rectangle `to`, stretched, with edge pixels
// repeated rather than faded, so neighbouring slices meet without seams.
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

// The image's pixels spread over a `width` x `height` picture in nine slices: corners kept at their
// size in points, edges stretched along themselves, the single middle column and row filling the rest.
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

// The extent of a view and its visible subviews in the view's own coordinates, for sizing a group;
// nothing when content may spill out without limit (images that overflow a view that does not clip).
std::optional<CGRect> subtreeExtent(const UIView& view)
{
    CGRect extent = view.bounds();
    if (view.clipsToBounds())
        return extent;
    if (auto* imageView = dynamic_cast<const UIImageView*>(&view)) {
        int mode = imageView->contentMode();
        if (imageView->image() && (mode == UIViewContentModeScaleAspectFill || mode == UIViewContentModeCenter))
            return std::nullopt;
    }
    for (const auto& subview : view.subviews()) {
        if (!subview || subview->isHidden())
            continue;
        auto inner = subtreeExtent(*subview);
        if (!inner)
            return std::nullopt;
        CGPoint origin = subview->frame().origin;
        float minX = std::min(extent.minX(), inner->minX() + origin.x);
        float minY = std::min(extent.minY(), inner->minY() + origin.y);
        float maxX = std::max(extent.maxX(), inner->maxX() + origin.x);
        float maxY = std::max(extent.maxY(), inner->maxY() + origin.y);
        extent = CGRectMake(minX, minY, maxX - minX, maxY - minY);
    }
    return extent;
}

// MARK: - Rounded corners

// A rounded-corner mask whose rectangle lies on whole device pixels. Drawing through it is split into
// three bands clipped to plain rectangles, which cairo composites as fast as an unclipped copy, and
// four corner squares clipped to the curve. Clipping a whole picture to the curve instead would make
// every translucent paint of it go through a coverage mask, at twice the cost.
struct CornerMask {
    double x { 0 };
    double y { 0 };
    double width { 0 };
    double height { 0 };
    double radius { 0 }; // In device pixels.
};

bool isWholePixel(double v)
{
    return std::abs(v - std::round(v)) < 1e-3;
}

// The mask for `bounds` rounded by `radius` points, where the rectangle lies on whole device pixels.
std::optional<CornerMask> cornerMask(cairo_t* cr, CGRect bounds, double radius)
{
    double x0 = bounds.minX(), y0 = bounds.minY(), x1 = bounds.maxX(), y1 = bounds.maxY();
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    if (!isWholePixel(x0) || !isWholePixel(y0) || !isWholePixel(x1) || !isWholePixel(y1) || x1 <= x0 || y1 <= y0)
        return std::nullopt;
    double dx = 1, dy = 0;
    cairo_user_to_device_distance(cr, &dx, &dy);
    CornerMask mask { std::round(x0), std::round(y0), std::round(x1 - x0), std::round(y1 - y0), 0 };
    mask.radius = std::min({ radius * std::hypot(dx, dy), mask.width / 2, mask.height / 2 });
    return mask;
}

// Runs `clip` with device coordinates for the path, then returns to the user space it was in.
template<typename ClipInDevice>
void clipInDevice(cairo_t* cr, ClipInDevice&& clip)
{
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    clip();
    cairo_set_matrix(cr, &matrix);
}

void clipToMask(cairo_t* cr, const CornerMask& mask)
{
    clipInDevice(cr, [&] {
        roundedRectangle(cr, CGRectMake(float(mask.x), float(mask.y), float(mask.width), float(mask.height)), mask.radius);
        cairo_clip(cr);
    });
}

// Draws through the mask, or plainly without one. `draw` runs up to seven times, once per piece.
template<typename Draw>
void drawMasked(cairo_t* cr, const std::optional<CornerMask>& mask, Draw&& draw)
{
    if (!mask || mask->radius <= 0) {
        draw();
        return;
    }
    const CornerMask& m = *mask;
    double r = std::ceil(m.radius - 1e-6);
    if (2 * r > m.width || 2 * r > m.height) {
        // Corner squares would overlap, and translucent drawing would show twice where they do.
        cairo_save(cr);
        clipToMask(cr, m);
        draw();
        cairo_restore(cr);
        return;
    }
    struct Piece {
        double x, y, width, height;
        bool curved;
    };
    const Piece pieces[] = {
        { m.x, m.y + r, m.width, m.height - 2 * r, false },
        { m.x + r, m.y, m.width - 2 * r, r, false },
        { m.x + r, m.y + m.height - r, m.width - 2 * r, r, false },
        { m.x, m.y, r, r, true },
        { m.x + m.width - r, m.y, r, r, true },
        { m.x, m.y + m.height - r, r, r, true },
        { m.x + m.width - r, m.y + m.height - r, r, r, true },
    };
    for (const Piece& piece : pieces) {
        if (piece.width <= 0 || piece.height <= 0)
            continue;
        cairo_save(cr);
        clipInDevice(cr, [&] {
            cairo_rectangle(cr, piece.x, piece.y, piece.width, piece.height);
            cairo_clip(cr);
        });
        if (piece.curved) {
            // A small rounded square with the same corner curve: its other corners fall outside the piece.
            double left = piece.x == m.x ? m.x : m.x + m.width - 2 * r;
            double top = piece.y == m.y ? m.y : m.y + m.height - 2 * r;
            clipInDevice(cr, [&] {
                roundedRectangle(cr, CGRectMake(float(left), float(top), float(2 * r), float(2 * r)), m.radius);
                cairo_clip(cr);
            });
        }
        draw();
        cairo_restore(cr);
    }
}

// MARK: - Text

void selectFont(cairo_t* cr, double size, bool bold)
{
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// The text as cairo will take it: valid UTF-8 (anything else becomes "?"), and no longer than an
// alert can show, so odd text costs neither the frame nor much time.
std::string drawableText(const std::string& text)
{
    constexpr std::size_t kMaxBytes = 1000;
    std::string out;
    std::size_t i = 0;
    while (i < text.size() && out.size() < kMaxBytes) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = utf8SequenceLengthAt(text, i);
        bool valid = length > 0 && (length != 1 || lead >= 0x20 || lead == '\n');
        if (valid) {
            out.append(text, i, length);
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

// Splits a word too wide for a line where it must, between UTF-8 characters.
void breakLongWord(cairo_t* cr, const std::string& word, double width, std::vector<std::string>& lines)
{
    std::string piece;
    for (std::size_t i = 0; i < word.size();) {
        std::size_t next = i + 1;
        while (next < word.size() && (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80)
            ++next;
        std::string candidate = piece + word.substr(i, next - i);
        if (!piece.empty() && textWidth(cr, candidate) > width) {
            lines.push_back(piece);
            piece = word.substr(i, next - i);
        } else {
            piece = std::move(candidate);
        }
        i = next;
    }
    if (!piece.empty())
        lines.push_back(piece);
}

// Greedy word wrap with the current font; line breaks in the text are kept.
std::vector<std::string> wrapText(cairo_t* cr, const std::string& text, double width)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        std::size_t position = 0;
        while (position < paragraph.size()) {
            std::size_t wordEnd = paragraph.find(' ', position);
            std::string word = paragraph.substr(position, wordEnd == std::string::npos ? std::string::npos : wordEnd - position);
            position = wordEnd == std::string::npos ? paragraph.size() : wordEnd + 1;
            if (word.empty())
                continue;
            std::string candidate = line.empty() ? word : line + " " + word;
            if (textWidth(cr, candidate) <= width) {
                line = std::move(candidate);
                continue;
            }
            if (!line.empty())
                lines.push_back(line);
            line.clear();
            if (textWidth(cr, word) <= width) {
                line = word;
            } else {
                breakLongWord(cr, word, width, lines);
                if (!lines.empty() && textWidth(cr, lines.back()) <= width) {
                    line = lines.back();
                    lines.pop_back();
                }
            }
        }
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// Lines centred on centreX from the top `y`, white over a faint shadow above, as the platform's alerts
// letter; returns the y below the last line.
double drawCentredLines(cairo_t* cr, const std::vector<std::string>& lines, double centreX, double y)
{
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    for (const auto& line : lines) {
        double x = centreX - textWidth(cr, line) / 2;
        double baseline = y + font.ascent;
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_move_to(cr, x, baseline - 1);
        cairo_show_text(cr, line.c_str());
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, line.c_str());
        y += font.height;
    }
    return y;
}

double linesHeight(cairo_t* cr, std::size_t count)
{
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    return font.height * double(count);
}

void drawAlert(cairo_t* cr, const UIAlertView& alert, CGSize window)
{
    AlertLayout layout = alertLayout(window, alert.buttonTitles().size());
    cairo_save(cr);

    cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
    cairo_rectangle(cr, layout.dimmedArea.origin.x, layout.dimmedArea.origin.y, layout.dimmedArea.size.width, layout.dimmedArea.size.height);
    cairo_fill(cr);

    // The box: dark blue-grey glass with a white rim and a soft sheen along its top.
    CGRect box = layout.box;
    constexpr double radius = 10;
    cairo_pattern_t* body = cairo_pattern_create_linear(0, box.minY(), 0, box.maxY());
    cairo_pattern_add_color_stop_rgba(body, 0, 0.20, 0.26, 0.38, 0.92);
    cairo_pattern_add_color_stop_rgba(body, 1, 0.07, 0.10, 0.18, 0.92);
    roundedRectangle(cr, box, radius);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    cairo_save(cr);
    roundedRectangle(cr, box, radius);
    cairo_clip(cr);
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, box.minY(), 0, box.minY() + 40);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.16);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, sheen);
    cairo_rectangle(cr, box.minX(), box.minY(), box.size.width, 40);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
    cairo_restore(cr);

    roundedRectangle(cr, CGRectInset(box, 0.5f, 0.5f), radius - 0.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // The text: the title, then the message made smaller until it fits above the button.
    constexpr double padding = 12;
    double textWidthLimit = box.size.width - 2 * padding;
    double top = box.minY() + 10;
    double limit = layout.button.size.height > 0 ? layout.button.minY() - 6 : box.maxY() - padding;
    selectFont(cr, 17, true);
    std::string title = drawableText(alert.title());
    std::string message = drawableText(alert.message());
    std::vector<std::string> titleLines = title.empty() ? std::vector<std::string> {} : wrapText(cr, title, textWidthLimit);
    double titleHeight = linesHeight(cr, titleLines.size());
    double messageSize = 14;
    std::vector<std::string> messageLines;
    for (;; messageSize -= 0.5) {
        selectFont(cr, messageSize, false);
        messageLines = message.empty() ? std::vector<std::string> {} : wrapText(cr, message, textWidthLimit);
        if (top + titleHeight + 4 + linesHeight(cr, messageLines.size()) <= limit || messageSize <= 9)
            break;
    }
    cairo_save(cr);
    roundedRectangle(cr, box, radius);
    cairo_clip(cr);
    double centreX = box.minX() + box.size.width / 2;
    selectFont(cr, 17, true);
    double y = drawCentredLines(cr, titleLines, centreX, top);
    selectFont(cr, messageSize, false);
    drawCentredLines(cr, messageLines, centreX, y + 4);
    cairo_restore(cr);

    // The button, where clicks find it.
    if (layout.button.size.width > 0 && !alert.buttonTitles().empty()) {
        CGRect button = layout.button;
        cairo_pattern_t* face = cairo_pattern_create_linear(0, button.minY(), 0, button.maxY());
        cairo_pattern_add_color_stop_rgba(face, 0, 1, 1, 1, 0.30);
        cairo_pattern_add_color_stop_rgba(face, 0.5, 1, 1, 1, 0.16);
        cairo_pattern_add_color_stop_rgba(face, 1, 1, 1, 1, 0.10);
        roundedRectangle(cr, button, 6);
        cairo_set_source(cr, face);
        cairo_fill(cr);
        cairo_pattern_destroy(face);
        roundedRectangle(cr, CGRectInset(button, 0.5f, 0.5f), 5.5);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);

        selectFont(cr, 16, true);
        std::vector<std::string> label { drawableText(alert.buttonTitles().front()) };
        cairo_font_extents_t font;
        cairo_font_extents(cr, &font);
        double labelTop = button.minY() + (button.size.height - (font.ascent + font.descent)) / 2;
        cairo_save(cr);
        roundedRectangle(cr, button, 6);
        cairo_clip(cr);
        drawCentredLines(cr, label, button.minX() + button.size.width / 2, labelTop);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

// MARK: - The panel's background

// A dark slate that deepens downwards with a fine grain and faint horizontal threads, so large flat
// areas do not band. Fixed, so every frame and every run look the same.
SurfacePointer makeBackground(int width, int height, float scale)
{
    SurfacePointer surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    ContextPointer painter(cairo_create(surface.get()));
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, std::max(height, 1));
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.165, 0.176, 0.196);
    cairo_pattern_add_color_stop_rgb(gradient, 0.35, 0.118, 0.125, 0.141);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.071, 0.075, 0.086);
    cairo_set_source(painter.get(), gradient);
    cairo_paint(painter.get());
    cairo_pattern_destroy(gradient);
    painter.reset();

    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    std::uint32_t seed = 0x9e3779b9u;
    for (int y = 0; y < height; ++y) {
        int thread = (y / std::max(1, int(scale))) % 3 == 0 ? 2 : 0;
        unsigned char* row = data + std::ptrdiff_t(y) * stride;
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int grain = (int(seed >> 29) - 4 + thread) / 2; // At most two levels either way.
            std::uint32_t word;
            std::memcpy(&word, row + std::ptrdiff_t(x) * 4, sizeof word);
            std::uint32_t out = 0xff000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                int channel = int((word >> shift) & 0xff) + grain;
                out |= std::uint32_t(std::clamp(channel, 0, 255)) << shift;
            }
            std::memcpy(row + std::ptrdiff_t(x) * 4, &out, sizeof out);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

// Copies one ARGB32 surface into another of the same size.
void copyPixels(cairo_surface_t* from, cairo_surface_t* to)
{
    cairo_surface_flush(from);
    cairo_surface_flush(to);
    std::memcpy(cairo_image_surface_get_data(to), cairo_image_surface_get_data(from),
        std::size_t(cairo_image_surface_get_stride(from)) * std::size_t(cairo_image_surface_get_height(from)));
    cairo_surface_mark_dirty(to);
}

// MARK: - Views

enum class ViewKind {
    Plain,
    Image,
    Button,
    Toolbar,
    ToolbarButton,
};

ViewKind kindOf(const UIView& view)
{
    if (dynamic_cast<const UIImageView*>(&view))
        return ViewKind::Image;
    if (dynamic_cast<const UIButton*>(&view))
        return ViewKind::Button;
    if (dynamic_cast<const UIToolbar*>(&view))
        return ViewKind::Toolbar;
    if (dynamic_cast<const UIToolbarButton*>(&view))
        return ViewKind::ToolbarButton;
    return ViewKind::Plain;
}

std::shared_ptr<UIImage> buttonImage(const UIButton& button)
{
    if (button.buttonType() != UIButtonTypeCustom)
        return nullptr;
    return button.imageForState(button.isHighlighted() ? UIControlStateHighlighted : UIControlStateNormal);
}

// Everything that decides how one view draws itself and how it places and clips its subviews, with
// its depth in the tree: equal lists of these, from the window down in drawing order, draw the same pixels.
struct ViewRecord {
    const UIView* view { nullptr };
    ViewKind kind { ViewKind::Plain };
    int depth { 0 };
    CGRect frame;
    float alpha { 1 };
    std::optional<UIColor> background;
    float cornerRadius { 0 };
    bool masksToBounds { false };
    int contentMode { 0 };
    std::weak_ptr<const UIImage> image; // Held weakly: a new image can never share a live control block.
    int style { 0 }; // Button type, bar style or bar item, by kind.
    bool flag { false }; // Highlighted, or a translucent bar.

    bool operator==(const ViewRecord& other) const
    {
        bool sameImage = !image.owner_before(other.image) && !other.image.owner_before(image);
        return view == other.view && kind == other.kind && depth == other.depth && frame == other.frame && alpha == other.alpha
            && background == other.background && cornerRadius == other.cornerRadius && masksToBounds == other.masksToBounds
            && contentMode == other.contentMode && sameImage && style == other.style && flag == other.flag;
    }
};

ViewRecord recordOf(const UIView& view, int depth, float alpha)
{
    ViewRecord record;
    record.view = &view;
    record.kind = kindOf(view);
    record.depth = depth;
    record.frame = view.frame();
    record.alpha = alpha;
    record.background = view.backgroundColor();
    record.cornerRadius = view.layer().cornerRadius;
    record.masksToBounds = view.layer().masksToBounds;
    record.contentMode = view.contentMode();
    switch (record.kind) {
    case ViewKind::Image:
        record.image = static_cast<const UIImageView&>(view).image();
        break;
    case ViewKind::Button: {
        const auto& button = static_cast<const UIButton&>(view);
        record.style = button.buttonType();
        record.flag = button.isHighlighted();
        record.image = buttonImage(button);
        break;
    }
    case ViewKind::Toolbar: {
        const auto& toolbar = static_cast<const UIToolbar&>(view);
        record.style = toolbar.barStyle();
        record.flag = toolbar.isTranslucent();
        break;
    }
    case ViewKind::ToolbarButton: {
        const auto& button = static_cast<const UIToolbarButton&>(view);
        auto item = button.item();
        record.style = item ? int(item->systemItem()) : -1;
        record.flag = button.isHighlighted();
        break;
    }
    case ViewKind::Plain:
        break;
    }
    return record;
}

// The views drawn before the first one that is animating or must be drawn as a group, in drawing
// order; what lies under that view can be kept for the next frame. False once that view is found.
bool collectSettledViews(const UIView& view, int depth, TimeInterval now, std::vector<ViewRecord>& records)
{
    if (view.isHidden())
        return true;
    float alpha = clampedAlpha(view.presentationAlpha(now));
    if (alpha < kInvisibleAlpha)
        return true;
    if (alpha != clampedAlpha(view.alpha()) || (!view.subviews().empty() && alpha < 1))
        return false;
    records.push_back(recordOf(view, depth, alpha));
    for (const auto& subview : view.subviews()) {
        if (subview && !collectSettledViews(*subview, depth + 1, now, records))
            return false;
    }
    return true;
}

// MARK: - The renderer's caches

// The images drawn lately, each resampled to the size it was drawn at.
class PictureCache {
public:
    // An image drawn at `width` x `height` pixels, `scale` pixels per point (a stretchable image's caps
    // depend on it); of that, the pixels in the crop rectangle are kept.
    struct Key {
        std::weak_ptr<const UIImage> image;
        int width { 0 };
        int height { 0 };
        float scale { 1 };
        int cropX { 0 };
        int cropY { 0 };
        int cropWidth { 0 };
        int cropHeight { 0 };
    };

    // The image's pixels for `key`, made on first use; null when the image cannot be decoded.
    cairo_surface_t* picture(const UIImage&, const Key&, std::uint64_t frameNumber);
    // Forgets pictures of images that are gone or that no frame since `oldestKept` drew.
    void prune(std::uint64_t oldestKept);
    std::size_t size() const { return m_pictures.size(); }

private:
    struct KeyLess {
        bool operator()(const Key&, const Key&) const;
    };
    struct Picture {
        SurfacePointer surface; // Null for an image that cannot be decoded: nothing to draw, nothing to retry.
        std::uint64_t lastDrawn { 0 };
    };
    std::map<Key, Picture, KeyLess> m_pictures;
};

bool PictureCache::KeyLess::operator()(const Key& a, const Key& b) const
{
    if (a.image.owner_before(b.image))
        return true;
    if (b.image.owner_before(a.image))
        return false;
    return std::tie(a.width, a.height, a.scale, a.cropX, a.cropY, a.cropWidth, a.cropHeight)
        < std::tie(b.width, b.height, b.scale, b.cropX, b.cropY, b.cropWidth, b.cropHeight);
}

cairo_surface_t* PictureCache::picture(const UIImage& image, const Key& key, std::uint64_t frameNumber)
{
    if (auto found = m_pictures.find(key); found != m_pictures.end()) {
        found->second.lastDrawn = frameNumber;
        return found->second.surface.get();
    }

    Picture made;
    made.lastDrawn = frameNumber;
    const DecodedImage* pixels = image.decodedPixels(key.width, key.height);
    if (pixels && isWellFormed(*pixels)) {
        // Read only, and gone before this function returns.
        SurfacePointer source(cairo_image_surface_create_for_data(const_cast<unsigned char*>(pixels->pixels.data()),
            CAIRO_FORMAT_ARGB32, pixels->width, pixels->height, pixels->stride));
        // Opaque pictures are kept without alpha, so drawing them at full opacity is a plain copy.
        cairo_format_t format = isOpaque(*pixels) ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
        SurfacePointer target(cairo_image_surface_create(format, key.cropWidth, key.cropHeight));
        ContextPointer painter(cairo_create(target.get()));
        cairo_t* cr = painter.get();
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        if (image.leftCapWidth() > 0 || image.topCapHeight() > 0) {
            cairo_translate(cr, -key.cropX, -key.cropY);
            paintNineSlices(cr, source.get(), *pixels, image, key.width, key.height, key.scale);
        } else {
            paintStretched(cr, source.get(), pixels->width, pixels->height, { -key.cropX, -key.cropY, key.width, key.height });
        }
        bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
        painter.reset();
        cairo_surface_finish(source.get());
        if (drawn && cairo_surface_status(target.get()) == CAIRO_STATUS_SUCCESS) {
            cairo_surface_flush(target.get());
            made.surface = std::move(target);
        }
    }
    return m_pictures.emplace(key, std::move(made)).first->second.surface.get();
}

void PictureCache::prune(std::uint64_t oldestKept)
{
    std::erase_if(m_pictures, [oldestKept](const auto& entry) {
        return entry.first.image.expired() || entry.second.lastDrawn < oldestKept;
    });
}

// The last frame's pixels under its first changing view, and the views drawn into them.
struct Backdrop {
    SurfacePointer pixels;
    std::vector<ViewRecord> views;
    float scale { 0 };
    std::uint64_t frameNumber { 0 }; // The frame that drew them; the pictures it drew are kept with them.
};

// MARK: - Drawing one frame

class FrameDrawer {
public:
    FrameDrawer(cairo_t* cr, cairo_surface_t* target, TimeInterval now, float scale, PictureCache& pictures, std::uint64_t frameNumber)
        : m_cr(cr)
        , m_target(target)
        , m_now(now)
        , m_scale(scale)
        , m_pictures(pictures)
        , m_frameNumber(frameNumber)
    {
    }

    // The first `count` views in drawing order are already in the target's pixels.
    void skipViews(std::size_t count) { m_skip = count; }
    // Copies the target's pixels into `into` just before drawing view number `index`, or after the last.
    void keepPixelsBefore(std::size_t index, cairo_surface_t* into)
    {
        m_keepBefore = index;
        m_keepInto = into;
    }

    void drawTree(const UIView& root)
    {
        drawView(root);
        keepPixelsIfDue();
    }

private:
    void keepPixelsIfDue();
    void drawView(const UIView&);
    void drawContent(const UIView&, float alpha);
    void drawImage(const std::shared_ptr<UIImage>&, CGRect bounds, int contentMode, bool clipped, float alpha);
    void drawButton(const UIButton&, float alpha);
    void drawToolbar(const UIToolbar&, float alpha);
    void drawToolbarButton(const UIToolbarButton&, float alpha);

    cairo_t* m_cr;
    cairo_surface_t* m_target;
    TimeInterval m_now;
    float m_scale;
    PictureCache& m_pictures;
    std::uint64_t m_frameNumber;
    // The rounded corners of the nearest masking ancestor, not yet applied as a cairo clip: every
    // drawing under it goes through drawMasked.
    std::optional<CornerMask> m_mask;
    std::size_t m_index { 0 }; // Views drawn so far, counted as they start.
    std::size_t m_skip { 0 };
    std::optional<std::size_t> m_keepBefore;
    cairo_surface_t* m_keepInto { nullptr };
};

void FrameDrawer::keepPixelsIfDue()
{
    if (m_keepBefore && *m_keepBefore == m_index) {
        copyPixels(m_target, m_keepInto);
        m_keepBefore.reset();
    }
}

void FrameDrawer::drawView(const UIView& view)
{
    if (view.isHidden())
        return;
    float alpha = clampedAlpha(view.presentationAlpha(m_now));
    if (alpha < kInvisibleAlpha)
        return;
    keepPixelsIfDue();
    bool drawSelf = m_index++ >= m_skip;

    cairo_t* cr = m_cr;
    CGRect bounds = view.bounds();
    const CALayer& layer = view.layer();
    std::optional<CornerMask> outerMask = m_mask;

    cairo_save(cr);
    cairo_translate(cr, view.frame().origin.x, view.frame().origin.y);
    if (layer.masksToBounds) {
        auto mask = layer.cornerRadius > 0 ? cornerMask(cr, bounds, layer.cornerRadius) : std::nullopt;
        if (mask) {
            // Only one mask is kept aside; an outer one becomes a real clip.
            if (m_mask)
                clipToMask(cr, *m_mask);
            cairo_rectangle(cr, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
            cairo_clip(cr);
            m_mask = mask;
        } else {
            roundedRectangle(cr, bounds, layer.cornerRadius);
            cairo_clip(cr);
        }
    }
    // Children fade with their parent, not each on its own over the others.
    bool group = !view.subviews().empty() && alpha < 1;
    if (group) {
        if (m_mask) {
            clipToMask(cr, *m_mask);
            m_mask.reset();
        }
        if (auto extent = subtreeExtent(view)) {
            cairo_rectangle(cr, extent->origin.x, extent->origin.y, extent->size.width, extent->size.height);
            cairo_clip(cr);
        }
        cairo_push_group(cr);
    }
    if (drawSelf)
        drawContent(view, group ? 1.0f : alpha);
    for (const auto& subview : view.subviews()) {
        if (subview)
            drawView(*subview);
    }
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
    cairo_restore(cr);
    m_mask = outerMask;
}

void FrameDrawer::drawContent(const UIView& view, float alpha)
{
    cairo_t* cr = m_cr;
    // cornerRadius rounds the background colour even where the layer does not mask.
    if (auto colour = view.backgroundColor(); colour && colour->alpha > 0) {
        drawMasked(cr, m_mask, [&] {
            roundedRectangle(cr, view.bounds(), view.layer().cornerRadius);
            setColour(cr, *colour, alpha);
            cairo_fill(cr);
        });
    }
    switch (kindOf(view)) {
    case ViewKind::Image: {
        const auto& imageView = static_cast<const UIImageView&>(view);
        if (imageView.image())
            drawImage(imageView.image(), imageView.bounds(), imageView.contentMode(), imageView.clipsToBounds(), alpha);
        break;
    }
    case ViewKind::Button:
        drawButton(static_cast<const UIButton&>(view), alpha);
        break;
    case ViewKind::Toolbar:
        drawToolbar(static_cast<const UIToolbar&>(view), alpha);
        break;
    case ViewKind::ToolbarButton:
        drawToolbarButton(static_cast<const UIToolbarButton&>(view), alpha);
        break;
    case ViewKind::Plain:
        break;
    }
}

void FrameDrawer::drawImage(const std::shared_ptr<UIImage>& image, CGRect bounds, int contentMode, bool clipped, float alpha)
{
    CGSize size = image->size();
    if (!(size.width > 0 && size.height > 0) || !(bounds.size.width > 0 && bounds.size.height > 0))
        return;
    cairo_t* cr = m_cr;
    PixelRect drawn = devicePixels(cr, drawnRect(size, bounds, contentMode));
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

void FrameDrawer::drawButton(const UIButton& button, float alpha)
{
    cairo_t* cr = m_cr;
    switch (button.buttonType()) {
    case UIButtonTypeInfoLight:
    case UIButtonTypeInfoDark: {
        double shade = button.buttonType() == UIButtonTypeInfoLight ? 1.0 : 0.25;
        drawMasked(cr, m_mask, [&] {
            cairo_set_source_rgba(cr, shade, shade, shade, (button.isHighlighted() ? 0.6 : 1.0) * alpha);
            infoGlyph(cr, button.bounds());
        });
        break;
    }
    case UIButtonTypeCustom:
        if (auto image = buttonImage(button))
            drawImage(image, button.bounds(), UIViewContentModeScaleToFill, button.clipsToBounds(), alpha);
        break;
    }
}

void FrameDrawer::drawToolbar(const UIToolbar& toolbar, float alpha)
{
    cairo_t* cr = m_cr;
    CGRect bounds = toolbar.bounds();
    double w = bounds.size.width;
    double h = bounds.size.height;
    double opacity = (toolbar.isTranslucent() ? 0.8 : 1.0) * alpha;
    bool black = toolbar.barStyle() == UIBarStyleBlack;
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

void FrameDrawer::drawToolbarButton(const UIToolbarButton& button, float alpha)
{
    auto item = button.item();
    if (!item || item->isSpace())
        return;
    cairo_t* cr = m_cr;
    CGRect bounds = button.bounds();
    CGPoint centre { bounds.size.width / 2, bounds.size.height / 2 };
    drawMasked(cr, m_mask, [&] {
        // An embossed look: a dark copy a point above, then the glyph in white.
        cairo_set_source_rgba(cr, 0, 0, 0, 0.5 * alpha);
        barItemGlyph(cr, item->systemItem(), { centre.x, centre.y - 1 });
        cairo_set_source_rgba(cr, 1, 1, 1, (button.isHighlighted() ? 0.6 : 1.0) * alpha);
        barItemGlyph(cr, item->systemItem(), centre);
    });
}

}

// MARK: - The renderer

struct Renderer::Caches {
    PictureCache pictures;
    Backdrop backdrop;
    SurfacePointer background; // The panel's own background at the last size drawn.
    std::uint64_t frameNumber { 0 };
    std::size_t reusedViews { 0 };
};

Renderer::Renderer()
    : m_caches(std::make_unique<Caches>())
{
}

Renderer::~Renderer() = default;

std::size_t Renderer::cachedPictureCount() const
{
    return m_caches->pictures.size();
}

std::size_t Renderer::reusedViewCount() const
{
    return m_caches->reusedViews;
}

Frame Renderer::render(const UIWindow& window, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale)
{
    if (!(scale > 0 && scale <= kMaxScale))
        throw std::invalid_argument("cannot draw at scale " + std::to_string(scale) + ": it must be above 0 and at most 8");
    Caches& caches = *m_caches;
    CGSize size = window.frame().size;
    Frame frame(int(std::lround(size.width * scale)), int(std::lround(size.height * scale)));
    std::uint64_t frameNumber = ++caches.frameNumber;

    ContextPointer context(cairo_create(frame.surface()));
    cairo_t* cr = context.get();
    FrameDrawer drawer(cr, frame.surface(), now, scale, caches.pictures, frameNumber);

    std::vector<ViewRecord> settled;
    collectSettledViews(window, 0, now, settled);
    Backdrop& backdrop = caches.backdrop;
    bool sameSize = backdrop.pixels && cairo_image_surface_get_width(backdrop.pixels.get()) == frame.width()
        && cairo_image_surface_get_height(backdrop.pixels.get()) == frame.height();
    caches.reusedViews = 0;
    std::uint64_t oldestKept = frameNumber;
    if (!settled.empty() && sameSize && backdrop.scale == scale && backdrop.views == settled) {
        copyPixels(backdrop.pixels.get(), frame.surface());
        drawer.skipViews(settled.size());
        caches.reusedViews = settled.size();
        oldestKept = backdrop.frameNumber;
    } else {
        if (!caches.background || cairo_image_surface_get_width(caches.background.get()) != frame.width()
            || cairo_image_surface_get_height(caches.background.get()) != frame.height())
            caches.background = makeBackground(frame.width(), frame.height(), scale);
        if (caches.background)
            copyPixels(caches.background.get(), frame.surface());
        backdrop.views.clear();
        if (!settled.empty()) {
            if (!sameSize)
                backdrop.pixels.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frame.width(), frame.height()));
            if (cairo_surface_status(backdrop.pixels.get()) == CAIRO_STATUS_SUCCESS) {
                drawer.keepPixelsBefore(settled.size(), backdrop.pixels.get());
                backdrop.views = std::move(settled);
                backdrop.scale = scale;
                backdrop.frameNumber = frameNumber;
            } else {
                backdrop.pixels.reset();
            }
        }
    }

    cairo_scale(cr, scale, scale);
    cairo_font_options_t* options = cairo_font_options_create();
    // Text is laid out in points, the same at every scale.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    cairo_save(cr);
    cairo_translate(cr, -window.frame().origin.x, -window.frame().origin.y);
    drawer.drawTree(window);
    cairo_restore(cr);

    if (!alerts.empty() && alerts.back())
        drawAlert(cr, *alerts.back(), size);

    caches.pictures.prune(oldestKept);
    cairo_status_t status = cairo_status(cr);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot draw the panel: ") + cairo_status_to_string(status));
    context.reset();
    cairo_surface_flush(frame.surface());
    return frame;
}

Frame renderPanel(const UIWindow& window, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale)
{
    Renderer renderer;
    return renderer.render(window, alerts, now, scale);
}

}
