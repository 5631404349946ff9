#include "physics/Physics_Fixture.h"

#include <cmath>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "physics/Physics_Check.h"
#include "physics/Physics_World.h"

namespace {

std::vector<CPhysicsFixture*> g_Fixtures;
int32_t g_FixtureIdCounter = 0;

constexpr float FIXTURE_FRICTION = 0.2f;
constexpr float CIRCLE_SCALE_TOLERANCE = 0.0001f;

} // namespace

CPhysicsFixture::CPhysicsFixture()
{
    m_Def.friction = FIXTURE_FRICTION;
    m_Def.restitution = 0.0f;
    m_Def.density = 0.0f;
    m_Def.isSensor = false;
}

void CPhysicsFixture::SetCircleShape(float radius)
{
    m_Kind = PHYSICS_SHAPE_CIRCLE;
    m_PointCount = 0;
    m_Circle.m_p.SetZero();
    m_Circle.m_radius = radius;
}

void CPhysicsFixture::SetBoxShape(float halfWidth, float halfHeight)
{
    m_Kind = PHYSICS_SHAPE_BOX;
    m_PointCount = 0;
    m_HalfWidth = halfWidth;
    m_HalfHeight = halfHeight;
}

void CPhysicsFixture::SetPolygonShape()
{
    m_Kind = PHYSICS_SHAPE_POLYGON;
    m_PointCount = 0;
}

bool CPhysicsFixture::AddPoint(float x, float y)
{
    if (m_Kind != PHYSICS_SHAPE_POLYGON || m_PointCount >= PHYSICS_POLYGON_POINTS) return false;
    m_Points[m_PointCount++].Set(x, y);
    return m_PointCount < 3 || CheckConvex();
}

// Every other point lies on the inner side of every edge: convex and clockwise on screen (y down).
bool CPhysicsFixture::CheckConvex()
{
    int32_t n = m_PointCount;
    for (int32_t i = 0; i < n; ++i) {
        int32_t j = (i + 1) % n;
        const b2Vec2& a = m_Points[i];
        const b2Vec2& b = m_Points[j];
        for (int32_t k = 0; k < n; ++k) {
            if (k == i || k == j) continue;
            const b2Vec2& p = m_Points[k];
            if ((p.y - a.y) * (b.x - a.x) - (p.x - a.x) * (b.y - a.y) > 0.0f) continue;
            std::string text = "ERROR: The polygon shape for fixture " + std::to_string(m_Id) +
                               " is concave or ordered anti-clockwise";
            Error_Show_Action(text.c_str(), false);
            return false;
        }
    }
    return true;
}

void CPhysicsFixture::SetEdgeShape(float x1, float y1, float x2, float y2)
{
    m_Kind = PHYSICS_SHAPE_EDGE;
    m_Points[0].Set(x1, y1);
    m_Points[1].Set(x2, y2);
    m_PointCount = 2;
}

namespace {

bool FinishEdge(b2EdgeShape* edge, const b2Vec2& a, const b2Vec2& b)
{
    if (!Physics_CheckFinite2(a.x, a.y, "v1.IsValid()") || !Physics_CheckFinite2(b.x, b.y, "v2.IsValid()"))
        return false;
    edge->SetTwoSided(a, b);
    return true;
}

} // namespace

bool CPhysicsFixture::FinishShape(const char* objectName)
{
    switch (m_Kind) {
    case PHYSICS_SHAPE_CIRCLE:
        return Physics_CheckFinite(m_Circle.m_radius, "b2IsValid(radius)");
    case PHYSICS_SHAPE_BOX: {
        if (!Physics_CheckFinite2(m_HalfWidth, m_HalfHeight, "b2IsValid(hx) && b2IsValid(hy)")) return false;
        // A body's mass needs an area; a static box may be empty.
        if (m_Def.density > 0.0f) {
            if (!(m_HalfWidth > 0.0f && m_HalfHeight > 0.0f)) return Physics_Fail("area > b2_epsilon");
            if (!Physics_CheckBoxArea(m_HalfWidth, m_HalfHeight)) return false;
        }
        m_Polygon.SetAsBox(m_HalfWidth, m_HalfHeight);
        return true;
    }
    case PHYSICS_SHAPE_EDGE:
        return FinishEdge(&m_Edge, m_Points[0], m_Points[1]);
    case PHYSICS_SHAPE_POLYGON:
        // Two points make the edge between them, never an empty polygon.
        if (m_PointCount == 2) return FinishEdge(&m_Edge, m_Points[0], m_Points[1]);
        if (m_PointCount > 0 && m_PointCount < 3) {
            std::string text = std::string("Too few vertices in polygon shape fixture for ") + objectName;
            Error_Show_Action(text.c_str(), true);
            return false;
        }
        if (!Physics_CheckPolygon(m_Points, m_PointCount)) return false;
        m_Polygon.Set(m_Points, m_PointCount);
        return true;
    case PHYSICS_SHAPE_NONE:
        break;
    }
    return Physics_Fail("def->shape != nullptr");
}

const b2Shape* CPhysicsFixture::Shape() const
{
    switch (m_Kind) {
    case PHYSICS_SHAPE_CIRCLE: return &m_Circle;
    case PHYSICS_SHAPE_BOX: return &m_Polygon;
    case PHYSICS_SHAPE_EDGE: return &m_Edge;
    case PHYSICS_SHAPE_POLYGON: return m_PointCount == 2 ? static_cast<const b2Shape*>(&m_Edge) : &m_Polygon;
    case PHYSICS_SHAPE_NONE: break;
    }
    return nullptr;
}

CPhysicsFixture* PhysicsFixture_Create()
{
    auto* fixture = new CPhysicsFixture();
    fixture->m_Id = ++g_FixtureIdCounter;
    g_Fixtures.push_back(fixture);
    return fixture;
}

CPhysicsFixture* PhysicsFixture_Find(int32_t id)
{
    for (CPhysicsFixture* fixture : g_Fixtures)
        if (fixture->m_Id == id) return fixture;
    return nullptr;
}

bool PhysicsFixture_Delete(int32_t id)
{
    for (size_t i = 0; i < g_Fixtures.size(); ++i) {
        if (g_Fixtures[i]->m_Id != id) continue;
        delete g_Fixtures[i];
        g_Fixtures.erase(g_Fixtures.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    return false;
}

void PhysicsFixture_DeleteAll()
{
    for (CPhysicsFixture* fixture : g_Fixtures) delete fixture;
    g_Fixtures.clear();
    g_FixtureIdCounter = 0;
}

namespace {

void CircleForInstance(CPhysicsFixture* fixture, const ObjectPhysics& physics, const char* name, float scale,
                       CInstance* instance, const InstanceSpriteShape& sprite)
{
    float radius;
    if (physics.pointCount >= 2) {
        radius = physics.points[2] * scale;
    } else {
        Error_Show((std::string("Corrupt shape data for ") + name + "\n").c_str(), false);
        // Without a second point there is no radius: half the width of the sprite's box stands in.
        radius = static_cast<float>(sprite.box.right - sprite.box.left + 1) * 0.5f * scale;
    }
    if (std::fabs(instance->i_imagescalex - instance->i_imagescaley) >= CIRCLE_SCALE_TOLERANCE)
        Error_Show((std::string("Image scale for physics object using circle collision should not vary across axes: ") +
                    name + "\n")
                       .c_str(),
                   false);
    else
        radius *= std::fabs(instance->i_imagescalex);
    fixture->SetCircleShape(radius);
}

void PolygonForInstance(CPhysicsFixture* fixture, const ObjectPhysics& physics, float scale, CInstance* instance)
{
    fixture->SetPolygonShape();
    float sx = scale * instance->i_imagescalex;
    float sy = scale * instance->i_imagescaley;
    bool mirrored = instance->i_imagescalex * instance->i_imagescaley < 0.0f;
    for (int32_t i = 0; i < physics.pointCount; ++i) {
        int32_t p = mirrored ? physics.pointCount - 1 - i : i;
        fixture->AddPoint(physics.points[2 * p] * sx, physics.points[2 * p + 1] * sy);
    }
}

} // namespace

void PhysicsFixture_ForNewInstance(CPhysicsWorld* world, CInstance* instance)
{
    CObject* object = Object_Data(instance->GetObjectIndex());
    if (world == nullptr || object == nullptr || !object->m_Physics.enabled) return;
    InstanceSpriteShape sprite;
    if (!Instance_Sprites()->Shape(instance->i_spriteindex, &sprite)) return;
    const ObjectPhysics& physics = object->m_Physics;
    CPhysicsFixture fixture;
    if (physics.shape == 0) CircleForInstance(&fixture, physics, object->GetName(), world->m_Scale, instance, sprite);
    else PolygonForInstance(&fixture, physics, world->m_Scale, instance);
    fixture.m_Def.density = physics.density;
    fixture.m_Def.restitution = physics.restitution;
    fixture.m_Def.friction = physics.friction;
    fixture.m_Def.isSensor = physics.sensor != 0;
    fixture.m_Group = physics.group;
    fixture.m_LinearDamping = physics.linearDamping;
    fixture.m_AngularDamping = physics.angularDamping;
    fixture.m_Awake = physics.awake != 0;
    fixture.m_Kinematic = physics.kinematic != 0;
    world->BindFixture(&fixture, instance);
}
