#include "host/Panel.h"
#include "platform/Application.h"
#include "render/Renderer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <functional>

// Whether a frame would repeat the last one drawn: a recording skips drawing and encoding on "yes",
// so "yes" must never be said for a frame whose pixels differ.

namespace {

using testing_support::kCameraRoll;
using testing_support::kSynced;
using testing_support::panelOptions;
using testing_support::TestHome;

constexpr float kScale = 1;

bool samePixels(const orvessa::Frame& a, const orvessa::Frame& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    cairo_surface_flush(a.surface());
    cairo_surface_flush(b.surface());
    int stride = cairo_image_surface_get_stride(a.surface());
    return stride == cairo_image_surface_get_stride(b.surface())
        && std::memcmp(cairo_image_surface_get_data(a.surface()), cairo_image_surface_get_data(b.surface()), std::size_t(stride) * std::size_t(a.height())) == 0;
}

class RepeatedFrame : public testing::Test {
protected:
    RepeatedFrame()
    {
        m_home.addPhoto("IMG_0001.JPG", { 200, 40, 40 }, kSynced);
        m_home.addPhoto("IMG_0002.JPG", { 40, 40, 200 }, kCameraRoll);
        m_panel.emplace(panelOptions(m_home.path()));
        m_panel->open();
    }

    orvessa::Panel& panel() { return *m_panel; }
    const std::vector<std::shared_ptr<UIAlertView>>& alerts() { return m_panel->context().application().visibleAlerts(); }
    orvessa::Frame draw(float scale = kScale) { return m_renderer.render(m_panel->window(), alerts(), m_panel->now(), scale); }
    bool wouldRepeat(float scale = kScale) { return m_renderer.wouldRepeatLastFrame(m_panel->window(), alerts(), m_panel->now(), scale); }

    TestHome m_home;
    std::optional<orvessa::Panel> m_panel;
    orvessa::Renderer m_renderer;
};

TEST_F(RepeatedFrame, IdlePanelRepeatsBetweenSlidesAndSaysSoTruly)
{
    EXPECT_FALSE(wouldRepeat()) << "nothing drawn yet";
    panel().advance(0.6); // The picture has faded in; the next slide comes at 5 seconds.
    orvessa::Frame first = draw();
    for (double t : { 1.0, 2.5, 4.9 }) {
        panel().advance(t - panel().now());
        EXPECT_TRUE(wouldRepeat()) << "at " << t;
        EXPECT_TRUE(samePixels(draw(), first)) << "at " << t;
    }
    EXPECT_FALSE(wouldRepeat(2)) << "another scale";
}

TEST_F(RepeatedFrame, ChangesOfWhatIsShownNeverRepeat)
{
    panel().advance(0.6);
    const std::vector<std::pair<const char*, std::function<void()>>> changes {
        { "cross-fade begun", [&] { panel().advance(4.5); } },
        { "cross-fade, later", [&] { panel().advance(0.05); } },
        { "cross-fade ended", [&] { panel().advance(1.0); } },
        { "overlay fading in", [&] { panel().tap({ 156, 100 }); panel().advance(0.1); } },
        { "overlay shown", [&] { panel().advance(0.5); } },
        { "alert", [&] { panel().tap({ 302, 12.5 }); panel().advance(0.1); } },
        { "alert dismissed", [&] { panel().dismissTopAlert(); } },
        { "narrower row", [&] { panel().resize(280); } },
        { "panel closed", [&] { panel().close(); } },
    };
    orvessa::Frame previous = draw();
    for (const auto& [name, change] : changes) {
        change();
        EXPECT_FALSE(wouldRepeat()) << name;
        orvessa::Frame frame = draw();
        EXPECT_FALSE(samePixels(frame, previous)) << name << ": a change that shows nowhere tests nothing";
        previous = std::move(frame);
    }
}

// A whole session in small steps: every frame said to repeat the last one does so byte for byte, and
// the answer is "yes" often enough to be worth asking.
TEST_F(RepeatedFrame, EveryRepeatAnsweredInASessionIsExact)
{
    const std::vector<std::pair<double, std::function<void()>>> events {
        { 2.0, [&] { panel().tap({ 156, 100 }); } },
        { 3.0, [&] { panel().tap({ 151, 175 }); } }, // Pause: the play item fades in.
        { 4.0, [&] { panel().tap({ 302, 12.5 }); } },
        { 5.0, [&] { panel().dismissTopAlert(); } },
        { 5.5, [&] { panel().tap({ 151, 175 }); } }, // Play again.
        { 6.0, [&] { panel().resize(290); } },
    };
    std::size_t nextEvent = 0;
    int repeats = 0;
    int fresh = 0;
    std::optional<orvessa::Frame> previous;
    for (int step = 0; step <= 12 * 10; ++step) {
        double t = step / 10.0;
        panel().advance(t - panel().now());
        while (nextEvent < events.size() && events[nextEvent].first <= t)
            events[nextEvent++].second();
        bool repeat = wouldRepeat();
        orvessa::Frame frame = draw();
        if (repeat) {
            ++repeats;
            EXPECT_TRUE(previous && samePixels(frame, *previous)) << "at " << t;
        } else {
            ++fresh;
        }
        previous = std::move(frame);
    }
    EXPECT_GT(repeats, 40);
    EXPECT_GT(fresh, 20);
}

}
