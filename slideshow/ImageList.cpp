#include "slideshow/ImageList.h"

#include "platform/DeviceFilesystem.h"
#include "platform/DirectoryListing.h"
#include "slideshow/PhotoNames.h"
#include "slideshow/Shuffling.h"

#include <algorithm>

std::vector<std::string> loadImageList(const std::string& homeDirectory, bool shouldShuffle)
{
    std::array<std::string, kPhotoFolders.size()> folderPaths;
    std::transform(kPhotoFolders.begin(), kPhotoFolders.end(), folderPaths.begin(),
        [&](const char* folder) { return stringByAppendingPathComponent(homeDirectory, folder); });
    std::vector<std::string> images;
    // Room made once: growing a list of many thousands of paths step by step copies it and touches
    // fresh memory at every step, which costs more than the listing itself.
    std::size_t expected = 0;
    for (const std::string& folderPath : folderPaths)
        expected += estimatedEntryCount(folderPath);
    images.reserve(expected);
    for (const std::string& folderPath : folderPaths) {
        // What stringByAppendingPathComponent puts before a component: an entry's name has no slash
        // and is never empty, so the prefix and the name make the same path, with one allocation for
        // each photo and none for a name the filter refuses.
        std::string prefix = stringByAppendingPathComponent(folderPath, "x");
        prefix.pop_back();
        forEachNameInDirectory(folderPath, [&](std::string_view name) {
            if (photoNameVerdict(name) != PhotoNameVerdict::Accepted)
                return;
            std::string path;
            path.reserve(prefix.size() + name.size());
            path.append(prefix).append(name);
            images.push_back(std::move(path));
        });
    }
    if (images.empty())
        images.push_back(kFallbackImagePath);
    if (shouldShuffle)
        shuffle(images);
    return images;
}
