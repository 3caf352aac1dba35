#include "slideshow/ImageList.h"

#include "platform/DeviceFilesystem.h"
#include "platform/DirectoryListing.h"
#include "slideshow/PhotoNames.h"
#include "slideshow/Shuffling.h"

std::vector<std::string> loadImageList(const std::string& homeDirectory, bool shouldShuffle)
{
    std::vector<std::string> images;
    for (const char* folder : kPhotoFolders) {
        std::string folderPath = stringByAppendingPathComponent(homeDirectory, folder);
        auto names = contentsOfDirectoryAtPath(folderPath);
        if (!names)
            continue;
        for (const auto& name : *names) {
            if (photoNameVerdict(name) == PhotoNameVerdict::Accepted)
                images.push_back(stringByAppendingPathComponent(folderPath, name));
        }
    }
    if (images.empty())
        images.push_back(kFallbackImagePath);
    if (shouldShuffle)
        shuffle(images);
    return images;
}
