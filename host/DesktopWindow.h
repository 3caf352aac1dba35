#pragma once

#include "host/RunStatistics.h"
#include "render/Frame.h"
#include "render/Renderer.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;
union SDL_Event;

namespace orvessa {

class Panel;
class PhotoPrefetch;

// There is no display to open a window on, or the video system refused to start on it.
struct DisplayUnavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The panel in a desktop window (SDL2), on the one UI thread and the panel's own clock.
//
// It draws only when the picture can have changed: after an event it handled or a run-loop fire, and
// at the display's rate while the last frame drawn showed some view's alpha on its way to its model
// value (an animation running), plus one frame after that to land on the final value. Otherwise it
// sleeps in SDL_WaitEventTimeout until the next fire time or the next event.
//
// Keys: Space or c closes and reopens the panel; Escape or q quits. A left click goes to the panel
// as a click at a window point. Links the widget opens go to the desktop's opener (xdg-open, started
// directly, never through a shell), or are printed when there is none.
//
// With decodeAhead, the window keeps the photos the widget will show next decoded off the UI thread
// (PhotoPrefetch); the widget plays exactly as it would without. Either way it keeps frame-timing
// figures (RunStatistics) from the first frame of the opened panel.
class DesktopWindow {
public:
    enum class Ending {
        Quit,
        TimeUp,
    };

    static constexpr const char* kTitle = "Orvessa";
    static constexpr const char* kKeysHelp = "click the row to tap it; Space closes and reopens the panel; Esc or q quits";

    // Why no window can open here (no DISPLAY nor WAYLAND_DISPLAY), or nothing.
    static std::optional<std::string> displayProblem();

    // Opens a window of the panel's size, `scale` pixels per point, and becomes the panel's link
    // opener; links with no opener are printed on `linkOutput`. Throws DisplayUnavailable when there
    // is no display, std::runtime_error when SDL cannot make the window or its renderer.
    // NOTE: One at a time: the window starts SDL's video and quits SDL when it goes.
    DesktopWindow(Panel&, float scale, std::ostream& linkOutput, bool decodeAhead = true);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Handles every pending event, waiting for the first at most maxWaitSeconds (less when a frame
    // or a fire is due sooner); fires what the run loop has due; draws if the picture may have
    // changed. False once the user asked to quit.
    bool pumpOnce(double maxWaitSeconds);
    // Pumps until the user quits or `seconds` have passed. The panel stays as it is: see quitPanel().
    Ending run(std::optional<double> seconds);

    // Closes the panel if it is open, then opens it: the widget reads its image list and settings afresh.
    void reopenPanel();
    // The host's way out: closes the panel, then releases the widget. The window stays until destroyed.
    void quitPanel();

    // The last frame drawn; null before the first.
    const Frame* lastFrame() const { return m_lastFrame ? &*m_lastFrame : nullptr; }
    // What the window shows, read back through the renderer (opaque).
    Frame readWindowPixels();
    std::size_t framesDrawn() const { return m_framesDrawn; }
    // The figures of `orvessa run --stats`, up to now.
    RunStatistics::Figures statistics() const;
    // The prefetch service beside the widget; null without decodeAhead.
    PhotoPrefetch* prefetch() const { return m_prefetch.get(); }
    int pixelWidth() const { return m_pixelWidth; }
    int pixelHeight() const { return m_pixelHeight; }

    // Queues a left press and release at a window pixel as SDL events; the next pump handles them.
    void clickAtPixel(int x, int y);
    // Link openers started and not yet reaped.
    std::size_t runningLinkOpeners() const { return m_linkOpeners.size(); }

private:
    void handleEvent(const SDL_Event&);
    // Reads the widget's position after anything that may have moved it: counts a step, asks for
    // the photos around it.
    void observeWidget();
    void panelClosed();
    bool isSettled(double now) const;
    double nextFrameTime() const;
    void draw(double now);
    void present();
    void createTexture();
    bool openLink(const std::string& url);
    void reapLinkOpeners();

    Panel& m_panel;
    float m_scale { 2 };
    std::ostream& m_linkOutput;
    int m_pixelWidth { 0 };
    int m_pixelHeight { 0 };
    SDL_Window* m_window { nullptr };
    SDL_Renderer* m_renderer { nullptr };
    SDL_Texture* m_texture { nullptr };
    bool m_vsync { false };
    double m_frameInterval { 1.0 / 60 };

    Renderer m_frameRenderer;
    std::optional<Frame> m_lastFrame;
    std::size_t m_framesDrawn { 0 };
    double m_lastFrameTime { 0 };
    bool m_needsDraw { true }; // Something happened since the last frame.
    bool m_lastFrameSettled { false }; // Every alpha drawn in the last frame was its model value.
    bool m_needsPresent { false }; // The window lost its contents (exposed): show the texture again.
    bool m_leftButtonDown { false };
    bool m_quitRequested { false };
    std::vector<pid_t> m_linkOpeners;

    std::unique_ptr<PhotoPrefetch> m_prefetch;
    RunStatistics m_statistics;
    bool m_widgetMayHaveChanged { false }; // A timer fired, the row was clicked or the panel opened.
    std::optional<std::int64_t> m_slideIndex; // The widget's position when last read.
    double m_presentSeconds { 0 }; // How long the last present waited for the display, with vsync.
    std::optional<double> m_firstFrameDeadline; // While the opened panel's first frame may wait.
};

}
