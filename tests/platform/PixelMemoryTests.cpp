#include "platform/PixelMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

bool allZero(const PixelMemory& memory)
{
    for (std::size_t i = 0; i < memory.size(); ++i) {
        if (memory[i] != 0)
            return false;
    }
    return true;
}

}

TEST(PixelMemory, SmallAndLargeBlocksComeZeroedWritableAndLargeOnesOnAHugePageBoundary)
{
    for (std::size_t bytes : { std::size_t { 1 }, std::size_t { 4096 }, PixelMemory::kHugePageThreshold - 1, PixelMemory::kHugePageThreshold,
             PixelMemory::kHugePageBytes, PixelMemory::kHugePageBytes + 1, std::size_t { 640 * 480 * 4 }, std::size_t { 1008 * 756 * 4 } }) {
        PixelMemory memory(bytes);
        ASSERT_EQ(memory.size(), bytes);
        ASSERT_NE(memory.data(), nullptr);
        EXPECT_TRUE(allZero(memory)) << bytes;
        memory[0] = 1;
        memory[bytes - 1] = 2;
        EXPECT_EQ(memory[bytes - 1], 2) << bytes;
        if (PixelMemory::kMapsLargeBlocks && bytes >= PixelMemory::kHugePageThreshold) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory.data()) % PixelMemory::kHugePageBytes, 0u) << bytes;
            EXPECT_EQ(memory.footprint() % PixelMemory::kHugePageBytes, 0u) << bytes;
            EXPECT_GE(memory.footprint(), bytes);
        } else {
            EXPECT_EQ(memory.footprint(), bytes);
        }
    }
    PixelMemory none(0);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none, PixelMemory {});
}

TEST(PixelMemory, CopiesAreDeepAndMovesLeaveTheSourceEmpty)
{
    for (std::size_t bytes : { std::size_t { 100 }, std::size_t { 3 } << 20 }) {
        PixelMemory original(bytes);
        original[7] = 42;
        PixelMemory copy = original;
        EXPECT_EQ(copy, original);
        EXPECT_NE(copy.data(), original.data());
        copy[7] = 43;
        EXPECT_FALSE(copy == original);
        EXPECT_EQ(original[7], 42);

        PixelMemory moved = std::move(original);
        EXPECT_TRUE(original.empty()); // NOLINT(bugprone-use-after-move): the moved-from state is what is checked.
        EXPECT_EQ(moved.size(), bytes);
        EXPECT_EQ(moved[7], 42);
        moved = copy;
        EXPECT_EQ(moved[7], 43);
        copy = PixelMemory(10);
        EXPECT_EQ(copy.size(), 10u);
        EXPECT_TRUE(allZero(copy));
    }
}
