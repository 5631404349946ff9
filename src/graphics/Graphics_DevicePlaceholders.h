// Entry points of the graphics device layer that other areas call before that layer exists.
// PLACEHOLDERS for the issue "Graphics device layer", which replaces this header and
// Graphics_DevicePlaceholders.cpp with the device itself.
#pragma once

#include <cstdint>

// One device texture (texture page, surface or screen texture); defined by the device layer.
struct DeviceTexture;

// What a texture creator reports: seven 32-bit fields.
struct DeviceTextureInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t levels = 0;
    int32_t formatCode = 0;
    int32_t resourceType = 0;
    int32_t imageFormat = 0;
};

// Before a modal window: shows the main window and leaves full screen.
bool GR_D3D_ApplyPendingReset();

// A texture from texture-page data (a "RAW " block or an image file in memory); null on failure.
DeviceTexture* GR_Texture_CreateFromData(const void* data, int32_t length, DeviceTextureInfo* info,
                                         int32_t formatCode);

// Creates the device for the main window at the game's window size with the header's info flags
// (full screen, vertical sync, software vertex processing, interpolation, keep aspect).
bool GR_InitDevice(int32_t width, int32_t height, uint32_t flags);
// The frame on the device: begin, end (presenting only when asked), and reset when pending.
bool GR_StartFrame();
bool GR_EndFrame(bool present);
bool GR_Reset();
// Shut-down: the screen texture and statistics, then the device itself.
void GR_ShutdownDisplay();
void GR_D3D_Shutdown();
