#include "tools/pictures/GifLzw.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

namespace pictures {

Bytes gifImageData(int minimumCodeSize, const Bytes& packedCodes)
{
    Bytes out { static_cast<std::uint8_t>(minimumCodeSize) };
    for (std::size_t at = 0; at < packedCodes.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, packedCodes.size() - at);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), packedCodes.begin() + static_cast<std::ptrdiff_t>(at), packedCodes.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    out.push_back(0);
    return out;
}

Bytes encodeGifLzw(const std::vector<int>& indices, int minimumCodeSize, GifLzwOptions options)
{
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    std::map<std::pair<int, int>, int> table;
    int next = end + 1, width = minimumCodeSize + 1;
    Bytes packed;
    std::uint32_t bits = 0;
    int count = 0;
    auto emit = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << count;
        count += width;
        while (count >= 8) {
            packed.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    if (options.leadingClear)
        emit(clear);
    int prefix = indices.empty() ? -1 : indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        auto found = table.find({ prefix, indices[i] });
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        emit(prefix);
        if (next < 4096) {
            table[{ prefix, indices[i] }] = next++;
            if (next > (1 << width) && width < 12)
                ++width;
        } else if (options.clearWhenFull) {
            emit(clear);
            table.clear();
            next = end + 1;
            width = minimumCodeSize + 1;
        }
        prefix = indices[i];
    }
    if (prefix >= 0)
        emit(prefix);
    emit(end);
    if (count > 0)
        packed.push_back(static_cast<std::uint8_t>(bits));
    return gifImageData(minimumCodeSize, packed);
}

}
