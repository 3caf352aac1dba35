#include "app/Commands.h"

#include "host/OutputFolder.h"
#include "host/Recorder.h"
#include "platform/RunLoop.h"
#include "render/ContactSheet.h"

#include <cmath>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace orvessa {

namespace {

constexpr double kMaximumSeconds = 3600;
constexpr long kMaximumFrames = 20000;

// A line that redraws itself on a terminal and says nothing elsewhere.
class ProgressBar {
public:
    explicit ProgressBar(long total)
        : m_total(total)
        , m_enabled(::isatty(STDERR_FILENO))
    {
    }
    void update(long done)
    {
        if (!m_enabled)
            return;
        int width = 30;
        int filled = int(double(done) / double(m_total) * width);
        std::cerr << "\rrecording [" << std::string(std::size_t(filled), '#') << std::string(std::size_t(width - filled), '.') << "] " << done << "/" << m_total << " frames" << std::flush;
    }
    void finish()
    {
        if (m_enabled)
            std::cerr << '\n';
    }

private:
    long m_total;
    bool m_enabled;
};

// Runs the panel to `until`, the script's commands at the times its advances reach; without a
// script the panel opens at time 0. `advanceTo` moves time (writing frames, for a recording).
void playTimeline(Panel& panel, const HostOptions& options, const std::string& scriptFile, const std::string& script, double until, const std::function<void(double)>& advanceTo)
{
    if (scriptFile.empty()) {
        panel.open();
    } else {
        ScriptRunner runner(panel, std::cout, scriptSnapshotWriter(options));
        runner.setAdvanceHandler([&](double seconds) { advanceTo(std::min(until, panel.now() + seconds)); });
        std::istringstream in(script);
        if (auto error = runner.run(in)) {
            std::string message = printableArgument(scriptFile) + ": line " + std::to_string(error->line) + ": " + error->message;
            if (error->isUsersToMend)
                throw UsageError(message);
            throw std::runtime_error(message);
        }
    }
    advanceTo(until);
}

}

Subcommand addRecordCommand(CLI::App& app, CommonOptions& common)
{
    struct Options {
        double seconds { 0 };
        double fps { 30 };
        std::string out;
        std::string script;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("record", "Play headless on a virtual clock and write numbered PNG frames and a contact sheet");
    addCommonOptions(*command, common);
    command->add_option("--seconds", options->seconds, "How long to record, in seconds of virtual time")->required();
    command->add_option("--fps", options->fps, "Frames per second")->capture_default_str();
    command->add_option("--out", options->out, "Folder for frame-NNNNN.png and contact-sheet.png (made if missing; never in the home or photo folders)")->required()->check(notEmpty());
    command->add_option("--script", options->script, "A host script played as a timeline: its advances wait, its commands run when reached; it must open the panel itself")->check(notEmpty());
    command->footer("Without --script the panel opens at time 0.");

    auto run = [options, &common] {
        if (!(options->seconds > 0 && options->seconds <= kMaximumSeconds))
            throw UsageError("--seconds: must be more than 0 and at most " + std::to_string(int(kMaximumSeconds)));
        if (!(options->fps >= 1 && options->fps <= 120))
            throw UsageError("--fps: must be from 1 to 120");
        long total = long(std::ceil(options->seconds * options->fps - 1e-9));
        if (total > kMaximumFrames)
            throw UsageError("--seconds and --fps: " + std::to_string(total) + " frames is more than " + std::to_string(kMaximumFrames));
        HostOptions host = hostOptions(common);
        std::string script = options->script.empty() ? "" : readScript(options->script);
        OutputFolder folder = OutputFolder::create(options->out, ProtectedPlaces::forHost(host));

        Panel panel(host);
        Recorder recorder(panel, std::move(folder), options->fps, host.scale);
        ProgressBar progress(total);
        recorder.setFrameObserver([&](const Recorder::WrittenFrame&) { progress.update(long(recorder.frames().size())); });
        playTimeline(panel, host, options->script, script, options->seconds, [&](double t) { recorder.recordUntil(t); });
        progress.finish();

        // A sheet of up to 24 frames spread evenly over the recording.
        const auto& frames = recorder.frames();
        std::vector<std::pair<double, std::filesystem::path>> chosen;
        std::size_t step = std::max<std::size_t>(1, (frames.size() + 23) / 24);
        for (std::size_t i = 0; i < frames.size(); i += step)
            chosen.emplace_back(frames[i].time, frames[i].path);
        recorder.folder().write("contact-sheet.png", encodePng(makeContactSheet(chosen, 6)), WriteMode::Durable);
        std::string shown = printableArgument(recorder.folder().path().string());
        std::cout << "wrote " << frames.size() << " frames to " << shown << "/frame-*.png and the contact sheet " << shown << "/contact-sheet.png\n";
        return kExitSuccess;
    };
    return { command, run };
}

Subcommand addSnapshotCommand(CLI::App& app, CommonOptions& common)
{
    struct Options {
        double at { 0 };
        std::string out;
        std::string script;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("snapshot", "Write one frame of the panel at a time on the virtual clock");
    addCommonOptions(*command, common);
    command->add_option("--at", options->at, "The time of the frame, in seconds")->required();
    command->add_option("--out", options->out, "The PNG file to write (never in the home or photo folders)")->required()->check(notEmpty());
    command->add_option("--script", options->script, "A host script played as a timeline, as for record")->check(notEmpty());

    auto run = [options, &common] {
        if (!(options->at >= 0 && options->at <= kMaximumSeconds))
            throw UsageError("--at: must be from 0 to " + std::to_string(int(kMaximumSeconds)));
        HostOptions host = hostOptions(common);
        OutputFile out = OutputFile::prepare(options->out, ProtectedPlaces::forHost(host));
        std::string script = options->script.empty() ? "" : readScript(options->script);
        Panel panel(host);
        playTimeline(panel, host, options->script, script, options->at, [&](double t) { panel.context().runLoop().runUntil(t); });
        Renderer renderer;
        out.write(encodePng(renderSnapshot(panel, renderer, host.scale)));
        std::cout << "wrote " << printableArgument(options->out) << '\n';
        return kExitSuccess;
    };
    return { command, run };
}

}
