// The cost of one slide step, next: then the frame that shows the new photo at scale 2, side by side
// with TurboJPEG's own scaled decode of the same file; the same step when the desktop host has asked
// for the photo ahead (slideStepAhead: only the UI thread's share, the worker's decode is not timed);
// and the process's peak memory while stepping through 48-megapixel photos. Photos are generated once
// into a cache folder under /tmp.
#include "controller/OrvessaController.h"
#include "host/Panel.h"
#include "host/PhotoPrefetch.h"
#include "host/SlidePosition.h"
#include "platform/Application.h"
#include "platform/DecodeService.h"
#include "render/Renderer.h"
#include "tools/pictures/Jpeg.h"
#include "tools/pictures/Png.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const std::filesystem::path kCache = std::filesystem::temp_directory_path() / "orvessa-bench-photos";
constexpr int kDrawnWidth = 612; // The picture frame, 306 x 194 points, at scale 2.
constexpr int kDrawnHeight = 388;

// A photo-like picture: smooth gradients with some detail, so the codecs do real work.
std::vector<unsigned char> photoPixels(int width, int height, int seed)
{
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
            p[0] = static_cast<unsigned char>((x * 255 / width + seed * 40) & 0xFF);
            p[1] = static_cast<unsigned char>((y * 255 / height) ^ ((x / 7 + y / 5) & 15));
            p[2] = static_cast<unsigned char>(128 + 100 * std::sin((x + y * 3 + seed * 100) / 90.0));
        }
    }
    return rgb;
}

std::filesystem::path jpegPhoto(const std::string& name, int width, int height, int seed, bool progressive = false)
{
    auto path = kCache / "Media/DCIM/100APPLE" / name;
    if (std::filesystem::exists(path))
        return path;
    std::filesystem::create_directories(path.parent_path());
    const auto jpeg = pictures::encodeJpeg({ width, height, pictures::PixelFormat::Rgb, photoPixels(width, height, seed) }, { .quality = 90, .subsampling = TJSAMP_420, .progressive = progressive });
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    return path;
}

std::filesystem::path pngPhoto(const std::string& name, int width, int height, int seed)
{
    auto path = kCache / "png/Media/DCIM/100APPLE" / name;
    if (std::filesystem::exists(path))
        return path;
    std::filesystem::create_directories(path.parent_path());
    const auto png = pictures::encodePng({ width, height, pictures::PixelFormat::Rgb, photoPixels(width, height, seed) });
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    return path;
}

// A panel over `home` showing its first photo, paused so only next: changes the picture.
struct SteppingPanel {
    orvessa::Panel panel;
    orvessa::Renderer renderer;
    std::shared_ptr<OrvessaController> widget;

    explicit SteppingPanel(const std::filesystem::path& home)
        : panel(options(home))
    {
        panel.open();
        panel.advance(0.6);
        widget = std::dynamic_pointer_cast<OrvessaController>(panel.widget());
        widget->pauseAction(nullptr);
        frame();
    }
    static orvessa::HostOptions options(const std::filesystem::path& home)
    {
        orvessa::HostOptions options;
        options.resourcesFolder = ORVESSA_RESOURCES_DIR;
        options.home = home;
        options.seed = 1;
        return options;
    }
    void step()
    {
        widget->next(nullptr);
        frame();
    }
    void frame()
    {
        auto frame = renderer.render(panel.window(), panel.context().application().visibleAlerts(), panel.now(), 2);
        benchmark::DoNotOptimize(frame.surface());
    }
};

void slideStep(benchmark::State& state, const std::filesystem::path& home)
{
    SteppingPanel stepping(home);
    for (auto _ : state)
        stepping.step();
}

// The step as `orvessa run` plays it: before each step (untimed) the host's prefetch learns the
// position and its worker finishes the next photo, so the timed step takes it from the cache.
void slideStepAhead(benchmark::State& state, const std::filesystem::path& home)
{
    SteppingPanel stepping(home);
    orvessa::PhotoPrefetch prefetch(stepping.panel, 2);
    for (auto _ : state) {
        state.PauseTiming();
        prefetch.update(orvessa::slidePosition(*stepping.widget));
        while (DecodeService::liveRequestCount() > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        auto decodesBefore = stepping.panel.context().uiThreadDecodeCount();
        state.ResumeTiming();
        stepping.step();
        if (stepping.panel.context().uiThreadDecodeCount() != decodesBefore) {
            state.SkipWithError("the step decoded on the UI thread: the prefetch asked for another size");
            break;
        }
    }
}

// What TurboJPEG itself takes to read the file and decode it at the factor the widget uses.
void turboJpegScaledDecode(benchmark::State& state, const std::filesystem::path& file)
{
    std::vector<unsigned char> pixels;
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        std::vector<unsigned char> bytes(std::filesystem::file_size(file));
        in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
        int width = 0, height = 0, subsampling = 0, colorspace = 0;
        tjDecompressHeader3(handle, bytes.data(), bytes.size(), &width, &height, &subsampling, &colorspace);
        int count = 0;
        tjscalingfactor* factors = tjGetScalingFactors(&count);
        tjscalingfactor best { 1, 1 };
        for (int i = 0; i < count; ++i) {
            int w = TJSCALED(width, factors[i]), h = TJSCALED(height, factors[i]);
            if (w >= kDrawnWidth && h >= kDrawnHeight && w * h < TJSCALED(width, best) * TJSCALED(height, best))
                best = factors[i];
        }
        int w = TJSCALED(width, best), h = TJSCALED(height, best);
        pixels.resize(std::size_t(w) * std::size_t(h) * 4);
        tjDecompress2(handle, bytes.data(), bytes.size(), pixels.data(), w, 0, h, TJPF_BGRA, 0);
        benchmark::DoNotOptimize(pixels.data());
    }
    tjDestroy(handle);
}

// A whole vipsthumbnail process making a thumbnail of the same size, when the tool is installed.
void vipsThumbnail(benchmark::State& state, const std::filesystem::path& file)
{
    std::string size = std::to_string(kDrawnWidth) + "x" + std::to_string(kDrawnHeight);
    std::string output = (kCache / "vips-out.png").string();
    std::vector<std::string> arguments { "vipsthumbnail", file.string(), "--size", size, "-o", output };
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "vipsthumbnail", nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("vipsthumbnail is not installed (apt-get install libvips-tools)");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("vipsthumbnail failed");
            return;
        }
    }
}

// Peak memory of the whole process after 100 steps through 48-megapixel photos. Run it alone
// (--benchmark_filter=peakMemory) so nothing else has raised the peak.
void peakMemory(benchmark::State& state)
{
    for (int i = 0; i < 4; ++i)
        jpegPhoto("BIG_" + std::to_string(i) + ".JPG", 8000, 6000, i);
    for (auto _ : state) {
        SteppingPanel stepping(kCache / "big-home");
        for (int i = 0; i < 100; ++i)
            stepping.step();
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}

std::filesystem::path homeWith(const std::string& name, const std::filesystem::path& photo)
{
    auto home = kCache / name;
    auto roll = home / "Media/DCIM/100APPLE";
    std::filesystem::create_directories(roll);
    for (const char* copy : { "IMG_0001", "IMG_0002" }) {
        auto link = roll / (copy + photo.extension().string());
        if (!std::filesystem::exists(link))
            std::filesystem::create_symlink(photo, link);
    }
    return home;
}

const auto kJpeg12 = jpegPhoto("P12.JPG", 4000, 3000, 1);
const auto kJpeg12Progressive = jpegPhoto("P12P.JPG", 4000, 3000, 4, true);
const auto kJpeg48 = jpegPhoto("P48.JPG", 8000, 6000, 2);
const auto kPng12 = pngPhoto("P12.PNG", 4000, 3000, 3);

struct BigHome {
    BigHome()
    {
        auto roll = kCache / "big-home/Media/DCIM/100APPLE";
        std::filesystem::create_directories(roll);
        for (int i = 0; i < 4; ++i) {
            auto link = roll / ("BIG_" + std::to_string(i) + ".JPG");
            if (!std::filesystem::exists(link))
                std::filesystem::create_symlink(kCache / "Media/DCIM/100APPLE" / ("BIG_" + std::to_string(i) + ".JPG"), link);
        }
    }
} const kBigHome;

}

BENCHMARK_CAPTURE(slideStep, jpeg12MP, homeWith("home-jpeg12", kJpeg12))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStepAhead, jpeg12MP, homeWith("home-jpeg12", kJpeg12))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turboJpegScaledDecode, jpeg12MP, kJpeg12)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStep, jpeg12MPprogressive, homeWith("home-jpeg12p", kJpeg12Progressive))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStepAhead, jpeg12MPprogressive, homeWith("home-jpeg12p", kJpeg12Progressive))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStep, jpeg48MP, homeWith("home-jpeg48", kJpeg48))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStepAhead, jpeg48MP, homeWith("home-jpeg48", kJpeg48))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turboJpegScaledDecode, jpeg48MP, kJpeg48)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStep, png12MP, homeWith("home-png12", kPng12))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(slideStepAhead, png12MP, homeWith("home-png12", kPng12))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(vipsThumbnail, png12MP, kPng12)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(peakMemory)->Iterations(1)->Unit(benchmark::kSecond);
