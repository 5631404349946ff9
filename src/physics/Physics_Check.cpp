#include "physics/Physics_Check.h"

#include <box2d/b2_common.h>
#include <box2d/b2_math.h>

#include <string>

#include "code/Code_Error.h"

bool Physics_Fail(const char* check)
{
    std::string text = std::string(check) + " ";
    Error_Show_Action(text.c_str(), false);
    return false;
}

bool Physics_CheckFinite(float value, const char* check)
{
    return std::isfinite(value) ? true : Physics_Fail(check);
}

bool Physics_CheckFinite2(float x, float y, const char* check)
{
    return std::isfinite(x) && std::isfinite(y) ? true : Physics_Fail(check);
}

namespace {

// The points left after the library welds those closer than half its linear slop.
int Weld(const b2Vec2* points, int count, b2Vec2* out)
{
    const float limit = (0.5f * b2_linearSlop) * (0.5f * b2_linearSlop);
    int kept = 0;
    for (int i = 0; i < count && i < b2_maxPolygonVertices; ++i) {
        bool unique = true;
        for (int j = 0; j < kept && unique; ++j) unique = b2DistanceSquared(points[i], out[j]) >= limit;
        if (unique) out[kept++] = points[i];
    }
    return kept;
}

// The library's gift-wrapping hull; the hull's vertices go to `hull`, their count is returned.
int Hull(const b2Vec2* ps, int n, b2Vec2* hull)
{
    int i0 = 0;
    for (int i = 1; i < n; ++i)
        if (ps[i].x > ps[i0].x || (ps[i].x == ps[i0].x && ps[i].y < ps[i0].y)) i0 = i;
    int m = 0;
    int ih = i0;
    while (m < n) {
        hull[m] = ps[ih];
        int ie = 0;
        for (int j = 1; j < n; ++j) {
            if (ie == ih) {
                ie = j;
                continue;
            }
            b2Vec2 r = ps[ie] - hull[m];
            b2Vec2 v = ps[j] - hull[m];
            float c = b2Cross(r, v);
            if (c < 0.0f || (c == 0.0f && v.LengthSquared() > r.LengthSquared())) ie = j;
        }
        ++m;
        ih = ie;
        if (ie == i0) break;
    }
    return m;
}

float Area(const b2Vec2* vs, int count)
{
    float area = 0.0f;
    for (int i = 0; i < count; ++i) {
        b2Vec2 e1 = vs[i] - vs[0];
        b2Vec2 e2 = vs[i + 1 < count ? i + 1 : 0] - vs[0];
        area += 0.5f * b2Cross(e1, e2);
    }
    return area;
}

} // namespace

bool Physics_CheckPolygon(const b2Vec2* points, int count)
{
    for (int i = 0; i < count; ++i)
        if (!Physics_CheckFinite2(points[i].x, points[i].y, "vertices[i].IsValid()")) return false;
    b2Vec2 welded[b2_maxPolygonVertices];
    int n = Weld(points, count, welded);
    if (n < 3) return Physics_Fail("count >= 3");
    b2Vec2 hull[b2_maxPolygonVertices];
    int m = Hull(welded, n, hull);
    if (m < 3) return Physics_Fail("count >= 3");
    if (!(Area(hull, m) > b2_epsilon)) return Physics_Fail("area > b2_epsilon");
    return true;
}
