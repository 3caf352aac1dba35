#include "host/DesktopWindow.h"

#include "host/Panel.h"
#include "host/PhotoPrefetch.h"
#include "host/SlidePosition.h"
#include "platform/Application.h"
#include "platform/Context.h"
#include "platform/RunLoop.h"
#include "platform/View.h"

#include <SDL.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <ostream>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace orvessa {

namespace {

// While a link opener runs, the loop wakes at least this often to reap it: its exit wakes nothing.
constexpr double kReapInterval = 1.0;
// With vsync, a frame starts a little before its slot so that presenting it does not miss the vblank.
constexpr double kVsyncSlack = 0.004;
// How often the loop looks whether the opened panel's first photo is ready while its frame waits.
constexpr double kFirstPhotoPoll = 0.002;

bool anyViewUnsettled(const UIView& view, double now)
{
    if (view.presentationAlpha(now) != view.alpha())
        return true;
    return std::any_of(view.subviews().begin(), view.subviews().end(), [now](const auto& subview) {
        return subview && anyViewUnsettled(*subview, now);
    });
}

int millisecondsToWait(double seconds)
{
    // Round up: waking a fraction of a millisecond early would only spin once more.
    double milliseconds = std::ceil(seconds * 1000.0);
    return int(std::clamp(milliseconds, 0.0, double(std::numeric_limits<int>::max())));
}

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// The video drivers for the displays the environment names, in SDL's own order of preference. Left
// to itself SDL would fall back to its invisible offscreen driver when the display does not answer,
// and let a Wayland client library complain on standard error when there is no Wayland at all.
// NOTE: SDL_VIDEODRIVER in the environment still wins over this hint.
std::string videoDrivers()
{
    std::string drivers;
    if (isSet("DISPLAY"))
        drivers = "x11";
    if (isSet("WAYLAND_DISPLAY"))
        drivers += drivers.empty() ? "wayland" : ",wayland";
    return drivers;
}

}

std::optional<std::string> DesktopWindow::displayProblem()
{
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
        return "no display to open a window on (is DISPLAY set?)";
    return std::nullopt;
}

DesktopWindow::DesktopWindow(Panel& panel, float scale, std::ostream& linkOutput, bool decodeAhead)
    : m_panel(panel)
    , m_scale(scale)
    , m_linkOutput(linkOutput)
{
    if (!(scale > 0 && scale <= 8))
        throw std::invalid_argument("window scale " + std::to_string(scale) + " is outside (0, 8]");
    if (auto problem = displayProblem())
        throw DisplayUnavailable(*problem);

    // A slideshow window should neither keep the screen awake nor bypass the desktop's compositor.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, videoDrivers().c_str());
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::string where = isSet("DISPLAY") ? std::string("display ") + std::getenv("DISPLAY") : std::string("the Wayland display ") + std::getenv("WAYLAND_DISPLAY");
        throw DisplayUnavailable("cannot open a window on " + where + " (" + SDL_GetError() + ")");
    }

    m_pixelWidth = int(std::lround(Panel::kWindowFrame.size.width * scale));
    m_pixelHeight = int(std::lround(Panel::kWindowFrame.size.height * scale));
    m_window = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, m_pixelWidth, m_pixelHeight, SDL_WINDOW_SHOWN);
    if (!m_window) {
        std::string error = SDL_GetError();
        SDL_Quit();
        throw std::runtime_error("cannot open a window: " + error);
    }
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!m_renderer)
        m_renderer = SDL_CreateRenderer(m_window, -1, 0);
    if (!m_renderer) {
        std::string error = SDL_GetError();
        SDL_DestroyWindow(m_window);
        SDL_Quit();
        throw std::runtime_error("cannot draw into the window: " + error);
    }
    SDL_RendererInfo info {};
    if (SDL_GetRendererInfo(m_renderer, &info) == 0)
        m_vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    SDL_DisplayMode mode {};
    if (SDL_GetWindowDisplayMode(m_window, &mode) == 0 && mode.refresh_rate > 0)
        m_frameInterval = 1.0 / std::clamp(mode.refresh_rate, 30, 240);
    try {
        createTexture();
    } catch (...) {
        SDL_DestroyRenderer(m_renderer);
        SDL_DestroyWindow(m_window);
        SDL_Quit();
        throw;
    }

    m_panel.setLinkOpener([this](const std::string& url) { return openLink(url); });
    if (decodeAhead)
        m_prefetch = std::make_unique<PhotoPrefetch>(m_panel, scale);
}

DesktopWindow::~DesktopWindow()
{
    m_prefetch.reset();
    m_panel.setLinkOpener({});
    reapLinkOpeners();
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    SDL_DestroyRenderer(m_renderer);
    SDL_DestroyWindow(m_window);
    SDL_Quit();
}

void DesktopWindow::createTexture()
{
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, m_pixelWidth, m_pixelHeight);
    if (!m_texture)
        throw std::runtime_error(std::string("cannot make the window's texture: ") + SDL_GetError());
    // The panel is opaque; cairo's premultiplied alpha must not blend with whatever is behind.
    SDL_SetTextureBlendMode(m_texture, SDL_BLENDMODE_NONE);
}

bool DesktopWindow::pumpOnce(double maxWaitSeconds)
{
    RunLoop& runLoop = m_panel.context().runLoop();
    double now = runLoop.now();
    double wait = maxWaitSeconds;
    if (m_prefetch && m_prefetch->holdsFirstFrame(now))
        wait = std::min(wait, kFirstPhotoPoll);
    else if (m_needsDraw || m_needsPresent)
        wait = 0;
    else if (!m_lastFrameSettled)
        wait = std::min(wait, nextFrameTime() - now);
    if (auto fireTime = runLoop.nextFireTime())
        wait = std::min(wait, *fireTime - now);
    if (!m_linkOpeners.empty())
        wait = std::min(wait, kReapInterval);

    SDL_Event event;
    bool hasEvent = wait > 0 ? SDL_WaitEventTimeout(&event, millisecondsToWait(wait)) != 0 : SDL_PollEvent(&event) != 0;
    // The turn's work starts here, once the wait is over.
    double turnStart = runLoop.now();
    m_presentSeconds = 0;
    while (hasEvent && !m_quitRequested) {
        handleEvent(event);
        hasEvent = SDL_PollEvent(&event) != 0;
    }
    reapLinkOpeners();
    if (m_quitRequested)
        return false;

    now = runLoop.now();
    if (auto fireTime = runLoop.nextFireTime(); fireTime && *fireTime <= now) {
        runLoop.runUntil(now);
        m_needsDraw = true;
        m_widgetMayHaveChanged = true;
    }
    if (m_widgetMayHaveChanged)
        observeWidget();
    now = runLoop.now();
    bool holding = m_prefetch && m_prefetch->holdsFirstFrame(now);
    if (!holding && (m_needsDraw || (!m_lastFrameSettled && now >= nextFrameTime())))
        draw(now);
    else if (m_needsPresent)
        present();
    if (m_prefetch && m_lastFrameSettled)
        m_prefetch->pictureStill();
    m_statistics.countTurn(turnStart, runLoop.now() - m_presentSeconds);
    return true;
}

DesktopWindow::Ending DesktopWindow::run(std::optional<double> seconds)
{
    // Without a limit the wait is bounded only so that the millisecond count stays an int.
    constexpr double kLongWait = 24 * 60 * 60;
    RunLoop& runLoop = m_panel.context().runLoop();
    double end = seconds ? runLoop.now() + *seconds : 0;
    for (;;) {
        double wait = kLongWait;
        if (seconds) {
            wait = end - runLoop.now();
            if (wait <= 0)
                return Ending::TimeUp;
        }
        if (!pumpOnce(wait))
            return Ending::Quit;
    }
}

void DesktopWindow::reopenPanel()
{
    if (m_panel.row()) {
        m_panel.close();
        panelClosed();
    }
    m_statistics.begin(m_panel.now());
    m_panel.open();
    m_needsDraw = true;
    // A new full view: a new list, whose first position is no step.
    m_slideIndex.reset();
    observeWidget();
    if (m_prefetch)
        m_prefetch->panelOpened(m_panel.now());
}

void DesktopWindow::quitPanel()
{
    m_panel.close();
    panelClosed();
    m_panel.destroy();
    m_needsDraw = true;
}

void DesktopWindow::panelClosed()
{
    m_slideIndex.reset();
    if (m_prefetch)
        m_prefetch->panelClosed();
}

void DesktopWindow::observeWidget()
{
    m_widgetMayHaveChanged = false;
    auto widget = m_panel.widget();
    std::optional<SlidePosition> position;
    if (widget && m_panel.row())
        position = slidePosition(*widget);
    if (position && m_slideIndex && *m_slideIndex != position->currentImage)
        m_statistics.countSlideStep();
    if (position)
        m_slideIndex = position->currentImage;
    if (m_prefetch)
        m_prefetch->positionRead(std::move(position));
}

RunStatistics::Figures DesktopWindow::statistics() const
{
    return m_statistics.figures(m_panel.now(), m_panel.context().uiThreadDecodeCount());
}

void DesktopWindow::handleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        m_quitRequested = true;
        break;
    case SDL_KEYDOWN:
        if (event.key.repeat)
            break;
        switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
        case SDLK_q:
            m_quitRequested = true;
            break;
        case SDLK_SPACE:
        case SDLK_c:
            reopenPanel();
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
            m_leftButtonDown = true;
        break;
    case SDL_MOUSEBUTTONUP:
        // A release whose press went elsewhere (another window, before we opened) is no click.
        if (event.button.button == SDL_BUTTON_LEFT && m_leftButtonDown) {
            m_leftButtonDown = false;
            m_panel.clickInWindow({ float(event.button.x) / m_scale, float(event.button.y) / m_scale });
            m_needsDraw = true;
            m_widgetMayHaveChanged = true;
        }
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            m_needsPresent = true;
        else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            m_leftButtonDown = false;
        break;
    case SDL_RENDER_DEVICE_RESET:
        // The renderer lost its textures with its device.
        createTexture();
        m_needsDraw = true;
        break;
    default:
        break;
    }
}

bool DesktopWindow::isSettled(double now) const
{
    return !anyViewUnsettled(m_panel.window(), now);
}

double DesktopWindow::nextFrameTime() const
{
    return m_lastFrameTime + m_frameInterval - (m_vsync ? kVsyncSlack : 0.0);
}

void DesktopWindow::draw(double now)
{
    Frame frame = m_frameRenderer.render(m_panel.window(), m_panel.context().application().visibleAlerts(), now, m_scale);
    if (frame.width() != m_pixelWidth || frame.height() != m_pixelHeight)
        throw std::runtime_error("the panel drew " + std::to_string(frame.width()) + " x " + std::to_string(frame.height()) + " pixels for a window of "
            + std::to_string(m_pixelWidth) + " x " + std::to_string(m_pixelHeight));

    cairo_surface_flush(frame.surface());
    const unsigned char* source = cairo_image_surface_get_data(frame.surface());
    int sourceStride = cairo_image_surface_get_stride(frame.surface());
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(m_texture, nullptr, &pixels, &pitch) != 0)
        throw std::runtime_error(std::string("cannot update the window's texture: ") + SDL_GetError());
    // Both are 32-bit ARGB in native byte order; only the row strides may differ.
    std::size_t rowBytes = std::size_t(m_pixelWidth) * 4;
    for (int y = 0; y < m_pixelHeight; ++y)
        std::memcpy(static_cast<unsigned char*>(pixels) + std::ptrdiff_t(y) * pitch, source + std::ptrdiff_t(y) * sourceStride, rowBytes);
    SDL_UnlockTexture(m_texture);

    bool animating = !m_lastFrameSettled;
    m_lastFrame = std::move(frame);
    m_lastFrameTime = now;
    m_lastFrameSettled = isSettled(now);
    m_needsDraw = false;
    ++m_framesDrawn;
    present();

    double presented = m_panel.now();
    m_statistics.countFrame(presented, animating, m_frameInterval);
    if (m_panel.row())
        m_statistics.startCounting(presented, m_panel.context().uiThreadDecodeCount());
}

void DesktopWindow::present()
{
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    // With vsync the present waits for the display's next refresh: time the loop spends idle.
    double start = m_panel.now();
    SDL_RenderPresent(m_renderer);
    if (m_vsync)
        m_presentSeconds += m_panel.now() - start;
    m_needsPresent = false;
}

Frame DesktopWindow::readWindowPixels()
{
    // After a present the back buffer's contents are undefined, so draw the texture again, read it
    // back, then present it so that the window stays as it was.
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    int width = 0;
    int height = 0;
    if (SDL_GetRendererOutputSize(m_renderer, &width, &height) != 0)
        throw std::runtime_error(std::string("cannot read the window's size: ") + SDL_GetError());
    Frame shot(width, height);
    cairo_surface_flush(shot.surface());
    unsigned char* data = cairo_image_surface_get_data(shot.surface());
    int stride = cairo_image_surface_get_stride(shot.surface());
    if (SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, data, stride) != 0)
        throw std::runtime_error(std::string("cannot read the window's pixels: ") + SDL_GetError());
    // The window is opaque whatever alpha its back buffer keeps.
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x)
            row[x] |= 0xFF000000u;
    }
    cairo_surface_mark_dirty(shot.surface());
    SDL_RenderPresent(m_renderer);
    return shot;
}

void DesktopWindow::clickAtPixel(int x, int y)
{
    SDL_Event event {};
    event.button.windowID = SDL_GetWindowID(m_window);
    event.button.button = SDL_BUTTON_LEFT;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    event.button.type = SDL_MOUSEBUTTONDOWN;
    event.button.state = SDL_PRESSED;
    event.button.timestamp = SDL_GetTicks();
    SDL_PushEvent(&event);
    event.button.type = SDL_MOUSEBUTTONUP;
    event.button.state = SDL_RELEASED;
    SDL_PushEvent(&event);
}

bool DesktopWindow::openLink(const std::string& url)
{
    // NOTE: The address goes to the opener as one argument; one that starts with '-' would read as an option.
    if (!url.empty() && url.front() != '-') {
        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attributes;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_init(&attributes);
        // Its own process group, so that Ctrl+C in our terminal does not take the browser down too;
        // and the signal state of a fresh process, whatever ours is.
        sigset_t empty;
        sigset_t defaults;
        sigemptyset(&empty);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        posix_spawnattr_setsigmask(&attributes, &empty);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::string program = "xdg-open";
        std::string argument = url;
        char* argv[] = { program.data(), argument.data(), nullptr };
        pid_t pid = 0;
        int error = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        if (error == 0) {
            m_linkOpeners.push_back(pid);
            return true;
        }
    }
    // No opener here (xdg-open is not on PATH): the person can still copy the address.
    m_linkOutput << "orvessa: link: " << url << std::endl;
    return true;
}

void DesktopWindow::reapLinkOpeners()
{
    // NOTE: Only our own children, by id: the process may have others it waits for itself. When
    // SIGCHLD is ignored the system reaps them and waitpid answers ECHILD, which also means gone.
    std::erase_if(m_linkOpeners, [](pid_t pid) {
        int status = 0;
        pid_t result = waitpid(pid, &status, WNOHANG);
        return result == pid || (result == -1 && errno != EINTR);
    });
}

}
