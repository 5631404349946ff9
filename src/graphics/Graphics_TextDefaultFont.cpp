// The default font's picture: the overlay font's glyph art copied into cells of 16 x 16 pixels,
// sixteen to a row, each glyph starting at its first inked column. A glyph's width is its advance
// (one blank column after the ink; a space is blank); every glyph is as high as the art plus a row,
// so lines keep apart.
#include <cstring>
#include <vector>

#include "graphics/Graphics_Text.h"
#include "platform/Platform_EmbeddedImages.h"

namespace {

constexpr int32_t CELL = 16;
constexpr int32_t CELLS_PER_ROW = DEFAULT_FONT_WIDTH / CELL;
constexpr int32_t GLYPH_HEIGHT = OVERLAY_GLYPH_ROWS + 1;

static_assert(OVERLAY_FIRST_CODE == DEFAULT_FONT_FIRST && OVERLAY_LAST_CODE == DEFAULT_FONT_LAST,
              "the default font shows the overlay font's characters");
static_assert((DEFAULT_FONT_LAST - DEFAULT_FONT_FIRST) / CELLS_PER_ROW * CELL + CELL <= DEFAULT_FONT_HEIGHT,
              "every cell fits the texture");

} // namespace

void GR_Text_DrawDefaultFont(uint8_t table[4 * (DEFAULT_FONT_LAST - DEFAULT_FONT_FIRST + 1)],
                             uint8_t coverage[DEFAULT_FONT_WIDTH * DEFAULT_FONT_HEIGHT])
{
    std::vector<uint8_t> art(size_t(OVERLAY_TEXTURE_SIZE) * OVERLAY_TEXTURE_SIZE);
    EmbeddedImage_DrawOverlayFont(art.data());
    std::memset(coverage, 0, size_t(DEFAULT_FONT_WIDTH) * DEFAULT_FONT_HEIGHT);
    for (int32_t code = DEFAULT_FONT_FIRST; code <= DEFAULT_FONT_LAST; ++code) {
        int32_t k = code - DEFAULT_FONT_FIRST;
        int32_t x = (k % CELLS_PER_ROW) * CELL + 1;
        int32_t y = (k / CELLS_PER_ROW) * CELL + 1;
        OverlayGlyph glyph{};
        EmbeddedImage_OverlayGlyph(code, &glyph);
        // The overlay's u counts 1/256 of its 128-pixel width: two to a pixel.
        int32_t artX = glyph.u / 2, artY = glyph.v;
        for (int32_t row = 0; row < glyph.height; ++row)
            std::memcpy(&coverage[size_t(y + row) * DEFAULT_FONT_WIDTH + size_t(x)],
                        &art[size_t(artY + row) * OVERLAY_TEXTURE_SIZE + size_t(artX)], glyph.width);
        uint8_t* cell = &table[4 * k];
        cell[0] = uint8_t(x), cell[1] = uint8_t(y), cell[2] = glyph.advance, cell[3] = GLYPH_HEIGHT;
    }
}
