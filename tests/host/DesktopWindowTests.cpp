#include "host/DesktopWindow.h"
#include "host/Panel.h"
#include "platform/Application.h"
#include "platform/Control.h"
#include "platform/Object.h"
#include "support/TestSupport.h"

#include <SDL.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace testing_support;
using orvessa::DesktopWindow;
using orvessa::Frame;
using orvessa::Panel;

// MARK: - Processes and the environment

// Sets an environment variable for a scope, or unsets it for a null value, and restores it after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* previous = std::getenv(name))
            m_previous = previous;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_previous)
            ::setenv(m_name.c_str(), m_previous->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

std::optional<std::string> findOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

// Stops a child we started: politely, then for good.
void stopChild(pid_t pid)
{
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Reads a descriptor to its end, giving up after `timeout`; false on a timeout.
bool readAll(int fd, std::string& into, std::chrono::milliseconds timeout, bool untilNewline = false)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return false;
        pollfd entry { fd, POLLIN, 0 };
        int ready = ::poll(&entry, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return true;
        into.append(buffer, std::size_t(count));
        if (untilNewline && into.find('\n') != std::string::npos)
            return true;
    }
}

struct CommandResult {
    int status { -1 }; // The exit status, or -1 when it did not exit normally in time.
    std::string standardError;
};

// Runs a program without a shell, standard output discarded, standard error collected.
CommandResult runCommand(const std::vector<std::string>& arguments, std::chrono::seconds timeout = std::chrono::seconds(30))
{
    CommandResult result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (auto& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        result.standardError = "cannot start " + arguments[0] + ": " + std::strerror(error);
        return result;
    }
    bool finished = readAll(fds[0], result.standardError, timeout);
    ::close(fds[0]);
    if (!finished) {
        stopChild(pid);
        return result;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

// An X server of our own (Xvfb) on a display number it picks itself, so that tests running side by
// side never share or fight over one. DISPLAY names it while it runs.
class VirtualDisplay {
public:
    // Null when Xvfb is missing or does not start; `problem` says which.
    static std::unique_ptr<VirtualDisplay> start(std::string& problem, bool& installed)
    {
        auto program = findOnPath("Xvfb");
        installed = program.has_value();
        if (!installed) {
            problem = "Xvfb is not installed (Debian package xvfb); the window tests need an X server";
            return nullptr;
        }
        // The server writes its display number on this pipe once it accepts connections; only the
        // read end is closed on exec, so that the server inherits the write end.
        int fds[2];
        if (::pipe(fds) != 0 || ::fcntl(fds[0], F_SETFD, FD_CLOEXEC) != 0) {
            problem = "cannot make a pipe for Xvfb";
            return nullptr;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> arguments { *program, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset" };
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        int error = ::posix_spawn(&pid, program->c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (error != 0) {
            ::close(fds[0]);
            problem = "cannot start Xvfb: " + std::string(std::strerror(error));
            return nullptr;
        }
        std::string number;
        bool answered = readAll(fds[0], number, std::chrono::seconds(10), true);
        ::close(fds[0]);
        number.erase(std::remove_if(number.begin(), number.end(), [](char c) { return c < '0' || c > '9'; }), number.end());
        if (number.empty()) {
            stopChild(pid);
            problem = answered ? "Xvfb exited before it took a display" : "Xvfb did not take a display within 10 seconds";
            return nullptr;
        }
        return std::unique_ptr<VirtualDisplay>(new VirtualDisplay(pid, ":" + number));
    }

    ~VirtualDisplay()
    {
        m_settings.clear();
        stopChild(m_pid);
    }

    const std::string& name() const { return m_name; }

private:
    VirtualDisplay(pid_t pid, std::string name)
        : m_pid(pid)
        , m_name(std::move(name))
    {
        m_settings.push_back(std::make_unique<ScopedEnvironment>("DISPLAY", m_name.c_str()));
        m_settings.push_back(std::make_unique<ScopedEnvironment>("SDL_VIDEODRIVER", "x11"));
#ifdef __SANITIZE_ADDRESS__
        // NOTE: On Xvfb, SDL's OpenGL renderer runs on Mesa's software driver, which keeps memory
        // for the life of the process and is unloaded when SDL closes the display: LeakSanitizer then
        // reports those blocks with no module to suppress them by. The sanitizer build draws through
        // SDL's own software renderer and plain X images instead; the normal build tests OpenGL.
        m_settings.push_back(std::make_unique<ScopedEnvironment>("SDL_RENDER_DRIVER", "software"));
        m_settings.push_back(std::make_unique<ScopedEnvironment>("SDL_FRAMEBUFFER_ACCELERATION", "0"));
#endif
    }

    pid_t m_pid;
    std::string m_name;
    std::vector<std::unique_ptr<ScopedEnvironment>> m_settings;
};

// MARK: - Pixels

struct Colour {
    int r { 0 }, g { 0 }, b { 0 };
};

std::ostream& operator<<(std::ostream& out, const Colour& c)
{
    return out << "rgb(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// Window pixels are opaque, so the stored channels are the colour itself.
Colour colourAt(const Frame& frame, int x, int y)
{
    std::uint32_t word = frame.pixel(x, y);
    return { int((word >> 16) & 0xff), int((word >> 8) & 0xff), int(word & 0xff) };
}

int difference(Colour a, Colour b)
{
    return std::max({ std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b) });
}

Colour toColour(Rgb rgb)
{
    return { rgb.r, rgb.g, rgb.b };
}

// MARK: - The window

constexpr float kScale = 2;
constexpr Rgb kPhotoColour { 40, 160, 220 };
// The picture frame spans row (5, 3, 306, 194); the row sits at (2, 20) in the window.
constexpr int kPictureCentreX = int((2 + 5 + 306 / 2) * kScale); // 320
constexpr int kPictureCentreY = int((20 + 3 + 194 / 2) * kScale); // 240
// In the overlay's bar (the bottom 44 points of the picture), between the rewind and pause items.
constexpr int kControlBarX = int(100 * kScale);
constexpr int kControlBarY = int((20 + 3 + 194 - 22) * kScale);
// The row's background, left of the picture: row x 4 of the 2..5 margin.
constexpr int kRowMarginX = int((2 + 4) * kScale);

orvessa::HostOptions realTimeOptions(const TestHome& home)
{
    orvessa::HostOptions options = panelOptions(home.path());
    options.realTime = true;
    options.scale = kScale;
    return options;
}

// Pumps the window for `seconds` of the panel's clock; false if the window quit on the way.
bool pumpFor(DesktopWindow& window, Panel& panel, double seconds)
{
    double end = panel.now() + seconds;
    while (panel.now() < end) {
        if (!window.pumpOnce(end - panel.now()))
            return false;
    }
    return true;
}

void pushKey(SDL_Keycode key)
{
    SDL_Event event {};
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.timestamp = SDL_GetTicks();
    SDL_PushEvent(&event);
}

// The window point at the centre of a view of the row, in window pixels.
std::pair<int, int> pixelAtCentreOf(const Panel& panel, const UIView& view)
{
    CGRect frame = view.frame();
    CGPoint origin = panel.row()->frame().origin;
    return { int((origin.x + frame.origin.x + frame.size.width / 2) * kScale), int((origin.y + frame.origin.y + frame.size.height / 2) * kScale) };
}

// The overlay's first link button: the custom buttons are the two link buttons, the upper first.
std::shared_ptr<UIView> firstLinkButton(const Panel& panel)
{
    for (const auto& view : panel.row()->subviews()) {
        auto* button = dynamic_cast<UIButton*>(view.get());
        if (button && button->frame().size.width == 24 && button->frame().size.height == 24)
            return view;
    }
    return nullptr;
}

class DesktopWindowTest : public testing::Test {
protected:
    // One server for the whole suite when the tests share a process; ctest runs each test on its own.
    static void SetUpTestSuite() { s_display = VirtualDisplay::start(s_problem, s_installed); }
    static void TearDownTestSuite() { s_display.reset(); }

    void SetUp() override
    {
        if (!s_installed)
            GTEST_SKIP() << s_problem;
        ASSERT_TRUE(s_display) << s_problem;
        m_home.addPhoto("IMG_0001.JPG", kPhotoColour);
    }

    static inline std::unique_ptr<VirtualDisplay> s_display;
    static inline std::string s_problem;
    static inline bool s_installed { false };

    TestHome m_home;
    std::ostringstream m_linkOutput;
};

TEST_F(DesktopWindowTest, ShowsThePanelAtScaleAndDrawsOnlyWhileSomethingMoves)
{
    Panel panel(realTimeOptions(m_home));
    DesktopWindow window(panel, kScale, m_linkOutput);
    EXPECT_EQ(window.pixelWidth(), 640);
    EXPECT_EQ(window.pixelHeight(), 480);
    window.reopenPanel();

    // The picture fades in over half a second: drawn frame after frame, but never faster than the display.
    // Only "more than once" is certain on a loaded machine, where one frame may take a tenth of a second.
    ASSERT_TRUE(pumpFor(window, panel, 0.7));
    EXPECT_GE(window.framesDrawn(), 2u);
    EXPECT_LE(window.framesDrawn(), std::size_t(0.7 * 60 + 8));

    Frame shot = window.readWindowPixels();
    ASSERT_EQ(shot.width(), 640);
    ASSERT_EQ(shot.height(), 480);
    Colour centre = colourAt(shot, kPictureCentreX, kPictureCentreY);
    EXPECT_LE(difference(centre, toColour(kPhotoColour)), 8) << "the photo at the picture frame's centre, got " << centre;
    Colour margin = colourAt(shot, kRowMarginX, kPictureCentreY);
    EXPECT_GE(difference(margin, toColour(kPhotoColour)), 60) << "the row's background beside the picture, got " << margin;
    ASSERT_NE(window.lastFrame(), nullptr);
    EXPECT_LE(difference(colourAt(*window.lastFrame(), kPictureCentreX, kPictureCentreY), centre), 2) << "the window shows the frame drawn";

    // Settled, with the next slide 5 s away: the window sleeps and draws nothing.
    std::size_t framesBefore = window.framesDrawn();
    int pumps = 0;
    double end = panel.now() + 0.3;
    while (panel.now() < end) {
        ASSERT_TRUE(window.pumpOnce(end - panel.now()));
        ++pumps;
    }
    EXPECT_EQ(window.framesDrawn(), framesBefore);
    EXPECT_LE(pumps, 5) << "the loop woke without cause";
}

TEST_F(DesktopWindowTest, ClickOnThePictureShowsTheOverlay)
{
    Panel panel(realTimeOptions(m_home));
    DesktopWindow window(panel, kScale, m_linkOutput);
    window.reopenPanel();
    ASSERT_TRUE(pumpFor(window, panel, 0.6));
    Colour before = colourAt(window.readWindowPixels(), kControlBarX, kControlBarY);
    EXPECT_LE(difference(before, toColour(kPhotoColour)), 8) << "the photo where the bar will be, got " << before;

    // Pixels divided by the scale: a click taken as points would land outside the row.
    window.clickAtPixel(kPictureCentreX, kPictureCentreY);
    ASSERT_TRUE(pumpFor(window, panel, 0.6));
    Colour after = colourAt(window.readWindowPixels(), kControlBarX, kControlBarY);
    EXPECT_LT(after.b, before.b - 60) << "the dark bar over the photo, got " << after;
    EXPECT_LT(after.g, before.g - 40) << "the dark bar over the photo, got " << after;
}

TEST_F(DesktopWindowTest, QuitKeysEndTheLoopAndTheHostReleasesEverything)
{
    for (SDL_Keycode key : { SDL_Keycode(SDLK_ESCAPE), SDL_Keycode(SDLK_q), SDL_Keycode(0) }) {
        SCOPED_TRACE(key ? SDL_GetKeyName(key) : "SDL_QUIT");
        std::size_t liveBefore = NSObject::liveObjectCount();
        std::weak_ptr<BBWeeAppController> widget;
        {
            Panel panel(realTimeOptions(m_home));
            DesktopWindow window(panel, kScale, m_linkOutput);
            window.reopenPanel();
            ASSERT_TRUE(window.pumpOnce(0));
            widget = panel.widget();
            ASSERT_FALSE(widget.expired());

            if (key) {
                pushKey(key);
            } else {
                SDL_Event quit {};
                quit.type = SDL_QUIT;
                SDL_PushEvent(&quit);
            }
            auto started = std::chrono::steady_clock::now();
            EXPECT_EQ(window.run(10.0), DesktopWindow::Ending::Quit);
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
            EXPECT_FALSE(window.pumpOnce(0)) << "a window that quit stays quit";

            window.quitPanel();
            EXPECT_EQ(panel.row(), nullptr);
            EXPECT_TRUE(widget.expired()) << "the widget outlived the host's quit";
        }
        EXPECT_EQ(NSObject::liveObjectCount(), liveBefore);
    }
}

TEST_F(DesktopWindowTest, SpaceReopensThePanelWithItsPhotosReadAfresh)
{
    Panel panel(realTimeOptions(m_home));
    DesktopWindow window(panel, kScale, m_linkOutput);
    window.reopenPanel();
    ASSERT_TRUE(pumpFor(window, panel, 0.6));
    std::shared_ptr<UIView> firstRow = panel.row();

    constexpr Rgb kNewColour { 230, 200, 30 };
    m_home.addPhoto("IMG_0001.JPG", kNewColour);
    pushKey(SDLK_SPACE);
    ASSERT_TRUE(window.pumpOnce(0));
    ASSERT_NE(panel.row(), nullptr);
    EXPECT_NE(panel.row(), firstRow) << "the widget built its row again";
    EXPECT_GT(difference(colourAt(window.readWindowPixels(), kPictureCentreX, kPictureCentreY), toColour(kNewColour)), 60) << "the new picture fades in, it does not pop";

    ASSERT_TRUE(pumpFor(window, panel, 0.6));
    Colour centre = colourAt(window.readWindowPixels(), kPictureCentreX, kPictureCentreY);
    EXPECT_LE(difference(centre, toColour(kNewColour)), 8) << "the photo as it is on disk now, got " << centre;

    // With the panel closed, the same key opens it.
    panel.close();
    ASSERT_EQ(panel.row(), nullptr);
    pushKey(SDLK_c);
    ASSERT_TRUE(window.pumpOnce(0));
    EXPECT_NE(panel.row(), nullptr);
}

TEST_F(DesktopWindowTest, LinkButtonStartsTheOpenerDirectlyAndReapsIt)
{
    // A stand-in opener that records its arguments, one a line, after their count; a file for each
    // run, since two may run at once.
    TempFolder bin;
    TempFolder logs;
    std::filesystem::path opener = bin.write("xdg-open", "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" + logs.path().string() + "/run-'$$\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    ScopedEnvironment path("PATH", (bin.path().string() + ":/usr/bin:/bin").c_str());

    Panel panel(realTimeOptions(m_home));
    DesktopWindow window(panel, kScale, m_linkOutput);
    window.reopenPanel();
    ASSERT_TRUE(window.pumpOnce(0));
    // The first click shows the overlay; its buttons take clicks while they fade in.
    window.clickAtPixel(kPictureCentreX, kPictureCentreY);
    ASSERT_TRUE(window.pumpOnce(0));
    std::shared_ptr<UIView> button = firstLinkButton(panel);
    ASSERT_NE(button, nullptr);
    auto [x, y] = pixelAtCentreOf(panel, *button);
    window.clickAtPixel(x, y);
    ASSERT_TRUE(window.pumpOnce(0));
    ASSERT_EQ(panel.openedURLs().size(), 1u);
    const std::string url = panel.openedURLs()[0];

    // Characters a shell would act on reach the opener as they are, in one argument.
    const std::string tricky = "https://example.com/a;b?c=$(id)&d='e' f";
    panel.context().application().openURL(NSURL { tricky });

    double deadline = panel.now() + 5;
    while (window.runningLinkOpeners() > 0 && panel.now() < deadline)
        ASSERT_TRUE(window.pumpOnce(deadline - panel.now()));
    EXPECT_EQ(window.runningLinkOpeners(), 0u) << "the openers were not reaped";

    std::vector<std::string> runs;
    for (const auto& entry : std::filesystem::directory_iterator(logs.path())) {
        std::ifstream in(entry.path());
        std::stringstream recorded;
        recorded << in.rdbuf();
        runs.push_back(recorded.str());
    }
    std::sort(runs.begin(), runs.end());
    std::vector<std::string> expected { "1\n" + url + "\n", "1\n" + tricky + "\n" };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(runs, expected);
    EXPECT_EQ(m_linkOutput.str(), "");
}

TEST_F(DesktopWindowTest, LinkWithNoOpenerOnThePathIsPrinted)
{
    TempFolder emptyBin;
    ScopedEnvironment path("PATH", emptyBin.path().c_str());
    Panel panel(realTimeOptions(m_home));
    DesktopWindow window(panel, kScale, m_linkOutput);

    EXPECT_TRUE(panel.context().application().openURL(NSURL { "https://example.com/x" }));
    EXPECT_EQ(m_linkOutput.str(), "orvessa: link: https://example.com/x\n");
    EXPECT_EQ(window.runningLinkOpeners(), 0u);
}

TEST_F(DesktopWindowTest, RunCommandPlaysForItsSecondsAndWritesTheLastFrame)
{
    TempFolder out;
    std::filesystem::path shot = out.path() / "shot.png";
    CommandResult result = runCommand({ ORVESSA_COMMAND, "run", "--home", m_home.path().string(), "--scale", "1", "--seconds", "0.8", "--screenshot", shot.string() });
    ASSERT_EQ(result.status, 0) << result.standardError;
    EXPECT_NE(result.standardError.find("Esc or q quits"), std::string::npos) << result.standardError;

    cairo_surface_t* png = cairo_image_surface_create_from_png(shot.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS) << shot;
    // An opaque PNG loads as RGB24; paint it into a frame to read it like the others.
    Frame frame(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png));
    cairo_t* cr = cairo_create(frame.surface());
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(png);
    EXPECT_EQ(frame.width(), 320);
    EXPECT_EQ(frame.height(), 240);
    Colour centre = colourAt(frame, kPictureCentreX / 2, kPictureCentreY / 2);
    EXPECT_LE(difference(centre, toColour(kPhotoColour)), 8) << "the photo, faded in, got " << centre;
}

TEST_F(DesktopWindowTest, RunStatsCountsStepsAndUiThreadDecodesWithAndWithoutPrefetch)
{
    m_home.addPhoto("IMG_0002.JPG", { 20, 200, 20 }, testing_support::kCameraRoll, 800, 600);
    m_home.writePreferences("<key>SecondsPerSlide</key><integer>2</integer>");
    // One step, at 2 s, and over a second after it for its frames on a loaded machine; the next
    // step would come at 4 s.
    TempFolder out;
    // Standard output to a file through a shell, since runCommand keeps only standard error.
    auto statsOf = [&](bool prefetch, std::string& json) {
        std::vector<std::string> arguments { "/bin/sh", "-c", "out=$1; shift; exec \"$@\" > \"$out\"", "sh", (out.path() / "stats").string(),
            ORVESSA_COMMAND, "run", "--home", m_home.path().string(), "--scale", "1", "--seconds", "3.3", "--stats" };
        if (!prefetch)
            arguments.push_back("--no-prefetch");
        CommandResult result = runCommand(arguments);
        std::ifstream in(out.path() / "stats");
        json.assign(std::istreambuf_iterator<char>(in), {});
        return result;
    };
    auto figure = [](const std::string& json, const std::string& name) {
        auto at = json.find("\"" + name + "\": ");
        return at == std::string::npos ? -1.0 : std::stod(json.substr(at + name.size() + 4));
    };
    for (bool prefetch : { true, false }) {
        std::string json;
        CommandResult result = statsOf(prefetch, json);
        ASSERT_EQ(result.status, 0) << result.standardError;
        ASSERT_FALSE(json.empty());
        SCOPED_TRACE(json);
        ASSERT_EQ(json.front(), '{');
        ASSERT_EQ(json.substr(json.size() - 2), "}\n") << "one line of JSON and nothing else";
        EXPECT_NEAR(figure(json, "seconds"), 3.3, 0.5);
        EXPECT_GT(figure(json, "framesDrawn"), 10);
        EXPECT_EQ(figure(json, "slideSteps"), 1);
        EXPECT_GT(figure(json, "longestStepMs"), 0);
        EXPECT_GE(figure(json, "lateFrames"), 0);
        // The first photo fades in after the first frame, and the step shows the second.
        EXPECT_EQ(figure(json, "uiThreadDecodes"), prefetch ? 0 : 2);
    }
}

// MARK: - Without a display

TEST(DesktopWindowCommand, RunWithoutADisplayExplainsAndSuggestsRecording)
{
    CommandResult result = runCommand({ "/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", ORVESSA_COMMAND, "run", "--seconds", "1" });
    EXPECT_EQ(result.status, 2) << result.standardError;
    EXPECT_NE(result.standardError.find("no display"), std::string::npos) << result.standardError;
    EXPECT_NE(result.standardError.find("orvessa record"), std::string::npos) << result.standardError;
    EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1) << "one line: " << result.standardError;
}

TEST(DesktopWindowCommand, WindowRefusesToOpenWithoutADisplay)
{
    ScopedEnvironment display("DISPLAY", nullptr);
    ScopedEnvironment wayland("WAYLAND_DISPLAY", nullptr);
    TestHome home;
    Panel panel(panelOptions(home.path()));
    std::ostringstream links;
    EXPECT_THROW(DesktopWindow(panel, 2, links), orvessa::DisplayUnavailable);
}

TEST(DesktopWindowCommand, WindowRefusesADisplayThatDoesNotAnswer)
{
    // SDL would otherwise settle for its invisible offscreen driver and play to nobody.
    ScopedEnvironment display("DISPLAY", ":4093");
    ScopedEnvironment wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnvironment driver("SDL_VIDEODRIVER", nullptr);
    TestHome home;
    Panel panel(panelOptions(home.path()));
    std::ostringstream links;
    try {
        DesktopWindow window(panel, 2, links);
        ADD_FAILURE() << "opened a window on a display nobody serves";
    } catch (const orvessa::DisplayUnavailable& error) {
        EXPECT_NE(std::string(error.what()).find(":4093"), std::string::npos) << error.what();
    }
}

}
