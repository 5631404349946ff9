#include "support/Support_Hash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Md5(const std::string& text)
{
    MD5Context context;
    MD5_Init(&context);
    // Fed in two parts, so that a block split between calls is covered too.
    size_t half = text.size() / 2;
    MD5_Update(&context, reinterpret_cast<const uint8_t*>(text.data()), half);
    MD5_Update(&context, reinterpret_cast<const uint8_t*>(text.data()) + half, text.size() - half);
    MD5_Final(&context);
    return MD5_Hex(context);
}

std::string Sha1(const std::string& text)
{
    SHA1Context context;
    SHA1_Reset(&context);
    SHA1_Input(&context, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return SHA1_Result(&context) ? SHA1_Hex(context) : "corrupted";
}

} // namespace

TEST(Digests, PublishedVectors)
{
    const std::string block56 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    struct Case {
        std::string text;
        const char* md5;
        const char* sha1;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {block56, "8215ef0796a20bcaaae116d3876c664a", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21", "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Md5(c.text), c.md5) << c.text.size();
        EXPECT_EQ(Sha1(c.text), c.sha1) << c.text.size();
    }
}

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
    struct Case {
        int32_t colour;
        uint8_t hue, saturation, value;
    };
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
