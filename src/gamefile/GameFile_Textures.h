// The texture chunk ("TXTR": one image blob per texture page) and the texture-page table (the
// 22-byte records of "TPAG", through which sprites, backgrounds and fonts are drawn). The page table
// is a copy of the chunk's records, kept apart from the file image; reading the texture chunk turns
// each record's texture field from an index into the chunk's entries into a texture id.
#pragma once

#include <cstdint>

class GameFile;

// One texture-page record; every field is signed 16-bit.
struct TPageEntry {
    int16_t x, y;                     // on the page
    int16_t width, height;            // on the page
    int16_t xOffset, yOffset;         // within the frame
    int16_t cropWidth, cropHeight;
    int16_t frameWidth, frameHeight;  // the whole frame before cropping
    int16_t texture;                  // a texture id once the texture chunk was read; -1 none
};

// The page table, built from the texture-page chunk the main pass kept (again whenever that chunk
// changed). Entries named by file offset are those of the chunk's count table.
int32_t TexturePage_Count();
TPageEntry* TexturePage_Get(int32_t index);
// The index of the record at that file offset, or -1.
int32_t TexturePage_IndexAt(uint32_t fileOffset);
TPageEntry* TexturePage_AtOffset(uint32_t fileOffset);
void TexturePage_Clear();
// Changes whenever the table is built again or cleared (never 0): an entry's address taken under
// one generation names the same record until the generation changes.
uint32_t TexturePage_Generation();

// The texture ids made from the texture chunk's entries, in entry order.
int32_t TextureChunk_Count();
int32_t TextureChunk_Id(int32_t entry);

// How a page blob becomes a texture: Texture_CreateFromBlob unless a test installs its own.
typedef int32_t (*TextureFromBlob)(const uint8_t* data, int32_t size, int32_t formatCode, int32_t flag);
extern TextureFromBlob g_TextureFromBlob;
