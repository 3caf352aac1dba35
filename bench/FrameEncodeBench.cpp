#include "host/Panel.h"
#include "platform/Application.h"
#include "render/AnimatedWebP.h"
#include "render/JpegEncoder.h"
#include "render/PngEncoder.h"
#include "render/Renderer.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <vector>

// Encoding the demo panel's frames (scale 2, 640 x 480): the frame encoder at its settings against
// the others it could have, cairo's own PNG writer (zlib's default level through libpng, what frames
// cost before), and libpng with zlib at faster levels, strategies and filters. Each reports the
// bytes of a frame; the README's table comes from these.

namespace {

// The demo home, as the frames of `make demo` show it.
orvessa::HostOptions demoOptions()
{
    orvessa::HostOptions options;
    options.resourcesFolder = ORVESSA_RESOURCES_DIR;
    options.seed = 7;
    return options;
}

// Frames of the demo at moments that show each kind of picture: the photo fading in, a settled
// photo, a cross-fade, the controls fading in and shown over a photo.
const std::vector<orvessa::Frame>& demoFrames()
{
    static const std::vector<orvessa::Frame> frames = [] {
        orvessa::HostOptions options = demoOptions();
        options.scale = 2;
        orvessa::Panel panel(options);
        panel.open();
        orvessa::Renderer renderer;
        std::vector<orvessa::Frame> drawn;
        auto draw = [&] { drawn.push_back(renderer.render(panel.window(), panel.context().application().visibleAlerts(), panel.now(), 2)); };
        for (double t : { 0.25, 2.0, 3.5 }) {
            panel.advance(t - panel.now());
            draw();
        }
        panel.tap({ 150, 60 });
        for (double t : { 3.75, 4.5, 6.5 }) {
            panel.advance(t - panel.now());
            draw();
        }
        return drawn;
    }();
    return frames;
}

// The panel as a snapshot at 0 s shows it, before the photo has begun to fade in: the row, its
// placeholder and the grain, a few hundred colours in all.
const std::vector<orvessa::Frame>& panelOnlyFrames()
{
    static const std::vector<orvessa::Frame> frames = [] {
        orvessa::Panel panel(demoOptions());
        panel.open();
        std::vector<orvessa::Frame> drawn;
        drawn.push_back(orvessa::renderPanel(panel.window(), panel.context().application().visibleAlerts(), panel.now(), 2));
        return drawn;
    }();
    return frames;
}

template<class Encode>
void encodeFrames(benchmark::State& state, const std::vector<orvessa::Frame>& frames, Encode encode)
{
    std::size_t bytes = 0;
    std::size_t encoded = 0;
    for (auto _ : state) {
        for (const auto& frame : frames) {
            std::size_t size = encode(frame);
            benchmark::DoNotOptimize(size);
            bytes += size;
            ++encoded;
        }
    }
    state.counters["bytesPerFrame"] = double(bytes) / double(encoded);
    state.counters["frames"] = benchmark::Counter(double(encoded), benchmark::Counter::kIsRate);
}

template<class Encode>
void encodeDemoFrames(benchmark::State& state, Encode encode)
{
    encodeFrames(state, demoFrames(), encode);
}

void ours(benchmark::State& state, int level, orvessa::PngRowFilter filter)
{
    encodeDemoFrames(state, [&](const orvessa::Frame& frame) { return orvessa::encodePng(frame, { level, filter }).size(); });
}

void oursPanelOnly(benchmark::State& state)
{
    encodeFrames(state, panelOnlyFrames(), [](const orvessa::Frame& frame) { return orvessa::encodePng(frame).size(); });
}

cairo_status_t countBytes(void* closure, const unsigned char*, unsigned int length)
{
    *static_cast<std::size_t*>(closure) += length;
    return CAIRO_STATUS_SUCCESS;
}

void cairoPng(benchmark::State& state)
{
    encodeDemoFrames(state, [](const orvessa::Frame& frame) {
        std::size_t size = 0;
        cairo_surface_write_to_png_stream(frame.surface(), countBytes, &size);
        return size;
    });
}

void countPngBytes(png_structp png, png_bytep, png_size_t length)
{
    *static_cast<std::size_t*>(png_get_io_ptr(png)) += length;
}

// libpng and zlib with the given level, strategy and filters, RGB rows from an opaque frame.
void libpngZlib(benchmark::State& state, int level, int strategy, int filters)
{
    encodeDemoFrames(state, [&](const orvessa::Frame& frame) {
        std::size_t size = 0;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        std::vector<png_byte> row(std::size_t(frame.width()) * 3);
        if (setjmp(png_jmpbuf(png)) == 0) {
            png_set_write_fn(png, &size, countPngBytes, nullptr);
            png_set_IHDR(png, info, png_uint_32(frame.width()), png_uint_32(frame.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_set_compression_level(png, level);
            png_set_compression_strategy(png, strategy);
            png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
            png_write_info(png, info);
            const unsigned char* data = cairo_image_surface_get_data(frame.surface());
            int stride = cairo_image_surface_get_stride(frame.surface());
            for (int y = 0; y < frame.height(); ++y) {
                const auto* words = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
                for (int x = 0; x < frame.width(); ++x) {
                    row[std::size_t(x) * 3] = png_byte(words[x] >> 16);
                    row[std::size_t(x) * 3 + 1] = png_byte(words[x] >> 8);
                    row[std::size_t(x) * 3 + 2] = png_byte(words[x]);
                }
                png_write_row(png, row.data());
            }
            png_write_end(png, nullptr);
        }
        png_destroy_write_struct(&png, &info);
        return size;
    });
}

void jpeg(benchmark::State& state, int quality)
{
    encodeDemoFrames(state, [&](const orvessa::Frame& frame) { return orvessa::encodeJpeg(frame, quality).size(); });
}

// The six frames as an animation, 50 ms apart, at a libwebp method.
void animatedWebP(benchmark::State& state, int method)
{
    const auto& frames = demoFrames();
    std::size_t bytes = 0;
    for (auto _ : state) {
        orvessa::MemoryOutput output;
        orvessa::AnimatedWebP animation(output, frames.front().width(), frames.front().height(), orvessa::kDefaultWebPQuality, method);
        long long t = 0;
        for (const auto& frame : frames) {
            animation.addFrame(frame, t);
            t += 50;
        }
        animation.finish(t);
        bytes = output.bytes().size();
    }
    state.counters["bytesPerFrame"] = double(bytes) / double(frames.size());
    state.counters["frames"] = benchmark::Counter(double(frames.size() * state.iterations()), benchmark::Counter::kIsRate);
}

using orvessa::PngRowFilter;

}

BENCHMARK_CAPTURE(ours, chosen, orvessa::PngSettings {}.level, orvessa::PngSettings {}.filter)->Unit(benchmark::kMillisecond);
BENCHMARK(oursPanelOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level1_none, 1, PngRowFilter::None)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level1_sub, 1, PngRowFilter::Sub)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level1_up, 1, PngRowFilter::Up)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level1_paeth, 1, PngRowFilter::Paeth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level1_adaptive, 1, PngRowFilter::Adaptive)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level2_none, 2, PngRowFilter::None)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level6_none, 6, PngRowFilter::None)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level6_up, 6, PngRowFilter::Up)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, level6_adaptive, 6, PngRowFilter::Adaptive)->Unit(benchmark::kMillisecond);
BENCHMARK(cairoPng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngZlib, level6_default_all, 6, Z_DEFAULT_STRATEGY, PNG_ALL_FILTERS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngZlib, level1_default_up, 1, Z_DEFAULT_STRATEGY, PNG_FILTER_UP)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngZlib, level1_rle_up, 1, Z_RLE, PNG_FILTER_UP)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngZlib, level1_rle_sub, 1, Z_RLE, PNG_FILTER_SUB)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngZlib, level3_filtered_paeth, 3, Z_FILTERED, PNG_FILTER_PAETH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngZlib, level1_huffman_up, 1, Z_HUFFMAN_ONLY, PNG_FILTER_UP)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(jpeg, quality90, 90)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(jpeg, quality75, 75)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(animatedWebP, method0, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(animatedWebP, method1, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(animatedWebP, method2, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(animatedWebP, method4, 4)->Unit(benchmark::kMillisecond);
