#include "platform/Platform_Font.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/Platform_MemoryManager.h"

TEST(TFontTest, StyleBitsChooseWeightAndDecorations)
{
    TFont font;
    font.SetStyle(FONT_STYLE_BOLD | FONT_STYLE_ITALIC);
    EXPECT_EQ(700, font.Description().weight);
    EXPECT_EQ(1, font.Description().italic);
    EXPECT_EQ(0, font.Description().underline);
    EXPECT_EQ(0, font.Description().strikeOut);
    EXPECT_EQ(32, font.Description().pitchAndFamily);

    font.SetStyle(FONT_STYLE_UNDERLINE | FONT_STYLE_STRIKEOUT);
    EXPECT_EQ(400, font.Description().weight);
    EXPECT_EQ(0, font.Description().italic);
    EXPECT_EQ(1, font.Description().underline);
    EXPECT_EQ(1, font.Description().strikeOut);

    font.SetHeight(-12);
    EXPECT_EQ(-12, font.Description().height);
    EXPECT_EQ(nullptr, font.GetHandle());
}

TEST(TFontTest, NamesAreCopiedInAndOut)
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
}

TEST(TFontTest, AssignTakesValueNameHeightAndStyle)
{
    TFont source;
    source.SetValue(7);
    source.SetName("Sans");
    source.SetHeight(20);
    source.SetStyle(FONT_STYLE_ITALIC);
    TFont target;
    target.SetName("Old");
    target.Assign(&source);
    EXPECT_EQ(7, target.GetValue());
    EXPECT_EQ(20, target.GetHeight());
    EXPECT_EQ(FONT_STYLE_ITALIC, target.GetStyle());
    EXPECT_STREQ("Sans", target.Description().faceName);
    EXPECT_NE(source.Description().faceName, target.Description().faceName);
    EXPECT_EQ(20, target.Description().height);
    EXPECT_EQ(1, target.Description().italic);
}
