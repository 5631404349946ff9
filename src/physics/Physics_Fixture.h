// A fixture as scripts describe it: one shape (circle, box, polygon or edge, in metres) and its
// material. Binding turns it into a library fixture on an instance's body; the same fixture may be
// bound to many instances. All fixtures live in one list in creation order, found by id.
#pragma once

#include <box2d/b2_circle_shape.h>
#include <box2d/b2_edge_shape.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_polygon_shape.h>
#include <cstdint>

class CInstance;
class CPhysicsWorld;

constexpr int32_t PHYSICS_POLYGON_POINTS = 8;

enum PhysicsShapeKind { PHYSICS_SHAPE_NONE, PHYSICS_SHAPE_CIRCLE, PHYSICS_SHAPE_BOX, PHYSICS_SHAPE_POLYGON, PHYSICS_SHAPE_EDGE };

class CPhysicsFixture {
public:
    CPhysicsFixture();

    void SetCircleShape(float radius);
    void SetBoxShape(float halfWidth, float halfHeight);
    // An empty polygon that AddPoint fills.
    void SetPolygonShape();
    // False when the point was refused (no begun polygon, or 8 points held) or the points so far are
    // not convex and clockwise (the point is then kept).
    bool AddPoint(float x, float y);
    void SetEdgeShape(float x1, float y1, float x2, float y2);

    // Makes the shape that binding hands to the library, for an instance of the named object. False
    // when there is none the library would accept (the reason is reported).
    bool FinishShape(const char* objectName);
    // The finished shape; valid after FinishShape succeeded.
    const b2Shape* Shape() const;

    float m_LinearDamping = 0.0f;
    float m_AngularDamping = 0.0f;
    bool m_Awake = true;
    bool m_Kinematic = false;
    int32_t m_PointCount = 0;
    b2Vec2 m_Points[PHYSICS_POLYGON_POINTS];
    int32_t m_Id = 0;
    // Friction, restitution, density, the sensor flag and the filter (its group is the collision
    // group; category and mask come from binding).
    b2FixtureDef m_Def;
    int32_t m_Group = 0;
    PhysicsShapeKind m_Kind = PHYSICS_SHAPE_NONE;
    b2CircleShape m_Circle;
    b2PolygonShape m_Polygon;
    b2EdgeShape m_Edge;
    float m_HalfWidth = 0.0f; // of a box
    float m_HalfHeight = 0.0f;

private:
    bool CheckConvex();
};

// A fixture with the next id (the first is 1; ids are never reused), added to the list.
CPhysicsFixture* PhysicsFixture_Create();
CPhysicsFixture* PhysicsFixture_Find(int32_t id);
// False when no fixture has the id. Bodies keep the fixtures they were given.
bool PhysicsFixture_Delete(int32_t id);
// Frees every fixture and restarts the ids (game end and restart, tests).
void PhysicsFixture_DeleteAll();

// The fixture the object system makes for a new instance of an object with physics in a room with a
// world, from the object's settings; it is bound at once and freed.
void PhysicsFixture_ForNewInstance(CPhysicsWorld* world, CInstance* instance);
