#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace orvessa {

// Where an encoder's bytes go as it makes them: appended in order, so nothing need be held until the
// end, and patched where a container's header learns its sizes only when the rest is written.
// NOTE: Implementations throw when the bytes cannot be kept (OutputError for a file); the encoder
// lets the exception pass and writes nothing more.
class ByteOutput {
public:
    virtual ~ByteOutput() = default;

    virtual void append(std::span<const std::uint8_t>) = 0;
    // Writes over bytes already appended, from `offset`; throws std::out_of_range past the end.
    virtual void overwrite(std::uint64_t offset, std::span<const std::uint8_t>) = 0;
};

// Bytes kept in memory: for tests and benchmarks, and whoever wants the whole file at once.
class MemoryOutput final : public ByteOutput {
public:
    void append(std::span<const std::uint8_t> bytes) override { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    void overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override
    {
        if (offset > m_bytes.size() || bytes.size() > m_bytes.size() - offset)
            throw std::out_of_range("a patch past the bytes written");
        std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + std::ptrdiff_t(offset));
    }

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

}
