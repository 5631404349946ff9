// Event dispatch: the one door through which every event of the game is performed. The handler is
// looked up through the object's parent chain, nesting is limited to 32 events, and while a handler
// runs the current event (object, type, subtype) names it for scripts and error messages.
#pragma once

#include <cstdint>

#include "code/Code_Interpreter.h"

class CEvent;
class CInstance;

// The current event: the object whose handler runs (or the time line of a moment), the event type
// (100000 for a time-line moment) and subtype (the moment's time), and the action number. Scripts
// read them as event_object, event_type, event_number and event_action; error reports print them.
extern int32_t g_CurrentEventObject;
extern int32_t g_CurrentEventType;
extern int32_t g_CurrentEventNumber;
extern int32_t g_CurrentActionNumber;

// PerformEvent calls in progress.
extern int32_t g_EventDepth;
constexpr int32_t EVENT_DEPTH_LIMIT = 32;
constexpr int32_t EVENT_TYPE_TIMELINE = 100000;

// The handler of (type, subtype) for the object, through its parent chain (and for collisions the
// other object's ancestors); `foundIn` (when given) receives the object that holds it. Null when
// there is none.
CEvent* Event_FindHandler(int32_t objectIndex, int32_t type, int32_t subtype, int32_t* foundIn);

// Performs the event for self and other as an instance of the object. Nothing while a room change,
// restart or quit is pending, or when no handler exists.
void PerformEvent(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type, int32_t subtype);
// PerformEvent with the handler already found (not null) and the object holding it. A bytecode
// handler runs straight through the run kept with it (CEvent::PreparedRun) unless events are traced.
void PerformFoundEvent(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type, int32_t subtype,
                       CEvent* handler, int32_t foundIn);
// PerformFoundEvent for `first`, as its own other, and then for each instance `next` hands (the walk
// checks each is of the same object and that the events' generation is unchanged, and sets what it
// sets before an event), the event set and nesting counted once for them all. False, running
// nothing, when the handler cannot run straight (not bytecode, or events traced).
bool Event_PerformStraightRuns(CEvent* handler, int32_t foundIn, int32_t type, int32_t subtype, CInstance* first,
                               VMNextInstance next, void* walk);
// Which instances of a walk get the event: asked once for each instance the walk reaches, in turn,
// just before its event would be performed (after the event of the one before), so it may change the
// instance as the alarm stage counts down its alarm, but runs no code (the interpreter may be between
// two runs of the walk). No test: every instance gets it.
struct EventWalkTest {
    bool (*wants)(CInstance* instance, const void* context) = nullptr;
    const void* context = nullptr;
    // The alarm stage's test, made by the walk itself without a call per instance: the alarm (0 to 11)
    // counted down at each instance, which wants those it brings to 0 (CInstance::CountDownAlarm); -1
    // for none. Asked instead of `wants`.
    int32_t alarm = -1;
};
// An EventWalkTest asking `wants(instance)`, which must outlive the walk.
template <typename Wants> EventWalkTest Event_WalkTest(const Wants& wants)
{
    return {[](CInstance* instance, const void* context) { return (*static_cast<const Wants*>(context))(instance); },
            &wants};
}
// Performs the event for every instance of the object's own list that the walk with `stamp` reaches
// (frame::ForEachOwn) and the test wants, each its own other. The handler is found once, and again
// whenever code changed events; an instance whose object changed meanwhile gets its own object's. A
// bytecode handler runs straight, its run prepared once, unless events are traced.
void Event_WalkObject(int32_t objectIndex, int32_t type, int32_t subtype, uint64_t stamp, EventWalkTest test = {});
// PerformEvent with the instance's own object; nothing for no instance.
void Perform_Event(CInstance* instance, CInstance* other, int32_t type, int32_t subtype);
// Performs the event on every instance of the current room that is neither marked nor deactivated,
// each being its own other; instances the walk reaches after they were created get it too.
void Perform_Event_All(int32_t type, int32_t subtype);
// Runs a time-line moment's code (not counted in the nesting); its trace line names the instance's
// object, type 100000 and the moment's time.
void Perform_TimeLineMoment(CInstance* self, CInstance* other, int32_t timeLine, int32_t moment);

// The KELVARO_TRACE file: one tab-separated line per performed event (frame, instance id, the name
// of the object the event was performed for, type, subtype). Closed at shut-down or when tests
// change the switch.
void EventTrace_Close();
