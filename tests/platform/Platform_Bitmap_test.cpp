#include "platform/Platform_Bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); }
void Put16(Bytes& out, size_t at, uint16_t v) { std::memcpy(out.data() + at, &v, 2); }

uint32_t Pixel32(const uint8_t* row, int32_t x)
{
    uint32_t v;
    std::memcpy(&v, row + x * 4, 4);
    return v;
}

// A BMP file: rows given top first and unpadded; the file holds them bottom first unless the height
// is negative, each padded to 4 bytes.
struct BmpFile {
    int32_t width = 0, height = 0;
    uint16_t bits = 24;
    uint32_t compression = 0, coloursUsed = 0, infoSize = 40;
    std::vector<uint32_t> palette; // 0x00RRGGBB
    std::vector<Bytes> rows;

    Bytes Build() const
    {
        uint32_t paletteStart = 14 + infoSize;
        uint32_t pixelOffset = paletteStart + static_cast<uint32_t>(palette.size() * 4);
        size_t stride = (size_t(width) * bits + 31) / 32 * 4;
        Bytes out(pixelOffset + stride * rows.size(), 0);
        out[0] = 'B';
        out[1] = 'M';
        for (auto [at, value] : {std::pair<size_t, uint32_t>{2, static_cast<uint32_t>(out.size())},
                                 {10, pixelOffset}, {14, infoSize}, {18, static_cast<uint32_t>(width)},
                                 {22, static_cast<uint32_t>(height)}, {30, compression}, {46, coloursUsed}})
            Put32(out, at, value);
        Put16(out, 26, 1);
        Put16(out, 28, bits);
        for (size_t i = 0; i < palette.size(); ++i) Put32(out, paletteStart + i * 4, palette[i]);
        for (size_t r = 0; r < rows.size(); ++r) {
            size_t fileRow = height > 0 ? rows.size() - 1 - r : r;
            std::memcpy(out.data() + pixelOffset + fileRow * stride, rows[r].data(), rows[r].size());
        }
        return out;
    }
};

// 3 x 2 pixels, 24-bit: rows of 9 bytes padded to 12 in the file.
BmpFile Small24() { return {3, 2, 24, 0, 0, 40, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 12, 13, 14, 15, 16, 17, 18, 19}}}; }
BmpFile Small8() { return {2, 2, 8, 0, 3, 40, {0x00102030, 0x00A0B0C0, 0x00FFFFFF}, {{0, 1}, {2, 0}}}; }

std::unique_ptr<TBitmap> Load(const Bytes& file)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromBytes(file.data(), file.size());
    return bitmap;
}

const uint8_t* Row(TBitmap& bitmap, int32_t row)
{
    uint8_t* pixels = nullptr;
    int32_t stride = 0;
    bitmap.GetScanline(row, &pixels, &stride);
    return pixels;
}

} // namespace

TEST(BmpRead, RowsComeOutTopFirstAndUnpaddedWhicheverWayTheFileHoldsThem)
{
    for (int32_t height : {2, -2}) {
        BmpFile bmp = Small24();
        bmp.height = height;
        Bytes file = bmp.Build();
        // The last row may lack its padding.
        for (Bytes bytes : {file, Bytes(file.begin(), file.end() - 3)}) {
            auto bitmap = Load(bytes);
            ASSERT_NE(nullptr, bitmap->Block()) << height;
            EXPECT_EQ(3, bitmap->GetWidth());
            EXPECT_EQ(2, bitmap->GetHeight());
            EXPECT_EQ(BITMAP_FORMAT_24BIT, bitmap->GetPixelFormat());
            EXPECT_EQ(9, bitmap->Stride());
            EXPECT_EQ(0, std::memcmp(Row(*bitmap, 0), bmp.rows[0].data(), 9));
            EXPECT_EQ(0, std::memcmp(Row(*bitmap, 1), bmp.rows[1].data(), 9));
        }
    }
}

TEST(BmpRead, ThirtyTwoBitPixelsKeepTheirAlphaAndEightBitOnesBecomeOpaqueColours)
{
    BmpFile bmp{1, 2, 32, 0, 0, 40, {}, {{0x10, 0x20, 0x30, 0x40}, {0x50, 0x60, 0x70, 0x00}}};
    auto bitmap = Load(bmp.Build());
    ASSERT_NE(nullptr, bitmap->Block());
    EXPECT_EQ(BITMAP_FORMAT_32BIT, bitmap->GetPixelFormat());
    EXPECT_EQ(4, bitmap->Stride());
    EXPECT_EQ(0x40302010u, Pixel32(Row(*bitmap, 0), 0));
    EXPECT_EQ(0x00706050u, Pixel32(Row(*bitmap, 1), 0));
    // Bit fields in the plain order read the same.
    bmp.compression = 3;
    bmp.palette = {0x00FF0000, 0x0000FF00, 0x000000FF};
    EXPECT_EQ(0x40302010u, Pixel32(Row(*Load(bmp.Build()), 0), 0));

    // The palette follows the info header, whatever its size.
    for (uint32_t infoSize : {40u, 124u}) {
        BmpFile paletted = Small8();
        paletted.infoSize = infoSize;
        bitmap = Load(paletted.Build());
        ASSERT_NE(nullptr, bitmap->Block()) << infoSize;
        EXPECT_EQ(BITMAP_FORMAT_32BIT, bitmap->GetPixelFormat());
        EXPECT_EQ(8, bitmap->Stride());
        EXPECT_EQ(0xFF102030u, Pixel32(Row(*bitmap, 0), 0));
        EXPECT_EQ(0xFFA0B0C0u, Pixel32(Row(*bitmap, 0), 1));
        EXPECT_EQ(0xFFFFFFFFu, Pixel32(Row(*bitmap, 1), 0));
        EXPECT_EQ(0xFF102030u, Pixel32(Row(*bitmap, 1), 1));
    }
    // The block is an in-memory one: 52-byte header, 32 bits, pixels at 52.
    uint16_t bits;
    std::memcpy(&bits, bitmap->Block() + 26, 2);
    EXPECT_EQ(32, bits);
    EXPECT_EQ(Row(*bitmap, 0), bitmap->Block() + 52);
}

TEST(BmpRead, BadFilesLeaveTheBitmapEmpty)
{
    const Bytes good = Small24().Build();
    const struct {
        const char* why;
        std::function<Bytes()> file;
    } cases[] = {
        {"last row cut short", [&] { return Bytes(good.begin(), good.end() - 4); }},
        {"headers cut short", [&] { return Bytes(good.begin(), good.begin() + 40); }},
        {"pixel offset past the end", [&] { Bytes b = good; Put32(b, 10, static_cast<uint32_t>(good.size() + 1)); return b; }},
        {"info header larger than the file", [&] { Bytes b = good; Put32(b, 14, 0x7FFFFFFF); return b; }},
        {"pixel count overflowing", [&] { Bytes b = good; Put32(b, 18, 0x7FFFFFFF); Put32(b, 22, 0x7FFFFFFF); return b; }},
        {"the most negative height", [&] { Bytes b = good; Put32(b, 22, 0x80000000u); return b; }},
        {"width 0", [&] { Bytes b = good; Put32(b, 18, 0); return b; }},
        {"16 bits per pixel", [&] { Bytes b = good; Put16(b, 28, 16); return b; }},
        {"run-length compression", [&] { Bytes b = good; Put32(b, 30, 1); return b; }},
        {"swapped bit fields", [] { return BmpFile{1, 1, 32, 3, 0, 40, {0xFF, 0xFF00, 0xFF0000}, {{1, 2, 3, 4}}}.Build(); }},
        {"index past the palette", [] { BmpFile b = Small8(); b.rows[1][1] = 3; return b.Build(); }},
        {"more than 256 colours", [] { BmpFile b = Small8(); b.coloursUsed = 257; return b.Build(); }},
        // 800 bytes of palette in a file of 74.
        {"palette past the end", [] { Bytes b = Small8().Build(); Put32(b, 46, 200); return b; }},
    };
    for (const auto& c : cases) {
        auto bitmap = Load(c.file());
        EXPECT_EQ(nullptr, bitmap->Block()) << c.why;
        EXPECT_EQ(0, bitmap->GetWidth()) << c.why;
        EXPECT_EQ(0, bitmap->GetHeight()) << c.why;
    }
}

TEST(BmpRead, StreamsAreReadFromTheirPositionToTheirEnd)
{
    Bytes file = Small24().Build();
    CStream stream;
    const uint8_t prefix[3] = {'x', 'y', 'z'};
    stream.WriteBuffer(prefix, 3);
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(3);
    TBitmap bitmap;
    bitmap.LoadFromStream(&stream);
    EXPECT_EQ(3, bitmap.GetWidth());
    EXPECT_EQ(stream.GetSize(), stream.GetPosition());
    EXPECT_EQ(0, std::memcmp(Row(bitmap, 1), Small24().rows[1].data(), 9));

    // Anything that is not "BM" leaves the loaded bitmap empty again.
    stream.SetPosition(0);
    bitmap.LoadFromStream(&stream);
    EXPECT_EQ(nullptr, bitmap.Block());
    EXPECT_EQ(0, bitmap.GetWidth());
    stream.SetPosition(stream.GetSize());
    bitmap.LoadFromStream(&stream);
    EXPECT_EQ(nullptr, bitmap.Block());
    bitmap.LoadFromStream(nullptr);
    EXPECT_EQ(nullptr, bitmap.Block());
}

TEST(TBitmapTest, ScanlinesMakeAClearedBlockForTheSizeAndFormat)
{
    TBitmap bitmap;
    EXPECT_EQ(BITMAP_FORMAT_32BIT, bitmap.GetPixelFormat());
    int32_t changes = bitmap.ChangeCount();
    bitmap.SetPixelFormat(BITMAP_FORMAT_24BIT);
    bitmap.SetWidth(5);
    bitmap.SetHeight(3);
    EXPECT_EQ(changes + 3, bitmap.ChangeCount());
    EXPECT_EQ(15, bitmap.Stride());

    uint8_t* row = nullptr;
    int32_t stride = 0;
    uint8_t* first = bitmap.GetScanline(2, &row, &stride);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(15, stride);
    EXPECT_EQ(first + 30, row);
    EXPECT_EQ(first, bitmap.Block() + 52);
    EXPECT_EQ(52u + 45u, bitmap.BlockSize());
    EXPECT_EQ(Bytes(45, 0), Bytes(first, first + 45));
    for (int32_t outside : {3, -1}) {
        bitmap.GetScanline(outside, &row, &stride);
        EXPECT_EQ(nullptr, row) << outside;
    }
    // A larger size than the block holds gets a new block.
    bitmap.SetHeight(10);
    bitmap.GetScanline(9, &row, &stride);
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(52u + 150u, bitmap.BlockSize());

    // Attaching refuses a header larger than its block: 24 bytes of pixels in a block of 16.
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(52 + 16, true));
    Bitmap_WriteHeader(block, 2, 3, 32);
    TBitmap attached;
    attached.Attach(block, 52 + 16);
    EXPECT_EQ(nullptr, attached.Block());
}

TEST(TBitmapTest, AssignCopiesPixelsAndFormat)
{
    TBitmap source;
    source.SetPixelFormat(BITMAP_FORMAT_24BIT);
    source.SetWidth(2);
    source.SetHeight(2);
    uint8_t* row = nullptr;
    int32_t stride = 0;
    source.GetScanline(1, &row, &stride);
    row[5] = 0x5A;

    TBitmap copy;
    int32_t changes = copy.ChangeCount();
    copy.Assign(&source);
    EXPECT_GT(copy.ChangeCount(), changes);
    EXPECT_EQ(2, copy.GetWidth());
    EXPECT_EQ(BITMAP_FORMAT_24BIT, copy.GetPixelFormat());
    EXPECT_EQ(6, copy.Stride());
    EXPECT_NE(source.Block(), copy.Block());
    EXPECT_EQ(0x5A, Row(copy, 1)[5]);

    auto loaded = Load(Small8().Build());
    copy.Assign(loaded.get());
    EXPECT_EQ(BITMAP_FORMAT_32BIT, copy.GetPixelFormat());
    EXPECT_EQ(0xFFA0B0C0u, Pixel32(Row(copy, 0), 1));
}

TEST(BitmapLoaderTest, OneFrameOfTwoByTwoPixels)
{
    const uint32_t pixels[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0x80FFFFFFu};
    std::unique_ptr<BitmapLoader> loader(BitmapLoader_Create(pixels, 2, 2));
    ASSERT_NE(nullptr, loader);
    EXPECT_EQ(1, loader->GetFrameCount());
    EXPECT_FALSE(loader->GetOption());
    EXPECT_EQ(nullptr, loader->GetFrame(1));
    EXPECT_EQ(nullptr, loader->GetFrame(-1));
    std::unique_ptr<IBitmap> frame(loader->GetFrame(0));
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(2, frame->GetWidth());
    EXPECT_EQ(2, frame->GetHeight());
    EXPECT_EQ(BITMAP_FORMAT_32BIT, frame->GetPixelFormat());
    uint8_t* row = nullptr;
    int32_t stride = 0;
    frame->GetScanline(1, &row, &stride);
    EXPECT_EQ(8, stride);
    EXPECT_EQ(0xFFFF0000u, Pixel32(row, 0));
    EXPECT_EQ(0x80FFFFFFu, Pixel32(row, 1));
    EXPECT_EQ(nullptr, BitmapLoader_Create(pixels, 0, 2));
    EXPECT_EQ(nullptr, BitmapLoader_Create(pixels, 0x10000, 0x10000));
}
