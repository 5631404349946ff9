// Small images made in memory with the image libraries themselves, for the decoder tests and the
// writers' round trips.
#pragma once

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "platform/Platform_MemoryManager.h"

namespace testimages {

using Bytes = std::vector<uint8_t>;
// Collects the engine log in a plain string: unlike the error console it takes no engine memory, so
// tests can count the engine's blocks around it.
struct LogCapture : testsupport::ConsoleCapture {
    std::string Text() const { return console.text; }
};

struct PngDescription {
    int32_t width = 1;
    int32_t height = 1;
    int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    Bytes rows{}; // packed rows as the file's colour type and depth hold them
    std::vector<png_color> palette{};
    Bytes paletteAlpha{};     // tRNS entries for a palette image
    bool colourKey = false; // a tRNS colour key for grey or RGB images
    png_color_16 key{};
};

inline Bytes MakePng(const PngDescription& desc)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Bytes();
    }
    auto append = [](png_structp p, png_bytep data, size_t length) {
        auto* to = static_cast<Bytes*>(png_get_io_ptr(p));
        to->insert(to->end(), data, data + length);
    };
    png_set_write_fn(png, &out, append, [](png_structp) {});
    png_set_IHDR(png, info, desc.width, desc.height, desc.bitDepth, desc.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!desc.palette.empty()) png_set_PLTE(png, info, desc.palette.data(), int(desc.palette.size()));
    if (!desc.paletteAlpha.empty())
        png_set_tRNS(png, info, desc.paletteAlpha.data(), int(desc.paletteAlpha.size()), nullptr);
    png_color_16 key = desc.key;
    if (desc.colourKey) png_set_tRNS(png, info, nullptr, 0, &key);
    png_write_info(png, info);
    if (desc.bitDepth == 16) png_set_swap(png); // rows are given with little-endian samples
    size_t rowSize = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(size_t(desc.height));
    for (int32_t r = 0; r < desc.height; ++r) rows[size_t(r)] = const_cast<uint8_t*>(desc.rows.data()) + rowSize * r;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An RGBA image from red, green, blue, alpha bytes.
inline Bytes MakeRgbaPng(int32_t width, int32_t height, const Bytes& rgba)
{
    return MakePng({.width = width, .height = height, .rows = rgba});
}

// Samples: 1 byte a pixel for grey, 3 (red, green, blue) for colour.
inline Bytes MakeJpeg(int32_t width, int32_t height, int components, const Bytes& samples, bool progressive = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
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

struct GifDescription {
    int32_t screenWidth = 1, screenHeight = 1;
    int32_t width = 1, height = 1;
    std::vector<GifColorType> globalMap{}; // empty: none (a power of two in size otherwise)
    Bytes indices{};        // width x height, rows from the top
    int extraImages = 0;  // further 1 x 1 images after the first
};

inline Bytes MakeGif(const GifDescription& desc)
{
    Bytes out;
    int error = 0;
    auto write = [](GifFileType* gif, const GifByteType* data, int length) {
        auto* to = static_cast<Bytes*>(gif->UserData);
        to->insert(to->end(), data, data + length);
        return length;
    };
    GifFileType* gif = EGifOpen(&out, write, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global =
        desc.globalMap.empty() ? nullptr : GifMakeMapObject(int(desc.globalMap.size()), desc.globalMap.data());
    EGifPutScreenDesc(gif, desc.screenWidth, desc.screenHeight, global ? global->BitsPerPixel : 8, 0, global);
    EGifPutImageDesc(gif, 0, 0, desc.width, desc.height, false, nullptr);
    Bytes indices = desc.indices;
    EGifPutLine(gif, indices.data(), desc.width * desc.height);
    for (int i = 0; i < desc.extraImages; ++i) {
        GifPixelType pixel = 0;
        EGifPutImageDesc(gif, 0, 0, 1, 1, false, nullptr);
        EGifPutLine(gif, &pixel, 1);
    }
    EGifCloseFile(gif, &error);
    if (global) GifFreeMapObject(global);
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
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            data.insert(data.end(), chunk, chunk + got);
        std::fclose(file);
    }
    return data;
}

} // namespace testimages
