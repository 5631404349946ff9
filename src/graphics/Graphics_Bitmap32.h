// CBitmap32: the run-time's in-memory 32-bit picture, in which sprite and background images are
// made and edited before they become textures or platform bitmaps. Pixels are 0xAARRGGBB words
// (blue in the low byte, alpha in the top byte), rows from the top. Every operation does nothing on
// an invalid bitmap, and a constructor that cannot apply leaves the bitmap invalid.
#pragma once

#include <cstdint>

class CStream;
class IBitmap;

// A rectangle of pixels, inclusive on all sides; a memory-manager block freed by its receiver.
struct BitmapBox {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class CBitmap32 {
public:
    CBitmap32() = default;
    // From a 32-bit platform bitmap, keeping each pixel's alpha (the last argument tells this form
    // from the converting one and is not used); any other pixel format leaves it invalid.
    CBitmap32(IBitmap* bitmap, bool removeBackground, bool smooth, int32_t keepAlphaForm);
    // From a 24- or 32-bit platform bitmap; every pixel becomes opaque.
    CBitmap32(IBitmap* bitmap, bool removeBackground, bool smooth);
    CBitmap32(const CBitmap32& other) { ConstructCopy(&other); }
    CBitmap32& operator=(const CBitmap32& other);
    virtual ~CBitmap32();

    // The stream forms: version 540 (written and read) and 800 (read only).
    void ConstructFromStream(CStream* stream);
    void ConstructCopy(const CBitmap32* other);
    // The rectangle (x, y, width, height) of another bitmap; invalid unless it lies inside it.
    void ConstructFromPart(const CBitmap32* other, int32_t x, int32_t y, int32_t width, int32_t height);
    // Sizes raised to 1; every pixel the BGR colour (red in the low byte), opaque.
    void ConstructFilled(int32_t width, int32_t height, uint32_t colour);
    // Kinds 0 left to right, 1 top to bottom, 2 rectangular from the border in, 3 elliptical,
    // 4 mirrored about the vertical centre line, 5 about the horizontal one. Colours are BGR.
    void ConstructGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind);
    // One of the two platform forms above (keepAlpha chooses the first), copied.
    void ConstructFromTBitmap(IBitmap* bitmap, bool removeBackground, bool smooth, bool keepAlpha);

    bool IsValid() const { return m_Valid != 0; }
    int32_t GetWidth() const { return m_Width; }
    int32_t GetHeight() const { return m_Height; }
    void GetPixelBuffer(uint32_t* byteSize, uint32_t** pixels) const;

    void SetAlpha(uint8_t alpha);
    // Over the area both cover, alpha becomes at most the other's grey level.
    void SetAlphaFromBitmap(const CBitmap32* other);
    // The bottom-left pixel's colour becomes transparent everywhere, then transparent pixels take
    // their neighbours' colours.
    void RemoveBackground();
    void ColourTransparentPixels();
    // Pixels next to transparent ones lose some alpha.
    void SmoothEdges();
    // Nearest-pixel resampling to a new size.
    void Stretch(int32_t width, int32_t height);
    // A new box around the pixels whose alpha is not 0 (the caller frees it).
    BitmapBox* GetOpaqueBounds() const;
    // New platform bitmaps (the caller deletes them); null for an invalid bitmap.
    IBitmap* CreateTBitmap24() const;
    IBitmap* CreateTBitmap32() const;

    // The version-540 stream form.
    void WriteToStream(CStream* stream) const;
    // A PNG file at the path as given; false (and a log line) when it cannot be written.
    bool WritePNG(const char* fileName) const;

private:
    // Frees the pixels; the bitmap becomes invalid and empty.
    void Clear();
    // Allocates width x height pixels (cleared) and makes the bitmap valid; false for a size no
    // picture may have, leaving it invalid.
    bool Allocate(int64_t width, int64_t height);
    void ApplyCleanUps(bool removeBackground, bool smooth);
    uint32_t& At(int32_t x, int32_t y) { return m_Pixels[int64_t(y) * m_Width + x]; }

    uint8_t m_Valid = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    uint32_t m_ByteSize = 0;
    uint32_t* m_Pixels = nullptr;
};
