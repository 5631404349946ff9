// Building and measuring fonts: the default font, a record of the font chunk, a system font (no
// glyphs) and a sprite font.
#include "font/Font_Class.h"

#include <algorithm>
#include <string>

#include "base/Base_Text.h"
#include "base/Base_Utf8.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_MemoryManager.h"
#include "sprite/Sprite_Table.h"

namespace {

constexpr uint32_t RECORD_FIXED_SIZE = 44;
constexpr uint32_t GLYPH_SIZE = 14;
constexpr int32_t DEFAULT_TEXTURE_WIDTH = 256;
constexpr int32_t DEFAULT_TEXTURE_HEIGHT = 128;

int16_t ReadI16(const GameFile& file, uint32_t at)
{
    uint16_t value = 0;
    file.U16(at, value);
    return int16_t(value);
}

int32_t TallestCell(const std::vector<FontGlyph>& glyphs)
{
    int32_t tallest = 0;
    for (const FontGlyph& g : glyphs) tallest = std::max(tallest, int32_t(g.h));
    return tallest;
}

} // namespace

CFontKV::CFontKV(const uint8_t* table, int32_t first, int32_t last, int32_t texture)
{
    m_pFontName = String_Copy("debug");
    m_Size = 10;
    m_First = first;
    m_Last = last;
    for (int32_t k = 0; k <= last - first; ++k) {
        const uint8_t* cell = table + 4 * k;
        FontGlyph g;
        g.code = uint16_t(first + k);
        g.x = cell[0], g.y = cell[1], g.w = cell[2], g.h = cell[3];
        g.shift = g.w;
        m_Glyphs.push_back(g);
    }
    BuildGlyphLookup();
    m_LineHeight = TallestCell(m_Glyphs);
    m_pOwnEntry = new TPageEntry{0, 0, DEFAULT_TEXTURE_WIDTH, DEFAULT_TEXTURE_HEIGHT, 0, 0, DEFAULT_TEXTURE_WIDTH,
                                 DEFAULT_TEXTURE_HEIGHT, DEFAULT_TEXTURE_WIDTH, DEFAULT_TEXTURE_HEIGHT, int16_t(texture)};
    m_TextureWidth = DEFAULT_TEXTURE_WIDTH;
    m_TextureHeight = DEFAULT_TEXTURE_HEIGHT;
}

CFontKV::~CFontKV()
{
    Reset();
    delete m_pOwnEntry;
}

void CFontKV::Reset()
{
    MemoryManager::Free(m_pFontName);
    m_pFontName = nullptr;
    m_XScale = m_YScale = 1.0f;
    m_Size = 12;
    m_Bold = m_Italic = 0;
    m_First = 32;
    m_Last = 128;
    m_SpriteIndex = -1;
    FreeTexture();
    m_AlphaMap.clear();
    m_LineHeight = 0;
    m_Glyphs.clear();
    BuildGlyphLookup();
    m_EntryOffset = 0;
}

bool CFontKV::LoadFromChunk(const GameFileEntry& record)
{
    Reset();
    const GameFile& file = record.File();
    uint32_t at = record.At();
    uint32_t nameAt = 0, entryAt = 0, packed = 0;
    int32_t size = 0, bold = 0, italic = 0, last = 0, count = 0;
    if (!record.Holds("its record", at, RECORD_FIXED_SIZE)) return false;
    file.U32(at + 4, nameAt);
    file.I32(at + 8, size);
    file.I32(at + 12, bold);
    file.I32(at + 16, italic);
    file.U32(at + 20, packed);
    file.I32(at + 24, last);
    file.U32(at + 28, entryAt);
    file.F32(at + 32, m_XScale);
    file.F32(at + 36, m_YScale);
    file.I32(at + 40, count);
    const char* fontName = nullptr;
    if (!record.String("its system font name", nameAt, fontName)) return false;
    if (entryAt != 0 && !record.Holds("its texture-page entry", entryAt, TEXTURE_PAGE_ENTRY_SIZE))
        return false;
    uint32_t offsetsAt = at + RECORD_FIXED_SIZE;
    // A negative count is too long for any file.
    uint64_t listBytes = uint64_t(uint32_t(count)) * 4;
    if (!record.Holds("its list of " + std::to_string(count) + " glyphs", offsetsAt, listBytes)) return false;
    std::vector<FontGlyph> glyphs(static_cast<size_t>(count));
    for (size_t i = 0; i < glyphs.size(); ++i) {
        uint32_t glyphAt = 0;
        file.U32(uint32_t(offsetsAt + 4 * i), glyphAt);
        if (!record.Needs("its glyph " + std::to_string(i), glyphAt, GLYPH_SIZE)) return false;
        FontGlyph& g = glyphs[i];
        g.code = uint16_t(ReadI16(file, glyphAt));
        g.x = ReadI16(file, glyphAt + 2), g.y = ReadI16(file, glyphAt + 4);
        g.w = ReadI16(file, glyphAt + 6), g.h = ReadI16(file, glyphAt + 8);
        g.shift = ReadI16(file, glyphAt + 10), g.offset = ReadI16(file, glyphAt + 12);
    }
    m_EntryOffset = entryAt;
    m_Size = size;
    m_Bold = bold != 0;
    m_Italic = italic != 0;
    m_First = int32_t(packed & 0xFFFF);
    if ((packed >> 16 & 0xFF) != 0) m_Charset = int32_t(packed >> 16 & 0xFF);
    if ((packed >> 24) != 0) m_Antialias = int32_t(packed >> 24) - 1;
    m_Last = last;
    m_TextureWidth = entryAt != 0 ? ReadI16(file, entryAt + 4) : 0;
    m_TextureHeight = entryAt != 0 ? ReadI16(file, entryAt + 6) : 0;
    m_Glyphs = std::move(glyphs);
    BuildGlyphLookup();
    m_LineHeight = TallestCell(m_Glyphs);
    m_pFontName = String_Copy(fontName);
    return true;
}

void CFontKV::BuildFromSystemFont(const char* name, int32_t size, bool bold, bool italic, int32_t first, int32_t last)
{
    Reset();
    m_pFontName = String_Copy(name);
    m_Size = size;
    m_Bold = bold;
    m_Italic = italic;
    m_First = std::max(first, 0);
    m_Last = last >= 256 ? 255 : last;
    m_Charset = 0;
    m_Antialias = 3;
    // Nothing rasterises system fonts here: the font keeps no glyphs and no alpha map.
    CreateTexture();
}

void CFontKV::BuildFromSprite(int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    Reset();
    if (!Sprite_Exists(sprite)) return;
    CSprite* s = Sprite_Get(sprite);
    m_SpriteIndex = sprite;
    std::vector<uint16_t> codes;
    const char* at = map != nullptr ? map : "";
    for (uint16_t c = UTF8_ExtractChar(&at); c != 0 && int32_t(codes.size()) < s->GetFrameCount();
         c = UTF8_ExtractChar(&at))
        codes.push_back(c);
    bool spaceAdded = std::find(codes.begin(), codes.end(), uint16_t(' ')) == codes.end();
    if (spaceAdded) codes.push_back(' ');
    int32_t widest = -999;
    for (size_t k = 0; k < codes.size(); ++k) {
        int32_t left = 0, right = s->GetWidth();
        if (int32_t(k) < s->GetFrameCount() && proportional) {
            SpriteBox bounds = s->GetFrameBounds(int32_t(k));
            left = bounds.left, right = bounds.right;
        }
        FontGlyph g;
        g.code = codes[k];
        g.w = int16_t(k);
        g.h = int16_t(s->GetHeight());
        g.shift = int16_t(right + separation - left);
        g.offset = int16_t(-left);
        if (!(spaceAdded && k + 1 == codes.size())) widest = std::max(widest, int32_t(g.shift));
        m_Glyphs.push_back(g);
    }
    if (spaceAdded) m_Glyphs.back().shift = int16_t(widest);
    m_LineHeight = s->GetHeight();
    std::stable_sort(m_Glyphs.begin(), m_Glyphs.end(),
                     [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    BuildGlyphLookup();
    m_First = m_Glyphs.front().code;
    m_Last = m_First + int32_t(m_Glyphs.size());
}

void CFontKV::CreateTexture()
{
    FreeTexture();
    if (m_SpriteIndex < 0 && m_pFontName != nullptr && m_pFontName[0] != '\0' && !m_AlphaMap.empty())
        m_Texture = Texture_CreateFromAlphaMap(m_TextureWidth, m_TextureHeight, m_AlphaMap.data());
}

void CFontKV::FreeTexture()
{
    if (m_Texture >= 0) Texture_Free(m_Texture);
    m_Texture = -1;
}

TPageEntry* CFontKV::GetEntry() const
{
    if (m_pOwnEntry != nullptr) return m_pOwnEntry;
    return m_EntryOffset != 0 ? TexturePage_AtOffset(m_EntryOffset) : nullptr;
}

int32_t CFontKV::CellTexture() const
{
    if (m_pOwnEntry != nullptr || m_EntryOffset != 0) {
        const TPageEntry* entry = GetEntry();
        return entry != nullptr ? entry->texture : -1;
    }
    return m_Texture;
}

// ---- measuring ----

const FontGlyph* CFontKV::FindGlyph(uint16_t code) const
{
    uint32_t k = uint32_t(code) - m_LookupFirst;
    if (k >= m_GlyphIndex.size()) return nullptr;
    int32_t index = m_GlyphIndex[k];
    return index >= 0 ? &m_Glyphs[size_t(index)] : nullptr;
}

const FontGlyph* CFontKV::SearchGlyph(uint16_t code) const
{
    int32_t lo = 0, hi = int32_t(m_Glyphs.size()) - 1;
    while (lo <= hi) {
        int32_t mid = lo + (hi - lo) / 2;
        uint16_t at = m_Glyphs[size_t(mid)].code;
        if (at == code) return &m_Glyphs[size_t(mid)];
        if (code < at) hi = mid - 1;
        else lo = mid + 1;
    }
    return nullptr;
}

void CFontKV::BuildGlyphLookup()
{
    m_GlyphIndex.clear();
    m_LookupFirst = 0;
    if (m_Glyphs.empty()) return;
    auto byCode = [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; };
    uint16_t least = std::min_element(m_Glyphs.begin(), m_Glyphs.end(), byCode)->code;
    uint16_t greatest = std::max_element(m_Glyphs.begin(), m_Glyphs.end(), byCode)->code;
    m_LookupFirst = least;
    m_GlyphIndex.resize(size_t(greatest - least) + 1);
    for (uint32_t code = least; code <= greatest; ++code) {
        const FontGlyph* g = SearchGlyph(uint16_t(code));
        m_GlyphIndex[code - least] = g != nullptr ? int32_t(g - m_Glyphs.data()) : -1;
    }
}

int32_t CFontKV::GlyphAdvance(uint16_t code) const
{
    if (const FontGlyph* g = FindGlyph(code)) return g->shift;
    // A font without glyphs measures nothing.
    return m_Glyphs.empty() ? 0 : m_Glyphs.front().shift;
}

int32_t CFontKV::TextWidth(const char16_t* text) const
{
    int32_t width = 0;
    for (const char16_t* c = text; c != nullptr && *c != 0; ++c) width += GlyphAdvance(uint16_t(*c));
    return width;
}
