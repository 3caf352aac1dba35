#include "render/ReadBack.h"

#include "host/FrameFolder.h"
#include "host/OrderedWorkers.h"
#include "host/OutputError.h"
#include "host/Panel.h"
#include "host/Recorder.h"
#include "host/WebPRecording.h"
#include "render/PngEncoder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;
using orvessa::OrderedWorkers;
using testing_support::fileBytes;
using testing_support::TempFolder;
using testing_support::TestHome;

namespace {

namespace fs = std::filesystem;

std::shared_ptr<const orvessa::Frame> solid(double grey)
{
    auto frame = std::make_shared<orvessa::Frame>(8, 6);
    cairo_t* cr = cairo_create(frame->surface());
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_paint(cr);
    cairo_destroy(cr);
    return frame;
}

TEST(OrderedWorkers, StepsRunInSubmissionOrderEvenWhenTheFirstJobIsSlowest)
{
    std::vector<int> order;
    {
        OrderedWorkers workers(3, 8);
        for (int i = 0; i < 40; ++i) {
            if (i % 5 == 4) {
                // A step with no job, as a repeated frame is, waits for the jobs before it.
                workers.submitStep([&order, i] { order.push_back(i); });
                continue;
            }
            workers.submit([&order, i] {
                std::this_thread::sleep_for(i == 0 ? 60ms : std::chrono::milliseconds(i % 3));
                return OrderedWorkers::Step([&order, i] { order.push_back(i); });
            });
        }
        workers.finish();
        ASSERT_EQ(order.size(), 40u) << "every step ran before finish returned";
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
}

TEST(OrderedWorkers, NeverHoldsMoreJobsThanItsCapacity)
{
    std::atomic<int> alive { 0 };
    std::atomic<int> most { 0 };
    // Counts the jobs that exist: queued, running, or done and waiting for their step.
    struct Token {
        std::atomic<int>& alive;
        std::atomic<int>& most;
        explicit Token(std::atomic<int>& a, std::atomic<int>& m)
            : alive(a)
            , most(m)
        {
            int now = ++alive;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) { }
        }
        ~Token() { --alive; }
    };
    OrderedWorkers workers(2, 4);
    for (int i = 0; i < 60; ++i) {
        auto token = std::make_shared<Token>(alive, most);
        workers.submit([token, i] {
            std::this_thread::sleep_for(std::chrono::microseconds(200 * (i % 4)));
            return OrderedWorkers::Step([token] {});
        });
    }
    workers.finish();
    // One more than the capacity: the submitter makes a job's token before it waits for room.
    EXPECT_LE(most.load(), 5);
    EXPECT_EQ(alive.load(), 0);
}

TEST(OrderedWorkers, TheFirstFailureStopsLaterStepsAndIsRethrown)
{
    for (bool inStep : { false, true }) {
        std::vector<int> order;
        OrderedWorkers workers(2, 4);
        bool refused = false;
        try {
            for (int i = 0; i < 30; ++i) {
                workers.submit([&order, i, inStep]() -> OrderedWorkers::Step {
                    if (i == 5 && !inStep)
                        throw std::runtime_error("job 5 failed");
                    return [&order, i, inStep] {
                        if (i == 5 && inStep)
                            throw std::runtime_error("step 5 failed");
                        order.push_back(i);
                    };
                });
            }
            workers.finish();
        } catch (const std::runtime_error& error) {
            refused = true;
            EXPECT_NE(std::string(error.what()).find("5 failed"), std::string::npos) << error.what();
        }
        EXPECT_TRUE(refused);
        EXPECT_THROW(workers.finish(), std::runtime_error) << "the failure stays";
        EXPECT_EQ(order, (std::vector<int> { 0, 1, 2, 3, 4 })) << (inStep ? "failing step" : "failing job");
    }
}

TEST(FrameFolder, RepeatedFramesGetThePreviousFramesBytesWithoutEncodingAgain)
{
    TestHome home;
    TempFolder out;
    {
        orvessa::FrameFolder folder(orvessa::OutputFolder::open(out.path(), orvessa::ProtectedPlaces::forHost(testing_support::panelOptions(home.path()))), 2);
        folder.addFrame(0, solid(0.2));
        folder.repeatFrame(1);
        folder.repeatFrame(2);
        folder.addFrame(3, solid(0.8));
        folder.repeatFrame(4);
        folder.finish(5);
    }
    auto first = fileBytes(out.path() / "frame-00000.png");
    auto second = fileBytes(out.path() / "frame-00003.png");
    EXPECT_EQ(first, orvessa::encodePng(*solid(0.2)));
    EXPECT_EQ(fileBytes(out.path() / "frame-00001.png"), first);
    EXPECT_EQ(fileBytes(out.path() / "frame-00002.png"), first);
    EXPECT_EQ(second, orvessa::encodePng(*solid(0.8)));
    EXPECT_EQ(fileBytes(out.path() / "frame-00004.png"), second);
    for (const auto& entry : fs::directory_iterator(out.path())) {
        auto picture = read_back::png(fileBytes(entry.path()));
        EXPECT_TRUE(picture) << entry.path() << " reads back with libpng";
    }
}

TEST(FrameFolder, AFailedWriteStopsTheFramesAfterItAndLeavesNoPartialFile)
{
    TestHome home;
    TempFolder out;
    // A folder where frame 2 should go: its write fails, so frames 3 and later must not land.
    fs::create_directory(out.path() / "frame-00002.png");
    orvessa::FrameFolder folder(orvessa::OutputFolder::open(out.path(), orvessa::ProtectedPlaces::forHost(testing_support::panelOptions(home.path()))), 2);
    bool failed = false;
    try {
        for (long i = 0; i < 12; ++i)
            folder.addFrame(i, solid(double(i) / 12));
        folder.finish(12);
    } catch (const orvessa::OutputError& error) {
        failed = true;
        EXPECT_NE(std::string(error.what()).find("frame-00002.png"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(failed);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "frame-00000.png", "frame-00001.png", "frame-00002.png" }));
}

TEST(WebPRecording, TimestampsComeFromTheFrameIndexSoNothingDriftsOverAnHour)
{
    EXPECT_EQ(orvessa::frameTimestampMs(0, 30), 0);
    EXPECT_EQ(orvessa::frameTimestampMs(1, 30), 33);
    EXPECT_EQ(orvessa::frameTimestampMs(2, 30), 67);
    EXPECT_EQ(orvessa::frameTimestampMs(108000, 30), 3600000) << "an hour at 30 fps ends on the hour";
    EXPECT_EQ(orvessa::frameTimestampMs(86399, 24), 3599958);
    EXPECT_EQ(orvessa::frameTimestampMs(864000, 240), 3600000);
    // Rounded durations added up would drift: 33 ms a frame is 3,564,000 ms after 108,000 frames.
    long long added = 0;
    for (long i = 0; i < 108000; ++i)
        added += orvessa::frameTimestampMs(i + 1, 30) - orvessa::frameTimestampMs(i, 30);
    EXPECT_EQ(added, 3600000);
}

// Records a test panel into an animated WebP: repeated frames add nothing, and each picture lasts
// until the next one that differs, to the millisecond.
TEST(WebPRecording, UnchangedFramesLengthenThePreviousOneAndTheWholeKeepsItsLength)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 });
    home.addPhoto("IMG_0002.JPG", { 40, 40, 200 });
    home.writePreferences("<key>SecondsPerSlide</key><integer>2</integer>");
    TempFolder out;
    auto options = testing_support::panelOptions(home.path());
    options.scale = 1;
    const double fps = 30;
    std::vector<long> drawn;
    {
        orvessa::WebPRecording recording(orvessa::OutputFile::prepare(out.path() / "rec.webp", orvessa::ProtectedPlaces::forHost(options)), fps, 90);
        orvessa::Panel panel(options);
        orvessa::Recorder recorder(panel, recording, fps, 1);
        recorder.setFrameObserver([&](const orvessa::Recorder::ShownFrame& frame) {
            if (!frame.repeated)
                drawn.push_back(frame.index);
        });
        panel.open();
        recorder.recordUntil(4.5);
        recorder.finish();
        ASSERT_EQ(recorder.frameCount(), 135);
        ASSERT_EQ(recorder.drawnFrameCount(), long(drawn.size()));
        EXPECT_LT(drawn.size(), 100u) << "most frames between fades repeat";
    }
    auto animation = read_back::webp(fileBytes(out.path() / "rec.webp"));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->width, 320);
    EXPECT_EQ(animation->height, 240);
    // libwebp may still merge two drawn frames whose pixels came out equal; the ends it keeps are
    // each the start of a later drawn frame, and the last is the end of the recording.
    ASSERT_FALSE(animation->endsMs.empty());
    EXPECT_LE(animation->frames.size(), drawn.size());
    EXPECT_GT(animation->frames.size(), 10u);
    EXPECT_EQ(animation->endsMs.back(), 4500);
    std::vector<long long> starts;
    for (long index : drawn)
        starts.push_back(orvessa::frameTimestampMs(index, fps));
    for (std::size_t i = 0; i + 1 < animation->endsMs.size(); ++i)
        EXPECT_NE(std::find(starts.begin(), starts.end(), animation->endsMs[i]), starts.end()) << "frame " << i << " ends at " << animation->endsMs[i];
}

TEST(WebPRecording, StartsItsFileAtOnceAndLeavesNothingWhenDroppedUnfinished)
{
    TestHome home;
    TempFolder out;
    auto places = orvessa::ProtectedPlaces::forHost(testing_support::panelOptions(home.path()));
    {
        orvessa::WebPRecording recording(orvessa::OutputFile::prepare(out.path() / "rec.webp", places), 10);
        EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1) << "its temporary file";
        for (long i = 0; i < 6; ++i)
            recording.addFrame(i, solid(double(i) / 6));
    }
    EXPECT_TRUE(fs::is_empty(out.path())) << "neither the animation nor its temporary";

    {
        orvessa::WebPRecording recording(orvessa::OutputFile::prepare(out.path() / "rec.webp", places), 10);
        for (long i = 0; i < 6; ++i)
            recording.addFrame(i, solid(double(i / 2) / 3));
        recording.finish(6);
    }
    auto animation = read_back::webp(fileBytes(out.path() / "rec.webp"));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->endsMs, (std::vector<int> { 200, 400, 600 })) << "frames with the same pixels merge";
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1);
}

}
