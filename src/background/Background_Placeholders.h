// Background services of start-up and shut-down, standing in until backgrounds are loaded.
#pragma once

#include <cstdint>

void Background_InitTextures();
void Background_Clear();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Background_Find(const char* name);

// PLACEHOLDER until backgrounds are loaded: a background resource, of which the rooms read the size.
class CBackground {
public:
    int32_t GetWidth() const;
    int32_t GetHeight() const;
    // That part of the background at (x, y).
    void DrawPart(float left, float top, float width, float height, float x, float y, float xscale, float yscale,
                  uint32_t blend, float alpha);
    // The background at (x, y), repeated across and/or down over the area when tiled.
    void DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft,
                   float areaTop, float areaWidth, float areaHeight, uint32_t blend, float alpha);
    // The flags a replaced background keeps.
    bool GetTransparent() const;
    bool GetSmooth() const;
    bool GetPreload() const;
};
bool Background_Exists(int32_t index);
// The background at the index, or null (the table is empty until backgrounds are loaded).
CBackground* Background_Data(int32_t index);
// Replaces the background's picture from an image file; true on success.
bool Background_Replace(int32_t index, const char* file, bool removeBackground, bool smooth, bool preload);
