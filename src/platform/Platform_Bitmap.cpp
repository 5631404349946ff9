#include "platform/Platform_Bitmap.h"

#include <cstring>

#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

namespace {

// Header fields, as offsets into a block (BMP file offsets less 2).
constexpr uint32_t AT_FILE_SIZE = 0;
constexpr uint32_t AT_PIXEL_OFFSET = 8;
constexpr uint32_t AT_INFO_SIZE = 12;
constexpr uint32_t AT_WIDTH = 16;
constexpr uint32_t AT_HEIGHT = 20;
constexpr uint32_t AT_PLANES = 24;
constexpr uint32_t AT_BITS = 26;
constexpr uint32_t AT_COMPRESSION = 28;
constexpr uint32_t AT_IMAGE_SIZE = 32;
constexpr uint32_t AT_COLOURS_USED = 44;
constexpr uint32_t AT_COLOURS_IMPORTANT = 48;

constexpr uint32_t INFO_HEADER_SIZE = 40;
constexpr uint32_t FILE_HEADER_SIZE = 14;
constexpr uint32_t COMPRESSION_NONE = 0;
constexpr uint32_t COMPRESSION_BITFIELDS = 3;

// A block's size is a 32-bit field of the memory manager; keep well inside it.
constexpr uint64_t MAX_PIXEL_BYTES = 0x7FFFFFFFull - BITMAP_HEADER_SIZE;

uint32_t GetU32(const uint8_t* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

int32_t GetI32(const uint8_t* at)
{
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

uint16_t GetU16(const uint8_t* at)
{
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void PutU32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }
void PutU16(uint8_t* at, uint16_t value) { std::memcpy(at, &value, sizeof value); }

// What a BMP file's headers say, before anything is trusted.
struct BmpHeader {
    uint32_t pixelOffset;
    uint32_t infoSize;
    int32_t width;
    int32_t height;
    uint16_t bits;
    uint32_t compression;
    uint32_t coloursUsed;
};

BmpHeader ReadBmpHeader(const uint8_t* file)
{
    return {GetU32(file + 10), GetU32(file + 14), GetI32(file + 18), GetI32(file + 22),
            GetU16(file + 28), GetU32(file + 30), GetU32(file + 46)};
}

// Uncompressed data only; 32-bit bit fields are accepted when they are the plain BGRA order.
bool CompressionSupported(const BmpHeader& header, const uint8_t* file, size_t size)
{
    if (header.compression == COMPRESSION_NONE) return true;
    if (header.compression != COMPRESSION_BITFIELDS || header.bits != 32 || size < 66) return false;
    return GetU32(file + 54) == 0x00FF0000u && GetU32(file + 58) == 0x0000FF00u &&
           GetU32(file + 62) == 0x000000FFu;
}

// The 8-bit palette: entries of blue, green, red, reserved after the info header.
struct Palette {
    const uint8_t* entries;
    uint32_t count;
};

bool FindPalette(const BmpHeader& header, const uint8_t* file, size_t size, Palette* palette)
{
    uint32_t count = header.coloursUsed == 0 ? 256 : header.coloursUsed;
    if (count > 256) return false;
    uint64_t start = uint64_t(FILE_HEADER_SIZE) + header.infoSize;
    if (start + uint64_t(count) * 4 > size) return false;
    palette->entries = file + start;
    palette->count = count;
    return true;
}

// Converts one row of palette indices; false on an index the palette does not hold.
bool ConvertPaletteRow(const uint8_t* source, uint8_t* target, int32_t width, const Palette& palette)
{
    for (int32_t x = 0; x < width; ++x) {
        uint32_t index = source[x];
        if (index >= palette.count) return false;
        const uint8_t* entry = palette.entries + index * 4;
        uint32_t pixel = 0xFF000000u | uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
        PutU32(target + x * 4, pixel);
    }
    return true;
}

void CopyHeader(uint8_t* block, const uint8_t* file, int32_t width, int32_t rows, int32_t bits,
                uint32_t pixelBytes)
{
    std::memcpy(block, file + 2, BITMAP_HEADER_SIZE);
    PutU32(block + AT_FILE_SIZE, pixelBytes + BITMAP_HEADER_SIZE + 2);
    Bitmap_WriteHeader(block, width, rows, bits);
    PutU32(block + AT_IMAGE_SIZE, pixelBytes);
    PutU32(block + AT_COLOURS_USED, 0);
    PutU32(block + AT_COLOURS_IMPORTANT, 0);
}

} // namespace

int32_t Bitmap_FormatFromBits(int32_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
        return BITMAP_FORMAT_1BIT;
    case 4:
        return BITMAP_FORMAT_4BIT;
    case 8:
        return BITMAP_FORMAT_8BIT;
    case 15:
        return BITMAP_FORMAT_15BIT;
    case 16:
        return BITMAP_FORMAT_16BIT;
    case 24:
        return BITMAP_FORMAT_24BIT;
    default:
        return BITMAP_FORMAT_32BIT;
    }
}

int32_t Bitmap_BitsFromFormat(int32_t format)
{
    static const int32_t BITS[] = {32, 1, 4, 8, 15, 16, 24, 32};
    return format >= 1 && format <= 7 ? BITS[format] : 32;
}

int32_t Bitmap_Stride(int32_t format, int32_t width)
{
    int64_t w = width;
    int64_t stride;
    switch (format) {
    case BITMAP_FORMAT_1BIT:
        stride = w / 8;
        break;
    case BITMAP_FORMAT_4BIT:
        stride = w / 2;
        break;
    case BITMAP_FORMAT_8BIT:
        stride = w;
        break;
    case BITMAP_FORMAT_15BIT:
    case BITMAP_FORMAT_16BIT:
        stride = w * 2;
        break;
    case BITMAP_FORMAT_24BIT:
        stride = w * 3;
        break;
    default:
        stride = w * 4;
        break;
    }
    // A width no row can hold gives no row at all.
    return stride >= INT32_MIN && stride <= INT32_MAX ? static_cast<int32_t>(stride) : 0;
}

void Bitmap_WriteHeader(uint8_t* block, int32_t width, int32_t height, int32_t bitsPerPixel)
{
    PutU32(block + AT_PIXEL_OFFSET, BITMAP_HEADER_SIZE);
    PutU32(block + AT_INFO_SIZE, INFO_HEADER_SIZE);
    PutU32(block + AT_WIDTH, static_cast<uint32_t>(width));
    PutU32(block + AT_HEIGHT, static_cast<uint32_t>(height));
    PutU16(block + AT_PLANES, 1);
    PutU16(block + AT_BITS, static_cast<uint16_t>(bitsPerPixel));
    PutU32(block + AT_COMPRESSION, COMPRESSION_NONE);
}

bool Bitmap_DecodeBmp(const uint8_t* file, size_t size, BmpImage* out)
{
    *out = BmpImage{};
    if (file == nullptr || size < FILE_HEADER_SIZE + INFO_HEADER_SIZE || file[0] != 'B' || file[1] != 'M')
        return false;
    BmpHeader header = ReadBmpHeader(file);
    if (header.infoSize < INFO_HEADER_SIZE || header.infoSize > size - FILE_HEADER_SIZE) return false;
    if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN) return false;
    if (header.bits != 8 && header.bits != 24 && header.bits != 32) return false;
    if (!CompressionSupported(header, file, size)) return false;

    // File rows are padded to 4 bytes; every row must lie in the file (the last may lack padding).
    uint64_t rows = header.height < 0 ? uint64_t(-int64_t(header.height)) : uint64_t(header.height);
    uint64_t rowBytes = uint64_t(header.width) * header.bits / 8;
    uint64_t fileStride = (uint64_t(header.width) * header.bits + 31) / 32 * 4;
    if (header.pixelOffset > size) return false;
    uint64_t available = size - header.pixelOffset;
    if (rowBytes > available || rows - 1 > (available - rowBytes) / fileStride) return false;

    Palette palette{};
    if (header.bits == 8 && !FindPalette(header, file, size, &palette)) return false;

    int32_t outBits = header.bits == 8 ? 32 : header.bits;
    uint64_t outStride = uint64_t(header.width) * outBits / 8;
    if (outStride > MAX_PIXEL_BYTES / rows) return false;
    uint32_t pixelBytes = static_cast<uint32_t>(outStride * rows);
    uint32_t blockSize = pixelBytes + BITMAP_HEADER_SIZE;

    auto* block = static_cast<uint8_t*>(MEM_ALLOC(blockSize, false));
    CopyHeader(block, file, header.width, static_cast<int32_t>(rows), outBits, pixelBytes);
    // Rows go top first: a positive height means the file holds them bottom first.
    for (uint64_t row = 0; row < rows; ++row) {
        uint64_t fileRow = header.height > 0 ? rows - 1 - row : row;
        const uint8_t* source = file + header.pixelOffset + fileRow * fileStride;
        uint8_t* target = block + BITMAP_HEADER_SIZE + row * outStride;
        if (header.bits != 8) {
            std::memcpy(target, source, rowBytes);
        } else if (!ConvertPaletteRow(source, target, header.width, palette)) {
            MemoryManager::Free(block);
            return false;
        }
    }
    out->block = block;
    out->blockSize = blockSize;
    out->width = header.width;
    out->height = static_cast<int32_t>(rows);
    out->format = Bitmap_FormatFromBits(outBits);
    out->stride = static_cast<int32_t>(outStride);
    return true;
}

// ---- TBitmap ----

TBitmap* TBitmap_Create() { return new TBitmap(); }

TBitmap::~TBitmap() { MemoryManager::Free(m_Block); }

void TBitmap::Changed() { ++m_ChangeCount; }

void TBitmap::ReleaseBlock()
{
    MemoryManager::Free(m_Block);
    m_Block = nullptr;
    m_Pixels = nullptr;
    m_BlockSize = 0;
}

void TBitmap::LoadFromStream(CStream* stream)
{
    Empty();
    if (stream == nullptr) return;
    int64_t position = stream->GetPosition();
    int64_t size = stream->GetSize();
    if (position < 0 || position >= size || stream->GetBuffer() == nullptr) return;
    uint8_t magic[2];
    if (stream->ReadBuffer(magic, 2) != 2 || magic[0] != 'B' || magic[1] != 'M') return;
    // The file is the rest of the stream from where its "BM" stood; all of it is read.
    const uint8_t* file = stream->GetBuffer() + position;
    stream->SetPosition(size);
    BmpImage image;
    if (Bitmap_DecodeBmp(file, static_cast<size_t>(size - position), &image))
        Adopt(image.block, image.blockSize, BITMAP_HEADER_SIZE, 0);
}

void TBitmap::LoadFromBytes(const uint8_t* file, size_t size)
{
    Empty();
    BmpImage image;
    if (Bitmap_DecodeBmp(file, size, &image)) Adopt(image.block, image.blockSize, BITMAP_HEADER_SIZE, 0);
}

bool TBitmap::Adopt(uint8_t* block, uint32_t size, uint32_t pixelOffset, int32_t forcedFormat)
{
    ReleaseBlock();
    if (block == nullptr) return false;
    if (size < BITMAP_HEADER_SIZE || pixelOffset > size) {
        MemoryManager::Free(block);
        return false;
    }
    int32_t width = GetI32(block + AT_WIDTH);
    int32_t height = GetI32(block + AT_HEIGHT);
    int32_t format = forcedFormat != 0 ? forcedFormat : Bitmap_FormatFromBits(GetU16(block + AT_BITS));
    int32_t stride = Bitmap_Stride(format, width);
    if (width <= 0 || height <= 0 || stride <= 0 || int64_t(stride) * height > int64_t(size - pixelOffset)) {
        MemoryManager::Free(block);
        return false;
    }
    m_Block = block;
    m_BlockSize = size;
    m_Pixels = block + pixelOffset;
    m_Width = width;
    m_Height = height;
    m_Format = format;
    m_Stride = stride;
    return true;
}

void TBitmap::SetWidth(int32_t width)
{
    m_Width = width;
    m_Stride = Bitmap_Stride(m_Format, m_Width);
    Changed();
}

void TBitmap::SetHeight(int32_t height)
{
    m_Height = height;
    m_Stride = Bitmap_Stride(m_Format, m_Width);
    Changed();
}

void TBitmap::SetPixelFormat(int32_t format)
{
    m_Format = format;
    m_Stride = Bitmap_Stride(m_Format, m_Width);
    Changed();
}

uint8_t* TBitmap::GetScanline(int32_t row, uint8_t** rowPixels, int32_t* stride)
{
    if (stride != nullptr) *stride = m_Stride;
    if (rowPixels != nullptr) *rowPixels = nullptr;
    int64_t pixelBytes = int64_t(m_Stride) * m_Height;
    if (m_Stride <= 0 || m_Height <= 0 || uint64_t(pixelBytes) > MAX_PIXEL_BYTES) return nullptr;
    bool fits = m_Block != nullptr && int64_t(m_Pixels - m_Block) + pixelBytes <= int64_t(m_BlockSize);
    if (!fits) {
        // A size or format changed after the block was made: the old block cannot hold the rows.
        ReleaseBlock();
        uint32_t size = static_cast<uint32_t>(pixelBytes) + BITMAP_HEADER_SIZE;
        m_Block = static_cast<uint8_t*>(MEM_ALLOC(size, true));
        Bitmap_WriteHeader(m_Block, m_Width, m_Height, Bitmap_BitsFromFormat(m_Format));
        m_BlockSize = size;
        m_Pixels = m_Block + BITMAP_HEADER_SIZE;
    }
    if (rowPixels != nullptr && row >= 0 && row < m_Height) *rowPixels = m_Pixels + int64_t(row) * m_Stride;
    return m_Pixels;
}

void TBitmap::Assign(IBitmap* other)
{
    if (other == this) return;
    ReleaseBlock();
    if (other != nullptr) {
        m_Width = other->GetWidth();
        m_Height = other->GetHeight();
        m_Stride = Bitmap_Stride(m_Format, m_Width);
        auto* source = dynamic_cast<TBitmap*>(other);
        if (source != nullptr && source->m_Block != nullptr) {
            auto* copy = static_cast<uint8_t*>(MEM_ALLOC(source->m_BlockSize, false));
            std::memcpy(copy, source->m_Block, source->m_BlockSize);
            Adopt(copy, source->m_BlockSize, static_cast<uint32_t>(source->m_Pixels - source->m_Block), 0);
        }
    }
    Changed();
}

void TBitmap::Empty()
{
    FreeData();
    m_Width = 0;
    m_Height = 0;
    m_Stride = 0;
}

void TBitmap::FreeData()
{
    ReleaseBlock();
    Changed();
}

void TBitmap::Attach(uint8_t* block, uint32_t size)
{
    if (block == nullptr || block == m_Block) return;
    uint32_t pixelOffset = size >= BITMAP_HEADER_SIZE ? GetU32(block + AT_PIXEL_OFFSET) : 0;
    Adopt(block, size, pixelOffset, BITMAP_FORMAT_32BIT);
}

// ---- BitmapLoader ----

BitmapLoader* BitmapLoader_Create(const uint32_t* pixels, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return nullptr;
    uint64_t pixelBytes = uint64_t(width) * uint64_t(height) * 4;
    if (pixelBytes > MAX_PIXEL_BYTES) return nullptr;
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(pixelBytes + BITMAP_HEADER_SIZE, true));
    Bitmap_WriteHeader(block, width, height, 32);
    if (pixels != nullptr) std::memcpy(block + BITMAP_HEADER_SIZE, pixels, pixelBytes);
    return new BitmapLoader(block);
}

BitmapLoader::~BitmapLoader() { MemoryManager::Free(m_Block); }

IBitmap* BitmapLoader::GetFrame(int32_t index)
{
    if (index < 0 || index >= m_FrameCount || m_Block == nullptr) return nullptr;
    uint32_t size = MemoryManager::GetSize(m_Block);
    auto* copy = static_cast<uint8_t*>(MEM_ALLOC(size, false));
    std::memcpy(copy, m_Block, size);
    TBitmap* frame = TBitmap_Create();
    frame->Attach(copy, size);
    return frame;
}
