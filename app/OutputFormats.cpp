#include "app/OutputFormats.h"

#include "app/Commands.h"
#include "render/AnimatedWebP.h"
#include "render/JpegEncoder.h"
#include "render/PngEncoder.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace orvessa {

std::optional<OutputFormat> outputFormatOf(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".png")
        return OutputFormat::Png;
    if (extension == ".jpg" || extension == ".jpeg")
        return OutputFormat::Jpeg;
    if (extension == ".webp")
        return OutputFormat::WebP;
    return std::nullopt;
}

OutputFormat pictureFormatFor(const std::string& option, const std::string& path)
{
    auto format = outputFormatOf(path);
    if (!format || *format == OutputFormat::WebP)
        throw UsageError(option + ": " + printableArgument(path) + ": the name must end in .png, .jpg or .jpeg");
    return *format;
}

int qualityFor(OutputFormat format, std::optional<int> given)
{
    if (given && (*given < 1 || *given > 100))
        throw UsageError("--quality: " + std::to_string(*given) + " is not from 1 to 100");
    switch (format) {
    case OutputFormat::Png:
        if (given)
            throw UsageError("--quality: PNG is lossless; --quality is for .jpg, .jpeg and .webp outputs");
        return 100;
    case OutputFormat::Jpeg:
        return given.value_or(kDefaultJpegQuality);
    case OutputFormat::WebP:
        return given.value_or(kDefaultWebPQuality);
    }
    return 100;
}

std::vector<std::uint8_t> encodePicture(const Frame& frame, OutputFormat format, int quality)
{
    switch (format) {
    case OutputFormat::Png:
        return encodePng(frame);
    case OutputFormat::Jpeg:
        return encodeJpeg(frame, quality);
    case OutputFormat::WebP:
        break;
    }
    throw std::logic_error("a single picture is written as PNG or JPEG");
}

}
