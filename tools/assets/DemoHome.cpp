#include "tools/assets/DemoHome.h"

#include "tools/assets/DemoPhotos.h"

#include <string_view>

namespace assets {

namespace {

constexpr std::string_view slideshowPreferences = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Shuffle</key>
	<false/>
	<key>SecondsPerSlide</key>
	<integer>3</integer>
	<key>preserveaspect</key>
	<true/>
</dict>
</plist>
)";

constexpr std::string_view albumNotes = R"(Notes for the demo album

Every picture in this home was drawn by orvessa_make_assets.
IMG_0003.JPG is stored on its side and stands up only when its EXIF orientation is applied.
IMG_0007.jpg has a lower-case extension, and this file is not a picture at all,
so the photo check has something to explain.
)";

}

void writeDemoHome(AssetWriter& out)
{
    const std::filesystem::path home = "demo-home";
    const std::filesystem::path camera = home / "Media" / "DCIM" / "100APPLE";
    const std::filesystem::path synced = home / "Media" / "PhotoData" / "Sync" / "100SYNCD";
    writeDemoPhotos(out, camera, synced);
    out.makeText(camera / "notes.txt", albumNotes);
    out.makeText(home / "Library" / "Preferences" / "com.apple.mobileslideshow.plist", slideshowPreferences);
}

}
