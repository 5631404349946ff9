// The overlay's text: a proportional bitmap font on built-in image 15, drawn through the batch in
// the window-space pass, and the digits of the debug font "font.png".
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_EmbeddedImages.h"

namespace {

constexpr int32_t MAX_TEXT = 1024;
constexpr int32_t TAB_WIDTH = 64;
constexpr int32_t LINE_HEIGHT = OVERLAY_GLYPH_ROWS + 2;
constexpr float TEXT_Z = 0.7f;
constexpr int32_t DIGIT_WIDTH = 8;
constexpr int32_t DIGIT_HEIGHT = 11;

// Overlay colours carry their alpha in the top byte.
uint32_t DeviceColour(uint32_t colour)
{
    return GR_VertexColourFromByte(colour, colour >> 24);
}

// Only codes that have ink draw: a space, a control code or a code of 137 and more takes no vertices.
bool Glyph(unsigned char c, OverlayGlyph* glyph)
{
    return EmbeddedImage_OverlayGlyph(c, glyph) && glyph->width > 0;
}

int32_t Advance(unsigned char c)
{
    OverlayGlyph glyph{};
    return EmbeddedImage_OverlayGlyph(c, &glyph) ? glyph.advance : 0;
}

void TexturedQuad(TexturedVertex* v, float left, float top, float right, float bottom, float u0, float v0,
                  float u1, float v1, uint32_t colour)
{
    v[0] = {left, top, TEXT_Z, colour, u0, v0};
    v[1] = {right, top, TEXT_Z, colour, u1, v0};
    v[2] = {right, bottom, TEXT_Z, colour, u1, v1};
    v[3] = {right, bottom, TEXT_Z, colour, u1, v1};
    v[4] = {left, bottom, TEXT_Z, colour, u0, v1};
    v[5] = {left, top, TEXT_Z, colour, u0, v0};
}

// One line of `length` characters with its pen starting at (x, y), in a device colour.
void DrawLine(const char* text, int32_t length, float x, float y, uint32_t colour)
{
    DeviceTexture* texture = Profiler_OverlayTexture();
    if (texture == nullptr || length <= 0) return;
    auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, texture, 24, 6 * length));
    if (v == nullptr) return;
    const float size = float(OVERLAY_TEXTURE_SIZE);
    int32_t drawn = 0;
    float pen = x;
    for (int32_t i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            pen = float((int32_t(pen) / TAB_WIDTH + 1) * TAB_WIDTH);
            continue;
        }
        OverlayGlyph g{};
        if (Glyph(c, &g)) {
            float u0 = float(g.u) / 256.0f, v0 = float(g.v) / 128.0f;
            TexturedQuad(v + 6 * drawn++, pen, y, pen + g.width, y + g.height, u0, v0, u0 + g.width / size,
                         v0 + g.height / size, colour);
        }
        pen += float(Advance(c));
    }
    Graphics::ReturnVerts(6 * (length - drawn));
}

void DrawLineOutlined(const char* text, int32_t length, float x, float y, uint32_t outline, uint32_t colour)
{
    static const int8_t OFFSETS[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 2}};
    if (outline != 0)
        for (const auto& o : OFFSETS)
            DrawLine(text, length, x + o[0], y + o[1], DeviceColour(outline));
    DrawLine(text, length, x, y, DeviceColour(colour));
}

int32_t AdvanceWidth(const char* text, int32_t length)
{
    int32_t width = 0;
    for (int32_t i = 0; i < length; ++i)
        width += Advance(static_cast<unsigned char>(text[i]));
    return width;
}

// The length of the next line from `text`: up to a line feed, or before the word that would make it
// wider than `wrap` (a single word wider than that stays whole).
int32_t NextLine(const char* text, int32_t wrap)
{
    int32_t width = 0, lastBreak = 0, i = 0;
    for (; text[i] != 0 && text[i] != '\n'; ++i) {
        if (text[i] == ' ') lastBreak = i;
        width += Advance(static_cast<unsigned char>(text[i]));
        if (width > wrap && lastBreak > 0) return lastBreak;
    }
    return i;
}

} // namespace

int32_t Debug_TextGlyphWidth(const char* text)
{
    int32_t width = 0;
    OverlayGlyph g{};
    for (const char* p = text; *p != 0; ++p)
        if (EmbeddedImage_OverlayGlyph(static_cast<unsigned char>(*p), &g)) width += g.width;
    return width;
}

void Debug_DrawTextF(int32_t x, int32_t y, uint32_t outline, uint32_t colour, const char* format, ...)
{
    char text[MAX_TEXT + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    int32_t wrap = GR_Window_GetWidth();
    const char* p = text;
    for (float lineY = float(y); *p != 0; lineY += LINE_HEIGHT) {
        while (*p == ' ' || *p == '\n')
            ++p;
        if (*p == 0) break;
        int32_t length = NextLine(p, wrap);
        float lineX = x == DEBUG_TEXT_CENTRED ? float((wrap - AdvanceWidth(p, length)) / 2) : float(x);
        DrawLineOutlined(p, length, lineX, lineY, outline, colour);
        p += length;
    }
}

void Debug_DrawTextCentred(int32_t y, int32_t width, uint32_t colour, const char* format, ...)
{
    char text[MAX_TEXT + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    float x = float((width + 1 - Debug_TextGlyphWidth(text)) / 2);
    DrawLine(text, int32_t(std::strlen(text)), x, float(y), DeviceColour(colour));
}

void Debug_DrawDigit(float x, float y, float scale, int32_t digit)
{
    DeviceTexture* font = Profiler_DebugFontTexture();
    if (font == nullptr || digit < 0 || digit > 9) return;
    auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, font, 24, 6));
    if (v == nullptr) return;
    float u0 = float(digit * DIGIT_WIDTH) / 256.0f;
    TexturedQuad(v, x, y, x + DIGIT_WIDTH * scale, y + DIGIT_HEIGHT * scale, u0, 0, u0 + DIGIT_WIDTH / 256.0f,
                 DIGIT_HEIGHT / 256.0f, 0xFFFFFFFFu);
}

void Debug_DrawNumber(float x, float y, float scale, int32_t value)
{
    // A negative value shows its magnitude.
    int64_t magnitude = value < 0 ? -int64_t(value) : int64_t(value);
    bool leading = true;
    for (int64_t unit = 100000000; unit >= 1; unit /= 10) {
        int32_t digit = int32_t(magnitude / unit % 10);
        if (leading && digit == 0 && unit > 1) continue;
        leading = false;
        Debug_DrawDigit(x, y, scale, digit);
        x += 9 * scale;
    }
}
