// Platform bitmaps: a picture held as one memory block laid out as a BMP file without its two magic
// bytes, so each header field stands 2 bytes before its BMP file offset (8 pixel-data offset, 12
// info-header size, 16 width, 20 height, 24 planes, 26 bits per pixel, 28 compression). Blocks this
// layer makes, decoded files included, have a 52-byte header with 52 in the pixel-offset field and
// their rows after it, top row first, with no padding between rows.
#pragma once

#include <cstddef>
#include <cstdint>

class CStream;

// Pixel formats, chosen from the bits per pixel.
enum : int32_t {
    BITMAP_FORMAT_1BIT = 1,
    BITMAP_FORMAT_4BIT = 2,
    BITMAP_FORMAT_8BIT = 3,
    BITMAP_FORMAT_15BIT = 4,
    BITMAP_FORMAT_16BIT = 5,
    BITMAP_FORMAT_24BIT = 6,
    BITMAP_FORMAT_32BIT = 7,
};

constexpr uint32_t BITMAP_HEADER_SIZE = 52;

int32_t Bitmap_FormatFromBits(int32_t bitsPerPixel);
int32_t Bitmap_BitsFromFormat(int32_t format);
// Bytes of one row in memory.
int32_t Bitmap_Stride(int32_t format, int32_t width);

// Writes a 52-byte header (pixel offset 52, info-header size 40, one plane, no compression).
void Bitmap_WriteHeader(uint8_t* block, int32_t width, int32_t height, int32_t bitsPerPixel);

// A BMP file decoded into a new block of this layer's form.
struct BmpImage {
    uint8_t* block = nullptr; // memory-manager block, owned by whoever takes it
    uint32_t blockSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t format = 0;
    int32_t stride = 0;
};

// Decodes a whole BMP file (from its "BM"): 8-bit files through their palette into 32-bit pixels,
// 24- and 32-bit files as they stand; bottom-up and top-down rows, padded rows. Anything else, and
// every file whose headers, palette or pixels do not fit its bytes, is refused (false, no block).
bool Bitmap_DecodeBmp(const uint8_t* file, size_t size, BmpImage* out);

class IBitmap {
public:
    virtual ~IBitmap() = default;
    virtual void LoadFromStream(CStream* stream) = 0;
    virtual void SetWidth(int32_t width) = 0;
    virtual int32_t GetWidth() = 0;
    virtual void SetHeight(int32_t height) = 0;
    virtual int32_t GetHeight() = 0;
    virtual void SetPixelFormat(int32_t format) = 0;
    virtual int32_t GetPixelFormat() = 0;
    // The row's address and the stride through the out-parameters; returns the first row's address.
    virtual uint8_t* GetScanline(int32_t row, uint8_t** rowPixels, int32_t* stride) = 0;
    virtual void Unlock() = 0;
    virtual void Assign(IBitmap* other) = 0;
    virtual void FreeData() = 0;
    virtual uint32_t GetWord() = 0;
    virtual void Attach(uint8_t* block, uint32_t size) = 0;
};

class TBitmap : public IBitmap {
public:
    TBitmap() = default;
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // Frees the data; then a stream that holds a BMP file from its position on ("BM" first) is read.
    // Anything else leaves the bitmap empty, with no size.
    void LoadFromStream(CStream* stream) override;
    // The same over bytes in memory (the whole file, from its "BM").
    void LoadFromBytes(const uint8_t* file, size_t size);

    void SetWidth(int32_t width) override;
    int32_t GetWidth() override { return m_Width; }
    void SetHeight(int32_t height) override;
    int32_t GetHeight() override { return m_Height; }
    void SetPixelFormat(int32_t format) override;
    int32_t GetPixelFormat() override { return m_Format; }
    // Makes a cleared block for the current size and format when there is none (or when the one
    // held no longer fits it). A row outside the bitmap gives a null row address.
    uint8_t* GetScanline(int32_t row, uint8_t** rowPixels, int32_t* stride) override;
    void Unlock() override {}
    // Takes the other's size and a copy of its block, its pixels where the other keeps them.
    void Assign(IBitmap* other) override;
    void FreeData() override;
    uint32_t GetWord() override { return m_Word; }
    // Adopts a 52-byte-header 32-bit block; one whose header does not fit its size is freed.
    void Attach(uint8_t* block, uint32_t size) override;

    const uint8_t* Block() const { return m_Block; }
    uint32_t BlockSize() const { return m_BlockSize; }
    int32_t Stride() const { return m_Stride; }
    int32_t ChangeCount() const { return m_ChangeCount; }

private:
    // Takes a block whose pixels start at `pixelOffset`; the size, and the format unless one is
    // forced, come from its header. A header that does not fit the block frees it instead.
    bool Adopt(uint8_t* block, uint32_t size, uint32_t pixelOffset, int32_t forcedFormat);
    void ReleaseBlock();
    // No data and no size: what a load leaves when it reads no picture.
    void Empty();
    void Changed();

    uint8_t* m_Block = nullptr;
    uint32_t m_Word = 0;
    uint8_t* m_Pixels = nullptr;
    uint32_t m_BlockSize = 0;
    int32_t m_Format = BITMAP_FORMAT_32BIT;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_Stride = 0;
    int32_t m_ChangeCount = -1;
};

TBitmap* TBitmap_Create();

class IBitmapLoader {
public:
    virtual ~IBitmapLoader() = default;
    virtual bool GetOption() = 0;
    virtual int32_t GetFrameCount() = 0;
    virtual IBitmap* GetFrame(int32_t index) = 0;
};

class BitmapLoader : public IBitmapLoader {
public:
    explicit BitmapLoader(uint8_t* block) : m_Block(block) {}
    ~BitmapLoader() override;
    BitmapLoader(const BitmapLoader&) = delete;
    BitmapLoader& operator=(const BitmapLoader&) = delete;

    bool GetOption() override { return false; }
    int32_t GetFrameCount() override { return m_FrameCount; }
    // A new bitmap (the caller deletes it) over a copy of the block; null past the last frame.
    IBitmap* GetFrame(int32_t index) override;

private:
    uint8_t* m_Block;
    int32_t m_FrameCount = 1;
};

// A loader of one frame over a copy of width x height 32-bit pixels; null for an empty or
// impossibly large size.
BitmapLoader* BitmapLoader_Create(const uint32_t* pixels, int32_t width, int32_t height);
