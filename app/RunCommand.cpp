#include "app/Commands.h"

#include "app/PhotoCheck.h"
#include "host/DesktopWindow.h"
#include "host/OutputFolder.h"

#include <iostream>
#include <optional>

namespace orvessa {

namespace {

constexpr const char* kHeadlessHint = "try 'orvessa record --seconds 15 --out DIR' instead";

}

Subcommand addRunCommand(CLI::App& app, CommonOptions& common)
{
    struct Options {
        double seconds { 0 };
        std::string screenshot;
        bool stats { false };
        bool noPrefetch { false };
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("run", "Open the panel in a desktop window and play the slideshow in real time");
    addCommonOptions(*command, common);
    auto* seconds = command->add_option("--seconds", options->seconds, "Quit after this many seconds (for tests and demos); default: run until you quit");
    command->add_option("--screenshot", options->screenshot, "When --seconds ends the run, write the last frame drawn to this PNG file (never in the home or photo folders)")->needs(seconds)->check(notEmpty());
    command->add_flag("--stats", options->stats,
        "At exit, print frame-timing figures as one line of JSON on standard output: {\"seconds\": S, \"framesDrawn\": N, "
        "\"slideSteps\": K, \"longestStepMs\": X, \"lateFrames\": L, \"uiThreadDecodes\": D}. From the first frame of the opened "
        "panel: longestStepMs is the longest turn of the UI loop (events handled, timers fired, frame drawn), lateFrames counts "
        "frames of a running animation shown more than 1.5 display intervals after the one before, uiThreadDecodes counts "
        "pictures decoded on the UI thread");
    command->add_flag("--no-prefetch", options->noPrefetch,
        "Decode every photo on the UI thread when it is first drawn, as the widget alone does, instead of the window decoding "
        "the next photo ahead on a thread of its own (for comparison with --stats)");
    command->footer(std::string("Keys: ") + DesktopWindow::kKeysHelp + ".\nWithout a display, use 'orvessa record' or 'orvessa snapshot'.");

    auto run = [options, seconds, &common] {
        if (seconds->count() > 0 && !(options->seconds > 0))
            throw UsageError("--seconds: must be more than 0");
        HostOptions host = hostOptions(common);
        host.realTime = true;
        // Checked before the window opens, so a refused path is told at once, display or not.
        std::optional<OutputFile> screenshot;
        if (!options->screenshot.empty())
            screenshot.emplace(OutputFile::prepare(options->screenshot, ProtectedPlaces::forHost(host)));
        if (auto problem = DesktopWindow::displayProblem())
            throw UsageError(*problem + "; " + kHeadlessHint);

        Panel panel(host);
        std::string summary = photoReportSummary(checkPhotos());
        if (!summary.empty())
            std::cerr << summary << '\n';

        std::optional<DesktopWindow> window;
        try {
            window.emplace(panel, host.scale, std::cout, !options->noPrefetch);
        } catch (const DisplayUnavailable& error) {
            throw UsageError(std::string(error.what()) + "; " + kHeadlessHint);
        }
        std::cerr << "orvessa: " << DesktopWindow::kKeysHelp << '\n';

        // The panel opens once the window is up, so that the fade-in is seen from its start.
        window->reopenPanel();
        std::optional<double> limit;
        if (seconds->count() > 0)
            limit = options->seconds;
        DesktopWindow::Ending ending = window->run(limit);
        std::vector<std::uint8_t> lastFrame;
        if (ending == DesktopWindow::Ending::TimeUp && screenshot) {
            if (const Frame* frame = window->lastFrame())
                lastFrame = encodePng(*frame);
        }
        // The host's order: close, release the widget, and only then take the window down.
        window->quitPanel();
        RunStatistics::Figures figures = window->statistics();
        window.reset();
        if (options->stats)
            std::cout << statisticsJson(figures) << std::endl;
        // Written after the teardown, so a failed write cannot break the host's order.
        if (screenshot && !lastFrame.empty())
            screenshot->write(lastFrame);
        return kExitSuccess;
    };
    return { command, run };
}

}
