#pragma once

#include "platform/Device.h"
#include "platform/PropertyList.h"

#include <memory>
#include <string>

// The three settings of the Photos preferences file that the slideshow uses.
struct SlideshowSettings {
    bool shuffle { false };
    float secondsPerSlide { 5.0f }; // A whole number, at least 2.0.
    bool preserveAspect { false };
};

inline constexpr const char* kShuffleKey = "Shuffle";
inline constexpr const char* kSecondsPerSlideKey = "SecondsPerSlide";
inline constexpr const char* kPreserveAspectKey = "preserveaspect";
inline constexpr float kMinimumSecondsPerSlide = 2.0f;

// Reads the preferences file under the home directory once. A missing or unreadable file, or a
// missing key, gives the default; a present key is converted whatever its value. Where asked, the
// parsed dictionary is handed out too; nobody keeps it after the build.
SlideshowSettings loadSettings(const std::string& homeDirectory, std::shared_ptr<const PropertyListValue>* dictionary = nullptr);

// The settings a dictionary gives; a null dictionary gives the defaults.
SlideshowSettings settingsFromDictionary(const PropertyListValue* dictionary);
