#include "platform/PixelMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// `bytes` rounded up to whole huge pages, mapped at a huge page's boundary (the kernel only backs an
// aligned 2 MiB range with a huge page): the mapping is made one huge page longer and trimmed.
std::uint8_t* mapHugePages(std::size_t bytes, std::size_t& mappedBytes)
{
    constexpr std::size_t kHuge = PixelMemory::kHugePageBytes;
    if (bytes > SIZE_MAX - 2 * kHuge)
        throw std::bad_alloc();
    const std::size_t length = (bytes + kHuge - 1) / kHuge * kHuge;
    void* raw = ::mmap(nullptr, length + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    auto* base = static_cast<std::uint8_t*>(raw);
    const std::size_t head = (kHuge - reinterpret_cast<std::uintptr_t>(raw) % kHuge) % kHuge;
    std::uint8_t* aligned = base + head;
    if (head > 0)
        ::munmap(base, head);
    if (std::size_t tail = kHuge - head; tail > 0)
        ::munmap(aligned + length, tail);
    // Advice only: refused where huge pages are off, and the memory works the same without.
    ::madvise(aligned, length, MADV_HUGEPAGE);
    mappedBytes = length;
    return aligned;
}

}

PixelMemory::PixelMemory(std::size_t bytes)
    : m_size(bytes)
{
    if (bytes == 0)
        return;
    if (kMapsLargeBlocks && bytes >= kHugePageThreshold) {
        m_data = mapHugePages(bytes, m_mappedBytes);
        return;
    }
    m_data = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (!m_data)
        throw std::bad_alloc();
}

PixelMemory::~PixelMemory()
{
    release();
}

void PixelMemory::release() noexcept
{
    if (m_mappedBytes > 0)
        ::munmap(m_data, m_mappedBytes);
    else
        std::free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_mappedBytes = 0;
}

PixelMemory::PixelMemory(PixelMemory&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_mappedBytes(std::exchange(other.m_mappedBytes, 0))
{
}

PixelMemory& PixelMemory::operator=(PixelMemory&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mappedBytes = std::exchange(other.m_mappedBytes, 0);
    }
    return *this;
}

PixelMemory::PixelMemory(const PixelMemory& other)
    : PixelMemory(other.m_size)
{
    if (m_size > 0)
        std::memcpy(m_data, other.m_data, m_size);
}

PixelMemory& PixelMemory::operator=(const PixelMemory& other)
{
    if (this != &other)
        *this = PixelMemory(other);
    return *this;
}

bool operator==(const PixelMemory& a, const PixelMemory& b)
{
    return a.m_size == b.m_size && (a.m_size == 0 || std::memcmp(a.m_data, b.m_data, a.m_size) == 0);
}
