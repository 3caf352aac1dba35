#include "host/CommandRun.h"
#include "support/TestSupport.h"
#include "tools/pictures/Jpeg.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using testing_support::TempFolder;
using testing_support::TestHome;

using command_run::lineCount;
using command_run::Result;
using command_run::run;

TEST(Command, BadInputGetsOneLineNamingItAndStatusTwo)
{
    TempFolder folder;
    auto file = folder.write("file", std::string("x"));
    for (const std::string& arguments : {
             std::string("photos --home /no/such/folder"),
             "photos --home '" + file.string() + "'",
             std::string("photos --scale 4"),
             std::string("photos --seed banana"),
             std::string("script /no/such/script"),
             std::string("frobnicate"),
             std::string("record --out x"),
             std::string("record --seconds 0 --out '") + folder.path().string() + "/rec'",
         }) {
        Result result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_EQ(lineCount(result.err), 1u) << arguments << ": " << result.err;
        EXPECT_TRUE(result.err.starts_with("orvessa: ")) << result.err;
    }
    EXPECT_NE(run("photos --home /no/such/folder").err.find("--home: /no/such/folder"), std::string::npos);
}

TEST(Command, ScriptErrorNamesTheLineAndKeepsEarlierDumps)
{
    TestHome home;
    Result result = run("script --home '" + home.path().string() + "' -", "create\ndump\nwobble\n");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "script: line 3: unknown command 'wobble'\n");
    EXPECT_EQ(lineCount(result.out), 1u);
    EXPECT_TRUE(nlohmann::json::accept(result.out)) << result.out;
}

TEST(Command, HelpListsEverySubcommand)
{
    Result result = run("--help");
    EXPECT_EQ(result.status, 0);
    for (const char* name : { "run", "record", "snapshot", "script", "photos" })
        EXPECT_NE(result.out.find(name), std::string::npos) << name;
}

TEST(Command, PhotosReportsAsTextAndJson)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    home.addPhoto("IMG_0002.jpg");
    Result text = run("photos --home '" + home.path().string() + "'");
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("IMG_0001.JPG"), std::string::npos);
    EXPECT_NE(text.out.find(".jpg is not shown; only upper-case extensions are"), std::string::npos);
    Result json = run("photos --json --home '" + home.path().string() + "'");
    auto parsed = nlohmann::json::parse(json.out);
    EXPECT_EQ(parsed["images"].size(), 1u);
    EXPECT_EQ(parsed["leftOut"].size(), 1u);
}

TEST(Command, PhotosOptionMountsTheCameraRoll)
{
    TestHome home;
    TempFolder photos;
    photos.write("IMG_9.JPG", pictures::encodeJpeg(pictures::paint(8, 8, pictures::solid({ 1, 2, 3 }))));
    Result result = run("photos --json --home '" + home.path().string() + "' --photos '" + photos.path().string() + "'");
    auto parsed = nlohmann::json::parse(result.out);
    EXPECT_EQ(parsed["images"], nlohmann::json({ "/var/mobile/Media/DCIM/100APPLE/IMG_9.JPG" }));
}

TEST(Command, RecordWritesFramesAndASheetButNeverIntoTheHome)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    TempFolder out;
    Result result = run("record --seconds 1 --fps 4 --scale 1 --home '" + home.path().string() + "' --out '" + (out.path() / "rec").string() + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* name : { "frame-00000.png", "frame-00003.png", "contact-sheet.png" })
        EXPECT_TRUE(std::filesystem::exists(out.path() / "rec" / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(out.path() / "rec" / "frame-00004.png"));

    auto before = std::distance(std::filesystem::recursive_directory_iterator(home.path()), {});
    Result refused = run("record --seconds 1 --home '" + home.path().string() + "' --out '" + (home.path() / "Media" / "frames").string() + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("never written"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(home.path()), {}), before);
}

TEST(Command, SnapshotPlaysAScriptTimeline)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    TempFolder out;
    auto script = out.write("taps.script", std::string("create\nplaceholder\nfull\nadvance 1\ntap 150 60\nadvance 0.4\ndump\n"));
    Result result = run("snapshot --at 2 --scale 1 --home '" + home.path().string() + "' --script '" + script.string() + "' --out '" + (out.path() / "s.png").string() + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(out.path() / "s.png"));
    auto dump = nlohmann::json::parse(result.out.substr(0, result.out.find('\n')));
    EXPECT_DOUBLE_EQ(dump["time"].get<double>(), 1.4) << "the script's commands ran at the times its advances reached";
}
