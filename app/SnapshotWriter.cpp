#include "app/Commands.h"

#include "host/OutputFolder.h"
#include "host/Recorder.h"
#include "render/PngEncoder.h"

namespace orvessa {

ScriptRunner::SnapshotWriter scriptSnapshotWriter(const HostOptions& options)
{
    // One renderer for the whole script, so its kept pictures serve every snapshot.
    auto renderer = std::make_shared<Renderer>();
    auto places = std::make_shared<const ProtectedPlaces>(ProtectedPlaces::forHost(options));
    return [renderer, places, scale = options.scale](Panel& panel, const std::string& path) {
        OutputFile file = OutputFile::prepare(path, *places);
        file.write(encodePng(renderSnapshot(panel, *renderer, scale)));
    };
}

}
