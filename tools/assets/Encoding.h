#pragma once

// A finished canvas as the bytes of a picture file. No encoder writes a timestamp, so the same
// drawing always makes the same bytes.

#include "tools/assets/Canvas.h"
#include "tools/pictures/Bytes.h"

namespace assets {

using pictures::Bytes;

// RGB for an opaque canvas, RGBA otherwise, with an sRGB chunk: cairo draws in sRGB.
Bytes encodePng(Canvas&);

// 4:2:0 at quality 88. An orientation of 1 to 8 adds an EXIF segment holding it; 0 adds none.
Bytes encodeJpeg(Canvas&, int exifOrientation = 0);

}
