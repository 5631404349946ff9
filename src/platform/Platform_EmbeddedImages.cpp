#include "platform/Platform_EmbeddedImages.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "graphics/Graphics_DeviceAll.h"
#include "platform/Platform_EmbeddedDrawing.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- the table ----

const uint8_t* g_Table = nullptr;
bool g_BuiltIn = false; // the program's own images instead of a table

uint32_t TableWord(uint32_t offset)
{
    uint32_t value;
    std::memcpy(&value, g_Table + offset, sizeof value);
    return value;
}

bool InTable(int32_t index) { return g_Table != nullptr && index >= 0 && uint32_t(index) < TableWord(0); }

void PutWord(Bytes& out, size_t at, uint32_t value) { std::memcpy(out.data() + at, &value, sizeof value); }

// The particle shapes' files as the build drew them (EMBEDDED_SHAPES_DRAWN), by the drawing code the
// program has, so that a start-up spends no time drawing them.
#include "Platform_EmbeddedShapes.inc"

Bytes MakeImage(int32_t index)
{
    int32_t shape = index - EMBEDDED_IMAGE_FIRST_SHAPE;
    if (shape < 0 || shape >= EMBEDDED_IMAGE_SHAPE_COUNT) return EmbeddedImage_Draw(index);
    const uint8_t* drawn = EMBEDDED_SHAPES_DRAWN[shape];
    return Bytes(drawn, drawn + EMBEDDED_SHAPE_BYTES);
}

// The others are drawn on their first request: the overlay font and the emblem are asked for only
// where they are shown.
const Bytes& BuiltInImage(int32_t index)
{
    static Bytes images[EMBEDDED_IMAGE_COUNT];
    static std::once_flag made[EMBEDDED_IMAGE_COUNT];
    std::call_once(made[index], [index] { images[index] = MakeImage(index); });
    return images[index];
}

bool InBuiltIn(int32_t index) { return g_BuiltIn && index >= 0 && index < EMBEDDED_IMAGE_COUNT; }

Bytes BuildTable()
{
    Bytes table(4 + size_t(EMBEDDED_IMAGE_COUNT) * 8, 0);
    PutWord(table, 0, uint32_t(EMBEDDED_IMAGE_COUNT));
    for (int32_t i = 0; i < EMBEDDED_IMAGE_COUNT; ++i) {
        const Bytes& image = BuiltInImage(i);
        PutWord(table, 4 + size_t(i) * 8, uint32_t(image.size()));
        PutWord(table, 8 + size_t(i) * 8, uint32_t(table.size()));
        table.insert(table.end(), image.begin(), image.end());
    }
    return table;
}

} // namespace

void EmbeddedImage_SetTable(const uint8_t* table)
{
    g_Table = table;
    g_BuiltIn = false;
}

void EmbeddedImage_UseBuiltIn()
{
    g_Table = nullptr;
    g_BuiltIn = true;
}

const uint8_t* EmbeddedImage_Data(int32_t index)
{
    if (InBuiltIn(index)) {
        const Bytes& image = BuiltInImage(index);
        return image.empty() ? nullptr : image.data();
    }
    return InTable(index) ? g_Table + TableWord(8 + uint32_t(index) * 8) : nullptr;
}

int32_t EmbeddedImage_Size(int32_t index)
{
    if (InBuiltIn(index)) return static_cast<int32_t>(BuiltInImage(index).size());
    return InTable(index) ? static_cast<int32_t>(TableWord(4 + uint32_t(index) * 8)) : 0;
}

DeviceTexture* EmbeddedImage_Decode(int32_t index)
{
    DeviceTextureInfo info;
    return GR_Texture_CreateFromData(EmbeddedImage_Data(index), EmbeddedImage_Size(index), &info, 0);
}

const uint8_t* EmbeddedImage_BuiltInTable()
{
    static const Bytes table = BuildTable();
    return table.data();
}
