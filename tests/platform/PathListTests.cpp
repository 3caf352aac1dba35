#include "platform/PathList.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

TEST(PathList, EachNameTakesTheFolderItWasAppendedUnder)
{
    PathList list;
    list.reserve(1, 1); // A hint too small: the list grows past it.
    list.startFolder("/var/mobile/Media/PhotoData/Sync/100SYNCD/");
    list.append("IMG_0002.JPG");
    list.startFolder("/var/mobile/Media/DCIM/100APPLE/");
    list.startFolder("/var/mobile//Media/DCIM/100APPLE/"); // Written as the home was given.
    for (int i = 0; i < 300; ++i)
        list.append("P" + std::to_string(i) + ".PNG");
    ASSERT_EQ(list.size(), 301u);
    EXPECT_EQ(list[0], "/var/mobile/Media/PhotoData/Sync/100SYNCD/IMG_0002.JPG");
    EXPECT_EQ(list[1], "/var/mobile//Media/DCIM/100APPLE/P0.PNG");
    EXPECT_EQ(list.at(300), "/var/mobile//Media/DCIM/100APPLE/P299.PNG");
    auto paths = list.paths();
    ASSERT_EQ(paths.size(), 301u);
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(paths[i], list[i]) << i;
    EXPECT_THROW((void)list.at(301), std::out_of_range);
}

TEST(PathList, NamesWithoutAFolderStandAloneAndSwapsMoveWholePaths)
{
    PathList list;
    EXPECT_TRUE(list.empty());
    EXPECT_THROW((void)list.at(0), std::out_of_range);
    list.append("/System/Library/WeeAppPlugins/Orvessa.bundle/empty.png");
    list.startFolder("/a/");
    list.append("x.JPG");
    list.append(std::string(300, 'n'));
    list.swapEntries(0, 2);
    list.swapEntries(1, 1);
    EXPECT_EQ(list.paths(), (std::vector<std::string> { "/a/" + std::string(300, 'n'), "/a/x.JPG", "/System/Library/WeeAppPlugins/Orvessa.bundle/empty.png" }));
}

TEST(PathList, ANameLongerThanItsRecordCanHoldIsRefusedAndLeavesTheListAsItWas)
{
    PathList list;
    list.startFolder("/a/");
    list.append("kept.JPG");
    EXPECT_THROW(list.append(std::string(70000, 'n')), std::length_error);
    EXPECT_EQ(list.paths(), std::vector<std::string> { "/a/kept.JPG" });
}
