#include "app/Commands.h"

#include "host/Recorder.h"

namespace orvessa {

void refuseProtectedOutput(const HostOptions& options, const std::filesystem::path& output)
{
    auto home = homeFolder(options);
    if (home && isInside(output, *home))
        throw UsageError(output.string() + ": inside the home folder, which is never written to");
    if (options.photos && isInside(output, *options.photos))
        throw UsageError(output.string() + ": inside the photo folder, which is never written to");
}

ScriptRunner::SnapshotWriter scriptSnapshotWriter(const HostOptions& options)
{
    // One renderer for the whole script, so its kept pictures serve every snapshot.
    auto renderer = std::make_shared<Renderer>();
    return [renderer, options](Panel& panel, const std::string& path) {
        refuseProtectedOutput(options, path);
        writeSnapshot(panel, *renderer, options.scale, path);
    };
}

}
