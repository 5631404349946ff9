// The run-layer game commands: instances, queries by target, place tests, motion and room moves.
#include "run/Run_Commands.h"

#include <cmath>
#include <string>
#include <vector>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Window.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_Place.h"

namespace {

// Reports the message with the number appended in decimal.
void ReportWithNumber(const char* message, int32_t number, bool fatal)
{
    std::string text = message + std::to_string(number);
    Error_Show_Action(text.c_str(), fatal);
}

// Calls test(candidate) on the target's usable candidates in order; the first for which it is true.
template <typename Test> CInstance* FindInTarget(int32_t target, Test&& test)
{
    if (target == TARGET_ALL) {
        CInstanceList* list = Room_CurrentActiveList();
        for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr; i = i->m_pNext)
            if (Run_Usable(i) && test(i)) return i;
        return nullptr;
    }
    if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        return instance != nullptr && Run_Usable(instance) && test(instance) ? instance : nullptr;
    }
    return Run_FindInObject(target, test);
}

// The query's filter: "not me" skips the caller.
template <typename Test> CInstance* FindOther(CInstance* caller, bool notMe, int32_t target, Test&& test)
{
    return FindInTarget(
        target, [&](CInstance* candidate) { return !(notMe && candidate == caller) && test(candidate); });
}

// Moves the instance to (x, y) for a test and back afterwards. The tests run no code, so the box
// the instance had where it stands is still its box when it is back.
template <typename Test> bool AtPlace(CInstance* instance, float x, float y, Test&& test)
{
    float oldX = instance->i_x, oldY = instance->i_y;
    // In place (the usual place_meeting(x, y, ...)): a box computed by the test stays current.
    if (x == oldX && y == oldY) return test();
    CInstance::SavedBox kept = instance->SaveBox();
    instance->SetPosition(x, y);
    bool result = test();
    instance->SetPosition(oldX, oldY);
    instance->RestoreBox(kept);
    return result;
}

bool CollidesWithAny(CInstance* instance, bool solidOnly)
{
    CInstanceList* list = Room_CurrentActiveList();
    for (CInstance* other = list != nullptr ? list->m_pHead : nullptr; other != nullptr;
         other = other->m_pNext) {
        if (solidOnly && other->i_solid == 0) continue;
        if (instance->CollisionInstance(other, 1)) return true;
    }
    return false;
}

} // namespace

std::vector<CInstance*> Run_TargetInstances(int32_t target)
{
    std::vector<CInstance*> found;
    FindInTarget(target, [&](CInstance* candidate) {
        found.push_back(candidate);
        return false;
    });
    return found;
}

// ---- instances -----------------------------------------------------------------------------------

CInstance* Run_CreateInstance(int32_t object, float x, float y)
{
    if (!Object_Exists(object)) {
        ReportWithNumber("Creating instance for non-existing object: ", object, false);
        return nullptr;
    }
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return nullptr;
    CInstance* instance = room->AddInstance(x, y, object);
    Perform_Event(instance, instance, EVENT_CREATE, 0);
    instance->m_CreatedMark = 1;
    return instance;
}

void Run_DestroyInstance(CInstance* instance)
{
    if (instance == nullptr || instance->m_Destroyed != 0) return;
    instance->m_Destroyed = 1;
    Perform_Event(instance, instance, EVENT_DESTROY, 0);
    instance->SetMarked(1);
}

void Run_ChangeInstance(CInstance* instance, int32_t object, bool performEvents)
{
    if (!Object_Exists(object)) {
        ReportWithNumber("Asking to change into non-existing object: ", object, false);
        return;
    }
    if (instance == nullptr || object == instance->i_objindex) return;
    if (performEvents && instance->m_Destroyed == 0) Perform_Event(instance, instance, EVENT_DESTROY, 0);
    instance->ChangeObject(object);
    if (performEvents) Perform_Event(instance, instance, EVENT_CREATE, 0);
}

void Run_SetInstanceSprite(CInstance* instance, int32_t sprite)
{
    InstanceSpriteShape shape;
    if (!Instance_Sprites()->Shape(sprite, &shape)) {
        ReportWithNumber("Setting instance to non-existing sprite: ", sprite, false);
        return;
    }
    if (instance != nullptr) instance->SetSpriteIndex(sprite);
}

// ---- queries -------------------------------------------------------------------------------------

CInstance* Run_CollisionPoint(CInstance* caller, float x, float y, int32_t target, int32_t precise,
                              bool notMe)
{
    return FindOther(caller, notMe, target, [&](CInstance* c) { return c->CollisionPoint(x, y, precise); });
}

CInstance* Run_CollisionRectangle(CInstance* caller, float x1, float y1, float x2, float y2, int32_t target,
                                  int32_t precise, bool notMe)
{
    return FindOther(caller, notMe, target,
                     [&](CInstance* c) { return c->CollisionRectangle(x1, y1, x2, y2, precise); });
}

CInstance* Run_CollisionEllipse(CInstance* caller, float x1, float y1, float x2, float y2, int32_t target,
                                int32_t precise, bool notMe)
{
    return FindOther(caller, notMe, target,
                     [&](CInstance* c) { return c->CollisionEllipse(x1, y1, x2, y2, precise); });
}

CInstance* Run_CollisionLine(CInstance* caller, float x1, float y1, float x2, float y2, int32_t target,
                             int32_t precise, bool notMe)
{
    return FindOther(caller, notMe, target,
                     [&](CInstance* c) { return c->CollisionLine(x1, y1, x2, y2, precise); });
}

CInstance* Run_InstancePosition(float x, float y, int32_t target)
{
    return FindInTarget(target, [&](CInstance* c) { return c->CollisionPoint(x, y, 1); });
}

namespace {

// The first instance of the target met with the instance moved to (x, y) for the test; apart, so
// that a test in place does not pay for the move's frame.
[[gnu::noinline]] CInstance* FirstMetAt(CInstance* instance, float x, float y, int32_t target)
{
    CInstance* found = nullptr;
    AtPlace(instance, x, y, [&]() {
        found = Run_FirstMet(instance, target);
        return found != nullptr;
    });
    return found;
}

} // namespace

CInstance* Run_FirstMetInTarget(CInstance* instance, const InstanceBox& mine, int32_t target)
{
    return FindInTarget(target, [instance, &mine](CInstance* c) { return Run_MeetsWhereItStands(instance, mine, c); });
}

CInstance* Run_InstancePlace(CInstance* instance, float x, float y, int32_t target)
{
    if (instance == nullptr) return nullptr;
    // In place, the usual place_meeting(x, y, ...): nothing to move and put back.
    if (x == instance->i_x && y == instance->i_y) return Run_FirstMet(instance, target);
    return FirstMetAt(instance, x, y, target);
}

bool Run_PlaceMeeting(CInstance* instance, int32_t target, float x, float y)
{
    return Run_InstancePlace(instance, x, y, target) != nullptr;
}

bool Run_PositionEmpty(float x, float y, int32_t target)
{
    return Run_InstancePosition(x, y, target) != nullptr;
}

int32_t Run_InstanceNumber(int32_t target)
{
    int32_t count = 0;
    FindInTarget(target, [&](CInstance*) {
        ++count;
        return false;
    });
    if (target == TARGET_ALL || target >= INSTANCE_FIRST_ID) return count;
    // Changed instances join their new object's lists only at the next list update.
    if (!Object_Exists(target)) return count;
    for (int32_t i = 0; i < g_InstanceObjectChanges.count; ++i) {
        CInstance* changed = g_InstanceObjectChanges.items[i];
        if (Run_Usable(changed) && changed->i_objindex == target) ++count;
    }
    return count;
}

namespace {

double SquaredDistance(const CInstance* instance, float x, float y)
{
    double dx = static_cast<double>(x) - instance->i_x;
    double dy = static_cast<double>(y) - instance->i_y;
    return dx * dx + dy * dy;
}

// Nearest or furthest of -3 and object targets; strictly better values only, so the first of
// equals wins. The nearest search starts at 10,000 squared: nothing farther is ever returned. For
// an object each distance is rounded to a single real first, so distances that round alike are
// equals there; -3 compares them in double precision.
CInstance* Extreme(float x, float y, int32_t target, bool nearest)
{
    if (target >= INSTANCE_FIRST_ID) return nullptr;
    double best = nearest ? static_cast<double>(100000000.0f) : -1.0;
    bool single = target != TARGET_ALL;
    CInstance* found = nullptr;
    FindInTarget(target, [&](CInstance* c) {
        double d = SquaredDistance(c, x, y);
        if (single) d = Numbers_ToFloat(d);
        if (nearest ? d < best : d > best) {
            best = d;
            found = c;
        }
        return false;
    });
    return found;
}

} // namespace

CInstance* Run_InstanceNearest(float x, float y, int32_t target)
{
    return Extreme(x, y, target, true);
}

CInstance* Run_InstanceFurthest(float x, float y, int32_t target)
{
    return Extreme(x, y, target, false);
}

bool Run_PlaceEmpty(CInstance* instance, float x, float y)
{
    if (instance == nullptr) return true;
    return AtPlace(instance, x, y, [&]() { return !CollidesWithAny(instance, false); });
}

bool Run_PlaceFree(CInstance* instance, float x, float y)
{
    if (instance == nullptr) return true;
    return AtPlace(instance, x, y, [&]() { return !CollidesWithAny(instance, true); });
}

bool Run_PlaceFreeOrEmpty(CInstance* instance, float x, float y, int32_t againstAll)
{
    return againstAll == 1 ? Run_PlaceEmpty(instance, x, y) : Run_PlaceFree(instance, x, y);
}

// ---- position commands ---------------------------------------------------------------------------

void Run_PositionDestroy(float x, float y)
{
    CInstanceList* list = Room_CurrentActiveList();
    for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr;) {
        CInstance* next = i->m_pNext;
        if (i->CollisionPoint(x, y, 1)) Run_DestroyInstance(i);
        i = next;
    }
}

void Run_PositionChange(float x, float y, int32_t object, bool performEvents)
{
    if (!Object_Exists(object)) {
        ReportWithNumber("Asking to change into non-existing object: ", object, false);
        return;
    }
    CInstanceList* list = Room_CurrentActiveList();
    for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr;) {
        CInstance* next = i->m_pNext;
        if (i->CollisionPoint(x, y, 1)) Run_ChangeInstance(i, object, performEvents);
        i = next;
    }
}
