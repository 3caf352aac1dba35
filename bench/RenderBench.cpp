#include "host/Panel.h"
#include "platform/Application.h"
#include "render/Renderer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

// Frames of the built-in demo panel: two of its photos cross-fading over the row background.
// The demo's own preferences advance every 3 seconds and keep the aspect ratio; the fill variant uses
// the same photos stretched over the whole picture frame, the most pixels a cross-fade paints.

namespace {

const std::filesystem::path kResources = ORVESSA_RESOURCES_DIR;

// A home with only a preferences file, for the photos to be mounted over its camera roll.
class FillHome {
public:
    FillHome()
        : m_path(std::filesystem::temp_directory_path() / ("orvessa-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path / "Library/Preferences");
        std::ofstream(m_path / "Library/Preferences/com.apple.mobileslideshow.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>SecondsPerSlide</key><integer>3</integer><key>preserveaspect</key><false/></dict></plist>\n";
    }
    ~FillHome() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

orvessa::HostOptions demoOptions(float scale)
{
    orvessa::HostOptions options;
    options.resourcesFolder = kResources;
    options.seed = 7;
    options.scale = scale;
    return options;
}

// Renders the same moment over and over with one renderer, as a recording or the window does.
void renderAt(benchmark::State& state, orvessa::HostOptions options, double seconds, bool showOverlay)
{
    float scale = float(state.range(0));
    options.scale = scale;
    orvessa::Panel panel(options);
    panel.open();
    if (showOverlay) {
        // Shown once the picture has faded in; the controls take half a second to appear.
        panel.advance(0.6);
        panel.tap({ 156, 100 });
    }
    panel.advance(seconds - panel.now());
    orvessa::Renderer renderer;
    const auto& alerts = panel.context().application().visibleAlerts();
    renderer.render(panel.window(), alerts, panel.now(), scale); // Decodes and resamples once.
    for (auto _ : state) {
        orvessa::Frame frame = renderer.render(panel.window(), alerts, panel.now(), scale);
        benchmark::DoNotOptimize(frame.surface());
    }
}

void demoMidFade(benchmark::State& state)
{
    renderAt(state, demoOptions(2), 3.5, false);
}

void fillMidFade(benchmark::State& state)
{
    FillHome home;
    auto options = demoOptions(2);
    options.home = home.path();
    options.photos = kResources / "demo-home/Media/DCIM/100APPLE";
    renderAt(state, options, 3.5, false);
}

void demoOverlayFading(benchmark::State& state)
{
    renderAt(state, demoOptions(2), 0.85, true);
}

// Nothing moves: the frame is a copy of the last one's pixels.
void demoSettled(benchmark::State& state)
{
    renderAt(state, demoOptions(2), 2.0, false);
}

// Asking whether a frame would repeat the last one, as a recording can before drawing it: nothing
// moves, so the answer is yes.
void demoRepeatCheck(benchmark::State& state)
{
    orvessa::Panel panel(demoOptions(2));
    panel.open();
    panel.advance(2.0);
    orvessa::Renderer renderer;
    const auto& alerts = panel.context().application().visibleAlerts();
    renderer.render(panel.window(), alerts, panel.now(), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer.wouldRepeatLastFrame(panel.window(), alerts, panel.now(), 2));
}

// A renderer of its own for one frame: every picture decoded and resampled again.
void demoSingleFrame(benchmark::State& state)
{
    float scale = float(state.range(0));
    orvessa::Panel panel(demoOptions(scale));
    panel.open();
    panel.advance(3.5);
    for (auto _ : state) {
        orvessa::Frame frame = orvessa::renderPanel(panel.window(), panel.context().application().visibleAlerts(), panel.now(), scale);
        benchmark::DoNotOptimize(frame.surface());
    }
}

}

BENCHMARK(demoMidFade)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(fillMidFade)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(demoOverlayFading)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(demoSettled)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(demoRepeatCheck)->Unit(benchmark::kMicrosecond);
BENCHMARK(demoSingleFrame)->Arg(2)->Unit(benchmark::kMicrosecond);
