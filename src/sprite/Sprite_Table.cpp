#include "sprite/Sprite_Table.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_ResourceSlots.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "instance/Instance_Class.h"
#include "platform/Platform_MemoryManager.h"
#include "sprite/Sprite_Url.h"
#include "support/Support_SaveArea.h"

namespace {

ResourceSlots<CSprite> g_Table{"__newsprite", {}, {}};

constexpr uint32_t RECORD_FIXED_SIZE = 60;

// Every change to a slot may change the shape its users collide with.
void Rebind(int32_t index)
{
    Instance_ShapesChanged();
    g_Table.items[size_t(index)]->SetNameAndIndex(g_Table.names[size_t(index)], index);
}

int32_t Append(CSprite* sprite)
{
    int32_t index = g_Table.Append(sprite);
    Rebind(index);
    return index;
}

bool FileExists(const char* name)
{
    return LoadSave_FileExistsSaveArea(name) || LoadSave_FileExistsBundle(name);
}

bool IsUrl(const char* name)
{
    return std::strncmp(name, "http://", 7) == 0 || std::strncmp(name, "https://", 8) == 0;
}

// ---- the sprite chunk ----------------------------------------------------------------------------

struct SpriteRecord {
    uint32_t nameOffset = 0;
    int32_t width = 0, height = 0;
    int32_t left = 0, right = 0, bottom = 0, top = 0;
    int32_t transparent = 0, smooth = 0, preload = 0, mode = 0, precise = 0;
    int32_t xorigin = 0, yorigin = 0;
    int32_t frames = 0;
};

bool ReadFixed(const GameFileEntry& record, SpriteRecord& r)
{
    int32_t* words[] = {&r.width,  &r.height,   &r.left,    &r.right,   &r.bottom,  &r.top,     &r.transparent,
                        &r.smooth, &r.preload,  &r.mode,    &r.precise, &r.xorigin, &r.yorigin, &r.frames};
    const GameFile& file = record.File();
    uint32_t at = record.At();
    if (!record.Holds("its record", at, RECORD_FIXED_SIZE)) return false;
    file.U32(at, r.nameOffset);
    for (size_t i = 0; i < sizeof words / sizeof words[0]; ++i)
        file.I32(at + 4 + uint32_t(i) * 4, *words[i]);
    return true;
}

// The masks: `count` of height rows, each (width + 7) / 8 bytes, the leftmost pixel in the top bit.
std::vector<std::vector<uint8_t>> UnpackMasks(const uint8_t* data, int32_t count, int32_t width, int32_t height)
{
    size_t rowBytes = (size_t(width) + 7) / 8;
    std::vector<std::vector<uint8_t>> masks(size_t(count), std::vector<uint8_t>(size_t(width) * size_t(height)));
    for (size_t m = 0; m < masks.size(); ++m) {
        for (size_t y = 0; y < size_t(height); ++y) {
            const uint8_t* row = data + (m * size_t(height) + y) * rowBytes;
            for (size_t x = 0; x < size_t(width); ++x)
                masks[m][y * size_t(width) + x] = (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return masks;
}

bool LoadRecord(const GameFileEntry& record, CSprite& sprite, const char*& name)
{
    const GameFile& file = record.File();
    SpriteRecord r;
    if (!ReadFixed(record, r) || !record.String("its name", r.nameOffset, name)) return false;
    uint32_t framesAt = record.At() + RECORD_FIXED_SIZE;
    // The frame list and the mask count after it; a negative count is too long for any file.
    uint64_t listBytes = uint64_t(uint32_t(r.frames)) * 4 + 4;
    if (!record.Holds("its list of " + std::to_string(r.frames) + " frames", framesAt, listBytes))
        return false;
    std::vector<uint32_t> frames(size_t(r.frames));
    for (size_t i = 0; i < frames.size(); ++i) {
        file.U32(uint32_t(framesAt + i * 4), frames[i]);
        if (frames[i] != 0 &&
            !record.Holds("its frame " + std::to_string(i), frames[i], TEXTURE_PAGE_ENTRY_SIZE))
            return false;
    }
    uint32_t masksAt = uint32_t(framesAt + uint64_t(r.frames) * 4);
    int32_t maskCount = 0;
    file.I32(masksAt, maskCount);
    masksAt += 4;
    std::vector<std::vector<uint8_t>> masks;
    if (maskCount != 0) {
        if (maskCount < 0 || r.width <= 0 || r.height <= 0 || int64_t(r.width) * r.height > INT32_MAX)
            return record.Refuse("its masks (" + std::to_string(maskCount) + " of " +
                                 std::to_string(r.width) + " x " + std::to_string(r.height) +
                                 " pixels) are of an impossible size");
        uint64_t bytes = uint64_t(maskCount) * uint64_t(r.height) * ((uint64_t(r.width) + 7) / 8);
        const uint8_t* data = nullptr;
        if (!record.Holds("its masks", masksAt, bytes)) return false;
        file.Span(masksAt, uint32_t(bytes), data);
        masks = UnpackMasks(data, maskCount, r.width, r.height);
    }
    sprite.Clear();
    sprite.SetFileFrames(frames);
    sprite.SetFileFields(r.width, r.height, SpriteBox{r.left, r.top, r.right, r.bottom}, r.transparent != 0,
                         r.smooth != 0, r.preload != 0, r.mode, r.precise != 0, r.xorigin, r.yorigin);
    sprite.SetMasks(std::move(masks));
    return true;
}

} // namespace

// ---- lookups -------------------------------------------------------------------------------------

bool Sprite_Exists(int32_t index)
{
    return g_Table.Exists(index);
}

CSprite* Sprite_Get(int32_t index)
{
    return g_Table.Data(index);
}

const char* Sprite_GetName(int32_t index)
{
    return g_Table.Name(index);
}

int32_t Sprite_Find(const char* name)
{
    return g_Table.Find(name);
}

int32_t Sprite_Count()
{
    return g_Table.Count();
}

// ---- the table's life ----------------------------------------------------------------------------

void Sprite_Reset()
{
    g_Table.Reset();
    Instance_ShapesChanged();
}

bool Sprite_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "SPRT", body, length, table)) return false;
    Sprite_Reset();
    g_Table.items.assign(table.count, nullptr);
    g_Table.names.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        auto* sprite = new CSprite();
        const char* name = nullptr;
        if (!LoadRecord(GameFileEntry(file, "SPRT", "sprite " + std::to_string(i), at), *sprite, name)) {
            delete sprite;
            return false;
        }
        g_Table.items[i] = sprite;
        g_Table.names[i] = String_Copy(name != nullptr ? name : "");
        Rebind(int32_t(i));
    }
    return true;
}

void Sprite_InitTextures()
{
    for (CSprite* sprite : g_Table.items) {
        if (sprite == nullptr) continue;
        sprite->CreateTextures();
        sprite->InitLocalTPE();
    }
}

void Sprite_Shutdown()
{
    for (char*& name : g_Table.names) {
        MemoryManager::Free(name);
        name = nullptr;
    }
    for (CSprite* sprite : g_Table.items)
        if (sprite != nullptr) sprite->FreeTextures();
    Sprite_Reset();
}

// ---- changes while the game runs -----------------------------------------------------------------

void Sprite_RebindSlot(int32_t index)
{
    if (g_Table.Exists(index)) Rebind(index);
}

int32_t Sprite_AddEmpty()
{
    return Append(new CSprite());
}

int32_t Sprite_Add(const char* name, int32_t frames, bool precise, bool removeBackground, bool smooth,
                   bool preload, int32_t xorigin, int32_t yorigin)
{
    if (name == nullptr || name[0] == '\0') return -1;
    int32_t index = Append(new CSprite());
    if (IsUrl(name)) {
        Sprite_StartUrlLoad(index, name, frames, precise, removeBackground, smooth, preload, xorigin, yorigin);
        return index;
    }
    CSprite* sprite = g_Table.items[size_t(index)];
    if (!FileExists(name) ||
        !sprite->LoadFromFile(name, frames, precise, removeBackground, smooth, preload, xorigin, yorigin,
                              !removeBackground))
        return g_Table.DropLast();
    Rebind(index);
    return index;
}

int32_t Sprite_AddAlpha(const char* name, int32_t frames, bool precise, bool preload, int32_t xorigin,
                        int32_t yorigin)
{
    if (name == nullptr || !FileExists(name)) return -1;
    int32_t index = Append(new CSprite());
    if (!g_Table.items[size_t(index)]->LoadFromFile(name, frames, precise, true, false, preload, xorigin, yorigin, true))
        return g_Table.DropLast();
    Rebind(index);
    return index;
}

namespace {

bool ReplaceFrom(int32_t index, const char* name, int32_t frames, bool precise, bool removeBackground, bool smooth,
                 bool preload, int32_t xorigin, int32_t yorigin, bool keepAlpha)
{
    if (!g_Table.Valid(index) || name == nullptr || !FileExists(name)) return false;
    CSprite*& sprite = g_Table.items[size_t(index)];
    if (sprite == nullptr) sprite = new CSprite();
    bool loaded =
        sprite->LoadFromFile(name, frames, precise, removeBackground, smooth, preload, xorigin, yorigin, keepAlpha);
    Rebind(index);
    return loaded;
}

} // namespace

bool Sprite_Replace(int32_t index, const char* name, int32_t frames, bool precise, bool removeBackground,
                    bool smooth, bool preload, int32_t xorigin, int32_t yorigin)
{
    return ReplaceFrom(index, name, frames, precise, removeBackground, smooth, preload, xorigin, yorigin,
                       !removeBackground);
}

bool Sprite_ReplaceAlpha(int32_t index, const char* name, int32_t frames, bool precise, bool preload,
                         int32_t xorigin, int32_t yorigin)
{
    return ReplaceFrom(index, name, frames, precise, true, false, preload, xorigin, yorigin, true);
}

bool Sprite_Delete(int32_t index)
{
    if (!Sprite_Exists(index)) return false;
    g_Table.FreeSlot(size_t(index));
    Instance_ShapesChanged();
    return true;
}

int32_t Sprite_Duplicate(int32_t index)
{
    if (!Sprite_Exists(index)) return -1;
    int32_t copy = Append(new CSprite());
    CSprite* sprite = g_Table.items[size_t(copy)];
    sprite->Assign(g_Table.items[size_t(index)]);
    if (sprite->GetBitmapCount() == 0) sprite->OwnFramesFromPages();
    Rebind(copy);
    return copy;
}

bool Sprite_Assign(int32_t destination, int32_t source)
{
    if (!g_Table.Valid(destination) || !Sprite_Exists(source)) return false;
    // Onto itself: the copy would clear its own source first.
    if (destination == source) return true;
    CSprite*& target = g_Table.items[size_t(destination)];
    if (target == nullptr) target = new CSprite();
    target->Assign(g_Table.items[size_t(source)]);
    Rebind(destination);
    return true;
}

void Sprite_MarkInstanceBoxesDirty(int32_t)
{
    Instance_ShapesChanged();
}
