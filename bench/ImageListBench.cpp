// How long building the image list takes for camera rolls of 1,000 to 100,000 names. The list holds
// paths only, so this is listing and filtering; it must grow linearly. Building and releasing are
// timed apart: the full view builds the list when it opens, and the list is released when the view
// is unloaded, at another turn of the loop.
#include "platform/Context.h"
#include "slideshow/ImageList.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

// A home whose camera roll holds `count` names, one in ten with a lower-case extension. Made once
// per size and removed at exit.
const std::filesystem::path& homeWith(long count)
{
    static std::map<long, std::filesystem::path> homes;
    static struct Cleanup {
        ~Cleanup()
        {
            for (auto& [count, path] : homes)
                std::filesystem::remove_all(path);
        }
    } cleanup;
    auto& home = homes[count];
    if (home.empty()) {
        home = std::filesystem::temp_directory_path() / ("orvessa-bench-list-" + std::to_string(::getpid()) + "-" + std::to_string(count));
        auto roll = home / "Media/DCIM/100APPLE";
        std::filesystem::create_directories(roll);
        for (long i = 0; i < count; ++i)
            std::ofstream(roll / ("IMG_" + std::to_string(i) + (i % 10 == 0 ? ".jpg" : ".JPG")));
        // A folder just filled lists slower until its new entries are written back; a camera
        // roll is met long after it was filled.
        ::sync();
    }
    return home;
}

enum class Timed {
    Building,
    Releasing,
};

void imageList(benchmark::State& state, bool shuffle, Timed timed)
{
    const auto& home = homeWith(state.range(0));
    PlatformContext::Configuration configuration;
    configuration.filesystem.mount("/var/mobile", home);
    configuration.random = std::make_unique<SeededRandomSource>(1);
    PlatformContext context(std::move(configuration));
    ContextScope scope(context);
    std::size_t listed = 0;
    for (auto _ : state) {
        if (timed == Timed::Releasing)
            state.PauseTiming();
        auto images = loadImageList("/var/mobile", shuffle);
        listed = images.size();
        benchmark::DoNotOptimize(images);
        if (timed == Timed::Releasing)
            state.ResumeTiming();
        else
            state.PauseTiming();
        images = {};
        if (timed == Timed::Building)
            state.ResumeTiming();
    }
    state.counters["photos"] = double(listed);
    state.SetComplexityN(state.range(0));
}

}

BENCHMARK_CAPTURE(imageList, inFolderOrder, false, Timed::Building)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(imageList, shuffled, true, Timed::Building)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
// A fixed count: releasing is so much cheaper than the untimed building that the library would ask
// for hundreds of thousands of builds to time half a second of releases.
BENCHMARK_CAPTURE(imageList, releasedAtUnload, true, Timed::Releasing)->Arg(100000)->Iterations(30)->Unit(benchmark::kMillisecond);
