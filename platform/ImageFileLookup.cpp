#include "platform/ImageFileLookup.h"

#include <new>
#include <sys/stat.h>

std::vector<ImageFileCandidate> imageFileCandidates(const DeviceFilesystem& filesystem, const std::string& devicePath, float screenScale)
{
    std::vector<ImageFileCandidate> found;
    auto slash = devicePath.rfind('/');
    auto dot = devicePath.rfind('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string stem = hasExtension ? devicePath.substr(0, dot) : devicePath;
    std::string extension = hasExtension ? devicePath.substr(dot) : "";
    if (stem.find('@') == std::string::npos) {
        for (int s = 3; s >= 2; --s) {
            if (screenScale < float(s))
                continue;
            std::string variant = stem;
            variant.append("@").append(std::to_string(s)).append("x").append(extension);
            if (auto host = filesystem.resolve(variant))
                found.push_back({ *host, float(s) });
        }
    }
    if (auto host = filesystem.resolve(devicePath))
        found.push_back({ *host, 1 });
    return found;
}

std::optional<OpenedImageFile> openImageFile(const std::vector<ImageFileCandidate>& candidates)
{
    for (const auto& candidate : candidates) {
        struct stat status { };
        if (::stat(candidate.hostPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        try {
            auto file = ImageFile::open(candidate.hostPath);
            if (!file)
                return std::nullopt;
            auto header = checkImageHeader(*file).header;
            if (!header)
                return std::nullopt;
            return OpenedImageFile { std::move(*file), *header, candidate.scale, candidate.hostPath };
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}
