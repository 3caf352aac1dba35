#include "host/OutputError.h"
#include "host/OutputFolder.h"
#include "host/Panel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <thread>

using testing_support::TempFolder;
using testing_support::TestHome;

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return { text.begin(), text.end() };
}

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every name in the folder, hidden ones too: a temporary file left behind shows here.
std::vector<std::string> names(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A home with a photo and preferences, and an outside folder to write in.
struct Places {
    TestHome home;
    TempFolder outside;

    Places()
    {
        home.addPhoto("IMG_0001.JPG");
        home.writePreferences("<key>Shuffle</key><true/>");
    }
    orvessa::ProtectedPlaces places() const { return orvessa::ProtectedPlaces::forHost(testing_support::panelOptions(home.path())); }
    fs::path preferences() const { return home.path() / testing_support::kPreferences; }
    fs::path photo() const { return home.path() / testing_support::inCameraRoll("IMG_0001.JPG"); }
};

// Runs `body` and returns the OutputError it throws; fails the test when it throws none.
template<typename Body>
std::optional<orvessa::OutputError> errorFrom(Body body)
{
    try {
        body();
    } catch (const orvessa::OutputError& error) {
        return error;
    }
    ADD_FAILURE() << "no OutputError";
    return std::nullopt;
}

TEST(OutputFolder, WritesAFileAndReplacesAnOldOneWhole)
{
    Places setup;
    auto folder = orvessa::OutputFolder::open(setup.outside.path(), setup.places());
    folder.write("a.png", bytesOf("first version, longer"), orvessa::WriteMode::Durable);
    EXPECT_EQ(contents(setup.outside.path() / "a.png"), "first version, longer");
    folder.write("a.png", bytesOf("second"), orvessa::WriteMode::Fast);
    EXPECT_EQ(contents(setup.outside.path() / "a.png"), "second");
    folder.write(
        "b.png", [](const orvessa::ByteSink& sink) {
            sink(bytesOf("in "));
            sink(bytesOf("pieces"));
        },
        orvessa::WriteMode::Durable);
    EXPECT_EQ(contents(setup.outside.path() / "b.png"), "in pieces");
    EXPECT_EQ(names(setup.outside.path()), (std::vector<std::string> { "a.png", "b.png" }));
}

TEST(OutputFolder, RefusesFoldersInsideProtectedPlacesHoweverTheyAreReached)
{
    Places setup;
    fs::create_symlink(setup.home.path() / "Media", setup.outside.path() / "media-link");
    fs::create_directories(setup.outside.path() / "sub");
    for (const fs::path& folder : {
             setup.home.path(),
             setup.home.path() / "Library",
             setup.outside.path() / ".." / setup.outside.path().filename() / "media-link",
             setup.outside.path() / "media-link" / "DCIM" / "100APPLE",
             setup.outside.path() / "sub" / ".." / "media-link",
         }) {
        auto error = errorFrom([&] { orvessa::OutputFolder::open(folder, setup.places()); });
        ASSERT_TRUE(error) << folder;
        EXPECT_EQ(error->cause(), orvessa::OutputError::Cause::Refused) << folder;
        EXPECT_NE(std::string(error->what()).find("which is never written to"), std::string::npos) << error->what();
    }
    EXPECT_NO_THROW(orvessa::OutputFolder::open(setup.outside.path() / "sub", setup.places()));
}

TEST(OutputFolder, ProtectsPhotoFoldersAndPreferencesKeptElsewhereThroughLinks)
{
    // A synced folder and a camera roll kept outside the home, linked from it, and preferences that
    // are a link to a file in a third place.
    TestHome home;
    TempFolder elsewhere;
    fs::create_directories(home.path() / "Media" / "DCIM");
    fs::create_directories(home.path() / "Media" / "PhotoData" / "Sync");
    fs::create_directories(home.path() / "Library" / "Preferences");
    auto roll = elsewhere.makeFolder("roll");
    auto synced = elsewhere.makeFolder("synced");
    auto settings = elsewhere.write("settings/prefs.plist", testing_support::preferencesXml(""));
    fs::create_symlink(roll, home.path() / testing_support::kCameraRoll);
    fs::create_symlink(synced, home.path() / testing_support::kSynced);
    fs::create_symlink(settings, home.path() / testing_support::kPreferences);
    auto places = orvessa::ProtectedPlaces::forHost(testing_support::panelOptions(home.path()));

    for (const fs::path& folder : { roll, synced, elsewhere.makeFolder("roll/album"), settings.parent_path() }) {
        auto error = errorFrom([&] { orvessa::OutputFolder::open(folder, places); });
        ASSERT_TRUE(error) << folder;
        EXPECT_EQ(error->cause(), orvessa::OutputError::Cause::Refused);
    }
    EXPECT_NO_THROW(orvessa::OutputFolder::open(elsewhere.path(), places));

    // The same with the camera roll given as its own folder.
    TempFolder photos;
    auto options = testing_support::panelOptions(home.path());
    options.photos = photos.path();
    EXPECT_THROW(orvessa::OutputFolder::open(photos.path(), orvessa::ProtectedPlaces::forHost(options)), orvessa::OutputError);
}

TEST(OutputFolder, CreatesNothingWhenTheNewFolderWouldBeProtected)
{
    Places setup;
    auto before = names(setup.home.path());
    auto error = errorFrom([&] { orvessa::OutputFolder::create(setup.home.path() / "x" / "y", setup.places()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->cause(), orvessa::OutputError::Cause::Refused);
    EXPECT_EQ(names(setup.home.path()), before) << "no x made on the way";

    // A camera roll that is a link to a folder not made yet: making that folder would fill the roll.
    TestHome home;
    TempFolder elsewhere;
    fs::create_directories(home.path() / "Media" / "DCIM");
    fs::create_symlink(elsewhere.path() / "roll", home.path() / testing_support::kCameraRoll);
    auto places = orvessa::ProtectedPlaces::forHost(testing_support::panelOptions(home.path()));
    EXPECT_THROW(orvessa::OutputFolder::create(elsewhere.path() / "roll" / "frames", places), orvessa::OutputError);
    EXPECT_FALSE(fs::exists(elsewhere.path() / "roll"));

    auto made = orvessa::OutputFolder::create(elsewhere.path() / "frames" / "today", places);
    EXPECT_TRUE(fs::is_directory(made.path()));
}

TEST(OutputFolder, NeverWritesThroughALinkAtTheTarget)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    std::string preferencesBefore = contents(setup.preferences());
    fs::create_symlink(setup.preferences(), out / "to-preferences.png");
    fs::create_symlink(setup.photo(), out / "to-photo.png");
    fs::create_symlink(setup.home.path() / "Library" / "new.png", out / "dangling-into-home.png");
    fs::create_symlink("../" + setup.home.path().filename().string() + "/nothing/yet.png", out / "relative-into-home.png");
    auto folder = orvessa::OutputFolder::open(out, setup.places());
    for (const char* name : { "to-preferences.png", "to-photo.png", "dangling-into-home.png", "relative-into-home.png" }) {
        auto error = errorFrom([&] { folder.write(name, bytesOf("png"), orvessa::WriteMode::Fast); });
        ASSERT_TRUE(error) << name;
        EXPECT_EQ(error->cause(), orvessa::OutputError::Cause::Refused);
        EXPECT_NE(std::string(error->what()).find("a link into"), std::string::npos) << error->what();
        EXPECT_TRUE(fs::is_symlink(out / name)) << "the link is left as it was";
    }
    EXPECT_FALSE(fs::exists(setup.home.path() / "Library" / "new.png"));
    EXPECT_EQ(contents(setup.preferences()), preferencesBefore);

    // A link to an unprotected file is replaced by the new file; the file it pointed at is untouched.
    auto other = setup.outside.write("kept/other.png", std::string("other"));
    fs::create_symlink(other, out / "to-other.png");
    folder.write("to-other.png", bytesOf("new"), orvessa::WriteMode::Fast);
    EXPECT_FALSE(fs::is_symlink(out / "to-other.png"));
    EXPECT_EQ(contents(out / "to-other.png"), "new");
    EXPECT_EQ(contents(other), "other");
}

TEST(OutputFolder, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    setup.outside.write("a.png", std::string("old"));
    auto folder = orvessa::OutputFolder::open(out, setup.places());
    EXPECT_THROW(folder.write(
                     "a.png", [](const orvessa::ByteSink& sink) {
                         sink(bytesOf("half a pic"));
                         throw std::runtime_error("the encoder failed");
                     },
                     orvessa::WriteMode::Durable),
        std::runtime_error);
    EXPECT_EQ(contents(out / "a.png"), "old");
    EXPECT_EQ(names(out), (std::vector<std::string> { "a.png" }));

    setup.outside.makeFolder("a-folder.png");
    auto error = errorFrom([&] { folder.write("a-folder.png", bytesOf("x"), orvessa::WriteMode::Fast); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->cause(), orvessa::OutputError::Cause::BadTarget);
    for (const char* bad : { "", ".", "..", "sub/a.png" })
        EXPECT_THROW(folder.write(bad, bytesOf("x"), orvessa::WriteMode::Fast), orvessa::OutputError) << bad;
    EXPECT_EQ(names(out), (std::vector<std::string> { "a-folder.png", "a.png" }));
}

TEST(OutputFolder, AFileSizeLimitFailsTheWriteWithTheSystemsReason)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    auto folder = orvessa::OutputFolder::open(out, setup.places());
    // In a child, so the limit and the ignored signal stay there. Exit codes tell what happened.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            folder.write("big.png", std::vector<std::uint8_t>(10000, 7), orvessa::WriteMode::Durable);
        } catch (const orvessa::OutputError& error) {
            bool named = std::string(error.what()).find("big.png: File too large") != std::string::npos;
            ::_exit(error.cause() == orvessa::OutputError::Cause::Failure && named ? 0 : 3);
        } catch (...) {
            ::_exit(4);
        }
        ::_exit(5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: wrong cause or message, 4: another exception, 5: no error";
    EXPECT_TRUE(names(out).empty()) << "neither big.png nor its temporary";
}

TEST(OutputFolder, WritersOnSeveralThreadsNeverMixTheirFiles)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    auto folder = orvessa::OutputFolder::open(out, setup.places());
    constexpr int kThreads = 8;
    constexpr int kWrites = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&folder, t] {
            // Each thread's version of the shared file is one repeated letter, long enough to take
            // several writes.
            std::vector<std::uint8_t> mine(200000, std::uint8_t('a' + t));
            for (int i = 0; i < kWrites; ++i) {
                folder.write("shared.png", mine, orvessa::WriteMode::Fast);
                folder.write("own-" + std::to_string(t) + "-" + std::to_string(i) + ".png", mine, orvessa::WriteMode::Fast);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::string shared = contents(out / "shared.png");
    ASSERT_EQ(shared.size(), 200000u);
    EXPECT_EQ(shared.find_first_not_of(shared.front()), std::string::npos) << "one writer's whole file";
    EXPECT_EQ(names(out).size(), std::size_t(1 + kThreads * kWrites)) << "no temporary left";
}

TEST(PendingFile, ACommittedFileHoldsExactlyItsBytesWithTheHeaderPatched)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    setup.outside.write("rec.webp", std::string("old"));
    auto folder = orvessa::OutputFolder::open(out, setup.places());
    orvessa::PendingFile file = folder.startWriting("rec.webp", orvessa::WriteMode::Durable);
    file.append(bytesOf("SIZE?"));
    file.append(bytesOf("first "));
    file.append(bytesOf("second"));
    file.overwrite(4, bytesOf("="));
    file.overwrite(0, bytesOf("size"));
    EXPECT_EQ(file.size(), 17u);
    EXPECT_THROW(file.overwrite(15, bytesOf("abc")), std::out_of_range);
    EXPECT_EQ(contents(out / "rec.webp"), "old") << "the target is untouched until the commit";
    EXPECT_EQ(names(out).size(), 2u) << "the file is written beside it";
    file.commit();
    EXPECT_TRUE(file.isCommitted());
    EXPECT_EQ(contents(out / "rec.webp"), "size=first second");
    EXPECT_EQ(names(out), (std::vector<std::string> { "rec.webp" }));
    EXPECT_THROW(file.append(bytesOf("late")), std::logic_error);

    auto named = orvessa::OutputFile::prepare(out / "named.webp", setup.places());
    orvessa::PendingFile streamed = named.startWriting();
    streamed.append(bytesOf("streamed"));
    streamed.commit();
    EXPECT_EQ(contents(out / "named.webp"), "streamed");
}

TEST(PendingFile, OneDroppedUncommittedLeavesNothingAndARefusedOneIsNeverMade)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    setup.outside.write("a.png", std::string("old"));
    auto folder = orvessa::OutputFolder::open(out, setup.places());
    {
        orvessa::PendingFile replacing = folder.startWriting("a.png", orvessa::WriteMode::Fast);
        orvessa::PendingFile fresh = folder.startWriting("new.png", orvessa::WriteMode::Durable);
        replacing.append(bytesOf("half a picture"));
        fresh.append(bytesOf("half another"));
        EXPECT_EQ(names(out).size(), 3u);
    }
    EXPECT_EQ(names(out), (std::vector<std::string> { "a.png" }));
    EXPECT_EQ(contents(out / "a.png"), "old");

    setup.outside.makeFolder("a-folder.png");
    EXPECT_THROW(folder.startWriting("a-folder.png", orvessa::WriteMode::Fast), orvessa::OutputError);
    EXPECT_THROW(folder.startWriting("sub/b.png", orvessa::WriteMode::Fast), orvessa::OutputError);
    EXPECT_EQ(names(out), (std::vector<std::string> { "a-folder.png", "a.png" }));
}

// Runs `body` in a child process with its own user and mount namespaces, where a 16 KiB tmpfs is
// mounted on `folder` for it alone, and gives its exit status; kNoNamespaces when none can be made.
constexpr int kNoNamespaces = 99;

template<typename Body>
int inSmallFileSystem(const fs::path& folder, Body body)
{
    uid_t uid = ::getuid();
    gid_t gid = ::getgid();
    pid_t child = ::fork();
    if (child < 0)
        return kNoNamespaces;
    if (child == 0) {
        auto writeFile = [](const char* path, const std::string& text) {
            std::ofstream out(path);
            out << text;
            return bool(out.flush());
        };
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            ::_exit(kNoNamespaces);
        bool mapped = writeFile("/proc/self/setgroups", "deny") && writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1")
            && writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
        if (!mapped || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || ::mount("none", folder.c_str(), "tmpfs", 0, "size=16k") != 0)
            ::_exit(kNoNamespaces);
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(PendingFile, AFullFileSystemFailsTheWriteAndLeavesNeitherTemporaryNorTarget)
{
    Places setup;
    fs::path full = setup.outside.makeFolder("full");
    orvessa::ProtectedPlaces places = setup.places();
    // Exit codes tell the parent what happened: 0 as it should, 2 the writes all fit, 3 the wrong
    // error, 4 something left in the folder, 5 the file still takes bytes.
    int status = inSmallFileSystem(full, [&] {
        auto folder = orvessa::OutputFolder::open(full, places);
        orvessa::PendingFile file = folder.startWriting("big.webp", orvessa::WriteMode::Durable);
        std::vector<std::uint8_t> piece(4096, 7);
        try {
            for (int i = 0; i < 64; ++i)
                file.append(piece);
            return 2;
        } catch (const orvessa::OutputError& error) {
            bool named = std::string(error.what()).find("big.webp: No space left on device") != std::string::npos;
            if (error.cause() != orvessa::OutputError::Cause::Failure || !named)
                return 3;
        }
        if (!fs::is_empty(full))
            return 4;
        try {
            file.append(piece);
        } catch (const std::logic_error&) {
            return 0;
        }
        return 5;
    });
    if (status == kNoNamespaces)
        GTEST_SKIP() << "no user and mount namespaces here, so no small full file system to write to";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::is_empty(full)) << "outside the namespace the folder was never written either";
}

TEST(OutputFile, AMissingFolderIsTheUsersToMendAndNamesTheFile)
{
    Places setup;
    const fs::path& out = setup.outside.path();
    auto missing = errorFrom([&] { orvessa::OutputFile::prepare(out / "no-folder" / "snap.png", setup.places()); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->cause(), orvessa::OutputError::Cause::BadTarget);
    EXPECT_NE(std::string(missing->what()).find("snap.png"), std::string::npos) << missing->what();

    auto file = orvessa::OutputFile::prepare(out / "fine.png", setup.places());
    file.write(bytesOf("png"));
    EXPECT_EQ(contents(out / "fine.png"), "png");
}

}
