#include "platform/Platform_Font.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Platform_MemoryManager.h"

TEST(TFontTest, StyleBitsChooseWeightAndDecorations)
{
    const struct {
        int32_t style, weight, italic, underline, strikeOut;
    } cases[] = {{FONT_STYLE_BOLD | FONT_STYLE_ITALIC, 700, 1, 0, 0},
                 {FONT_STYLE_UNDERLINE | FONT_STYLE_STRIKEOUT, 400, 0, 1, 1}};
    TFont font;
    for (const auto& c : cases) {
        font.SetStyle(c.style);
        const auto& d = font.Description();
        EXPECT_EQ((std::vector<int32_t>{c.weight, c.italic, c.underline, c.strikeOut}),
                  (std::vector<int32_t>{d.weight, d.italic, d.underline, d.strikeOut}))
            << c.style;
    }
}

TEST(TFontTest, NamesAreCopiedInAndOutAndAssignTakesTheRest)
{
    TFont font;
    char name[] = "Serif Bold";
    font.SetName(name);
    name[0] = 'X';
    char* copy = font.GetName();
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("Serif Bold", copy);
    MemoryManager::Free(copy);
    font.SetName(nullptr);
    EXPECT_EQ(nullptr, font.GetName());

    TFont source;
    source.SetValue(7);
    source.SetName("Sans");
    source.SetHeight(20);
    source.SetStyle(FONT_STYLE_ITALIC);
    font.SetName("Old");
    font.Assign(&source);
    EXPECT_EQ((std::vector<int32_t>{7, 20, 1}), (std::vector<int32_t>{font.GetValue(), font.Description().height,
                                                                     font.Description().italic}));
    EXPECT_STREQ("Sans", font.Description().faceName);
    EXPECT_NE(source.Description().faceName, font.Description().faceName);
}
