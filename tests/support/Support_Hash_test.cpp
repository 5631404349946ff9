// SHA-1 contexts asked again or fed after their result, and the colour conversions and merging.
#include "support/Support_Hash.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Digests, Sha1InputAfterTheResultCorruptsTheContext)
{
    SHA1Context context;
    SHA1_Reset(&context);
    const uint8_t abc[] = {'a', 'b', 'c'};
    SHA1_Input(&context, abc, 3);
    ASSERT_EQ(SHA1_Result(&context), 1);
    EXPECT_EQ(SHA1_Result(&context), 1); // asking again changes nothing
    EXPECT_EQ(SHA1_Hex(context), "a9993e364706816aba3e25717850c26c9cd0d89d");
    SHA1_Input(&context, abc, 0);
    EXPECT_EQ(SHA1_Result(&context), 1);
    SHA1_Input(&context, abc, 3);
    EXPECT_EQ(SHA1_Result(&context), 0);
    EXPECT_EQ(FilePos_ToInt(0x1234567890LL), 0x34567890);
}

TEST(Colours, HsvBothWaysAndMerging)
{
    struct Case { int32_t colour; uint8_t hue, saturation, value; };
    const Case toHsv[] = {
        {255, 0, 255, 255}, {16711680, 170, 255, 255}, {0, 0, 0, 0}, {0x808080, 0, 0, 128}, {0x00FF00, 85, 255, 255},
    };
    for (const Case& c : toHsv) {
        uint8_t hsv[3];
        Colour_ToHSV(c.colour, hsv);
        EXPECT_EQ((std::vector<int>{hsv[0], hsv[1], hsv[2]}), (std::vector<int>{c.hue, c.saturation, c.value})) << c.colour;
    }
    const Case fromHsv[] = {
        {255, 255, 255, 255}, {255, 0, 255, 255}, {0x808080, 7, 0, 128}, {16711680, 170, 255, 255}, {0xFC00FF, 213, 255, 255}, // hue 213 lies just past magenta
    };
    for (const Case& c : fromHsv) {
        uint8_t hsv[3];
        Colour_MakeHSVTriple(hsv, c.hue, c.saturation, c.value);
        EXPECT_EQ(Colour_FromHSV(hsv), c.colour) << int(c.hue);
    }
    uint8_t rgb[3];
    Colour_MakeRGBTriple(rgb, 1, 2, 3);
    EXPECT_EQ(Colour_TripleToInt(rgb), 0x030201);
    // 127.5 rounds to even; an amount of 300 wraps to its low byte.
    EXPECT_EQ((std::vector<int32_t>{0x808080, 0x0000FF, 0x00002C, 0}),
              (std::vector<int32_t>{Colour_Merge(0, 0xFFFFFF, 0.5f), Colour_Merge(0x0000FF, 0xFF0000, 0.0f),
                                    Colour_Merge(0, 0x000001, 300.0f), Colour_Merge(0, 0xFFFFFF, 1e30f)}));
}

} // namespace
