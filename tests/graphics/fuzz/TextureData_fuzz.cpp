// Texture-page data from a game file: "RAW " blocks and image files (PNG, JPEG, BMP, DDS) as the
// device's texture loader reads them.
#include <cstddef>
#include <cstdint>

#include "graphics/Graphics_BatchTextureFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextureRawBlock block;
    if (TextureRaw_Decode(data, size, &block)) {
        size_t bytes = size_t(block.width) * size_t(block.height) * (block.kind == 0 ? 4 : 2);
        if (block.pixels.size() != bytes) __builtin_trap();
    }
    TextureFileImage image;
    if (TextureFile_Decode(data, size, &image) && image.format != 0 && image.width <= 64 &&
        image.height <= 64 && image.pixels.size() == size_t(image.width) * size_t(image.height) * 4) {
        // The loader stretches a picture to the powers of two above its size.
        std::vector<uint8_t> stretched = TextureFile_Stretch(image.pixels, image.width, image.height, 64, 64);
        if (stretched.size() != 64u * 64u * 4u) __builtin_trap();
    }
    return 0;
}
