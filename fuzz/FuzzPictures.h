#pragma once

// What every picture fuzzer does with its input: forces the format's magic bytes so the input
// stays that format, writes it to an in-memory file, checks its header from memory and from the
// file, and decodes it at the panel's drawn size and at full size. The answers must
// agree; anything else aborts, which libFuzzer reports as a finding.

#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace fuzzing {

// An in-memory file the decoders open by path like any photo.
class MemoryFile {
public:
    MemoryFile()
        : m_fd(memfd_create("orvessa-fuzz-picture", MFD_CLOEXEC))
        , m_path("/proc/self/fd/" + std::to_string(m_fd))
    {
        if (m_fd < 0)
            std::abort();
    }

    const std::string& write(const std::vector<std::uint8_t>& bytes)
    {
        if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        return m_path;
    }

private:
    int m_fd { -1 };
    std::string m_path;
};

// A header that claims more pixels is checked but not decoded: filling megapixels from a few bytes
// made runs sixty times slower and teaches the fuzzer nothing a smaller picture does not (the size
// limits themselves are the unit tests' business). Still above the drawn size, so scaling is fuzzed.
inline constexpr std::int64_t kMaxFuzzedPixels = 1 << 18;

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

inline void checkWellFormed(const DecodedImage& image)
{
    check(image.width > 0 && image.height > 0 && image.stride >= image.width * 4);
    check(image.pixels.size() == static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height));
    // Premultiplied: no channel above its alpha.
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.stride;
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t word;
            std::copy(row + 4 * x, row + 4 * x + 4, reinterpret_cast<std::uint8_t*>(&word));
            const std::uint32_t alpha = word >> 24;
            check((word >> 16 & 0xFF) <= alpha && (word >> 8 & 0xFF) <= alpha && (word & 0xFF) <= alpha);
        }
    }
}

inline void fuzzPicture(const std::uint8_t* data, std::size_t size, std::span<const std::uint8_t> magic)
{
    static MemoryFile file;
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() < magic.size())
        bytes.resize(magic.size());
    std::copy(magic.begin(), magic.end(), bytes.begin());
    const std::string& path = file.write(bytes);

    const ImageHeaderCheck fromMemory = checkImageHeader(bytes);
    const ImageHeaderCheck fromFile = checkImageHeader(std::filesystem::path(path));
    check(fromMemory.header.has_value() == fromFile.header.has_value());
    check(fromMemory.header.has_value() == fromMemory.problem.empty());
    if (fromMemory.header) {
        check(fromMemory.header->pixelWidth == fromFile.header->pixelWidth);
        check(fromMemory.header->pixelHeight == fromFile.header->pixelHeight);
        check(fromMemory.header->orientation == fromFile.header->orientation);
    }

    const auto& header = fromMemory.header;
    if (header && static_cast<std::int64_t>(header->pixelWidth) * header->pixelHeight > kMaxFuzzedPixels)
        return;
    if (auto drawn = decodeImage(path, 612, 388)) {
        check(fromMemory.header.has_value());
        checkWellFormed(*drawn);
    }
    if (header) {
        if (auto full = decodeImage(path, 0, 0)) {
            check(full->width == header->orientedWidth() && full->height == header->orientedHeight());
            checkWellFormed(*full);
        }
    }
}

}
