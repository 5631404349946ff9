// What instances need of sprites and paths: a sprite's frame count, box, origin and precise flag with
// its pixel tests, and a path's length and points. The game's sprite and path tables stand behind
// the default; tests install doubles with their own masks and paths.
#pragma once

#include <cstdint>

#include "instance/Instance_Class.h"

struct InstanceSpriteShape {
    int32_t frameCount;
    InstanceBox box; // the sprite's own box, inclusive frame pixels
    int32_t xorigin;
    int32_t yorigin;
    uint8_t precise; // the sprite wants precise collision checking
};

// A sprite placed as an instance shows it, for the pixel tests: the frame (the truncated image
// index), the instance's box, its rounded position, its scales and its angle in degrees.
struct InstancePlacement {
    int32_t sprite;
    int32_t frame;
    InstanceBox box;
    int32_t x;
    int32_t y;
    float xscale;
    float yscale;
    float angle;
};

class IInstanceSprites {
public:
    virtual ~IInstanceSprites() = default;
    // False when the sprite does not exist.
    virtual bool Shape(int32_t sprite, InstanceSpriteShape* out) = 0;
    virtual bool CollidePoint(const InstancePlacement& at, int32_t px, int32_t py) = 0;
    virtual bool CollideRectangle(const InstancePlacement& at, const InstanceBox& rect) = 0;
    virtual bool CollideEllipse(const InstancePlacement& at, const InstanceBox& rect) = 0;
    // The ends come ordered so that x1 <= x2.
    virtual bool CollideLine(const InstancePlacement& at, int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual bool CollideSprite(const InstancePlacement& first, const InstancePlacement& second) = 0;
};

class IInstancePaths {
public:
    virtual ~IInstancePaths() = default;
    // False when the path does not exist.
    virtual bool Length(int32_t path, float* length) = 0;
    // The point and its speed factor (100 is normal speed) at a fraction of the length.
    virtual void PositionAt(int32_t path, float position, float* x, float* y, float* speed) = 0;
};

// Null restores the game's tables.
void Instance_SetSprites(IInstanceSprites* sprites);
IInstanceSprites* Instance_Sprites();
void Instance_SetPaths(IInstancePaths* paths);
IInstancePaths* Instance_Paths();

// The frame count of a sprite, 0 when it does not exist.
int32_t Instance_SpriteFrameCount(int32_t sprite);
