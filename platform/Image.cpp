#include "platform/Image.h"

#include "platform/Context.h"

#include <system_error>

namespace {

struct Candidate {
    std::filesystem::path hostPath;
    float scale;
};

// The high-resolution variants the platform looks for beside an image, best first.
std::vector<Candidate> candidates(const DeviceFilesystem& filesystem, const std::string& devicePath, float screenScale)
{
    std::vector<Candidate> found;
    auto slash = devicePath.rfind('/');
    auto dot = devicePath.rfind('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string stem = hasExtension ? devicePath.substr(0, dot) : devicePath;
    std::string extension = hasExtension ? devicePath.substr(dot) : "";
    if (stem.find('@') == std::string::npos) {
        for (int s = 3; s >= 2; --s) {
            if (screenScale < float(s))
                continue;
            std::string variant = stem;
            variant.append("@").append(std::to_string(s)).append("x").append(extension);
            if (auto host = filesystem.resolve(variant))
                found.push_back({ *host, float(s) });
        }
    }
    if (auto host = filesystem.resolve(devicePath))
        found.push_back({ *host, 1 });
    return found;
}

}

UIImage::UIImage(std::shared_ptr<Source> source)
    : m_source(std::move(source))
{
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath)
{
    PlatformContext& context = PlatformContext::current();
    for (auto& candidate : candidates(context.filesystem(), devicePath, context.screenScale())) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(candidate.hostPath, error))
            continue;
        auto header = readImageHeader(candidate.hostPath);
        if (!header)
            return nullptr; // The named file exists but holds no picture we read.
        auto source = std::make_shared<Source>();
        source->devicePath = devicePath;
        source->hostPath = std::move(candidate.hostPath);
        source->header = *header;
        source->scale = candidate.scale;
        return std::shared_ptr<UIImage>(new UIImage(std::move(source)));
    }
    return nullptr;
}

std::shared_ptr<UIImage> UIImage::stretchableImageWithLeftCapWidth(int leftCapWidth, int topCapHeight) const
{
    std::shared_ptr<UIImage> image(new UIImage(m_source));
    image->m_leftCapWidth = leftCapWidth;
    image->m_topCapHeight = topCapHeight;
    return image;
}

CGSize UIImage::size() const
{
    return { float(m_source->header.orientedWidth()) / m_source->scale, float(m_source->header.orientedHeight()) / m_source->scale };
}

const DecodedImage* UIImage::decodedPixels(int pixelWidth, int pixelHeight) const
{
    Source& source = *m_source;
    if (source.decoded) {
        const DecodedImage& have = *source.decoded;
        bool fullSize = have.width >= source.header.orientedWidth() && have.height >= source.header.orientedHeight();
        if (fullSize || (have.width >= pixelWidth && have.height >= pixelHeight))
            return &have;
    } else if (source.failed) {
        return nullptr;
    }
    source.decoded.reset(); // Let the smaller pixels go before the larger ones are made.
    source.decoded = decodeImage(source.hostPath, pixelWidth, pixelHeight);
    source.failed = !source.decoded;
    return source.decoded ? &*source.decoded : nullptr;
}
