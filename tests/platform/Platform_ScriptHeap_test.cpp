#include "platform/Platform_ScriptHeap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

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
