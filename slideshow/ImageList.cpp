#include "slideshow/ImageList.h"

#include "platform/DeviceFilesystem.h"
#include "platform/DirectoryListing.h"
#include "slideshow/PhotoNames.h"
#include "slideshow/Shuffling.h"

#include <algorithm>

PathList loadImageList(const std::string& homeDirectory, bool shouldShuffle)
{
    std::array<std::string, kPhotoFolders.size()> folderPaths;
    std::transform(kPhotoFolders.begin(), kPhotoFolders.end(), folderPaths.begin(),
        [&](const char* folder) { return stringByAppendingPathComponent(homeDirectory, folder); });
    PathList images;
    // Room made once, from the folders' own sizes: growing a list of many thousands of names step by
    // step copies it and touches fresh memory at every step, which costs more than the listing.
    constexpr std::size_t kNameBytesExpected = 16; // "IMG_0001.JPG" and a little more.
    std::size_t expected = 0;
    for (const std::string& folderPath : folderPaths)
        expected += estimatedEntryCount(folderPath);
    images.reserve(expected, expected * kNameBytesExpected);
    for (const std::string& folderPath : folderPaths) {
        // What stringByAppendingPathComponent puts before a component: an entry's name has no slash
        // and is never empty, so the prefix and the name make the same path.
        std::string prefix = stringByAppendingPathComponent(folderPath, "x");
        prefix.pop_back();
        images.startFolder(std::move(prefix));
        forEachNameInDirectory(folderPath, [&](std::string_view name) {
            if (photoNameVerdict(name) == PhotoNameVerdict::Accepted)
                images.append(name);
        });
    }
    if (images.empty()) {
        images.startFolder({});
        images.append(kFallbackImagePath);
    }
    if (shouldShuffle)
        shuffle(images);
    return images;
}
