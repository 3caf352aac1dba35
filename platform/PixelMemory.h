#pragma once

#include <cstddef>
#include <cstdint>

// Zeroed bytes for pictures and frames. Large ones come straight from the system, in whole huge
// pages where the kernel grants them: a picture of a megabyte or more touches hundreds of small pages
// when it is first written, and on a virtual machine each of those faults costs some ten
// microseconds, more than drawing the picture; a huge page costs one fault. A block is rounded up to
// whole huge pages, so one of half a megabyte may hold up to four times its size while it lives.
// Where the kernel grants none (or is told never to), the same memory is used in small pages, so the
// choice is safe to make everywhere. Copies are deep.
class PixelMemory {
public:
    PixelMemory() = default;
    // `bytes` zeroed bytes; std::bad_alloc when there is no memory.
    explicit PixelMemory(std::size_t bytes);
    ~PixelMemory();
    PixelMemory(PixelMemory&&) noexcept;
    PixelMemory& operator=(PixelMemory&&) noexcept;
    PixelMemory(const PixelMemory&);
    PixelMemory& operator=(const PixelMemory&);

    std::uint8_t* data() { return m_data; }
    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // The memory the block holds: its size, or its whole huge pages.
    std::size_t footprint() const { return m_mappedBytes > 0 ? m_mappedBytes : m_size; }
    std::uint8_t& operator[](std::size_t index) { return m_data[index]; }
    const std::uint8_t& operator[](std::size_t index) const { return m_data[index]; }

    friend bool operator==(const PixelMemory&, const PixelMemory&);

    // From this size on, memory comes in whole huge pages, except under AddressSanitizer: it watches
    // only the heap, and the decoders' tests and fuzzers rely on it to catch a write past a picture.
    static constexpr std::size_t kHugePageThreshold = std::size_t { 512 } << 10;
    static constexpr std::size_t kHugePageBytes = std::size_t { 2 } << 20;
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kMapsLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    static constexpr bool kMapsLargeBlocks = false;
#else
    static constexpr bool kMapsLargeBlocks = true;
#endif
#else
    static constexpr bool kMapsLargeBlocks = true;
#endif

private:
    void release() noexcept;

    std::uint8_t* m_data { nullptr };
    std::size_t m_size { 0 };
    std::size_t m_mappedBytes { 0 }; // Nonzero when mapped from the system rather than the heap.
};
