#include "path/Path_Class.h"

#include <algorithm>
#include <cmath>

#include "base/Base_Numbers.h"
#include "graphics/Graphics_Draw.h"

namespace {

constexpr int32_t LINE_STRIP = 3;
// Control legs of 4 pixels or less are not subdivided further.
constexpr double FLAT_ENOUGH = 16.0;

PathPoint Midpoint(const PathPoint& a, const PathPoint& b)
{
    return PathPoint{float((double(a.x) + b.x) / 2), float((double(a.y) + b.y) / 2),
                     float((double(a.speed) + b.speed) / 2)};
}

double DistanceSquared(const PathPoint& a, const PathPoint& b)
{
    double dx = double(b.x) - a.x;
    double dy = double(b.y) - a.y;
    return dx * dx + dy * dy;
}

} // namespace

// ---- queries -------------------------------------------------------------------------------------

PathPoint CPath::GetPoint(int32_t n) const
{
    if (n < 0 || n >= GetNumber()) return PathPoint{0.0f, 0.0f, 1.0f};
    return m_Points[size_t(n)];
}

void CPath::GetPositionAt(float position, float* x, float* y, float* speed) const
{
    *x = 0.0f;
    *y = 0.0f;
    *speed = 100.0f;
    if (m_Interpolated.empty()) return;
    const PathInterpolated* at = nullptr;
    if (m_Interpolated.size() == 1 || m_Length == 0.0f || position <= 0.0f) at = &m_Interpolated.front();
    else if (position >= 1.0f) at = &m_Interpolated.back();
    if (at != nullptr) {
        *x = at->x;
        *y = at->y;
        *speed = at->speed;
        return;
    }
    float target = float(double(m_Length) * position);
    size_t last = m_Interpolated.size() - 2;
    size_t i = 0;
    while (i < last && !(target < m_Interpolated[i + 1].l)) ++i;
    const PathInterpolated& a = m_Interpolated[i];
    const PathInterpolated& b = m_Interpolated[i + 1];
    *x = a.x;
    *y = a.y;
    *speed = a.speed;
    double d = double(target) - a.l;
    double segment = double(b.l) - a.l;
    if (segment == 0.0) return;
    *x = float(a.x + (double(b.x) - a.x) * d / segment);
    *y = float(a.y + (double(b.y) - a.y) * d / segment);
    *speed = float(a.speed + (double(b.speed) - a.speed) * d / segment);
}

float CPath::GetXAt(float position) const
{
    float x, y, speed;
    GetPositionAt(position, &x, &y, &speed);
    return x;
}

float CPath::GetYAt(float position) const
{
    float x, y, speed;
    GetPositionAt(position, &x, &y, &speed);
    return y;
}

float CPath::GetSpeedAt(float position) const
{
    float x, y, speed;
    GetPositionAt(position, &x, &y, &speed);
    return speed;
}

// ---- edits ---------------------------------------------------------------------------------------

void CPath::SetKind(int32_t kind)
{
    m_Kind = uint32_t(kind) <= uint32_t(PATH_KIND_SMOOTH) ? kind : PATH_KIND_STRAIGHT;
    Rebuild();
}

void CPath::SetClosed(bool closed)
{
    m_Closed = closed ? 1 : 0;
    Rebuild();
}

void CPath::SetPrecision(int32_t precision)
{
    m_Precision = std::clamp(precision, 0, PATH_MAX_PRECISION);
    Rebuild();
}

int32_t CPath::AddPoint(float x, float y, float speed)
{
    m_Points.push_back(PathPoint{x, y, speed});
    Rebuild();
    return GetNumber() - 1;
}

void CPath::InsertPoint(int32_t n, float x, float y, float speed)
{
    if (n < 0 || n > GetNumber()) return;
    m_Points.insert(m_Points.begin() + n, PathPoint{x, y, speed});
    Rebuild();
}

void CPath::ChangePoint(int32_t n, float x, float y, float speed)
{
    if (n < 0 || n >= GetNumber()) return;
    m_Points[size_t(n)] = PathPoint{x, y, speed};
    Rebuild();
}

void CPath::DeletePoint(int32_t n)
{
    if (n < 0 || n >= GetNumber()) return;
    m_Points.erase(m_Points.begin() + n);
    Rebuild();
}

void CPath::Clear()
{
    std::vector<PathPoint>().swap(m_Points);
    std::vector<PathInterpolated>().swap(m_Interpolated);
    m_Length = 0.0f;
}

void CPath::Reverse()
{
    int32_t count = GetNumber();
    if (count < 2) return;
    for (int32_t i = 0; i <= (count - 1) / 2; ++i)
        std::swap(m_Points[size_t(i)], m_Points[size_t(count - 1 - i)]);
    Rebuild();
}

void CPath::Shift(float dx, float dy)
{
    for (PathPoint& p : m_Points) {
        p.x = float(double(p.x) + dx);
        p.y = float(double(p.y) + dy);
    }
    Rebuild();
}

void CPath::Append(const CPath* other)
{
    if (other == nullptr || other->m_Points.empty()) return;
    // The other path may be this one: its points are copied before the array grows.
    std::vector<PathPoint> added = other->m_Points;
    m_Points.insert(m_Points.end(), added.begin(), added.end());
    Rebuild();
}

void CPath::Centre(double* cx, double* cy) const
{
    double minX = 1e8, minY = 1e8, maxX = -1e8, maxY = -1e8;
    for (const PathPoint& p : m_Points) {
        minX = std::min(minX, double(p.x));
        maxX = std::max(maxX, double(p.x));
        minY = std::min(minY, double(p.y));
        maxY = std::max(maxY, double(p.y));
    }
    *cx = (minX + maxX) / 2;
    *cy = (minY + maxY) / 2;
}

template <typename Turn> void CPath::AboutCentre(Turn turn)
{
    double cx, cy;
    Centre(&cx, &cy);
    for (PathPoint& p : m_Points) {
        p.x = float(p.x - cx);
        p.y = float(p.y - cy);
        turn(p);
        p.x = float(p.x + cx);
        p.y = float(p.y + cy);
    }
    Rebuild();
}

void CPath::Mirror()
{
    AboutCentre([](PathPoint& p) { p.x = -p.x; });
}

void CPath::Flip()
{
    AboutCentre([](PathPoint& p) { p.y = -p.y; });
}

void CPath::Rotate(float angle)
{
    float a = float(double(angle) * 3.1415927410125732 / 180.0);
    float c = std::cos(a);
    float s = std::sin(a);
    AboutCentre([c, s](PathPoint& p) {
        double x = p.x, y = p.y;
        p.x = float(double(c) * x + double(s) * y);
        p.y = float(double(c) * y - double(s) * x);
    });
}

void CPath::Rescale(float xscale, float yscale)
{
    AboutCentre([xscale, yscale](PathPoint& p) {
        p.x = float(double(p.x) * xscale);
        p.y = float(double(p.y) * yscale);
    });
}

void CPath::AssignFrom(const CPath& other)
{
    m_Kind = other.m_Kind;
    m_Closed = other.m_Closed;
    m_Precision = other.m_Precision;
    m_Points = other.m_Points;
    Rebuild();
}

void CPath::SetFromFile(int32_t kind, bool closed, int32_t precision, std::vector<PathPoint> points)
{
    m_Kind = kind;
    m_Closed = closed ? 1 : 0;
    m_Precision = precision;
    m_Points = std::move(points);
    Rebuild();
}

// ---- the interpolated list -----------------------------------------------------------------------

void CPath::Rebuild()
{
    m_Interpolated.clear();
    if (m_Kind == PATH_KIND_SMOOTH) BuildSmooth();
    else BuildStraight();
    ComputeLength();
}

void CPath::AppendInterpolated(double x, double y, double speed)
{
    m_Interpolated.push_back(PathInterpolated{float(x), float(y), float(speed), 0.0f});
}

void CPath::BuildStraight()
{
    if (m_Points.empty()) return;
    for (const PathPoint& p : m_Points) AppendInterpolated(p.x, p.y, p.speed);
    if (m_Closed != 0) AppendInterpolated(m_Points[0].x, m_Points[0].y, m_Points[0].speed);
}

void CPath::BuildSmooth()
{
    if (m_Points.empty()) return;
    bool closed = m_Closed != 0;
    if (!closed) AppendInterpolated(m_Points[0].x, m_Points[0].y, m_Points[0].speed);
    // The file's precision is kept as stored, but a depth outside 0..8 would never end or would
    // make millions of points.
    int32_t depth = std::clamp(m_Precision, 0, PATH_MAX_PRECISION);
    int32_t n = GetNumber();
    int32_t last = closed ? n - 1 : n - 3;
    for (int32_t i = 1; i <= last + 1; ++i) {
        const PathPoint& previous = m_Points[size_t((i - 1) % n)];
        const PathPoint& current = m_Points[size_t(i % n)];
        const PathPoint& next = m_Points[size_t((i + 1) % n)];
        CurveStep(depth, Midpoint(previous, current), current, Midpoint(current, next));
    }
    if (closed) {
        if (!m_Interpolated.empty()) m_Interpolated.push_back(m_Interpolated.front());
    } else {
        const PathPoint& end = m_Points.back();
        AppendInterpolated(end.x, end.y, end.speed);
    }
}

void CPath::CurveStep(int32_t depth, const PathPoint& p0, const PathPoint& p1, const PathPoint& p2)
{
    if (depth <= 0) return;
    PathPoint middle{float((double(p0.x) + 2.0 * p1.x + p2.x) / 4), float((double(p0.y) + 2.0 * p1.y + p2.y) / 4),
                     float((double(p0.speed) + 2.0 * p1.speed + p2.speed) / 4)};
    if (DistanceSquared(p0, p1) > FLAT_ENOUGH) CurveStep(depth - 1, p0, Midpoint(p0, p1), middle);
    AppendInterpolated(middle.x, middle.y, middle.speed);
    if (DistanceSquared(p1, p2) > FLAT_ENOUGH) CurveStep(depth - 1, middle, Midpoint(p1, p2), p2);
}

void CPath::ComputeLength()
{
    m_Length = 0.0f;
    if (m_Interpolated.empty()) return;
    m_Interpolated[0].l = 0.0f;
    for (size_t i = 1; i < m_Interpolated.size(); ++i) {
        double dx = double(m_Interpolated[i].x) - m_Interpolated[i - 1].x;
        double dy = double(m_Interpolated[i].y) - m_Interpolated[i - 1].y;
        float segment = float(std::sqrt(dx * dx + dy * dy));
        m_Length = float(double(m_Length) + segment);
        m_Interpolated[i].l = m_Length;
    }
}

// ---- drawing -------------------------------------------------------------------------------------

void CPath::Draw(float x, float y, bool absolute) const
{
    float startX, startY, speed;
    GetPositionAt(0.0f, &startX, &startY, &speed);
    double offsetX = absolute ? x : double(x) - startX;
    double offsetY = absolute ? y : double(y) - startY;
    int32_t steps = Numbers_RoundToInt32(double(m_Length) * 0.25);
    if (steps <= 0) return;
    // Only the first 1001 vertices would be kept, so the rest are not computed.
    int32_t last = std::min(steps, PATH_DRAW_MAX_VERTICES - 1);
    GR_Draw_PrimitiveBegin(LINE_STRIP, -1);
    for (int32_t k = 0; k <= last; ++k) {
        float px, py;
        GetPositionAt(float(double(k) / steps), &px, &py, &speed);
        GR_Draw_Vertex(float(px + offsetX), float(py + offsetY));
    }
    GR_Draw_PrimitiveEnd();
}
