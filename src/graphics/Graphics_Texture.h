// The texture table: every picture the 2D layer draws (texture pages of the game file, surfaces,
// textures made from bitmaps, font glyphs) by index. Records are never destroyed while the table
// lives: freeing a texture releases its device texture and the slot is taken by the next creation.
// An index is valid when it names a slot in use; every routine treats any other as "no texture".
#pragma once

#include <cstdint>

struct DeviceTexture;
class CBitmap32;
class IBitmap;

struct TextureRecord {
    DeviceTexture* texture = nullptr; // null while the slot is free
    uint16_t width = 0;               // the size the texture was made for
    uint16_t height = 0;
    float reciprocalWidth = 0.0f; // of the device texture's real size (which may be larger)
    float reciprocalHeight = 0.0f;
    uint8_t inUse = 0;
    uint8_t pageFlag = 0; // a texture-chunk page's flag bit, kept as the file gives it; 0 for others
};

// The two vertex layouts of the 2D layer.
struct TexturedVertex {
    float x, y, z;
    uint32_t colour; // ARGB
    float u, v;
};
static_assert(sizeof(TexturedVertex) == 24, "the textured layout is 24 bytes");

struct ColouredVertex {
    float x, y, z;
    uint32_t colour; // ARGB
};
static_assert(sizeof(ColouredVertex) == 16, "the coloured layout is 16 bytes");

int32_t Texture_Count();
// The record of a valid index, else null.
TextureRecord* Texture_Get(int32_t index);

// The first free slot, else a new one at the end.
int32_t Texture_AllocSlot();
// Each creator returns the new index, or -1 when no device texture could be made.
int32_t Texture_CreateEmpty(int32_t width, int32_t height, bool renderTarget);
int32_t Texture_CreateFromFileData(const uint8_t* data, int32_t size);
int32_t Texture_Wrap(DeviceTexture* texture, int32_t width, int32_t height);
// Raw 32-bit pixels when size is width x height x 4, image file data otherwise.
int32_t Texture_CreateFromPixels(int32_t width, int32_t height, const uint8_t* data, int32_t size);
// A page blob of the texture chunk. The format code goes to the device (0: the picture's own
// format); the flag, the chunk entry's bit 0, is only kept on the record and changes no pixel.
int32_t Texture_CreateFromBlob(const uint8_t* data, int32_t size, int32_t formatCode, int32_t flag);
int32_t Texture_CreateFromBitmap(const CBitmap32* bitmap);
int32_t Texture_CreateFromTBitmap(IBitmap* bitmap, bool removeBackground, bool smooth);
// White pixels whose alpha is the map's byte (font glyphs).
int32_t Texture_CreateFromAlphaMap(int32_t width, int32_t height, const uint8_t* map);
// Pixels at the recorded size.
void Texture_Upload(int32_t index, const void* pixels);

void Texture_Free(int32_t index);
// Frees every texture and the records (shut-down).
void Texture_FreeAll();
// Forgets the records without touching device textures (a new device).
void Texture_ResetTable();

bool Texture_Exists(int32_t index);
// The fraction of the device texture the picture covers; 1 for an invalid index.
float Texture_GetUsedWidth(int32_t index);
float Texture_GetUsedHeight(int32_t index);
void Texture_Preload(int32_t index);
void Texture_SetPriority(int32_t index, uint32_t priority);
DeviceTexture* Texture_GetHandle(int32_t index);
void Texture_SetStage(int32_t index);

// draw_texture_flush.
void GR_Draw_TextureFlush();

// A BGR colour (red in the low byte) and an alpha 0..1 as an ARGB vertex colour; the alpha byte
// is cut towards zero and kept within 0..255.
uint32_t GR_MakeVertexColour(uint32_t colour, double alpha);
// The same with an alpha byte already made.
uint32_t GR_VertexColourFromByte(uint32_t colour, uint32_t alphaByte);
