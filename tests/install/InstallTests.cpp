#include "support/TestSupport.h"
#include "tools/pictures/Jpeg.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <map>
#include <sys/wait.h>

using testing_support::TempFolder;

namespace fs = std::filesystem;

namespace {

struct Result {
    int status { -1 };
    std::string out;
    std::string err;
};

std::string quoted(const fs::path& path)
{
    std::string text = "'";
    for (char c : path.string()) {
        if (c == '\'')
            text += "'\\''";
        else
            text += c;
    }
    return text + "'";
}

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a command line through the test's own shell, in a working folder; the product never uses one.
Result runIn(const fs::path& folder, const std::string& commandLine)
{
    TempFolder scratch;
    std::string line = "cd " + quoted(folder) + " && " + commandLine + " < /dev/null > " + quoted(scratch.path() / "out") + " 2> " + quoted(scratch.path() / "err");
    int raw = std::system(line.c_str());
    return { WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(scratch.path() / "out"), slurp(scratch.path() / "err") };
}

std::size_t lineCount(const std::string& text)
{
    return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

bool isPng(const fs::path& path)
{
    return slurp(path).starts_with("\x89PNG\r\n\x1a\n");
}

// The built tree installed into a prefix that is then moved to a path with spaces: whatever the
// installed command finds, it finds relative to itself, never through the build folder or the
// prefix it was first installed to.
class InstalledCommand : public testing::Test {
protected:
    void SetUp() override
    {
        fs::path first = m_scratch.path() / "first prefix";
        Result installed = runIn(m_scratch.path(), quoted(ORVESSA_CMAKE) + " --install " + quoted(ORVESSA_BUILD_DIR) + " --prefix " + quoted(first));
        ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
        m_prefix = m_scratch.path() / "moved prefix with spaces";
        fs::rename(first, m_prefix);
        m_elsewhere = m_scratch.makeFolder("some other folder");
    }

    fs::path command() const { return m_prefix / "bin" / "orvessa"; }
    fs::path resources() const { return m_prefix / "share" / "orvessa"; }

    // The installed command, run from an unrelated folder with only the environment given.
    Result orvessa(const std::string& arguments, const std::string& environment = "") const
    {
        return runIn(m_elsewhere, "env -u ORVESSA_RESOURCES " + environment + " " + quoted(command()) + " " + arguments);
    }

    TempFolder m_scratch;
    fs::path m_prefix;
    fs::path m_elsewhere;
};

}

TEST_F(InstalledCommand, SnapshotRunsFromAnyFolderAndThroughALink)
{
    Result result = orvessa("snapshot --at 1 --scale 1 --out f.png");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(isPng(m_elsewhere / "f.png"));

    fs::path links = m_scratch.makeFolder("links");
    fs::create_symlink(command(), links / "orvessa");
    Result linked = runIn(m_elsewhere, quoted(links / "orvessa") + " snapshot --at 1 --scale 1 --out g.png");
    ASSERT_EQ(linked.status, 0) << linked.err;
    EXPECT_TRUE(isPng(m_elsewhere / "g.png"));
}

TEST_F(InstalledCommand, WithoutItsResourcesItNamesWhereItLookedAndNeverFallsBackToTheBuild)
{
    fs::path kept = m_scratch.path() / "kept resources";
    fs::rename(resources(), kept);
    Result result = orvessa("snapshot --at 1 --out f.png");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find(resources().string()), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("ORVESSA_RESOURCES"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(m_elsewhere / "f.png"));

    Result overridden = orvessa("snapshot --at 1 --scale 1 --out f.png", "ORVESSA_RESOURCES=" + quoted(kept));
    EXPECT_EQ(overridden.status, 0) << overridden.err;
    EXPECT_TRUE(isPng(m_elsewhere / "f.png"));
}

TEST_F(InstalledCommand, TheVariableComesFirstAndIsCheckedLikeAnInstall)
{
    Result missing = orvessa("photos", "ORVESSA_RESOURCES=/no/such/folder");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(lineCount(missing.err), 1u) << missing.err;
    EXPECT_NE(missing.err.find("ORVESSA_RESOURCES=/no/such/folder"), std::string::npos) << missing.err;

    // A copy lacking one picture is refused although the installed resources are whole.
    fs::path copy = m_scratch.path() / "copy";
    fs::copy(resources(), copy, fs::copy_options::recursive);
    fs::remove(copy / "Orvessa.bundle" / "facebook@3x.png");
    Result incomplete = orvessa("photos", "ORVESSA_RESOURCES=" + quoted(copy));
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_NE(incomplete.err.find((copy / "Orvessa.bundle" / "facebook@3x.png").string()), std::string::npos) << incomplete.err;
}

TEST_F(InstalledCommand, AHalfBrokenInstallNamesTheFirstBadFileAndExitsOne)
{
    struct Case {
        const char* file;
        bool truncate; // Emptied rather than removed.
    };
    for (Case broken : { Case { "Orvessa.bundle/twitter@2x.png", false }, Case { "StocksWeeApp.bundle/WeeAppBackground.png", true } }) {
        fs::path path = resources() / broken.file;
        fs::path saved = m_scratch.path() / "saved";
        fs::copy_file(path, saved, fs::copy_options::overwrite_existing);
        if (broken.truncate)
            fs::resize_file(path, 0);
        else
            fs::remove(path);
        Result result = orvessa("snapshot --at 1 --out f.png");
        EXPECT_EQ(result.status, 1) << broken.file;
        EXPECT_EQ(result.err, "orvessa: " + path.string() + " is missing or empty; the installation is incomplete, reinstall orvessa\n");
        fs::copy_file(saved, path, fs::copy_options::overwrite_existing);
    }
    EXPECT_FALSE(fs::exists(m_elsewhere / "f.png"));

    // The demo home is needed only when it is the home.
    fs::remove(resources() / "demo-home" / "Media" / "DCIM" / "100APPLE" / "IMG_0002.JPG");
    Result demo = orvessa("photos");
    EXPECT_EQ(demo.status, 1);
    EXPECT_NE(demo.err.find("IMG_0002.JPG is missing"), std::string::npos) << demo.err;
    TempFolder home;
    EXPECT_EQ(orvessa("photos --home " + quoted(home.path())).status, 0);
}

TEST_F(InstalledCommand, PhotosAloneShowOnlyThosePhotosWithTheDefaults)
{
    TempFolder photos;
    photos.write("IMG_4242.JPG", pictures::encodeJpeg(pictures::paint(8, 8, pictures::solid({ 1, 2, 3 }))));
    photos.write("IMG_4243.JPG", pictures::encodeJpeg(pictures::paint(8, 8, pictures::solid({ 3, 2, 1 }))));
    Result result = orvessa("photos --json --photos " + quoted(photos.path()));
    ASSERT_EQ(result.status, 0) << result.err;
    auto report = nlohmann::json::parse(result.out);
    auto images = report["images"].get<std::vector<std::string>>();
    std::sort(images.begin(), images.end());
    EXPECT_EQ(images, (std::vector<std::string> { "/var/mobile/Media/DCIM/100APPLE/IMG_4242.JPG", "/var/mobile/Media/DCIM/100APPLE/IMG_4243.JPG" }));
    for (const auto& [key, source] : report["settingSources"].items())
        EXPECT_EQ(source, "default") << key;
    EXPECT_TRUE(report["home"]["hostPath"].is_null());
    std::map<std::string, nlohmann::json> folders;
    for (const auto& folder : report["photoFolders"])
        folders[folder["path"]] = folder["hostPath"];
    EXPECT_EQ(folders["/var/mobile/Media/DCIM/100APPLE"], photos.path().string());
    EXPECT_TRUE(folders.at("/var/mobile/Media/PhotoData/Sync/100SYNCD").is_null());
    EXPECT_TRUE(report["folderProblems"].empty()) << report["folderProblems"];

    Result text = orvessa("photos --photos " + quoted(photos.path()));
    EXPECT_TRUE(text.out.starts_with("Home /var/mobile: nothing mounted\n")) << text.out;

    // With --home as well, the home's own photos and settings stay.
    fs::path demoHome = resources() / "demo-home";
    auto both = nlohmann::json::parse(orvessa("photos --json --home " + quoted(demoHome) + " --photos " + quoted(photos.path())).out);
    EXPECT_EQ(both["home"]["hostPath"], demoHome.string());
    auto shown = both["images"].get<std::vector<std::string>>();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "/var/mobile/Media/PhotoData/Sync/100SYNCD/IMG_0101.JPG"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "/var/mobile/Media/DCIM/100APPLE/IMG_4242.JPG"), shown.end());
    EXPECT_EQ(both["settingSources"]["SecondsPerSlide"], "file");
}

TEST_F(InstalledCommand, PhotosNamingAFileOrNothingIsOneLineAndStatusTwo)
{
    TempFolder folder;
    fs::path file = folder.write("IMG_1.JPG", pictures::encodeJpeg(pictures::paint(8, 8, pictures::solid({ 1, 2, 3 }))));
    for (const fs::path& bad : { file, folder.path() / "missing" }) {
        Result result = orvessa("snapshot --at 1 --out f.png --photos " + quoted(bad));
        EXPECT_EQ(result.status, 2) << bad;
        EXPECT_EQ(lineCount(result.err), 1u) << result.err;
        EXPECT_NE(result.err.find("--photos: " + bad.string()), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(m_elsewhere / "f.png"));
}

TEST_F(InstalledCommand, VersionIsOneLineFromTheProjectVersion)
{
    for (const char* flag : { "--version", "-V" }) {
        Result result = orvessa(flag);
        EXPECT_EQ(result.status, 0) << flag;
        EXPECT_EQ(result.out, std::string("orvessa ") + ORVESSA_VERSION + "\n") << flag;
        EXPECT_EQ(result.err, "") << flag;
    }
}

TEST_F(InstalledCommand, ManualPageDescribesEverySubcommandAndItsOptions)
{
    fs::path page = m_prefix / "share" / "man" / "man1" / "orvessa.1.gz";
    ASSERT_TRUE(fs::exists(page));
    Result roff = runIn(m_elsewhere, "gzip -dc " + quoted(page));
    ASSERT_EQ(roff.status, 0);
    std::string text;
    for (std::size_t i = 0; i < roff.out.size(); ++i) {
        if (roff.out.compare(i, 2, "\\-") == 0)
            ++i; // Roff's escaped hyphen reads as a hyphen.
        text += roff.out[i];
    }
    // Each subcommand's heading with an option only it has, so a page of the top-level help alone fails.
    for (const char* expected : { ".SS \"orvessa run", "--screenshot", ".SS \"orvessa record", "--fps", ".SS \"orvessa snapshot", "--at FLOAT",
             ".SS \"orvessa script", "file TEXT", ".SS \"orvessa photos", "--json", ".SH \"COMMON OPTIONS\"", "--home TEXT", "ORVESSA_RESOURCES" })
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_NE(text.find(std::string("orvessa ") + ORVESSA_VERSION), std::string::npos);
}
