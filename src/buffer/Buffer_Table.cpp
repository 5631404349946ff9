#include "buffer/Buffer_Table.h"

#include <algorithm>
#include <vector>

#include "buffer/Buffer_Fast.h"
#include "buffer/Buffer_Standard.h"

namespace {

constexpr size_t FIRST_SLOT_COUNT = 32;

std::vector<IBuffer*> g_Buffers;

} // namespace

int32_t Buffer_Add(IBuffer* buffer)
{
    auto free = std::find(g_Buffers.begin(), g_Buffers.end(), nullptr);
    size_t index = static_cast<size_t>(free - g_Buffers.begin());
    if (free == g_Buffers.end()) g_Buffers.resize(std::max(FIRST_SLOT_COUNT, g_Buffers.size() * 2), nullptr);
    g_Buffers[index] = buffer;
    return static_cast<int32_t>(index);
}

int32_t Buffer_Create(int32_t size, int32_t kind, int32_t alignment)
{
    if (kind == eBuffer_Fast) return Buffer_Add(new Buffer_Fast(size, alignment));
    return Buffer_Add(new Buffer_Standard(size, kind, alignment));
}

int32_t Buffer_Wrap(uint8_t* memory, int32_t size, bool owns)
{
    return Buffer_Add(new Buffer_Standard(memory, size, eBuffer_Fixed, owns));
}

IBuffer* Buffer_Get(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_Buffers.size()) return nullptr;
    return g_Buffers[static_cast<size_t>(index)];
}

void Buffer_Delete(int32_t index)
{
    IBuffer* buffer = Buffer_Get(index);
    if (buffer == nullptr) return;
    delete buffer;
    g_Buffers[static_cast<size_t>(index)] = nullptr;
}

int32_t Buffer_SlotCount()
{
    return static_cast<int32_t>(g_Buffers.size());
}

void Buffer_DeleteAll()
{
    for (IBuffer* buffer : g_Buffers)
        delete buffer;
    g_Buffers.clear();
}
