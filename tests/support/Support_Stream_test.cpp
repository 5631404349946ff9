#include "support/Support_Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

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

TEST(Stream, LayoutAndHexTextBothWays)
{
    CStream s(2);
    EXPECT_EQ(HexOf(s), "<null>");
    s.SetPosition(-3);
    EXPECT_EQ(HexOf(s), "<null>");
    s.SetPosition(0);
    s.WriteInteger(1);
    s.WriteString("abc");
    EXPECT_EQ(Written(s), (Bytes{1, 0, 0, 0, 3, 0, 0, 0, 0x61, 0x62, 0x63}));
    EXPECT_EQ(HexOf(s), "0100000003000000616263"); // the written data only
    s.SetPosition(100);
    EXPECT_EQ(HexOf(s), "01000000030000006162630000000000"); // up to the grown size
    s.SetPosition(0);
    EXPECT_EQ(s.ReadInteger(), 1);
    EXPECT_EQ(Take(s.ReadString()), "abc");

    struct Case {
        const char* hex;
        Bytes bytes;
    };
    // Only complete pairs are counted, but the first characters are decoded whatever they are.
    const Case cases[] = {{"0aFF", {0x0A, 0xFF}}, {"0azz", {0x0A}}, {"0a1", {0x0A}}, {"zz0a", {(19 * 16 + 19) & 0xFF}},
                          {"", {(19 * 16 + 19) & 0xFF}}, {nullptr, {(19 * 16 + 19) & 0xFF}}, {"zz", {}}};
    for (const Case& c : cases) {
        s.FromHexString(c.hex);
        EXPECT_EQ(Whole(s), c.bytes) << (c.hex ? c.hex : "null");
        EXPECT_EQ(s.GetPosition(), 0);
    }
    EXPECT_EQ(s.GetBuffer(), nullptr);
}

TEST(Stream, StringsNullEmptyAndLengthsBeyondTheData)
{
    CStream s;
    s.WriteString(nullptr);
    s.WriteString("");
    s.WriteString("h\xC3\xA9llo");
    EXPECT_EQ(s.GetPosition(), 4 + 4 + 4 + 6);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadString(), nullptr);
    char* empty = reinterpret_cast<char*>(1);
    EXPECT_EQ(s.ReadStringInto(&empty), 0);
    EXPECT_EQ(empty, nullptr);
    char* word = nullptr;
    EXPECT_EQ(s.ReadStringInto(&word), 6);
    EXPECT_EQ(Take(word), "h\xC3\xA9llo");

    CStream huge(6);
    huge.WriteInteger(0x7FFFFFF0); // a huge stored length, then only two bytes
    Put(huge, {'h', 'i'}, true);
    char* text = nullptr;
    EXPECT_EQ(huge.ReadStringInto(&text), 2);
    EXPECT_EQ(MemoryManager::GetSize(text), 3u);
    EXPECT_EQ(Take(text), "hi");

    CStream negative;
    negative.WriteInteger(-5);
    Put(negative, {'x', 'y'}, true);
    EXPECT_EQ(negative.ReadString(), nullptr);
    EXPECT_EQ(negative.GetPosition(), 4);

    // A length cut short by the end of the data is read from the bytes that are there.
    CStream shortLength;
    Put(shortLength, {2, 0}, true);
    char* none = nullptr;
    EXPECT_EQ(shortLength.ReadStringInto(&none), 0);
    EXPECT_EQ(Take(none), "");
    EXPECT_EQ(shortLength.GetPosition(), 2);
}

TEST(Stream, TypedReadsNearTheEndGrowthAndBooleans)
{
    CStream s;
    s.WriteInteger(7);
    s.WriteReal(2.5);
    s.WriteBoolean(1);
    s.WriteBoolean(2); // only 1 is written as true
    Put(s, {0, 0, 0x10, 0, 0xAA, 0xBB});
    s.SetPosition(0);
    // The last boolean is any non-zero byte.
    EXPECT_EQ((std::vector<double>{double(s.ReadInteger()), s.ReadReal(), double(s.ReadBoolean()), double(s.ReadBoolean()),
                                   double(s.ReadBoolean())}),
              (std::vector<double>{7, 2.5, 1, 0, 1}));

    // Two bytes remain of the data (the rest of the grown block is beyond the size).
    s.Seek(0, 2);
    int64_t size = s.GetSize();
    s.SetPosition(size - 2);
    EXPECT_EQ((std::vector<double>{double(s.ReadInteger()), s.ReadReal(), double(s.ReadBoolean())}), std::vector<double>(3, 0));
    EXPECT_EQ(s.GetPosition(), size - 2);
    s.SetPosition(-2);
    uint8_t byte = 0;
    EXPECT_EQ((std::vector<int64_t>{s.ReadInteger(), s.ReadBuffer(&byte, 1), s.WriteBuffer(&byte, 1), s.GetPosition()}),
              (std::vector<int64_t>{0, 0, 0, -2}));

    // Growth doubles, or fits the write when doubling is not enough.
    CStream doubled(10), fitted, gap;
    doubled.SetPosition(8);
    doubled.WriteReal(1.0);
    fitted.WriteInteger(1);
    int64_t first = fitted.GetSize();
    Put(fitted, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ((std::vector<int64_t>{20, 4, 11}), (std::vector<int64_t>{doubled.GetSize(), first, fitted.GetSize()}));
    gap.SetPosition(3); // writing past the end leaves zero bytes in the gap
    Put(gap, {9});
    EXPECT_EQ(Whole(gap), (Bytes{0, 0, 0, 9}));
}

TEST(Stream, ReadAndWriteBufferEdges)
{
    CStream s;
    uint8_t bytes[4] = {1, 2, 3, 4}, out[8] = {};
    EXPECT_EQ((std::vector<int64_t>{s.WriteBuffer(nullptr, 4), s.WriteBuffer(bytes, 0), s.WriteBuffer(bytes, -1),
                                    s.WriteBuffer(bytes, 4)}),
              (std::vector<int64_t>{0, 0, 0, 4}));
    s.SetPosition(1);
    EXPECT_EQ(s.ReadBuffer(nullptr, 2), 0);
    EXPECT_EQ(s.ReadBuffer(out, 8), 3);
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{2, 3, 4}));
    // Writing a stream's own bytes while it grows copies them from where they moved to.
    s.SetPosition(4);
    EXPECT_EQ(s.WriteBuffer(s.GetBuffer(), 4), 4);
    EXPECT_EQ(Written(s), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(Stream, CompressedBlocks)
{
    testsupport::ConsoleCapture capture;
    CStream empty, packedEmpty;
    packedEmpty.WriteCompressed(&empty);
    EXPECT_EQ(Written(packedEmpty), (Bytes{8, 0, 0, 0, 0x78, 0x9C, 0x03, 0, 0, 0, 0, 0x01}));
    packedEmpty.SetPosition(0);
    CStream* inflated = ZDecompressStream(&packedEmpty);
    ASSERT_NE(inflated, nullptr);
    EXPECT_EQ((std::vector<int64_t>{0, 12}), (std::vector<int64_t>{inflated->GetSize(), packedEmpty.GetPosition()}));
    CStream::Delete(inflated);

    CStream source;
    for (int32_t i = 0; i < 50000; ++i) source.WriteInteger(i * 7 % 1013);
    source.SetPosition(123);
    CStream out;
    out.WriteInteger(0x11223344);
    out.WriteCompressed(&source);
    out.WriteInteger(0x55667788);
    EXPECT_EQ(source.GetPosition(), 123);
    Bytes all = Written(out);
    Bytes good(all.begin() + 4, all.end() - 4);
    out.SetPosition(0);
    EXPECT_EQ(out.ReadInteger(), 0x11223344);
    inflated = ZDecompressStream(&out);
    ASSERT_NE(inflated, nullptr);
    EXPECT_EQ(Whole(*inflated), Whole(source));
    EXPECT_EQ(inflated->GetPosition(), 0);
    // The block ends right after the zlib stream, so the next value follows at once.
    EXPECT_EQ(out.ReadInteger(), 0x55667788);
    CStream::Delete(inflated);
    EXPECT_NE(capture.console.text.find("ZDecompressStream "), std::string::npos);
    EXPECT_NE(capture.console.text.find("Done ZDecompressStream\n"), std::string::npos);

    capture.console.text.clear();
    Bytes damaged = good;
    damaged[4] ^= 0xFF; // the zlib header
    Bytes zero = {0, 0, 0, 0};
    zero.insert(zero.end(), good.begin(), good.end());
    struct Broken {
        Bytes bytes;
        int64_t position; // after the call, or -1 for anywhere
    };
    const Broken broken[] = {
        {Bytes(good.begin(), good.end() - 6), -1}, // the length says more than is there
        {damaged, -1},
        {zero, 4}, // an empty or negative length is no block, and the position stays after it
        {{0xF8, 0xFF, 0xFF, 0xFF}, 4},
    };
    for (const Broken& b : broken) {
        CStream in;
        Put(in, b.bytes, true);
        EXPECT_EQ(ZDecompressStream(&in), nullptr);
        if (b.position >= 0) {
            EXPECT_EQ(in.GetPosition(), b.position);
        }
    }
    EXPECT_EQ(ZDecompressStream(nullptr), nullptr);
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
        EXPECT_EQ(block->GetPosition(), 0);
        CStream::Delete(block);
    }
    EXPECT_EQ(s.GetPosition(), 25);
}

TEST(Stream, CopiesAndViews)
{
    auto* source = new CStream;
    Put(*source, {1, 2, 3, 4, 5});
    source->SetPosition(2);
    CStream whole;
    EXPECT_EQ(whole.CopyFrom(source, 0, true), 5);
    EXPECT_EQ(source->GetPosition(), 5);
    CStream::Delete(source);
    // Still readable after the source is gone (the sanitizer build would see a view).
    EXPECT_EQ(Written(whole), (Bytes{1, 2, 3, 4, 5}));

    CStream s;
    Put(s, {1, 2, 3, 4, 5, 6});
    s.SetPosition(2);
    CStream copy;
    EXPECT_EQ(copy.CopyFromNoShare(&s, 100), 4);
    EXPECT_EQ(Written(copy), (Bytes{3, 4, 5, 6}));
    EXPECT_EQ(s.GetPosition(), 6);
    s.SetPosition(1);
    CStream view;
    EXPECT_EQ(view.CopyFrom(&s, 100, true), 5);
    EXPECT_EQ(view.GetBuffer(), s.GetBuffer() + 1);
    EXPECT_EQ(view.GetPosition(), 5);
    view.FreeBuffer(); // a view is never freed by its viewer
    EXPECT_EQ(view.GetSize(), 5);
    // Growing a view makes it its own copy and leaves the viewed data alone.
    view.WriteInteger(-1);
    EXPECT_EQ(Whole(s), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Written(view), (Bytes{2, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 0xFF}));
    CStream nothing;
    EXPECT_EQ(nothing.CopyFrom(&s, -3, false) + nothing.CopyFrom(&nothing, 0, false), 0);
}

TEST(Stream, SaveAndLoadFiles)
{
    testsupport::ScopedSaveArea area("stream_save_and_load");
    const char* name = "support_stream_save_and_load.bin";
    CStream s(64);
    Put(s, {10, 20, 30, 40, 50});
    s.SaveToFile(area.Path(name).c_str());
    CStream loaded;
    loaded.SetPosition(3);
    loaded.LoadFromFile(name, 2);
    EXPECT_EQ(Whole(loaded), (Bytes{30, 40, 50}));
    EXPECT_EQ(loaded.GetPosition(), 3);
    for (int64_t offset : {5, 1000}) {
        loaded.LoadFromFile(name, offset);
        EXPECT_EQ(loaded.GetSize(), 0);
    }
    loaded.LoadFromFile("support_stream_no_such_file.bin", 0);
    EXPECT_TRUE(loaded.GetBuffer() == nullptr && loaded.GetSize() == 0);
}

TEST(Stream, SubstitutionIsUndoneOnlyInsideItsRange)
{
    uint8_t forward[256], inverse[256];
    CStream::BuildSubstitution(123456, forward, inverse);
    EXPECT_EQ(forward[0], 0);
    int moved = 0;
    for (int i = 0; i < 256; ++i) moved += forward[i] != i;
    EXPECT_GT(moved, 100);
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
    struct Case {
        std::string text, after;
        int32_t length;
    };
    // A lead byte that claims more bytes than the text has stops at the terminator.
    const Case cases[] = {{"a#b\\#c", "a\rb#c", 5}, {"\xC3\xA9#\xE2\x82\xAC", "\xC3\xA9\r\xE2\x82\xAC", 3},
                          {"x\xE2\x82", "x\xE2\x82", 2}};
    for (Case c : cases) {
        EXPECT_EQ(String_HashToNewline(c.text.data()), c.length) << c.after;
        EXPECT_STREQ(c.text.c_str(), c.after.c_str());
    }
    EXPECT_EQ(String_HashToNewline(nullptr), 0);
}

} // namespace
