#include "support/Support_Stream.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "base/Base_Console.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

namespace {

std::vector<uint8_t> Written(const CStream& s)
{
    const uint8_t* data = s.GetBuffer();
    return std::vector<uint8_t>(data, data + s.GetPosition());
}

std::vector<uint8_t> Whole(const CStream& s)
{
    const uint8_t* data = s.GetBuffer();
    return data ? std::vector<uint8_t>(data, data + s.GetSize()) : std::vector<uint8_t>();
}

void WriteBytes(CStream& s, std::initializer_list<uint8_t> bytes)
{
    std::vector<uint8_t> v(bytes);
    s.WriteBuffer(v.data(), static_cast<int64_t>(v.size()));
}

using testsupport::ConsoleCapture;

std::string HexOf(const CStream& s)
{
    char* hex = nullptr;
    s.ToHexString(&hex);
    std::string text = hex ? hex : "<null>";
    MemoryManager::Free(hex);
    return text;
}

TEST(Stream, IntegerAndStringLayoutAndHexText)
{
    CStream s;
    s.WriteInteger(1);
    s.WriteString("abc");
    EXPECT_EQ(Written(s), (std::vector<uint8_t>{1, 0, 0, 0, 3, 0, 0, 0, 0x61, 0x62, 0x63}));
    EXPECT_EQ(HexOf(s), "0100000003000000616263");

    s.SetPosition(0);
    EXPECT_EQ(s.ReadInteger(), 1);
    char* text = s.ReadString();
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "abc");
    MemoryManager::Free(text);
}

TEST(Stream, HexTextCoversTheWrittenDataOnly)
{
    CStream s(2);
    EXPECT_EQ(HexOf(s), "<null>");
    s.SetPosition(-3);
    EXPECT_EQ(HexOf(s), "<null>");
    s.SetPosition(0);
    s.WriteInteger(0); // grows to 4
    s.SetPosition(100);
    EXPECT_EQ(HexOf(s), "00000000");
}

TEST(Stream, FromHexStringTakesWholeDigitPairs)
{
    CStream s;
    s.FromHexString("0aFF");
    EXPECT_EQ(Whole(s), (std::vector<uint8_t>{0x0A, 0xFF}));
    EXPECT_EQ(s.GetPosition(), 0);

    s.FromHexString("0azz");
    EXPECT_EQ(Whole(s), (std::vector<uint8_t>{0x0A}));
    s.FromHexString("0a1");
    EXPECT_EQ(Whole(s), (std::vector<uint8_t>{0x0A}));

    // Only complete pairs are counted, but the first characters are decoded whatever they are.
    s.FromHexString("zz0a");
    ASSERT_EQ(s.GetSize(), 1);
    EXPECT_EQ(s.GetBuffer()[0], static_cast<uint8_t>((19 * 16 + 19) & 0xFF));

    s.FromHexString("");
    EXPECT_EQ(s.GetSize(), 1);
    s.FromHexString(nullptr);
    EXPECT_EQ(s.GetSize(), 1);

    s.FromHexString("zz");
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetBuffer(), nullptr);
}

TEST(Stream, NullAndEmptyStringsReadBackAsNull)
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
    EXPECT_STREQ(word, "h\xC3\xA9llo");
    MemoryManager::Free(word);
}

TEST(Stream, StringLengthsBeyondTheDataAreBounded)
{
    CStream s(6);
    s.WriteInteger(0x7FFFFFF0); // a huge stored length, then only two bytes
    WriteBytes(s, {'h', 'i'});
    s.SetPosition(0);
    char* text = nullptr;
    EXPECT_EQ(s.ReadStringInto(&text), 2);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "hi");
    EXPECT_EQ(MemoryManager::GetSize(text), 3u);
    MemoryManager::Free(text);

    CStream negative;
    negative.WriteInteger(-5);
    WriteBytes(negative, {'x', 'y'});
    negative.SetPosition(0);
    EXPECT_EQ(negative.ReadString(), nullptr);
    EXPECT_EQ(negative.GetPosition(), 4);

    // A length cut short by the end of the data is read from the bytes that are there.
    CStream shortLength;
    WriteBytes(shortLength, {2, 0});
    shortLength.SetPosition(0);
    char* none = nullptr;
    EXPECT_EQ(shortLength.ReadStringInto(&none), 0);
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none, "");
    MemoryManager::Free(none);
    EXPECT_EQ(shortLength.GetPosition(), 2);
}

TEST(Stream, TypedReadsAtOrNearTheEndGiveEmptyValuesWithoutMoving)
{
    CStream s;
    s.WriteInteger(7);
    s.WriteReal(2.5);
    s.WriteBoolean(1);
    WriteBytes(s, {0xAA, 0xBB});
    int64_t end = s.GetPosition();
    s.SetPosition(0);
    EXPECT_EQ(s.ReadInteger(), 7);
    EXPECT_EQ(s.ReadReal(), 2.5);
    EXPECT_TRUE(s.ReadBoolean());

    // Two bytes remain of the data (the rest of the grown block is beyond the size).
    s.Seek(0, 2);
    int64_t size = s.GetSize();
    s.SetPosition(size - 2);
    EXPECT_EQ(s.ReadInteger(), 0);
    EXPECT_EQ(s.ReadReal(), 0.0);
    EXPECT_FALSE(s.ReadBoolean());
    EXPECT_EQ(s.GetPosition(), size - 2);

    s.SetPosition(size);
    EXPECT_EQ(s.ReadInteger(), 0);
    EXPECT_EQ(s.GetPosition(), size);
    EXPECT_GE(size, end);

    s.SetPosition(-2);
    EXPECT_EQ(s.ReadInteger(), 0);
    uint8_t byte = 0;
    EXPECT_EQ(s.ReadBuffer(&byte, 1), 0);
    EXPECT_EQ(s.WriteBuffer(&byte, 1), 0);
    EXPECT_EQ(s.GetPosition(), -2);
}

TEST(Stream, BooleansAreAnyNonZeroByteAndOnlyOneIsWrittenAsTrue)
{
    CStream s;
    WriteBytes(s, {0, 0, 0x10, 0});
    s.WriteBoolean(2);
    s.WriteBoolean(1);
    s.SetPosition(0);
    EXPECT_TRUE(s.ReadBoolean());
    EXPECT_FALSE(s.ReadBoolean());
    EXPECT_TRUE(s.ReadBoolean());
}

TEST(Stream, GrowthDoublesOrFitsTheWrite)
{
    CStream s(10);
    s.SetPosition(8);
    s.WriteReal(1.0);
    EXPECT_EQ(s.GetSize(), 20);
    EXPECT_EQ(s.GetPosition(), 16);

    CStream fresh;
    fresh.WriteInteger(1);
    EXPECT_EQ(fresh.GetSize(), 4);
    WriteBytes(fresh, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(fresh.GetSize(), 11);

    // Writing past the end leaves zero bytes in the gap.
    CStream gap;
    gap.SetPosition(3);
    WriteBytes(gap, {9});
    EXPECT_EQ(Whole(gap), (std::vector<uint8_t>{0, 0, 0, 9}));
}

TEST(Stream, ReadAndWriteBufferRefuseNothingToDo)
{
    CStream s;
    EXPECT_EQ(s.WriteBuffer(nullptr, 4), 0);
    uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(s.WriteBuffer(bytes, 0), 0);
    EXPECT_EQ(s.WriteBuffer(bytes, -1), 0);
    EXPECT_EQ(s.WriteBuffer(bytes, 4), 4);
    s.SetPosition(1);
    uint8_t out[8] = {};
    EXPECT_EQ(s.ReadBuffer(nullptr, 2), 0);
    EXPECT_EQ(s.ReadBuffer(out, 8), 3);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[2], 4);

    // Writing a stream's own bytes while it grows copies them from where they moved to.
    s.SetPosition(4);
    EXPECT_EQ(s.WriteBuffer(s.GetBuffer(), 4), 4);
    EXPECT_EQ(Written(s), (std::vector<uint8_t>{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(Stream, CompressedEmptySourceIsTheEightByteZlibStream)
{
    CStream empty;
    CStream out;
    out.WriteCompressed(&empty);
    EXPECT_EQ(Written(out), (std::vector<uint8_t>{8, 0, 0, 0, 0x78, 0x9C, 0x03, 0, 0, 0, 0, 0x01}));

    out.SetPosition(0);
    CStream* inflated = ZDecompressStream(&out);
    ASSERT_NE(inflated, nullptr);
    EXPECT_EQ(inflated->GetSize(), 0);
    EXPECT_EQ(inflated->GetPosition(), 0);
    EXPECT_EQ(out.GetPosition(), 12);
    CStream::Delete(inflated);
}

TEST(Stream, CompressedBlocksRoundTripAndCarryOnlyTheCompressedBytes)
{
    CStream source;
    for (int32_t i = 0; i < 50000; ++i) source.WriteInteger(i * 7 % 1013);
    source.SetPosition(123);
    int64_t sourceSize = source.GetSize();

    CStream out;
    out.WriteInteger(0x11223344);
    out.WriteCompressed(&source);
    out.WriteInteger(0x55667788);
    EXPECT_EQ(source.GetPosition(), 123);

    out.SetPosition(0);
    EXPECT_EQ(out.ReadInteger(), 0x11223344);
    ConsoleCapture capture;
    CStream* inflated = ZDecompressStream(&out);
    ASSERT_NE(inflated, nullptr);
    EXPECT_EQ(inflated->GetSize(), sourceSize);
    EXPECT_EQ(std::memcmp(inflated->GetBuffer(), source.GetBuffer(), static_cast<size_t>(sourceSize)), 0);
    // The block ends right after the zlib stream, so the next value follows at once.
    EXPECT_EQ(out.ReadInteger(), 0x55667788);
    CStream::Delete(inflated);
    EXPECT_NE(capture.console.text.find("ZDecompressStream "), std::string::npos);
    EXPECT_NE(capture.console.text.find("Done ZDecompressStream\n"), std::string::npos);
}

TEST(Stream, BrokenCompressedBlocksGiveNull)
{
    ConsoleCapture capture;
    CStream packed;
    CStream data;
    for (int32_t i = 0; i < 1000; ++i) data.WriteInteger(i);
    packed.WriteCompressed(&data);
    std::vector<uint8_t> good = Written(packed);

    // The length says more than is there: the zlib stream never ends.
    CStream cut;
    cut.WriteBuffer(good.data(), static_cast<int64_t>(good.size()) - 6);
    cut.SetPosition(0);
    EXPECT_EQ(ZDecompressStream(&cut), nullptr);

    // A damaged zlib header.
    std::vector<uint8_t> bad = good;
    bad[4] ^= 0xFF;
    CStream damaged;
    damaged.WriteBuffer(bad.data(), static_cast<int64_t>(bad.size()));
    damaged.SetPosition(0);
    EXPECT_EQ(ZDecompressStream(&damaged), nullptr);

    // An empty or negative length is no block, and the position stays after the length.
    CStream zero;
    zero.WriteInteger(0);
    zero.WriteBuffer(good.data(), static_cast<int64_t>(good.size()));
    zero.SetPosition(0);
    EXPECT_EQ(ZDecompressStream(&zero), nullptr);
    EXPECT_EQ(zero.GetPosition(), 4);

    CStream negative;
    negative.WriteInteger(-8);
    negative.SetPosition(0);
    EXPECT_EQ(ZDecompressStream(&negative), nullptr);
    EXPECT_EQ(ZDecompressStream(nullptr), nullptr);
    EXPECT_NE(capture.console.text.find("ZDecompressStream -8\n"), std::string::npos);
    EXPECT_EQ(capture.console.text.find("Done"), std::string::npos);
}

TEST(Stream, ReadStreamTakesWhatIsThere)
{
    CStream s;
    s.WriteInteger(10);
    WriteBytes(s, {1, 2, 3, 4, 5, 6});
    s.SetPosition(0);
    CStream* block = s.ReadStream();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Whole(*block), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(block->GetPosition(), 0);
    EXPECT_EQ(s.GetPosition(), 10);
    CStream::Delete(block);
}

TEST(Stream, ReadStreamOfAnEmptyBlockIsEmpty)
{
    CStream s;
    s.WriteInteger(0);
    s.WriteInteger(3);
    WriteBytes(s, {7, 8, 9});
    s.WriteInteger(-4);
    s.SetPosition(0);
    CStream* empty = s.ReadStream();
    EXPECT_EQ(empty->GetSize(), 0);
    EXPECT_EQ(s.GetPosition(), 4);
    CStream* three = s.ReadStream();
    EXPECT_EQ(Whole(*three), (std::vector<uint8_t>{7, 8, 9}));
    CStream* negative = s.ReadStream();
    EXPECT_EQ(negative->GetSize(), 0);
    CStream* atEnd = s.ReadStream();
    EXPECT_EQ(atEnd->GetSize(), 0);
    for (CStream* block : {empty, three, negative, atEnd}) CStream::Delete(block);
}

TEST(Stream, CopyFromWholeSourceIsAnOwnedCopy)
{
    auto* source = new CStream;
    WriteBytes(*source, {1, 2, 3, 4, 5});
    source->SetPosition(2);
    CStream copy;
    EXPECT_EQ(copy.CopyFrom(source, 0, true), source->GetSize());
    EXPECT_EQ(source->GetPosition(), source->GetSize());
    std::vector<uint8_t> expected = Whole(*source);
    CStream::Delete(source);
    // Still readable after the source is gone (the sanitizer build would see a view).
    EXPECT_EQ(Written(copy), expected);
}

TEST(Stream, CopyFromCountCopiesOrViewsAtMostTheRest)
{
    CStream source;
    WriteBytes(source, {1, 2, 3, 4, 5, 6});
    source.SetPosition(2);
    CStream copy;
    EXPECT_EQ(copy.CopyFromNoShare(&source, 100), 4);
    EXPECT_EQ(Written(copy), (std::vector<uint8_t>{3, 4, 5, 6}));
    EXPECT_EQ(source.GetPosition(), 6);

    source.SetPosition(1);
    CStream view;
    EXPECT_EQ(view.CopyFrom(&source, 100, true), 5);
    EXPECT_EQ(view.GetBuffer(), source.GetBuffer() + 1);
    EXPECT_EQ(view.GetSize(), 5);
    EXPECT_EQ(view.GetPosition(), 5);
    view.FreeBuffer(); // a view is never freed by its viewer
    EXPECT_EQ(view.GetSize(), 5);

    // Growing a view makes it its own copy and leaves the viewed data alone.
    view.WriteInteger(-1);
    EXPECT_NE(view.GetBuffer(), source.GetBuffer() + 1);
    EXPECT_EQ(Whole(source), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Written(view), (std::vector<uint8_t>{2, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 0xFF}));

    CStream nothing;
    EXPECT_EQ(nothing.CopyFrom(&source, -3, false), 0);
    EXPECT_EQ(nothing.CopyFrom(&nothing, 0, false), 0);
}

TEST(Stream, SaveAndLoadFiles)
{
    testsupport::ScopedSaveArea area("stream_save_and_load");
    const std::string name = "support_stream_save_and_load.bin";
    char path[2048];
    LoadSave_SaveAreaPath(path, sizeof path, name.c_str());
    ASSERT_NE(path[0], '\0');

    CStream s(64);
    WriteBytes(s, {10, 20, 30, 40, 50});
    s.SaveToFile(path);

    CStream loaded;
    loaded.SetPosition(3);
    loaded.LoadFromFile(name.c_str(), 2);
    EXPECT_EQ(Whole(loaded), (std::vector<uint8_t>{30, 40, 50}));
    EXPECT_EQ(loaded.GetPosition(), 3);

    loaded.LoadFromFile(name.c_str(), 5);
    EXPECT_EQ(loaded.GetSize(), 0);
    loaded.LoadFromFile(name.c_str(), 1000);
    EXPECT_EQ(loaded.GetSize(), 0);
    EXPECT_EQ(loaded.GetBuffer(), nullptr);

    loaded.LoadFromFile("support_stream_no_such_file.bin", 0);
    EXPECT_EQ(loaded.GetBuffer(), nullptr);
    EXPECT_EQ(loaded.GetSize(), 0);
    std::remove(path);
}

TEST(Stream, SubstitutionIsStableAndUndone)
{
    uint8_t forward[256], inverse[256], again[256], unused[256];
    CStream::BuildSubstitution(123456, forward, inverse);
    CStream::BuildSubstitution(123456, again, unused);
    EXPECT_EQ(std::memcmp(forward, again, 256), 0);
    EXPECT_EQ(forward[0], 0);
    std::vector<int> seen(256, 0);
    for (int i = 0; i < 256; ++i) ++seen[forward[i]];
    for (int i = 0; i < 256; ++i) EXPECT_EQ(seen[i], 1) << i;
    int moved = 0;
    for (int i = 0; i < 256; ++i) moved += forward[i] != i;
    EXPECT_GT(moved, 100);

    for (int32_t seed : {0, 7, 123456, -1, -999, 2147483647}) {
        CStream s;
        std::vector<uint8_t> plain(300);
        for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 31 + 5);
        CStream::BuildSubstitution(seed, forward, inverse);
        for (uint8_t byte : plain) {
            uint8_t scrambled = forward[byte];
            s.WriteBuffer(&scrambled, 1);
        }
        s.UnscrambleRange(seed, 0, 0);
        EXPECT_EQ(Written(s), plain) << seed;
    }
}

TEST(Stream, UnscrambleTouchesOnlyItsRangeInsideTheData)
{
    uint8_t forward[256], inverse[256];
    CStream::BuildSubstitution(42, forward, inverse);
    CStream s;
    WriteBytes(s, {1, 2, 3, 4, 5, 6});
    s.UnscrambleRange(42, 2, 2);
    EXPECT_EQ(Whole(s), (std::vector<uint8_t>{1, 2, inverse[3], inverse[4], 5, 6}));
    s.UnscrambleRange(42, 4, 1000);
    EXPECT_EQ(s.GetBuffer()[5], inverse[6]);
    s.UnscrambleRange(42, 1000, 4);
    s.UnscrambleRange(42, -50, 1);
    EXPECT_EQ(s.GetBuffer()[0], 1);
}

TEST(Stream, HashToNewline)
{
    char text[] = "a#b\\#c";
    EXPECT_EQ(String_HashToNewline(text), 5);
    EXPECT_STREQ(text, "a\rb#c");

    char utf[] = "\xC3\xA9#\xE2\x82\xAC";
    EXPECT_EQ(String_HashToNewline(utf), 3);
    EXPECT_STREQ(utf, "\xC3\xA9\r\xE2\x82\xAC");

    // A lead byte that claims more bytes than the text has stops at the terminator.
    char cut[] = "x\xE2\x82";
    EXPECT_EQ(String_HashToNewline(cut), 2);
    EXPECT_STREQ(cut, "x\xE2\x82");
    EXPECT_EQ(String_HashToNewline(nullptr), 0);
}

} // namespace
