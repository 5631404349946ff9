#include "graphics/Graphics_DeviceApi.h"

uint32_t D3D_FVFStride(uint32_t fvf)
{
    uint32_t stride = 0;
    if ((fvf & D3DFVF_XYZ) != 0) stride += 12;
    if ((fvf & D3DFVF_XYZW) == D3DFVF_XYZW) stride += 16;
    if ((fvf & D3DFVF_XYZRHW) != 0) stride += 16;
    if ((fvf & D3DFVF_NORMAL) != 0) stride += 12;
    if ((fvf & D3DFVF_DIFFUSE) != 0) stride += 4;
    if ((fvf & D3DFVF_TEX1) != 0) stride += 8;
    return stride;
}

namespace {

bool IsCompressed(int32_t format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

int32_t BytesPerPixel(int32_t format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R32F:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
        return 4;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_R5G6B5:
    case D3DFMT_R16F:
    case D3DFMT_D16:
        return 2;
    case D3DFMT_A8:
        return 1;
    default:
        return 0;
    }
}

} // namespace

int32_t D3D_FormatPitch(int32_t format, int32_t width)
{
    if (width <= 0) return 0;
    if (IsCompressed(format)) return ((width + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return width * BytesPerPixel(format);
}

int32_t D3D_FormatRows(int32_t format, int32_t height)
{
    if (height <= 0) return 0;
    return IsCompressed(format) ? (height + 3) / 4 : height;
}

int32_t D3D_AttributeLocation(uint8_t usage, uint8_t usageIndex)
{
    switch (usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT:
        return usageIndex == 0 ? 0 : -1;
    case D3DDECLUSAGE_NORMAL:
        return usageIndex == 0 ? 1 : -1;
    case D3DDECLUSAGE_COLOR:
        return usageIndex < 2 ? 2 + usageIndex : -1;
    case D3DDECLUSAGE_TEXCOORD:
        return usageIndex < 8 ? 4 + usageIndex : -1;
    case D3DDECLUSAGE_BLENDWEIGHT:
        return usageIndex == 0 ? 12 : -1;
    case D3DDECLUSAGE_BLENDINDICES:
        return usageIndex == 0 ? 13 : -1;
    case D3DDECLUSAGE_TANGENT:
        return usageIndex == 0 ? 14 : -1;
    case D3DDECLUSAGE_BINORMAL:
        return usageIndex == 0 ? 15 : -1;
    default:
        return -1;
    }
}
