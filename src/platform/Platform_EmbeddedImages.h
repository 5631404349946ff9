// The table of images built into the program: a 32-bit count, then per image a 32-bit size and a
// 32-bit offset from the table's start, then the images. The program's own images are drawn by its
// own code (Platform_EmbeddedDrawing.h): the particle shapes when the program is built, the others on
// their first request:
//   0       DDS 64 x 64, 8-bit alpha: an opaque white square
//   1 - 14  DDS 64 x 64, 8-bit alpha: the particle shapes pixel, disk, square, line, star, circle,
//           ring, sphere, flare, spark, explosion, cloud, smoke, snow
//   15      DDS 128 x 128, 16-bit luminance and alpha: the overlay font (white glyphs, alpha coverage)
//   16      PNG 128 x 128 RGBA: the program's emblem
// The 8-bit alpha textures are white, their byte the alpha. Every DDS is uncompressed, one level,
// with a 128-byte header, so the sizes are 4224 and 32896 bytes; the PNG carries a private ancillary
// chunk ("kvPd") that pads it to 42210 bytes.
#pragma once

#include <cstdint>

struct DeviceTexture;

constexpr int32_t EMBEDDED_IMAGE_COUNT = 17;
constexpr int32_t EMBEDDED_IMAGE_FIRST_SHAPE = 1;
constexpr int32_t EMBEDDED_IMAGE_SHAPE_COUNT = 14;
constexpr int32_t EMBEDDED_IMAGE_OVERLAY_FONT = 15;
constexpr int32_t EMBEDDED_IMAGE_EMBLEM = 16;

constexpr int32_t EMBEDDED_SHAPE_SIZE = 64;
constexpr int32_t EMBEDDED_DDS_HEADER_SIZE = 128;
constexpr int32_t EMBEDDED_SHAPE_BYTES = 4224;
constexpr int32_t EMBEDDED_OVERLAY_BYTES = 32896;
constexpr int32_t EMBEDDED_EMBLEM_BYTES = 42210;
constexpr int32_t EMBEDDED_EMBLEM_SIZE = 128;

// Sets the table the accessors read (null: none).
void EmbeddedImage_SetTable(const uint8_t* table);
// The accessors read the program's own images, each drawn when first asked for and kept for the run.
void EmbeddedImage_UseBuiltIn();
// The image's bytes and size; null and 0 for an index not below the count (or without a table).
const uint8_t* EmbeddedImage_Data(int32_t index);
int32_t EmbeddedImage_Size(int32_t index);
// Hands the image to the texture decoder (empty input for an index out of range).
DeviceTexture* EmbeddedImage_Decode(int32_t index);

// The program's own images packed as a table (all of them drawn), on the first call; kept for the run.
const uint8_t* EmbeddedImage_BuiltInTable();

// The overlay font of image 15: each code from 32 to 136 has a glyph record (u in 1/256 of the
// texture's width, v in 1/128 of its height, width and height in pixels) and an advance width.
constexpr int32_t OVERLAY_FIRST_CODE = 32;
constexpr int32_t OVERLAY_LAST_CODE = 136;
constexpr int32_t OVERLAY_TEXTURE_SIZE = 128;
constexpr int32_t OVERLAY_GLYPH_COLUMNS = 5;
constexpr int32_t OVERLAY_GLYPH_ROWS = 9;

struct OverlayGlyph {
    uint8_t u;
    uint8_t v;
    uint8_t width;
    uint8_t height;
    uint8_t advance;
};

// False for a code outside 32 to 136.
bool EmbeddedImage_OverlayGlyph(int32_t code, OverlayGlyph* glyph);
// Draws the font's coverage (0 or 255) into a 128 x 128 byte array.
void EmbeddedImage_DrawOverlayFont(uint8_t* coverage);
