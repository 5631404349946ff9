// Motion and the bounding box. Every motion field is a 32-bit float and every step that the game's
// arithmetic rounds to a float is rounded here too, so that positions after many frames match.
#include <algorithm>
#include <cmath>

#include "base/Base_Numbers.h"
#include "instance/Instance_Box.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_Resources.h"

namespace {

// pi as a 32-bit float, the one the angle conversions use.
constexpr double PI_F = 3.1415927410125732;
constexpr double SNAP_DISTANCE = 0.0001;
// Beyond this many turns, stepping an angle by 360 would never reach the range (or take forever).
constexpr float DIRECTION_LOOP_LIMIT = 360.0f * 65536.0f;

// A result that lies within 0.0001 of a whole number becomes that number.
float Snap(float value)
{
    double whole = std::nearbyint(static_cast<double>(value));
    if (std::fabs(static_cast<double>(value) - whole) < SNAP_DISTANCE) return static_cast<float>(whole);
    return value;
}

// Differs as a float; a NaN always differs.
bool Differs(float a, float b) { return !(a == b); }

int32_t Round(float value) { return Numbers_RoundToInt32(static_cast<double>(value)); }

// a - b (+ extra) of a sprite's box and origin, which may be anything a file or script set.
float Span(int32_t a, int32_t b, int32_t extra = 0)
{
    return static_cast<float>(static_cast<int64_t>(a) - b + extra);
}

// The right (bottom) edge of an unrotated box from its left (top) edge: the sprite's extent scaled,
// less one. At scale 1 with both numbers below 2^23 every float step is exact, so the integer sum is
// the same answer without the rounding every moved instance would pay.
int32_t FarEdge(int32_t near, int32_t ownNear, int32_t ownFar, float scale)
{
    constexpr int64_t EXACT = int64_t{1} << 23;
    int64_t extent = static_cast<int64_t>(ownFar) - ownNear + 1;
    if (scale == 1.0f && extent > -EXACT && extent < EXACT && near > -EXACT && near < EXACT)
        return static_cast<int32_t>(near + extent - 1);
    return Round(Span(ownFar, ownNear, 1) * scale + static_cast<float>(near) - 1.0f);
}

// A whole float well inside the range where every float step is exact.
inline bool SmallWhole(float value, int32_t* whole)
{
    constexpr float EXACT = 8388608.0f; // 2^23
    if (!(value > -EXACT && value < EXACT)) return false;
    *whole = static_cast<int32_t>(value);
    return static_cast<float>(*whole) == value;
}

// One axis of an unrotated box at scale 1 from a whole position below 2^23, in integers: with both
// edges below 2^23 too, every float step of the general path is exact, so the answer is the same.
inline bool WholeAxis(int32_t position, int32_t ownNear, int32_t ownFar, int32_t origin, int32_t* near, int32_t* far)
{
    constexpr int64_t EXACT = int64_t{1} << 23;
    int64_t from = int64_t{ownNear} - origin + position, to = int64_t{ownFar} - origin + position;
    if (!(from > -EXACT && from < EXACT && to > -EXACT && to < EXACT)) return false;
    *near = static_cast<int32_t>(std::min(from, to));
    *far = static_cast<int32_t>(std::max(from, to));
    return true;
}

// Whether a box the rule made lies within 2^21 of its place on both sides of an axis, as a shift
// needs (Instance_UnshiftablePlace).
inline bool NearItsPlace(int32_t position, int32_t near, int32_t far)
{
    constexpr int64_t NEAR = int64_t{1} << 21;
    return int64_t{near} - position > -NEAR && int64_t{far} - position < NEAR;
}

} // namespace

void CInstance::SpeedsFromPolar()
{
    float a = static_cast<float>(static_cast<double>(i_direction) * PI_F / 180.0);
    i_hspeed = static_cast<float>(std::cos(static_cast<double>(a)) * static_cast<double>(i_speed));
    i_vspeed = static_cast<float>(-(std::sin(static_cast<double>(a)) * static_cast<double>(i_speed)));
    i_hspeed = Snap(i_hspeed);
    i_vspeed = Snap(i_vspeed);
    MayMove();
}

void CInstance::PolarFromSpeeds()
{
    if (i_hspeed == 0.0f) {
        i_direction = i_vspeed > 0.0f ? 270.0f : (i_vspeed < 0.0f ? 90.0f : 0.0f);
    } else {
        double radians = std::atan2(static_cast<double>(i_vspeed), static_cast<double>(i_hspeed));
        float d = static_cast<float>(radians * 180.0 / PI_F);
        i_direction = d > 0.0f ? 360.0f - d : -d;
    }
    i_direction = std::fmod(Snap(i_direction), 360.0f);
    double h = i_hspeed;
    double v = i_vspeed;
    float sum = static_cast<float>(h * h + v * v);
    i_speed = Snap(static_cast<float>(std::sqrt(static_cast<double>(sum))));
    MayMove();
}

int32_t CInstance::SetSpriteIndex(int32_t sprite)
{
    i_spriteindex = sprite;
    MarkBoxDirty();
    if (Numbers_TruncToInt32(i_imageindex) >= Instance_SpriteFrameCount(sprite)) i_imageindex = 0.0f;
    return sprite;
}

int32_t CInstance::SetMaskIndex(int32_t mask)
{
    if (mask != i_maskindex) {
        i_maskindex = mask;
        MarkBoxDirty();
    }
    return mask;
}

float CInstance::SetImageXScale(float scale)
{
    if (Differs(scale, i_imagescalex)) {
        i_imagescalex = scale;
        MarkBoxDirty();
    }
    return scale;
}

float CInstance::SetImageYScale(float scale)
{
    if (Differs(scale, i_imagescaley)) {
        i_imagescaley = scale;
        MarkBoxDirty();
    }
    return scale;
}

float CInstance::SetImageAngle(float angle)
{
    if (Differs(angle, i_imageangle)) {
        i_imageangle = angle;
        MarkBoxDirty();
    }
    return angle;
}

float CInstance::SetDirection(float degrees)
{
    float d = degrees;
    // A huge or infinite angle is reduced at once: stepping it by 360 would never end.
    if (!(std::fabs(d) < DIRECTION_LOOP_LIMIT)) d = std::fmod(d, 360.0f);
    while (d < 0.0f) d += 360.0f;
    while (d > 360.0f) d -= 360.0f;
    i_direction = std::fmod(d, 360.0f);
    SpeedsFromPolar();
    return degrees;
}

float CInstance::SetSpeed(float speed)
{
    if (Differs(speed, i_speed)) {
        i_speed = speed;
        SpeedsFromPolar();
    }
    return speed;
}

float CInstance::SetHSpeed(float hspeed)
{
    if (Differs(hspeed, i_hspeed)) {
        i_hspeed = hspeed;
        PolarFromSpeeds();
    }
    return hspeed;
}

float CInstance::SetVSpeed(float vspeed)
{
    if (Differs(vspeed, i_vspeed)) {
        i_vspeed = vspeed;
        PolarFromSpeeds();
    }
    return vspeed;
}

void CInstance::AddMotion(float degrees, float amount)
{
    double a = static_cast<double>(degrees) * PI_F / 180.0;
    i_hspeed = static_cast<float>(static_cast<double>(i_hspeed) + std::cos(a) * static_cast<double>(amount));
    i_vspeed = static_cast<float>(static_cast<double>(i_vspeed) - std::sin(a) * static_cast<double>(amount));
    PolarFromSpeeds();
}

void CInstance::ApplyFrictionGravity()
{
    if (i_friction != 0.0f && i_speed != 0.0f) {
        bool positive = i_speed > 0.0f;
        float slower = positive ? i_speed - i_friction : i_speed + i_friction;
        bool crossed = positive ? slower < 0.0f : slower > 0.0f;
        i_speed = crossed ? 0.0f : slower;
        SpeedsFromPolar();
    }
    if (i_gravity != 0.0f) AddMotion(i_gravitydir, i_gravity);
}

int32_t CInstance::GetAlarm(int32_t n) const { return n >= 0 && n < INSTANCE_ALARM_COUNT ? i_timer[n] : -1; }

int32_t CInstance::SetAlarm(int32_t n, int32_t value)
{
    if (n >= 0 && n < INSTANCE_ALARM_COUNT) i_timer[n] = value;
    return value;
}

int32_t CInstance::GetImageNumber() const { return Instance_SpriteFrameCount(i_spriteindex); }

namespace {

float ClampUnit(float value) { return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value); }

} // namespace

float CInstance::SetPathPosition(float position) { return i_pathposition = ClampUnit(position); }

float CInstance::SetPathPositionPrevious(float position) { return i_pathpositionprevious = ClampUnit(position); }

float CInstance::SetPathSpeed(float speed) { return i_pathspeed = speed; }

void CInstance::PathStart(int32_t path, float speed, float scale, float orientation, bool keepPosition,
                          int32_t endAction)
{
    MayMove();
    i_pathindex = path;
    if (path < 0) return;
    float length = 0.0f;
    if (!Instance_Paths()->Length(path, &length) || !(length > 0.0f)) {
        i_pathindex = -1;
        return;
    }
    i_pathspeed = speed;
    float start = speed >= 0.0f ? 0.0f : 1.0f;
    i_pathposition = start;
    i_pathpositionprevious = start;
    if (scale < 0.0f) {
        i_pathindex = -1;
        return;
    }
    i_pathscale = scale;
    i_pathorientation = orientation;
    i_pathend = endAction;
    if (!keepPosition) {
        float x, y, factor;
        Instance_Paths()->PositionAt(path, start, &x, &y, &factor);
        SetPosition(x, y);
    }
    i_pathxstart = i_x;
    i_pathystart = i_y;
}

namespace {

// An offset along the path turned by the orientation and scaled, as the instance follows it.
void TurnAndScale(double dx, double dy, double angle, double scale, double* outX, double* outY)
{
    double c = std::cos(angle);
    double s = std::sin(angle);
    *outX = scale * (c * dx + s * dy);
    *outY = scale * (c * dy - s * dx);
}

} // namespace

bool CInstance::PathStep()
{
    IInstancePaths* paths = Instance_Paths();
    float length = 0.0f;
    if (i_pathindex < 0 || !paths->Length(i_pathindex, &length) || !(length > 0.0f)) return false;
    int32_t path = i_pathindex;
    double angle = static_cast<double>(i_pathorientation) * PI_F / 180.0;
    float x0, y0, factor;
    paths->PositionAt(path, i_pathposition, &x0, &y0, &factor);
    double step = static_cast<double>(i_pathspeed) * factor / (static_cast<double>(i_pathscale) * 100.0);
    i_pathposition = static_cast<float>(static_cast<double>(i_pathposition) + step / length);

    bool ended = false;
    if (i_pathposition >= 1.0f || i_pathposition <= 0.0f) {
        ended = i_pathspeed != 0.0f;
        switch (i_pathend) {
        case 0:
            if (i_pathspeed != 0.0f) {
                i_pathposition = 1.0f;
                i_pathindex = -1;
            }
            break;
        case 1: i_pathposition = i_pathposition < 0.0f ? i_pathposition + 1.0f : i_pathposition - 1.0f; break;
        case 2: {
            float sx, sy, ex, ey, unused;
            paths->PositionAt(path, 0.0f, &sx, &sy, &unused);
            paths->PositionAt(path, 1.0f, &ex, &ey, &unused);
            double dx, dy;
            TurnAndScale(static_cast<double>(ex) - sx, static_cast<double>(ey) - sy, angle, i_pathscale, &dx, &dy);
            double sign = i_pathposition < 0.0f ? -1.0 : 1.0;
            i_pathxstart = static_cast<float>(i_pathxstart + sign * dx);
            i_pathystart = static_cast<float>(i_pathystart + sign * dy);
            i_pathposition = i_pathposition < 0.0f ? i_pathposition + 1.0f : i_pathposition - 1.0f;
            break;
        }
        case 3:
            if (i_pathposition < 0.0f) {
                i_pathposition = -i_pathposition;
                i_pathspeed = std::fabs(i_pathspeed);
            } else {
                i_pathposition = 2.0f - i_pathposition;
                i_pathspeed = -std::fabs(i_pathspeed);
            }
            break;
        default:
            i_pathposition = 1.0f;
            i_pathindex = -1;
            break;
        }
    }

    float sx, sy, px, py, unused;
    paths->PositionAt(path, 0.0f, &sx, &sy, &unused);
    paths->PositionAt(path, i_pathposition, &px, &py, &unused);
    double dx, dy;
    TurnAndScale(static_cast<double>(px) - sx, static_cast<double>(py) - sy, angle, i_pathscale, &dx, &dy);
    float targetX = static_cast<float>(i_pathxstart + dx);
    float targetY = static_cast<float>(i_pathystart + dy);
    SetHSpeed(targetX - i_x);
    SetVSpeed(targetY - i_y);
    if (i_speed != 0.0f) {
        i_speed = 0.0f;
        SpeedsFromPolar();
    }
    SetPosition(targetX, targetY);
    return ended;
}

void CInstance::ComputeBoundingBox()
{
    if (!Instance_ShiftMovedBox(*this)) ComputeBoxFromShape();
}

// Kept apart so that the shift above does not pay this one's frame.
[[gnu::noinline]] void CInstance::ComputeBoxFromShape()
{
    InstanceSpriteShape shape;
    if (!Instance_Sprites()->Shape(ShapeSprite(), &shape)) {
        int32_t x = Numbers_TruncToInt32(i_x);
        int32_t y = Numbers_TruncToInt32(i_y);
        i_bbox = {x, y, x, y};
        i_precise = 0;
        m_BoxFacts = BOX_FACTS_KNOWN;
        m_BBoxDirty = BOX_CURRENT;
        m_BoxShapes = g_InstanceShapeGeneration;
        return;
    }
    const InstanceBox& own = shape.box;
    float sx = i_imagescalex;
    float sy = i_imagescaley;
    InstanceBox box;
    int32_t wholeX = 0, wholeY = 0;
    uint8_t facts = BOX_FACTS_KNOWN | (shape.frameCount >= 1 ? BOX_HAS_SHAPE : 0);
    if (i_imageangle == 0.0f && sx == 1.0f && sy == 1.0f && SmallWhole(i_x, &wholeX) && SmallWhole(i_y, &wholeY) &&
        WholeAxis(wholeX, own.left, own.right, shape.xorigin, &box.left, &box.right) &&
        WholeAxis(wholeY, own.top, own.bottom, shape.yorigin, &box.top, &box.bottom)) {
        // Most moving instances: whole positions, no scale, no rotation.
        if (NearItsPlace(wholeX, box.left, box.right) && NearItsPlace(wholeY, box.top, box.bottom))
            facts |= BOX_WHOLE_SHIFT;
        m_BoxAtX = wholeX;
        m_BoxAtY = wholeY;
    } else if (i_imageangle == 0.0f) {
        box.left = Round(Span(own.left, shape.xorigin) * sx + i_x);
        box.right = FarEdge(box.left, own.left, own.right, sx);
        if (box.left > box.right) std::swap(box.left, box.right);
        box.top = Round(Span(own.top, shape.yorigin) * sy + i_y);
        box.bottom = FarEdge(box.top, own.top, own.bottom, sy);
        if (box.top > box.bottom) std::swap(box.top, box.bottom);
    } else {
        float a = Span(std::min(own.left, own.right), shape.xorigin) * sx;
        float b = Span(std::max(own.left, own.right), shape.xorigin, 1) * sx - 1.0f;
        float c = Span(std::min(own.top, own.bottom), shape.yorigin) * sy;
        float e = Span(std::max(own.top, own.bottom), shape.yorigin, 1) * sy - 1.0f;
        float radians = static_cast<float>(static_cast<double>(i_imageangle) * PI_F / 180.0);
        float k = static_cast<float>(std::cos(static_cast<double>(radians)));
        float s = static_cast<float>(std::sin(static_cast<double>(radians)));
        box.left = Round(i_x + std::min(k * a, k * b) + std::min(s * c, s * e));
        box.right = Round(i_x + std::max(k * a, k * b) + std::max(s * c, s * e));
        box.top = Round(i_y + std::min(k * c, k * e) - std::max(s * a, s * b));
        box.bottom = Round(i_y + std::max(k * c, k * e) - std::min(s * a, s * b));
    }
    i_bbox = box;
    i_precise = shape.precise;
    m_BoxFacts = facts;
    m_BBoxDirty = BOX_CURRENT;
    m_BoxShapes = g_InstanceShapeGeneration;
}


