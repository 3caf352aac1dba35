#pragma once

#include "platform/FileIdentity.h"
#include "platform/Geometry.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "platform/Object.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class DecodeService;

// A picture read from a file on the device. Creating one reads only the file's header; its pixels
// are decoded when it is first drawn, at the size drawn, and kept on this object alone. Where the
// host has installed a decode service, the first draw takes pixels the service decoded ahead for
// this very file and size instead (see DecodeService); each image is still made anew.
class UIImage final : public NSObject {
public:
    // No image for a missing file or one that is not a JPEG, PNG, GIF or BMP (judged by its bytes).
    // Where the screen has more than one pixel per point, a "name@2x.ext" (or @3x) beside the file
    // is preferred, as on the platform.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& devicePath);
    // The same picture, to be stretched by its middle column and row.
    std::shared_ptr<UIImage> stretchableImageWithLeftCapWidth(int leftCapWidth, int topCapHeight) const;

    std::string_view className() const override { return "UIImage"; }

    const std::string& path() const { return m_source->devicePath; }
    CGSize size() const; // In points, upright (EXIF orientation applied).
    float scale() const { return m_source->scale; }
    const ImageHeader& header() const { return m_source->header; }
    int leftCapWidth() const { return m_leftCapWidth; }
    int topCapHeight() const { return m_topCapHeight; }

    // Pixels at no less than the given size where the format can decode smaller, decoded once and
    // kept; a larger request decodes again. Null when the file cannot be decoded. Called on the UI
    // thread, where a decode counts in the context's uiThreadDecodeCount().
    const DecodedImage* decodedPixels(int pixelWidth, int pixelHeight) const;

private:
    // Shared by an image and its stretchable copies, so the pixels are decoded once for both.
    struct Source {
        std::string devicePath;
        std::filesystem::path hostPath;
        ImageHeader header;
        FileIdentity identity; // Of the file the header was read from.
        float scale { 1 };
        std::weak_ptr<DecodeService> decodeService; // The context's when the image was made.
        std::shared_ptr<const DecodedImage> decoded;
        bool failed { false };
    };

    static std::shared_ptr<const DecodedImage> decode(Source&, PixelSize);

    explicit UIImage(std::shared_ptr<Source>);

    std::shared_ptr<Source> m_source;
    int m_leftCapWidth { 0 };
    int m_topCapHeight { 0 };
};
