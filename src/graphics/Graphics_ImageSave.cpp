// Pictures leaving the run-time: PNG files through libpng and a 24-bit BMP file image in memory.
#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "base/Base_Console.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveAreaWrite.h"

namespace {

constexpr int32_t PATH_CAPACITY = 2048;

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    FILE* file = nullptr;
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool bgra = false;
    png_bytep* rows = nullptr;
};

enum WritePhase { PHASE_INIT_IO, PHASE_HEADER, PHASE_ROWS, PHASE_END };

const char* const PHASE_ERRORS[] = {
    "[write_png_file] Error during init_io\n",
    "[write_png_file] Error during writing header\n",
    "[write_png_file] Error during writing bytes\n",
    "[write_png_file] Error during end of write\n",
};

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

void MakeRows(PngWriter* w)
{
    w->rows = static_cast<png_bytep*>(MEM_ALLOC(sizeof(png_bytep) * w->height, false));
    for (int32_t r = 0; r < w->height; ++r) {
        w->rows[r] = const_cast<uint8_t*>(w->pixels) + size_t(r) * w->width * 4;
    }
}

// One phase under libpng's error return; what it changes lives in the writer, not in locals.
bool RunPhase(PngWriter* w, WritePhase phase)
{
    if (setjmp(png_jmpbuf(w->png))) return false;
    switch (phase) {
    case PHASE_INIT_IO: png_init_io(w->png, w->file); break;
    case PHASE_HEADER:
        // A size no picture of the run-time can have is refused before any row is formed.
        if (!GR_Image_SizeAllowed(w->width, w->height)) png_error(w->png, "bad size");
        png_set_IHDR(w->png, w->info, w->width, w->height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (w->bgra) png_set_bgr(w->png);
        png_write_info(w->png, w->info);
        break;
    case PHASE_ROWS:
        MakeRows(w);
        png_write_image(w->png, w->rows);
        break;
    case PHASE_END: png_write_end(w->png, nullptr); break;
    }
    return true;
}

bool WriteAll(PngWriter* w)
{
    w->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (w->png == nullptr) {
        MainConsole->Output("[write_png_file] png_create_write_struct failed\n");
        return false;
    }
    w->info = png_create_info_struct(w->png);
    if (w->info == nullptr) {
        MainConsole->Output("[write_png_file] png_create_info_struct failed\n");
        return false;
    }
    for (WritePhase phase : {PHASE_INIT_IO, PHASE_HEADER, PHASE_ROWS, PHASE_END}) {
        if (!RunPhase(w, phase)) {
            MainConsole->Output("%s", PHASE_ERRORS[phase]);
            return false;
        }
    }
    return true;
}

void PutLE16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLE32(uint8_t* at, uint32_t value)
{
    PutLE16(at, value);
    PutLE16(at + 2, value >> 16);
}

} // namespace

bool GR_Image_WritePNGToPath(const char* path, const void* pixels, int32_t width, int32_t height, bool bgra,
                             bool reportOpen)
{
    FILE* file = path != nullptr && path[0] != '\0' ? std::fopen(path, "wb") : nullptr;
    if (file == nullptr) {
        if (reportOpen) {
            MainConsole->Output("[write_png_file] File %s could not be opened for writing\n", path ? path : "");
        }
        return false;
    }
    PngWriter writer;
    writer.file = file;
    writer.pixels = static_cast<const uint8_t*>(pixels);
    writer.width = pixels != nullptr ? width : 0;
    writer.height = height;
    writer.bgra = bgra;
    bool ok = WriteAll(&writer);
    if (writer.png != nullptr) png_destroy_write_struct(&writer.png, writer.info ? &writer.info : nullptr);
    MemoryManager::Free(writer.rows);
    std::fclose(file);
    return ok;
}

bool write_png_file(const char* fileName, const void* pixels, int32_t width, int32_t height)
{
    char path[PATH_CAPACITY];
    if (!LoadSave_SaveAreaWritePath(path, PATH_CAPACITY, fileName)) return false;
    return GR_Image_WritePNGToPath(path, pixels, width, height, false, false);
}

uint8_t* GR_Image_MakeBMP(const void* pixels, int32_t width, int32_t height, int32_t* size, int32_t pixelStep)
{
    constexpr uint32_t HEADER_SIZE = 54;
    if (pixels == nullptr || !GR_Image_SizeAllowed(width, height) || pixelStep < 3) return nullptr;
    uint32_t rowSize = (uint32_t(width) * 3 + 3) & ~3u;
    uint32_t imageSize = rowSize * uint32_t(height);
    uint32_t fileSize = HEADER_SIZE + imageSize;
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(fileSize, true));
    block[0] = 'B';
    block[1] = 'M';
    PutLE32(block + 2, fileSize);
    PutLE32(block + 10, HEADER_SIZE);
    PutLE32(block + 14, 40);
    PutLE32(block + 18, static_cast<uint32_t>(width));
    PutLE32(block + 22, static_cast<uint32_t>(height));
    PutLE16(block + 26, 1);
    PutLE16(block + 28, 24);
    PutLE32(block + 34, imageSize);

    const auto* source = static_cast<const uint8_t*>(pixels);
    size_t sourceRow = size_t(width) * pixelStep;
    for (int32_t r = 0; r < height; ++r) {
        // The file keeps the bottom row first; only the three colour bytes of a pixel are read.
        const uint8_t* in = source + sourceRow * (height - 1 - r);
        uint8_t* out = block + HEADER_SIZE + size_t(rowSize) * r;
        for (int32_t x = 0; x < width; ++x, in += pixelStep, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    if (size != nullptr) *size = static_cast<int32_t>(fileSize);
    return block;
}
