#include "graphics/Graphics_Bitmap32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "Graphics_TestImages.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

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

struct BoxDeleter {
    void operator()(BitmapBox* box) const { MemoryManager::Free(box); }
};
using Box = std::unique_ptr<BitmapBox, BoxDeleter>;

TEST(Bitmap32, StreamFormRoundTrips)
{
    CBitmap32 source = Made(3, 2, {0x01020304u, 0xFFFFFFFFu, 0, 0x80FF0000u, 0x7F00FF00u, 0x000000FFu});
    CStream stream;
    source.WriteToStream(&stream);
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadInteger(), 540);
    EXPECT_TRUE(stream.ReadBoolean());
    EXPECT_EQ(stream.ReadInteger(), 3);
    EXPECT_EQ(stream.ReadInteger(), 2);

    testimages::LogCapture quiet;
    stream.SetPosition(0);
    CBitmap32 copy;
    copy.ConstructFromStream(&stream);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.GetWidth(), 3);
    EXPECT_EQ(copy.GetHeight(), 2);
    EXPECT_EQ(PixelsOf(copy), PixelsOf(source));

    // An invalid bitmap is written as the version and a false flag.
    CBitmap32 empty;
    CStream small;
    empty.WriteToStream(&small);
    EXPECT_EQ(small.GetPosition(), 8);
    small.SetPosition(0);
    CBitmap32 readEmpty = source;
    readEmpty.ConstructFromStream(&small);
    EXPECT_FALSE(readEmpty.IsValid());
}

TEST(Bitmap32, OldStreamFormIsRead)
{
    CStream stream;
    stream.WriteInteger(800);
    stream.WriteInteger(2);
    stream.WriteInteger(1);
    stream.WriteInteger(12); // block length: the pixels and four spare bytes
    stream.WriteInteger(0x11223344);
    stream.WriteInteger(0x55667788);
    stream.WriteInteger(-1);
    stream.SetPosition(0);
    CBitmap32 b;
    b.ConstructFromStream(&stream);
    ASSERT_TRUE(b.IsValid());
    EXPECT_EQ(PixelsOf(b), (Pixels{0x11223344u, 0x55667788u}));
}

TEST(Bitmap32, StreamFormsThatDoNotHoldTheirPixelsAreRefused)
{
    testimages::LogCapture quiet;
    auto read = [](CStream& s) {
        s.SetPosition(0);
        CBitmap32 b;
        b.ConstructFilled(1, 1, 0);
        b.ConstructFromStream(&s);
        return b.IsValid() || b.GetWidth() != 0 ? 1 : 0;
    };

    CStream version;
    version.WriteInteger(541);
    version.WriteBoolean(1);
    EXPECT_EQ(read(version), 0);

    // An old form whose block is shorter than width x height x 4.
    CStream shortOld;
    shortOld.WriteInteger(800);
    shortOld.WriteInteger(4);
    shortOld.WriteInteger(4);
    shortOld.WriteInteger(8);
    shortOld.WriteInteger(1);
    shortOld.WriteInteger(2);
    EXPECT_EQ(read(shortOld), 0);

    // A written form whose compressed pixels are fewer than its size says.
    CStream pixels;
    pixels.WriteInteger(7);
    CStream shortNew;
    shortNew.WriteInteger(540);
    shortNew.WriteBoolean(1);
    shortNew.WriteInteger(2);
    shortNew.WriteInteger(2);
    shortNew.WriteCompressed(&pixels);
    EXPECT_EQ(read(shortNew), 0);

    // Sizes that overflow or are negative.
    for (auto size : {std::pair<int32_t, int32_t>{65536, 65536}, {-1, 4}, {0, 0}}) {
        CStream odd;
        odd.WriteInteger(800);
        odd.WriteInteger(size.first);
        odd.WriteInteger(size.second);
        odd.WriteInteger(16);
        for (int i = 0; i < 4; ++i) odd.WriteInteger(i);
        EXPECT_EQ(read(odd), 0) << size.first;
    }

    CStream truncatedFlag;
    truncatedFlag.WriteInteger(540);
    EXPECT_EQ(read(truncatedFlag), 0);
}

TEST(Bitmap32, FilledSizesAreRaisedToOneAndColoursMadeOpaque)
{
    CBitmap32 b;
    b.ConstructFilled(0, 2, 0x00332211); // blue 0x33, green 0x22, red 0x11
    ASSERT_TRUE(b.IsValid());
    EXPECT_EQ(b.GetWidth(), 1);
    EXPECT_EQ(b.GetHeight(), 2);
    EXPECT_EQ(PixelsOf(b), (Pixels{0xFF112233u, 0xFF112233u}));

    b.ConstructFilled(100000, 100000, 0);
    EXPECT_FALSE(b.IsValid());
}

TEST(Bitmap32, PartMustLieInside)
{
    CBitmap32 source = Made(3, 2, {1, 2, 3, 4, 5, 6});
    CBitmap32 part;
    part.ConstructFromPart(&source, 1, 0, 2, 2);
    ASSERT_TRUE(part.IsValid());
    EXPECT_EQ(PixelsOf(part), (Pixels{2, 3, 5, 6}));

    part.ConstructFromPart(&source, 2, 0, 2, 1); // one past the width
    EXPECT_FALSE(part.IsValid());
    part.ConstructFromPart(&source, -1, 0, 2, 1);
    EXPECT_FALSE(part.IsValid());
    part.ConstructFromPart(&source, 0, 0, 0, 1);
    EXPECT_FALSE(part.IsValid());
    part.ConstructFromPart(&source, 1, 1, 2147483647, 1);
    EXPECT_FALSE(part.IsValid());
    CBitmap32 invalid;
    part.ConstructFromPart(&invalid, 0, 0, 1, 1);
    EXPECT_FALSE(part.IsValid());

    source.ConstructFromPart(&source, 0, 1, 2, 1);
    EXPECT_EQ(PixelsOf(source), (Pixels{4, 5}));
}

TEST(Bitmap32, CopyAndAssignmentTakeFreshPixels)
{
    CBitmap32 source = Made(2, 1, {7, 8});
    CBitmap32 copy(source);
    CBitmap32 assigned;
    assigned = source;
    source.SetAlpha(0x40);
    EXPECT_EQ(PixelsOf(copy), (Pixels{7, 8}));
    EXPECT_EQ(PixelsOf(assigned), (Pixels{7, 8}));
    EXPECT_EQ(PixelsOf(source), (Pixels{0x40000007u, 0x40000008u}));
}

TEST(Bitmap32, RemovingTheBackgroundRecoloursFromOpaqueNeighbours)
{
    const uint32_t M = 0xFFFF00FFu; // magenta
    const uint32_t A = 0xFF102030u;
    const uint32_t B = 0x80405060u;
    CBitmap32 b = Made(3, 3, {M, A, M,
                              B, M, M,
                              M, M, M});
    b.RemoveBackground();
    // A transparent pixel with no opaque neighbour keeps its colour.
    EXPECT_EQ(PixelsOf(b), (Pixels{0x00102030u, A, 0x00102030u,
                                   B, 0x00405060u, 0x00FF00FFu,
                                   0x00405060u, 0x00FF00FFu, 0x00FF00FFu}));
}

TEST(Bitmap32, SmoothingLowersAlphaAroundTransparentPixels)
{
    CBitmap32 b = Made(3, 2, {0x00000000u, 0xFF000001u, 0x1F000002u,
                              0x20000003u, 0xFF000004u, 0xFF000005u});
    b.SmoothEdges();
    // The pixel below the corner drops to alpha 0 and then smooths its own neighbours in turn.
    EXPECT_EQ(PixelsOf(b), (Pixels{0x00000000u, 0xBF000001u, 0x1F000002u,
                                   0x00000003u, 0xBF000004u, 0xFF000005u}));

    // Platform bitmaps: removal and smoothing apply only together with removal.
    TBitmap platform;
    platform.SetPixelFormat(BITMAP_FORMAT_24BIT);
    platform.SetWidth(2);
    platform.SetHeight(1);
    uint8_t* row = nullptr;
    platform.GetScanline(0, &row, nullptr);
    const uint8_t bytes[6] = {1, 2, 3, 9, 9, 9};
    std::memcpy(row, bytes, 6);
    CBitmap32 smoothOnly(&platform, false, true);
    EXPECT_EQ(PixelsOf(smoothOnly), (Pixels{0xFF030201u, 0xFF090909u}));
    CBitmap32 both(&platform, true, true);
    EXPECT_EQ(PixelsOf(both), (Pixels{0x00090909u, 0xDF090909u}));
}

TEST(Bitmap32, StretchRepeatsOrDropsPixels)
{
    CBitmap32 b = Made(2, 1, {0xA, 0xB});
    b.Stretch(4, 1);
    EXPECT_EQ(b.GetWidth(), 4);
    EXPECT_EQ(PixelsOf(b), (Pixels{0xA, 0xA, 0xB, 0xB}));
    b.Stretch(1, 3);
    EXPECT_EQ(PixelsOf(b), (Pixels{0xA, 0xA, 0xA}));
    b.Stretch(0, 5);
    EXPECT_EQ(b.GetWidth(), 1);
    EXPECT_EQ(b.GetHeight(), 3);
}

TEST(Bitmap32, OpaqueBounds)
{
    CBitmap32 b = Made(4, 3, {0, 0, 0, 0,
                              0, 0, 0x01000000u, 0,
                              0, 0xFF000000u, 0, 0});
    Box box(b.GetOpaqueBounds());
    EXPECT_EQ(box->left, 1);
    EXPECT_EQ(box->top, 1);
    EXPECT_EQ(box->right, 2);
    EXPECT_EQ(box->bottom, 2);

    b.SetAlpha(0);
    Box none(b.GetOpaqueBounds());
    EXPECT_EQ(none->left, 3);
    EXPECT_EQ(none->top, 2);
    EXPECT_EQ(none->right, 0);
    EXPECT_EQ(none->bottom, 0);

    CBitmap32 invalid;
    Box zero(invalid.GetOpaqueBounds());
    EXPECT_EQ(zero->left | zero->top | zero->right | zero->bottom, 0);
}

TEST(Bitmap32, AlphaFromAnotherBitmapsGreyLevel)
{
    CBitmap32 b = Made(2, 2, {0xFF000000u, 0x10000000u, 0xFF000000u, 0xFF000000u});
    CBitmap32 mask = Made(1, 2, {0x00303030u, 0xFF010203u});
    b.SetAlphaFromBitmap(&mask);
    EXPECT_EQ(PixelsOf(b), (Pixels{0x30000000u, 0x10000000u, 0x02000000u, 0xFF000000u}));
}

// Colour at t of two BGR colours, as the expected opaque pixel.
uint32_t Mix(uint32_t c1, uint32_t c2, double t)
{
    uint32_t out = 0xFF000000u;
    const int shifts[3] = {16, 8, 0}; // red, green, blue into the pixel
    for (int i = 0; i < 3; ++i) {
        double a = (c1 >> (8 * i)) & 0xFF;
        double b = (c2 >> (8 * i)) & 0xFF;
        out |= uint32_t(std::nearbyint(a * (1 - t) + b * t)) << shifts[i];
    }
    return out;
}

TEST(Bitmap32, GradientKinds)
{
    const uint32_t c1 = 0x000000;
    const uint32_t c2 = 0xC86432; // blue 200, green 100, red 50
    CBitmap32 b;
    b.ConstructGradient(4, 2, c1, c2, 0);
    Pixels p = PixelsOf(b);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(p[x], Mix(c1, c2, x / 4.0)) << x;
    EXPECT_EQ(p[4 + 3], p[3]);

    b.ConstructGradient(2, 5, c1, c2, 1);
    p = PixelsOf(b);
    for (int y = 0; y < 5; ++y) EXPECT_EQ(p[y * 2 + 1], Mix(c1, c2, y / 5.0)) << y;

    b.ConstructGradient(5, 5, c1, c2, 2);
    p = PixelsOf(b);
    EXPECT_EQ(p[0], Mix(c1, c2, 0));
    EXPECT_EQ(p[1 * 5 + 2], Mix(c1, c2, 1 / 2.0));
    EXPECT_EQ(p[2 * 5 + 2], Mix(c1, c2, 1.0));

    b.ConstructGradient(6, 1, c1, c2, 4);
    p = PixelsOf(b);
    EXPECT_EQ(p[0], Mix(c1, c2, 0));
    EXPECT_EQ(p[2], Mix(c1, c2, 2 / 3.0));
    EXPECT_EQ(p[3], p[2]);
    EXPECT_EQ(p[5], p[0]);

    b.ConstructGradient(1, 4, c1, c2, 5);
    p = PixelsOf(b);
    EXPECT_EQ(p[1], Mix(c1, c2, 1 / 2.0));
    EXPECT_EQ(p[2], p[1]);

    b.ConstructGradient(9, 9, c1, c2, 3);
    p = PixelsOf(b);
    EXPECT_EQ(p[0], Mix(c1, c2, 0));         // a corner lies outside every ellipse
    EXPECT_EQ(p[4 * 9 + 4], Mix(c1, c2, 3 / 4.0)); // the centre, in the innermost ring
    EXPECT_EQ(p[4 * 9 + 0], Mix(c1, c2, 0)); // on the outer ring

    b.ConstructGradient(3, 2, c1, c2, 6);
    EXPECT_EQ(PixelsOf(b), Pixels(6, 0xFF000000u));
}

TEST(Bitmap32, GradientOnSidesOfOnePixelHasNoDivisionByZero)
{
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
    EXPECT_EQ(wide->GetPixelFormat(), BITMAP_FORMAT_32BIT);
    uint8_t* row = nullptr;
    wide->GetScanline(0, &row, nullptr);
    // Red and blue exchanged on the way out.
    EXPECT_EQ((Pixels{row[0], row[1], row[2], row[3]}), (Pixels{0x10, 0x20, 0x30, 0x80}));

    CBitmap32 keptAlpha(wide.get(), false, false, 0);
    EXPECT_EQ(PixelsOf(keptAlpha), (Pixels{0x80302010u, 0xFF605040u, 0x00908070u, 0x11C0B0A0u}));
    CBitmap32 opaque(wide.get(), false, false);
    EXPECT_EQ(PixelsOf(opaque), (Pixels{0xFF302010u, 0xFF605040u, 0xFF908070u, 0xFFC0B0A0u}));

    std::unique_ptr<IBitmap> narrow(source.CreateTBitmap24());
    ASSERT_TRUE(narrow);
    EXPECT_EQ(narrow->GetPixelFormat(), BITMAP_FORMAT_24BIT);
    CBitmap32 fromNarrow;
    fromNarrow.ConstructFromTBitmap(narrow.get(), false, false, false);
    EXPECT_EQ(PixelsOf(fromNarrow), (Pixels{0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u}));
    // The alpha-keeping form takes 32-bit bitmaps only.
    fromNarrow.ConstructFromTBitmap(narrow.get(), false, false, true);
    EXPECT_FALSE(fromNarrow.IsValid());

    CBitmap32 invalid;
    EXPECT_EQ(invalid.CreateTBitmap24(), nullptr);
    EXPECT_EQ(invalid.CreateTBitmap32(), nullptr);
    CBitmap32 none(nullptr, true, true);
    EXPECT_FALSE(none.IsValid());
}

TEST(Bitmap32, InvalidBitmapsIgnoreEveryOperation)
{
    CBitmap32 b;
    b.SetAlpha(5);
    b.RemoveBackground();
    b.SmoothEdges();
    b.Stretch(4, 4);
    b.SetAlphaFromBitmap(&b);
    EXPECT_FALSE(b.IsValid());
    EXPECT_EQ(b.GetWidth(), 0);
    EXPECT_FALSE(b.WritePNG("graphics_bitmap_invalid.png"));
}

} // namespace
