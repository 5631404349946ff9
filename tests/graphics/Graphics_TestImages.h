// Small images made in memory with the image libraries themselves, for the decoder tests, the
// corpus of the decoders' fuzz target and the writers' round trips.
#pragma once

#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform_MemoryManager.h"

namespace testimages {

using Bytes = std::vector<uint8_t>;

// ---- PNG -------------------------------------------------------------------------------------

struct PngDescription {
    int32_t width = 1;
    int32_t height = 1;
    int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    Bytes rows;                  // packed rows as the file's colour type and depth hold them
    std::vector<png_color> palette;
    Bytes paletteAlpha;          // tRNS entries for a palette image
    bool colourKey = false;      // a tRNS colour key for grey or RGB images
    png_color_16 key{};
};

inline void PngAppend(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void PngFlush(png_structp) {}

inline Bytes MakePng(const PngDescription& desc)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Bytes();
    }
    png_set_write_fn(png, &out, PngAppend, PngFlush);
    png_set_IHDR(png, info, desc.width, desc.height, desc.bitDepth, desc.colourType,
                 desc.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!desc.palette.empty()) {
        png_set_PLTE(png, info, desc.palette.data(), static_cast<int>(desc.palette.size()));
    }
    if (!desc.paletteAlpha.empty()) {
        png_set_tRNS(png, info, desc.paletteAlpha.data(), static_cast<int>(desc.paletteAlpha.size()), nullptr);
    }
    if (desc.colourKey) {
        png_color_16 key = desc.key;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    if (desc.bitDepth == 16) png_set_swap(png); // rows are given with little-endian samples
    size_t rowSize = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(desc.height);
    for (int32_t r = 0; r < desc.height; ++r) rows[r] = const_cast<uint8_t*>(desc.rows.data()) + rowSize * r;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An RGBA image from red, green, blue, alpha bytes.
inline Bytes MakeRgbaPng(int32_t width, int32_t height, const Bytes& rgba)
{
    PngDescription desc;
    desc.width = width;
    desc.height = height;
    desc.rows = rgba;
    return MakePng(desc);
}

// ---- JPEG ------------------------------------------------------------------------------------

// Samples: 1 byte a pixel for grey, 3 (red, green, blue) for colour.
inline Bytes MakeJpeg(int32_t width, int32_t height, int components, const Bytes& samples, int quality = 95,
                      bool progressive = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(samples.data()) + size_t(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// ---- GIF -------------------------------------------------------------------------------------

struct GifDescription {
    int32_t screenWidth = 1;
    int32_t screenHeight = 1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 1;
    int32_t height = 1;
    std::vector<GifColorType> globalMap; // empty: none (a power of two in size otherwise)
    std::vector<GifColorType> localMap;
    int transparent = -1;                 // graphics-control block with this index
    bool interlaced = false;
    Bytes indices;                        // width x height, rows from the top
    int extraImages = 0;                  // further 1 x 1 images after the first
};

inline int GifWrite(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

inline ColorMapObject* GifMap(const std::vector<GifColorType>& colours)
{
    if (colours.empty()) return nullptr;
    return GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

inline Bytes MakeGif(const GifDescription& desc)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifWrite, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = GifMap(desc.globalMap);
    ColorMapObject* local = GifMap(desc.localMap);
    int colourBits = global ? global->BitsPerPixel : (local ? local->BitsPerPixel : 8);
    EGifPutScreenDesc(gif, desc.screenWidth, desc.screenHeight, colourBits, 0, global);
    if (desc.transparent >= 0) {
        GifByteType control[4] = {1, 0, 0, static_cast<GifByteType>(desc.transparent)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    EGifPutImageDesc(gif, desc.left, desc.top, desc.width, desc.height, desc.interlaced, local);
    Bytes indices = desc.indices;
    if (desc.interlaced) {
        static const int OFFSETS[4] = {0, 4, 2, 1};
        static const int JUMPS[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int32_t y = OFFSETS[pass]; y < desc.height; y += JUMPS[pass]) {
                EGifPutLine(gif, indices.data() + size_t(y) * desc.width, desc.width);
            }
        }
    } else {
        EGifPutLine(gif, indices.data(), desc.width * desc.height);
    }
    for (int i = 0; i < desc.extraImages; ++i) {
        GifPixelType pixel = 0;
        EGifPutImageDesc(gif, 0, 0, 1, 1, false, nullptr);
        EGifPutLine(gif, &pixel, 1);
    }
    EGifCloseFile(gif, &error);
    if (global) GifFreeMapObject(global);
    if (local) GifFreeMapObject(local);
    return out;
}

inline GifColorType Rgb(uint8_t r, uint8_t g, uint8_t b) { return GifColorType{r, g, b}; }

// A block that the memory manager handed out, kept as bytes and freed.
inline Bytes TakeBlock(uint8_t* block, size_t size)
{
    Bytes copy(block, block + size);
    MemoryManager::Free(block);
    return copy;
}

inline Bytes ReadFileBytes(const std::string& path)
{
    Bytes data;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.insert(data.end(), chunk, chunk + got);
        std::fclose(file);
    }
    return data;
}

} // namespace testimages

#include "../TestSupport_Console.h"
#include "base/Base_Console.h"

namespace testimages {

// Collects the engine log while it lives.
class LogCapture : public testsupport::RecordingConsole {
public:
    LogCapture() : m_Saved(MainConsole) { MainConsole = this; }
    ~LogCapture() override { MainConsole = m_Saved; }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

private:
    tagIConsole* m_Saved;
};

} // namespace testimages
