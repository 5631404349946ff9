// What the device layer calls in other parts of the graphics and room areas: the rooms' current
// view, the window layer's sizes and colour, the surface and texture tables, the profiler and the
// 3D mode.
#pragma once

#include <cstdint>

struct DeviceRoomView;
struct DeviceTexture;

// The current room and its current view (rooms).
void Room_CurrentViewForDevice(DeviceRoomView* view);

// The size the game draws at, and the window colour (window layer).
int32_t GR_Window_GetWidth();
int32_t GR_Window_GetHeight();
void GR_Window_SetWindowSize(int32_t width, int32_t height);
uint32_t GR_Window_GetColour();

// Frees every surface (surfaces); empties the texture table's records (texture table).
void Surface_FreeAll();
void Texture_ResetTable();

// The profiler: its start with the device, the frame's statistics, the overlay, the frame timer,
// the debug font and the statistics written at shut-down.
void Profiler_InitDevice();
void Profiler_StartFrame();
void Profiler_DrawOverlay();
void Profiler_UpdateTimer();
DeviceTexture* Profiler_DebugFontTexture();
void Profiler_ReleaseDebugFont();
// The frame-rate figures at shut-down; nothing when no frame ran.
void Profiler_WriteStatistics();
