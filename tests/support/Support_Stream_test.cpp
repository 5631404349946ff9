#include "support/Support_Stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "platform/Platform_MemoryManager.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Written(const CStream& s) { return Bytes(s.GetBuffer(), s.GetBuffer() + s.GetPosition()); }

Bytes Whole(const CStream& s)
{
    const uint8_t* data = s.GetBuffer();
    return data ? Bytes(data, data + s.GetSize()) : Bytes();
}

void Put(CStream& s, Bytes bytes, bool rewind = false)
{
    s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    if (rewind) s.SetPosition(0);
}

// The text, freed; "<null>" for none.
std::string Take(char* text)
{
    std::string copy = text ? text : "<null>";
    MemoryManager::Free(text);
    return copy;
}

std::string HexOf(const CStream& s)
{
    char* hex = nullptr;
    s.ToHexString(&hex);
    return Take(hex);
}

// Stored lengths come from files: a string never reads past the data, whatever its length says.
TEST(Stream, LayoutHexTextAndStringLengthsBeyondTheData)
{
    CStream s(2);
    s.WriteInteger(1);
    s.WriteString("abc");
    EXPECT_EQ(HexOf(s), "0100000003000000616263"); // the written data only
    s.SetPosition(100);
    EXPECT_EQ(HexOf(s), "01000000030000006162630000000000"); // up to the grown size
    s.FromHexString("0aFF1"); // only complete pairs
    EXPECT_EQ(Whole(s), (Bytes{0x0A, 0xFF}));

    // A huge length then two bytes; a negative length; the length itself cut short.
    const std::tuple<Bytes, int32_t, std::string, int64_t> cases[] = {
        {{0xF0, 0xFF, 0xFF, 0x7F, 'h', 'i'}, 2, "hi", 6}, {{0xFB, 0xFF, 0xFF, 0xFF, 'x'}, 0, "<null>", 4}, {{2, 0}, 0, "", 2}};
    for (const auto& [bytes, length, text, position] : cases) {
        CStream in;
        Put(in, bytes, true);
        char* read = nullptr;
        EXPECT_EQ(in.ReadStringInto(&read), length);
        if (read != nullptr) {
            EXPECT_EQ(MemoryManager::GetSize(read), static_cast<size_t>(length) + 1);
        }
        EXPECT_EQ(Take(read), text);
        EXPECT_EQ(in.GetPosition(), position);
    }
}

TEST(Stream, TypedReadsNearTheEndAndGrowth)
{
    CStream s;
    s.WriteInteger(7);
    s.WriteReal(2.5);
    s.WriteBoolean(2); // only 1 is written as true
    Put(s, {0, 0, 0x10, 0, 0xAA, 0xBB});
    s.SetPosition(0);
    // The last boolean read is any non-zero byte.
    EXPECT_EQ((std::vector<double>{double(s.ReadInteger()), s.ReadReal(), double(s.ReadBoolean()), double(s.ReadBoolean())}),
              (std::vector<double>{7, 2.5, 0, 1}));
    s.SetPosition(s.GetSize() - 2);
    EXPECT_EQ((std::vector<double>{double(s.ReadInteger()), s.ReadReal(), double(s.ReadBoolean())}), std::vector<double>(3, 0));
    s.SetPosition(-2);
    EXPECT_EQ((std::vector<int64_t>{s.ReadInteger(), s.WriteBuffer(s.GetBuffer(), 1), s.GetPosition()}), (std::vector<int64_t>{0, 0, -2}));

    // A gap is zero-filled; a stream's own bytes written while it grows are copied from where
    // they moved to.
    CStream self(4);
    self.SetPosition(2);
    Put(self, {1, 2});
    EXPECT_EQ(self.WriteBuffer(self.GetBuffer(), 4), 4);
    EXPECT_EQ(Written(self), (Bytes{0, 0, 1, 2, 0, 0, 1, 2}));
}

TEST(Stream, CompressedBlocks)
{
    testsupport::ConsoleCapture capture;
    CStream source;
    for (int32_t i = 0; i < 50000; ++i) source.WriteInteger(i * 7 % 1013);
    CStream out;
    out.WriteCompressed(&source);
    out.WriteInteger(0x55667788);
    Bytes good = Written(out);
    good.resize(good.size() - 4);
    out.SetPosition(0);
    CStream* inflated = ZDecompressStream(&out);
    ASSERT_NE(inflated, nullptr);
    EXPECT_EQ(Whole(*inflated), Whole(source));
    // The block ends right after the zlib stream, so the next value follows at once.
    EXPECT_EQ(out.ReadInteger(), 0x55667788);
    CStream::Delete(inflated);
    EXPECT_NE(capture.console.text.find("Done ZDecompressStream\n"), std::string::npos);

    capture.console.text.clear();
    Bytes damaged = good;
    damaged[4] ^= 0xFF; // the zlib header
    // A length saying more than is there, a damaged header, and lengths 0 and -8.
    const Bytes broken[] = {Bytes(good.begin(), good.end() - 6), damaged, {0, 0, 0, 0, 0x78}, {0xF8, 0xFF, 0xFF, 0xFF}};
    for (const Bytes& bytes : broken) {
        CStream in;
        Put(in, bytes, true);
        EXPECT_EQ(ZDecompressStream(&in), nullptr);
    }
    EXPECT_NE(capture.console.text.find("ZDecompressStream -8\n"), std::string::npos);
    EXPECT_EQ(capture.console.text.find("Done"), std::string::npos);
}

TEST(Stream, ReadStreamTakesWhatIsThere)
{
    // Lengths 0, 3, -4, and 10 with only six bytes left.
    CStream s;
    Put(s, {0, 0, 0, 0, 3, 0, 0, 0, 7, 8, 9, 0xFC, 0xFF, 0xFF, 0xFF, 10, 0, 0, 0, 1, 2, 3, 4, 5, 6}, true);
    const Bytes blocks[] = {{}, {7, 8, 9}, {}, {1, 2, 3, 4, 5, 6}, {}};
    for (const Bytes& expected : blocks) {
        CStream* block = s.ReadStream();
        EXPECT_EQ(Whole(*block), expected);
        CStream::Delete(block);
    }
    EXPECT_EQ(s.GetPosition(), 25);
}

TEST(Stream, GrowingAViewCopiesIt)
{
    CStream s;
    Put(s, {1, 2, 3, 4, 5, 6});
    s.SetPosition(1);
    CStream view;
    EXPECT_EQ(view.CopyFrom(&s, 100, true), 5);
    EXPECT_EQ(view.GetBuffer(), s.GetBuffer() + 1);
    view.WriteInteger(-1);
    EXPECT_EQ(Whole(s), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Written(view), (Bytes{2, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(Stream, SubstitutionIsUndoneOnlyInsideItsRange)
{
    uint8_t forward[256], inverse[256];
    for (int32_t seed : {0, 7, 123456, -1, -999, 2147483647}) {
        CStream s;
        Bytes plain(300);
        for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 31 + 5); // every byte
        CStream::BuildSubstitution(seed, forward, inverse);
        for (uint8_t byte : plain) Put(s, {forward[byte]});
        s.UnscrambleRange(seed, 0, 0);
        EXPECT_EQ(Written(s), plain) << seed;
    }
    CStream::BuildSubstitution(42, forward, inverse);
    CStream s;
    Put(s, {1, 2, 3, 4, 5, 6});
    s.UnscrambleRange(42, 2, 2);
    EXPECT_EQ(Whole(s), (Bytes{1, 2, inverse[3], inverse[4], 5, 6}));
    s.UnscrambleRange(42, 4, 1000);
    s.UnscrambleRange(42, 1000, 4);
    s.UnscrambleRange(42, -50, 1);
    EXPECT_EQ(Whole(s), (Bytes{1, 2, inverse[3], inverse[4], inverse[5], inverse[6]}));
}

TEST(Stream, HashToNewline)
{
    // A lead byte that claims more bytes than the text has stops at the terminator.
    std::string text = "a#b\\#c\xC3\xA9x\xE2\x82";
    EXPECT_EQ(String_HashToNewline(text.data()), 8);
    EXPECT_STREQ(text.c_str(), "a\rb#c\xC3\xA9x\xE2\x82");
}

} // namespace
