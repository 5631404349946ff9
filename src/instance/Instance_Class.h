// One running instance: what the frame moves, collides, draws and sends events to. Motion and the
// bounding box live in Instance_Motion.cpp, the collision tests in Instance_Collision.cpp, the saved
// form in Instance_Serialise.cpp; the room's depth-ordered list and the id hash in Instance_List.h.
//
// Instances live in the memory manager's heap, so that a 32-bit reference can name one, each on a
// cache line of its own start (see the field order below).
#pragma once

#include <cstddef>
#include <cstdint>

#include "code/Code_Value.h"

class CObject;
struct ObjectInstanceNode;
class CPhysicsObject;
class CVariableList;
class CInstanceList;
class IBuffer;

constexpr int32_t INSTANCE_ALARM_COUNT = 12;
// The first identifier an instance can have; smaller numbers name objects.
constexpr int32_t INSTANCE_FIRST_ID = 100000;

// The global event stamp: each event pass of the frame takes it and raises it by one, and skips
// instances whose creation stamp is greater than the value it took.
extern uint64_t g_EventStamp;
// The number of fixed variable slots the game declares per instance; 0 means every instance keeps a
// variable list instead.
extern int32_t g_InstanceVariableSlots;
// Raised whenever a sprite's shape (box, origin, masks, frames) may have changed: every instance's
// box is then out of date, whether it uses the sprite as its image or as its mask, in any room.
extern uint32_t g_InstanceShapeGeneration;
inline void Instance_ShapesChanged() { ++g_InstanceShapeGeneration; }

// Lets the frame's walks over a room's list pass the whole list by: each names the list a walk last
// found with nothing to do in it, and every change that could give that walk work forgets it. A
// list that gains an instance forgets all three, but the motion walk's only for one that moves.
struct InstanceQuietLists {
    const CInstanceList* motion = nullptr;   // none with speed, friction, gravity or a path
    const CInstanceList* drawable = nullptr; // none visible, unmarked and not deactivated
    const CInstanceList* marked = nullptr;   // none marked for deletion
};
extern InstanceQuietLists g_QuietLists;
inline void Instance_MayMove() { g_QuietLists.motion = nullptr; }
inline void Instance_MayDraw() { g_QuietLists.drawable = nullptr; }
inline void Instance_ForgetQuiet() { g_QuietLists = {}; }

// The bounding box, all four edges inclusive pixels.
struct InstanceBox {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Whether two boxes share a pixel (the edges are inclusive).
inline bool Instance_BoxesOverlap(const InstanceBox& a, const InstanceBox& b)
{
    return a.left <= b.right && a.right >= b.left && a.top <= b.bottom && a.bottom >= b.top;
}

class CInstance {
public:
    // Defaults, the variable store, the object binding (added to the object's lists when
    // `registerInObject`), then the position with its start and previous copies.
    CInstance(float x, float y, int32_t id, int32_t objectIndex, bool registerInObject);
    ~CInstance(); // releases what Release has not yet released
    CInstance(const CInstance&) = delete;
    CInstance& operator=(const CInstance&) = delete;

    static void* operator new(size_t size);
    static void operator delete(void* block);

    // Binding to an object. -1 is stored as 0; an index that names no object leaves the
    // instance without one (and without what an object would supply).
    void SetObjectIndex(int32_t objectIndex, bool registerInObject);
    void CopyFrom(const CInstance& other, bool registerInObject);
    // Turns the instance into one of another object; the move between the objects' lists waits for
    // the frame (Relink) and the depth change for its re-insertion.
    void ChangeObject(int32_t objectIndex);
    // Applies a change of object: the former object's lists, the current object's lists and the
    // position in the active list (the current room's unless one is given).
    void Relink();
    void Relink(CInstanceList* activeList);
    // Frees what the instance owns; each pointer is cleared, so a second call does nothing.
    void Release();
    // Changes the identifier, moving the instance's entry in the id hash when `rehash`.
    void SetId(int32_t id, bool rehash);

    bool Serialise(IBuffer* buffer);
    // Reads the saved form. A stream that is cut short or holds impossible values is refused: false,
    // and the instance is left as it was. An active instance joins its object's lists only when
    // `registerInObject` says so.
    bool Deserialise(IBuffer* buffer, bool registerInObject = true);
    void DebugDump();

    // Motion and the bounding box (Instance_Motion.cpp). Setters store what they are given and
    // return it. The position's is here, for the many moves of every frame: a NaN always differs;
    // when only the place changed, the box may follow by a shift when next asked.
    void SetPosition(float x, float y)
    {
        if (x == i_x && y == i_y) return;
        i_x = x;
        i_y = y;
        MarkMoved();
    }
    // One coordinate by the same rule: what scripts' x and y set, without the other's comparison.
    void SetX(float x)
    {
        if (x == i_x) return;
        i_x = x;
        MarkMoved();
    }
    void SetY(float y)
    {
        if (y == i_y) return;
        i_y = y;
        MarkMoved();
    }
    void MarkMoved()
    {
        if (m_BBoxDirty == BOX_CURRENT) m_BBoxDirty = BOX_MOVED;
    }
    int32_t SetSpriteIndex(int32_t sprite);
    int32_t SetMaskIndex(int32_t mask);
    float SetImageXScale(float scale);
    float SetImageYScale(float scale);
    float SetImageAngle(float angle);
    float SetDirection(float degrees);
    float SetSpeed(float speed);
    float SetHSpeed(float hspeed);
    float SetVSpeed(float vspeed);
    void AddMotion(float degrees, float amount);
    void ApplyFrictionGravity();
    // Alarms 0 to 11; anything else reads -1 and writes nothing.
    int32_t GetAlarm(int32_t n) const;
    int32_t SetAlarm(int32_t n, int32_t value);
    // Counts alarm n (0 to 11) down when it is set: true when it reaches 0, and its event is due.
    bool CountDownAlarm(int32_t n) { return i_timer[n] >= 0 && --i_timer[n] == 0; }
    int32_t GetImageNumber() const;
    float SetPathPosition(float position);
    float SetPathPositionPrevious(float position);
    float SetPathSpeed(float speed);
    void PathStart(int32_t path, float speed, float scale, float orientation, bool keepPosition, int32_t endAction);
    // True when an end of the path was reached while the path speed is not 0.
    bool PathStep();
    void ComputeBoundingBox();
    // The box, recomputed first when out of date: the instance changed, or some sprite's shape did
    // since it was computed.
    const InstanceBox& GetBoundingBox()
    {
        if (!BoxCurrent()) ComputeBoundingBox();
        return i_bbox;
    }
    // m_BBoxDirty: the box is current, anything it depends on may have changed, or only the
    // position did since it was current.
    static constexpr uint8_t BOX_CURRENT = 0, BOX_STALE = 1, BOX_MOVED = 2;
    // What the box's computation learnt besides the box (m_BoxFacts), valid with the box:
    // BOX_FACTS_KNOWN that the rest was set by the computation (not by a saved game), BOX_HAS_SHAPE
    // that the shape sprite exists with a frame, BOX_WHOLE_SHIFT that the box came from the whole
    // position (m_BoxAtX, m_BoxAtY) of an unscaled, unturned instance, its edges within 2^21 of it,
    // so that a move to another whole position shifts it by the move.
    static constexpr uint8_t BOX_FACTS_KNOWN = 1, BOX_HAS_SHAPE = 2, BOX_WHOLE_SHIFT = 4;
    bool BoxCurrent() const { return m_BBoxDirty == BOX_CURRENT && m_BoxShapes == g_InstanceShapeGeneration; }
    // The box as it stands, put back after a test moved the instance away and back to the same place.
    struct SavedBox {
        InstanceBox box;
        uint32_t shapes;
        uint8_t dirty;
        uint8_t precise;
        uint8_t facts;
        int32_t atX, atY;
    };
    SavedBox SaveBox() const
    {
        return {i_bbox, m_BoxShapes, m_BBoxDirty, i_precise, m_BoxFacts, m_BoxAtX, m_BoxAtY};
    }
    void RestoreBox(const SavedBox& saved)
    {
        i_bbox = saved.box;
        m_BoxShapes = saved.shapes;
        m_BBoxDirty = saved.dirty;
        i_precise = saved.precise;
        m_BoxFacts = saved.facts;
        m_BoxAtX = saved.atX;
        m_BoxAtY = saved.atY;
    }
    // The sprite whose shape collides: the mask when there is one, else the sprite.
    int32_t ShapeSprite() const { return i_maskindex >= 0 ? i_maskindex : i_spriteindex; }

    // Collision tests (Instance_Collision.cpp). The precise flag counts only when it is 1.
    bool CollisionPoint(float x, float y, int32_t precise);
    bool CollisionRectangle(float x1, float y1, float x2, float y2, int32_t precise);
    bool CollisionEllipse(float x1, float y1, float x2, float y2, int32_t precise);
    bool CollisionLine(float x1, float y1, float x2, float y2, int32_t precise);
    bool CollisionInstance(CInstance* other, int32_t precise);

    // Plain access for the fields without a rule of their own.
    int32_t GetId() const { return i_id; }
    int32_t GetObjectIndex() const { return i_objindex; }
    // The instance's object while it stands (null once a script has deleted it).
    CObject* GetObject() const;
    CVariableList* GetVariables() const { return m_pVariables; }
    ScriptValue* GetSlots() const { return m_pSlots; }
    bool IsMarked() const { return i_marked != 0; }
    bool IsDeactivated() const { return i_deactivated != 0; }
    uint8_t SetVisible(uint8_t on)
    {
        Instance_MayDraw();
        return i_visible = on;
    }
    uint8_t SetSolid(uint8_t on) { return i_solid = on; }
    uint8_t SetPersistent(uint8_t on) { return i_persistent = on; }
    uint8_t SetMarked(uint8_t on)
    {
        g_QuietLists.marked = nullptr;
        Instance_MayDraw();
        return i_marked = on;
    }
    uint8_t SetDeactivated(uint8_t on)
    {
        Instance_MayDraw();
        return i_deactivated = on;
    }
    float SetImageIndex(float index) { return i_imageindex = index; }
    float SetImageSpeed(float speed) { return i_imagespeed = speed; }
    float SetImageAlpha(float alpha) { return i_imagealpha = alpha; }
    uint32_t SetImageBlend(uint32_t blend) { return i_imageblend = blend; }
    float SetDepth(float depth) { return i_depth = depth; }
    float SetFriction(float friction)
    {
        MayMove();
        return i_friction = friction;
    }
    float SetGravity(float gravity)
    {
        MayMove();
        return i_gravity = gravity;
    }
    float SetGravityDirection(float degrees) { return i_gravitydir = degrees; }
    float SetXStart(float x) { return i_xstart = x; }
    float SetYStart(float y) { return i_ystart = y; }
    float SetXPrevious(float x) { return i_xprevious = x; }
    float SetYPrevious(float y) { return i_yprevious = y; }
    int32_t SetPathIndex(int32_t path)
    {
        MayMove();
        return i_pathindex = path;
    }
    // Whether the motion pass has anything to do for the instance: friction, gravity, a path or a
    // speed (the pass notes one without as still, and does nothing else to it).
    bool HasMotion() const
    {
        return i_friction != 0.0f || i_gravity != 0.0f || i_pathindex >= 0 || i_hspeed != 0.0f || i_vspeed != 0.0f;
    }
    // Something that moves the instance (speed, friction, gravity, path) may have changed: the
    // motion pass looks at it, and at its list, again.
    void MayMove()
    {
        m_Still = 0;
        Instance_MayMove();
    }
    float SetPathScale(float scale) { return i_pathscale = scale; }
    float SetPathOrientation(float degrees) { return i_pathorientation = degrees; }
    int32_t SetPathEnd(int32_t action) { return i_pathend = action; }
    int32_t SetTimelineIndex(int32_t timeline) { return i_timelineindex = timeline; }
    float SetTimelinePosition(float position) { return i_timelineposition = position; }
    float SetTimelineSpeed(float speed) { return i_timelinespeed = speed; }
    uint8_t SetTimelineRunning(uint8_t on) { return i_timelinerunning = on; }
    uint8_t SetTimelineLoop(uint8_t on) { return i_timelineloop = on; }

    // Fields in the record's order. A room of many instances walks them all several times a frame,
    // so what every frame reads comes first, in whole cache lines from the record's start: in the
    // first what the animation pass reads and writes (list link, position, animation, path, flags),
    // in the second what the step's dispatch and the box read (creation stamp, variables, object,
    // box, mask), then the speeds; the rest follows.
    CInstance* m_pNext = nullptr; // the room's depth-ordered list
    float i_x = 0.0f;
    float i_y = 0.0f;
    float i_xprevious = 0.0f;
    float i_yprevious = 0.0f;
    float i_imageindex = 0.0f;
    float i_imagespeed = 1.0f;
    int32_t i_spriteindex = -1;
    int32_t i_pathindex = -1;
    float i_pathposition = 0.0f;
    float i_pathpositionprevious = 0.0f;
    uint8_t i_marked = 0;
    uint8_t i_deactivated = 0;
    uint8_t i_visible = 1;
    uint8_t i_timelinerunning = 0;
    uint8_t m_BBoxDirty = 1;
    uint8_t m_BoxFacts = 0; // BOX_ flags, see BoxCurrent
    uint8_t i_precise = 0;
    uint8_t i_solid = 0;
    uint8_t i_persistent = 0;
    // The motion pass found no speed, friction, gravity or path, and none was set since: the pass
    // passes it by on this line alone, without the motion fields' lines.
    uint8_t m_Still = 0;
    uint64_t m_CreationStamp;
    CVariableList* m_pVariables = nullptr; // owned
    ScriptValue* m_pSlots = nullptr; // the fixed variable slots, when the game declares them
    int32_t i_id;
    int32_t i_objindex = 0;
    uint32_t m_BoxShapes = 0; // the shape generation the box was computed in
    InstanceBox i_bbox = {0, 0, 0, 0};
    int32_t m_BoxAtX = 0, m_BoxAtY = 0; // the whole position a shiftable box belongs to
    int32_t i_maskindex = -1;
    float i_hspeed = 0.0f;
    float i_vspeed = 0.0f;
    float i_friction = 0.0f;
    float i_gravity = 0.0f;
    CObject* m_pObject = nullptr;
    float i_imagescalex = 1.0f;
    float i_imagescaley = 1.0f;
    float i_imageangle = 0.0f;
    float i_depth = 0.0f;
    CInstance* m_pPrev = nullptr;
    CInstanceList* m_pList = nullptr; // whose links m_pNext and m_pPrev are
    uint8_t m_Destroyed = 0;   // the destroy handling has run
    uint8_t m_CarriedMark = 0; // took over a carried persistent instance's state: no create event once
    uint8_t m_CreatedMark = 0; // the create event has been handled
    uint8_t i_timelineloop = 0;
    float i_imagealpha = 1.0f;
    uint32_t i_imageblend = 0xFFFFFFu;
    float i_xstart = 0.0f;
    float i_ystart = 0.0f;
    float i_direction = 0.0f;
    float i_speed = 0.0f;
    float i_gravitydir = 270.0f;
    CPhysicsObject* m_pPhysicsObject = nullptr; // owned
    int32_t i_timer[INSTANCE_ALARM_COUNT];
    float i_pathspeed = 0.0f;
    float i_pathscale = 1.0f;
    float i_pathorientation = 0.0f;
    int32_t i_pathend = 0;
    float i_pathxstart = 0.0f;
    float i_pathystart = 0.0f;
    int32_t i_timelineindex = -1;
    float i_timelineposition = 0.0f;
    float i_timelinespeed = 1.0f;
    void* m_pSpare = nullptr;
    // Its nodes in its object's own list and list of all (CObject::AddInstance); only hints.
    ObjectInstanceNode* m_pObjectNode = nullptr;
    ObjectInstanceNode* m_pObjectAllNode = nullptr;
    CObject* m_pFormerObject = nullptr; // whose lists still hold the instance after a change of object
    int32_t m_FormerObjectIndex = -1;
    float m_DepthKey = 0.0f; // the depth at insertion into a list

    // The box is recomputed when next asked (also when the sprite's box or origin changes).
    void MarkBoxDirty() { m_BBoxDirty = BOX_STALE; }

private:
    void ComputeBoxFromShape();
    void Unbind();
    // What an object gives its instances: mask, depth, flags and sprite; the image index is reset
    // when the sprite has fewer frames.
    void TakeOverFromObject();
    void SpeedsFromPolar();
    void PolarFromSpeeds();
};

// Whether the point lies in the ellipse whose bounding rectangle is given (whole numbers).
bool PointInEllipse(const InstanceBox& rect, int32_t x, int32_t y);

// The instances whose object changed and the instances whose depth changed since the frame last
// applied them. Each holds an instance at most once; the frame empties them.
struct InstanceChangeList {
    CInstance** items = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;

    void Add(CInstance* instance);
    // Drops the instance if held (an instance that is freed must not stay listed).
    void Remove(CInstance* instance);
    void Clear();
    void Free();
};
extern InstanceChangeList g_InstanceObjectChanges;
extern InstanceChangeList g_InstanceDepthChanges;
