#include "render/ReadBack.h"

#include "host/CommandRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using command_run::lineCount;
using command_run::quote;
using command_run::Result;
using command_run::run;
using command_run::shell;
using testing_support::fileBytes;
using testing_support::TempFolder;
using testing_support::TestHome;

namespace {

namespace fs = std::filesystem;

struct RecordingPlaces {
    TestHome home;
    TempFolder out;

    RecordingPlaces()
    {
        home.addPhoto("IMG_0001.JPG", { 200, 40, 40 }, testing_support::kCameraRoll, 160, 120);
        home.addPhoto("IMG_0002.JPG", { 40, 160, 60 }, testing_support::kCameraRoll, 160, 120);
        home.writePreferences("<key>SecondsPerSlide</key><integer>2</integer>");
    }
    std::string common() const { return "--scale 1 --seed 3 --home " + quote(home.path()); }
};

TEST(RecordCommand, SnapshotWritesPngOrJpegByItsExtension)
{
    RecordingPlaces setup;
    Result png = run("snapshot --at 1.5 " + setup.common() + " --out " + quote(setup.out.path() / "s.png"));
    ASSERT_EQ(png.status, 0) << png.err;
    auto fromPng = read_back::png(fileBytes(setup.out.path() / "s.png"));
    ASSERT_TRUE(fromPng);
    EXPECT_EQ(fromPng->width, 320);

    for (const char* name : { "s.jpg", "S.JPEG" }) {
        Result jpeg = run("snapshot --at 1.5 " + setup.common() + " --out " + quote(setup.out.path() / name));
        ASSERT_EQ(jpeg.status, 0) << jpeg.err;
        auto fromJpeg = read_back::jpeg(fileBytes(setup.out.path() / name));
        ASSERT_TRUE(fromJpeg) << name;
        ASSERT_EQ(fromJpeg->width, 320);
        ASSERT_EQ(fromJpeg->height, 240);
        // The same frame as the PNG, within what JPEG loses.
        long total = 0;
        for (std::size_t i = 0; i < fromPng->rgba.size(); ++i)
            total += std::abs(int(fromPng->rgba[i]) - int(fromJpeg->rgba[i]));
        EXPECT_LT(double(total) / double(fromPng->rgba.size()), 4.0) << name;
    }
    Result poor = run("snapshot --at 1.5 --quality 20 " + setup.common() + " --out " + quote(setup.out.path() / "poor.jpg"));
    ASSERT_EQ(poor.status, 0) << poor.err;
    EXPECT_LT(fs::file_size(setup.out.path() / "poor.jpg"), fs::file_size(setup.out.path() / "s.jpg"));
}

TEST(RecordCommand, AFolderGetsPngFramesWhereRepeatsAreTheSameBytes)
{
    RecordingPlaces setup;
    fs::path folder = setup.out.path() / "rec";
    Result result = run("record --seconds 3 --fps 10 " + setup.common() + " --out " + quote(folder));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("wrote 30 frames"), std::string::npos) << result.out;
    int repeats = 0;
    std::vector<std::uint8_t> previous;
    for (int i = 0; i < 30; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", i);
        auto bytes = fileBytes(folder / name);
        ASSERT_TRUE(read_back::png(bytes)) << name;
        repeats += bytes == previous;
        previous = std::move(bytes);
    }
    // The photo is still between 0.5 s and the cross-fade at 2 s.
    EXPECT_GE(repeats, 10);
    EXPECT_LT(repeats, 29);
    EXPECT_TRUE(read_back::png(fileBytes(folder / "contact-sheet.png")));
    EXPECT_FALSE(fs::exists(folder / "frame-00030.png"));
}

TEST(RecordCommand, AWebPNameGetsOneAnimationOfTheWholeRecording)
{
    RecordingPlaces setup;
    fs::path file = setup.out.path() / "rec.webp";
    Result result = run("record --seconds 3 --fps 20 --quality 60 " + setup.common() + " --out " + quote(file));
    ASSERT_EQ(result.status, 0) << result.err;
    auto animation = read_back::webp(fileBytes(file));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->width, 320);
    EXPECT_LT(animation->frames.size(), 60u) << "unchanged frames are not added";
    EXPECT_GT(animation->frames.size(), 5u);
    EXPECT_EQ(animation->endsMs.back(), 3000);
    // The first frame lasts until the picture first changes, a whole number of 50 ms frames.
    for (int end : animation->endsMs)
        EXPECT_EQ(end % 50, 0) << end;
    EXPECT_EQ(std::distance(fs::directory_iterator(setup.out.path()), fs::directory_iterator()), 1) << "no frames, no sheet, no temporary";
}

TEST(RecordCommand, RefusesBadNumbersAndNamesWithOneLine)
{
    RecordingPlaces setup;
    const fs::path& out = setup.out.path();
    auto expectRefused = [&](const std::string& arguments, const std::string& words) {
        Result result = run(arguments + " " + setup.common());
        EXPECT_EQ(result.status, 2) << arguments << ": " << result.err;
        EXPECT_EQ(lineCount(result.err), 1u) << arguments << ": " << result.err;
        EXPECT_NE(result.err.find(words), std::string::npos) << arguments << ": " << result.err;
    };
    std::string rec = " --out " + quote(out / "rec");
    for (const char* fps : { "0", "-5", "nan", "241", "inf" })
        expectRefused(std::string("record --seconds 1 --fps ") + fps + rec, "--fps");
    for (const char* seconds : { "0", "-1", "nan", "3601", "1e12" })
        expectRefused(std::string("record --seconds ") + seconds + rec, "--seconds");
    expectRefused("record --seconds 3600 --fps 240" + rec, "frames is more than");
    for (const char* quality : { "0", "101", "-3" }) {
        expectRefused(std::string("record --seconds 1 --quality ") + quality + " --out " + quote(out / "r.webp"), "--quality");
        expectRefused(std::string("snapshot --at 0 --quality ") + quality + " --out " + quote(out / "s.jpg"), "--quality");
    }
    expectRefused("snapshot --at 0 --quality 50 --out " + quote(out / "s.png"), "--quality");
    expectRefused("record --seconds 1 --quality 50" + rec, "--quality");
    expectRefused("snapshot --at 0 --out " + quote(out / "s.gif"), ".png, .jpg or .jpeg");
    expectRefused("snapshot --at 0 --out " + quote(out / "s.webp"), ".png, .jpg or .jpeg");
    expectRefused("snapshot --at 0 --out " + quote(out / "s"), ".png, .jpg or .jpeg");
    expectRefused("record --seconds 1 --out " + quote(out / "r.png"), ".webp");
    expectRefused("record --seconds 1 --out " + quote(out / "r.mp4"), ".webp");
    expectRefused("record --seconds 1 --out " + quote(out / "missing" / "r.webp"), "no folder");
    // Into the home, directly, through a link and through "..".
    fs::create_symlink(setup.home.path(), out / "home-link");
    for (const fs::path& target : std::vector<fs::path> { setup.home.path() / "r.webp", out / "home-link" / "r.webp", out / ".." / setup.home.path().filename() / "r.webp" })
        expectRefused("record --seconds 1 --out " + quote(target), "which is never written to");
    for (const fs::path& target : std::vector<fs::path> { setup.home.path() / "s.jpg", out / "home-link" / "Media" / "s.jpg" })
        expectRefused("snapshot --at 0 --out " + quote(target), "which is never written to");
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1) << "only the link: nothing was written";
}

bool namespacesAvailable()
{
    return shell("unshare -rm true").status == 0;
}

TEST(RecordCommand, AFolderThatCannotBeWrittenStopsTheRecordingWithOneLine)
{
    if (!namespacesAvailable())
        GTEST_SKIP() << "no user and mount namespaces here (unshare -rm), so no small or read-only file system to write to";
    RecordingPlaces setup;
    auto mounted = setup.out.makeFolder("mounted");
    // A file system mounted only inside the namespace the command runs in; its listing follows.
    auto inNamespace = [&](const std::string& mountOptions, const std::string& command) {
        return shell("unshare -rm sh -c \"mount -t tmpfs -o " + mountOptions + " none " + quote(mounted) + " && { " + command + "; status=\\$?; ls -A " + quote(mounted) + "; exit \\$status; }\"");
    };
    // A read-only folder is the user's to mend (status 2); a full disk is not (status 1).
    for (const auto& [mountOptions, status, reason] : { std::tuple { "ro", 2, "Read-only file system" }, std::tuple { "size=64k", 1, "No space left on device" } }) {
        // The full one is filled before the recording starts, so however small the animation, it does not fit.
        Result webp = inNamespace(mountOptions, "{ cat /dev/zero > " + quote(mounted / "filler") + "; } 2>/dev/null; {orvessa} record --seconds 2 --fps 10 " + setup.common() + " --out " + quote(mounted / "r.webp"));
        EXPECT_EQ(webp.status, status) << webp.err;
        EXPECT_EQ(lineCount(webp.err), 1u) << webp.err;
        EXPECT_NE(webp.err.find(reason), std::string::npos) << webp.err;
        EXPECT_EQ(webp.out.find("r.webp"), std::string::npos) << "no animation left: " << webp.out;
        EXPECT_EQ(webp.out.find(".tmp-"), std::string::npos) << webp.out;
    }
    // Frames land in order until the disk is full; those there are copied out to be read.
    auto copies = setup.out.makeFolder("copies");
    Result frames = inNamespace("size=64k", "{orvessa} record --seconds 4 --fps 10 " + setup.common() + " --out " + quote(mounted) + "; status=\\$?; cp " + quote(mounted) + "/* " + quote(copies) + "; exit \\$status");
    EXPECT_EQ(frames.status, 1) << frames.err;
    EXPECT_EQ(lineCount(frames.err), 1u) << frames.err;
    EXPECT_NE(frames.err.find("No space left on device"), std::string::npos) << frames.err;
    EXPECT_EQ(frames.out.find(".tmp-"), std::string::npos) << frames.out;
    EXPECT_EQ(frames.out.find("contact-sheet"), std::string::npos) << frames.out;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(copies)) {
        names.push_back(entry.path().filename().string());
        EXPECT_TRUE(read_back::png(fileBytes(entry.path()))) << entry.path() << " is whole";
    }
    std::sort(names.begin(), names.end());
    ASSERT_FALSE(names.empty()) << frames.out;
    ASSERT_LT(names.size(), 40u);
    for (std::size_t i = 0; i < names.size(); ++i) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "frame-%05zu.png", i);
        EXPECT_EQ(names[i], expected) << "frames land in order, with no gap";
    }
}

}

// A recording stopped by a signal ends as the signal ends any program, and leaves no temporary file
// of ours behind: the WebP that was being written as it went, or any frame in flight.
TEST(RecordCommand, ASignalEndsTheRecordingWithNoTemporaryFileLeft)
{
    auto hiddenFiles = [](const fs::path& folder) {
        std::vector<std::string> hidden;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().filename().string().starts_with("."))
                hidden.push_back(entry.path().filename().string());
        }
        return hidden;
    };
    for (auto [signal, output] : { std::tuple { SIGINT, "rec.webp" }, std::tuple { SIGTERM, "frames" } }) {
        SCOPED_TRACE(output);
        RecordingPlaces setup;
        fs::path target = setup.out.path() / output;
        std::string home = setup.home.path().string();
        std::string out = target.string();
        std::vector<const char*> arguments { ORVESSA_COMMAND, "record", "--seconds", "900", "--fps", "20", "--scale", "1", "--home", home.c_str(), "--out", out.c_str(), nullptr };
        // The signals' default actions in the child, even where the tests run as a background job,
        // which starts with SIGINT ignored (and a program keeps an ignored signal ignored).
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        pid_t child = 0;
        int spawned = posix_spawn(&child, ORVESSA_COMMAND, nullptr, &attributes, const_cast<char* const*>(arguments.data()), environ);
        posix_spawnattr_destroy(&attributes);
        ASSERT_EQ(spawned, 0);
        // Signalled once the recording is under way: its temporary WebP exists, or frames are landing.
        bool underWay = false;
        for (int wait = 0; wait < 400 && !underWay; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (std::string(output) == "frames")
                underWay = fs::exists(target) && std::distance(fs::directory_iterator(target), fs::directory_iterator()) >= 20;
            else
                underWay = !hiddenFiles(setup.out.path()).empty();
        }
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(underWay) << "the recording never got going";
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(hiddenFiles(setup.out.path()), std::vector<std::string> {});
        if (std::string(output) == "frames")
            EXPECT_EQ(hiddenFiles(target), std::vector<std::string> {});
        else
            EXPECT_FALSE(fs::exists(target)) << "an unfinished recording never stands under its name";
    }
}
