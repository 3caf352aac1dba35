#include "app/PhotoCheck.h"
#include "host/Panel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using testing_support::TestHome;

namespace {

const orvessa::PhotoReport::Entry* entryFor(const std::vector<orvessa::PhotoReport::Entry>& entries, const std::string& name)
{
    auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) { return entry.devicePath.ends_with("/" + name); });
    return found == entries.end() ? nullptr : &*found;
}

}

TEST(PhotoCheck, ExplainsEveryNameThatIsNotShown)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    home.addPhoto("IMG_0002.jpg");
    home.addPhoto("IMG_0003.Png");
    home.write(std::string(testing_support::kCameraRoll) + "/clip.MOV", std::string("x"));
    home.write(std::string(testing_support::kCameraRoll) + "/README", std::string("x"));
    home.write(std::string(testing_support::kCameraRoll) + "/notes.JPG", std::string("just text"));
    home.makeFolder(std::string(testing_support::kCameraRoll) + "/Album");
    orvessa::Panel panel(testing_support::panelOptions(home.path()));
    orvessa::PhotoReport report = orvessa::checkPhotos();

    EXPECT_EQ(report.images.size(), 2u) << "the widget lists the text file too";
    EXPECT_FALSE(report.fallback);
    ASSERT_TRUE(entryFor(report.leftOut, "IMG_0002.jpg"));
    EXPECT_EQ(entryFor(report.leftOut, "IMG_0002.jpg")->reason, ".jpg is not shown; only upper-case extensions are (.JPG)");
    EXPECT_EQ(entryFor(report.leftOut, "IMG_0003.Png")->reason, ".Png is not shown; only upper-case extensions are (.PNG)");
    EXPECT_NE(entryFor(report.leftOut, "clip.MOV")->reason.find(".MOV is not a type"), std::string::npos);
    EXPECT_NE(entryFor(report.leftOut, "README")->reason.find("no extension"), std::string::npos);
    EXPECT_EQ(entryFor(report.leftOut, "Album")->reason, "a folder");
    EXPECT_EQ(entryFor(report.leftOut, "IMG_0002.jpg")->verdict, PhotoNameVerdict::WrongCase);
    EXPECT_EQ(entryFor(report.leftOut, "Album")->verdict, PhotoNameVerdict::Folder);
    ASSERT_TRUE(entryFor(report.unreadable, "notes.JPG"));
    EXPECT_TRUE(entryFor(report.unreadable, "notes.JPG")->hostPath.starts_with(home.path().string()));
    EXPECT_EQ(report.folderProblems.size(), 1u) << "no synced folder in this home";

    std::string summary = orvessa::photoReportSummary(report);
    EXPECT_NE(summary.find("2 files with lower-case extensions not shown"), std::string::npos) << summary;
    EXPECT_NE(summary.find("3 other names left out"), std::string::npos) << summary;
    EXPECT_NE(summary.find("1 listed file not readable"), std::string::npos) << summary;
}

TEST(PhotoCheck, SaysWhereEachSettingCameFrom)
{
    TestHome home;
    home.writePreferences("<key>SecondsPerSlide</key><integer>9</integer>");
    {
        orvessa::Panel panel(testing_support::panelOptions(home.path()));
        orvessa::PhotoReport report = orvessa::checkPhotos();
        EXPECT_TRUE(report.preferencesProblem.empty());
        ASSERT_EQ(report.settingSources.size(), 3u);
        EXPECT_FALSE(report.settingSources[0].fromFile);
        EXPECT_TRUE(report.settingSources[1].fromFile);
        EXPECT_EQ(report.settingSources[1].value, "9 s");
        EXPECT_TRUE(report.fallback);
        auto json = orvessa::photoReportJson(report);
        EXPECT_EQ(json["settingSources"]["SecondsPerSlide"], "file");
        EXPECT_EQ(json["settingSources"]["Shuffle"], "default");
        EXPECT_EQ(json["settings"]["secondsPerSlide"], 9.0);
    }
    home.write(testing_support::kPreferences, std::string("<plist>broken"));
    orvessa::Panel panel(testing_support::panelOptions(home.path()));
    orvessa::PhotoReport report = orvessa::checkPhotos();
    EXPECT_FALSE(report.preferencesProblem.empty());
    EXPECT_NE(orvessa::formatPhotoReport(report).find("(not used: "), std::string::npos);
    EXPECT_FLOAT_EQ(report.settings.secondsPerSlide, 5.0f);
}

TEST(PhotoCheck, NothingToSayWhenEveryNameIsShown)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    home.addPhoto("IMG_0002.JPG", { 1, 2, 3 }, testing_support::kSynced);
    orvessa::Panel panel(testing_support::panelOptions(home.path()));
    orvessa::PhotoReport report = orvessa::checkPhotos();
    EXPECT_EQ(orvessa::photoReportSummary(report), "");
    EXPECT_EQ(report.images[0], "/var/mobile/Media/PhotoData/Sync/100SYNCD/IMG_0002.JPG");
}

TEST(PhotoCheck, AHiddenNameIsLeftOutForItsCaseWhereUpperCaseWouldShowIt)
{
    TestHome home;
    home.write(testing_support::inCameraRoll(".jpg"), std::string("x"));
    home.write(testing_support::inCameraRoll(".DS_Store"), std::string("x"));
    orvessa::Panel panel(testing_support::panelOptions(home.path()));
    orvessa::PhotoReport report = orvessa::checkPhotos();
    ASSERT_TRUE(entryFor(report.leftOut, ".jpg"));
    EXPECT_EQ(entryFor(report.leftOut, ".jpg")->reason, ".jpg is not shown; only upper-case extensions are (.JPG)");
    ASSERT_TRUE(entryFor(report.leftOut, ".DS_Store"));
    EXPECT_EQ(entryFor(report.leftOut, ".DS_Store")->verdict, PhotoNameVerdict::NoExtension);
    EXPECT_EQ(orvessa::photoReportSummary(report), "orvessa: 1 file with lower-case extensions not shown; 1 other name left out (run 'orvessa photos' for the list)");
}

TEST(PhotoCheck, ReportsTheLargestIntervalAsTheWidgetUsesIt)
{
    // The integer setting saturates at 2147483647, which as the widget's float is 2147483648.
    for (const char* value : { "<integer>2147483647</integer>", "<string>99999999999</string>" }) {
        TestHome home;
        home.writePreferences(std::string("<key>SecondsPerSlide</key>") + value);
        orvessa::Panel panel(testing_support::panelOptions(home.path()));
        orvessa::PhotoReport report = orvessa::checkPhotos();
        EXPECT_NE(orvessa::formatPhotoReport(report).find("SecondsPerSlide: 2147483648 s (from the file)"), std::string::npos) << orvessa::formatPhotoReport(report);
        EXPECT_EQ(orvessa::photoReportJson(report)["settings"]["secondsPerSlide"], 2147483648.0);
    }
    TestHome home;
    home.writePreferences("<key>SecondsPerSlide</key><integer>7</integer>");
    orvessa::Panel panel(testing_support::panelOptions(home.path()));
    EXPECT_NE(orvessa::formatPhotoReport(orvessa::checkPhotos()).find("SecondsPerSlide: 7 s (from the file)"), std::string::npos);
}
