#include "app/Commands.h"

#include "app/OutputFormats.h"
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
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("run", "Open the panel in a desktop window and play the slideshow in real time");
    addCommonOptions(*command, common);
    auto* seconds = command->add_option("--seconds", options->seconds, "Quit after this many seconds (for tests and demos); default: run until you quit");
    command->add_option("--screenshot", options->screenshot, "When --seconds ends the run, write the last frame drawn to this picture, PNG or JPEG by its extension (never in the home or photo folders)")->needs(seconds)->check(notEmpty());
    command->footer(std::string("Keys: ") + DesktopWindow::kKeysHelp + ".\nWithout a display, use 'orvessa record' or 'orvessa snapshot'.");

    auto run = [options, seconds, &common] {
        if (seconds->count() > 0 && !(options->seconds > 0))
            throw UsageError("--seconds: must be more than 0");
        HostOptions host = hostOptions(common);
        host.realTime = true;
        // Checked before the window opens, so a refused path is told at once, display or not.
        std::optional<OutputFile> screenshot;
        OutputFormat screenshotFormat = OutputFormat::Png;
        if (!options->screenshot.empty()) {
            screenshotFormat = pictureFormatFor("--screenshot", options->screenshot);
            screenshot.emplace(OutputFile::prepare(options->screenshot, ProtectedPlaces::forHost(host)));
        }
        if (auto problem = DesktopWindow::displayProblem())
            throw UsageError(*problem + "; " + kHeadlessHint);

        Panel panel(host);
        std::string summary = photoReportSummary(checkPhotos());
        if (!summary.empty())
            std::cerr << summary << '\n';

        std::optional<DesktopWindow> window;
        try {
            window.emplace(panel, host.scale, std::cout);
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
                lastFrame = encodePicture(*frame, screenshotFormat, qualityFor(screenshotFormat, std::nullopt));
        }
        // The host's order: close, release the widget, and only then take the window down.
        window->quitPanel();
        window.reset();
        // Written after the teardown, so a failed write cannot break the host's order.
        if (screenshot && !lastFrame.empty())
            screenshot->write(lastFrame);
        return kExitSuccess;
    };
    return { command, run };
}

}
