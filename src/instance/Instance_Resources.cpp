#include "instance/Instance_Resources.h"

#include "path/Path_Table.h"
#include "sprite/Sprite_Table.h"

namespace {

// The sprite table of the game.
class TableSprites : public IInstanceSprites {
public:
    bool Shape(int32_t sprite, InstanceSpriteShape* out) override
    {
        const CSprite* data = Sprite_Get(sprite);
        if (data == nullptr) return false;
        out->frameCount = data->GetFrameCount();
        out->box = {data->GetBBoxLeft(), data->GetBBoxTop(), data->GetBBoxRight(), data->GetBBoxBottom()};
        out->xorigin = data->GetXOrigin();
        out->yorigin = data->GetYOrigin();
        out->precise = data->GetPrecise();
        return true;
    }
    bool CollidePoint(const InstancePlacement& at, int32_t px, int32_t py) override
    {
        CSprite* data = Sprite_Get(at.sprite);
        return data != nullptr &&
               data->CollidePoint(at.frame, at.box, at.x, at.y, at.xscale, at.yscale, at.angle, px, py);
    }
    bool CollideRectangle(const InstancePlacement& at, const InstanceBox& rect) override
    {
        CSprite* data = Sprite_Get(at.sprite);
        return data != nullptr &&
               data->CollideRectangle(at.frame, at.box, at.x, at.y, at.xscale, at.yscale, at.angle, rect);
    }
    bool CollideEllipse(const InstancePlacement& at, const InstanceBox& rect) override
    {
        CSprite* data = Sprite_Get(at.sprite);
        return data != nullptr &&
               data->CollideEllipse(at.frame, at.box, at.x, at.y, at.xscale, at.yscale, at.angle, rect);
    }
    bool CollideLine(const InstancePlacement& at, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        CSprite* data = Sprite_Get(at.sprite);
        return data != nullptr &&
               data->CollideLine(at.frame, at.box, at.x, at.y, at.xscale, at.yscale, at.angle, x1, y1, x2, y2);
    }
    bool CollideSprite(const InstancePlacement& first, const InstancePlacement& second) override
    {
        CSprite* one = Sprite_Get(first.sprite);
        CSprite* two = Sprite_Get(second.sprite);
        if (one == nullptr || two == nullptr) return false;
        return one->CollideSprite(first.frame, first.box, first.x, first.y, first.xscale, first.yscale, first.angle,
                                  two, second.frame, second.box, second.x, second.y, second.xscale,
                                  second.yscale, second.angle);
    }
};

// The path table of the game.
class TablePaths : public IInstancePaths {
public:
    bool Length(int32_t path, float* length) override
    {
        const CPath* data = Path_Data(path);
        if (data == nullptr) return false;
        *length = data->GetLength();
        return true;
    }
    void PositionAt(int32_t path, float position, float* x, float* y, float* speed) override
    {
        *x = 0.0f;
        *y = 0.0f;
        *speed = 100.0f;
        const CPath* data = Path_Data(path);
        if (data != nullptr) data->GetPositionAt(position, x, y, speed);
    }
};

TableSprites g_TableSprites;
TablePaths g_TablePaths;
IInstanceSprites* g_pSprites = &g_TableSprites;
IInstancePaths* g_pPaths = &g_TablePaths;

} // namespace

void Instance_SetSprites(IInstanceSprites* sprites)
{
    g_pSprites = sprites != nullptr ? sprites : &g_TableSprites;
    Instance_ShapesChanged();
}
IInstanceSprites* Instance_Sprites() { return g_pSprites; }
void Instance_SetPaths(IInstancePaths* paths) { g_pPaths = paths != nullptr ? paths : &g_TablePaths; }
IInstancePaths* Instance_Paths() { return g_pPaths; }

int32_t Instance_SpriteFrameCount(int32_t sprite)
{
    InstanceSpriteShape shape;
    return g_pSprites->Shape(sprite, &shape) ? shape.frameCount : 0;
}
