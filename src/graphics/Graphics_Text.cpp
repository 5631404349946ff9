#include "graphics/Graphics_Text.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "base/Base_Utf8.h"
#include "font/Font_Table.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Texture.h"
#include "support/Support_Stream.h"

namespace {

constexpr uint32_t PROFILER_TEXT_COLOUR = 0xFFFF00;
constexpr int32_t DEFAULT_FONT_CHARACTERS = DEFAULT_FONT_LAST - DEFAULT_FONT_FIRST + 1;

int32_t g_Font = -1;
int32_t g_HAlign = 0;
int32_t g_VAlign = 0;
CFontKV* g_DefaultFont = nullptr;
int32_t g_DefaultTexture = -1;

// White pixels carrying the coverage as alpha. Without a device the font still measures.
int32_t MakeDefaultTexture(const uint8_t* coverage)
{
    std::vector<uint32_t> pixels(size_t(DEFAULT_FONT_WIDTH) * DEFAULT_FONT_HEIGHT);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x00FFFFFFu | uint32_t(coverage[i]) << 24;
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromPixels(pixels.data(), DEFAULT_FONT_WIDTH, DEFAULT_FONT_HEIGHT, &info);
    return texture != nullptr ? Texture_Wrap(texture, DEFAULT_FONT_WIDTH, DEFAULT_FONT_HEIGHT) : -1;
}

CFontKV* DefaultFont()
{
    if (g_DefaultFont == nullptr) {
        uint8_t table[4 * DEFAULT_FONT_CHARACTERS];
        std::vector<uint8_t> coverage(size_t(DEFAULT_FONT_WIDTH) * DEFAULT_FONT_HEIGHT);
        GR_Text_DrawDefaultFont(table, coverage.data());
        g_DefaultTexture = MakeDefaultTexture(coverage.data());
        g_DefaultFont = new CFontKV(table, DEFAULT_FONT_FIRST, DEFAULT_FONT_LAST, g_DefaultTexture);
    }
    return g_DefaultFont;
}

int32_t Alignment(int32_t align)
{
    return align >= 0 && align <= 2 ? align : 0;
}

// The separation between lines: the height of "M" in the font unless one is given.
int32_t LineStep(const CFontKV& font, int32_t separation)
{
    return separation < 0 ? font.LineHeight() : separation;
}

uint32_t DrawingColour()
{
    return GR_Draw_GetColour() & 0xFFFFFFu;
}

// Wrapping: the end of the line that starts at `pos` (after its leading spaces), or `pos` itself
// when not a character fits.
size_t WrappedEnd(const CFontKV& font, const std::vector<char16_t>& b, size_t pos, int32_t width)
{
    size_t end = pos;
    int64_t sum = 0;
    while (b[end] != 0 && b[end] != 13) {
        sum += font.GlyphAdvance(uint16_t(b[end++]));
        if (sum >= width) break;
    }
    if (sum > width) --end;
    if (b[end] == 13 || end == pos || b[end] == 0 || b[end] == ' ') return end;
    size_t space = end;
    while (space > pos && b[space] != ' ') --space;
    if (b[space] == ' ') {
        while (space > pos && b[space - 1] == ' ') --space;
        return space;
    }
    // One word wider than the width stays whole on its own line.
    while (b[end] != 0 && b[end] != ' ') ++end;
    return end;
}

using LineDraw = std::function<void(CFontKV& font, float x, float y, const char16_t* line)>;

void DrawLines(float x, float y, const char* text, int32_t separation, int32_t width, const LineDraw& draw)
{
    Profiler_Begin(PROFILER_TEXT_COLOUR, "Text");
    CFontKV& font = *GR_Text_Font();
    TextLineList lines;
    lines.Split(font, text, width);
    int64_t h = LineStep(font, separation);
    int64_t block = int64_t(lines.Count()) * h;
    double top = double(y) - double(g_VAlign == 1 ? block / 2 : g_VAlign == 2 ? block : 0);
    for (size_t i = 0; i < lines.Count(); ++i, top += double(h)) {
        const char16_t* line = lines.Line(i);
        if (line[0] == 0) continue;
        // A left-aligned line is not measured: its width moves nothing.
        int32_t w = g_HAlign != 0 ? font.TextWidth(line) : 0;
        int32_t shift = g_HAlign == 1 ? -(w / 2) : g_HAlign == 2 ? -w : 0;
        draw(font, float(double(x) + shift), float(top), line);
    }
    Profiler_End();
}

void DrawTurnedLines(float x, float y, const char* text, int32_t separation, int32_t width, float xscale,
                     float yscale, float angle, const LineDraw& draw)
{
    Profiler_Begin(PROFILER_TEXT_COLOUR, "Text");
    CFontKV& font = *GR_Text_Font();
    TextLineList lines;
    lines.Split(font, text, width);
    double a = double(angle) * FONT_DEGREES_TO_RADIANS;
    double s = std::sin(a), c = std::cos(a);
    double h = LineStep(font, separation);
    double stepX = s * yscale * h, stepY = c * yscale * h;
    double n = double(lines.Count());
    double lx = x, ly = y;
    if (g_VAlign != 0) {
        double part = g_VAlign == 1 ? 0.5 : 1.0;
        lx -= std::nearbyint(n * stepX * part);
        ly -= std::nearbyint(n * stepY * part);
    }
    for (size_t i = 0; i < lines.Count(); ++i, lx += stepX, ly += stepY) {
        const char16_t* line = lines.Line(i);
        if (line[0] == 0) continue;
        double w = g_HAlign != 0 ? double(font.TextWidth(line)) * xscale : 0.0;
        double d = g_HAlign == 1 ? std::trunc(w * -0.5) : g_HAlign == 2 ? -std::trunc(w) : 0.0;
        draw(font, float(lx + c * d), float(ly - s * d), line);
    }
    Profiler_End();
}

} // namespace

void TextLineList::Split(const CFontKV& font, const char* text, int32_t width)
{
    buffer.clear();
    starts.clear();
    if (text == nullptr) return;
    std::string copy(text);
    String_HashToNewline(copy.data());
    const char* at = copy.c_str();
    for (uint16_t c = UTF8_ExtractChar(&at); c != 0; c = UTF8_ExtractChar(&at)) buffer.push_back(char16_t(c));
    size_t n = buffer.size();
    buffer.push_back(0);
    if (width < 0) {
        for (size_t i = 0, start = 0; i <= n; ++i) {
            if (i < n && buffer[i] != 13 && buffer[i] != 10) continue;
            buffer[i] = 0;
            starts.push_back(start);
            start = i + 1;
        }
        return;
    }
    for (size_t pos = 0; pos < n;) {
        size_t start = pos;
        while (buffer[pos] == ' ') ++pos;
        size_t end = WrappedEnd(font, buffer, pos, width);
        bool returned = buffer[end] == 13;
        // Not a character fits: the rest of the string is not shown.
        if (!returned && end == pos) break;
        buffer[end] = 0;
        if (returned || end > pos) starts.push_back(start);
        pos = end + 1;
    }
}

void GR_Text_SetFont(int32_t font)
{
    if (Font_Exists(font)) {
        g_Font = font;
        return;
    }
    DefaultFont();
    g_Font = -1;
}

void GR_Text_SetHAlign(int32_t align)
{
    g_HAlign = Alignment(align);
}

void GR_Text_SetVAlign(int32_t align)
{
    g_VAlign = Alignment(align);
}

CFontKV* GR_Text_Font()
{
    return Font_Exists(g_Font) ? Font_Data(g_Font) : DefaultFont();
}

void GR_Text_FreeDefaultFont()
{
    delete g_DefaultFont;
    g_DefaultFont = nullptr;
    Texture_Free(g_DefaultTexture);
    g_DefaultTexture = -1;
}

int32_t GR_Text_StringWidth(const char* text, int32_t, int32_t width)
{
    const CFontKV& font = *GR_Text_Font();
    TextLineList lines;
    lines.Split(font, text, width);
    int32_t widest = 1;
    for (size_t i = 0; i < lines.Count(); ++i) widest = std::max(widest, font.TextWidth(lines.Line(i)));
    return widest;
}

int32_t GR_Text_StringHeight(const char* text, int32_t separation, int32_t width)
{
    if (text == nullptr || text[0] == '\0') return 1;
    const CFontKV& font = *GR_Text_Font();
    TextLineList lines;
    lines.Split(font, text, width);
    int64_t further = lines.Count() > 1 ? int64_t(lines.Count()) - 1 : 0;
    return int32_t(font.LineHeight() + further * LineStep(font, separation));
}

void GR_Text_Draw(float x, float y, const char* text, int32_t separation, int32_t width)
{
    uint32_t colour = DrawingColour();
    float alpha = GR_Draw_Get_Alpha();
    DrawLines(x, y, text, separation, width, [&](CFontKV& font, float lx, float ly, const char16_t* line) {
        font.DrawText(lx, ly, line, colour, alpha);
    });
}

void GR_Text_DrawTransformed(float x, float y, const char* text, int32_t separation, int32_t width, float xscale,
                             float yscale, float angle)
{
    uint32_t colour = DrawingColour();
    float alpha = GR_Draw_Get_Alpha();
    DrawTurnedLines(x, y, text, separation, width, xscale, yscale, angle,
                    [&](CFontKV& font, float lx, float ly, const char16_t* line) {
                        font.DrawTextTransformed(lx, ly, line, xscale, yscale, angle, colour, alpha);
                    });
}

void GR_Text_DrawColour(float x, float y, const char* text, int32_t separation, int32_t width, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    DrawLines(x, y, text, separation, width, [&](CFontKV& font, float lx, float ly, const char16_t* line) {
        font.DrawTextColour(lx, ly, line, c1, c2, c3, c4, alpha);
    });
}

void GR_Text_DrawTransformedColour(float x, float y, const char* text, int32_t separation, int32_t width,
                                   float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                                   uint32_t c4, float alpha)
{
    DrawTurnedLines(x, y, text, separation, width, xscale, yscale, angle,
                    [&](CFontKV& font, float lx, float ly, const char16_t* line) {
                        font.DrawTextTransformedColour(lx, ly, line, xscale, yscale, angle, c1, c2, c3, c4, alpha);
                    });
}
