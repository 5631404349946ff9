// PLACEHOLDERS for the issue "Graphics device layer": each function does what the device routine
// does when there is no device, until that issue replaces this file.
#include "graphics/Graphics_DevicePlaceholders.h"

// Placeholder (graphics device layer): no device, so no full screen to leave and no reset pending.
bool GR_D3D_ApplyPendingReset() { return false; }

// Placeholder (graphics device layer): without a device no texture can be made; the info stays empty.
DeviceTexture* GR_Texture_CreateFromData(const void* /*data*/, int32_t /*length*/, DeviceTextureInfo* info,
                                         int32_t /*formatCode*/)
{
    if (info != nullptr) *info = DeviceTextureInfo{};
    return nullptr;
}

// Placeholder (graphics device layer): start-up goes on as if a device had been made; the frame
// routines below still behave as without one.
bool GR_InitDevice(int32_t /*width*/, int32_t /*height*/, uint32_t /*flags*/) { return true; }

// Placeholder (graphics device layer): false without a device.
bool GR_StartFrame() { return false; }

// Placeholder (graphics device layer): false without a device; nothing is presented.
bool GR_EndFrame(bool /*present*/) { return false; }

// Placeholder (graphics device layer): a reset fails without a device.
bool GR_Reset() { return false; }

// Placeholder (graphics device layer): no screen texture to free.
void GR_ShutdownDisplay() {}

// Placeholder (graphics device layer): no device to release.
void GR_D3D_Shutdown() {}
