#include "host/CommandRun.h"
#include "support/TestSupport.h"
#include "tools/pictures/Jpeg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using command_run::lineCount;
using command_run::quote;
using command_run::Result;
using command_run::run;
using command_run::shell;
using testing_support::TempFolder;
using testing_support::TestHome;

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry under the folder, links not followed: its name, type, link target or a hash of its
// bytes, and its size. Equal fingerprints mean nothing was added, removed, replaced or changed.
std::string fingerprint(const fs::path& root)
{
    std::vector<std::string> lines;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        std::string line = it->path().lexically_relative(root).string();
        fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status))
            line += " -> " + fs::read_symlink(it->path()).string();
        else if (fs::is_regular_file(status))
            line += " file " + std::to_string(fs::file_size(it->path())) + " " + std::to_string(std::hash<std::string> {}(contents(it->path())));
        else
            line += " folder";
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const auto& line : lines)
        out += line + "\n";
    return out;
}

bool isPng(const fs::path& path)
{
    return contents(path).starts_with("\x89PNG\r\n\x1A\n");
}

bool holdsTemporaryFile(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos)
            return true;
    }
    return false;
}

// A home with a photo and preferences, a separate photo folder given with --photos, and a folder
// outside both to write in. The fingerprints of the first two are taken at the start.
struct Folders {
    TestHome home;
    TempFolder photos;
    TempFolder out;
    std::string homeBefore;
    std::string photosBefore;

    Folders()
    {
        home.addPhoto("IMG_0001.JPG");
        home.writePreferences("<key>SecondsPerSlide</key><integer>3</integer>");
        photos.write("IMG_0002.JPG", pictures::encodeJpeg(pictures::paint(16, 12, pictures::solid({ 1, 2, 3 }))));
        homeBefore = fingerprint(home.path());
        photosBefore = fingerprint(photos.path());
    }
    std::string common() const { return "--scale 1 --home " + quote(home.path()) + " --photos " + quote(photos.path()); }
    fs::path preferences() const { return home.path() / testing_support::kPreferences; }
    fs::path photo() const { return home.path() / testing_support::inCameraRoll("IMG_0001.JPG"); }
    void expectUntouched() const
    {
        EXPECT_EQ(fingerprint(home.path()), homeBefore) << "the home folder changed";
        EXPECT_EQ(fingerprint(photos.path()), photosBefore) << "the photo folder changed";
    }
};

void expectRefusal(const Result& result, const std::string& what)
{
    EXPECT_EQ(result.status, 2) << what << ": " << result.err;
    EXPECT_EQ(lineCount(result.err), 1u) << what << ": " << result.err;
    EXPECT_NE(result.err.find("which is never written to"), std::string::npos) << what << ": " << result.err;
}

TEST(CommandOutput, SnapshotRefusesEveryWayIntoTheHomeOrPhotoFolders)
{
    Folders setup;
    const fs::path& out = setup.out.path();
    fs::create_symlink(setup.preferences(), out / "to-preferences.png");
    fs::create_symlink(setup.photos.path() / "IMG_0002.JPG", out / "to-photo.png");
    fs::create_symlink(setup.home.path() / "Library" / "new.png", out / "dangling-into-home.png");
    fs::create_symlink(setup.home.path() / "Media", out / "media");
    for (const fs::path& target : std::vector<fs::path> {
             out / "to-preferences.png",
             out / "to-photo.png",
             out / "dangling-into-home.png",
             out / "media" / "DCIM" / "100APPLE" / "s.png",
             out / ".." / setup.home.path().filename() / "s.png",
             setup.photos.path() / "s.png",
         }) {
        expectRefusal(run("snapshot --at 0 " + setup.common() + " --out " + quote(target)), target.string());
        setup.expectUntouched();
    }
    EXPECT_TRUE(fs::is_symlink(out / "to-preferences.png"));
    EXPECT_FALSE(fs::exists(setup.home.path() / "Library" / "new.png"));

    Result fine = run("snapshot --at 0 " + setup.common() + " --out " + quote(out / "s.png"));
    ASSERT_EQ(fine.status, 0) << fine.err;
    EXPECT_TRUE(isPng(out / "s.png"));
    EXPECT_FALSE(holdsTemporaryFile(out));
    setup.expectUntouched();
}

TEST(CommandOutput, ScriptSnapshotsAndRunScreenshotsAreCheckedTheSameWay)
{
    Folders setup;
    const fs::path& out = setup.out.path();
    fs::create_symlink(setup.preferences(), out / "to-preferences.png");
    std::string script = "create\nplaceholder\nfull\nsnapshot " + (out / "first.png").string() + "\nsnapshot " + (out / "to-preferences.png").string() + "\ndump\n";
    Result result = run("script " + setup.common() + " -", script);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.starts_with("script: line 5: ")) << result.err;
    EXPECT_NE(result.err.find("a link into the preferences file's folder"), std::string::npos) << result.err;
    EXPECT_TRUE(isPng(out / "first.png")) << "the line before it ran";
    EXPECT_TRUE(result.out.empty()) << "the dump after it did not";
    setup.expectUntouched();

    // Refused before a window is needed, so this holds with or without a display.
    expectRefusal(run("run --seconds 1 " + setup.common() + " --screenshot " + quote(out / "to-preferences.png")), "run --screenshot");
    expectRefusal(run("run --seconds 1 " + setup.common() + " --screenshot " + quote(setup.home.path() / "shot.png")), "run --screenshot");
    setup.expectUntouched();
}

TEST(CommandOutput, RecordReplacesLinkedFrameNamesWithoutTouchingWhatTheyLinkTo)
{
    Folders setup;
    auto recording = setup.out.makeFolder("rec");
    fs::create_hard_link(setup.preferences(), recording / "frame-00000.png");
    fs::create_hard_link(setup.photo(), recording / "contact-sheet.png");
    Result result = run("record --seconds 0.5 --fps 4 " + setup.common() + " --out " + quote(recording));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(isPng(recording / "frame-00000.png"));
    EXPECT_TRUE(isPng(recording / "contact-sheet.png"));
    EXPECT_EQ(fs::hard_link_count(recording / "frame-00000.png"), 1u);
    setup.expectUntouched();

    // A symbolic link named as a frame, into the home: refused when the recording reaches it.
    fs::remove(recording / "frame-00001.png");
    fs::create_symlink(setup.preferences(), recording / "frame-00001.png");
    Result refused = run("record --seconds 0.5 --fps 4 " + setup.common() + " --out " + quote(recording));
    expectRefusal(refused, "a linked frame");
    EXPECT_NE(refused.err.find("frame-00001.png: a link into the preferences file's folder"), std::string::npos) << refused.err;
    EXPECT_TRUE(fs::is_symlink(recording / "frame-00001.png"));
    EXPECT_FALSE(holdsTemporaryFile(recording));
    setup.expectUntouched();
}

TEST(CommandOutput, RecordMakesNoFolderInsideProtectedPlaces)
{
    Folders setup;
    expectRefusal(run("record --seconds 1 " + setup.common() + " --out " + quote(setup.home.path() / "x" / "y")), "inside the home");
    expectRefusal(run("record --seconds 1 " + setup.common() + " --out " + quote(setup.photos.path() / "frames")), "inside --photos");
    setup.expectUntouched();

    // A camera roll kept outside the home, reached through a link from it.
    TestHome home;
    TempFolder elsewhere;
    auto roll = elsewhere.makeFolder("roll");
    fs::create_directories(home.path() / "Media" / "DCIM");
    fs::create_symlink(roll, home.path() / testing_support::kCameraRoll);
    std::string homeOption = " --scale 1 --home " + quote(home.path());
    std::string rollBefore = fingerprint(roll);
    expectRefusal(run("record --seconds 1" + homeOption + " --out " + quote(roll / "frames")), "into a linked camera roll");
    expectRefusal(run("snapshot --at 0" + homeOption + " --out " + quote(roll / "s.png")), "into a linked camera roll");
    EXPECT_EQ(fingerprint(roll), rollBefore);
    Result photos = run("photos --json" + homeOption);
    EXPECT_EQ(photos.out.find("frames"), std::string::npos) << "no output shows up as a slide";
}

bool namespacesAvailable()
{
    return shell("unshare -rm true").status == 0;
}

TEST(CommandOutput, TheHomeSeenThroughABindMountIsStillTheHome)
{
    if (!namespacesAvailable())
        GTEST_SKIP() << "no user and mount namespaces here (unshare -rm), so no bind mount to try";
    Folders setup;
    auto view = setup.out.makeFolder("view");
    // The mount exists only inside the namespace the command runs in.
    Result result = shell("unshare -rm sh -c \"mount --bind " + quote(setup.home.path()) + " " + quote(view) + " && {orvessa} snapshot --at 0 " + setup.common() + " --out " + quote(view / "s.png") + "\"");
    expectRefusal(result, "through a bind mount");
    setup.expectUntouched();
}

TEST(CommandOutput, WriteFailuresNameTheReasonAndLeaveNoFile)
{
    Folders setup;
    const fs::path& out = setup.out.path();
    // The shell ignores SIGXFSZ for the command, so the file-size limit shows as a write error.
    Result tooLarge = shell("trap '' XFSZ; ulimit -f 8; exec {orvessa} snapshot --at 0 " + setup.common() + " --out " + quote(out / "s.png"));
    EXPECT_EQ(tooLarge.status, 1) << tooLarge.err;
    EXPECT_EQ(lineCount(tooLarge.err), 1u) << tooLarge.err;
    EXPECT_NE(tooLarge.err.find("s.png: File too large"), std::string::npos) << tooLarge.err;
    EXPECT_TRUE(fs::is_empty(out)) << "neither the file nor a temporary";
    setup.expectUntouched();

    if (!namespacesAvailable())
        GTEST_SKIP() << "no user and mount namespaces here (unshare -rm), so no small full file system to write to";
    // A 4 KiB file system (one page), mounted only inside the namespace the command runs in.
    auto full = setup.out.makeFolder("full");
    auto inNamespace = [&](const std::string& command, const fs::path& listed) {
        return shell("unshare -rm sh -c \"mount -t tmpfs -o size=4k none " + quote(full) + " && { " + command + "; status=\\$?; ls -A " + quote(listed) + "; exit \\$status; }\"");
    };
    Result snapshot = inNamespace("{orvessa} snapshot --at 0 " + setup.common() + " --out " + quote(full / "s.png"), full);
    EXPECT_EQ(snapshot.status, 1) << snapshot.err;
    EXPECT_EQ(snapshot.err, "orvessa: cannot write " + (full / "s.png").string() + ": No space left on device\n");
    EXPECT_EQ(snapshot.out, "") << "nothing left in the full folder";

    Result record = inNamespace("{orvessa} record --seconds 2 --fps 4 " + setup.common() + " --out " + quote(full / "rec"), full / "rec");
    EXPECT_EQ(record.status, 1) << record.err;
    EXPECT_EQ(lineCount(record.err), 1u) << record.err;
    EXPECT_NE(record.err.find("frame-00000.png: No space left on device"), std::string::npos) << record.err;
    EXPECT_EQ(record.out.find(".tmp-"), std::string::npos) << record.out;
    setup.expectUntouched();
}

}
