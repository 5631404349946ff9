// The overlay font drawn into built-in image 15: our own 5-pixel-wide bitmap glyphs, nine rows with
// the baseline under row 6 and two rows for descenders. Each character sits in a cell of 8 x 10
// pixels, sixteen cells a row, from code 32.
#include "platform/Platform_EmbeddedImages.h"

#include <cstring>

namespace {

struct GlyphArt {
    char code;
    const char* rows[OVERLAY_GLYPH_ROWS];
};

// '#' marks a set pixel. Rows not given are empty.
const GlyphArt GLYPHS[] = {
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {'"', {" # # ", " # # "}},
    {'#', {" # # ", " # # ", "#####", " # # ", "#####", " # # ", " # # "}},
    {'$', {"  #  ", " ####", "# #  ", " ### ", "  # #", "#### ", "  #  "}},
    {'%', {"##   ", "##  #", "   # ", "  #  ", " #   ", "#  ##", "   ##"}},
    {'&', {" ##  ", "#  # ", "# #  ", " #   ", "# # #", "#  # ", " ## #"}},
    {'\'', {"  #  ", "  #  "}},
    {'(', {"   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "}},
    {')', {" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "}},
    {'*', {"     ", "  #  ", "# # #", " ### ", "# # #", "  #  "}},
    {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  "}},
    {',', {"     ", "     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "}},
    {'-', {"     ", "     ", "     ", "#####"}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {'/', {"     ", "    #", "   # ", "  #  ", " #   ", "#    "}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  "}},
    {';', {"     ", " ##  ", " ##  ", "     ", " ##  ", "  #  ", " #   "}},
    {'<', {"   # ", "  #  ", " #   ", "#    ", " #   ", "  #  ", "   # "}},
    {'=', {"     ", "     ", "#####", "     ", "#####"}},
    {'>', {" #   ", "  #  ", "   # ", "    #", "   # ", "  #  ", " #   "}},
    {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    {'@', {" ### ", "#   #", "    #", " ## #", "# # #", "# # #", " ### "}},
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"###  ", "#  # ", "#   #", "#   #", "#   #", "#  # ", "###  "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'[', {" ### ", " #   ", " #   ", " #   ", " #   ", " #   ", " ### "}},
    {'\\', {"     ", "#    ", " #   ", "  #  ", "   # ", "    #"}},
    {']', {" ### ", "   # ", "   # ", "   # ", "   # ", "   # ", " ### "}},
    {'^', {"  #  ", " # # ", "#   #"}},
    {'_', {"     ", "     ", "     ", "     ", "     ", "     ", "     ", "#####"}},
    {'`', {" #   ", "  #  "}},
    {'a', {"     ", "     ", " ### ", "    #", " ####", "#   #", " ####"}},
    {'b', {"#    ", "#    ", "# ## ", "##  #", "#   #", "#   #", "#### "}},
    {'c', {"     ", "     ", " ### ", "#    ", "#    ", "#   #", " ### "}},
    {'d', {"    #", "    #", " ## #", "#  ##", "#   #", "#   #", " ####"}},
    {'e', {"     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "}},
    {'f', {"  ## ", " #  #", " #   ", "###  ", " #   ", " #   ", " #   "}},
    {'g', {"     ", "     ", " ####", "#   #", "#   #", "#   #", " ####", "    #", " ### "}},
    {'h', {"#    ", "#    ", "# ## ", "##  #", "#   #", "#   #", "#   #"}},
    {'i', {"  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'j', {"   # ", "     ", "  ## ", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'k', {"#    ", "#    ", "#  # ", "# #  ", "##   ", "# #  ", "#  # "}},
    {'l', {" ##  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'m', {"     ", "     ", "## # ", "# # #", "# # #", "#   #", "#   #"}},
    {'n', {"     ", "     ", "# ## ", "##  #", "#   #", "#   #", "#   #"}},
    {'o', {"     ", "     ", " ### ", "#   #", "#   #", "#   #", " ### "}},
    {'p', {"     ", "     ", "#### ", "#   #", "#   #", "#   #", "#### ", "#    ", "#    "}},
    {'q', {"     ", "     ", " ####", "#   #", "#   #", "#   #", " ####", "    #", "    #"}},
    {'r', {"     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "}},
    {'s', {"     ", "     ", " ####", "#    ", " ### ", "    #", "#### "}},
    {'t', {" #   ", " #   ", "###  ", " #   ", " #   ", " #  #", "  ## "}},
    {'u', {"     ", "     ", "#   #", "#   #", "#   #", "#  ##", " ## #"}},
    {'v', {"     ", "     ", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'w', {"     ", "     ", "#   #", "#   #", "# # #", "# # #", " # # "}},
    {'x', {"     ", "     ", "#   #", " # # ", "  #  ", " # # ", "#   #"}},
    {'y', {"     ", "     ", "#   #", "#   #", "#   #", "#   #", " ####", "    #", " ### "}},
    {'z', {"     ", "     ", "#####", "   # ", "  #  ", " #   ", "#####"}},
    {'{', {"   # ", "  #  ", "  #  ", " #   ", "  #  ", "  #  ", "   # "}},
    {'|', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'}', {" #   ", "  #  ", "  #  ", "   # ", "  #  ", "  #  ", " #   "}},
    {'~', {"     ", "     ", " #   ", "# # #", "   # "}},
};

// Codes the font has no drawing for show a hollow box.
const GlyphArt MISSING = {'\0', {"#####", "#   #", "#   #", "#   #", "#   #", "#   #", "#####"}};

constexpr int32_t CELL_WIDTH = 8;
constexpr int32_t CELL_HEIGHT = 10;
constexpr int32_t CELLS_PER_ROW = 16;
constexpr int32_t SPACE_ADVANCE = 4;

const GlyphArt* FindArt(int32_t code)
{
    if (code == ' ') return nullptr;
    for (const GlyphArt& art : GLYPHS)
        if (static_cast<unsigned char>(art.code) == code) return &art;
    return &MISSING;
}

bool IsSet(const GlyphArt& art, int32_t x, int32_t y)
{
    const char* row = art.rows[y];
    return row != nullptr && static_cast<int32_t>(std::strlen(row)) > x && row[x] == '#';
}

// The columns the drawing uses, so that narrow characters advance less.
void InkColumns(const GlyphArt& art, int32_t* first, int32_t* last)
{
    *first = OVERLAY_GLYPH_COLUMNS;
    *last = -1;
    for (int32_t y = 0; y < OVERLAY_GLYPH_ROWS; ++y)
        for (int32_t x = 0; x < OVERLAY_GLYPH_COLUMNS; ++x)
            if (IsSet(art, x, y)) {
                if (x < *first) *first = x;
                if (x > *last) *last = x;
            }
}

// Top-left pixel of the glyph area in the cell of a code.
void CellOrigin(int32_t code, int32_t* x, int32_t* y)
{
    int32_t cell = code - OVERLAY_FIRST_CODE;
    *x = (cell % CELLS_PER_ROW) * CELL_WIDTH + 1;
    *y = (cell / CELLS_PER_ROW) * CELL_HEIGHT + 1;
}

} // namespace

bool EmbeddedImage_OverlayGlyph(int32_t code, OverlayGlyph* glyph)
{
    if (code < OVERLAY_FIRST_CODE || code > OVERLAY_LAST_CODE || glyph == nullptr) return false;
    int32_t x, y;
    CellOrigin(code, &x, &y);
    const GlyphArt* art = FindArt(code);
    int32_t first = 0, last = -1;
    if (art != nullptr) InkColumns(*art, &first, &last);
    int32_t width = last >= first ? last - first + 1 : 0;
    // Texture coordinates: u in 1/256 of the texture's width, v in 1/128 of its height.
    glyph->u = static_cast<uint8_t>((x + (width > 0 ? first : 0)) * 256 / OVERLAY_TEXTURE_SIZE);
    glyph->v = static_cast<uint8_t>(y * 128 / OVERLAY_TEXTURE_SIZE);
    glyph->width = static_cast<uint8_t>(width);
    glyph->height = static_cast<uint8_t>(width > 0 ? OVERLAY_GLYPH_ROWS : 0);
    glyph->advance = static_cast<uint8_t>(width > 0 ? width + 1 : SPACE_ADVANCE);
    return true;
}

void EmbeddedImage_DrawOverlayFont(uint8_t* coverage)
{
    std::memset(coverage, 0, OVERLAY_TEXTURE_SIZE * OVERLAY_TEXTURE_SIZE);
    for (int32_t code = OVERLAY_FIRST_CODE; code <= OVERLAY_LAST_CODE; ++code) {
        const GlyphArt* art = FindArt(code);
        if (art == nullptr) continue;
        int32_t originX, originY;
        CellOrigin(code, &originX, &originY);
        for (int32_t y = 0; y < OVERLAY_GLYPH_ROWS; ++y)
            for (int32_t x = 0; x < OVERLAY_GLYPH_COLUMNS; ++x)
                if (IsSet(*art, x, y)) coverage[(originY + y) * OVERLAY_TEXTURE_SIZE + originX + x] = 255;
    }
}
