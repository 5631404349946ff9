#include "font/Font_Table.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Text.h"
#include "base/Base_Utf8.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"
#include "sprite/Sprite_Table.h"

namespace {

// Both arrays are the table's capacity long; entries from the count on are unused.
std::vector<CFontKV*> g_Fonts;
std::vector<char*> g_Names;
int32_t g_Count = 0;
// The chunk's 256 character codes; empty when the chunk gave none.
std::vector<uint16_t> g_Characters;

constexpr uint32_t CHARACTER_TABLE_BYTES = 512;
constexpr int32_t GROWTH = 5;

bool Valid(int32_t index)
{
    return index >= 0 && index < g_Count;
}

void FreeSlot(size_t slot)
{
    delete g_Fonts[slot];
    MemoryManager::Free(g_Names[slot]);
    g_Fonts[slot] = nullptr;
    g_Names[slot] = nullptr;
}

int32_t Append(CFontKV* font)
{
    if (g_Count == int32_t(g_Fonts.size())) {
        g_Fonts.resize(g_Fonts.size() + GROWTH, nullptr);
        g_Names.resize(g_Names.size() + GROWTH, nullptr);
    }
    int32_t index = g_Count++;
    g_Fonts[size_t(index)] = font;
    g_Names[size_t(index)] = String_Copy(("__newfont" + std::to_string(index)).c_str());
    return index;
}

bool Put(int32_t index, CFontKV* font)
{
    if (!Valid(index)) {
        delete font;
        return false;
    }
    delete g_Fonts[size_t(index)];
    g_Fonts[size_t(index)] = font;
    return true;
}

// Frame k of the sprite takes the code `first + k` through the character table; a code outside the
// table, or every code when there is no table, stands for itself.
std::string SpriteMap(int32_t sprite, int32_t first, bool throughTable)
{
    std::string map;
    int32_t frames = Sprite_Exists(sprite) ? Sprite_Get(sprite)->GetFrameCount() : 0;
    for (int32_t k = 0; k < frames; ++k) {
        int64_t code = int64_t(first) + k;
        if (throughTable && code >= 0 && code < int64_t(g_Characters.size())) code = g_Characters[size_t(code)];
        char bytes[4] = {};
        char* at = bytes;
        UTF8_AddChar(&at, uint16_t(code));
        map.append(bytes, size_t(at - bytes));
    }
    return map;
}

CFontKV* SpriteFont(int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    auto* font = new CFontKV();
    font->BuildFromSprite(sprite, map, proportional, separation);
    return font;
}

CFontKV* SystemFont(const char* name, int32_t size, bool bold, bool italic, int32_t first, int32_t last)
{
    auto* font = new CFontKV();
    font->BuildFromSystemFont(name, size, bold, italic, first, last);
    return font;
}

} // namespace

// ---- lookups -------------------------------------------------------------------------------------

bool Font_Exists(int32_t index)
{
    return Valid(index) && g_Fonts[size_t(index)] != nullptr;
}

CFontKV* Font_Data(int32_t index)
{
    return Valid(index) ? g_Fonts[size_t(index)] : nullptr;
}

const char* Font_Name(int32_t index)
{
    return Font_Exists(index) ? g_Names[size_t(index)] : "<undefined>";
}

int32_t Font_Find(const char* name)
{
    if (name == nullptr) return -1;
    for (int32_t i = 0; i < g_Count; ++i)
        if (g_Fonts[size_t(i)] != nullptr && g_Names[size_t(i)] != nullptr && std::strcmp(g_Names[size_t(i)], name) == 0)
            return i;
    return -1;
}

int32_t Font_Count()
{
    return g_Count;
}

int32_t Font_Capacity()
{
    return int32_t(g_Fonts.size());
}

// ---- the font chunk ------------------------------------------------------------------------------

bool Font_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "FONT", body, length, table)) return false;
    Font_Clear();
    g_Fonts.assign(table.count, nullptr);
    g_Names.assign(table.count, nullptr);
    g_Count = int32_t(table.count);
    // The character table ends the body; a body too short to hold it after the offsets has none.
    if (uint64_t(length) >= 4 + 4 * uint64_t(table.count) + CHARACTER_TABLE_BYTES) {
        g_Characters.resize(CHARACTER_TABLE_BYTES / 2);
        for (size_t i = 0; i < g_Characters.size(); ++i)
            file.U16(body + length - CHARACTER_TABLE_BYTES + uint32_t(2 * i), g_Characters[i]);
    }
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        auto* font = new CFontKV();
        g_Fonts[i] = font;
        GameFileEntry record(file, "FONT", "font " + std::to_string(i), at);
        uint32_t nameAt = 0;
        const char* name = nullptr;
        if (!font->LoadFromChunk(record) || !file.U32(at, nameAt) ||
            !record.String("its name", nameAt, name)) {
            Font_Clear();
            return false;
        }
        g_Names[i] = String_Copy(name != nullptr ? name : "");
    }
    return true;
}

// ---- changes while the game runs -----------------------------------------------------------------

int32_t Font_Add(const char* name, int32_t size, bool bold, bool italic, int32_t first, int32_t last)
{
    return Append(SystemFont(name, size, bold, italic, first, last));
}

int32_t Font_AddSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation)
{
    return Append(SpriteFont(sprite, SpriteMap(sprite, first, true).c_str(), proportional, separation));
}

int32_t Font_AddSpriteExt(int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    return Append(SpriteFont(sprite, map, proportional, separation));
}

bool Font_Replace(int32_t index, const char* name, int32_t size, bool bold, bool italic, int32_t first,
                  int32_t last)
{
    return Valid(index) && Put(index, SystemFont(name, size, bold, italic, first, last));
}

bool Font_ReplaceSprite(int32_t index, int32_t sprite, int32_t first, bool proportional, int32_t separation)
{
    return Valid(index) && Put(index, SpriteFont(sprite, SpriteMap(sprite, first, false).c_str(), proportional,
                                                 separation));
}

bool Font_ReplaceSpriteExt(int32_t index, int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    return Valid(index) && Put(index, SpriteFont(sprite, map, proportional, separation));
}

bool Font_Delete(int32_t index)
{
    if (!Font_Exists(index)) return false;
    FreeSlot(size_t(index));
    return true;
}

// ---- textures and the table's life ---------------------------------------------------------------

void Font_InitTextures()
{
    for (int32_t i = 0; i < g_Count; ++i)
        if (CFontKV* font = g_Fonts[size_t(i)]) font->CreateTexture();
}

void Font_FreeTextures()
{
    for (int32_t i = 0; i < g_Count; ++i)
        if (CFontKV* font = g_Fonts[size_t(i)]) font->FreeTexture();
}

void Font_Clear()
{
    Font_FreeTextures();
    for (size_t i = 0; i < g_Fonts.size(); ++i) FreeSlot(i);
    g_Fonts.clear();
    g_Names.clear();
    g_Count = 0;
    g_Characters.clear();
}

void Font_Shutdown()
{
    Font_Clear();
}
