// The frame's stages that move and test instances: motion, boundaries, collisions and time lines;
// and the asynchronous stage that hands finished requests to the game.
#include <cmath>

#include "datastructure/DataStructure_Map.h"
#include "dialog/Dialog_Requests.h"
#include "function/Function_Families.h"
#include "http/Http_Request.h"
#include "instance/Instance_List.h"
#include "physics/Physics_World.h"
#include "room/Room_Class.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_FrameParts.h"
#include "run/Run_Game.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"
#include "timeline/Timeline_Table.h"

namespace {

constexpr int32_t OTHER_OUTSIDE = 0;
constexpr int32_t OTHER_BOUNDARY = 1;
constexpr int32_t OTHER_END_OF_PATH = 8;
constexpr int32_t OTHER_OUTSIDE_VIEW = 40;
constexpr int32_t OTHER_BOUNDARY_VIEW = 50;

void MoveBy(CInstance* instance, double dx, double dy)
{
    instance->SetPosition(static_cast<float>(static_cast<double>(instance->i_x) + dx),
                          static_cast<float>(static_cast<double>(instance->i_y) + dy));
}

void MoveBySpeed(CInstance* instance)
{
    MoveBy(instance, instance->i_hspeed, instance->i_vspeed);
}

void BackToPrevious(CInstance* instance)
{
    instance->SetPosition(instance->i_xprevious, instance->i_yprevious);
    instance->i_pathposition = instance->i_pathpositionprevious;
}

// A rectangle of the room (left, top, right, bottom).
struct Area {
    double left, top, right, bottom;
};

// Wholly outside the area: by position without a shape, else by the bounding box.
bool IsOutside(CInstance* instance, const Area& area)
{
    if (!frame::HasShape(instance)) {
        return instance->i_x < area.left || instance->i_x > area.right || instance->i_y < area.top ||
               instance->i_y > area.bottom;
    }
    const InstanceBox& box = instance->GetBoundingBox();
    return box.right < area.left || box.left > area.right || box.bottom < area.top || box.top > area.bottom;
}

// Not wholly inside the area (without a shape: the position test of IsOutside).
bool CrossesBoundary(CInstance* instance, const Area& area)
{
    if (!frame::HasShape(instance)) return IsOutside(instance, area);
    const InstanceBox& box = instance->GetBoundingBox();
    return box.left < area.left || box.right > area.right || box.top < area.top || box.bottom > area.bottom;
}

typedef bool (*AreaTest)(CInstance*, const Area&);

void RaiseWhere(int32_t subtype, const Area& area, AreaTest test)
{
    auto wanted = [&](CInstance* instance) { return test(instance, area); };
    frame::WalkListed(EVENT_OTHER, subtype, frame::TakeStamp(), Event_WalkTest(wanted));
}

// The view passes skip only instances marked exactly 1 and deactivated ones: no stamp applies.
void RaiseInView(int32_t subtype, const Area& area, AreaTest test)
{
    frame::TakeStamp();
    // Read afresh at each step: an event may rebuild the lists.
    for (int32_t i = 0; i < ObjectLists_Count(EVENT_OTHER, subtype); ++i) {
        CObject* object = Object_Data(ObjectLists_Objects(EVENT_OTHER, subtype)[i]);
        if (object == nullptr) continue;
        for (ObjectInstanceNode* node = object->m_Instances.head; node != nullptr;) {
            ObjectInstanceNode* next = node->next;
            CInstance* instance = node->instance;
            if (instance->i_marked != 1 && instance->i_deactivated == 0 && test(instance, area))
                Perform_Event(instance, instance, EVENT_OTHER, subtype);
            node = next;
        }
    }
}

Area ViewArea(const RoomView& view)
{
    return {static_cast<double>(view.xview), static_cast<double>(view.yview),
            static_cast<double>(view.xview) + view.wview, static_cast<double>(view.yview) + view.hview};
}

// Friction and gravity, the path and the speeds of one instance; one with none of them is noted
// as still until one is set.
void MoveOne(CInstance* instance, uint64_t stamp)
{
    // Most instances have no friction, gravity, path or speed: each step is skipped unless needed.
    bool pulled = instance->i_friction != 0.0f || instance->i_gravity != 0.0f;
    if (pulled) instance->ApplyFrictionGravity();
    bool onPath = instance->i_pathindex >= 0;
    if (onPath && instance->PathStep() && instance->m_CreationStamp <= stamp)
        Perform_Event(instance, instance, EVENT_OTHER, OTHER_END_OF_PATH);
    bool moving = instance->i_hspeed != 0.0f || instance->i_vspeed != 0.0f;
    if (moving) MoveBySpeed(instance);
    if (pulled || onPath || moving) Instance_MayMove();
    else instance->m_Still = 1;
}

} // namespace

bool g_FrameFullPasses = false;

bool Run_Motion(bool anyPath)
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return false;
    if (room->m_pPhysicsWorld != nullptr) {
        room->m_pPhysicsWorld->Update(room->m_Speed, anyPath);
        return true;
    }
    uint64_t stamp = frame::TakeStamp();
    // A list found without movers stays so until something sets a speed, a path or the like; so
    // does an instance found still.
    bool full = g_FrameFullPasses;
    if (g_QuietLists.motion == &room->m_Active && !full) return false;
    g_QuietLists.motion = &room->m_Active;
    for (CInstance* instance = room->m_Active.m_pHead; instance != nullptr;) {
        CInstance* next = instance->m_pNext;
        frame::PrefetchByStride(instance, next);
        if (instance->m_Still == 0 || full) MoveOne(instance, stamp);
        instance = next;
    }
    return false;
}

void Run_BoundaryStage()
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    Area whole = {0.0, 0.0, static_cast<double>(room->m_Width), static_cast<double>(room->m_Height)};
    RaiseWhere(OTHER_OUTSIDE, whole, IsOutside);
    RaiseWhere(OTHER_BOUNDARY, whole, CrossesBoundary);
    if (room->m_EnableViews == 0) return;
    for (int32_t v = 0; v < ROOM_VIEWS; ++v)
        if (room->m_Views[v].visible != 0)
            RaiseInView(OTHER_OUTSIDE_VIEW + v, ViewArea(room->m_Views[v]), IsOutside);
    for (int32_t v = 0; v < ROOM_VIEWS; ++v)
        if (room->m_Views[v].visible != 0)
            RaiseInView(OTHER_BOUNDARY_VIEW + v, ViewArea(room->m_Views[v]), CrossesBoundary);
}

// ---- asynchronous requests -----------------------------------------------------------------------

namespace {

constexpr int32_t ASYNC_FIRST = 60;

// Hands one finished request to the game and deletes it.
void FinishRequest(HTTP_REQ_CONTEXT* request)
{
    async_load = -1;
    if (request->m_pCompletion != nullptr) {
        int32_t subtype = request->m_pCompletion(request, request->m_pUser, &async_load);
        if (subtype >= ASYNC_FIRST) Run_AsyncEvent(subtype);
        if (async_load >= 0) CDS_Map_Destroy(async_load);
    }
    async_load = -1;
    if (request->m_pCleanup != nullptr) request->m_pCleanup(request);
    delete request;
}

} // namespace

void Run_AsyncEvent(int32_t subtype)
{
    bool raised = (subtype >= ASYNC_FIRST && subtype <= 64) || subtype == 67 || subtype == 69 || subtype == 70;
    if (raised) frame::Raise(EVENT_OTHER, subtype);
}

void Run_AsyncStage()
{
    Async_ProcessIapEvents();
    Async_ProcessCallbacks();
    HTTP_PollRequests();
    Dialog_Poll();
    HTTP_REQ_CONTEXT** link = &g_pHttpRequests;
    while (*link != nullptr) {
        HTTP_REQ_CONTEXT* request = *link;
        if (request->m_Active == 0 || request->m_State != HTTP_STATE_FINISHED) {
            link = &request->m_pNext;
            continue;
        }
        *link = request->m_pNext;
        FinishRequest(request);
    }
}

// ---- collisions ----------------------------------------------------------------------------------

namespace {

bool Collide(CInstance* a, CInstance* b)
{
    return a->CollisionInstance(b, 1);
}

void HandleCollision(CInstance* a, CInstance* b)
{
    if (a->i_solid != 0 || b->i_solid != 0) {
        BackToPrevious(a);
        BackToPrevious(b);
    }
    Perform_Event(a, b, EVENT_COLLISION, b->i_objindex);
    Perform_Event(b, a, EVENT_COLLISION, a->i_objindex);
    if (a->i_solid == 0 && b->i_solid == 0) return;
    a->PathStep();
    b->PathStep();
    MoveBySpeed(a);
    MoveBySpeed(b);
    if (Collide(a, b)) {
        BackToPrevious(a);
        BackToPrevious(b);
    }
}

} // namespace

void Run_CollisionStage()
{
    for (int32_t p = 0; p < g_CollisionPairCount; ++p) {
        CollisionPair pair = g_CollisionPairs[p];
        uint64_t stamp = frame::TakeStamp();
        frame::ForEachOwn(pair.lower, stamp, [&](CInstance* a) {
            frame::ForEachOwn(pair.higher, stamp, [&](CInstance* b) {
                if (a->i_marked == 0 && Collide(a, b)) HandleCollision(a, b);
            });
        });
    }
}

// ---- time lines ----------------------------------------------------------------------------------

namespace {

// Whether a moment just performed changed the instance's time line: deleted it (later ones moved
// down), cleared one of its moments or gave the instance another one. The instance's pass then ends,
// so that no moment of another time line, or one that moved, is performed in its place.
bool TimeLineChanged(const CInstance* instance, const CTimeLine& line, uint32_t changes)
{
    return TimeLine_Get(instance->i_timelineindex) != &line || line.GetChangeCount() != changes;
}

void AdvanceTimeLine(CInstance* instance, const CTimeLine& line)
{
    int32_t index = instance->i_timelineindex;
    double speed = instance->i_timelinespeed;
    double last = line.GetMoment(line.GetMomentCount() - 1);
    uint32_t changes = line.GetChangeCount();
    if (speed > 0.0) {
        int32_t a = line.FindMomentAtOrAfter(instance->i_timelineposition);
        instance->i_timelineposition = static_cast<float>(instance->i_timelineposition + speed);
        int32_t b = line.FindMomentAtOrAfter(instance->i_timelineposition);
        for (int32_t m = a; m < b; ++m) {
            Perform_TimeLineMoment(instance, instance, index, m);
            if (TimeLineChanged(instance, line, changes)) return;
        }
        if (instance->i_timelineloop != 0 && instance->i_timelineposition > last)
            instance->i_timelineposition = 0.0f;
        return;
    }
    int32_t a = line.FindMomentAtOrBefore(instance->i_timelineposition);
    instance->i_timelineposition = static_cast<float>(instance->i_timelineposition + speed);
    int32_t b = line.FindMomentAtOrBefore(instance->i_timelineposition);
    for (int32_t m = a; m > b; --m) {
        Perform_TimeLineMoment(instance, instance, index, m);
        if (TimeLineChanged(instance, line, changes)) return;
    }
    if (instance->i_timelineloop != 0 && instance->i_timelineposition < 0.0f)
        instance->i_timelineposition = static_cast<float>(last);
}

} // namespace

void Run_TimeLineStage()
{
    CInstanceList* list = Room_CurrentActiveList();
    if (list == nullptr) return;
    uint64_t stamp = frame::TakeStamp();
    // Moments may clear themselves or delete their time line: those are freed when the stage ends.
    TimeLine_BeginStage();
    for (CInstance* instance = list->m_pHead; instance != nullptr;) {
        CInstance* next = instance->m_pNext;
        if (frame::Eligible(instance, stamp) && instance->i_timelinerunning != 0 &&
            instance->i_timelinespeed != 0.0f && instance->i_timelineindex >= 0) {
            CTimeLine* line = TimeLine_Get(instance->i_timelineindex);
            if (line != nullptr && line->GetMomentCount() > 0) AdvanceTimeLine(instance, *line);
        }
        instance = next;
    }
    TimeLine_EndStage();
}
