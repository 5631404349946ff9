// Images in and out of the run-time: PNG, JPEG and GIF files held in memory decoded to 32-bit
// pixel blocks, PNG files written from pixel blocks, and an in-memory 24-bit BMP image.
//
// A pixel block holds the rows top to bottom without padding, four bytes a pixel in the order
// blue, green, red, alpha (a little-endian 0xAARRGGBB word). Every image is untrusted input: sizes
// are checked before anything is sized from them, and a decoder error fails the one image only.
#pragma once

#include <cstdint>

// The largest picture the run-time makes: each side and the whole pixel count are bounded, so a
// header cannot ask for more memory than a game could ever draw.
constexpr int32_t IMAGE_MAX_SIDE = 16384;
constexpr int64_t IMAGE_MAX_PIXELS = int64_t(1) << 26;

// True for 1..IMAGE_MAX_SIDE on each side and at most IMAGE_MAX_PIXELS pixels.
bool GR_Image_SizeAllowed(int64_t width, int64_t height);

// The texture scale: a PNG loaded with `half` is reduced to half size when this is above 1.
extern int32_t g_TextureScale;

// Decodes a PNG. The block stays with the decoder until GR_Image_FreePNG; a new load releases the
// previous one. On failure: null, width and height -1, and "Not a PNG" or
// "ReadPNG :: a PNG error occured" in the log.
uint8_t* GR_Image_LoadPNG(const void* data, int32_t length, int32_t* width, int32_t* height, bool half);
void GR_Image_FreePNG();

// Decode a JPEG or the first image of a GIF into a new memory-manager block owned by the caller;
// null when the image cannot be decoded (width and height are then left as they were).
uint8_t* JPEG_Decode(const void* data, int32_t length, int32_t* width, int32_t* height);
uint8_t* GIF_Decode(const void* data, int32_t length, int32_t* width, int32_t* height);

// Writes red, green, blue, alpha bytes (rows top to bottom) as an 8-bit RGBA PNG into the save
// area; false, with a log line for each libpng failure, when it cannot.
bool write_png_file(const char* fileName, const void* pixels, int32_t width, int32_t height);

// The writer under both: a real path; `bgra` takes blue, green, red, alpha pixels (a bitmap's own)
// and puts the channels in PNG order; `reportOpen` logs a file that cannot be opened.
bool GR_Image_WritePNGToPath(const char* path, const void* pixels, int32_t width, int32_t height, bool bgra,
                             bool reportOpen);

// A 24-bit BMP file image in a new memory-manager block: the low three bytes of each pixel (read
// `pixelStep` bytes apart, at least 3), bottom row first, rows padded to 4 bytes. Null for an
// impossible size.
uint8_t* GR_Image_MakeBMP(const void* pixels, int32_t width, int32_t height, int32_t* size, int32_t pixelStep);
