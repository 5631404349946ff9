// Text in the current font: the font and the two alignments, strings split into lines (a "#"
// breaks a line, and a width wraps them), measured, aligned and handed line by line to the font.
// Without a valid current font the built-in default font draws: characters 32 to 136 over a
// texture of its own, made on first need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CFontKV;

constexpr int32_t TEXT_NO_WRAP_WIDTH = 10000000;

// The lines of one string: the whole string decoded into 16-bit characters, a 0 written where each
// line ends. Lives for one measuring or drawing call.
struct TextLineList {
    std::vector<char16_t> buffer;
    std::vector<size_t> starts; // of each line in the buffer

    // `width` below 0: no wrapping. A null text gives no lines.
    void Split(const CFontKV& font, const char* text, int32_t width);
    size_t Count() const { return starts.size(); }
    const char16_t* Line(size_t i) const { return buffer.data() + starts[i]; }
};

// A font that exists becomes current; any other index makes the default font current (-1).
void GR_Text_SetFont(int32_t font);
// 0, 1 or 2; any other value gives 0.
void GR_Text_SetHAlign(int32_t align);
void GR_Text_SetVAlign(int32_t align);
// The font measuring and drawing now: the current one, else the default font.
CFontKV* GR_Text_Font();
void GR_Text_FreeDefaultFont();

// A separation below 0 is the height of "M" in the font; a width below 0 means no wrapping.
int32_t GR_Text_StringWidth(const char* text, int32_t separation, int32_t width);
int32_t GR_Text_StringHeight(const char* text, int32_t separation, int32_t width);
// In the current colour and alpha, or four corner colours and an alpha; angles in degrees.
void GR_Text_Draw(float x, float y, const char* text, int32_t separation, int32_t width);
void GR_Text_DrawTransformed(float x, float y, const char* text, int32_t separation, int32_t width, float xscale,
                             float yscale, float angle);
void GR_Text_DrawColour(float x, float y, const char* text, int32_t separation, int32_t width, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void GR_Text_DrawTransformedColour(float x, float y, const char* text, int32_t separation, int32_t width,
                                   float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                                   uint32_t c4, float alpha);

// The default font's glyph table (x, y, w, h per character 32 to 136) and its 256 x 128 texture's
// coverage, drawn from the overlay font's glyph art.
constexpr int32_t DEFAULT_FONT_FIRST = 32;
constexpr int32_t DEFAULT_FONT_LAST = 136;
constexpr int32_t DEFAULT_FONT_WIDTH = 256;
constexpr int32_t DEFAULT_FONT_HEIGHT = 128;
void GR_Text_DrawDefaultFont(uint8_t table[4 * (DEFAULT_FONT_LAST - DEFAULT_FONT_FIRST + 1)],
                             uint8_t coverage[DEFAULT_FONT_WIDTH * DEFAULT_FONT_HEIGHT]);
