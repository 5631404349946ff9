// Pixel-exact collision tests. The caller has found that the boxes overlap; these map each room
// pixel back into the frame (undoing scale and rotation) and read the mask byte there. A mapping
// that comes out infinite or NaN (a scale of 0) lies outside the frame. Positions, origins and box
// edges may be any 32-bit value a file or script stores, so differences and walks over boxes are
// taken in 64 bits.
#include <algorithm>
#include <cmath>

#include "instance/Instance_Class.h"
#include "sprite/Sprite_Class.h"

namespace {

constexpr float SPRITE_PI = 3.1415927410125732f;
constexpr float NO_ROTATION = 0.0001f;

struct Rotation {
    float s;
    float c;
};

Rotation RotationOf(float angle)
{
    float a = -angle * SPRITE_PI / 180.0f;
    return Rotation{std::sin(a), std::cos(a)};
}

// A mapped coordinate as a whole pixel: floored or truncated; false when it is no finite number
// within the int range.
bool ToPixel(float value, bool floored, int32_t& out)
{
    if (!std::isfinite(value)) return false;
    float whole = floored ? std::floor(value) : std::trunc(value);
    if (whole < -2147483648.0f || whole >= 2147483648.0f) return false;
    out = int32_t(whole);
    return true;
}

// The frame of a sprite under one instance's placement.
struct Placed {
    const CSprite* sprite;
    const uint8_t* mask; // null: solid over the frame
    int32_t x, y;
    float xscale, yscale;
    Rotation turn;
    float xrecip, yrecip;

    bool Inside(int64_t u, int64_t v) const
    {
        return u >= 0 && v >= 0 && u < sprite->GetWidth() && v < sprite->GetHeight();
    }
    // Inside the frame and solid there (a sprite without masks is solid everywhere).
    bool Solid(int64_t u, int64_t v) const
    {
        return Inside(u, v) && (mask == nullptr || mask[int64_t(v) * sprite->GetWidth() + u] != 0);
    }
    // The rotated mapping of the point (rx, ry) relative to the position, floored.
    bool MapRotated(float rx, float ry, int32_t& u, int32_t& v) const
    {
        float fu = (rx * turn.c + ry * turn.s) / xscale + float(sprite->GetXOrigin());
        float fv = (ry * turn.c - rx * turn.s) / yscale + float(sprite->GetYOrigin());
        return ToPixel(fu, true, u) && ToPixel(fv, true, v);
    }
    // Mask byte equal to 1 under the room pixel; `whole` maps without scale or rotation.
    bool HitAt(int64_t px, int64_t py, bool whole) const
    {
        int64_t u = 0;
        int64_t v = 0;
        if (whole) {
            u = px - x + sprite->GetXOrigin();
            v = py - y + sprite->GetYOrigin();
        } else {
            int32_t fu = 0;
            int32_t fv = 0;
            if (!MapRotated(float(px - x), float(py - y), fu, fv)) return false;
            u = fu;
            v = fv;
        }
        return Inside(u, v) && mask[v * sprite->GetWidth() + u] == 1;
    }
};

int32_t MaskIndex(int32_t frame, int32_t count)
{
    int32_t index = frame % count;
    return index < 0 ? index + count : index;
}

Placed Place(const CSprite* sprite, int32_t frame, int32_t x, int32_t y, float xscale, float yscale, float angle)
{
    const uint8_t* mask = nullptr;
    if (sprite->GetMaskCount() > 0) mask = sprite->GetMask(MaskIndex(frame, sprite->GetMaskCount()));
    return Placed{sprite, mask, x, y, xscale, yscale, RotationOf(angle), 1.0f / xscale, 1.0f / yscale};
}

InstanceBox Overlap(const InstanceBox& a, const InstanceBox& b)
{
    return InstanceBox{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
}

enum class SpriteMapping { Whole, Scaled, Rotated };

// The sprite-against-sprite mapping, truncating.
bool MapForPair(const Placed& p, SpriteMapping mapping, int64_t px, int64_t py, int64_t& u, int64_t& v)
{
    int64_t rx = px - p.x;
    int64_t ry = py - p.y;
    int64_t ox = p.sprite->GetXOrigin();
    int64_t oy = p.sprite->GetYOrigin();
    if (mapping == SpriteMapping::Whole) {
        u = rx + ox;
        v = ry + oy;
        return true;
    }
    float fu = 0.0f;
    float fv = 0.0f;
    if (mapping == SpriteMapping::Scaled) {
        fu = float(rx) * p.xrecip + float(ox);
        fv = float(ry) * p.yrecip + float(oy);
    } else {
        fu = (float(ry) * p.turn.s + float(rx) * p.turn.c) * p.xrecip + float(ox);
        fv = (float(ry) * p.turn.c - float(rx) * p.turn.s) * p.yrecip + float(oy);
    }
    int32_t whole[2] = {0, 0};
    if (!ToPixel(fu, false, whole[0]) || !ToPixel(fv, false, whole[1])) return false;
    u = whole[0];
    v = whole[1];
    return true;
}

} // namespace

bool CSprite::CollideSprite(int32_t frame1, const InstanceBox& box1, int32_t x1, int32_t y1, float xscale1,
                            float yscale1, float angle1, CSprite* other, int32_t frame2, const InstanceBox& box2,
                            int32_t x2, int32_t y2, float xscale2, float yscale2, float angle2)
{
    if (other == nullptr || m_FrameCount <= 0 || other->m_FrameCount <= 0) return false;
    InstanceBox area = Overlap(box1, box2);
    if (area.left > area.right) return false;
    Placed one = Place(this, frame1, x1, y1, xscale1, yscale1, angle1);
    Placed two = Place(other, frame2, x2, y2, xscale2, yscale2, angle2);
    SpriteMapping mapping = SpriteMapping::Rotated;
    if (angle1 == 0.0f && angle2 == 0.0f) {
        bool unit = one.xrecip == 1.0f && one.yrecip == 1.0f && two.xrecip == 1.0f && two.yrecip == 1.0f;
        mapping = unit ? SpriteMapping::Whole : SpriteMapping::Scaled;
    }
    for (int64_t px = area.left; px <= area.right; ++px) {
        for (int64_t py = area.top; py <= area.bottom; ++py) {
            int64_t u = 0;
            int64_t v = 0;
            if (!MapForPair(one, mapping, px, py, u, v) || !one.Solid(u, v)) continue;
            if (MapForPair(two, mapping, px, py, u, v) && two.Solid(u, v)) return true;
        }
    }
    return false;
}

bool CSprite::CollidePoint(int32_t frame, const InstanceBox&, int32_t x, int32_t y, float xscale, float yscale,
                           float angle, int32_t px, int32_t py)
{
    if (m_MasksPresent == 0) return true;
    if (m_FrameCount <= 0) return false;
    Placed p = Place(this, frame, x, y, xscale, yscale, angle);
    int32_t u = 0;
    int32_t v = 0;
    bool mapped = false;
    if (std::fabs(angle) < NO_ROTATION) {
        mapped = ToPixel(float(int64_t(px) - x) / xscale + float(m_XOrigin), true, u) &&
                 ToPixel(float(int64_t(py) - y) / yscale + float(m_YOrigin), true, v);
    } else {
        mapped = p.MapRotated(float(int64_t(px) - x), float(int64_t(py) - y), u, v);
    }
    return mapped && p.Inside(u, v) && p.mask[int64_t(v) * m_Width + u] != 0;
}

bool CSprite::CollideRectangle(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale,
                               float yscale, float angle, const InstanceBox& rect)
{
    if (m_MasksPresent == 0) return true;
    if (m_FrameCount <= 0) return false;
    InstanceBox area = Overlap(rect, box);
    if (area.left > area.right) return false;
    Placed p = Place(this, frame, x, y, xscale, yscale, angle);
    bool whole = xscale == 1.0f && yscale == 1.0f && std::fabs(angle) < NO_ROTATION;
    for (int64_t px = area.left; px <= area.right; ++px)
        for (int64_t py = area.top; py <= area.bottom; ++py)
            if (p.HitAt(px, py, whole)) return true;
    return false;
}

bool CSprite::CollideEllipse(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale,
                             float yscale, float angle, const InstanceBox& rect)
{
    if (m_MasksPresent == 0) return true;
    if (m_FrameCount <= 0) return false;
    // Whole numbers, exact in a double wherever the rectangle lies.
    double cx = double((int64_t(rect.left) + rect.right) / 2);
    double cy = double((int64_t(rect.top) + rect.bottom) / 2);
    double hx = double((int64_t(rect.right) - rect.left) / 2);
    double hy = double((int64_t(rect.bottom) - rect.top) / 2);
    InstanceBox area = Overlap(rect, box);
    if (area.left > area.right) return false;
    Placed p = Place(this, frame, x, y, xscale, yscale, angle);
    bool whole = xscale == 1.0f && yscale == 1.0f && std::fabs(angle) < NO_ROTATION;
    for (int64_t px = area.left; px <= area.right; ++px) {
        for (int64_t py = area.top; py <= area.bottom; ++py) {
            double dy = (double(py) - cy) / hy;
            double dx = (double(px) - cx) / hx;
            if (dy * dy + dx * dx > 1.0) continue;
            if (p.HitAt(px, py, whole)) return true;
        }
    }
    return false;
}

bool CSprite::CollideLine(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                          float angle, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (m_MasksPresent == 0) return true;
    if (m_FrameCount <= 0) return false;
    if (x1 == x2 || y1 == y2) {
        InstanceBox rect{x1, std::min(y1, y2), x2, std::max(y1, y2)};
        return CollideRectangle(frame, box, x, y, xscale, yscale, angle, rect);
    }
    Placed p = Place(this, frame, x, y, xscale, yscale, angle);
    auto hit = [&](float rx, float ry) {
        int32_t u = 0;
        int32_t v = 0;
        return p.MapRotated(rx, ry, u, v) && p.Inside(u, v) && p.mask[int64_t(v) * m_Width + u] == 1;
    };
    if (std::abs(int64_t(x2) - x1) < std::abs(int64_t(y2) - y1)) {
        int32_t xa = x1, ya = y1, xb = x2, yb = y2;
        if (ya > yb) {
            std::swap(xa, xb);
            std::swap(ya, yb);
        }
        float k = float(int64_t(xb) - xa) / float(int64_t(yb) - ya);
        for (int64_t py = std::max(box.top, ya); py <= std::min(box.bottom, yb); ++py)
            if (hit(float(py - ya) * k + float(xa) - float(x), float(py - y))) return true;
        return false;
    }
    int32_t xa = x1, ya = y1, xb = x2, yb = y2;
    if (xa > xb) {
        std::swap(xa, xb);
        std::swap(ya, yb);
    }
    float k = float(int64_t(yb) - ya) / float(int64_t(xb) - xa);
    for (int64_t px = std::max(box.left, xa); px <= std::min(box.right, xb); ++px)
        if (hit(float(px - x), float(px - xa) * k + float(ya) - float(y))) return true;
    return false;
}
