#include "platform/Platform_Font.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(c.weight, font.Description().weight) << c.style;
        EXPECT_EQ(c.italic, font.Description().italic) << c.style;
        EXPECT_EQ(c.underline, font.Description().underline) << c.style;
        EXPECT_EQ(c.strikeOut, font.Description().strikeOut) << c.style;
        EXPECT_EQ(32, font.Description().pitchAndFamily);
    }
    font.SetHeight(-12);
    EXPECT_EQ(-12, font.Description().height);
    EXPECT_EQ(nullptr, font.GetHandle());
}

TEST(TFontTest, NamesAreCopiedInAndOutAndAssignTakesTheRest)
{
    TFont font;
    EXPECT_EQ(nullptr, font.GetName());
    char name[] = "Serif Bold";
    font.SetName(name);
    name[0] = 'X';
    char* copy = font.GetName();
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("Serif Bold", copy);
    EXPECT_STREQ("Serif Bold", font.Description().faceName);
    MemoryManager::Free(copy);
    // A shorter name reuses the buffer; a longer one gets a new one.
    const char* buffer = font.Description().faceName;
    font.SetName("Mono");
    EXPECT_EQ(buffer, font.Description().faceName);
    font.SetName("A considerably longer face name");
    copy = font.GetName();
    EXPECT_STREQ("A considerably longer face name", copy);
    MemoryManager::Free(copy);
    font.SetName(nullptr);
    EXPECT_EQ(nullptr, font.GetName());
    EXPECT_EQ(nullptr, font.Description().faceName);

    TFont source;
    source.SetValue(7);
    source.SetName("Sans");
    source.SetHeight(20);
    source.SetStyle(FONT_STYLE_ITALIC);
    font.SetName("Old");
    font.Assign(&source);
    EXPECT_EQ(7, font.GetValue());
    EXPECT_EQ(20, font.GetHeight());
    EXPECT_EQ(FONT_STYLE_ITALIC, font.GetStyle());
    EXPECT_STREQ("Sans", font.Description().faceName);
    EXPECT_NE(source.Description().faceName, font.Description().faceName);
    EXPECT_EQ(20, font.Description().height);
    EXPECT_EQ(1, font.Description().italic);
}
