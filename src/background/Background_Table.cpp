#include "background/Background_Table.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_ResourceSlots.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

namespace {

ResourceSlots<CBackground> g_Table{"__newbackground", {}, {}};

constexpr uint32_t RECORD_SIZE = 20;
// The frame's whole width and height are the entry's ninth and tenth 16-bit fields.
constexpr uint32_t ENTRY_FRAME_SIZE_AT = 16;

bool FileExists(const char* name)
{
    return name != nullptr && (LoadSave_FileExistsSaveArea(name) || LoadSave_FileExistsBundle(name));
}

// ---- the background chunk ------------------------------------------------------------------------

int32_t FrameSide(const GameFile& file, uint32_t at)
{
    uint16_t side = 0;
    file.U16(at, side);
    return int16_t(side);
}

bool LoadRecord(const GameFileEntry& record, CBackground& background, const char*& name)
{
    const GameFile& file = record.File();
    uint32_t words[5] = {};
    if (!record.Holds("its record", record.At(), RECORD_SIZE)) return false;
    for (uint32_t i = 0; i < 5; ++i)
        file.U32(record.At() + i * 4, words[i]);
    if (!record.String("its name", words[0], name)) return false;
    uint32_t entry = words[4];
    if (entry != 0 && !record.Holds("its page entry", entry, TEXTURE_PAGE_ENTRY_SIZE)) return false;
    int32_t width = entry != 0 ? FrameSide(file, entry + ENTRY_FRAME_SIZE_AT) : 0;
    int32_t height = entry != 0 ? FrameSide(file, entry + ENTRY_FRAME_SIZE_AT + 2) : 0;
    background.SetFromFile(entry, width, height, words[1] != 0, words[2] != 0, words[3] != 0);
    return true;
}

} // namespace

// ---- lookups -------------------------------------------------------------------------------------

bool Background_Exists(int32_t index)
{
    return g_Table.Exists(index);
}

CBackground* Background_Data(int32_t index)
{
    return g_Table.Data(index);
}

const char* Background_Name(int32_t index)
{
    return g_Table.Name(index);
}

int32_t Background_Find(const char* name)
{
    return g_Table.Find(name);
}

int32_t Background_Count()
{
    return g_Table.Count();
}

// ---- the table's life ----------------------------------------------------------------------------

void Background_Reset()
{
    g_Table.Reset();
}

bool Background_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "BGND", body, length, table)) return false;
    Background_Reset();
    g_Table.items.assign(table.count, nullptr);
    g_Table.names.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        auto* background = new CBackground();
        const char* name = nullptr;
        if (!LoadRecord(GameFileEntry(file, "BGND", "background " + std::to_string(i), at), *background,
                        name)) {
            delete background;
            return false;
        }
        g_Table.items[i] = background;
        g_Table.names[i] = String_Copy(name != nullptr ? name : "");
    }
    return true;
}

void Background_InitTextures()
{
    for (CBackground* background : g_Table.items)
        if (background != nullptr) background->CreateTexture();
}

void Background_Clear()
{
    for (char*& name : g_Table.names) {
        MemoryManager::Free(name);
        name = nullptr;
    }
    for (CBackground* background : g_Table.items)
        if (background != nullptr) background->FreeTexture();
    Background_Free();
}

void Background_Free()
{
    Background_Reset();
}

// ---- changes while the game runs -----------------------------------------------------------------

int32_t Background_AddEmpty()
{
    return g_Table.Append(new CBackground());
}

int32_t Background_Add(const char* name, bool removeBackground, bool smooth, bool preload)
{
    if (!FileExists(name)) return -1;
    int32_t index = g_Table.Append(new CBackground());
    if (!g_Table.items[size_t(index)]->CreateFromFile(name, removeBackground, smooth, preload, !removeBackground))
        return g_Table.DropLast();
    return index;
}

int32_t Background_AddAlpha(const char* name, bool preload)
{
    if (!FileExists(name)) return -1;
    int32_t index = g_Table.Append(new CBackground());
    if (!g_Table.items[size_t(index)]->CreateFromFile(name, true, false, preload, true)) return g_Table.DropLast();
    return index;
}

namespace {

bool ReplaceFrom(int32_t index, const char* name, bool removeBackground, bool smooth, bool preload, bool keepAlpha)
{
    if (!g_Table.Valid(index) || !FileExists(name)) return false;
    CBackground*& background = g_Table.items[size_t(index)];
    if (background == nullptr) background = new CBackground();
    return background->CreateFromFile(name, removeBackground, smooth, preload, keepAlpha);
}

} // namespace

bool Background_Replace(int32_t index, const char* name, bool removeBackground, bool smooth, bool preload)
{
    return ReplaceFrom(index, name, removeBackground, smooth, preload, !removeBackground);
}

bool Background_ReplaceAlpha(int32_t index, const char* name, bool preload)
{
    return ReplaceFrom(index, name, true, false, preload, true);
}

bool Background_Delete(int32_t index)
{
    if (!Background_Exists(index)) return false;
    g_Table.FreeSlot(size_t(index));
    return true;
}

int32_t Background_Duplicate(int32_t index)
{
    if (!Background_Exists(index)) return -1;
    int32_t copy = g_Table.Append(new CBackground());
    CBackground* background = g_Table.items[size_t(copy)];
    background->Assign(g_Table.items[size_t(index)]);
    if (background->GetBitmap() == nullptr) background->LoadBitmapFromTexturePage();
    return copy;
}

bool Background_Assign(int32_t destination, int32_t source)
{
    if (!g_Table.Valid(destination) || !Background_Exists(source)) return false;
    // Onto itself: the copy would clear its own source first.
    if (destination == source) return true;
    CBackground*& target = g_Table.items[size_t(destination)];
    if (target == nullptr) target = new CBackground();
    target->Assign(g_Table.items[size_t(source)]);
    return true;
}
