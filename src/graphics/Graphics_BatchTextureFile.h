// Image files in memory as the device's texture loader reads them: PNG, JPEG, BMP and DDS (DXT1,
// DXT3, DXT5 and uncompressed layouts), each checked against its own length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The loader's file kinds, by the numbers its info record reports.
enum : int32_t {
    TEXTURE_FILE_BMP = 0,
    TEXTURE_FILE_JPG = 1,
    TEXTURE_FILE_PNG = 3,
    TEXTURE_FILE_DDS = 4,
};

struct TextureFileImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t format = 0;          // device format: A8R8G8B8, X8R8G8B8 or DXT1..DXT5
    int32_t fileFormat = 0;      // TEXTURE_FILE_*
    int32_t levels = 1;          // in the file
    std::vector<uint8_t> pixels; // level 0: 32-bit pixels top row first, or the compressed blocks
};

// A "RAW " block of the texture chunk: magic, width, height, kind (0: 32-bit pixels stored red
// first, 1: 16-bit pixels with their nibbles reversed), then the pixels, turned here into the
// device's order (A8R8G8B8 or A4R4G4B4).
constexpr uint32_t TEXTURE_RAW_MAGIC = 0x20574152u; // "RAW "
struct TextureRawBlock {
    int32_t width = 0;
    int32_t height = 0;
    int32_t kind = 0;
    std::vector<uint8_t> pixels;
};
bool TextureRaw_IsBlock(const uint8_t* data, size_t length);
// False for a kind other than 0 or 1, a side outside 1..4096 or pixels beyond the block.
bool TextureRaw_Decode(const uint8_t* data, size_t length, TextureRawBlock* out);

// False for anything that is not a whole picture of a known kind.
bool TextureFile_Decode(const uint8_t* data, size_t length, TextureFileImage* out);

// Stretches 32-bit pixels to another size (bilinear, edges clamped), as the loader does when the
// texture is larger than the picture.
std::vector<uint8_t> TextureFile_Stretch(const std::vector<uint8_t>& pixels, int32_t width, int32_t height,
                                         int32_t newWidth, int32_t newHeight);
