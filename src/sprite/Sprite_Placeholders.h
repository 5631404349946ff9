// Sprite services of start-up and shut-down, standing in until sprites are loaded.
#pragma once

#include <cstdint>

void Sprite_InitTextures();
void Sprite_Shutdown();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Sprite_Find(const char* name);

struct InstanceBox;

// PLACEHOLDER until sprites are loaded: the part of a sprite that instances read (frame count, own
// box, origin, precise flag) and its pixel tests. No sprite exists yet, so the definitions answer
// for a cleared sprite: no frames, box 0, origin 0, precise, no masks.
class CSprite {
public:
    virtual ~CSprite();
    int32_t GetFrameCount() const;
    // The frame with its origin at (x, y): transformed (angle in degrees, blend, alpha) or plain.
    void Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t blend, float alpha);
    void DrawSimple(int32_t frame, float x, float y);
    int32_t GetWidth() const;
    int32_t GetHeight() const;
    int32_t GetBBoxLeft() const;
    int32_t GetBBoxTop() const;
    int32_t GetBBoxRight() const;
    int32_t GetBBoxBottom() const;
    int32_t GetXOrigin() const;
    int32_t GetYOrigin() const;
    uint8_t GetPrecise() const;
    // The frame is the instance's truncated image index, the box its bounding box, x and y its
    // rounded position, the angle in degrees.
    bool CollidePoint(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                      float angle, int32_t px, int32_t py);
    bool CollideRectangle(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                          float angle, const InstanceBox& rect);
    bool CollideEllipse(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                        float angle, const InstanceBox& rect);
    bool CollideLine(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                     float angle, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    bool CollideSprite(int32_t frame1, const InstanceBox& box1, int32_t x1, int32_t y1, float xscale1,
                       float yscale1, float angle1, CSprite* other, int32_t frame2, const InstanceBox& box2,
                       int32_t x2, int32_t y2, float xscale2, float yscale2, float angle2);
};

// PLACEHOLDER until sprites are loaded: the table is empty.
bool Sprite_Exists(int32_t index);
CSprite* Sprite_Get(int32_t index);
