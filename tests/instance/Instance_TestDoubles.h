// Doubles for the instance tests and fuzz targets: a byte buffer with the typed reads and writes
// instances use, sprites with hand-made masks that record how they were asked, and straight-line
// paths.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "../code/Code_TestBuffer.h"
#include "buffer/Buffer_IBuffer.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_Resources.h"
#include "platform/Platform_MemoryManager.h"

// The stream tests' buffer, taking the bytes first as the instance tests write it.
class InstanceTestBuffer : public TestBuffer {
public:
    explicit InstanceTestBuffer(std::vector<uint8_t> bytes = {}, int32_t kind = eBuffer_Grow)
        : TestBuffer(kind, std::move(bytes))
    {
    }
};

// Sprites made by hand: a shape, and optionally a mask of the frame (row by row, 1 solid) that the
// point, rectangle and line questions read for unscaled, unrotated placements. Every pixel question
// is recorded so that tests can check what the instance code asked.
struct TestSprite {
    InstanceSpriteShape shape;
    int32_t width = 0;
    std::vector<uint8_t> mask; // empty: no masks, every question answers true
};

class TestSprites : public IInstanceSprites {
public:
    TestSprites() { Instance_SetSprites(this); }
    ~TestSprites() override { Instance_SetSprites(nullptr); }

    // A sprite with the given box and origin, `frames` frames and the precise flag.
    TestSprite& Add(int32_t index, InstanceBox box, int32_t xorigin, int32_t yorigin, int32_t frames = 1,
                    uint8_t precise = 0)
    {
        TestSprite& sprite = sprites[index];
        sprite.shape = {frames, box, xorigin, yorigin, precise};
        return sprite;
    }

    bool Shape(int32_t sprite, InstanceSpriteShape* out) override
    {
        ++shapeAsks;
        auto found = sprites.find(sprite);
        if (found == sprites.end()) return false;
        *out = found->second.shape;
        return true;
    }
    bool CollidePoint(const InstancePlacement& at, int32_t px, int32_t py) override
    {
        asked.push_back({'p', at, {px, py, px, py}});
        return Solid(at, px, py);
    }
    bool CollideRectangle(const InstancePlacement& at, const InstanceBox& rect) override
    {
        asked.push_back({'r', at, rect});
        return AnySolid(at, rect);
    }
    bool CollideEllipse(const InstancePlacement& at, const InstanceBox& rect) override
    {
        asked.push_back({'e', at, rect});
        return AnySolid(at, rect);
    }
    bool CollideLine(const InstancePlacement& at, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        asked.push_back({'l', at, {x1, y1, x2, y2}});
        return AnySolid(at, {x1, std::min(y1, y2), x2, std::max(y1, y2)});
    }
    bool CollideSprite(const InstancePlacement& first, const InstancePlacement& second) override
    {
        asked.push_back({'s', first, {second.sprite, second.frame, second.x, second.y}});
        return spriteAnswer;
    }

    struct Question {
        char kind;
        InstancePlacement at;
        InstanceBox args; // point (x, y, x, y), rectangle, line ends, or the second sprite's fields
    };
    std::map<int32_t, TestSprite> sprites;
    std::vector<Question> asked;
    int32_t shapeAsks = 0; // how often a shape was looked up
    bool spriteAnswer = true;

private:
    // The mask pixel under a room pixel, for an unscaled, unrotated placement.
    bool Solid(const InstancePlacement& at, int32_t px, int32_t py)
    {
        const TestSprite& sprite = sprites[at.sprite];
        if (sprite.mask.empty()) return true;
        int32_t u = px - at.x + sprite.shape.xorigin;
        int32_t v = py - at.y + sprite.shape.yorigin;
        int32_t height = static_cast<int32_t>(sprite.mask.size()) / sprite.width;
        if (u < 0 || v < 0 || u >= sprite.width || v >= height) return false;
        return sprite.mask[static_cast<size_t>(v * sprite.width + u)] != 0;
    }
    bool AnySolid(const InstancePlacement& at, const InstanceBox& rect)
    {
        for (int32_t y = std::max(rect.top, at.box.top); y <= std::min(rect.bottom, at.box.bottom); ++y) {
            for (int32_t x = std::max(rect.left, at.box.left); x <= std::min(rect.right, at.box.right); ++x) {
                if (Solid(at, x, y)) return true;
            }
        }
        return false;
    }
};

// Paths as polylines walked at even speed: the point at a fraction of the whole length.
struct TestPath {
    std::vector<float> xs, ys;
    float factor = 100.0f;
};

class TestPaths : public IInstancePaths {
public:
    TestPaths() { Instance_SetPaths(this); }
    ~TestPaths() override { Instance_SetPaths(nullptr); }

    bool Length(int32_t path, float* length) override
    {
        auto found = paths.find(path);
        if (found == paths.end()) return false;
        *length = TotalLength(found->second);
        return true;
    }
    void PositionAt(int32_t path, float position, float* x, float* y, float* speed) override
    {
        const TestPath& p = paths[path];
        *speed = p.factor;
        float target = TotalLength(p) * std::min(std::max(position, 0.0f), 1.0f);
        for (size_t i = 1; i < p.xs.size(); ++i) {
            float segment = std::hypot(p.xs[i] - p.xs[i - 1], p.ys[i] - p.ys[i - 1]);
            if (target <= segment || i + 1 == p.xs.size()) {
                float t = segment > 0.0f ? std::min(target / segment, 1.0f) : 0.0f;
                *x = p.xs[i - 1] + (p.xs[i] - p.xs[i - 1]) * t;
                *y = p.ys[i - 1] + (p.ys[i] - p.ys[i - 1]) * t;
                return;
            }
            target -= segment;
        }
        *x = p.xs.empty() ? 0.0f : p.xs[0];
        *y = p.ys.empty() ? 0.0f : p.ys[0];
    }

    std::map<int32_t, TestPath> paths;

private:
    static float TotalLength(const TestPath& p)
    {
        float total = 0.0f;
        for (size_t i = 1; i < p.xs.size(); ++i) total += std::hypot(p.xs[i] - p.xs[i - 1], p.ys[i] - p.ys[i - 1]);
        return total;
    }
};

