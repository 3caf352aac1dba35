#include "host/PhotoPrefetch.h"
#include "host/SlidePosition.h"
#include "platform/Application.h"
#include "platform/DecodeService.h"
#include "render/Renderer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// Photos decoded ahead by the desktop host must draw exactly the pixels the widget's own decode draws:
// if the host asked for any other size than the renderer does, the draw would miss the kept picture
// and decode on the UI thread, and if it kept other pixels the frames would differ.

namespace {

using testing_support::TestHome;

std::uint64_t frameHash(const orvessa::Frame& frame)
{
    cairo_surface_t* surface = frame.surface();
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width() * 4; ++x)
            hash = (hash ^ data[std::ptrdiff_t(y) * stride + x]) * 1099511628211ull;
    }
    return hash;
}

struct Played {
    std::vector<std::uint64_t> frames;
    std::uint64_t uiThreadDecodes { 0 };
    std::uint64_t steps { 0 };
};

// Plays the panel for `seconds` in tenths of a second at scale 2, one frame each, as the desktop
// window does; with `ahead`, the host's prefetch is told of every position and finishes its decodes
// before each frame (so the result does not depend on the worker's speed).
Played play(const std::filesystem::path& home, bool ahead, double seconds, float scale)
{
    orvessa::Panel panel(testing_support::panelOptions(home, 3));
    std::optional<orvessa::PhotoPrefetch> prefetch;
    if (ahead)
        prefetch.emplace(panel, scale);
    orvessa::Renderer renderer;
    Played played;
    panel.open();
    std::optional<std::int64_t> last;
    std::uint64_t decodesAfterFirstFrame = 0;
    for (double t = 0; t < seconds; t += 0.1) {
        auto position = orvessa::slidePosition(*panel.widget());
        if (position && last && *last != position->currentImage)
            ++played.steps;
        if (position)
            last = position->currentImage;
        if (prefetch) {
            prefetch->update(position);
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (DecodeService::liveRequestCount() > 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        played.frames.push_back(frameHash(renderer.render(panel.window(), panel.context().application().visibleAlerts(), panel.now(), scale)));
        if (played.frames.size() == 1)
            decodesAfterFirstFrame = panel.context().uiThreadDecodeCount();
        panel.advance(0.1);
    }
    // As `run --stats` counts them: the row's own pictures are decoded for the first frame.
    played.uiThreadDecodes = panel.context().uiThreadDecodeCount() - decodesAfterFirstFrame;
    return played;
}

TEST(PrefetchedFrames, EqualTheWidgetsOwnFramesAndNeedNoUiThreadDecode)
{
    TestHome home;
    // Sizes and aspects that place differently: wider, taller and smaller than the picture frame.
    home.addPhoto("a.JPG", { 200, 40, 40 }, testing_support::kCameraRoll, 640, 480);
    home.addPhoto("b.JPG", { 40, 200, 40 }, testing_support::kCameraRoll, 300, 500);
    home.addPhoto("c.JPG", { 40, 40, 200 }, testing_support::kCameraRoll, 97, 61);
    home.addPhoto("d.JPG", { 90, 90, 20 }, testing_support::kSynced, 1001, 333);
    for (const char* aspect : { "<true/>", "<false/>" }) {
        home.writePreferences(std::string("<key>SecondsPerSlide</key><integer>2</integer><key>preserveaspect</key>") + aspect);
        for (float scale : { 1.0f, 2.0f }) {
            auto plain = play(home.path(), false, 9.05, scale);
            auto ahead = play(home.path(), true, 9.05, scale);
            SCOPED_TRACE(std::string("preserveaspect ") + aspect + " scale " + std::to_string(scale));
            EXPECT_EQ(plain.steps, 4u);
            ASSERT_EQ(ahead.frames.size(), plain.frames.size());
            for (std::size_t i = 0; i < plain.frames.size(); ++i)
                EXPECT_EQ(ahead.frames[i], plain.frames[i]) << "frame " << i;
            EXPECT_GE(plain.uiThreadDecodes, 5u);
            EXPECT_EQ(ahead.uiThreadDecodes, 0u);
        }
    }
}

}

// The host reads the position after every step: with a folder of many thousands of photos, a copy of
// the list each time would cost the UI thread more than the step itself.
TEST(SlidePosition, ReadsTheWidgetsOwnListAndWrapsAtBothEnds)
{
    TestHome home;
    for (const char* name : { "a.JPG", "b.JPG", "c.JPG" })
        home.addPhoto(name, { 90, 90, 90 }, testing_support::kCameraRoll, 8, 8);
    orvessa::Panel panel(testing_support::panelOptions(home.path(), 3));
    panel.create();
    panel.placeholder();
    EXPECT_FALSE(orvessa::slidePosition(*panel.widget())) << "no list before the full view";
    panel.full();
    auto position = orvessa::slidePosition(*panel.widget());
    ASSERT_TRUE(position);
    std::shared_ptr<const PathList> listed;
    for (auto& field : panel.widget()->debugState()) {
        if (field.name == "images")
            listed = std::get<std::shared_ptr<const PathList>>(field.value);
    }
    EXPECT_EQ(position->images.get(), listed.get());
    ASSERT_EQ(position->images->size(), 3u);
    EXPECT_EQ(position->entry(0), (*listed)[std::size_t(position->currentImage)]);
    EXPECT_EQ(position->entry(-1), (*listed)[std::size_t((position->currentImage + 2) % 3)]);
    EXPECT_EQ(position->entry(4), (*listed)[std::size_t((position->currentImage + 1) % 3)]);
}
