#pragma once

// GIF's flavour of LZW; not part of the platform's interface.

#include <array>
#include <cstdint>
#include <functional>
#include <span>

// Codes are read least significant bit first, from one bit more than the minimum code size up to
// 12 bits. A clear code resets the table, the end code stops. As the format allows, data may start
// without a clear code, and a full table is kept until the encoder clears it (a deferred clear).
// Every code costs constant time, a clear too, so time follows the data and the pixels given.
class GifLzwDecoder {
public:
    using Sink = std::function<void(const std::uint8_t* indices, std::size_t count)>;

    // A minimum code size outside 1 to 11 gives a decoder that is ended from the start.
    GifLzwDecoder(int minimumCodeSize, Sink);

    // Decodes one data sub-block, handing out indices as codes give them. Stops for good at the
    // end code or at a code that cannot be decoded.
    void decode(std::span<const std::uint8_t> bytes);
    bool ended() const { return m_ended; }
    // No more codes are wanted, e.g. once the frame is full.
    void end() { m_ended = true; }

private:
    void reset();
    void handle(int code);
    void emit(int code);

    static constexpr int kTableSize = 4096;

    Sink m_sink;
    int m_minimumCodeSize { 0 };
    int m_clear { 0 };
    int m_codeSize { 0 };
    int m_next { 0 }; // The code the next table entry gets.
    int m_previous { -1 }; // None right after a clear.
    std::uint32_t m_bits { 0 };
    int m_bitCount { 0 };
    bool m_ended { false };
    std::array<std::uint16_t, kTableSize> m_prefix {};
    std::array<std::uint8_t, kTableSize> m_suffix {};
    std::array<std::uint8_t, kTableSize> m_first {}; // First index of each code's string.
    std::array<std::uint16_t, kTableSize> m_length {};
    std::array<std::uint8_t, kTableSize> m_string {};
};
