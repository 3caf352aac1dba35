#include "app/Commands.h"

#include "app/OutputFormats.h"
#include "host/FrameFolder.h"
#include "host/InterruptCleanup.h"
#include "host/OutputFolder.h"
#include "host/Recorder.h"
#include "host/WebPRecording.h"
#include "platform/RunLoop.h"
#include "render/ContactSheet.h"
#include "render/PngEncoder.h"

#include <cmath>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace orvessa {

namespace {

constexpr double kMaximumSeconds = 3600;
constexpr double kMaximumFps = 240;
constexpr long kMaximumFrames = 20000;
constexpr int kSheetColumns = 6;
constexpr long kMostSheetFrames = 24;

// A line that redraws itself on a terminal and says nothing elsewhere.
class ProgressBar {
public:
    explicit ProgressBar(long total)
        : m_total(std::max(1L, total))
        , m_enabled(::isatty(STDERR_FILENO))
    {
    }
    // Ends the line, so that an error after it starts on a line of its own.
    ~ProgressBar()
    {
        if (m_drawn)
            std::cerr << '\n';
    }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(long done)
    {
        int width = 30;
        int filled = int(double(done) / double(m_total) * width);
        // Redrawn only when it changes: a terminal is slower than a repeated frame.
        if (!m_enabled || (filled == m_filled && done != m_total))
            return;
        m_filled = filled;
        m_drawn = true;
        std::cerr << "\rrecording [" << std::string(std::size_t(filled), '#') << std::string(std::size_t(width - filled), '.') << "] " << done << "/" << m_total << " frames" << std::flush;
    }

private:
    long m_total;
    bool m_enabled;
    bool m_drawn { false };
    int m_filled { -1 };
};

// Runs the panel to `until`, the script's commands at the times its advances reach; without a
// script the panel opens at time 0. `advanceTo` moves time (drawing frames, for a recording).
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

// A folder of numbered PNG frames, or one animated WebP: a folder that exists, or a name without an
// extension, is a folder.
bool recordsIntoFolder(const std::string& out)
{
    std::error_code error;
    if (std::filesystem::is_directory(out, error))
        return true;
    std::filesystem::path path(out);
    if (outputFormatOf(path) == OutputFormat::WebP)
        return false;
    if (path.has_filename() && path.has_extension())
        throw UsageError("--out: " + printableArgument(out) + ": record writes a folder of PNG frames (a name without an extension) or one animated .webp file");
    return true;
}

}

Subcommand addRecordCommand(CLI::App& app, CommonOptions& common)
{
    struct Options {
        double seconds { 0 };
        double fps { 30 };
        std::string out;
        std::string script;
        std::optional<int> quality;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("record", "Play headless on a virtual clock and write numbered PNG frames and a contact sheet, or one animated WebP");
    addCommonOptions(*command, common);
    command->add_option("--seconds", options->seconds, "How long to record, in seconds of virtual time (at most 3600)")->required();
    command->add_option("--fps", options->fps, "Frames per second, more than 0 and at most 240")->capture_default_str();
    command->add_option("--out", options->out, "A folder for frame-NNNNN.png and contact-sheet.png (made if missing), or FILE.webp for one animated WebP; never in the home or photo folders")->required()->check(notEmpty());
    command->add_option("--script", options->script, "A host script played as a timeline: its advances wait, its commands run when reached; it must open the panel itself")->check(notEmpty());
    command->add_option("--quality", options->quality, "Quality of a .webp recording, 1 to 100 (default 80)");
    command->footer("Without --script the panel opens at time 0. Frames that show nothing new cost nothing: a PNG frame gets the bytes of the one before, a WebP frame lasts longer.");

    auto run = [options, &common] {
        removeTemporaryFilesOnInterrupt();
        if (!(options->seconds > 0 && options->seconds <= kMaximumSeconds))
            throw UsageError("--seconds: must be more than 0 and at most " + std::to_string(int(kMaximumSeconds)));
        if (!(options->fps > 0 && options->fps <= kMaximumFps))
            throw UsageError("--fps: must be more than 0 and at most " + std::to_string(int(kMaximumFps)));
        long total = Recorder::framesBefore(options->seconds, options->fps);
        if (total > kMaximumFrames)
            throw UsageError("--seconds and --fps: " + std::to_string(total) + " frames is more than " + std::to_string(kMaximumFrames));
        bool intoFolder = recordsIntoFolder(options->out);
        int quality = qualityFor(intoFolder ? OutputFormat::Png : OutputFormat::WebP, options->quality);
        HostOptions host = hostOptions(common);
        std::string script = options->script.empty() ? "" : readScript(options->script);
        ProtectedPlaces places = ProtectedPlaces::forHost(host);

        // Checked and made before any frame is drawn, so a refused output costs nothing.
        std::unique_ptr<FrameSink> sink;
        FrameFolder* folder = nullptr;
        if (intoFolder) {
            auto frames = std::make_unique<FrameFolder>(OutputFolder::create(options->out, places));
            folder = frames.get();
            sink = std::move(frames);
        } else {
            sink = std::make_unique<WebPRecording>(OutputFile::prepare(options->out, places), options->fps, quality);
        }

        Panel panel(host);
        Recorder recorder(panel, *sink, options->fps, host.scale);
        ContactSheet sheet(kSheetColumns);
        // Up to 24 frames spread evenly over the recording.
        long sheetStep = std::max(1L, (total + kMostSheetFrames - 1) / kMostSheetFrames);
        {
            ProgressBar progress(total);
            recorder.setFrameObserver([&](const Recorder::ShownFrame& frame) {
                if (folder && frame.index % sheetStep == 0)
                    sheet.add(frame.time, frame.pixels);
                progress.update(frame.index + 1);
            });
            playTimeline(panel, host, options->script, script, options->seconds, [&](double t) { recorder.recordUntil(t); });
            recorder.finish();
        }

        std::string shown = printableArgument(options->out);
        if (folder) {
            folder->folder().write("contact-sheet.png", encodePng(sheet.render()), WriteMode::Durable);
            // A folder given with its trailing slash is shown as given, without a second one.
            std::string inFolder = shown.ends_with('/') ? shown : shown + '/';
            std::cout << "wrote " << recorder.frameCount() << " frames to " << inFolder << "frame-*.png and the contact sheet " << inFolder << "contact-sheet.png\n";
        } else {
            std::cout << "wrote " << recorder.frameCount() << " frames (" << recorder.drawnFrameCount() << " of them new pictures) to " << shown << '\n';
        }
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
        std::optional<int> quality;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("snapshot", "Write one frame of the panel at a time on the virtual clock");
    addCommonOptions(*command, common);
    command->add_option("--at", options->at, "The time of the frame, in seconds")->required();
    command->add_option("--out", options->out, "The picture to write, PNG or JPEG by its extension: .png, .jpg or .jpeg (never in the home or photo folders)")->required()->check(notEmpty());
    command->add_option("--script", options->script, "A host script played as a timeline, as for record")->check(notEmpty());
    command->add_option("--quality", options->quality, "Quality of a JPEG, 1 to 100 (default 90)");

    auto run = [options, &common] {
        removeTemporaryFilesOnInterrupt();
        if (!(options->at >= 0 && options->at <= kMaximumSeconds))
            throw UsageError("--at: must be from 0 to " + std::to_string(int(kMaximumSeconds)));
        OutputFormat format = pictureFormatFor("--out", options->out);
        int quality = qualityFor(format, options->quality);
        HostOptions host = hostOptions(common);
        OutputFile out = OutputFile::prepare(options->out, ProtectedPlaces::forHost(host));
        std::string script = options->script.empty() ? "" : readScript(options->script);
        Panel panel(host);
        playTimeline(panel, host, options->script, script, options->at, [&](double t) { panel.context().runLoop().runUntil(t); });
        Renderer renderer(RendererUse::SinglePicture);
        out.write(encodePicture(renderSnapshot(panel, renderer, host.scale), format, quality));
        std::cout << "wrote " << printableArgument(options->out) << '\n';
        return kExitSuccess;
    };
    return { command, run };
}

}
