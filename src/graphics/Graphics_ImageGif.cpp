// GIF decoding through giflib: the first image of the file on its logical screen.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/Graphics_Image.h"
#include "platform/Platform_MemoryManager.h"

namespace {

struct GifCursor {
    const uint8_t* data;
    size_t length;
    size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count)
{
    auto* cursor = static_cast<GifCursor*>(gif->UserData);
    size_t wanted = count > 0 ? static_cast<size_t>(count) : 0;
    size_t copied = std::min(wanted, cursor->length - cursor->at);
    std::memcpy(out, cursor->data + cursor->at, copied);
    cursor->at += copied;
    return static_cast<int>(copied);
}

constexpr int GRAPHICS_CONTROL = 0xF9;

// What the first image leaves for the picture: its transparent index and its pixels on the screen.
struct FirstImage {
    bool read = false;
    int transparent = -1;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    uint8_t* pixels = nullptr;
};

// Extension blocks in front of the first image: a graphics-control block with its transparency
// bit set names the transparent index (the last one wins).
bool ReadExtension(GifFileType* gif, FirstImage& first)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (!first.read && code == GRAPHICS_CONTROL && block != nullptr && block[0] == 4 && (block[1] & 1) != 0) {
        first.transparent = block[4];
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

// Later images are read through but not kept.
bool SkipImageData(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
    while (block != nullptr) {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

bool ReadRaster(GifFileType* gif, std::vector<uint8_t>& raster, int32_t width, int32_t height)
{
    static const int32_t OFFSETS[4] = {0, 4, 2, 1};
    static const int32_t JUMPS[4] = {8, 8, 4, 2};
    int passes = gif->Image.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        int32_t start = passes == 4 ? OFFSETS[pass] : 0;
        int32_t jump = passes == 4 ? JUMPS[pass] : 1;
        for (int32_t y = start; y < height; y += jump) {
            if (DGifGetLine(gif, raster.data() + size_t(y) * width, width) == GIF_ERROR) return false;
        }
    }
    return true;
}

// The image is placed at its offset on the screen and clipped to it; the rest of the screen, and
// indices beyond the colour map, stay transparent black.
void Compose(const std::vector<uint8_t>& raster, const GifImageDesc& desc, const ColorMapObject& map,
             FirstImage& first)
{
    for (int32_t row = 0; row < desc.Height; ++row) {
        int64_t y = int64_t(desc.Top) + row;
        if (y >= first.screenHeight) break;
        for (int32_t column = 0; column < desc.Width; ++column) {
            int64_t x = int64_t(desc.Left) + column;
            if (x >= first.screenWidth) break;
            int index = raster[size_t(row) * desc.Width + column];
            if (index >= map.ColorCount) continue;
            uint8_t* out = first.pixels + (y * first.screenWidth + x) * 4;
            const GifColorType& colour = map.Colors[index];
            out[0] = colour.Blue;
            out[1] = colour.Green;
            out[2] = colour.Red;
            out[3] = index == first.transparent ? 0 : 0xFF;
        }
    }
}

bool ReadFirstImage(GifFileType* gif, FirstImage& first)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
    if (first.read) return SkipImageData(gif);
    first.read = true;
    GifImageDesc desc = gif->Image;
    if (!GR_Image_SizeAllowed(desc.Width, desc.Height) || desc.Left < 0 || desc.Top < 0) return false;
    std::vector<uint8_t> raster(size_t(desc.Width) * desc.Height);
    if (!ReadRaster(gif, raster, desc.Width, desc.Height)) return false;
    // The image's own colour map, else the file's; a picture with neither has no colours.
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr) return false;
    first.pixels = static_cast<uint8_t*>(MEM_ALLOC(size_t(first.screenWidth) * first.screenHeight * 4, true));
    Compose(raster, desc, *map, first);
    return true;
}

// The whole file is read, as a bad later part makes the file bad; only the first image is kept.
bool ReadFile(GifFileType* gif, FirstImage& first)
{
    first.screenWidth = gif->SWidth;
    first.screenHeight = gif->SHeight;
    if (!GR_Image_SizeAllowed(first.screenWidth, first.screenHeight)) return false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            if (!ReadFirstImage(gif, first)) return false;
            break;
        case EXTENSION_RECORD_TYPE:
            if (!ReadExtension(gif, first)) return false;
            break;
        case TERMINATE_RECORD_TYPE: return first.pixels != nullptr;
        default: return false;
        }
    }
}

} // namespace

uint8_t* GIF_Decode(const void* data, int32_t length, int32_t* width, int32_t* height)
{
    if (data == nullptr || length <= 0) return nullptr;
    GifCursor cursor{static_cast<const uint8_t*>(data), static_cast<size_t>(length), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, ReadFromMemory, &error);
    if (gif == nullptr) return nullptr;
    FirstImage first;
    bool ok = ReadFile(gif, first);
    DGifCloseFile(gif, &error);
    if (!ok) {
        MemoryManager::Free(first.pixels);
        return nullptr;
    }
    *width = first.screenWidth;
    *height = first.screenHeight;
    return first.pixels;
}
