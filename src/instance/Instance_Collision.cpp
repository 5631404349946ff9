// The five collision tests. Each first rejects by the bounding box, which covers the real
// coordinates from left up to (not including) right + 1; only then, when precise checking is asked
// for and the shape allows it, the sprite's masks give the pixel answer.
#include <algorithm>
#include <cmath>

#include "base/Base_Numbers.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_Resources.h"

namespace {

int32_t Round(float value) { return Numbers_RoundToInt32(static_cast<double>(value)); }

// The edge just past the box, as a float; computed wide so that no box value can overflow.
float PastEdge(int32_t edge) { return static_cast<float>(static_cast<int64_t>(edge) + 1); }

// True when the rectangle (xl <= xr, yt <= yb) misses the box, or the instance is marked.
bool BoxRejects(const CInstance& instance, float xl, float yt, float xr, float yb)
{
    const InstanceBox& box = instance.i_bbox;
    return xl >= PastEdge(box.right) || static_cast<float>(box.left) > xr || yt >= PastEdge(box.bottom) ||
           static_cast<float>(box.top) > yb || instance.i_marked != 0;
}

// The shape sprite exists and has a frame to test against.
bool ShapeReady(int32_t sprite, InstanceSpriteShape* shape)
{
    return Instance_Sprites()->Shape(sprite, shape) && shape->frameCount >= 1;
}

// Whether the shape sprite exists with a frame to test against, and whether it wants precise
// checking. The box's computation learnt both; a box from a saved game asks the sprites. The box
// must be current.
struct ShapeFacts {
    bool ready;
    bool precise;
};

[[gnu::noinline]] ShapeFacts LookUpFacts(const CInstance& instance)
{
    InstanceSpriteShape shape;
    bool ready = ShapeReady(instance.ShapeSprite(), &shape);
    return {ready, ready && shape.precise != 0};
}

inline ShapeFacts FactsOf(const CInstance& instance)
{
    if ((instance.m_BoxFacts & CInstance::BOX_FACTS_KNOWN) == 0) return LookUpFacts(instance);
    return {(instance.m_BoxFacts & CInstance::BOX_HAS_SHAPE) != 0, instance.i_precise != 0};
}

InstancePlacement Placement(const CInstance& instance)
{
    return {instance.ShapeSprite(), Numbers_TruncToInt32(instance.i_imageindex), instance.i_bbox,
            Round(instance.i_x), Round(instance.i_y), instance.i_imagescalex, instance.i_imagescaley,
            instance.i_imageangle};
}

// The pixel answer for two instances whose boxes overlap; apart, so that the box answer does not
// pay for this one's frame.
[[gnu::noinline]] bool MasksMeet(const CInstance& first, const CInstance& second)
{
    return Instance_Sprites()->CollideSprite(Placement(first), Placement(second));
}

struct Normalised {
    float xl, yt, xr, yb;
};

Normalised Normalise(float x1, float y1, float x2, float y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

InstanceBox Rounded(const Normalised& rect) { return {Round(rect.xl), Round(rect.yt), Round(rect.xr), Round(rect.yb)}; }

bool Within(float value, int32_t low, int32_t high)
{
    return value >= static_cast<float>(low) && value <= static_cast<float>(high);
}

// u or v of a point against one axis of an ellipse; a half-axis of 0 is a line through the centre.
double AxisRatio(int64_t offset, int64_t half)
{
    if (half != 0) return static_cast<double>(offset) / static_cast<double>(half);
    return offset == 0 ? 0.0 : HUGE_VAL;
}

} // namespace

bool PointInEllipse(const InstanceBox& rect, int32_t x, int32_t y)
{
    int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    int64_t cx = (left + right) / 2;
    int64_t cy = (top + bottom) / 2;
    double u = AxisRatio(x - cx, (right - left) / 2);
    double v = AxisRatio(y - cy, (bottom - top) / 2);
    return u * u + v * v <= 1.0;
}

bool CInstance::CollisionPoint(float x, float y, int32_t precise)
{
    GetBoundingBox();
    if (BoxRejects(*this, x, y, x, y)) return false;
    // A point follows the sprite's own flag as it is now, not the copy taken with the box.
    InstanceSpriteShape shape;
    if (!ShapeReady(ShapeSprite(), &shape)) return false;
    if (!(precise == 1 && shape.precise != 0)) return true;
    return Instance_Sprites()->CollidePoint(Placement(*this), Round(x), Round(y));
}

bool CInstance::CollisionRectangle(float x1, float y1, float x2, float y2, int32_t precise)
{
    GetBoundingBox();
    Normalised rect = Normalise(x1, y1, x2, y2);
    if (BoxRejects(*this, rect.xl, rect.yt, rect.xr, rect.yb)) return false;
    if (!(precise == 1 && i_precise == 1)) return true;
    if (!FactsOf(*this).ready) return false;
    return Instance_Sprites()->CollideRectangle(Placement(*this), Rounded(rect));
}

bool CInstance::CollisionEllipse(float x1, float y1, float x2, float y2, int32_t precise)
{
    GetBoundingBox();
    Normalised rect = Normalise(x1, y1, x2, y2);
    if (BoxRejects(*this, rect.xl, rect.yt, rect.xr, rect.yb)) return false;
    if (Round(x1) == Round(x2) || Round(y1) == Round(y2)) return CollisionRectangle(x1, y1, x2, y2, precise);
    InstanceBox ellipse = Rounded(rect);
    float cx = (x1 + x2) / 2.0f;
    float cy = (y1 + y2) / 2.0f;
    const InstanceBox& box = i_bbox;
    bool overlap = Within(cx, box.left, box.right) || Within(cy, box.top, box.bottom);
    if (!overlap) {
        overlap = PointInEllipse(ellipse, box.left, box.top) || PointInEllipse(ellipse, box.left, box.bottom) ||
                  PointInEllipse(ellipse, box.right, box.top) || PointInEllipse(ellipse, box.right, box.bottom);
        if (!overlap) return false;
    }
    if (!(precise == 1 && i_precise == 1)) return true;
    if (!FactsOf(*this).ready) return false;
    return Instance_Sprites()->CollideEllipse(Placement(*this), ellipse);
}

bool CInstance::CollisionLine(float x1, float y1, float x2, float y2, int32_t precise)
{
    GetBoundingBox();
    Normalised bounds = Normalise(x1, y1, x2, y2);
    if (BoxRejects(*this, bounds.xl, bounds.yt, bounds.xr, bounds.yb)) return false;
    float xa = x1, ya = y1, xb = x2, yb = y2;
    if (xa > xb) {
        std::swap(xa, xb);
        std::swap(ya, yb);
    }
    // Clip the segment to the box's columns; the box test above keeps both slopes finite.
    float left = static_cast<float>(i_bbox.left);
    float right = PastEdge(i_bbox.right);
    if (left > xa) {
        ya += (left - xa) * (yb - ya) / (xb - xa);
        xa = left;
    }
    if (xb > right) {
        yb = ya + (right - xa) * (yb - ya) / (xb - xa);
        xb = right;
    }
    float top = static_cast<float>(i_bbox.top);
    float bottom = PastEdge(i_bbox.bottom);
    if ((top > ya && top > yb) || (ya >= bottom && yb >= bottom)) return false;
    if (!(precise == 1 && i_precise == 1)) return true;
    if (!FactsOf(*this).ready) return false;
    return Instance_Sprites()->CollideLine(Placement(*this), Round(xa), Round(ya), Round(xb), Round(yb));
}

bool CInstance::CollisionInstance(CInstance* other, int32_t precise)
{
    if (other == nullptr || other == this || i_marked != 0 || other->i_marked != 0) return false;
    const InstanceBox& mine = GetBoundingBox();
    if (!Instance_BoxesOverlap(mine, other->GetBoundingBox())) return false;
    ShapeFacts mineFacts = FactsOf(*this), theirFacts = FactsOf(*other);
    if (!mineFacts.ready || !theirFacts.ready) return false;
    // Two box masks meet where their boxes do.
    if (!(precise == 1 && (mineFacts.precise || theirFacts.precise))) return true;
    return MasksMeet(*this, *other);
}
