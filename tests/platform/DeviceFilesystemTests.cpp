#include "platform/DeviceFilesystem.h"
#include "platform/DirectoryListing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using testing_support::TempFolder;
using testing_support::TestPlatform;

TEST(DeviceFilesystem, LongestMountWins)
{
    DeviceFilesystem fs;
    fs.mount("/var/mobile", "/home/user/demo");
    fs.mount("/var/mobile/Media/DCIM/100APPLE", "/photos");
    EXPECT_EQ(fs.resolve("/var/mobile/Library/x.plist"), std::filesystem::path("/home/user/demo/Library/x.plist"));
    EXPECT_EQ(fs.resolve("/var/mobile/Media/DCIM/100APPLE/IMG_1.JPG"), std::filesystem::path("/photos/IMG_1.JPG"));
    EXPECT_EQ(fs.resolve("/var/mobile/Media/DCIM/100APPLE"), std::filesystem::path("/photos"));
    // A sibling whose name merely starts like the mount is not under it.
    EXPECT_EQ(fs.resolve("/var/mobile/Media/DCIM/100APPLEX/a"), std::filesystem::path("/home/user/demo/Media/DCIM/100APPLEX/a"));
}

TEST(DeviceFilesystem, NeverResolvesOutsideItsMounts)
{
    DeviceFilesystem fs;
    fs.mount("/var/mobile", "/home/user/demo");
    EXPECT_FALSE(fs.resolve("/var/mobile/../../etc/passwd"));
    EXPECT_FALSE(fs.resolve("/var/mobile/../root"));
    EXPECT_FALSE(fs.resolve("/etc/passwd"));
    EXPECT_FALSE(fs.resolve("/var/mobilex"));
    EXPECT_FALSE(fs.resolve("/.."));
    EXPECT_FALSE(fs.resolve("relative/path"));
    EXPECT_FALSE(fs.resolve(""));
    EXPECT_EQ(fs.resolve("/var/mobile/./Media//DCIM/../x"), std::filesystem::path("/home/user/demo/Media/x"));
    // ".." that stays inside the mount is fine; one that climbs out of it is not.
    EXPECT_EQ(fs.resolve("/var/mobile/a/../b"), std::filesystem::path("/home/user/demo/b"));
    EXPECT_FALSE(fs.resolve("/var/mobile/a/../../mobile-other/b"));
}

TEST(DeviceFilesystem, MountOfNothingHidesAllButLongerMounts)
{
    DeviceFilesystem fs;
    fs.mountNothing("/var/mobile");
    fs.mount("/var/mobile/Media/DCIM/100APPLE", "/photos");
    EXPECT_FALSE(fs.resolve("/var/mobile"));
    EXPECT_FALSE(fs.resolve("/var/mobile/Library/Preferences/com.apple.mobileslideshow.plist"));
    EXPECT_FALSE(fs.resolve("/var/mobile/Media/PhotoData/Sync/100SYNCD"));
    EXPECT_EQ(fs.resolve("/var/mobile/Media/DCIM/100APPLE/IMG_1.JPG"), std::filesystem::path("/photos/IMG_1.JPG"));
    // ".." out of the photo folder lands back in nothing, never in the working folder.
    EXPECT_FALSE(fs.resolve("/var/mobile/Media/DCIM/100APPLE/../x"));
    EXPECT_FALSE(fs.readFile("/var/mobile/Media/DCIM/x", 100));
}

TEST(DeviceFilesystem, ReadFileRespectsItsCapAndRefusesFolders)
{
    TempFolder home;
    home.write("small.txt", std::string("hello"));
    home.makeFolder("folder");
    DeviceFilesystem fs;
    fs.mount("/var/mobile", home.path());
    auto bytes = fs.readFile("/var/mobile/small.txt", 5);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "hello");
    EXPECT_FALSE(fs.readFile("/var/mobile/small.txt", 4));
    EXPECT_FALSE(fs.readFile("/var/mobile/folder", 100));
    EXPECT_FALSE(fs.readFile("/var/mobile/missing", 100));
}

TEST(PathJoining, ExactlyOneSeparator)
{
    EXPECT_EQ(stringByAppendingPathComponent("/var/mobile", "/Media/DCIM/100APPLE"), "/var/mobile/Media/DCIM/100APPLE");
    EXPECT_EQ(stringByAppendingPathComponent("/var/mobile/", "Library"), "/var/mobile/Library");
    EXPECT_EQ(stringByAppendingPathComponent("/", "x"), "/x");
    EXPECT_EQ(stringByAppendingPathComponent("/a", ""), "/a");
}

TEST(DirectoryListing, ShallowWithoutDotEntriesAndNothingForMissingOrFiles)
{
    TempFolder home;
    home.write("Media/a.JPG", std::string("x"));
    home.write("Media/sub/b.JPG", std::string("x"));
    home.write("Media/with space $(rm -rf).JPG", std::string("x"));
    TestPlatform platform(home.path());
    auto names = contentsOfDirectoryAtPath("/var/mobile/Media");
    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string> { "a.JPG", "sub", "with space $(rm -rf).JPG" }));
    EXPECT_FALSE(contentsOfDirectoryAtPath("/var/mobile/Nope"));
    EXPECT_FALSE(contentsOfDirectoryAtPath("/var/mobile/Media/a.JPG"));
    EXPECT_FALSE(contentsOfDirectoryAtPath("/elsewhere"));
    // The estimate only reserves room, but it must never reserve for what is not a folder.
    EXPECT_EQ(estimatedEntryCount("/var/mobile/Nope"), 0u);
    EXPECT_EQ(estimatedEntryCount("/var/mobile/Media/a.JPG"), 0u);
    EXPECT_EQ(estimatedEntryCount("/elsewhere"), 0u);
    EXPECT_LE(estimatedEntryCount("/var/mobile/Media"), kMaximumEntryEstimate);
}
