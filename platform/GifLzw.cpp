#include "platform/GifLzw.h"

GifLzwDecoder::GifLzwDecoder(int minimumCodeSize, Sink sink)
    : m_sink(std::move(sink))
    , m_minimumCodeSize(minimumCodeSize)
    , m_clear(1 << minimumCodeSize)
{
    if (minimumCodeSize < 1 || minimumCodeSize > 11) {
        m_ended = true;
        return;
    }
    for (int code = 0; code < m_clear; ++code) {
        m_suffix[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
        m_first[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
        m_length[static_cast<std::size_t>(code)] = 1;
    }
    reset();
}

// NOTE: Entries past the literals are overwritten before they are read, so a clear only resets
// the counters: no table to wipe, whatever the number of clear codes.
void GifLzwDecoder::reset()
{
    m_codeSize = m_minimumCodeSize + 1;
    m_next = m_clear + 2;
    m_previous = -1;
}

void GifLzwDecoder::decode(std::span<const std::uint8_t> bytes)
{
    for (std::uint8_t byte : bytes) {
        if (m_ended)
            return;
        m_bits |= static_cast<std::uint32_t>(byte) << m_bitCount;
        m_bitCount += 8;
        while (m_bitCount >= m_codeSize && !m_ended) {
            const int code = static_cast<int>(m_bits & ((1u << m_codeSize) - 1));
            m_bits >>= m_codeSize;
            m_bitCount -= m_codeSize;
            handle(code);
        }
    }
}

void GifLzwDecoder::handle(int code)
{
    if (code == m_clear) {
        reset();
        return;
    }
    if (code == m_clear + 1) {
        m_ended = true;
        return;
    }
    if (m_previous < 0) {
        // The first code after a clear (or at the start) is a literal index.
        if (code > m_clear) {
            m_ended = true;
            return;
        }
        emit(code);
        m_previous = code;
        return;
    }
    // A known code, or the one about to be made (its string is the previous one and its first index).
    if (code > m_next || (code == m_next && m_next >= kTableSize)) {
        m_ended = true;
        return;
    }
    if (m_next < kTableSize) {
        const auto entry = static_cast<std::size_t>(m_next);
        const auto previous = static_cast<std::size_t>(m_previous);
        m_prefix[entry] = static_cast<std::uint16_t>(m_previous);
        m_suffix[entry] = code < m_next ? m_first[static_cast<std::size_t>(code)] : m_first[previous];
        m_first[entry] = m_first[previous];
        m_length[entry] = static_cast<std::uint16_t>(m_length[previous] + 1);
        ++m_next;
        if (m_next == (1 << m_codeSize) && m_codeSize < 12)
            ++m_codeSize;
    }
    emit(code);
    m_previous = code;
}

void GifLzwDecoder::emit(int code)
{
    std::size_t length = m_length[static_cast<std::size_t>(code)];
    std::size_t at = length;
    for (int c = code; at > 0; c = m_prefix[static_cast<std::size_t>(c)])
        m_string[--at] = m_suffix[static_cast<std::size_t>(c)];
    m_sink(m_string.data(), length);
}
