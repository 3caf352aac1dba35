#pragma once

// Which file on the host an image path reads, shared by UIImage and the decode service's workers so
// that both pick the same file; not part of the platform's interface.

#include "platform/DeviceFilesystem.h"
#include "platform/ImageDecoders.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct ImageFileCandidate {
    std::filesystem::path hostPath;
    float scale { 1 }; // Pixels per point of the picture in this file.
};

// The files an image path may read, best first: where the screen has more than one pixel per point,
// "name@3x.ext" and "name@2x.ext" beside it, then the file itself. Resolved lexically; nothing is read.
std::vector<ImageFileCandidate> imageFileCandidates(const DeviceFilesystem&, const std::string& devicePath, float screenScale);

struct OpenedImageFile {
    ImageFile file;
    ImageHeader header;
    float scale { 1 };
    std::filesystem::path hostPath;
};

// The first candidate that is a regular file, open, with its header read. Nothing when none is, or
// when that one holds no picture we read: a broken high-resolution variant hides the plain file, as
// on the platform.
std::optional<OpenedImageFile> openImageFile(const std::vector<ImageFileCandidate>&);
