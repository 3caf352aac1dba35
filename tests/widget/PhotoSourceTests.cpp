#include "platform/DirectoryListing.h"
#include "slideshow/ImageList.h"
#include "slideshow/PhotoNames.h"
#include "slideshow/Shuffling.h"
#include "slideshow/SlideshowSettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <unistd.h>
#include <utility>
#include <vector>

using testing_support::TestHome;
using testing_support::TestPlatform;

namespace {

// The same exchanges over any list: the reference the image list's shuffle is held to.
template<typename T>
void shuffle(std::vector<T>& list)
{
    shuffleEntries(static_cast<std::uint32_t>(list.size()), [&](std::uint32_t a, std::uint32_t b) { std::swap(list[a], list[b]); });
}

SlideshowSettings settingsFor(const TestHome& home)
{
    TestPlatform platform(home.path());
    return loadSettings("/var/mobile");
}

SlideshowSettings settingsWith(const std::string& dictBody)
{
    TestHome home;
    home.writePreferences(dictBody);
    return settingsFor(home);
}

float secondsFor(const std::string& valueXml)
{
    return settingsWith("<key>SecondsPerSlide</key>" + valueXml).secondsPerSlide;
}

// A random source that counts its draws and answers from a script.
class CountingRandom final : public RandomSource {
public:
    explicit CountingRandom(std::vector<std::uint32_t> answers)
        : m_answers(std::move(answers))
    {
    }
    std::uint32_t next() override { return m_answers.empty() ? 0 : m_answers[draws++ % m_answers.size()]; }
    std::size_t draws { 0 };

private:
    std::vector<std::uint32_t> m_answers;
};

}

TEST(SlideshowSettings, DefaultsWithoutAFileOrWithABrokenOne)
{
    TestHome missing;
    SlideshowSettings settings = settingsFor(missing);
    EXPECT_FALSE(settings.shuffle);
    EXPECT_FLOAT_EQ(settings.secondsPerSlide, 5.0f);
    EXPECT_FALSE(settings.preserveAspect);

    for (const std::string& broken : { std::string("not a plist"), std::string("<?xml version=\"1.0\"?><plist><array><true/></array></plist>"), std::string("bplist00") }) {
        TestHome home;
        home.write(testing_support::kPreferences, broken);
        EXPECT_FLOAT_EQ(settingsFor(home).secondsPerSlide, 5.0f) << broken;
    }
}

TEST(SlideshowSettings, SecondsPerSlideIsAWholeNumberAndAtLeastTwo)
{
    EXPECT_FLOAT_EQ(secondsFor("<integer>0</integer>"), 2.0f) << "present means converted, not defaulted";
    EXPECT_FLOAT_EQ(secondsFor("<integer>1</integer>"), 2.0f);
    EXPECT_FLOAT_EQ(secondsFor("<integer>-4</integer>"), 2.0f);
    EXPECT_FLOAT_EQ(secondsFor("<integer>2</integer>"), 2.0f);
    EXPECT_FLOAT_EQ(secondsFor("<integer>7</integer>"), 7.0f);
    EXPECT_FLOAT_EQ(secondsFor("<integer>600</integer>"), 600.0f);
    EXPECT_FLOAT_EQ(secondsFor("<real>2.9</real>"), 2.0f);
    EXPECT_FLOAT_EQ(secondsFor("<real>4.7</real>"), 4.0f);
    EXPECT_FLOAT_EQ(secondsFor("<real>1e30</real>"), 2147483648.0f) << "saturates instead of overflowing";
    EXPECT_FLOAT_EQ(secondsFor("<string> 9 seconds</string>"), 9.0f);
    EXPECT_FLOAT_EQ(secondsFor("<string>soon</string>"), 2.0f);
    EXPECT_FLOAT_EQ(secondsFor("<true/>"), 2.0f);
    EXPECT_FLOAT_EQ(secondsFor("<array><integer>9</integer></array>"), 2.0f) << "a value without a number reads as 0";
}

TEST(SlideshowSettings, BooleansPresentButFalseDifferFromAbsentOnlyInWhereTheyCameFrom)
{
    SlideshowSettings off = settingsWith("<key>Shuffle</key><false/><key>preserveaspect</key><false/>");
    EXPECT_FALSE(off.shuffle);
    EXPECT_FALSE(off.preserveAspect);
    SlideshowSettings on = settingsWith("<key>Shuffle</key><true/><key>preserveaspect</key><string>YES</string>");
    EXPECT_TRUE(on.shuffle);
    EXPECT_TRUE(on.preserveAspect);
    EXPECT_TRUE(settingsWith("<key>Shuffle</key><integer>3</integer>").shuffle);
    EXPECT_FALSE(settingsWith("<key>Shuffle</key><string>no</string>").shuffle);
    EXPECT_FALSE(settingsWith("<key>shuffle</key><true/>").shuffle) << "keys are case-sensitive";
}

TEST(ImageList, OnlyUpperCaseExtensionsAndSyncedPhotosFirst)
{
    TestHome home;
    for (const char* name : { "a.JPG", "b.JPEG", "c.PNG", "d.GIF", "e.BMP", "f.jpg", "g.Png", "h.MOV", "i.TIFF", "jJPG", "k.JPG.txt" })
        home.write(testing_support::inCameraRoll(name), std::string("x"));
    home.makeFolder(std::string(testing_support::kCameraRoll) + "/Folder.JPG");
    home.write(std::string(testing_support::kSynced) + "/s.JPG", std::string("x"));
    home.write(std::string(testing_support::kCameraRoll) + "/sub/deep.JPG", std::string("x"));
    TestPlatform platform(home.path());

    auto images = loadImageList("/var/mobile", false).paths();
    ASSERT_FALSE(images.empty());
    EXPECT_EQ(images.front(), "/var/mobile/Media/PhotoData/Sync/100SYNCD/s.JPG");
    std::set<std::string> camera(images.begin() + 1, images.end());
    const std::string roll = "/var/mobile/Media/DCIM/100APPLE/";
    EXPECT_EQ(camera, (std::set<std::string> { roll + "a.JPG", roll + "b.JPEG", roll + "c.PNG", roll + "d.GIF", roll + "e.BMP", roll + "Folder.JPG" }));
}

TEST(PhotoNames, OneVerdictForEachKindOfName)
{
    struct Case {
        const char* name;
        bool isFolder;
        PhotoNameVerdict verdict;
        const char* extension;
    };
    using enum PhotoNameVerdict;
    for (auto [name, isFolder, verdict, extension] : {
             Case { "a.JPG", false, Accepted, ".JPG" },
             Case { "b.JPEG", false, Accepted, ".JPEG" },
             Case { ".JPG", false, Accepted, ".JPG" },
             Case { "Folder.GIF", true, Accepted, ".GIF" }, // The filter sees the name alone.
             Case { "f.jpg", false, WrongCase, ".jpg" },
             Case { "g.Png", false, WrongCase, ".Png" },
             Case { "h.jPeG", true, WrongCase, ".jPeG" }, // Named like a photo: the case is what keeps it out.
             Case { ".jpg", false, WrongCase, ".jpg" }, // .JPG would be shown.
             Case { "Album", true, Folder, "" },
             Case { "Album.2019", true, Folder, ".2019" },
             Case { "README", false, NoExtension, "" },
             Case { "jJPG", false, NoExtension, "" },
             Case { ".DS_Store", false, NoExtension, "" },
             Case { "clip.MOV", false, NotAPictureType, ".MOV" },
             Case { "k.JPG.txt", false, NotAPictureType, ".txt" },
             Case { "b.", false, NotAPictureType, "." },
         }) {
        EXPECT_EQ(photoNameVerdict(name, isFolder), verdict) << name;
        EXPECT_EQ(photoNameExtension(name), extension) << name;
    }
}

TEST(ImageList, KeepsListingOrderWithinAFolder)
{
    TestHome home;
    for (int i = 0; i < 40; ++i)
        home.write(testing_support::inCameraRoll("P" + std::to_string(i) + ".JPG"), std::string("x"));
    TestPlatform platform(home.path());
    auto names = contentsOfDirectoryAtPath("/var/mobile/Media/DCIM/100APPLE");
    ASSERT_TRUE(names);
    auto images = loadImageList("/var/mobile", false);
    ASSERT_EQ(images.size(), names->size());
    for (std::size_t i = 0; i < images.size(); ++i)
        EXPECT_EQ(images[i], "/var/mobile/Media/DCIM/100APPLE/" + (*names)[i]);
}

TEST(ImageList, PathsJoinTheHomeAsThePathFunctionsDoWhateverItsSlashes)
{
    TestHome home;
    home.write(testing_support::inCameraRoll("a.JPG"), std::string("x"));
    home.write(std::string(testing_support::kSynced) + "/b.PNG", std::string("x"));
    TestPlatform platform(home.path());
    for (const char* written : { "/var/mobile", "/var/mobile/", "/var/mobile//" }) {
        std::vector<std::string> expected {
            stringByAppendingPathComponent(stringByAppendingPathComponent(written, kSyncedPhotosFolder), "b.PNG"),
            stringByAppendingPathComponent(stringByAppendingPathComponent(written, kCameraRollFolder), "a.JPG"),
        };
        EXPECT_EQ(loadImageList(written, false).paths(), expected) << written;
    }
}

TEST(ImageList, FallbackAloneWhenNoPhotoWithOrWithoutShuffle)
{
    TestHome home;
    home.write(std::string(testing_support::kCameraRoll) + "/holiday.jpg", std::string("x"));
    TestPlatform platform(home.path());
    EXPECT_EQ(loadImageList("/var/mobile", false).paths(), std::vector<std::string> { kFallbackImagePath });
    EXPECT_EQ(loadImageList("/var/mobile", true).paths(), std::vector<std::string> { kFallbackImagePath });
}

TEST(ImageList, UnreadableFolderContributesNothingAndTheOtherIsStillScanned)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads folders whatever their permissions";
    TestHome home;
    home.write(std::string(testing_support::kSynced) + "/s.JPG", std::string("x"));
    home.write(std::string(testing_support::kCameraRoll) + "/c.JPG", std::string("x"));
    std::filesystem::permissions(home.path() / testing_support::kSynced, std::filesystem::perms::none);
    TestPlatform platform(home.path());
    EXPECT_EQ(loadImageList("/var/mobile", false).paths(), std::vector<std::string> { "/var/mobile/Media/DCIM/100APPLE/c.JPG" });
}

TEST(ImageList, AFileWhereAFolderShouldBeContributesNothing)
{
    TestHome home;
    home.write(testing_support::kSynced, std::string("a file, not a folder"));
    home.write(std::string(testing_support::kCameraRoll) + "/c.JPG", std::string("x"));
    TestPlatform platform(home.path());
    EXPECT_EQ(loadImageList("/var/mobile", false).paths(), std::vector<std::string> { "/var/mobile/Media/DCIM/100APPLE/c.JPG" });
}

TEST(Shuffle, DrawsNNumbersAndMakesNExchanges)
{
    auto counting = std::make_unique<CountingRandom>(std::vector<std::uint32_t> { 2, 0, 7 });
    CountingRandom* random = counting.get();
    PlatformContext::Configuration configuration;
    configuration.random = std::move(counting);
    PlatformContext context(std::move(configuration));
    ContextScope scope(context);

    std::vector<int> list { 0, 1, 2, 3 };
    shuffle(list);
    EXPECT_EQ(random->draws, 4u);
    // i=0: r=2%4=2 -> swap 0,2: 2 1 0 3; i=1: r=0 -> same; i=2: r=7%2=1 -> swap 2,3: 2 1 3 0; i=3: r=2%1=0.
    EXPECT_EQ(list, (std::vector<int> { 2, 1, 3, 0 }));

    std::vector<int> one { 42 };
    shuffle(one);
    EXPECT_EQ(one, std::vector<int> { 42 });
    EXPECT_EQ(random->draws, 5u);
    std::vector<int> none;
    shuffle(none);
    EXPECT_EQ(random->draws, 5u);
}

TEST(Shuffle, AListOfPathsTakesTheSameOrderAsTheSamePathsOneByOne)
{
    auto seeded = [](std::uint64_t seed) {
        PlatformContext::Configuration configuration;
        configuration.random = std::make_unique<SeededRandomSource>(seed);
        return configuration;
    };
    PathList list;
    list.startFolder("/s/");
    for (int i = 0; i < 5; ++i)
        list.append("S" + std::to_string(i) + ".JPG");
    list.startFolder("/c/");
    for (int i = 0; i < 60; ++i)
        list.append("C" + std::to_string(i) + ".PNG");
    const std::vector<std::string> inFolderOrder = list.paths();
    std::vector<std::string> oneByOne = inFolderOrder;
    {
        PlatformContext context(seeded(7));
        ContextScope scope(context);
        shuffle(list);
    }
    {
        PlatformContext context(seeded(7));
        ContextScope scope(context);
        shuffle(oneByOne);
    }
    EXPECT_EQ(list.paths(), oneByOne);
    EXPECT_NE(oneByOne, inFolderOrder);
}

TEST(Shuffle, SameSeedSameOrderAndEveryEntryKept)
{
    TestHome home;
    for (int i = 0; i < 12; ++i)
        home.write(testing_support::inCameraRoll("P" + std::to_string(i) + ".JPG"), std::string("x"));
    auto shuffled = [&](std::uint64_t seed) {
        PlatformContext::Configuration configuration;
        configuration.filesystem.mount("/var/mobile", home.path());
        configuration.random = std::make_unique<SeededRandomSource>(seed);
        PlatformContext context(std::move(configuration));
        ContextScope scope(context);
        return loadImageList("/var/mobile", true).paths();
    };
    auto a = shuffled(1);
    EXPECT_EQ(a, shuffled(1));
    EXPECT_NE(a, shuffled(2));
    auto sortedA = a;
    std::sort(sortedA.begin(), sortedA.end());
    TestPlatform platform(home.path());
    auto plain = loadImageList("/var/mobile", false).paths();
    std::sort(plain.begin(), plain.end());
    EXPECT_EQ(sortedA, plain);
}
