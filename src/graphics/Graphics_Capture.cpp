#include "graphics/Graphics_Capture.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// The read-back's own clipping, done here too so that the PNG is sized as the block it is given.
bool Clip(int32_t limitWidth, int32_t limitHeight, int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    *x = std::max(*x, 0);
    *y = std::max(*y, 0);
    *width = std::min(*width, limitWidth - *x);
    *height = std::min(*height, limitHeight - *y);
    return *width > 0 && *height > 0;
}

bool WritePixels(const char* fileName, uint8_t* pixels, int32_t width, int32_t height)
{
    if (pixels == nullptr) return false;
    Graphics_SwapRedBlue(pixels, width, height);
    bool written = write_png_file(fileName, pixels, width, height);
    MemoryManager::Free(pixels);
    return written;
}

} // namespace

bool GR_Pixels_SavePng(const char* fileName, const uint32_t* pixels, size_t count, int32_t width, int32_t height)
{
    if (pixels == nullptr || (width > 0 && height > 0 && size_t(width) * size_t(height) > count)) return false;
    std::vector<uint32_t> copy(pixels, pixels + count);
    for (uint32_t& pixel : copy) pixel = GR_SwapRedBlue(pixel);
    return write_png_file(fileName, copy.data(), width, height);
}

void Graphics_SwapRedBlue(uint8_t* pixels, int32_t width, int32_t height)
{
    if (pixels == nullptr || width < 1 || height < 1) return;
    size_t count = size_t(width) * size_t(height);
    for (uint8_t* pixel = pixels; pixel < pixels + count * 4; pixel += 4)
        std::swap(pixel[0], pixel[2]);
}

bool GR_Screen_SavePng(const char* fileName, int32_t x, int32_t y, int32_t width, int32_t height)
{
    DeviceTexture* screen = g_D3D.screenTexture;
    if (screen == nullptr) return false;
    int32_t windowWidth = GR_Window_GetWidth(), windowHeight = GR_Window_GetHeight();
    int32_t limitWidth = std::min(windowWidth, DeviceTexture_Width(screen));
    int32_t limitHeight = std::min(windowHeight, DeviceTexture_Height(screen));
    if (!Clip(limitWidth, limitHeight, &x, &y, &width, &height)) return false;
    return WritePixels(fileName, GR_Screen_ReadPixels(windowWidth, windowHeight, x, y, width, height), width,
                       height);
}

bool GR_Surface_SavePng(int32_t texture, const char* fileName, int32_t x, int32_t y, int32_t width,
                        int32_t height)
{
    DeviceTexture* device = Texture_GetHandle(texture);
    if (device == nullptr) return false;
    if (!Clip(DeviceTexture_Width(device), DeviceTexture_Height(device), &x, &y, &width, &height))
        return false;
    return WritePixels(fileName, GR_Surface_ReadPixels(device, x, y, width, height), width, height);
}
