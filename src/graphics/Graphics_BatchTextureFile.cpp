#include "graphics/Graphics_BatchTextureFile.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "base/Base_Bytes.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"

namespace {

bool StartsWith(const uint8_t* data, size_t length, const char* magic, size_t magicLength)
{
    return length >= magicLength && std::memcmp(data, magic, magicLength) == 0;
}

void TakePixels(TextureFileImage* out, const uint8_t* pixels, int32_t width, int32_t height)
{
    out->width = width;
    out->height = height;
    out->pixels.assign(pixels, pixels + size_t(width) * size_t(height) * 4);
}

bool DecodePng(const uint8_t* data, size_t length, TextureFileImage* out)
{
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = GR_Image_LoadPNG(data, int32_t(length), &width, &height, false);
    bool ok = pixels != nullptr && GR_Image_SizeAllowed(width, height);
    if (ok) TakePixels(out, pixels, width, height);
    GR_Image_FreePNG();
    out->format = D3DFMT_A8R8G8B8;
    out->fileFormat = TEXTURE_FILE_PNG;
    return ok;
}

bool DecodeJpeg(const uint8_t* data, size_t length, TextureFileImage* out)
{
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = JPEG_Decode(data, int32_t(length), &width, &height);
    bool ok = pixels != nullptr && GR_Image_SizeAllowed(width, height);
    if (ok) TakePixels(out, pixels, width, height);
    MemoryManager::Free(pixels);
    out->format = D3DFMT_X8R8G8B8;
    out->fileFormat = TEXTURE_FILE_JPG;
    return ok;
}

bool DecodeBmp(const uint8_t* data, size_t length, TextureFileImage* out)
{
    BmpImage image;
    if (!Bitmap_DecodeBmp(data, length, &image)) return false;
    bool ok = GR_Image_SizeAllowed(image.width, image.height) &&
              (image.format == BITMAP_FORMAT_24BIT || image.format == BITMAP_FORMAT_32BIT);
    if (ok) {
        int32_t step = image.format == BITMAP_FORMAT_24BIT ? 3 : 4;
        out->width = image.width;
        out->height = image.height;
        out->pixels.resize(size_t(image.width) * size_t(image.height) * 4);
        for (int32_t y = 0; y < image.height; ++y) {
            const uint8_t* row = image.block + BITMAP_HEADER_SIZE + size_t(y) * size_t(image.stride);
            uint8_t* target = out->pixels.data() + size_t(y) * size_t(image.width) * 4;
            for (int32_t x = 0; x < image.width; ++x) {
                std::memcpy(target + x * 4, row + x * step, 3);
                target[x * 4 + 3] = 255; // a bitmap's fourth byte is no alpha
            }
        }
    }
    MemoryManager::Free(image.block);
    out->format = D3DFMT_X8R8G8B8;
    out->fileFormat = TEXTURE_FILE_BMP;
    return ok;
}

// ---- DDS: "DDS ", a 124-byte header with the pixel format at offset 76, then level 0 ----

constexpr size_t DDS_HEADER = 128;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;

struct Channel {
    uint32_t mask = 0;
    int32_t shift = 0;
    uint32_t maximum = 0;
};

Channel MakeChannel(uint32_t mask)
{
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    while (((mask >> c.shift) & 1u) == 0)
        ++c.shift;
    c.maximum = mask >> c.shift;
    return c;
}

uint8_t Extract(const Channel& c, uint32_t pixel)
{
    if (c.mask == 0) return 0;
    uint32_t value = (pixel & c.mask) >> c.shift;
    return uint8_t((uint64_t(value) * 255 + c.maximum / 2) / c.maximum);
}

bool DecodeDdsCompressed(const uint8_t* data, size_t length, int32_t width, int32_t height, uint32_t fourCC,
                         TextureFileImage* out)
{
    int32_t format = int32_t(fourCC);
    if (format != D3DFMT_DXT1 && format != D3DFMT_DXT2 && format != D3DFMT_DXT3 && format != D3DFMT_DXT4 &&
        format != D3DFMT_DXT5)
        return false;
    size_t bytes = size_t(D3D_FormatPitch(format, width)) * size_t(D3D_FormatRows(format, height));
    if (length - DDS_HEADER < bytes) return false;
    out->format = format;
    out->width = width;
    out->height = height;
    out->pixels.assign(data + DDS_HEADER, data + DDS_HEADER + bytes);
    return true;
}

bool DecodeDds(const uint8_t* data, size_t length, TextureFileImage* out)
{
    out->fileFormat = TEXTURE_FILE_DDS;
    if (length < DDS_HEADER || Bytes_GetLE32(data + 4) != 124) return false;
    int32_t height = int32_t(Bytes_GetLE32(data + 12));
    int32_t width = int32_t(Bytes_GetLE32(data + 16));
    uint32_t mips = Bytes_GetLE32(data + 28);
    out->levels = mips > 1 && mips <= 32 ? int32_t(mips) : 1;
    if (!GR_Image_SizeAllowed(width, height)) return false;
    uint32_t flags = Bytes_GetLE32(data + 80);
    if ((flags & DDPF_FOURCC) != 0)
        return DecodeDdsCompressed(data, length, width, height, Bytes_GetLE32(data + 84), out);

    uint32_t bits = Bytes_GetLE32(data + 88);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    size_t step = bits / 8;
    size_t need = size_t(width) * size_t(height) * step;
    if (length - DDS_HEADER < need) return false;
    Channel r = MakeChannel(Bytes_GetLE32(data + 92));
    Channel g = MakeChannel(Bytes_GetLE32(data + 96));
    Channel b = MakeChannel(Bytes_GetLE32(data + 100));
    Channel a = MakeChannel((flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) != 0 ? Bytes_GetLE32(data + 104) : 0);
    bool luminance = (flags & DDPF_LUMINANCE) != 0;
    // An alpha-only picture is white with that alpha.
    bool alphaOnly = (flags & (DDPF_RGB | DDPF_LUMINANCE)) == 0;
    out->width = width;
    out->height = height;
    out->format = a.mask != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    out->pixels.resize(size_t(width) * size_t(height) * 4);
    const uint8_t* source = data + DDS_HEADER;
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        uint32_t pixel = 0;
        for (size_t k = 0; k < step; ++k)
            pixel |= uint32_t(source[i * step + k]) << (8 * k);
        uint8_t* target = out->pixels.data() + i * 4;
        uint8_t red = alphaOnly ? 255 : Extract(r, pixel);
        target[0] = luminance ? red : alphaOnly ? 255 : Extract(b, pixel);
        target[1] = luminance ? red : alphaOnly ? 255 : Extract(g, pixel);
        target[2] = red;
        target[3] = a.mask != 0 ? Extract(a, pixel) : 255;
    }
    return true;
}

} // namespace

bool TextureRaw_IsBlock(const uint8_t* data, size_t length)
{
    return data != nullptr && length >= 4 && Bytes_GetLE32(data) == TEXTURE_RAW_MAGIC;
}

bool TextureRaw_Decode(const uint8_t* data, size_t length, TextureRawBlock* out)
{
    *out = TextureRawBlock{};
    constexpr size_t HEADER = 16;
    if (!TextureRaw_IsBlock(data, length) || length < HEADER) return false;
    uint32_t width = Bytes_GetLE32(data + 4);
    uint32_t height = Bytes_GetLE32(data + 8);
    uint32_t kind = Bytes_GetLE32(data + 12);
    if (kind > 1 || width == 0 || height == 0 || width > 4096 || height > 4096) return false;
    size_t bytes = size_t(width) * size_t(height) * (kind == 0 ? 4 : 2);
    if (length - HEADER < bytes) return false;
    out->width = int32_t(width);
    out->height = int32_t(height);
    out->kind = int32_t(kind);
    // The file stays as read: the channels are reordered in a copy.
    out->pixels.assign(data + HEADER, data + HEADER + bytes);
    std::vector<uint8_t>& p = out->pixels;
    if (kind == 0) {
        for (size_t i = 0; i < bytes; i += 4)
            std::swap(p[i], p[i + 2]);
        return true;
    }
    for (size_t i = 0; i < bytes; i += 2) {
        uint32_t v = Bytes_GetLE16(&p[i]);
        uint32_t r = ((v & 0xFu) << 12) | ((v & 0xF0u) << 4) | ((v >> 4) & 0xF0u) | (v >> 12);
        p[i] = uint8_t(r & 0xFFu);
        p[i + 1] = uint8_t(r >> 8);
    }
    return true;
}

bool TextureFile_Decode(const uint8_t* data, size_t length, TextureFileImage* out)
{
    *out = TextureFileImage{};
    if (data == nullptr || length == 0 || length > size_t(INT32_MAX)) return false;
    if (StartsWith(data, length, "\x89PNG", 4)) return DecodePng(data, length, out);
    if (StartsWith(data, length, "\xFF\xD8", 2)) return DecodeJpeg(data, length, out);
    if (StartsWith(data, length, "BM", 2)) return DecodeBmp(data, length, out);
    if (StartsWith(data, length, "DDS ", 4)) return DecodeDds(data, length, out);
    return false;
}

std::vector<uint8_t> TextureFile_Stretch(const std::vector<uint8_t>& pixels, int32_t width, int32_t height,
                                         int32_t newWidth, int32_t newHeight)
{
    std::vector<uint8_t> out(size_t(newWidth) * size_t(newHeight) * 4);
    auto at = [&](int32_t x, int32_t y, int32_t channel) -> double {
        x = x < 0 ? 0 : x >= width ? width - 1 : x;
        y = y < 0 ? 0 : y >= height ? height - 1 : y;
        return pixels[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(channel)];
    };
    for (int32_t y = 0; y < newHeight; ++y) {
        double sy = (y + 0.5) * height / newHeight - 0.5;
        int32_t y0 = int32_t(std::floor(sy));
        double fy = sy - y0;
        for (int32_t x = 0; x < newWidth; ++x) {
            double sx = (x + 0.5) * width / newWidth - 0.5;
            int32_t x0 = int32_t(std::floor(sx));
            double fx = sx - x0;
            for (int32_t c = 0; c < 4; ++c) {
                double top = at(x0, y0, c) * (1 - fx) + at(x0 + 1, y0, c) * fx;
                double bottom = at(x0, y0 + 1, c) * (1 - fx) + at(x0 + 1, y0 + 1, c) * fx;
                out[(size_t(y) * size_t(newWidth) + size_t(x)) * 4 + size_t(c)] =
                    uint8_t(std::lround(top * (1 - fy) + bottom * fy));
            }
        }
    }
    return out;
}
