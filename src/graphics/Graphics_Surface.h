// Surfaces: off-screen pictures that scripts draw into and then draw like textures. Each is a
// render-target texture of the texture table with its size, kept in a table whose freed slots the
// next creation reuses. One surface at most is the drawing target at a time; setting another first
// returns to the screen. A device reset frees them all.
#pragma once

#include <cstdint>

class IBitmap;

struct SurfaceRecord {
    int32_t texture = -1; // -1 after freeing
    int32_t width = 0;
    int32_t height = 0;
    uint8_t inUse = 0;
    uint32_t serial = 0; // counts every creation, so a reused slot is told from the surface it held
};

int32_t Surface_Count();
int32_t Surface_Create(int32_t width, int32_t height);
bool Surface_Exists(int32_t index);
int32_t Surface_GetWidth(int32_t index);
int32_t Surface_GetHeight(int32_t index);
int32_t Surface_GetTexture(int32_t index);
// The creation number of a live surface, 0 for any other index.
uint32_t Surface_GetSerial(int32_t index);
void Surface_Free(int32_t index);
// Every surface freed, in ascending order (device reset).
void Surface_FreeAll();
// Frees the table itself (shut-down; tests).
void Surface_ClearTable();

bool Surface_SetTarget(int32_t index);
bool Surface_ResetTarget();
// The surface that is the drawing target, or -1 for the screen.
int32_t Surface_CurrentTarget();

void GR_Surface_Draw(int32_t index, float x, float y);
void GR_Surface_DrawExt(int32_t index, float x, float y, float xScale, float yScale, double angle,
                        uint32_t colour, double alpha);
void GR_Surface_DrawStretched(int32_t index, float x, float y, float width, float height, uint32_t colour,
                              double alpha);
void GR_Surface_DrawPart(int32_t index, float left, float top, float width, float height, float x, float y,
                         float xScale, float yScale, uint32_t colour, double alpha);
void GR_Surface_DrawGeneral(int32_t index, float left, float top, float width, float height, float x, float y,
                            float xScale, float yScale, double angle, uint32_t colour1, uint32_t colour2,
                            uint32_t colour3, uint32_t colour4, double alpha);
void GR_Surface_DrawTiled(int32_t index, float x, float y, float xScale, float yScale, bool across, bool down,
                          float clipLeft, float clipTop, float clipWidth, float clipHeight, uint32_t colour,
                          double alpha);

// The rectangle of the surface in a 32-bit platform bitmap (without pixels when the read-back
// failed), or null.
IBitmap* Surface_CreateBitmap(int32_t index, int32_t x, int32_t y, int32_t width, int32_t height);
