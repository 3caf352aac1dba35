#pragma once

// JPEG files in the layouts TurboJPEG cannot write, made by libjpeg: a scan per component, any
// sampling of the first component, CMYK stored as CMYK, as well as one interleaved scan and
// progressive. They code a fixed test pattern, so that a decoder's output can be compared across
// layouts. Sides are limited to 65,535; failures throw.

#include "tools/pictures/Bytes.h"

namespace pictures {

enum class JpegScans {
    Interleaved, // Baseline, one scan holding every component.
    ScanPerComponent, // Baseline, one scan for each component.
    Progressive, // libjpeg's usual progression of spectral bands and bit refinements.
};

struct JpegScanLayout {
    int width { 32 };
    int height { 24 };
    int components { 3 }; // 1 gray, 3 YCbCr, 4 CMYK.
    int lumaHorizontal { 1 }; // Sampling of the first component, 1 to 4; the others are 1 x 1.
    int lumaVertical { 1 };
    JpegScans scans { JpegScans::Interleaved };
    int quality { 95 }; // 1 to 100.
};

// The pattern: smooth shading with a few hard edges, different in every channel.
std::uint8_t jpegTestSample(int x, int y, int channel);

Bytes encodeJpegScans(const JpegScanLayout&);

}
