#include "physics/Physics_Check.h"

#include <box2d/b2_common.h>
#include <box2d/b2_body.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_math.h>
#include <box2d/b2_polygon_shape.h>

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
    for (int i = 0; i < count; ++i) {
        bool unique = true;
        for (int j = 0; j < kept && unique; ++j) unique = !(b2DistanceSquared(points[i], out[j]) < limit);
        if (unique) out[kept++] = points[i];
    }
    return kept;
}

// The library's gift-wrapping hull, step for step: its vertices go to `hull` and their count is
// returned, or -1 when the walk would not close within the library's vertex limit (rounding, or
// overflow to infinities, can send it round a cycle that misses its start).
int Hull(const b2Vec2* ps, int n, b2Vec2* hull)
{
    int i0 = 0;
    for (int i = 1; i < n; ++i)
        if (ps[i].x > ps[i0].x || (ps[i].x == ps[i0].x && ps[i].y < ps[i0].y)) i0 = i;
    int m = 0;
    int ih = i0;
    for (;;) {
        if (m >= b2_maxPolygonVertices) return -1;
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
            if (c < 0.0f) ie = j;
            if (c == 0.0f && v.LengthSquared() > r.LengthSquared()) ie = j;
        }
        ++m;
        ih = ie;
        if (ie == i0) return m;
    }
}

// The signed area as the library sums it (triangles from the first vertex), for the centroid and
// the mass alike.
float Area(const b2Vec2* vs, int count)
{
    b2Vec2 s = vs[0];
    float area = 0.0f;
    for (int i = 0; i < count; ++i) {
        b2Vec2 e1 = vs[i] - s;
        b2Vec2 e2 = i + 1 < count ? vs[i + 1] - s : vs[0] - s;
        area += 0.5f * b2Cross(e1, e2);
    }
    return area;
}

void AddMass(const b2MassData& data, float* mass, b2Vec2* centre, float* inertia)
{
    *mass += data.mass;
    *centre += data.mass * data.center;
    *inertia += data.I;
}

} // namespace

bool Physics_CheckPolygon(const b2Vec2* points, int count)
{
    for (int i = 0; i < count; ++i)
        if (!Physics_CheckFinite2(points[i].x, points[i].y, "vertices[i].IsValid()")) return false;
    if (count < 3 || count > b2_maxPolygonVertices) return Physics_Fail("3 <= count && count <= b2_maxPolygonVertices");
    b2Vec2 welded[b2_maxPolygonVertices];
    int n = Weld(points, count, welded);
    if (n < 3) return Physics_Fail("count >= 3");
    b2Vec2 hull[b2_maxPolygonVertices];
    int m = Hull(welded, n, hull);
    if (m < 0) return Physics_Fail("m < b2_maxPolygonVertices");
    if (m < 3) return Physics_Fail("count >= 3");
    for (int i = 0; i < m; ++i) {
        b2Vec2 edge = hull[i + 1 < m ? i + 1 : 0] - hull[i];
        if (!(edge.LengthSquared() > b2_epsilon * b2_epsilon))
            return Physics_Fail("edge.LengthSquared() > b2_epsilon * b2_epsilon");
    }
    if (!(Area(hull, m) > b2_epsilon)) return Physics_Fail("area > b2_epsilon");
    return true;
}

bool Physics_CheckBoxArea(float halfWidth, float halfHeight)
{
    b2PolygonShape box;
    box.SetAsBox(halfWidth, halfHeight);
    return Area(box.m_vertices, box.m_count) > b2_epsilon ? true : Physics_Fail("area > b2_epsilon");
}

// The library's mass reset, summed in its order: a new fixture goes to the head of the body's list.
bool Physics_CheckMass(const b2Body* body, bool fixedRotation, const b2Shape* added, float density)
{
    if (body != nullptr && body->GetType() != b2_dynamicBody) return true;
    float mass = 0.0f;
    float inertia = 0.0f;
    b2Vec2 centre = b2Vec2_zero;
    b2MassData data;
    if (added != nullptr && density != 0.0f) {
        added->ComputeMass(&data, density);
        AddMass(data, &mass, &centre, &inertia);
    }
    for (const b2Fixture* f = body != nullptr ? body->GetFixtureList() : nullptr; f != nullptr; f = f->GetNext()) {
        if (f->GetDensity() == 0.0f) continue;
        f->GetMassData(&data);
        AddMass(data, &mass, &centre, &inertia);
    }
    if (mass > 0.0f) centre *= 1.0f / mass;
    if (!(inertia > 0.0f) || fixedRotation) return true;
    inertia -= mass * b2Dot(centre, centre);
    return inertia > 0.0f ? true : Physics_Fail("m_I > 0.0f");
}
