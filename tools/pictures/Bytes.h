#pragma once

// Bytes as the file formats lay them out: fixed-width integers in either byte order, and text.

#include <cstdint>
#include <string_view>
#include <vector>

namespace pictures {

using Bytes = std::vector<std::uint8_t>;

// Appends the low `size` bytes of `value` (1 to 8), most significant first.
void putBigEndian(Bytes&, std::uint64_t value, int size);
// Appends the low `size` bytes of `value` (1 to 8), least significant first.
void putLittleEndian(Bytes&, std::uint64_t value, int size);
void putText(Bytes&, std::string_view);

}
