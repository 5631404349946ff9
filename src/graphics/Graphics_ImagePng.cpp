// PNG decoding through libpng, with the optional half-size reduction of loaded textures.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "base/Base_Console.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_MemoryManager.h"

int32_t g_TextureScale = 1;

bool GR_Image_SizeAllowed(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE &&
           width * height <= IMAGE_MAX_PIXELS;
}

namespace {

// The decoder state lives from a load until GR_Image_FreePNG.
struct PngState {
    bool error = false;
    const uint8_t* data = nullptr;
    size_t length = 0;
    size_t cursor = 0;
    int32_t width = 0;
    int32_t height = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
};

PngState g_Png;

constexpr size_t SIGNATURE_SIZE = 8;

void ReadFromMemory(png_structp png, png_bytep out, size_t count)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (count > state->length - state->cursor) png_error(png, "read past the end of the data");
    std::memcpy(out, state->data + state->cursor, count);
    state->cursor += count;
}

// libpng's errors come back here by a long jump instead of ending anything; its messages are not
// the run-time's, so they stay unprinted.
[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Every picture becomes 8-bit blue, green, red, alpha, whatever its colour type and depth.
void AskForBgra(png_structp png, png_infop info)
{
    int depth = png_get_bit_depth(png, info);
    int type = png_get_color_type(png, info);
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p colourKey = nullptr;
    bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) &&
                        png_get_tRNS(png, info, &alphas, &alphaCount, &colourKey) != 0 &&
                        (type != PNG_COLOR_TYPE_PALETTE || alphaCount >= 1);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (transparency) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if ((type & PNG_COLOR_MASK_ALPHA) == 0 && !transparency) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
}

// The steps that libpng may abandon by its long jump. Everything they change lives in the state,
// not in locals of this function.
bool ReadImage(PngState* state)
{
    if (setjmp(png_jmpbuf(state->png))) return false;
    png_set_read_fn(state->png, state, ReadFromMemory);
    png_set_sig_bytes(state->png, SIGNATURE_SIZE);
    png_set_user_limits(state->png, IMAGE_MAX_SIDE, IMAGE_MAX_SIDE);
    png_read_info(state->png, state->info);
    AskForBgra(state->png, state->info);
    png_uint_32 width = png_get_image_width(state->png, state->info);
    png_uint_32 height = png_get_image_height(state->png, state->info);
    if (!GR_Image_SizeAllowed(width, height)) return false;
    png_set_interlace_handling(state->png);
    png_read_update_info(state->png, state->info);
    size_t rowSize = png_get_rowbytes(state->png, state->info);
    if (rowSize != size_t(width) * 4) return false;

    state->pixels = static_cast<uint8_t*>(MEM_ALLOC(rowSize * height, true));
    state->rows = static_cast<png_bytep*>(MEM_ALLOC(sizeof(png_bytep) * height, false));
    for (png_uint_32 r = 0; r < height; ++r) state->rows[r] = state->pixels + rowSize * r;
    png_read_image(state->png, state->rows);
    state->width = static_cast<int32_t>(width);
    state->height = static_cast<int32_t>(height);
    return true;
}

bool Decode(PngState* state)
{
    if (state->data == nullptr || state->length < SIGNATURE_SIZE || png_sig_cmp(state->data, 0, SIGNATURE_SIZE) != 0) {
        MainConsole->Output("Not a PNG\n");
        state->error = true;
        return false;
    }
    state->cursor = SIGNATURE_SIZE;
    state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, OnError, OnWarning);
    if (state->png != nullptr) {
        state->info = png_create_info_struct(state->png);
        state->endInfo = png_create_info_struct(state->png);
    }
    bool ok = state->info != nullptr && state->endInfo != nullptr && ReadImage(state);
    png_destroy_read_struct(&state->png, &state->info, &state->endInfo);
    if (!ok) {
        state->error = true;
        MainConsole->Output("ReadPNG :: a PNG error occured\n");
    }
    return ok;
}

// A box filter into the same block: each target pixel averages a 2 x 2 square of the source.
void HalveInPlace(uint8_t* pixels, int32_t width, int32_t height)
{
    int32_t targetWidth = width / 2;
    int32_t targetHeight = height / 2;
    int64_t stepX = (int64_t(width) << 16) / targetWidth;
    int64_t stepY = (int64_t(height) << 16) / targetHeight;
    uint8_t* out = pixels;
    for (int32_t y = 0; y < targetHeight; ++y) {
        const uint8_t* row = pixels + ((y * stepY) >> 16) * width * 4;
        const uint8_t* below = row + int64_t(width) * 4;
        for (int32_t x = 0; x < targetWidth; ++x) {
            int64_t column = ((x * stepX) >> 16) * 4;
            for (int channel = 0; channel < 4; ++channel) {
                int64_t at = column + channel;
                int sum = row[at] + row[at + 4] + below[at] + below[at + 4];
                *out++ = static_cast<uint8_t>(sum >> 2);
            }
        }
    }
}

} // namespace

void GR_Image_FreePNG()
{
    MemoryManager::Free(g_Png.pixels);
    MemoryManager::Free(g_Png.rows);
    g_Png = PngState{};
}

uint8_t* GR_Image_LoadPNG(const void* data, int32_t length, int32_t* width, int32_t* height, bool half)
{
    int32_t divisor = half ? g_TextureScale : 1;
    // A load always decodes its own data: the image of an earlier load is released first.
    GR_Image_FreePNG();
    g_Png.data = static_cast<const uint8_t*>(data);
    g_Png.length = length > 0 ? static_cast<size_t>(length) : 0;
    if (!Decode(&g_Png)) {
        GR_Image_FreePNG();
        *width = -1;
        *height = -1;
        return nullptr;
    }
    // The sizes always describe the block: a side of 1 cannot be halved, so such a picture stays whole.
    if (divisor > 1 && g_Png.width / 2 >= 1 && g_Png.height / 2 >= 1) {
        HalveInPlace(g_Png.pixels, g_Png.width, g_Png.height);
        g_Png.width /= 2;
        g_Png.height /= 2;
    }
    *width = g_Png.width;
    *height = g_Png.height;
    return g_Png.pixels;
}
