#include "gamefile/GameFile_Textures.h"

#include <unordered_map>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Texture.h"

TextureFromBlob g_TextureFromBlob = Texture_CreateFromBlob;

namespace {

std::vector<TPageEntry> g_Pages;
std::vector<bool> g_PagePresent; // false where the count table holds no record
std::unordered_map<uint32_t, int32_t> g_PageAt; // file offset of a record -> its index
GameFileChunk g_PagesFrom;                      // the chunk the table was built from
bool g_PagesBuilt = false;
uint32_t g_PagesGeneration = 1;

void NextGeneration()
{
    if (++g_PagesGeneration == 0) g_PagesGeneration = 1;
}

std::vector<int32_t> g_TextureIds;

void ReadPage(const GameFile& file, uint32_t at, TPageEntry& page)
{
    int16_t* fields[] = {&page.x,          &page.y,           &page.width,      &page.height,
                         &page.xOffset,    &page.yOffset,     &page.cropWidth,  &page.cropHeight,
                         &page.frameWidth, &page.frameHeight, &page.texture};
    for (int16_t* field : fields) {
        uint16_t value = 0;
        file.U16(at, value);
        *field = static_cast<int16_t>(value);
        at += 2;
    }
}

void BuildPages(const GameFile& file)
{
    g_Pages.clear();
    g_PagePresent.clear();
    g_PageAt.clear();
    NextGeneration();
    g_PagesFrom = g_TexturePageChunk;
    g_PagesBuilt = true;
    GameFileCountTable table;
    if (g_TexturePageChunk.length == 0 ||
        !GameFile_ReadCountTable(file, g_TexturePageChunk.body, g_TexturePageChunk.length, table))
        return;
    g_Pages.assign(table.count, TPageEntry{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1});
    g_PagePresent.assign(table.count, false);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        // The main pass kept the chunk only after checking that every record lies in the file.
        if (at == 0 || !file.Contains(at, TEXTURE_PAGE_ENTRY_SIZE)) continue;
        ReadPage(file, at, g_Pages[i]);
        g_PagePresent[i] = true;
        g_PageAt.emplace(at, static_cast<int32_t>(i));
    }
}

void EnsurePages()
{
    if (!g_PagesBuilt || g_PagesFrom.body != g_TexturePageChunk.body || g_PagesFrom.length != g_TexturePageChunk.length)
        BuildPages(g_GameFile);
}

// The blob runs at most to the end of the chunk that holds it (the file's end for one outside it).
int32_t BlobSize(const GameFile& file, uint32_t body, uint32_t length, uint32_t blob)
{
    uint64_t end = GameFile_ChunkHolds(body, length, blob, 0) ? uint64_t{body} + length : file.Size();
    uint64_t size = end - blob;
    return size > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

void LinkPagesToTextures()
{
    int32_t count = static_cast<int32_t>(g_TextureIds.size());
    for (size_t i = 0; i < g_Pages.size(); ++i) {
        TPageEntry& page = g_Pages[i];
        if (!g_PagePresent[i]) continue;
        if (page.texture >= 0 && page.texture < count) {
            page.texture = static_cast<int16_t>(g_TextureIds[static_cast<size_t>(page.texture)] & 0xFFFF);
        } else {
            MainConsole->Output("what!!!!\n");
            // An index beyond the chunk would name some unrelated texture: the page draws nothing.
            page.texture = -1;
        }
    }
}

} // namespace

bool TXTR_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "TXTR", body, length, table)) return false;
    g_TextureIds.assign(table.count, -1);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        uint32_t flags = 0, blob = 0;
        if (entry == 0) continue;
        GameFileEntry record(file, "TXTR", "texture " + std::to_string(i), entry);
        if (!record.Holds("its record", entry, 8)) return false;
        file.U32(entry, flags);
        file.U32(entry + 4, blob);
        if (!record.Needs("its image", blob, 1)) return false;
        // Pages keep the picture's own format: bit 0, set by the tools on every entry, is no
        // format code (as one it would cut every texel's alpha to 0 or 255).
        g_TextureIds[i] = g_TextureFromBlob(file.Data() + blob, BlobSize(file, body, length, blob),
                                            TEXTURE_FORMAT_UNKNOWN, static_cast<int32_t>(flags & 1u));
    }
    BuildPages(file);
    LinkPagesToTextures();
    return true;
}

int32_t TexturePage_Count()
{
    EnsurePages();
    return static_cast<int32_t>(g_Pages.size());
}

TPageEntry* TexturePage_Get(int32_t index)
{
    EnsurePages();
    if (index < 0 || index >= static_cast<int32_t>(g_Pages.size())) return nullptr;
    return &g_Pages[static_cast<size_t>(index)];
}

int32_t TexturePage_IndexAt(uint32_t fileOffset)
{
    EnsurePages();
    auto found = g_PageAt.find(fileOffset);
    return found != g_PageAt.end() ? found->second : -1;
}

TPageEntry* TexturePage_AtOffset(uint32_t fileOffset) { return TexturePage_Get(TexturePage_IndexAt(fileOffset)); }

void TexturePage_Clear()
{
    g_Pages.clear();
    g_PagePresent.clear();
    g_PageAt.clear();
    g_PagesBuilt = false;
    NextGeneration();
    g_TextureIds.clear();
}

uint32_t TexturePage_Generation()
{
    EnsurePages();
    return g_PagesGeneration;
}

int32_t TextureChunk_Count() { return static_cast<int32_t>(g_TextureIds.size()); }

int32_t TextureChunk_Id(int32_t entry)
{
    if (entry < 0 || entry >= TextureChunk_Count()) return -1;
    return g_TextureIds[static_cast<size_t>(entry)];
}
