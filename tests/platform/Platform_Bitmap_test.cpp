#include "platform/Platform_Bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); }
void Put16(Bytes& out, size_t at, uint16_t v) { std::memcpy(out.data() + at, &v, 2); }

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

// "width x height, bits, stride: each row's bytes in hex", or "empty" when nothing was loaded.
std::string Picture(IBitmap& bitmap)
{
    auto* loaded = dynamic_cast<TBitmap*>(&bitmap);
    std::string size = std::to_string(bitmap.GetWidth()) + "x" + std::to_string(bitmap.GetHeight());
    if (loaded != nullptr && loaded->Block() == nullptr) return "empty " + size;
    uint8_t* row = nullptr;
    int32_t stride = 0;
    bitmap.GetScanline(0, &row, &stride);
    std::string text = size + (bitmap.GetPixelFormat() == BITMAP_FORMAT_32BIT ? " 32" : " 24") + " stride " +
                       std::to_string(stride) + ":";
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        bitmap.GetScanline(y, &row, &stride);
        text += " ";
        for (int32_t x = 0; x < stride; ++x) text += "0123456789abcdef"[row[x] >> 4], text += "0123456789abcdef"[row[x] & 15];
    }
    return text;
}

std::string Picture(const Bytes& file) { return Picture(*Load(file)); }

} // namespace

TEST(BmpRead, FormatsAndRowOrdersGiveTopFirstUnpaddedRows)
{
    const std::string small24 = "3x2 24 stride 9: 010203040506070809 0b0c0d0e0f10111213";
    BmpFile topDown = Small24();
    topDown.height = -2;
    BmpFile thirtyTwo{1, 2, 32, 0, 0, 40, {}, {{0x10, 0x20, 0x30, 0x40}, {0x50, 0x60, 0x70, 0x00}}};
    BmpFile largerInfo = Small8(); // the palette follows the info header, whatever its size
    largerInfo.infoSize = 124;
    const Bytes file = Small24().Build();
    const std::string eightBit = "2x2 32 stride 8: 302010ffc0b0a0ff ffffffff302010ff"; // opaque palette colours
    const std::pair<Bytes, std::string> cases[] = {
        {file, small24}, {topDown.Build(), small24},
        {Bytes(file.begin(), file.end() - 3), small24}, // the last row may lack its padding
        {thirtyTwo.Build(), "1x2 32 stride 4: 10203040 50607000"}, {largerInfo.Build(), eightBit},
    };
    for (const auto& [bytes, picture] : cases) EXPECT_EQ(picture, Picture(bytes));

    // The block is an in-memory one: a 52-byte header, then the pixels.
    auto bitmap = Load(Small8().Build());
    EXPECT_EQ(Row(*bitmap, 0), bitmap->Block() + 52);
}

TEST(BmpRead, BadFilesLeaveTheBitmapEmpty)
{
    const Bytes good = Small24().Build();
    auto patched = [&](size_t at, uint32_t value, size_t at2 = 0, uint32_t value2 = 0) {
        Bytes b = good;
        Put32(b, at, value);
        if (at2 != 0) Put32(b, at2, value2);
        return b;
    };
    BmpFile swapped{1, 1, 32, 3, 0, 40, {0xFF, 0xFF00, 0xFF0000}, {{1, 2, 3, 4}}};
    BmpFile badIndex = Small8();
    badIndex.rows[1][1] = 3; // the palette holds 3 colours
    Bytes cutPalette = Small8().Build();
    Put32(cutPalette, 46, 200); // 800 bytes of palette in a file of 74
    const std::pair<const char*, Bytes> cases[] = {
        {"last row cut short", Bytes(good.begin(), good.end() - 4)},
        {"pixel offset past the end", patched(10, static_cast<uint32_t>(good.size() + 1))},
        {"pixel count overflowing", patched(18, 0x7FFFFFFF, 22, 0x7FFFFFFF)},
        {"the most negative height", patched(22, 0x80000000u)},
        {"run-length compression", patched(30, 1)},
        {"swapped bit fields", swapped.Build()},
        {"index past the palette", badIndex.Build()},
        {"palette past the end", cutPalette},
    };
    for (const auto& [why, bytes] : cases) EXPECT_EQ("empty 0x0", Picture(bytes)) << why;
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
    EXPECT_EQ("3x2 24 stride 9: 010203040506070809 0b0c0d0e0f10111213", Picture(bitmap));
    EXPECT_EQ(stream.GetSize(), stream.GetPosition());
    // Anything that is not "BM" leaves the loaded bitmap empty again.
    stream.SetPosition(0);
    bitmap.LoadFromStream(&stream);
    EXPECT_EQ("empty 0x0", Picture(bitmap));
}

TEST(TBitmapTest, ScanlinesMakeAClearedBlockForTheSizeAndFormat)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(BITMAP_FORMAT_24BIT);
    bitmap.SetWidth(5);
    bitmap.SetHeight(3);
    uint8_t* row = nullptr;
    int32_t stride = 0;
    uint8_t* first = bitmap.GetScanline(2, &row, &stride);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(std::pair(first + 30, 15), std::pair(row, stride));
    EXPECT_EQ(52u + 45u, bitmap.BlockSize());
    EXPECT_EQ(Bytes(45, 0), Bytes(first, first + 45));
    bitmap.GetScanline(3, &row, &stride);
    EXPECT_EQ(nullptr, row);

    // Attaching refuses a header larger than its block: 24 bytes of pixels in a block of 16.
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(52 + 16, true));
    Bitmap_WriteHeader(block, 2, 3, 32);
    TBitmap attached;
    attached.Attach(block, 52 + 16);
    EXPECT_EQ(nullptr, attached.Block());
}

TEST(BitmapLoaderTest, OneFrameOfThePixelsAndNoLoaderForAnEmptyOrHugeSize)
{
    const uint32_t pixels[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0x80FFFFFFu};
    std::unique_ptr<BitmapLoader> loader(BitmapLoader_Create(pixels, 2, 2));
    ASSERT_NE(nullptr, loader);
    EXPECT_EQ(nullptr, loader->GetFrame(1));
    std::unique_ptr<IBitmap> frame(loader->GetFrame(0));
    EXPECT_EQ("2x2 32 stride 8: ff0000ff00ff00ff 0000ffffffffff80", Picture(*frame));
    EXPECT_EQ(nullptr, BitmapLoader_Create(pixels, 0, 2));
    EXPECT_EQ(nullptr, BitmapLoader_Create(pixels, 0x10000, 0x10000));
}
