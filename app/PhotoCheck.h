#pragma once

#include "platform/PathList.h"
#include "slideshow/PhotoNames.h"
#include "slideshow/SlideshowSettings.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace orvessa {

// What the widget would show, and why any photo of the two folders would not appear: for a person
// whose photos are missing. Reads the same files the widget reads; opens each listed name's header.
struct PhotoReport {
    struct Setting {
        std::string key;
        std::string value;
        bool fromFile { false };
    };
    struct Entry {
        std::string devicePath;
        std::string hostPath;
        std::string reason; // Empty for a photo that shows.
        PhotoNameVerdict verdict { PhotoNameVerdict::Accepted }; // Accepted for a listed name that holds no picture.
    };

    struct Folder {
        std::string devicePath;
        std::string hostPath; // Empty when nothing is mounted there.
    };

    Folder home;
    std::vector<Folder> photoFolders; // The two folders the widget lists, in its order.
    std::string preferencesPath; // Device path.
    std::string preferencesProblem; // Why the file gave no settings; empty when it was read.
    SlideshowSettings settings;
    std::vector<Setting> settingSources;
    PathList images; // Display order, as the widget builds it.
    bool fallback { false }; // No photo found: the fallback picture alone.
    std::vector<Entry> leftOut; // Names the filter refuses.
    std::vector<Entry> unreadable; // Names the filter takes that hold no picture: an empty frame each.
    std::vector<std::string> folderProblems; // Folders that are missing or unreadable.
};

// Needs the host's platform context installed.
PhotoReport checkPhotos();

std::string formatPhotoReport(const PhotoReport&);
nlohmann::ordered_json photoReportJson(const PhotoReport&);
// One line for the window's start, or empty when nothing is left out.
std::string photoReportSummary(const PhotoReport&);

}
