#include "graphics/Graphics_Bitmap32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "Graphics_TestImages.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

using std::make_tuple;

namespace {

using Pixels = std::vector<uint32_t>;

Pixels PixelsOf(const CBitmap32& b)
{
    uint32_t byteSize = 0;
    uint32_t* pixels = nullptr;
    b.GetPixelBuffer(&byteSize, &pixels);
    return pixels ? Pixels(pixels, pixels + byteSize / 4) : Pixels();
}

// A bitmap holding the given pixels: a filled one whose buffer is overwritten.
CBitmap32 Made(int32_t width, int32_t height, const Pixels& pixels)
{
    CBitmap32 b;
    b.ConstructFilled(width, height, 0);
    uint32_t byteSize = 0;
    uint32_t* buffer = nullptr;
    b.GetPixelBuffer(&byteSize, &buffer);
    std::memcpy(buffer, pixels.data(), byteSize);
    return b;
}

// Writes the integers to the stream.
CStream& Ints(CStream& s, std::initializer_list<int32_t> values)
{
    for (int32_t v : values) s.WriteInteger(v);
    return s;
}

// Whether reading the stream over a valid bitmap leaves anything of one.
bool ReadsSomething(CStream& s)
{
    s.SetPosition(0);
    CBitmap32 b;
    b.ConstructFilled(1, 1, 0);
    b.ConstructFromStream(&s);
    return b.IsValid() || b.GetWidth() != 0;
}

TEST(Bitmap32, StreamFormsRoundTripAndTheOldFormIsRead)
{
    CBitmap32 source = Made(3, 2, {0x01020304u, 0xFFFFFFFFu, 0, 0x80FF0000u, 0x7F00FF00u, 0x000000FFu});
    CStream stream;
    source.WriteToStream(&stream);
    stream.SetPosition(0);
    testimages::LogCapture quiet;
    CBitmap32 copy;
    copy.ConstructFromStream(&stream);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(make_tuple(3, 2, PixelsOf(source)), make_tuple(copy.GetWidth(), copy.GetHeight(), PixelsOf(copy)));
    // An invalid bitmap is written as the version and a false flag.
    CBitmap32 empty;
    CStream small;
    empty.WriteToStream(&small);
    EXPECT_EQ(small.GetPosition(), 8);
    EXPECT_FALSE(ReadsSomething(small));
    // The old form: version, sizes, a block of the pixels and four spare bytes.
    CStream old;
    Ints(old, {800, 2, 1, 12, 0x11223344, 0x55667788, -1});
    old.SetPosition(0);
    copy.ConstructFromStream(&old);
    EXPECT_EQ(PixelsOf(copy), (Pixels{0x11223344u, 0x55667788u}));
}

TEST(Bitmap32, StreamFormsThatDoNotHoldTheirPixelsAreRefused)
{
    testimages::LogCapture quiet;
    CStream version, truncatedFlag, shortOld, pixels, shortNew, huge, negative, zero;
    Ints(version, {541}).WriteBoolean(1);
    Ints(truncatedFlag, {540});
    Ints(shortOld, {800, 4, 4, 8, 1, 2}); // a block shorter than width x height x 4
    // A written form whose compressed pixels are fewer than its size says.
    Ints(pixels, {7});
    Ints(shortNew, {540}).WriteBoolean(1);
    Ints(shortNew, {2, 2}).WriteCompressed(&pixels);
    // Sizes that overflow or are negative.
    Ints(huge, {800, 65536, 65536, 16, 0, 1, 2, 3});
    Ints(negative, {800, -1, 4, 16, 0, 1, 2, 3});
    Ints(zero, {800, 0, 0, 16, 0, 1, 2, 3});
    int i = 0;
    for (CStream* s : {&version, &truncatedFlag, &shortOld, &shortNew, &huge, &negative, &zero})
        EXPECT_FALSE(ReadsSomething(*s)) << "case " << i++;
}

TEST(Bitmap32, FilledPartsCopiesAndStretches)
{
    CBitmap32 b;
    b.ConstructFilled(0, 2, 0x00332211); // sizes raised to one, the colour made opaque
    EXPECT_EQ(make_tuple(1, 2, Pixels{0xFF112233u, 0xFF112233u}), make_tuple(b.GetWidth(), b.GetHeight(), PixelsOf(b)));
    b.ConstructFilled(100000, 100000, 0);
    EXPECT_FALSE(b.IsValid());

    CBitmap32 source = Made(3, 2, {1, 2, 3, 4, 5, 6});
    CBitmap32 part;
    part.ConstructFromPart(&source, 1, 0, 2, 2);
    EXPECT_EQ(PixelsOf(part), (Pixels{2, 3, 5, 6}));
    CBitmap32 invalid;
    // One past the width, a negative corner, no width, a width that overflows, an invalid source.
    for (auto [from, x, y, w] : {make_tuple(&source, 2, 0, 2), make_tuple(&source, -1, 0, 2), make_tuple(&source, 0, 0, 0),
                                 make_tuple(&source, 1, 1, 2147483647), make_tuple(&invalid, 0, 0, 1)}) {
        part.ConstructFromPart(from, x, y, w, 1);
        EXPECT_FALSE(part.IsValid()) << x << "," << y << " " << w;
    }
    source.ConstructFromPart(&source, 0, 1, 2, 1);
    EXPECT_EQ(PixelsOf(source), (Pixels{4, 5}));
    // Copies take fresh pixels.
    CBitmap32 copy(source);
    source.SetAlpha(0x40);
    EXPECT_EQ(make_tuple(Pixels{4, 5}, Pixels{0x40000004u, 0x40000005u}), make_tuple(PixelsOf(copy), PixelsOf(source)));
    // Stretching repeats or drops pixels; no width keeps the size.
    b = Made(2, 1, {0xA, 0xB});
    b.Stretch(4, 1);
    EXPECT_EQ(make_tuple(4, Pixels{0xA, 0xA, 0xB, 0xB}), make_tuple(b.GetWidth(), PixelsOf(b)));
    b.Stretch(0, 5);
    EXPECT_EQ(make_tuple(4, 1), make_tuple(b.GetWidth(), b.GetHeight()));
}

TEST(Bitmap32, RemovingTheBackgroundAndSmoothingEdges)
{
    const uint32_t M = 0xFFFF00FFu, A = 0xFF102030u, B = 0x80405060u; // magenta, and two others
    CBitmap32 b = Made(3, 3, {M, A, M, B, M, M, M, M, M});
    b.RemoveBackground();
    // Transparent pixels take an opaque neighbour's colour; one with none keeps its own.
    EXPECT_EQ(PixelsOf(b), (Pixels{0x00102030u, A, 0x00102030u, B, 0x00405060u, 0x00FF00FFu, 0x00405060u,
                                   0x00FF00FFu, 0x00FF00FFu}));

    b = Made(3, 2, {0x00000000u, 0xFF000001u, 0x1F000002u, 0x20000003u, 0xFF000004u, 0xFF000005u});
    b.SmoothEdges();
    // The pixel below the corner drops to alpha 0 and then smooths its own neighbours in turn.
    EXPECT_EQ(PixelsOf(b), (Pixels{0x00000000u, 0xBF000001u, 0x1F000002u, 0x00000003u, 0xBF000004u, 0xFF000005u}));

    // Platform bitmaps: smoothing applies only together with removal.
    TBitmap platform;
    platform.SetPixelFormat(BITMAP_FORMAT_24BIT);
    platform.SetWidth(2);
    platform.SetHeight(1);
    uint8_t* row = nullptr;
    platform.GetScanline(0, &row, nullptr);
    const uint8_t bytes[6] = {1, 2, 3, 9, 9, 9};
    std::memcpy(row, bytes, 6);
    EXPECT_EQ(PixelsOf(CBitmap32(&platform, false, true)), (Pixels{0xFF030201u, 0xFF090909u}));
    EXPECT_EQ(PixelsOf(CBitmap32(&platform, true, true)), (Pixels{0x00090909u, 0xDF090909u}));
}

TEST(Bitmap32, GradientKinds)
{
    // From black to red 50, green 100, blue 200: across, down, and a corner outside every ellipse with
    // the centre in the innermost ring.
    auto gradient = [&](int32_t w, int32_t h, int32_t kind) {
        CBitmap32 b;
        b.ConstructGradient(w, h, 0, 0xC86432, kind);
        return PixelsOf(b);
    };
    EXPECT_EQ(gradient(2, 1, 0), (Pixels{0xFF000000u, 0xFF193264u}));
    EXPECT_EQ(gradient(1, 2, 1), (Pixels{0xFF000000u, 0xFF193264u}));
    Pixels p = gradient(9, 9, 3);
    EXPECT_EQ(make_tuple(0xFF000000u, 0xFF264B96u), make_tuple(p[0], p[4 * 9 + 4]));
    EXPECT_EQ(gradient(3, 2, 6), Pixels(6, 0xFF000000u));
    // Sides of one pixel divide by nothing.
    for (int kind = 2; kind <= 5; ++kind) {
        CBitmap32 b;
        b.ConstructGradient(1, 1, 0x123456, 0xFFFFFF, kind);
        EXPECT_EQ(PixelsOf(b), Pixels{0xFF563412u}) << kind;
    }
}

TEST(Bitmap32, PlatformBitmapsInAndOut)
{
    CBitmap32 source = Made(2, 2, {0x80102030u, 0xFF405060u, 0x00708090u, 0x11A0B0C0u});
    std::unique_ptr<IBitmap> wide(source.CreateTBitmap32());
    ASSERT_TRUE(wide);
    // Red and blue exchanged on the way out and back; the alpha kept only when asked.
    EXPECT_EQ(PixelsOf(CBitmap32(wide.get(), false, false, 0)),
              (Pixels{0x80302010u, 0xFF605040u, 0x00908070u, 0x11C0B0A0u}));
    EXPECT_EQ(PixelsOf(CBitmap32(wide.get(), false, false)),
              (Pixels{0xFF302010u, 0xFF605040u, 0xFF908070u, 0xFFC0B0A0u}));
    std::unique_ptr<IBitmap> narrow(source.CreateTBitmap24());
    ASSERT_TRUE(narrow);
    CBitmap32 fromNarrow;
    fromNarrow.ConstructFromTBitmap(narrow.get(), false, false, false);
    EXPECT_EQ(PixelsOf(fromNarrow), (Pixels{0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u}));
    fromNarrow.ConstructFromTBitmap(narrow.get(), false, false, true); // keeping alpha: 32-bit only
    EXPECT_FALSE(fromNarrow.IsValid());

    // Invalid bitmaps make nothing and ignore every operation.
    CBitmap32 b;
    EXPECT_EQ(make_tuple((IBitmap*)nullptr, (IBitmap*)nullptr), make_tuple(b.CreateTBitmap24(), b.CreateTBitmap32()));
    EXPECT_FALSE(CBitmap32(nullptr, true, true).IsValid());
    b.SetAlpha(5);
    b.RemoveBackground();
    b.SmoothEdges();
    b.Stretch(4, 4);
    b.SetAlphaFromBitmap(&b);
    EXPECT_EQ(make_tuple(false, 0), make_tuple(b.IsValid(), b.GetWidth()));
    EXPECT_FALSE(b.WritePNG("graphics_bitmap_invalid.png"));
}

} // namespace
