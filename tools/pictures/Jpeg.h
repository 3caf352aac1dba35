#pragma once

// JPEG files encoded by TurboJPEG from RGB, RGBA (alpha dropped) or CMYK pixels. Sides are limited
// to TurboJPEG's 65,535; failures throw. The scan layouts and samplings TurboJPEG cannot write are
// in JpegScans.h.

#include "tools/pictures/Pixels.h"

#include <turbojpeg.h>

namespace pictures {

struct JpegOptions {
    int quality { 95 }; // 1 to 100.
    int subsampling { TJSAMP_444 }; // TurboJPEG's TJSAMP_ value; TJSAMP_GRAY writes one component.
    bool progressive { false };
    // 1 to 8: an EXIF APP1 segment right after SOI, holding only this orientation, little-endian.
    // 0 writes no segment.
    int exifOrientation { 0 };
};

Bytes encodeJpeg(const Pixels&, const JpegOptions& = {});

}
