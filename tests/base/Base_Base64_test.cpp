#include "base/Base_Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Encode(const std::string& bytes)
{
    std::vector<char> out(Base64_EncodedSize(static_cast<uint32_t>(bytes.size())) + 4, 'x');
    uint32_t length = Base64_Encode(bytes.data(), static_cast<uint32_t>(bytes.size()), out.data());
    EXPECT_EQ(out[length], '\0');
    EXPECT_EQ(length + 1, Base64_EncodedSize(static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(out[length + 1], 'x'); // nothing past the terminator
    return std::string(out.data(), length);
}

std::string Decode(const char* text, uint32_t size)
{
    std::vector<char> out(size + 8, 'x');
    uint32_t written = Base64_Decode(text, out.data(), size, false);
    EXPECT_LE(written + 1, size == 0 ? 1u : size);
    for (size_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], 'x') << "wrote past the destination";
    return std::string(out.data(), written);
}

TEST(Base64, EncodesGroupsAndPadsAndRoundTripsEveryByte)
{
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {
        {"", ""}, {"f", "Zg=="}, {"foobar", "Zm9vYmFy"}, {std::string("\xFB\xEF", 2), "++8="},
    };
    for (const auto& c : cases) EXPECT_EQ(Encode(c.bytes), c.text) << c.bytes;

}

TEST(Base64, DecodingStopsOutsideTheAlphabetAndKeepsTheLastByteFromData)
{
    const struct {
        const char* text;
        uint32_t size;
        const char* bytes;
    } cases[] = {
        {"Zm9v\xC3\xA9YmFy", 64, "foo"}, // stops outside the alphabet
        {"Zg==Zm9v", 64, "f"},             // nothing after the padding
        {"Zm9vYmE", 64, "fooba"},          // a short last group
        {"Zm9vY", 64, "foo"},              // one character makes no byte
        {nullptr, 64, ""}, {"Zm9v", 3, "fo"}, {"Zm9vYmFy", 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.text, c.size), c.bytes) << (c.text ? c.text : "null");

    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(Base64_Decode("Zm9v", out, 4, true), 3u);
    EXPECT_EQ(std::string(out, 4), std::string("foo\0", 4)); // filled, and still terminated
    char untouched = 'x';
    EXPECT_EQ(Base64_Decode("Zm9v", &untouched, 0, true), 0u);
    EXPECT_EQ(untouched, 'x');
    char open[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    Base64_Decode("Zm9v", open, 8, false);
    EXPECT_EQ(open[3], 'x'); // no terminator unless asked
}

} // namespace
