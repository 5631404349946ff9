#include "platform/Platform_ScriptHeap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "../TestSupport_ProcessMemory.h"

TEST(ScriptHeap, AFourGigabyteRangeWhoseReferencesDecodeBackToTheirBlocks)
{
    ASSERT_TRUE(ScriptHeap_Init());
    EXPECT_EQ(size_t(4) << 30, ScriptHeap_Size());
    EXPECT_NE(0u, ScriptHeap_Base());
    std::vector<void*> blocks;
    for (size_t size : {1u, 70000u, 3u << 20}) blocks.push_back(ScriptHeap_Malloc(size));
    for (void* block : blocks) {
        ASSERT_TRUE(ScriptHeap_Contains(block));
        EXPECT_EQ(block, ScriptHeap_Get<char>(ScriptHeap_Ref(block)));
    }
    for (void* block : blocks) ScriptHeap_Free(block);
    EXPECT_EQ(0u, ScriptHeap_Ref(nullptr));
    EXPECT_EQ(nullptr, ScriptHeap_Ptr(0));
    EXPECT_EQ(nullptr, ScriptHeap_Malloc(size_t(5) << 30)); // larger than the range

    // Memory of the runtime heap, the stack, and just past the range is outside.
    auto* foreign = static_cast<char*>(std::malloc(32));
    foreign[0] = 1;
    int onStack = 0;
    EXPECT_FALSE(ScriptHeap_Contains(foreign) || ScriptHeap_Contains(&onStack));
    EXPECT_FALSE(ScriptHeap_Contains(reinterpret_cast<void*>(ScriptHeap_Base() + ScriptHeap_Size())));
    std::free(foreign);
}

// Under an address-space limit the range is the largest half that leaves the rest of the run its
// room, else the smallest alone, else none.
TEST(ScriptHeap, TheRangeShrinksToTheAddressSpaceLeft)
{
    constexpr size_t MiB = size_t(1) << 20;
    static size_t left = 0;
    // (address space left, range)
    const std::pair<size_t, size_t> cases[] = {
        {SIZE_MAX, 4096 * MiB},         {(4096 + 768) * MiB, 4096 * MiB}, {(4096 + 768) * MiB - 1, 2048 * MiB},
        {(512 + 768) * MiB, 512 * MiB}, {(128 + 768) * MiB, 128 * MiB},   {(128 + 767) * MiB, 128 * MiB},
        {128 * MiB, 128 * MiB},         {127 * MiB, 0}};
    for (const auto& [space, expected] : cases) {
        left = space;
        EXPECT_EQ(expected, ScriptHeap_RangeSize([](size_t bytes) { return bytes <= left; })) << space / MiB << " MiB";
    }
}

namespace {

size_t DataBytes() { return testsupport::ProcessStatusBytes("VmData:"); }

} // namespace

// A block too large to share the allocator's segments commits at once what the check before it
// asked for: never more, or a refused commit would be written into.
TEST(ScriptHeap, ALargeBlockCommitsWhatItsCheckAskedFor)
{
    constexpr size_t MiB = size_t(1) << 20;
    ASSERT_TRUE(ScriptHeap_Init());
    std::vector<void*> kept;
    // Just over and just under the steps where the allocator rounds differently; 64,000,032 bytes is
    // what a 2000 x 2000 grid asks of the heap.
    for (size_t size : {16 * MiB + 1, 31 * MiB + 1, 32 * MiB + 1, 48 * MiB + 1, 63 * MiB, 64000032ul, 64 * MiB + 1,
                        96 * MiB + 1, 200000000ul}) {
        size_t before = DataBytes();
        void* block = ScriptHeap_Malloc(size);
        ASSERT_NE(nullptr, block) << size;
        kept.push_back(block);
        EXPECT_EQ(DataBytes() - before, ScriptHeap_SegmentCommit(size)) << size << " bytes";
    }
    for (void* block : kept) ScriptHeap_Free(block);
}
