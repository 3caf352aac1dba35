#include "platform/Context.h"
#include "platform/DecodeService.h"
#include "platform/Image.h"
#include "tools/pictures/Jpeg.h"
#include "tools/pictures/Png.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

// The decode service on real threads: each test drives its worker through the service's own calls
// and a hook that can hold a decode under way, never through sleeps it hopes are long enough. The file
// needs only the platform and the picture library, so `make test` also builds it alone under
// ThreadSanitizer.

namespace {

using namespace std::chrono_literals;

constexpr const char* kCameraRoll = "Media/DCIM/100APPLE";

std::string inCameraRoll(const std::string& name)
{
    return (std::filesystem::path(kCameraRoll) / name).string();
}

struct Rgb {
    std::uint8_t r { 0 }, g { 0 }, b { 0 };
};

// A home folder of generated photos under the system's temporary folder, removed at the end.
class TestHome {
public:
    TestHome()
    {
        static std::atomic<int> counter { 0 };
        m_path = std::filesystem::temp_directory_path() / ("orvessa-decode-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TestHome()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    void write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const
    {
        auto file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // A flat-colour JPEG; its path on the device.
    std::string addPhoto(const std::string& name, Rgb colour = { 200, 40, 40 }, const char* folder = kCameraRoll, int width = 64, int height = 48) const
    {
        write((std::filesystem::path(folder) / name).string(), pictures::encodeJpeg(pictures::paint(width, height, pictures::solid({ colour.r, colour.g, colour.b }))));
        return (std::filesystem::path("/var/mobile") / folder / name).string();
    }

private:
    std::filesystem::path m_path;
};

// A platform context with the home mounted at /var/mobile, installed for the test.
class TestPlatform {
public:
    explicit TestPlatform(const std::filesystem::path& home)
        : m_context(configuration(home))
        , m_scope(m_context)
    {
    }
    PlatformContext& context() { return m_context; }

private:
    static PlatformContext::Configuration configuration(const std::filesystem::path& home)
    {
        PlatformContext::Configuration configuration;
        configuration.filesystem.mount("/var/mobile", home);
        configuration.log = [](std::string_view) {};
        return configuration;
    }
    PlatformContext m_context;
    ContextScope m_scope;
};

constexpr PixelSize kDrawn { 32, 24 };

DecodeService::DrawnSize fixedSize(PixelSize size)
{
    return [size](CGSize) { return std::optional<PixelSize>(size); };
}

void waitUntilSettled(const DecodeService& service, std::uint64_t request)
{
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (service.isPending(request)) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the worker never finished request " << request;
        std::this_thread::sleep_for(1ms);
    }
}

// Holds the worker inside its next decodes until released.
class DecodeGate {
public:
    std::function<void()> hook()
    {
        return [this] {
            std::unique_lock lock(m_mutex);
            ++m_entered;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
        };
    }
    void waitForEntry(int count = 1)
    {
        std::unique_lock lock(m_mutex);
        ASSERT_TRUE(m_changed.wait_for(lock, 20s, [&] { return m_entered >= count; })) << "no decode started";
    }
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    int entered()
    {
        std::lock_guard lock(m_mutex);
        return m_entered;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_entered { 0 };
    bool m_open { false };
};

// The decoded pixels of an image drawn at kDrawn on this thread, copied, or nothing when it draws
// nothing; and how many decodes the UI thread made for it.
struct Drawn {
    std::optional<PixelMemory> pixels;
    std::uint64_t uiDecodes { 0 };
};

Drawn draw(const std::string& devicePath)
{
    auto& context = PlatformContext::current();
    auto before = context.uiThreadDecodeCount();
    auto image = UIImage::imageWithContentsOfFile(devicePath);
    Drawn drawn;
    if (image) {
        if (const DecodedImage* pixels = image->decodedPixels(kDrawn.width, kDrawn.height))
            drawn.pixels = pixels->pixels;
    }
    drawn.uiDecodes = context.uiThreadDecodeCount() - before;
    return drawn;
}

std::shared_ptr<DecodeService> install(DecodeService::Configuration configuration = {})
{
    auto service = std::make_shared<DecodeService>(std::move(configuration));
    PlatformContext::current().setDecodeService(service);
    return service;
}

TEST(DecodeService, OffByDefaultSoEveryFirstDrawDecodesOnTheUiThread)
{
    TestHome home;
    auto path = home.addPhoto("a.JPG", { 10, 200, 30 });
    TestPlatform platform(home.path());
    EXPECT_EQ(platform.context().decodeService(), nullptr);
    auto first = draw(path);
    auto second = draw(path);
    ASSERT_TRUE(first.pixels);
    EXPECT_EQ(first.uiDecodes, 1u);
    // Each image is made anew and keeps its own pixels: nothing is shared between the two.
    EXPECT_EQ(second.uiDecodes, 1u);
    EXPECT_EQ(first.pixels, second.pixels);
}

TEST(DecodeService, PictureDecodedAheadIsDrawnWithoutAUiDecodeAndIsTheSamePixels)
{
    TestHome home;
    auto path = home.addPhoto("a.JPG", { 10, 200, 30 }, kCameraRoll, 640, 480);
    TestPlatform platform(home.path());
    auto expected = draw(path);
    auto service = install();
    auto request = service->prepareImage(path, fixedSize(kDrawn));
    waitUntilSettled(*service, request);
    auto drawn = draw(path);
    EXPECT_EQ(drawn.uiDecodes, 0u);
    EXPECT_EQ(drawn.pixels, expected.pixels);
    EXPECT_EQ(service->statistics().taken, 1u);

    // Another size is another picture: drawn at it, the image decodes on the UI thread.
    auto other = service->prepareImage(path, fixedSize({ 64, 48 }));
    waitUntilSettled(*service, other);
    EXPECT_EQ(draw(path).uiDecodes, 0u) << "the kept picture at the drawn size is still there";
    EXPECT_EQ(service->keptCount(), 2u);
}

TEST(DecodeService, FileReplacedOrRewrittenAfterTheRequestIsDecodedAfresh)
{
    TestHome home;
    auto path = home.addPhoto("a.JPG", { 250, 0, 0 });
    TestPlatform platform(home.path());
    auto service = install();
    waitUntilSettled(*service, service->prepareImage(path, fixedSize(kDrawn)));

    // Replaced by another file under the same name (a new inode), as a sync does.
    home.addPhoto("b.JPG", { 0, 0, 250 });
    std::filesystem::rename(home.path() / inCameraRoll("b.JPG"), home.path() / inCameraRoll("a.JPG"));
    auto replaced = draw(path);
    EXPECT_EQ(replaced.uiDecodes, 1u);
    auto blue = draw(home.addPhoto("c.JPG", { 0, 0, 250 }));
    EXPECT_EQ(replaced.pixels, blue.pixels);

    // Written over in place, larger: same inode, another size.
    waitUntilSettled(*service, service->prepareImage(path, fixedSize(kDrawn)));
    home.addPhoto("a.JPG", { 0, 250, 0 }, kCameraRoll, 128, 96);
    auto rewritten = draw(path);
    EXPECT_EQ(rewritten.uiDecodes, 1u);
    ASSERT_TRUE(rewritten.pixels);
    EXPECT_NE(rewritten.pixels, replaced.pixels);
}

TEST(DecodeService, DrawWaitsForTheDecodeUnderWayInsteadOfStartingASecond)
{
    TestHome home;
    auto path = home.addPhoto("a.JPG", { 10, 200, 30 }, kCameraRoll, 640, 480);
    TestPlatform platform(home.path());
    auto expected = draw(path);
    DecodeGate gate;
    auto service = install({ .decodeStarting = gate.hook() });
    auto request = service->prepareImage(path, fixedSize(kDrawn));
    gate.waitForEntry();
    // A second request for the same picture while it decodes adds no decode.
    auto again = service->prepareImage(path, fixedSize(kDrawn));
    std::thread opener([&] {
        std::this_thread::sleep_for(50ms);
        gate.open();
    });
    auto drawn = draw(path);
    opener.join();
    waitUntilSettled(*service, request);
    waitUntilSettled(*service, again);
    EXPECT_EQ(drawn.uiDecodes, 0u);
    EXPECT_EQ(drawn.pixels, expected.pixels);
    auto statistics = service->statistics();
    EXPECT_EQ(statistics.waited, 1u);
    EXPECT_EQ(statistics.decodedAhead, 1u);
    EXPECT_EQ(statistics.alreadyKept, 1u);
    EXPECT_EQ(gate.entered(), 1);
}

TEST(DecodeService, DrawStopsWaitingForAHungWorkerAtItsLimitAndDecodesItself)
{
    TestHome home;
    auto path = home.addPhoto("a.JPG", { 10, 200, 30 });
    TestPlatform platform(home.path());
    auto expected = draw(path);
    DecodeGate gate;
    auto service = install({ .drawWaitLimit = 20ms, .decodeStarting = gate.hook() });
    auto request = service->prepareImage(path, fixedSize(kDrawn));
    gate.waitForEntry();
    auto drawn = draw(path);
    EXPECT_EQ(drawn.uiDecodes, 1u);
    EXPECT_EQ(drawn.pixels, expected.pixels);
    EXPECT_EQ(service->statistics().waitsTimedOut, 1u);
    gate.open();
    waitUntilSettled(*service, request);
}

TEST(DecodeService, PictureTheWorkerCannotDecodeDrawsNothingAsOnTheUiThread)
{
    TestHome home;
    // A PNG whose header is sound and whose compressed rows are not: it opens, and draws nothing.
    auto png = pictures::encodePng(pictures::paint(200, 100, pictures::solid({ 1, 2, 3 })));
    for (std::size_t i = 60; i + 20 < png.size(); ++i)
        png[i] = static_cast<std::uint8_t>(i * 7);
    home.write(inCameraRoll("bad.PNG"), png);
    // A PNG that declares 49 million pixels, within the decoders' limits, and holds a few thousand.
    home.write(inCameraRoll("bomb.PNG"), pictures::withDeclaredPngSize(png, 7000, 7000));
    TestPlatform platform(home.path());
    for (const char* name : { "bad.PNG", "bomb.PNG" }) {
        std::string path = "/var/mobile/" + inCameraRoll(name);
        platform.context().setDecodeService(nullptr);
        auto onUiThread = draw(path);
        auto service = install();
        waitUntilSettled(*service, service->prepareImage(path, fixedSize(kDrawn)));
        auto ahead = draw(path);
        EXPECT_FALSE(onUiThread.pixels) << name;
        EXPECT_EQ(onUiThread.uiDecodes, 1u) << name << " must open as an image and fail only in its decode";
        EXPECT_EQ(ahead.pixels, onUiThread.pixels) << name;
        EXPECT_EQ(ahead.uiDecodes, 0u) << name << ": the failure was kept, not retried on the UI thread";
    }
}

TEST(DecodeService, KeepsPicturesWithinItsBudgetNewestFirst)
{
    TestHome home;
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i)
        paths.push_back(home.addPhoto("p" + std::to_string(i) + ".JPG", { std::uint8_t(40 * i), 0, 0 }));
    TestPlatform platform(home.path());
    const std::size_t pictureBytes = std::size_t(kDrawn.width) * std::size_t(kDrawn.height) * 4;
    DecodeService::Configuration small;
    small.budgetBytes = 2 * pictureBytes + pictureBytes / 2;
    auto service = install(small);
    for (const auto& path : paths)
        waitUntilSettled(*service, service->prepareImage(path, fixedSize(kDrawn)));
    EXPECT_LE(service->keptBytes(), 2 * pictureBytes + pictureBytes / 2);
    EXPECT_EQ(service->keptCount(), 2u);
    EXPECT_EQ(draw(paths[5]).uiDecodes, 0u);
    EXPECT_EQ(draw(paths[4]).uiDecodes, 0u);
    EXPECT_EQ(draw(paths[0]).uiDecodes, 1u);
}

// A picture of half a megabyte or more is held in whole huge pages: the budget counts the memory held.
TEST(DecodeService, CountsLargePicturesByTheMemoryTheyHold)
{
    if (!PixelMemory::kMapsLargeBlocks)
        GTEST_SKIP() << "under AddressSanitizer every picture is on the heap, held at its size";
    TestHome home;
    constexpr PixelSize kLarge { 600, 400 }; // 960,000 bytes, held in 2 MiB.
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i)
        paths.push_back(home.addPhoto("p" + std::to_string(i) + ".JPG", { std::uint8_t(60 * i), 0, 0 }, kCameraRoll, kLarge.width, kLarge.height));
    TestPlatform platform(home.path());
    DecodeService::Configuration small;
    small.budgetBytes = 5u << 20;
    auto service = install(small);
    for (const auto& path : paths)
        waitUntilSettled(*service, service->prepareImage(path, fixedSize(kLarge)));
    EXPECT_EQ(service->keptCount(), 2u) << "four pictures of 0.9 MiB would fit in 5 MiB by their size";
    EXPECT_EQ(service->keptBytes(), 2 * PixelMemory::kHugePageBytes);
}

TEST(DecodeService, CancellingAndQuittingMidDecodeLeaveNothingBehind)
{
    TestHome home;
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i)
        paths.push_back(home.addPhoto("p" + std::to_string(i) + ".JPG", { std::uint8_t(60 * i), 0, 0 }));
    const auto objectsBefore = NSObject::liveObjectCount();
    {
        TestPlatform platform(home.path());
        DecodeGate gate;
        auto service = install({ .decodeStarting = gate.hook() });
        auto held = service->prepareImage(paths[0], fixedSize(kDrawn));
        gate.waitForEntry();
        for (std::size_t i = 1; i < paths.size(); ++i)
            service->prepareImage(paths[i], fixedSize(kDrawn));
        EXPECT_EQ(DecodeService::liveRequestCount(), paths.size());

        // The panel closes: the queue goes at once; the decode under way finishes and is thrown away.
        service->cancelAll();
        EXPECT_EQ(service->queuedCount(), 0u);
        EXPECT_EQ(DecodeService::liveRequestCount(), 1u);
        gate.open();
        waitUntilSettled(*service, held);
        EXPECT_EQ(service->keptCount(), 0u);
        EXPECT_EQ(draw(paths[0]).uiDecodes, 1u);

        // Quitting mid-decode: the context lets the service go while a worker is held in a decode.
        DecodeGate second;
        auto again = std::make_shared<DecodeService>(DecodeService::Configuration { .decodeStarting = second.hook() });
        platform.context().setDecodeService(again);
        auto image = UIImage::imageWithContentsOfFile(paths[1]);
        again->prepareImage(paths[2], fixedSize(kDrawn));
        second.waitForEntry();
        again->prepareImage(paths[3], fixedSize(kDrawn));
        std::thread opener([&] {
            std::this_thread::sleep_for(30ms);
            second.open();
        });
        again.reset();
        service.reset();
        platform.context().setDecodeService(nullptr); // Joins the worker once its decode ends.
        opener.join();
        EXPECT_EQ(DecodeService::liveRequestCount(), 0u);
        // An image that outlives the service decodes on its own.
        ASSERT_TRUE(image);
        EXPECT_NE(image->decodedPixels(kDrawn.width, kDrawn.height), nullptr);
    }
    EXPECT_EQ(NSObject::liveObjectCount(), objectsBefore);
}

}
