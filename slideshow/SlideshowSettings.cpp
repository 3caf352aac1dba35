#include "slideshow/SlideshowSettings.h"

#include "platform/Context.h"
#include "platform/DeviceFilesystem.h"

SlideshowSettings settingsFromDictionary(const PropertyListValue* dictionary)
{
    SlideshowSettings settings;
    auto lookUp = [&](const char* key) { return dictionary ? dictionary->find(key) : nullptr; };
    if (const auto* value = lookUp(kShuffleKey))
        settings.shuffle = boolValue(*value);
    if (const auto* value = lookUp(kSecondsPerSlideKey))
        settings.secondsPerSlide = static_cast<float>(intValue(*value));
    if (settings.secondsPerSlide < kMinimumSecondsPerSlide)
        settings.secondsPerSlide = kMinimumSecondsPerSlide;
    if (const auto* value = lookUp(kPreserveAspectKey))
        settings.preserveAspect = boolValue(*value);
    return settings;
}

SlideshowSettings loadSettings(const std::string& homeDirectory, std::shared_ptr<const PropertyListValue>* dictionaryOut)
{
    std::string path = stringByAppendingPathComponent(homeDirectory, kPhotosPreferencesPath);
    std::shared_ptr<const PropertyListValue> dictionary;
    if (auto parsed = dictionaryWithContentsOfFile(PlatformContext::current().filesystem(), path))
        dictionary = std::make_shared<const PropertyListValue>(std::move(*parsed));
    if (dictionaryOut)
        *dictionaryOut = dictionary;
    return settingsFromDictionary(dictionary.get());
}
