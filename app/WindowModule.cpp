// The window module's one entry: `orvessa run` after its options are checked. Built apart from the
// program (see app/CMakeLists.txt) and loaded by runWindow().
#include "app/Commands.h"
#include "app/PhotoCheck.h"
#include "app/WindowRun.h"
#include "host/DesktopWindow.h"

#include <iostream>

namespace orvessa {

namespace {

constexpr const char* kHeadlessHint = "try 'orvessa record --seconds 15 --out DIR' instead";

int runInWindow(const WindowRun& request)
{
    if (auto problem = DesktopWindow::displayProblem())
        throw UsageError(*problem + "; " + kHeadlessHint);

    Panel panel(request.host);
    std::string summary = photoReportSummary(checkPhotos());
    if (!summary.empty())
        std::cerr << summary << '\n';

    std::optional<DesktopWindow> window;
    try {
        window.emplace(panel, request.host.scale, std::cout, request.decodeAhead);
    } catch (const DisplayUnavailable& error) {
        throw UsageError(std::string(error.what()) + "; " + kHeadlessHint);
    }
    std::cerr << "orvessa: " << DesktopWindow::kKeysHelp << '\n';

    // The panel opens once the window is up, so that the fade-in is seen from its start.
    window->reopenPanel();
    DesktopWindow::Ending ending = window->run(request.seconds);
    std::vector<std::uint8_t> lastFrame;
    if (ending == DesktopWindow::Ending::TimeUp && request.screenshot) {
        if (const Frame* frame = window->lastFrame())
            lastFrame = encodePicture(*frame, request.screenshotFormat, qualityFor(request.screenshotFormat, std::nullopt));
    }
    // The host's order: close, release the widget, and only then take the window down.
    window->quitPanel();
    RunStatistics::Figures figures = window->statistics();
    window.reset();
    if (request.stats)
        std::cout << statisticsJson(figures) << std::endl;
    // Written after the teardown, so a failed write cannot break the host's order.
    if (request.screenshot && !lastFrame.empty())
        request.screenshot->write(lastFrame);
    return kExitSuccess;
}

}

}

extern "C" __attribute__((visibility("default"))) int orvessa_run_window(const orvessa::WindowRun& request)
{
    return orvessa::runInWindow(request);
}
