// Textures and texture-page entries turned into textured quads in the vertex batch: whole, scaled
// and rotated, in parts, with a colour per corner, and tiled over a clip rectangle. Angles are in
// radians (positive turns anticlockwise on a screen whose y grows downwards); colours are BGR with
// an alpha 0..1. Each returns true when something was queued, false for a null entry, an invalid
// texture or nothing to draw.
#pragma once

#include <cstdint>

#include "graphics/Graphics_TexturePage.h"

struct DeviceTexture;

// By texture index.
bool GR_Texture_Draw(int32_t index, float x, float y);
bool GR_Texture_DrawStretched(int32_t index, float x, float y, float w, float h, uint32_t colour,
                              double alpha);
bool GR_Texture_DrawExt(int32_t index, float xOrigin, float yOrigin, float x, float y, float xScale,
                        float yScale, double angle, uint32_t colour, double alpha);
bool GR_Texture_DrawPart(int32_t index, float left, float top, float width, float height, float x, float y,
                         float xScale, float yScale, double angle, uint32_t colour, double alpha);
bool GR_Texture_DrawGeneral(int32_t index, float left, float top, float width, float height, float x, float y,
                            float xScale, float yScale, double angle, uint32_t colour1, uint32_t colour2,
                            uint32_t colour3, uint32_t colour4, double alpha);
// The pixel centres a tiled draw lands on, along each axis in room units: origin + (i + 0.5) * pitch
// for i below count (count 0: not known). Where the tiles along an axis outnumber its pixels, a tile
// that holds no centre draws nothing, and only the tiles holding one are emitted.
struct TileAxisPixels {
    double origin = 0.0;
    double pitch = 0.0;
    int32_t count = 0;
};
struct TilePixels {
    TileAxisPixels across;
    TileAxisPixels down;
};

bool GR_Texture_DrawTiled(int32_t index, float xOrigin, float yOrigin, float x, float y, float xScale,
                          float yScale, bool across, bool down, float clipLeft, float clipTop,
                          float clipWidth, float clipHeight, uint32_t colour, double alpha,
                          const TilePixels* pixels = nullptr);

// By page entry; the rectangles of the part forms are in frame coordinates.
bool GR_TPage_Draw(TPageEntry* entry, float x, float y);
// Corners top-left, top-right, bottom-right, bottom-left; the crop offsets do not apply.
bool GR_TPage_DrawQuad(TPageEntry* entry, float x1, float y1, float x2, float y2, float x3, float y3,
                       float x4, float y4, uint32_t colour, double alpha);
bool GR_TPage_DrawExt(TPageEntry* entry, float xOrigin, float yOrigin, float x, float y, float xScale,
                      float yScale, double angle, uint32_t colour, double alpha);
bool GR_TPage_DrawPart(TPageEntry* entry, float left, float top, float width, float height, float x, float y,
                       float xScale, float yScale, double angle, uint32_t colour, double alpha);
bool GR_TPage_DrawGeneral(TPageEntry* entry, float left, float top, float width, float height, float x,
                          float y, float xScale, float yScale, double angle, uint32_t colour1,
                          uint32_t colour2, uint32_t colour3, uint32_t colour4, double alpha);
bool GR_TPage_DrawTiled(TPageEntry* entry, float xOrigin, float yOrigin, float x, float y, float xScale,
                        float yScale, bool across, bool down, float clipLeft, float clipTop, float clipWidth,
                        float clipHeight, uint32_t colour, double alpha, const TilePixels* pixels = nullptr);

// Two triangles of a device texture over four corners (top-left, top-right, bottom-right,
// bottom-left), each corner with its ARGB colour.
bool GR_Texture_DrawCorners(DeviceTexture* texture, float x1, float y1, float x2, float y2, float x3,
                            float y3, float x4, float y4, float uLeft, float vTop, float uRight,
                            float vBottom, uint32_t colour1, uint32_t colour2, uint32_t colour3,
                            uint32_t colour4);
