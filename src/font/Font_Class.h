// CFontKV: a font that turns a line of 16-bit characters into textured quads. A font read from the
// game file draws its glyph cells from its texture-page entry; a sprite font draws one sprite frame
// per character; the default font of the text layer owns an entry over its own texture. Fonts made
// from a system font keep no glyphs (nothing rasterises them), so they measure and draw nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gamefile/GameFile_Textures.h"

class GameFileEntry;

// One glyph: where its cell lies (texture fonts) or which frame draws it (sprite fonts: w).
struct FontGlyph {
    uint16_t code = 0;
    int16_t x = 0, y = 0;
    int16_t w = 0, h = 0;
    int16_t shift = 0;  // advance to the next character
    int16_t offset = 0; // of the cell from the pen
    int16_t spare = 0;
};

// Degrees to radians as the single-precision constant the drawing has always used.
constexpr double FONT_DEGREES_TO_RADIANS = 0.01745329238474369;
// Below this many degrees a transformed line is drawn unrotated.
constexpr double FONT_ROTATION_THRESHOLD = 0.001;

class CFontKV {
public:
    CFontKV() = default;
    // The default font: four bytes (x, y, w, h) per character from `first` to `last` over a
    // 256 x 128 texture.
    CFontKV(const uint8_t* table, int32_t first, int32_t last, int32_t texture);
    virtual ~CFontKV();
    CFontKV(const CFontKV&) = delete;
    CFontKV& operator=(const CFontKV&) = delete;

    // ---- building ----
    void Reset();
    // The font chunk's record `record`; false (font reset, the refusal logged) when it does not fit
    // the file.
    bool LoadFromChunk(const GameFileEntry& record);
    void BuildFromSystemFont(const char* name, int32_t size, bool bold, bool italic, int32_t first, int32_t last);
    // `map`: UTF-8 text, one character per frame.
    void BuildFromSprite(int32_t sprite, const char* map, bool proportional, int32_t separation);
    void CreateTexture();
    void FreeTexture();

    // ---- measuring ----
    // The glyph of a code: what a binary search of the glyphs by code finds, looked up directly.
    const FontGlyph* FindGlyph(uint16_t code) const;
    int32_t GlyphAdvance(uint16_t code) const;
    int32_t TextWidth(const char16_t* text) const;
    int32_t LineHeight() const { return m_LineHeight; }

    // ---- drawing one line (colours BGR, angles in degrees) ----
    void DrawText(float x, float y, const char16_t* text, uint32_t colour, float alpha);
    void DrawTextTransformed(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                             uint32_t colour, float alpha);
    void DrawTextColour(float x, float y, const char16_t* text, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                        float alpha);
    void DrawTextTransformedColour(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                                   uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);

    // ---- fields ----
    const char* GetFontname() const { return m_pFontName; }
    int32_t GetSize() const { return m_Size; }
    bool GetBold() const { return m_Bold != 0; }
    bool GetItalic() const { return m_Italic != 0; }
    int32_t GetFirst() const { return m_First; }
    int32_t GetLast() const { return m_Last; }
    int32_t GetCharset() const { return m_Charset; }
    int32_t GetAntialias() const { return m_Antialias; }
    int32_t GetSpriteIndex() const { return m_SpriteIndex; }
    int32_t GetTextureWidth() const { return m_TextureWidth; }
    int32_t GetTextureHeight() const { return m_TextureHeight; }
    float GetXScale() const { return m_XScale; }
    float GetYScale() const { return m_YScale; }
    int32_t GetGlyphCount() const { return int32_t(m_Glyphs.size()); }
    const FontGlyph& GetGlyph(int32_t index) const { return m_Glyphs[size_t(index)]; }
    // The page entry the glyph cells lie on (file fonts and the default font), or null.
    TPageEntry* GetEntry() const;

private:
    struct Pen;
    // The binary search FindGlyph answers for: glyph tables from game files need not be sorted, so a
    // code is found where the search's path leads, or not at all.
    const FontGlyph* SearchGlyph(uint16_t code) const;
    // Makes the direct lookup from the search, for every code from the least glyph code to the
    // greatest (no other code can be found); after each change of the glyphs.
    void BuildGlyphLookup();
    // The texture of the glyph cells: the entry's, else the font's own; -1 for none.
    int32_t CellTexture() const;
    void DrawSpriteLine(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                        uint32_t colour, float alpha);
    void DrawColourLine(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                        const uint32_t colours[4], float alpha);

    char* m_pFontName = nullptr;
    int32_t m_Size = 12;
    uint8_t m_Bold = 0;
    uint8_t m_Italic = 0;
    int32_t m_Charset = 0;
    int32_t m_Antialias = 3;
    int32_t m_First = 32;
    int32_t m_Last = 128;
    int32_t m_SpriteIndex = -1;
    int32_t m_TextureWidth = 0;
    int32_t m_TextureHeight = 0;
    int32_t m_LineHeight = 0;
    std::vector<uint8_t> m_AlphaMap; // empty in every font of this system
    int32_t m_Texture = -1;          // made from the alpha map
    uint32_t m_EntryOffset = 0;      // file fonts: their page entry's file offset
    TPageEntry* m_pOwnEntry = nullptr; // the default font's
    std::vector<FontGlyph> m_Glyphs;   // sorted by code
    uint16_t m_LookupFirst = 0;        // the code of m_GlyphIndex[0]
    std::vector<int32_t> m_GlyphIndex; // by code from m_LookupFirst: the glyph's index, or -1
    float m_XScale = 1.0f;
    float m_YScale = 1.0f;
};
