// A font's direct glyph lookup against the binary search it stands for: glyph tables from game files
// need not be sorted, so for every code the lookup must find the very glyph the search's path finds,
// or none where the search finds none, whatever the order, duplicates and range of the codes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../gamefile/GameFileTestSupport.h"
#include "font/Font_Class.h"

namespace {

// A font record at offset 0 with the glyph codes in this order (cells of 8 x 8, advance by index).
std::vector<uint8_t> RecordWithCodes(const std::vector<uint16_t>& codes)
{
    const uint32_t count = uint32_t(codes.size()), glyphsAt = 44 + 4 * count, nameAt = glyphsAt + 14 * count;
    std::vector<uint8_t> bytes = Words({0, nameAt, 8, 0, 0, 32, 127, 0, 0x3F800000, 0x3F800000, count});
    for (uint32_t i = 0; i < count; ++i)
        for (uint8_t byte : Words({glyphsAt + 14 * i})) bytes.push_back(byte);
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t halves[7] = {codes[i], uint16_t(8 * i), 0, 8, 8, uint16_t(i + 1), 0};
        for (uint16_t h : halves) {
            bytes.push_back(uint8_t(h));
            bytes.push_back(uint8_t(h >> 8));
        }
    }
    for (char c : std::string("Cells\0", 6)) bytes.push_back(uint8_t(c));
    return bytes;
}

// The binary search over the glyphs in their stored order.
const FontGlyph* Searched(const CFontKV& font, uint16_t code)
{
    int32_t lo = 0, hi = font.GetGlyphCount() - 1;
    while (lo <= hi) {
        int32_t mid = lo + (hi - lo) / 2;
        const FontGlyph& g = font.GetGlyph(mid);
        if (g.code == code) return &g;
        if (code < g.code) hi = mid - 1;
        else lo = mid + 1;
    }
    return nullptr;
}

TEST(FontLookup, EveryCodeFindsWhatTheSearchFinds)
{
    const std::vector<std::vector<uint16_t>> tables = {
        {32, 33, 34, 35, 36, 37, 38, 39, 40}, // sorted
        {40, 39, 38, 37, 36, 35, 34, 33, 32}, // reversed: most codes are not found
        {65, 33, 90, 48, 70, 32, 100},        // shuffled
        {66, 65, 66, 67, 65},                 // duplicates
        {0xFFFF, 0, 0x8000, 1},               // the ends of the range
        {65},                                 // one glyph
        {1000, 5, 60000, 7, 59999},           // a wide range
        {},                                   // no glyphs
    };
    for (const std::vector<uint16_t>& codes : tables) {
        GameFile file;
        LoadInto(file, RecordWithCodes(codes));
        CFontKV font;
        ASSERT_TRUE(font.LoadFromChunk(GameFileEntry(file, "FONT", "font 0", 0)));
        ASSERT_EQ(int32_t(codes.size()), font.GetGlyphCount());
        int32_t found = 0;
        for (uint32_t code = 0; code <= 0xFFFF; ++code) {
            const FontGlyph* expected = Searched(font, uint16_t(code));
            ASSERT_EQ(expected, font.FindGlyph(uint16_t(code))) << "code " << code << " of " << codes.size() << " glyphs";
            found += expected != nullptr;
        }
        // A sorted table finds each of its codes.
        if (codes.size() == 9 && codes[0] == 32) {
            EXPECT_EQ(9, found);
        }
        // After a reset nothing is found.
        font.Reset();
        EXPECT_EQ(nullptr, font.FindGlyph(codes.empty() ? 0 : codes[0]));
    }
}

} // namespace
