#include "platform/Image.h"

#include "platform/Context.h"
#include "platform/DecodeService.h"
#include "platform/ImageFileLookup.h"

UIImage::UIImage(std::shared_ptr<Source> source)
    : m_source(std::move(source))
{
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath)
{
    PlatformContext& context = PlatformContext::current();
    auto opened = openImageFile(imageFileCandidates(context.filesystem(), devicePath, context.screenScale()));
    if (!opened)
        return nullptr;
    auto source = std::make_shared<Source>();
    source->devicePath = devicePath;
    source->hostPath = std::move(opened->hostPath);
    source->header = opened->header;
    source->identity = opened->file.identity();
    source->scale = opened->scale;
    source->decodeService = context.decodeService();
    return std::shared_ptr<UIImage>(new UIImage(std::move(source)));
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
    source.decoded = decode(source, { pixelWidth, pixelHeight });
    source.failed = !source.decoded;
    return source.decoded.get();
}

std::shared_ptr<const DecodedImage> UIImage::decode(Source& source, PixelSize size)
{
    auto service = source.decodeService.lock();
    if (service) {
        if (auto found = service->takeDecoded(source.identity, size))
            return found->pixels;
    }
    if (PlatformContext::hasCurrent())
        PlatformContext::current().countUiThreadDecode();
    if (!service) {
        auto decoded = decodeImage(source.hostPath, size.width, size.height);
        return decoded ? std::make_shared<const DecodedImage>(std::move(*decoded)) : nullptr;
    }
    // Decoded from the file as it is now; offered to the cache only if that is still the version this
    // image was made from, so the cache never files one version's pixels under another's identity.
    auto file = ImageFile::open(source.hostPath);
    if (!file)
        return nullptr;
    std::shared_ptr<const DecodedImage> pixels;
    if (auto decoded = decodeImage(*file, size.width, size.height))
        pixels = std::make_shared<const DecodedImage>(std::move(*decoded));
    if (file->identity() == source.identity)
        service->keep(source.identity, size, pixels);
    return pixels;
}
