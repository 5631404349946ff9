#include "graphics/Graphics_Bitmap32.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "base/Base_Numbers.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

static_assert(std::endian::native == std::endian::little, "pixel words are stored as little-endian bytes");

namespace {

constexpr int32_t STREAM_VERSION_WRITTEN = 540;
constexpr int32_t STREAM_VERSION_OLD = 800;
constexpr uint32_t ALPHA_MASK = 0xFF000000u;
constexpr uint32_t COLOUR_MASK = 0x00FFFFFFu;
constexpr uint32_t SMOOTH_STEP = 0x20;

uint32_t AlphaOf(uint32_t pixel) { return pixel >> 24; }

// A BGR colour (red in the low byte) as an opaque 0xAARRGGBB pixel.
uint32_t OpaqueFromBgr(uint32_t colour)
{
    return ALPHA_MASK | GR_SwapRedBlue(colour & COLOUR_MASK);
}

// The colour a gradient takes at t, channel by channel, as an opaque pixel.
uint32_t Blend(uint32_t colour1, uint32_t colour2, double t)
{
    uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        double a = (colour1 >> shift) & 0xFF;
        double b = (colour2 >> shift) & 0xFF;
        int32_t channel = std::clamp(Numbers_RoundToInt32(a * (1.0 - t) + b * t), 0, 255);
        mixed |= uint32_t(channel) << shift;
    }
    return OpaqueFromBgr(mixed);
}

// A gradient parameter; a side too small to have a half gives 0 rather than a division by zero.
double Ratio(int32_t distance, int32_t half) { return half > 0 ? double(distance) / half : 0.0; }

bool InsideRing(int32_t x, int32_t y, int32_t width, int32_t height, int32_t ring)
{
    if (x < ring || y < ring || x > width - 1 - ring || y > height - 1 - ring) return false;
    double dx = (x - width / 2.0) / ((width - 2.0 * ring) / 2.0);
    double dy = (y - height / 2.0) / ((height - 2.0 * ring) / 2.0);
    return dx * dx + dy * dy <= 1.0;
}

// The innermost elliptical ring holding the pixel, or -1. Rings shrink inside one another, so the
// rings holding a pixel are 0 up to some k and a binary search finds k.
int32_t InnermostRing(int32_t x, int32_t y, int32_t width, int32_t height, int32_t rings)
{
    if (rings <= 0 || !InsideRing(x, y, width, height, 0)) return -1;
    int32_t low = 0;
    int32_t high = rings - 1;
    while (low < high) {
        int32_t mid = low + (high - low + 1) / 2;
        if (InsideRing(x, y, width, height, mid)) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return low;
}

} // namespace

CBitmap32::~CBitmap32() { MemoryManager::Free(m_Pixels); }

CBitmap32& CBitmap32::operator=(const CBitmap32& other)
{
    if (&other != this) ConstructCopy(&other);
    return *this;
}

void CBitmap32::Clear()
{
    MemoryManager::Free(m_Pixels);
    m_Pixels = nullptr;
    m_Valid = 0;
    m_Width = 0;
    m_Height = 0;
    m_ByteSize = 0;
}

bool CBitmap32::Allocate(int64_t width, int64_t height)
{
    Clear();
    if (!GR_Image_SizeAllowed(width, height)) return false;
    m_Width = static_cast<int32_t>(width);
    m_Height = static_cast<int32_t>(height);
    m_ByteSize = static_cast<uint32_t>(width * height * 4);
    m_Pixels = static_cast<uint32_t*>(MEM_ALLOC(m_ByteSize, true));
    m_Valid = 1;
    return true;
}

void CBitmap32::ConstructFromStream(CStream* stream)
{
    Clear();
    if (stream == nullptr) return;
    int32_t version = stream->ReadInteger();
    CStream* block = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    if (version == STREAM_VERSION_WRITTEN) {
        if (!stream->ReadBoolean()) return;
        width = stream->ReadInteger();
        height = stream->ReadInteger();
        block = ZDecompressStream(stream);
    } else if (version == STREAM_VERSION_OLD) {
        width = stream->ReadInteger();
        height = stream->ReadInteger();
        block = stream->ReadStream();
    } else {
        return;
    }
    // The sizes come from the file: the pixels must be there in full before any is taken.
    if (block != nullptr && GR_Image_SizeAllowed(width, height) && block->GetSize() >= int64_t(width) * height * 4 &&
        Allocate(width, height)) {
        std::memcpy(m_Pixels, block->GetBuffer(), m_ByteSize);
    }
    CStream::Delete(block);
}

void CBitmap32::WriteToStream(CStream* stream) const
{
    if (stream == nullptr) return;
    stream->WriteInteger(STREAM_VERSION_WRITTEN);
    stream->WriteBoolean(m_Valid ? 1 : 0);
    if (!m_Valid) return;
    stream->WriteInteger(m_Width);
    stream->WriteInteger(m_Height);
    CStream pixels(m_ByteSize);
    pixels.WriteBuffer(m_Pixels, m_ByteSize);
    stream->WriteCompressed(&pixels);
}

void CBitmap32::ConstructCopy(const CBitmap32* other)
{
    if (other == this) return;
    Clear();
    if (other == nullptr || !other->m_Valid) return;
    if (Allocate(other->m_Width, other->m_Height)) std::memcpy(m_Pixels, other->m_Pixels, m_ByteSize);
}

void CBitmap32::ConstructFromPart(const CBitmap32* other, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (other == this) {
        // A part of itself: taken from a copy, as the pixels are replaced.
        CBitmap32 whole(*this);
        ConstructFromPart(&whole, x, y, width, height);
        return;
    }
    Clear();
    if (other == nullptr || !other->m_Valid) return;
    // The rectangle must lie wholly inside: no negative corner, no empty side.
    if (x < 0 || y < 0 || width < 1 || height < 1) return;
    if (int64_t(x) + width > other->m_Width || int64_t(y) + height > other->m_Height) return;
    if (!Allocate(width, height)) return;
    for (int32_t row = 0; row < height; ++row) {
        const uint32_t* from = other->m_Pixels + int64_t(y + row) * other->m_Width + x;
        std::memcpy(m_Pixels + int64_t(row) * width, from, size_t(width) * 4);
    }
}

void CBitmap32::ConstructFilled(int32_t width, int32_t height, uint32_t colour)
{
    if (!Allocate(std::max(width, 1), std::max(height, 1))) return;
    std::fill(m_Pixels, m_Pixels + int64_t(m_Width) * m_Height, OpaqueFromBgr(colour));
}

void CBitmap32::ConstructGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind)
{
    if (!Allocate(std::max(width, 1), std::max(height, 1))) return;
    int32_t w = m_Width;
    int32_t h = m_Height;
    int32_t halfSmaller = std::min(w, h) / 2;
    // What the 24-bit platform bitmap starts as: opaque black, kept by an unknown kind.
    std::fill(m_Pixels, m_Pixels + int64_t(w) * h, ALPHA_MASK);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            double t;
            switch (kind) {
            case 0: t = double(x) / w; break;
            case 1: t = double(y) / h; break;
            case 2: t = Ratio(std::min({x, w - 1 - x, y, h - 1 - y}), halfSmaller); break;
            case 3: {
                int32_t ring = InnermostRing(x, y, w, h, halfSmaller);
                t = ring >= 0 ? Ratio(ring, halfSmaller) : 0.0;
                break;
            }
            case 4: t = Ratio(std::min(x, w - 1 - x), w / 2); break;
            case 5: t = Ratio(std::min(y, h - 1 - y), h / 2); break;
            default: return;
            }
            At(x, y) = Blend(colour1, colour2, t);
        }
    }
}

CBitmap32::CBitmap32(IBitmap* bitmap, bool removeBackground, bool smooth, int32_t)
{
    if (bitmap == nullptr || bitmap->GetPixelFormat() != BITMAP_FORMAT_32BIT) return;
    if (!Allocate(bitmap->GetWidth(), bitmap->GetHeight())) return;
    for (int32_t row = 0; row < m_Height; ++row) {
        uint8_t* line = nullptr;
        int32_t stride = 0;
        bitmap->GetScanline(row, &line, &stride);
        if (line == nullptr || stride < m_Width * 4) {
            Clear();
            return;
        }
        std::memcpy(m_Pixels + int64_t(row) * m_Width, line, size_t(m_Width) * 4);
    }
    ApplyCleanUps(removeBackground, smooth);
}

CBitmap32::CBitmap32(IBitmap* bitmap, bool removeBackground, bool smooth)
{
    if (bitmap == nullptr) return;
    int32_t format = bitmap->GetPixelFormat();
    if (format != BITMAP_FORMAT_24BIT && format != BITMAP_FORMAT_32BIT) return;
    int32_t bytes = format == BITMAP_FORMAT_24BIT ? 3 : 4;
    if (!Allocate(bitmap->GetWidth(), bitmap->GetHeight())) return;
    for (int32_t row = 0; row < m_Height; ++row) {
        uint8_t* line = nullptr;
        int32_t stride = 0;
        bitmap->GetScanline(row, &line, &stride);
        if (line == nullptr || stride < m_Width * bytes) {
            Clear();
            return;
        }
        for (int32_t x = 0; x < m_Width; ++x, line += bytes) {
            At(x, row) = ALPHA_MASK | uint32_t(line[2]) << 16 | uint32_t(line[1]) << 8 | line[0];
        }
    }
    ApplyCleanUps(removeBackground, smooth);
}

void CBitmap32::ConstructFromTBitmap(IBitmap* bitmap, bool removeBackground, bool smooth, bool keepAlpha)
{
    if (keepAlpha) {
        CBitmap32 made(bitmap, removeBackground, smooth, 0);
        ConstructCopy(&made);
    } else {
        CBitmap32 made(bitmap, removeBackground, smooth);
        ConstructCopy(&made);
    }
}

void CBitmap32::ApplyCleanUps(bool removeBackground, bool smooth)
{
    if (!removeBackground) return;
    RemoveBackground();
    if (smooth) SmoothEdges();
}

void CBitmap32::GetPixelBuffer(uint32_t* byteSize, uint32_t** pixels) const
{
    if (byteSize != nullptr) *byteSize = m_ByteSize;
    if (pixels != nullptr) *pixels = m_Pixels;
}

void CBitmap32::SetAlpha(uint8_t alpha)
{
    if (!m_Valid) return;
    for (int64_t i = 0; i < int64_t(m_Width) * m_Height; ++i) {
        m_Pixels[i] = (m_Pixels[i] & COLOUR_MASK) | uint32_t(alpha) << 24;
    }
}

void CBitmap32::SetAlphaFromBitmap(const CBitmap32* other)
{
    if (!m_Valid || other == nullptr || !other->m_Valid) return;
    int32_t width = std::min(m_Width, other->m_Width);
    int32_t height = std::min(m_Height, other->m_Height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t source = other->m_Pixels[int64_t(y) * other->m_Width + x];
            uint32_t grey = (((source >> 16) & 0xFF) + ((source >> 8) & 0xFF) + (source & 0xFF)) / 3;
            uint32_t& pixel = At(x, y);
            pixel = (pixel & COLOUR_MASK) | std::min(AlphaOf(pixel), grey) << 24;
        }
    }
}

void CBitmap32::RemoveBackground()
{
    if (!m_Valid) return;
    uint32_t background = At(0, m_Height - 1) & COLOUR_MASK;
    for (int64_t i = 0; i < int64_t(m_Width) * m_Height; ++i) {
        if ((m_Pixels[i] & COLOUR_MASK) == background) m_Pixels[i] &= COLOUR_MASK;
    }
    ColourTransparentPixels();
}

void CBitmap32::ColourTransparentPixels()
{
    if (!m_Valid) return;
    for (int32_t y = 0; y < m_Height; ++y) {
        for (int32_t x = 0; x < m_Width; ++x) {
            uint32_t& pixel = At(x, y);
            if (AlphaOf(pixel) != 0) continue;
            const uint32_t* from = nullptr;
            if (x > 0 && AlphaOf(At(x - 1, y)) != 0) {
                from = &At(x - 1, y);
            } else if (x + 1 < m_Width && AlphaOf(At(x + 1, y)) != 0) {
                from = &At(x + 1, y);
            } else if (y > 0 && AlphaOf(At(x, y - 1)) != 0) {
                from = &At(x, y - 1);
            } else if (y + 1 < m_Height && AlphaOf(At(x, y + 1)) != 0) {
                from = &At(x, y + 1);
            }
            if (from != nullptr) pixel = *from & COLOUR_MASK;
        }
    }
}

void CBitmap32::SmoothEdges()
{
    if (!m_Valid) return;
    for (int32_t y = 0; y < m_Height; ++y) {
        for (int32_t x = 0; x < m_Width; ++x) {
            if (AlphaOf(At(x, y)) != 0) continue;
            for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, m_Height - 1); ++ny) {
                for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, m_Width - 1); ++nx) {
                    uint32_t& near = At(nx, ny);
                    if (AlphaOf(near) >= SMOOTH_STEP) near -= SMOOTH_STEP << 24;
                }
            }
        }
    }
}

void CBitmap32::Stretch(int32_t width, int32_t height)
{
    if (!m_Valid || (width == m_Width && height == m_Height)) return;
    // A size no picture can have leaves the bitmap as it is.
    if (!GR_Image_SizeAllowed(width, height)) return;
    auto* stretched = static_cast<uint32_t*>(MEM_ALLOC(size_t(width) * height * 4, true));
    for (int32_t y = 0; y < height; ++y) {
        int64_t sourceY = int64_t(y) * m_Height / height;
        for (int32_t x = 0; x < width; ++x) {
            int64_t sourceX = int64_t(x) * m_Width / width;
            stretched[int64_t(y) * width + x] = m_Pixels[sourceY * m_Width + sourceX];
        }
    }
    MemoryManager::Free(m_Pixels);
    m_Pixels = stretched;
    m_Width = width;
    m_Height = height;
    m_ByteSize = uint32_t(width) * uint32_t(height) * 4;
}

BitmapBox* CBitmap32::GetOpaqueBounds() const
{
    auto* box = static_cast<BitmapBox*>(MEM_ALLOC(sizeof(BitmapBox), true));
    if (!m_Valid) return box;
    *box = BitmapBox{m_Width - 1, m_Height - 1, 0, 0};
    for (int32_t y = 0; y < m_Height; ++y) {
        for (int32_t x = 0; x < m_Width; ++x) {
            if (AlphaOf(m_Pixels[int64_t(y) * m_Width + x]) == 0) continue;
            box->left = std::min(box->left, x);
            box->top = std::min(box->top, y);
            box->right = std::max(box->right, x);
            box->bottom = std::max(box->bottom, y);
        }
    }
    return box;
}

namespace {

// A bitmap of the format with the pixel words' rows written out by `put`, `step` bytes a pixel.
template <typename Put>
TBitmap* ToTBitmap(const uint32_t* pixels, int32_t width, int32_t height, int32_t format, int32_t step,
                   Put put)
{
    TBitmap* bitmap = TBitmap_Create();
    bitmap->SetPixelFormat(format);
    bitmap->SetWidth(width);
    bitmap->SetHeight(height);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* line = nullptr;
        bitmap->GetScanline(y, &line, nullptr);
        if (line == nullptr) break;
        const uint32_t* from = pixels + int64_t(y) * width;
        for (int32_t x = 0; x < width; ++x, line += step) put(line, from[x]);
    }
    return bitmap;
}

} // namespace

IBitmap* CBitmap32::CreateTBitmap24() const
{
    if (!m_Valid) return nullptr;
    return ToTBitmap(m_Pixels, m_Width, m_Height, BITMAP_FORMAT_24BIT, 3, [](uint8_t* line, uint32_t pixel) {
        line[0] = static_cast<uint8_t>(pixel);
        line[1] = static_cast<uint8_t>(pixel >> 8);
        line[2] = static_cast<uint8_t>(pixel >> 16);
    });
}

IBitmap* CBitmap32::CreateTBitmap32() const
{
    if (!m_Valid) return nullptr;
    return ToTBitmap(m_Pixels, m_Width, m_Height, BITMAP_FORMAT_32BIT, 4, [](uint8_t* line, uint32_t pixel) {
        line[0] = static_cast<uint8_t>(pixel >> 16);
        line[1] = static_cast<uint8_t>(pixel >> 8);
        line[2] = static_cast<uint8_t>(pixel);
        line[3] = static_cast<uint8_t>(pixel >> 24);
    });
}

bool CBitmap32::WritePNG(const char* fileName) const
{
    if (!m_Valid) return false;
    return GR_Image_WritePNGToPath(fileName, m_Pixels, m_Width, m_Height, true, true);
}
