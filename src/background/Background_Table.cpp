#include "background/Background_Table.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

namespace {

std::vector<CBackground*> g_Backgrounds; // null for an empty slot
std::vector<char*> g_Names;              // the table's copies, null for an empty slot

constexpr uint32_t RECORD_SIZE = 20;
// The frame's whole width and height are the entry's ninth and tenth 16-bit fields.
constexpr uint32_t ENTRY_FRAME_SIZE_AT = 16;

bool Valid(int32_t index)
{
    return index >= 0 && size_t(index) < g_Backgrounds.size();
}

void FreeSlot(size_t slot)
{
    delete g_Backgrounds[slot];
    MemoryManager::Free(g_Names[slot]);
    g_Backgrounds[slot] = nullptr;
    g_Names[slot] = nullptr;
}

int32_t Append(CBackground* background)
{
    auto index = static_cast<int32_t>(g_Backgrounds.size());
    std::string name = "__newbackground" + std::to_string(index);
    g_Backgrounds.push_back(background);
    g_Names.push_back(String_Copy(name.c_str()));
    return index;
}

// A failed addition takes its slot back, background and name included.
int32_t DropLast()
{
    FreeSlot(g_Backgrounds.size() - 1);
    g_Backgrounds.pop_back();
    g_Names.pop_back();
    return -1;
}

bool FileExists(const char* name)
{
    return name != nullptr && (LoadSave_FileExistsSaveArea(name) || LoadSave_FileExistsBundle(name));
}

// ---- the background chunk ------------------------------------------------------------------------

bool Refuse(uint32_t slot, const char* why)
{
    MainConsole->Output("BGND: background %u %s\n", slot, why);
    return false;
}

int32_t FrameSide(const GameFile& file, uint32_t at)
{
    uint16_t side = 0;
    file.U16(at, side);
    return int16_t(side);
}

bool LoadRecord(const GameFile& file, uint32_t at, uint32_t slot, CBackground& background, const char*& name)
{
    uint32_t words[5] = {};
    if (!file.Contains(at, RECORD_SIZE)) return Refuse(slot, "runs past the end of the file");
    for (uint32_t i = 0; i < 5; ++i)
        file.U32(at + i * 4, words[i]);
    if (!file.String(words[0], name)) return Refuse(slot, "has a name outside the file");
    uint32_t entry = words[4];
    if (entry != 0 && !file.Contains(entry, TEXTURE_PAGE_ENTRY_SIZE))
        return Refuse(slot, "has a page entry outside the file");
    int32_t width = entry != 0 ? FrameSide(file, entry + ENTRY_FRAME_SIZE_AT) : 0;
    int32_t height = entry != 0 ? FrameSide(file, entry + ENTRY_FRAME_SIZE_AT + 2) : 0;
    background.SetFromFile(entry, width, height, words[1] != 0, words[2] != 0, words[3] != 0);
    return true;
}

} // namespace

// ---- lookups -------------------------------------------------------------------------------------

bool Background_Exists(int32_t index)
{
    return Valid(index) && g_Backgrounds[size_t(index)] != nullptr;
}

CBackground* Background_Data(int32_t index)
{
    return Valid(index) ? g_Backgrounds[size_t(index)] : nullptr;
}

const char* Background_Name(int32_t index)
{
    if (!Background_Exists(index)) return "<undefined>";
    const char* name = g_Names[size_t(index)];
    return name != nullptr ? name : "";
}

int32_t Background_Find(const char* name)
{
    if (name == nullptr) return -1;
    for (size_t i = 0; i < g_Backgrounds.size(); ++i)
        if (g_Backgrounds[i] != nullptr && g_Names[i] != nullptr && std::strcmp(g_Names[i], name) == 0)
            return int32_t(i);
    return -1;
}

int32_t Background_Count()
{
    return static_cast<int32_t>(g_Backgrounds.size());
}

// ---- the table's life ----------------------------------------------------------------------------

void Background_Reset()
{
    for (size_t i = 0; i < g_Backgrounds.size(); ++i)
        FreeSlot(i);
    g_Backgrounds.clear();
    g_Names.clear();
}

bool Background_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadCountTable(file, body, length, table)) return false;
    Background_Reset();
    g_Backgrounds.assign(table.count, nullptr);
    g_Names.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        auto* background = new CBackground();
        const char* name = nullptr;
        if (!LoadRecord(file, at, i, *background, name)) {
            delete background;
            return false;
        }
        g_Backgrounds[i] = background;
        g_Names[i] = String_Copy(name != nullptr ? name : "");
    }
    return true;
}

void Background_InitTextures()
{
    for (CBackground* background : g_Backgrounds)
        if (background != nullptr) background->CreateTexture();
}

void Background_Clear()
{
    for (char*& name : g_Names) {
        MemoryManager::Free(name);
        name = nullptr;
    }
    for (CBackground* background : g_Backgrounds)
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
    return Append(new CBackground());
}

int32_t Background_Add(const char* name, bool removeBackground, bool smooth, bool preload)
{
    if (!FileExists(name)) return -1;
    int32_t index = Append(new CBackground());
    if (!g_Backgrounds[size_t(index)]->CreateFromFile(name, removeBackground, smooth, preload, !removeBackground))
        return DropLast();
    return index;
}

int32_t Background_AddAlpha(const char* name, bool preload)
{
    if (!FileExists(name)) return -1;
    int32_t index = Append(new CBackground());
    if (!g_Backgrounds[size_t(index)]->CreateFromFile(name, true, false, preload, true)) return DropLast();
    return index;
}

namespace {

bool ReplaceFrom(int32_t index, const char* name, bool removeBackground, bool smooth, bool preload, bool keepAlpha)
{
    if (!Valid(index) || !FileExists(name)) return false;
    CBackground*& background = g_Backgrounds[size_t(index)];
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
    FreeSlot(size_t(index));
    return true;
}

int32_t Background_Duplicate(int32_t index)
{
    if (!Background_Exists(index)) return -1;
    int32_t copy = Append(new CBackground());
    CBackground* background = g_Backgrounds[size_t(copy)];
    background->Assign(g_Backgrounds[size_t(index)]);
    if (background->GetBitmap() == nullptr) background->LoadBitmapFromTexturePage();
    return copy;
}

bool Background_Assign(int32_t destination, int32_t source)
{
    if (!Valid(destination) || !Background_Exists(source)) return false;
    // Onto itself: the copy would clear its own source first.
    if (destination == source) return true;
    CBackground*& target = g_Backgrounds[size_t(destination)];
    if (target == nullptr) target = new CBackground();
    target->Assign(g_Backgrounds[size_t(source)]);
    return true;
}
