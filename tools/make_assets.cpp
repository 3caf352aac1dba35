// orvessa_make_assets OUT_DIR [--verbose]
//
// Draws the widget's pictures, the platform's row background and the built-in demo home into
// OUT_DIR. Everything is drawn by code from fixed numbers (the stars come from a seeded generator and
// the lettering from a stroke face defined below, not from installed fonts), and no encoder writes a
// timestamp, so every run writes the same bytes.

#include <cairo.h>
#include <png.h>
#include <turbojpeg.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr double pi = std::numbers::pi;
constexpr int jpegQuality = 88;

// ---------------------------------------------------------------------------------------------
// Cairo ownership and colours

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct PatternDeleter {
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;
using Pattern = std::unique_ptr<cairo_pattern_t, PatternDeleter>;

struct Canvas {
    Surface surface;
    Context cr;
    int width { 0 };
    int height { 0 };
    bool opaque { true };
};

Canvas makeCanvas(int width, int height, bool opaque)
{
    Canvas canvas;
    canvas.surface.reset(cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width, height));
    // NOTE: cairo never returns null; a failed surface is an object in an error state.
    if (auto status = cairo_surface_status(canvas.surface.get()); status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cairo surface: ") + cairo_status_to_string(status));
    canvas.cr.reset(cairo_create(canvas.surface.get()));
    if (auto status = cairo_status(canvas.cr.get()); status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cairo context: ") + cairo_status_to_string(status));
    canvas.width = width;
    canvas.height = height;
    canvas.opaque = opaque;
    return canvas;
}

struct Rgb {
    double r { 0 };
    double g { 0 };
    double b { 0 };
};

constexpr Rgb hex(std::uint32_t value)
{
    return { ((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0, (value & 0xff) / 255.0 };
}

void setColour(cairo_t* cr, Rgb colour, double alpha = 1)
{
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

struct Stop {
    double offset { 0 };
    Rgb colour;
    double alpha { 1 };
};

void addStops(cairo_pattern_t* pattern, std::initializer_list<Stop> stops)
{
    for (const Stop& stop : stops)
        cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.colour.r, stop.colour.g, stop.colour.b, stop.alpha);
}

// Fills the rectangle with a gradient running from its top edge to its bottom edge.
void fillVertical(cairo_t* cr, double x, double y, double w, double h, std::initializer_list<Stop> stops)
{
    Pattern pattern { cairo_pattern_create_linear(0, y, 0, y + h) };
    addStops(pattern.get(), stops);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, pattern.get());
    cairo_fill(cr);
}

// A soft halo around a bright disc (sun, moon, lamp).
void fillGlow(cairo_t* cr, double cx, double cy, double radius, double reach, Rgb colour, double alpha)
{
    Pattern pattern { cairo_pattern_create_radial(cx, cy, radius, cx, cy, reach) };
    addStops(pattern.get(), { { 0, colour, alpha }, { 1, colour, 0 } });
    cairo_set_source(cr, pattern.get());
    cairo_arc(cr, cx, cy, reach, 0, 2 * pi);
    cairo_fill(cr);
}

void fillDisc(cairo_t* cr, double cx, double cy, double radius, Rgb colour, double alpha = 1)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
    setColour(cr, colour, alpha);
    cairo_fill(cr);
}

void addRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

// A ridge made of two sines, filled down to the bottom edge.
void fillRidge(cairo_t* cr, double w, double h, double base, double amplitude, double waves, double phase, Rgb colour)
{
    constexpr int steps = 120;
    cairo_move_to(cr, 0, h);
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double wave = 0.65 * std::sin(2 * pi * waves * t + phase) + 0.35 * std::sin(2 * pi * waves * 2.3 * t + phase * 1.7);
        cairo_line_to(cr, w * t, base - amplitude * wave);
    }
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    setColour(cr, colour);
    cairo_fill(cr);
}

struct Point {
    double x { 0 };
    double y { 0 };
};

// Peaks are fractions of the picture; the range is closed along the bottom edge.
void addRange(cairo_t* cr, double w, double h, std::initializer_list<Point> peaks)
{
    cairo_move_to(cr, 0, h);
    for (const Point& peak : peaks)
        cairo_line_to(cr, peak.x * w, peak.y * h);
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
}

// A fixed-seed generator (splitmix64), so scattered stars and flakes land in the same places on
// every machine; the standard distributions are not portable enough for that.
class Random {
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {
    }

    double next()
    {
        m_state += 0x9e3779b97f4a7c15ULL;
        std::uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    std::uint64_t m_state { 0 };
};

// ---------------------------------------------------------------------------------------------
// Lettering: a small monoline face. A glyph is strokes in a box one unit tall: cap height from 0 to
// 1 (the baseline), x-height from 0.4, descenders to 1.3. Only the characters we draw exist.

constexpr double letterSpacing = 0.24;

// Adds the glyph's path at the origin and answers its width.
double addGlyph(cairo_t* cr, char c)
{
    auto move = [cr](double x, double y) { cairo_move_to(cr, x, y); };
    auto line = [cr](double x, double y) { cairo_line_to(cr, x, y); };
    auto ring = [cr](double cx, double cy, double rx, double ry) {
        cairo_new_sub_path(cr);
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
        cairo_restore(cr);
        cairo_close_path(cr);
    };
    auto arc = [cr](double cx, double cy, double r, double from, double to) { cairo_arc(cr, cx, cy, r, from * pi, to * pi); };
    auto arcBack = [cr](double cx, double cy, double r, double from, double to) { cairo_arc_negative(cr, cx, cy, r, from * pi, to * pi); };
    auto lift = [cr] { cairo_new_sub_path(cr); };

    switch (c) {
    case '0':
        ring(0.3, 0.5, 0.3, 0.5);
        return 0.6;
    case '1':
        move(0.02, 0.2);
        line(0.3, 0);
        line(0.3, 1);
        return 0.32;
    case '2':
        lift();
        arc(0.3, 0.28, 0.28, 1.1, 2.25);
        line(0.02, 1);
        line(0.62, 1);
        return 0.62;
    case '3':
        lift();
        arc(0.3, 0.25, 0.25, 1.15, 2.5);
        arc(0.3, 0.75, 0.25, 1.5, 2.85);
        return 0.57;
    case '4':
        move(0.46, 1);
        line(0.46, 0);
        line(0, 0.68);
        line(0.62, 0.68);
        return 0.62;
    case '5':
        move(0.56, 0);
        line(0.12, 0);
        line(0.08, 0.47);
        arc(0.3, 0.68, 0.3, 1.22, 2.8);
        return 0.6;
    case '6':
        move(0.5, 0.03);
        cairo_curve_to(cr, 0.2, 0.1, 0.02, 0.4, 0.02, 0.7);
        ring(0.3, 0.7, 0.28, 0.28);
        return 0.58;
    case '7':
        move(0, 0);
        line(0.6, 0);
        line(0.2, 1);
        return 0.6;
    case '8':
        ring(0.3, 0.24, 0.22, 0.22);
        ring(0.3, 0.72, 0.28, 0.28);
        return 0.6;
    case '9':
        ring(0.3, 0.3, 0.28, 0.28);
        move(0.58, 0.3);
        cairo_curve_to(cr, 0.58, 0.6, 0.4, 0.9, 0.1, 0.97);
        return 0.58;
    case 'N':
        move(0, 1);
        line(0, 0);
        line(0.62, 1);
        line(0.62, 0);
        return 0.62;
    case 'P':
        move(0, 1);
        line(0, 0);
        line(0.28, 0);
        arc(0.28, 0.26, 0.26, 1.5, 2.5);
        line(0, 0.52);
        return 0.54;
    case 'U':
        move(0, 0);
        line(0, 0.68);
        arcBack(0.3, 0.68, 0.3, 1, 0);
        line(0.6, 0);
        return 0.6;
    case 'h':
        move(0, 0);
        line(0, 1);
        move(0, 0.68);
        arc(0.27, 0.68, 0.27, 1, 2);
        line(0.54, 1);
        return 0.54;
    case 'o':
        ring(0.3, 0.7, 0.3, 0.3);
        return 0.6;
    case 'p':
        move(0, 0.42);
        line(0, 1.3);
        ring(0.3, 0.7, 0.3, 0.3);
        return 0.6;
    case 's':
        lift();
        cairo_save(cr);
        cairo_scale(cr, 1.35, 1);
        arcBack(0.19, 0.55, 0.15, 1.85, 0.5);
        arc(0.19, 0.85, 0.15, 1.5, 2.85);
        cairo_restore(cr);
        return 0.46;
    case 't':
        move(0.16, 0.12);
        line(0.16, 0.84);
        arcBack(0.32, 0.84, 0.16, 1, 0.5);
        line(0.44, 1);
        move(0, 0.42);
        line(0.4, 0.42);
        return 0.44;
    case ' ':
        return 0.3;
    default:
        throw std::logic_error(std::string("no glyph for '") + c + "'");
    }
}

double glyphWidth(char c)
{
    // Measuring runs the same path code against a throwaway context, so the two cannot disagree.
    Surface scratch { cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1) };
    Context cr { cairo_create(scratch.get()) };
    return addGlyph(cr.get(), c);
}

// Width of the text's skeleton; the stroke adds half its line width on either side.
double textWidth(std::string_view text, double capHeight)
{
    double width = 0;
    for (char c : text)
        width += glyphWidth(c) + letterSpacing;
    return text.empty() ? 0 : (width - letterSpacing) * capHeight;
}

// Strokes the text with the current source; (x, top) is the top-left of its skeleton.
void strokeText(cairo_t* cr, std::string_view text, double x, double top, double capHeight, double lineWidth)
{
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_translate(cr, x, top);
    cairo_scale(cr, capHeight, capHeight);
    double pen = 0;
    for (char c : text) {
        cairo_save(cr);
        cairo_translate(cr, pen, 0);
        pen += addGlyph(cr, c) + letterSpacing;
        cairo_restore(cr);
    }
    cairo_restore(cr);
    cairo_save(cr);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// The photo's number, large in the top-left corner on a dark tab, so the order shows at a glance.
void drawPhotoNumber(cairo_t* cr, std::string_view label, double w, double h)
{
    const double cap = std::round(std::min(w, h) * 0.13);
    const double lineWidth = cap * 0.16;
    const double margin = std::min(w, h) * 0.045;
    const double padX = cap * 0.4;
    const double padY = cap * 0.32;
    const double tabWidth = textWidth(label, cap) + lineWidth + 2 * padX;
    const double tabHeight = cap + lineWidth + 2 * padY;
    addRoundedRect(cr, margin, margin, tabWidth, tabHeight, cap * 0.28);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.38);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    strokeText(cr, label, margin + padX + lineWidth / 2, margin + padY + lineWidth / 2, cap, lineWidth);
}

// ---------------------------------------------------------------------------------------------
// Encoding

struct TurboHandle {
    tjhandle handle { nullptr };
    TurboHandle()
        : handle(tjInitCompress())
    {
    }
    ~TurboHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
    TurboHandle(const TurboHandle&) = delete;
    TurboHandle& operator=(const TurboHandle&) = delete;
};

struct PackedPixels {
    int width { 0 };
    int height { 0 };
    int channels { 0 };
    Bytes bytes;
};

// Cairo keeps native-endian premultiplied ARGB words; the encoders want straight RGB(A) bytes.
PackedPixels packPixels(Canvas& canvas, bool keepAlpha)
{
    cairo_surface_flush(canvas.surface.get());
    if (auto status = cairo_status(canvas.cr.get()); status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("drawing failed: ") + cairo_status_to_string(status));
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface.get());
    const int stride = cairo_image_surface_get_stride(canvas.surface.get());
    PackedPixels out { canvas.width, canvas.height, keepAlpha ? 4 : 3, {} };
    out.bytes.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * static_cast<std::size_t>(out.channels));
    for (int y = 0; y < canvas.height; ++y) {
        const unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < canvas.width; ++x) {
            std::uint32_t word = 0;
            std::memcpy(&word, row + 4 * static_cast<std::ptrdiff_t>(x), sizeof word);
            const std::uint32_t a = canvas.opaque ? 255 : word >> 24;
            std::array<std::uint32_t, 3> rgb { (word >> 16) & 0xff, (word >> 8) & 0xff, word & 0xff };
            for (std::uint32_t& channel : rgb) {
                if (a == 0)
                    channel = 0;
                else if (a < 255)
                    channel = std::min<std::uint32_t>(255, (channel * 255 + a / 2) / a);
                out.bytes.push_back(static_cast<unsigned char>(channel));
            }
            if (keepAlpha)
                out.bytes.push_back(static_cast<unsigned char>(a));
        }
    }
    return out;
}

Bytes encodePng(Canvas& canvas)
{
    const PackedPixels pixels = packPixels(canvas, !canvas.opaque);
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixels.width);
    image.height = static_cast<png_uint_32>(pixels.height);
    image.format = canvas.opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    const auto rowStride = static_cast<png_int_32>(pixels.width * pixels.channels);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.bytes.data(), rowStride, nullptr)) {
        std::string message = std::string("PNG encoding failed: ") + image.message;
        png_image_free(&image);
        throw std::runtime_error(message);
    }
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.bytes.data(), rowStride, nullptr)) {
        std::string message = std::string("PNG encoding failed: ") + image.message;
        png_image_free(&image);
        throw std::runtime_error(message);
    }
    out.resize(size);
    return out;
}

// An APP1 segment whose only content is IFD0 with the orientation tag, placed right after SOI.
Bytes withOrientation(const Bytes& jpeg, std::uint16_t orientation)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xff || jpeg[1] != 0xd8)
        throw std::runtime_error("encoder produced no SOI marker");
    const std::array<unsigned char, 36> app1 {
        0xff, 0xe1, 0x00, 0x22, // APP1, length 34 counts itself
        'E', 'x', 'i', 'f', 0x00, 0x00,
        'I', 'I', 0x2a, 0x00, 0x08, 0x00, 0x00, 0x00, // little-endian TIFF, IFD0 at offset 8
        0x01, 0x00, // one entry
        0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, // tag 0x0112, SHORT, count 1
        static_cast<unsigned char>(orientation & 0xff), static_cast<unsigned char>(orientation >> 8), 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, // no next IFD
    };
    Bytes out;
    out.reserve(jpeg.size() + app1.size());
    out.insert(out.end(), jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

Bytes encodeJpeg(Canvas& canvas, std::uint16_t orientation = 1)
{
    const PackedPixels pixels = packPixels(canvas, false);
    TurboHandle turbo;
    if (!turbo.handle)
        throw std::runtime_error(std::string("TurboJPEG: ") + tjGetErrorStr2(nullptr));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int result = tjCompress2(turbo.handle, pixels.bytes.data(), pixels.width, pixels.width * 3, pixels.height, TJPF_RGB,
        &buffer, &size, TJSAMP_420, jpegQuality, 0);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned { buffer, tjFree };
    if (result != 0)
        throw std::runtime_error(std::string("JPEG encoding failed: ") + tjGetErrorStr2(turbo.handle));
    Bytes jpeg(buffer, buffer + size);
    return orientation == 1 ? jpeg : withOrientation(jpeg, orientation);
}

// ---------------------------------------------------------------------------------------------
// Output

class AssetWriter {
public:
    AssetWriter(fs::path root, bool verbose)
        : m_root(std::move(root))
        , m_verbose(verbose)
    {
    }

    // Makes one file. Any failure, drawing or writing, is reported against the file's path.
    void make(const fs::path& relative, const std::function<Bytes()>& produce)
    {
        const fs::path path = m_root / relative;
        try {
            const Bytes bytes = produce();
            writeAtomically(path, bytes);
            if (m_verbose) {
                std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
                std::fflush(stdout);
            }
        } catch (const std::exception& error) {
            throw std::runtime_error(path.string() + ": " + error.what());
        }
    }

    void makeText(const fs::path& relative, std::string_view text)
    {
        make(relative, [text] { return Bytes(text.begin(), text.end()); });
    }

private:
    // Written beside the target and renamed over it, so an interrupted build leaves no half file.
    static void writeAtomically(const fs::path& path, const Bytes& bytes)
    {
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        if (ec)
            throw std::runtime_error("cannot create folder: " + ec.message());
        fs::path temporary = path;
        temporary += ".tmp";
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (!file)
            throw std::runtime_error(std::string("cannot open for writing: ") + std::strerror(errno));
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fflush(file) == 0 && ok;
        const int savedErrno = errno;
        ok = std::fclose(file) == 0 && ok;
        if (!ok) {
            fs::remove(temporary, ec);
            throw std::runtime_error(std::string("cannot write: ") + std::strerror(savedErrno ? savedErrno : errno));
        }
        fs::rename(temporary, path, ec);
        if (ec) {
            const std::string reason = ec.message();
            fs::remove(temporary, ec);
            throw std::runtime_error("cannot rename into place: " + reason);
        }
    }

    fs::path m_root;
    bool m_verbose { false };
};

// ---------------------------------------------------------------------------------------------
// The platform's row background: a dark translucent panel with a lit top edge. It is stretched by
// its middle column and row, so every row between the corners must be the same and the left and
// right halves must mirror each other.

// Antialiased arcs are not sampled quite alike on both sides, so the right half is made an exact
// mirror of the left.
void mirrorLeftHalf(Canvas& canvas)
{
    cairo_surface_flush(canvas.surface.get());
    unsigned char* data = cairo_image_surface_get_data(canvas.surface.get());
    const int stride = cairo_image_surface_get_stride(canvas.surface.get());
    for (int y = 0; y < canvas.height; ++y) {
        unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < canvas.width / 2; ++x)
            std::memcpy(row + 4 * static_cast<std::ptrdiff_t>(canvas.width - 1 - x), row + 4 * static_cast<std::ptrdiff_t>(x), 4);
    }
    cairo_surface_mark_dirty(canvas.surface.get());
}

constexpr double rowBackgroundWidth = 40;
constexpr double rowBackgroundHeight = 30;

Bytes drawRowBackground(int scale)
{
    Canvas canvas = makeCanvas(static_cast<int>(rowBackgroundWidth) * scale, static_cast<int>(rowBackgroundHeight) * scale, false);
    cairo_t* cr = canvas.cr.get();
    cairo_scale(cr, scale, scale);
    const double radius = 6;
    const double w = rowBackgroundWidth;
    const double h = rowBackgroundHeight;

    addRoundedRect(cr, 0, 0, w, h, radius);
    cairo_set_source_rgba(cr, 20 / 255.0, 21 / 255.0, 24 / 255.0, 0.74);
    cairo_fill_preserve(cr);
    cairo_clip(cr);

    // A faint rim all round; the stroke straddles the clip, so half a point shows inside.
    addRoundedRect(cr, 0, 0, w, h, radius);
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    cairo_stroke(cr);

    // The lit top edge fades out before the corners end, so the stretched middle rows stay plain.
    addRoundedRect(cr, 0.5, 0.5, w - 1, h - 1, radius - 0.5);
    Pattern light { cairo_pattern_create_linear(0, 0, 0, radius) };
    addStops(light.get(), { { 0, { 1, 1, 1 }, 0.26 }, { 1, { 1, 1, 1 }, 0 } });
    cairo_set_source(cr, light.get());
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    mirrorLeftHalf(canvas);
    return encodePng(canvas);
}

// ---------------------------------------------------------------------------------------------
// The widget's own pictures

constexpr double emptyWidth = 320;
constexpr double emptyHeight = 200;

Bytes drawEmpty(int scale)
{
    Canvas canvas = makeCanvas(static_cast<int>(emptyWidth) * scale, static_cast<int>(emptyHeight) * scale, true);
    cairo_t* cr = canvas.cr.get();
    cairo_scale(cr, scale, scale);
    fillVertical(cr, 0, 0, emptyWidth, emptyHeight, { { 0, hex(0x262b33) }, { 1, hex(0x15181d) } });

    // A framed landscape: the usual sign for "a picture goes here".
    const Rgb ink = hex(0x8c95a5);
    const double frameW = 86;
    const double frameH = 62;
    const double frameX = (emptyWidth - frameW) / 2;
    const double frameY = 44;
    cairo_save(cr);
    addRoundedRect(cr, frameX, frameY, frameW, frameH, 7);
    cairo_clip_preserve(cr);
    setColour(cr, hex(0x1c2027));
    cairo_fill(cr);
    cairo_move_to(cr, frameX, frameY + frameH);
    cairo_line_to(cr, frameX + 26, frameY + 30);
    cairo_line_to(cr, frameX + 42, frameY + 46);
    cairo_line_to(cr, frameX + 58, frameY + 24);
    cairo_line_to(cr, frameX + frameW, frameY + frameH - 4);
    cairo_line_to(cr, frameX + frameW, frameY + frameH);
    cairo_close_path(cr);
    setColour(cr, hex(0x5d6676));
    cairo_fill(cr);
    fillDisc(cr, frameX + 24, frameY + 17, 7, ink);
    cairo_restore(cr);
    addRoundedRect(cr, frameX, frameY, frameW, frameH, 7);
    cairo_set_line_width(cr, 3);
    setColour(cr, ink);
    cairo_stroke(cr);

    const std::string_view label = "No photos";
    const double cap = 15;
    setColour(cr, hex(0xa3acba));
    strokeText(cr, label, (emptyWidth - textWidth(label, cap)) / 2, 128, cap, 2.1);
    return encodePng(canvas);
}

constexpr double buttonSize = 24;

enum class ButtonGlyph {
    Message,
    People,
};

Bytes drawButton(ButtonGlyph glyph, int scale)
{
    Canvas canvas = makeCanvas(static_cast<int>(buttonSize) * scale, static_cast<int>(buttonSize) * scale, false);
    cairo_t* cr = canvas.cr.get();
    cairo_scale(cr, scale, scale);
    const bool message = glyph == ButtonGlyph::Message;
    const Rgb top = message ? hex(0x5aaeea) : hex(0x5a6fc0);
    const Rgb bottom = message ? hex(0x2d7fc4) : hex(0x34428a);

    addRoundedRect(cr, 1, 1, buttonSize - 2, buttonSize - 2, 5);
    Pattern fill { cairo_pattern_create_linear(0, 1, 0, buttonSize - 1) };
    addStops(fill.get(), { { 0, top }, { 1, bottom } });
    cairo_set_source(cr, fill.get());
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    if (message) {
        // A speech bubble with a tail at the lower left and three dots.
        addRoundedRect(cr, 5.5, 6, 13, 9.5, 3.5);
        cairo_move_to(cr, 8, 14);
        cairo_line_to(cr, 7.5, 18.5);
        cairo_line_to(cr, 12, 14.5);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        for (double x : { 9.0, 12.0, 15.0 })
            fillDisc(cr, x, 10.75, 1.1, bottom);
    } else {
        // Two people, the one in front cut out of the one behind by a ring of the button colour.
        auto addPerson = [cr](double cx, double headY, double headR, double shoulderW, double bottomY) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx, headY, headR, 0, 2 * pi);
            cairo_close_path(cr);
            cairo_new_sub_path(cr);
            cairo_save(cr);
            cairo_translate(cr, cx, bottomY);
            cairo_scale(cr, shoulderW / 2, bottomY - headY - headR - 0.9);
            cairo_arc(cr, 0, 0, 1, pi, 2 * pi);
            cairo_restore(cr);
            cairo_close_path(cr);
        };
        addPerson(9, 9.2, 2.6, 8.5, 16.5);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.72);
        cairo_fill(cr);
        addPerson(14.5, 9.5, 3, 10, 18.5);
        setColour(cr, hex(0x46579f));
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    }
    return encodePng(canvas);
}

// ---------------------------------------------------------------------------------------------
// Demo photos. Each is a different palette and scene, with its number in the corner.

void drawSunsetSea(cairo_t* cr, double w, double h)
{
    const double horizon = h * 0.62;
    fillVertical(cr, 0, 0, w, horizon,
        { { 0, hex(0x2b1b4f) }, { 0.45, hex(0x8e3b6e) }, { 0.8, hex(0xf0774a) }, { 1, hex(0xffc46b) } });
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, horizon);
    cairo_clip(cr);
    fillGlow(cr, w * 0.62, horizon, h * 0.11, h * 0.4, hex(0xffd27a), 0.55);
    fillDisc(cr, w * 0.62, horizon + h * 0.025, h * 0.11, hex(0xffe6a3));
    cairo_restore(cr);

    // A low island on the horizon at the left.
    cairo_move_to(cr, 0, horizon);
    cairo_line_to(cr, 0, horizon - h * 0.05);
    cairo_curve_to(cr, w * 0.08, horizon - h * 0.09, w * 0.16, horizon - h * 0.1, w * 0.22, horizon - h * 0.04);
    cairo_curve_to(cr, w * 0.26, horizon - h * 0.015, w * 0.3, horizon - h * 0.01, w * 0.34, horizon);
    cairo_close_path(cr);
    setColour(cr, hex(0x3a1e3f));
    cairo_fill(cr);

    fillVertical(cr, 0, horizon, w, h - horizon, { { 0, hex(0xc8674f) }, { 0.35, hex(0x4a2f62) }, { 1, hex(0x1a1638) } });

    // The sun's path on the water: streaks that widen and fade towards the viewer.
    for (int i = 0; i < 16; ++i) {
        const double t = i / 15.0;
        const double y = horizon + h * 0.012 + (h - horizon) * 0.9 * t * t + h * 0.01 * t;
        const double half = w * (0.07 + 0.1 * t) * (i % 2 ? 0.7 : 1.0);
        addRoundedRect(cr, w * 0.62 - half, y, 2 * half, h * 0.008 + h * 0.01 * t, h * 0.004);
        setColour(cr, hex(0xffd68a), 0.75 - 0.55 * t);
        cairo_fill(cr);
    }
}

void drawCloud(cairo_t* cr, double x, double y, double size)
{
    cairo_push_group(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (const Point& puff : { Point { 0, 0 }, Point { 0.9, -0.35 }, Point { 1.8, 0 }, Point { 0.9, 0.2 } }) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + puff.x * size, y + puff.y * size, size * (puff.y < 0 ? 0.75 : 0.55), 0, 2 * pi);
        cairo_fill(cr);
    }
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.92);
}

void drawTree(cairo_t* cr, double x, double groundY, double size, Rgb crown)
{
    cairo_rectangle(cr, x - size * 0.08, groundY - size * 0.9, size * 0.16, size * 0.95);
    setColour(cr, hex(0x5a3b22));
    cairo_fill(cr);
    fillDisc(cr, x, groundY - size * 1.15, size * 0.5, crown);
    fillDisc(cr, x - size * 0.28, groundY - size * 0.85, size * 0.32, crown);
    fillDisc(cr, x + size * 0.3, groundY - size * 0.88, size * 0.34, crown);
}

void drawGreenHills(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0x3f8fe0) }, { 0.65, hex(0xa6d8f8) }, { 1, hex(0xa6d8f8) } });
    fillGlow(cr, w * 0.82, h * 0.2, h * 0.07, h * 0.25, hex(0xfff6c4), 0.7);
    fillDisc(cr, w * 0.82, h * 0.2, h * 0.07, hex(0xfff3b0));
    drawCloud(cr, w * 0.22, h * 0.25, h * 0.07);
    drawCloud(cr, w * 0.55, h * 0.14, h * 0.05);
    fillRidge(cr, w, h, h * 0.58, h * 0.05, 1.3, 0.4, hex(0x86c46e));
    fillRidge(cr, w, h, h * 0.7, h * 0.06, 1.1, 2.1, hex(0x54a24a));
    drawTree(cr, w * 0.7, h * 0.8, h * 0.11, hex(0x2f7f3a));
    drawTree(cr, w * 0.77, h * 0.82, h * 0.08, hex(0x3b8c40));
    fillRidge(cr, w, h, h * 0.86, h * 0.05, 0.9, 4.0, hex(0x2f7a35));
}

// Drawn upright in a 3:4 frame; the caller turns it on its side for storage.
void drawLighthouse(cairo_t* cr, double w, double h)
{
    const double horizon = h * 0.6;
    fillVertical(cr, 0, 0, w, horizon, { { 0, hex(0x0f5f74) }, { 1, hex(0x9fdcd2) } });
    fillVertical(cr, 0, horizon, w, h - horizon, { { 0, hex(0x2a79a0) }, { 1, hex(0x0c3552) } });
    for (int i = 0; i < 7; ++i) {
        const double y = horizon + (h - horizon) * (0.1 + 0.13 * i);
        cairo_move_to(cr, w * (0.05 + 0.07 * (i % 3)), y);
        cairo_line_to(cr, w * (0.3 + 0.06 * (i % 2)), y);
    }
    cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
    cairo_set_line_width(cr, h * 0.004);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);

    // The cliff rises from the water on the right.
    cairo_move_to(cr, w * 0.42, h);
    cairo_curve_to(cr, w * 0.48, h * 0.8, w * 0.5, h * 0.68, w * 0.56, h * 0.64);
    cairo_line_to(cr, w, h * 0.62);
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    setColour(cr, hex(0x3f3a35));
    cairo_save(cr);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    fillRidge(cr, w, h * 0.66, h * 0.645, h * 0.006, 3, 1, hex(0x5c8a4a));
    cairo_restore(cr);

    // A striped tower with its lamp lit.
    const double baseY = h * 0.645;
    const double topY = h * 0.3;
    const double cx = w * 0.74;
    const double baseHalf = w * 0.065;
    const double topHalf = w * 0.045;
    cairo_save(cr);
    cairo_move_to(cr, cx - baseHalf, baseY);
    cairo_line_to(cr, cx - topHalf, topY);
    cairo_line_to(cr, cx + topHalf, topY);
    cairo_line_to(cr, cx + baseHalf, baseY);
    cairo_close_path(cr);
    cairo_clip(cr);
    for (int band = 0; band < 6; ++band) {
        cairo_rectangle(cr, 0, topY + (baseY - topY) * band / 6.0, w, (baseY - topY) / 6.0 + 1);
        setColour(cr, band % 2 ? hex(0xf4f1ea) : hex(0xc8382f));
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_rectangle(cr, cx - topHalf * 1.3, topY - h * 0.008, topHalf * 2.6, h * 0.012);
    setColour(cr, hex(0x2b2b2b));
    cairo_fill(cr);
    const double lampY = topY - h * 0.035;
    Pattern beam { cairo_pattern_create_radial(cx, lampY, 0, cx, lampY, w * 0.7) };
    addStops(beam.get(), { { 0, hex(0xfff4b8), 0.55 }, { 1, hex(0xfff4b8), 0 } });
    cairo_move_to(cr, cx, lampY);
    cairo_line_to(cr, cx - w * 0.75, lampY - h * 0.07);
    cairo_line_to(cr, cx - w * 0.75, lampY + h * 0.03);
    cairo_close_path(cr);
    cairo_set_source(cr, beam.get());
    cairo_fill(cr);
    cairo_rectangle(cr, cx - topHalf * 0.8, lampY - h * 0.02, topHalf * 1.6, h * 0.045);
    setColour(cr, hex(0xffe27a));
    cairo_fill(cr);
    cairo_move_to(cr, cx - topHalf * 1.1, lampY - h * 0.02);
    cairo_line_to(cr, cx, lampY - h * 0.06);
    cairo_line_to(cr, cx + topHalf * 1.1, lampY - h * 0.02);
    cairo_close_path(cr);
    setColour(cr, hex(0x2b2b2b));
    cairo_fill(cr);

    // An arrow and the word, so a viewer can tell at once whether the orientation was applied.
    const double ax = w * 0.28;
    const double tipY = h * 0.2;
    const double shaftBottom = h * 0.47;
    const double headH = h * 0.09;
    const double headHalf = w * 0.11;
    const double shaftHalf = w * 0.035;
    cairo_move_to(cr, ax, tipY);
    cairo_line_to(cr, ax + headHalf, tipY + headH);
    cairo_line_to(cr, ax + shaftHalf, tipY + headH);
    cairo_line_to(cr, ax + shaftHalf, shaftBottom);
    cairo_line_to(cr, ax - shaftHalf, shaftBottom);
    cairo_line_to(cr, ax - shaftHalf, tipY + headH);
    cairo_line_to(cr, ax - headHalf, tipY + headH);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, w * 0.012);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    const double cap = h * 0.06;
    const double textLine = cap * 0.17;
    const double textX = ax - textWidth("UP", cap) / 2;
    const double textY = shaftBottom + h * 0.03;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    strokeText(cr, "UP", textX, textY, cap, textLine + w * 0.012);
    cairo_set_source_rgb(cr, 1, 1, 1);
    strokeText(cr, "UP", textX, textY, cap, textLine);
}

void drawNightMountains(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0x050b24) }, { 0.45, hex(0x1b2c5e) }, { 0.75, hex(0x3b5088) }, { 1, hex(0x3b5088) } });
    Random random { 0x5eed0004 };
    for (int i = 0; i < 170; ++i) {
        const double x = random.next() * w;
        const double y = random.next() * random.next() * h * 0.7;
        const double radius = random.between(0.8, 2.8) * h / 1200;
        fillDisc(cr, x, y, radius, hex(0xf2f4ff), random.between(0.45, 1));
    }

    // A crescent: the moon with a disc cleared out of it, then a faint glow behind.
    const double mx = w * 0.8;
    const double my = h * 0.2;
    const double mr = h * 0.07;
    fillGlow(cr, mx, my, mr, mr * 3.5, hex(0xbcc8ff), 0.25);
    cairo_push_group(cr);
    fillDisc(cr, mx, my, mr, hex(0xf4f1dc));
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    fillDisc(cr, mx + mr * 0.45, my - mr * 0.25, mr * 0.88, hex(0));
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);

    addRange(cr, w, h * 0.8,
        { { 0, 0.62 }, { 0.12, 0.48 }, { 0.22, 0.56 }, { 0.36, 0.4 }, { 0.5, 0.55 }, { 0.63, 0.44 }, { 0.78, 0.58 }, { 0.9, 0.5 }, { 1, 0.57 } });
    setColour(cr, hex(0x2b3b6b));
    cairo_fill(cr);

    // The front range gets a snow cap on each peak, reaching a third of the way down its slopes.
    const std::vector<Point> front { { 0, 0.78 }, { 0.16, 0.6 }, { 0.3, 0.74 }, { 0.46, 0.52 }, { 0.62, 0.72 }, { 0.8, 0.58 }, { 1, 0.76 } };
    cairo_move_to(cr, 0, h * 0.8);
    for (const Point& peak : front)
        cairo_line_to(cr, peak.x * w, peak.y * h * 0.8);
    cairo_line_to(cr, w, h * 0.8);
    cairo_close_path(cr);
    setColour(cr, hex(0x18224a));
    cairo_fill(cr);
    for (std::size_t i = 1; i + 1 < front.size(); ++i) {
        if (front[i].y > front[i - 1].y || front[i].y > front[i + 1].y)
            continue;
        const Point top { front[i].x * w, front[i].y * h * 0.8 };
        const Point left { front[i - 1].x * w, front[i - 1].y * h * 0.8 };
        const Point right { front[i + 1].x * w, front[i + 1].y * h * 0.8 };
        auto along = [&top](const Point& to, double t) { return Point { top.x + (to.x - top.x) * t, top.y + (to.y - top.y) * t }; };
        const Point l1 = along(left, 0.4);
        const Point r1 = along(right, 0.36);
        const Point l2 = along(left, 0.26);
        const Point r2 = along(right, 0.24);
        const double dip = h * 0.025;
        cairo_move_to(cr, top.x, top.y);
        cairo_line_to(cr, l1.x, l1.y);
        cairo_line_to(cr, (l1.x + top.x) / 2 + (l2.x - l1.x) * 0.2, l2.y + dip);
        cairo_line_to(cr, top.x, l2.y + dip * 0.3);
        cairo_line_to(cr, (r2.x + top.x) / 2, r2.y + dip);
        cairo_line_to(cr, r1.x, r1.y);
        cairo_close_path(cr);
    }
    setColour(cr, hex(0xdce6f5));
    cairo_fill(cr);

    // A still lake with the moon's light on it.
    fillVertical(cr, 0, h * 0.8, w, h * 0.2, { { 0, hex(0x2a3c70) }, { 1, hex(0x0d1433) } });
    for (int i = 0; i < 9; ++i) {
        const double t = i / 8.0;
        const double half = w * (0.02 + 0.05 * t);
        addRoundedRect(cr, mx - half, h * (0.815 + 0.02 * i), 2 * half, h * 0.006, h * 0.003);
        setColour(cr, hex(0xe8ecff), 0.55 - 0.4 * t);
        cairo_fill(cr);
    }
}

void drawDesert(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0xffa98f) }, { 0.6, hex(0xffe3b8) }, { 1, hex(0xffe3b8) } });
    const double sx = w * 0.3;
    const double sy = h * 0.42;
    const double sr = h * 0.16;
    for (int ring = 3; ring >= 1; --ring)
        fillDisc(cr, sx, sy, sr * (1 + 0.18 * ring), hex(0xff8a5c), 0.12);
    fillDisc(cr, sx, sy, sr, hex(0xff6f4a));
    fillRidge(cr, w, h, h * 0.64, h * 0.05, 0.8, 0.5, hex(0xf2a65a));
    fillRidge(cr, w, h, h * 0.76, h * 0.06, 0.7, 2.6, hex(0xe07b39));

    // A cactus of thick round-capped strokes.
    const double cx = w * 0.74;
    const double ground = h * 0.79;
    const double unit = h * 0.05;
    cairo_move_to(cr, cx, ground);
    cairo_line_to(cr, cx, ground - unit * 5);
    cairo_move_to(cr, cx, ground - unit * 2);
    cairo_line_to(cr, cx - unit * 1.4, ground - unit * 2);
    cairo_line_to(cr, cx - unit * 1.4, ground - unit * 3.4);
    cairo_move_to(cr, cx, ground - unit * 2.8);
    cairo_line_to(cr, cx + unit * 1.3, ground - unit * 2.8);
    cairo_line_to(cr, cx + unit * 1.3, ground - unit * 4.1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, unit * 0.9);
    setColour(cr, hex(0x3e7d5a));
    cairo_stroke(cr);

    fillRidge(cr, w, h, h * 0.88, h * 0.04, 0.6, 4.2, hex(0xb8542a));
}

void drawAutumnForest(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0xf8ecd2) }, { 0.55, hex(0xf3c98b) }, { 1, hex(0xf3c98b) } });
    fillGlow(cr, w * 0.72, h * 0.3, h * 0.09, h * 0.3, hex(0xfff1c9), 0.8);
    fillDisc(cr, w * 0.72, h * 0.3, h * 0.09, hex(0xfff6dc));
    // A few birds, each two arcs.
    for (const Point& bird : { Point { 0.36, 0.2 }, Point { 0.42, 0.16 }, Point { 0.47, 0.23 }, Point { 0.31, 0.27 } }) {
        const double span = h * 0.022;
        cairo_new_sub_path(cr);
        cairo_arc(cr, bird.x * w - span, bird.y * h + span * 0.6, span, 1.2 * pi, 1.85 * pi);
        cairo_new_sub_path(cr);
        cairo_arc(cr, bird.x * w + span, bird.y * h + span * 0.6, span, 1.15 * pi, 1.8 * pi);
    }
    cairo_set_line_width(cr, h * 0.005);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, hex(0x6b4a3a));
    cairo_stroke(cr);
    fillRidge(cr, w, h, h * 0.55, h * 0.04, 1.2, 0.9, hex(0xcf9a6a));
    const std::array<Rgb, 4> crowns { hex(0xd94f2b), hex(0xf08a24), hex(0xf4c430), hex(0xb5381f) };
    Random random { 0x5eed0006 };
    for (int row = 0; row < 3; ++row) {
        const double ground = h * (0.62 + 0.1 * row);
        const double size = h * (0.08 + 0.045 * row);
        const int count = 11 - 3 * row;
        for (int i = 0; i < count; ++i) {
            const double x = w * (i + random.between(0.2, 0.8)) / count;
            const auto pick = static_cast<std::size_t>(random.next() * static_cast<double>(crowns.size()));
            drawTree(cr, x, ground + random.between(-0.01, 0.01) * h, size * random.between(0.85, 1.15), crowns[std::min(pick, crowns.size() - 1)]);
        }
        fillRidge(cr, w, h, ground + h * 0.01, h * 0.008, 2, row * 1.7, row == 2 ? hex(0x6e4226) : hex(0x8a5a34));
    }
}

void drawLavenderField(cairo_t* cr, double w, double h)
{
    const double horizon = h * 0.52;
    fillVertical(cr, 0, 0, w, horizon, { { 0, hex(0x5f6fd0) }, { 0.7, hex(0xe9b9d8) }, { 1, hex(0xfbd5c4) } });
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, horizon);
    cairo_clip(cr);
    fillGlow(cr, w * 0.5, horizon, h * 0.08, h * 0.3, hex(0xfff0c2), 0.6);
    fillDisc(cr, w * 0.5, horizon + h * 0.03, h * 0.08, hex(0xfff0c2));
    cairo_restore(cr);

    // Rows of lavender run to a point on the horizon.
    cairo_rectangle(cr, 0, horizon, w, h - horizon);
    setColour(cr, hex(0x4a2f73));
    cairo_fill(cr);
    const double spread = w * 0.16;
    for (int i = -14; i <= 14; ++i) {
        cairo_move_to(cr, w * 0.5 + i * w * 0.004, horizon);
        cairo_line_to(cr, w * 0.5 + (i - 0.3) * spread, h + h * 0.5);
        cairo_line_to(cr, w * 0.5 + (i + 0.3) * spread, h + h * 0.5);
        cairo_close_path(cr);
    }
    Pattern rows { cairo_pattern_create_linear(0, horizon, 0, h) };
    addStops(rows.get(), { { 0, hex(0x8d6cc4) }, { 1, hex(0xa77be0) } });
    cairo_set_source(cr, rows.get());
    cairo_fill(cr);
    drawTree(cr, w * 0.16, horizon + h * 0.005, h * 0.07, hex(0x3c3558));
}

void drawWinter(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0x8fa9c8) }, { 0.6, hex(0xe7eef5) }, { 1, hex(0xe7eef5) } });
    fillRidge(cr, w, h, h * 0.6, h * 0.05, 1.1, 1.2, hex(0xd3deeb));
    const auto pine = [cr](double x, double ground, double size) {
        cairo_rectangle(cr, x - size * 0.06, ground - size * 0.2, size * 0.12, size * 0.25);
        setColour(cr, hex(0x4b3526));
        cairo_fill(cr);
        for (int tier = 0; tier < 3; ++tier) {
            const double bottom = ground - size * (0.15 + 0.28 * tier);
            const double half = size * (0.42 - 0.1 * tier);
            cairo_move_to(cr, x - half, bottom);
            cairo_line_to(cr, x, bottom - size * 0.45);
            cairo_line_to(cr, x + half, bottom);
            cairo_close_path(cr);
        }
        setColour(cr, hex(0x1f4d3a));
        cairo_fill(cr);
    };
    for (int i = 0; i < 6; ++i)
        pine(w * (0.08 + 0.085 * i), h * (0.66 + 0.012 * (i % 3)), h * (0.14 + 0.02 * (i % 2)));
    fillRidge(cr, w, h, h * 0.76, h * 0.04, 0.8, 3.3, hex(0xf5f8fc));
    pine(w * 0.8, h * 0.82, h * 0.3);
    pine(w * 0.9, h * 0.85, h * 0.22);
    Random random { 0x5eed0102 };
    for (int i = 0; i < 220; ++i)
        fillDisc(cr, random.next() * w, random.next() * h, random.between(1.5, 5) * h / 1200, hex(0xffffff), random.between(0.5, 0.95));
}

using Scene = void (*)(cairo_t*, double, double);

Canvas drawPhoto(Scene scene, std::string_view number, int width, int height)
{
    Canvas canvas = makeCanvas(width, height, true);
    scene(canvas.cr.get(), width, height);
    drawPhotoNumber(canvas.cr.get(), number, width, height);
    return canvas;
}

// Stored as a landscape picture that needs a quarter turn clockwise (EXIF orientation 6): the
// stored top row is the upright picture's right edge.
Canvas drawSidewaysPhoto(Scene scene, std::string_view number, int storedWidth, int storedHeight)
{
    Canvas canvas = makeCanvas(storedWidth, storedHeight, true);
    cairo_t* cr = canvas.cr.get();
    cairo_matrix_t turn;
    cairo_matrix_init(&turn, 0, -1, 1, 0, 0, storedHeight);
    cairo_transform(cr, &turn);
    const double uprightWidth = storedHeight;
    const double uprightHeight = storedWidth;
    scene(cr, uprightWidth, uprightHeight);
    drawPhotoNumber(cr, number, uprightWidth, uprightHeight);
    return canvas;
}

Canvas drawStrayPicture()
{
    Canvas canvas = makeCanvas(320, 240, true);
    cairo_t* cr = canvas.cr.get();
    fillVertical(cr, 0, 0, 320, 240, { { 0, hex(0x6d8a96) }, { 1, hex(0x2e3f4a) } });
    fillDisc(cr, 230, 140, 50, hex(0xe3d9b0));
    drawPhotoNumber(cr, "7", 320, 240);
    return canvas;
}

constexpr std::string_view slideshowPreferences = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Shuffle</key>
	<false/>
	<key>SecondsPerSlide</key>
	<integer>3</integer>
	<key>preserveaspect</key>
	<true/>
</dict>
</plist>
)";

constexpr std::string_view albumNotes = R"(Notes for the demo album

Every picture in this home was drawn by orvessa_make_assets.
IMG_0003.JPG is stored on its side and stands up only when its EXIF orientation is applied.
IMG_0007.jpg has a lower-case extension, and this file is not a picture at all,
so the photo check has something to explain.
)";

std::string scaledName(std::string_view stem, int scale)
{
    std::string name(stem);
    if (scale != 1) {
        name += '@';
        name += std::to_string(scale);
        name += 'x';
    }
    name += ".png";
    return name;
}

void makeAll(AssetWriter& out)
{
    const fs::path platformBundle = "StocksWeeApp.bundle";
    const fs::path widgetBundle = "Orvessa.bundle";
    for (int scale : { 1, 2, 3 }) {
        out.make(platformBundle / scaledName("WeeAppBackground", scale), [scale] { return drawRowBackground(scale); });
        out.make(widgetBundle / scaledName("empty", scale), [scale] { return drawEmpty(scale); });
        out.make(widgetBundle / scaledName("twitter", scale), [scale] { return drawButton(ButtonGlyph::Message, scale); });
        out.make(widgetBundle / scaledName("facebook", scale), [scale] { return drawButton(ButtonGlyph::People, scale); });
    }

    const fs::path camera = fs::path("demo-home") / "Media" / "DCIM" / "100APPLE";
    out.make(camera / "IMG_0001.JPG", [] {
        Canvas canvas = drawPhoto(drawSunsetSea, "1", 1600, 1200);
        return encodeJpeg(canvas);
    });
    out.make(camera / "IMG_0002.JPG", [] {
        Canvas canvas = drawPhoto(drawGreenHills, "2", 1600, 1200);
        return encodeJpeg(canvas);
    });
    out.make(camera / "IMG_0003.JPG", [] {
        Canvas canvas = drawSidewaysPhoto(drawLighthouse, "3", 1600, 1200);
        return encodeJpeg(canvas, 6);
    });
    out.make(camera / "IMG_0004.JPG", [] {
        Canvas canvas = drawPhoto(drawNightMountains, "4", 1800, 1200);
        return encodeJpeg(canvas);
    });
    out.make(camera / "IMG_0005.PNG", [] {
        Canvas canvas = drawPhoto(drawDesert, "5", 1024, 768);
        return encodePng(canvas);
    });
    out.make(camera / "IMG_0006.JPG", [] {
        Canvas canvas = drawPhoto(drawAutumnForest, "6", 1600, 1200);
        return encodeJpeg(canvas);
    });
    out.make(camera / "IMG_0007.jpg", [] {
        Canvas canvas = drawStrayPicture();
        return encodeJpeg(canvas);
    });
    out.makeText(camera / "notes.txt", albumNotes);

    const fs::path synced = fs::path("demo-home") / "Media" / "PhotoData" / "Sync" / "100SYNCD";
    out.make(synced / "IMG_0101.JPG", [] {
        Canvas canvas = drawPhoto(drawLavenderField, "101", 1600, 1200);
        return encodeJpeg(canvas);
    });
    out.make(synced / "IMG_0102.JPG", [] {
        Canvas canvas = drawPhoto(drawWinter, "102", 1600, 1200);
        return encodeJpeg(canvas);
    });

    out.makeText(fs::path("demo-home") / "Library" / "Preferences" / "com.apple.mobileslideshow.plist", slideshowPreferences);
}

} // namespace

int main(int argc, char** argv)
{
    bool verbose = false;
    std::vector<std::string_view> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--verbose")
            verbose = true;
        else
            folders.push_back(argument);
    }
    if (folders.size() != 1) {
        std::fprintf(stderr, "usage: orvessa_make_assets [--verbose] OUT_DIR\n");
        return 2;
    }
    try {
        AssetWriter writer { fs::path(folders.front()), verbose };
        makeAll(writer);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvessa_make_assets: %s\n", error.what());
        return 1;
    }
    return 0;
}
