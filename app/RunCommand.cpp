#include "app/Commands.h"

#include "app/OutputFormats.h"
#include "app/WindowRun.h"
#include "host/DesktopWindow.h"
#include "host/OutputFolder.h"

namespace orvessa {

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
    command->add_option("--screenshot", options->screenshot, "When --seconds ends the run, write the last frame drawn to this picture, PNG or JPEG by its extension (never in the home or photo folders)")->needs(seconds)->check(notEmpty());
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
        WindowRun request;
        request.host = hostOptions(common);
        request.host.realTime = true;
        request.stats = options->stats;
        request.decodeAhead = !options->noPrefetch;
        if (seconds->count() > 0)
            request.seconds = options->seconds;
        // Checked before the window opens, so a refused path is told at once, display or not.
        if (!options->screenshot.empty()) {
            request.screenshotFormat = pictureFormatFor("--screenshot", options->screenshot);
            request.screenshot.emplace(OutputFile::prepare(options->screenshot, ProtectedPlaces::forHost(request.host)));
        }
        return runWindow(request);
    };
    return { command, run };
}

}
