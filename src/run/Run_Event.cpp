#include "run/Run_Event.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "app/App_CommandLine.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "function/Function_Families.h"
#include "instance/Instance_Class.h"
#include "object/Object_Class.h"
#include "object/Object_Event.h"
#include "object/Object_Table.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_FrameParts.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "timeline/Timeline_Table.h"
#include "variable/Variable_Access.h"

int32_t g_CurrentEventObject = 0;
int32_t g_CurrentEventType = 0;
int32_t g_CurrentEventNumber = 0;
int32_t g_CurrentActionNumber = 0;
int32_t g_EventDepth = 0;

namespace {

const char* const DEPTH_FAILURE =
    "PerformEvent recursion depth failure - check for infinite loops, check objects for parenting";

// ---- the event trace -----------------------------------------------------------------------------

std::FILE* g_TraceFile = nullptr;
std::string g_TracePath;

// Whether a trace is asked for now or was written before (TraceFile then has work to do).
bool TraceWanted()
{
    return !TestSwitches_Get().traceFile.empty() || !g_TracePath.empty();
}

std::FILE* TraceFile()
{
    const std::string& wanted = TestSwitches_Get().traceFile;
    // Asked for every event: the usual case, no trace before or now, compares no strings.
    if (wanted.empty() && g_TracePath.empty()) return nullptr;
    if (wanted != g_TracePath) {
        EventTrace_Close();
        g_TracePath = wanted;
        if (!wanted.empty()) g_TraceFile = std::fopen(wanted.c_str(), "w");
    }
    return g_TraceFile;
}

void Trace(CInstance* self, int32_t objectIndex, int32_t type, int32_t subtype)
{
    std::FILE* file = TraceFile();
    if (file == nullptr) return;
    std::fprintf(file, "%" PRId64 "\t%d\t%s\t%d\t%d\n", Run_FramesRun(), self != nullptr ? self->GetId() : -4,
                 Object_Name(objectIndex), type, subtype);
    // Tests read the file while the game may still run, or after it ended without shut-down.
    std::fflush(file);
}

// ---- the current event ---------------------------------------------------------------------------

void SetCurrentEvent(int32_t object, int32_t type, int32_t number)
{
    g_CurrentEventObject = object;
    g_CurrentEventType = type;
    g_CurrentEventNumber = number;
}

struct SavedEvent {
    int32_t object = g_CurrentEventObject;
    int32_t type = g_CurrentEventType;
    int32_t number = g_CurrentEventNumber;

    void Restore() const { SetCurrentEvent(object, type, number); }
};

struct AllWalk {
    int32_t type;
    int32_t subtype;
};

bool PerformOnInstance(CInstance* instance, void* context)
{
    const AllWalk* walk = static_cast<const AllWalk*>(context);
    if (!instance->IsMarked() && !instance->IsDeactivated())
        PerformEvent(instance, instance, instance->GetObjectIndex(), walk->type, walk->subtype);
    return true;
}

} // namespace

void EventTrace_Close()
{
    if (g_TraceFile != nullptr) std::fclose(g_TraceFile);
    g_TraceFile = nullptr;
    g_TracePath.clear();
}

CEvent* Event_FindHandler(int32_t objectIndex, int32_t type, int32_t subtype, int32_t* foundIn)
{
    return Object_FindHandlerCached(objectIndex, type, subtype, foundIn);
}

// Counts an event in: false (after the error) when nesting is too deep.
bool EnterEvent()
{
    if (++g_EventDepth <= EVENT_DEPTH_LIMIT) return true;
    Error_Show_Action(DEPTH_FAILURE, true);
    --g_EventDepth;
    return false;
}

namespace {

// The handler's kept run when its event may go straight to the interpreter: bytecode runs and no
// trace is written (a traced event goes the general way, which writes its line). Null otherwise.
VMPreparedRun* StraightRun(CEvent* handler)
{
    return g_UseBytecode != 0 && !TraceWanted() ? handler->PreparedRun() : nullptr;
}

// What CEvent::Execute and the layers below it do around a bytecode program, without them: an event
// performed for one instance (an instance made or destroyed, an alarm, a draw) pays for them each time.
void RunStraight(VMPreparedRun* run, CInstance* self, CInstance* other)
{
    uint8_t relative = Action_Relative;
    Action_Relative = 0;
    g_CodeErrorFlag = false;
    VM_ExecPrepared(run, self, other, nullptr); // the interpreter reports its own errors
    Action_Relative = relative;
}

// PerformFoundEvent's work, in the two callers: an event performed on one instance from code (an
// instance made or destroyed) pays for no call between them.
[[gnu::always_inline]] inline void PerformHandler(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type,
                                                  int32_t subtype, CEvent* handler, int32_t foundIn)
{
    if (!EnterEvent()) return;
    SavedEvent saved;
    SetCurrentEvent(foundIn, type, subtype);
    if (VMPreparedRun* run = StraightRun(handler)) {
        RunStraight(run, self, other);
    } else {
        Trace(self, objectIndex, type, subtype);
        handler->Execute(self, other);
    }
    --g_EventDepth;
    saved.Restore();
}

} // namespace

void PerformFoundEvent(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type, int32_t subtype,
                       CEvent* handler, int32_t foundIn)
{
    if (g_RunRequest == RUN_REQUEST_NONE) PerformHandler(self, other, objectIndex, type, subtype, handler, foundIn);
}

void PerformEvent(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type, int32_t subtype)
{
    if (g_RunRequest != RUN_REQUEST_NONE) return;
    int32_t foundIn = objectIndex;
    CEvent* handler = Event_FindHandler(objectIndex, type, subtype, &foundIn);
    if (handler != nullptr) PerformHandler(self, other, objectIndex, type, subtype, handler, foundIn);
}

bool Event_PerformStraightRuns(CEvent* handler, int32_t foundIn, int32_t type, int32_t subtype, CInstance* first,
                               VMNextInstance next, void* walk)
{
    VMPreparedRun* run = StraightRun(handler);
    if (run == nullptr) return false;
    if (g_RunRequest != RUN_REQUEST_NONE || !EnterEvent()) return true;
    SavedEvent saved;
    SetCurrentEvent(foundIn, type, subtype);
    RunStraight(run, first, first);
    if (g_RunRequest == RUN_REQUEST_NONE) {
        uint8_t relative = Action_Relative;
        VM_ExecPreparedEach(run, next, walk);
        Action_Relative = relative;
    }
    --g_EventDepth;
    saved.Restore();
    return true;
}

namespace {

// A walk over an object's own instances (frame::OwnInstances) with the handler of the walk's object
// found once, run through the handler's kept run when it may go straight to the interpreter
// (StraightRun).
class WalkedEvent {
public:
    WalkedEvent(int32_t objectIndex, int32_t type, int32_t subtype, uint64_t stamp, EventWalkTest test)
        : m_ObjectIndex(objectIndex), m_Type(type), m_Subtype(subtype), m_Own(objectIndex, stamp), m_Test(test)
    {
    }
    ~WalkedEvent() { Leave(); }
    WalkedEvent(const WalkedEvent&) = delete;
    WalkedEvent& operator=(const WalkedEvent&) = delete;

    // The instance held back by NextStraight, else the next eligible one; null at the walk's end.
    CInstance* Take()
    {
        CInstance* held = m_Held;
        m_Held = nullptr;
        return held != nullptr ? held : NextWanted();
    }

    // The instance's event the general way: as its own object's when it became another's, with the
    // handler found again when handlers changed.
    void PerformHere(CInstance* instance)
    {
        if (instance->GetObjectIndex() != m_ObjectIndex) {
            Leave();
            Perform_Event(instance, instance, m_Type, m_Subtype);
            return;
        }
        if (m_Generation != g_EventsGeneration) {
            m_Generation = g_EventsGeneration;
            Find();
        }
        Perform(instance);
    }

    // The instances after one performed straight run straight too, as long as nothing changes that:
    // the interpreter runs them in a loop of its own (VM_ExecPreparedEach), which they are handed by
    // NextStraight.
    void PerformStraightOnes()
    {
        if (m_Run == nullptr || !m_Entered) return;
        VMNextInstance next = m_Test.alarm >= 0      ? NextStraight<WalkWants::Alarm>
                              : m_Test.wants != nullptr ? NextStraight<WalkWants::Tested>
                                                        : NextStraight<WalkWants::All>;
        VM_ExecPreparedEach(m_Run, next, this);
    }

private:
    // Which instances the walk's test wants, known once for its straight runs, which ask at each one.
    enum class WalkWants : uint8_t { All, Alarm, Tested };

    // The next eligible instance the test wants; null at the walk's end.
    template <WalkWants WANTS> CInstance* NextWantedAs()
    {
        CInstance* instance = m_Own.Next();
        if constexpr (WANTS == WalkWants::Alarm) {
            while (instance != nullptr && !instance->CountDownAlarm(m_Test.alarm)) instance = m_Own.Next();
        } else if constexpr (WANTS == WalkWants::Tested) {
            while (instance != nullptr && !m_Test.wants(instance, m_Test.context)) instance = m_Own.Next();
        }
        return instance;
    }

    CInstance* NextWanted()
    {
        if (m_Test.alarm >= 0) return NextWantedAs<WalkWants::Alarm>();
        return m_Test.wants != nullptr ? NextWantedAs<WalkWants::Tested>() : NextWantedAs<WalkWants::All>();
    }

    // The next wanted instance when it runs straight from the prepared run, its flags cleared as
    // Perform clears them (the walk's event stays set: only PerformHere leaves it); otherwise it is
    // held back for PerformHere, and the loop ends. A handler's code changes only with the events'
    // generation (CEvent::SetCode and FreeCode), so the generation alone says the run is still its.
    template <WalkWants WANTS> static CInstance* NextStraight(void* walk)
    {
        WalkedEvent& walked = *static_cast<WalkedEvent*>(walk);
        CInstance* instance = walked.NextWantedAs<WANTS>();
        if (instance == nullptr) return nullptr;
        if (instance->GetObjectIndex() != walked.m_ObjectIndex || walked.m_Generation != g_EventsGeneration ||
            g_RunRequest != RUN_REQUEST_NONE) {
            walked.m_Held = instance;
            return nullptr;
        }
        Action_Relative = 0;
        g_CodeErrorFlag = false;
        return instance;
    }

    void Find()
    {
        Leave(); // the handler found may lie in another object
        m_FoundIn = m_ObjectIndex;
        m_Handler = Event_FindHandler(m_ObjectIndex, m_Type, m_Subtype, &m_FoundIn);
        m_Code = m_Handler != nullptr ? m_Handler->m_pCode : nullptr;
        m_Run = m_Handler != nullptr ? StraightRun(m_Handler) : nullptr;
    }

    // PerformFoundEvent for the instance as its own other, without the layers between it and the
    // interpreter when the run is prepared: in a walk over many instances they cost more than a short
    // handler. What they do is done here: the current event, the nesting count, the relative flag
    // cleared for the code and the error flag. Every event restores the current event, the nesting
    // count and the relative flag it found, so the walk's own are set once for its straight runs in a
    // row (Enter) and the ones it found put back only before anything else runs (Leave).
    void Perform(CInstance* instance)
    {
        if (m_Run == nullptr || m_Handler->m_pCode != m_Code) {
            if (m_Handler == nullptr) return;
            Leave();
            PerformFoundEvent(instance, instance, m_ObjectIndex, m_Type, m_Subtype, m_Handler, m_FoundIn);
            return;
        }
        if (g_RunRequest != RUN_REQUEST_NONE) return;
        if (!m_Entered && !Enter()) return;
        Action_Relative = 0;
        g_CodeErrorFlag = false;
        VM_ExecPrepared(m_Run, instance, instance, nullptr); // the interpreter reports its own errors
    }

    // The walk's event and nesting count, as PerformFoundEvent sets them; false (after the error) when
    // nesting is too deep.
    bool Enter()
    {
        if (!EnterEvent()) return false;
        SetCurrentEvent(m_FoundIn, m_Type, m_Subtype);
        m_Entered = true;
        return true;
    }

    // What the walk found, as every event leaves it: before another event of the walk and at its end.
    void Leave()
    {
        if (!m_Entered) return;
        m_Entered = false;
        Action_Relative = m_OuterRelative;
        --g_EventDepth;
        m_Outer.Restore();
    }

    int32_t m_ObjectIndex;
    int32_t m_Type;
    int32_t m_Subtype;
    frame::OwnInstances m_Own;
    EventWalkTest m_Test;
    CInstance* m_Held = nullptr;
    uint32_t m_Generation = g_EventsGeneration - 1; // found at the first instance
    SavedEvent m_Outer;
    uint8_t m_OuterRelative = Action_Relative;
    bool m_Entered = false;
    int32_t m_FoundIn = 0;
    CEvent* m_Handler = nullptr;
    CCode* m_Code = nullptr;
    VMPreparedRun* m_Run = nullptr; // the handler's own, kept with its code
};

} // namespace

void Event_WalkObject(int32_t objectIndex, int32_t type, int32_t subtype, uint64_t stamp, EventWalkTest test)
{
    WalkedEvent walked(objectIndex, type, subtype, stamp, test);
    while (CInstance* instance = walked.Take()) {
        walked.PerformHere(instance);
        walked.PerformStraightOnes();
    }
}

void Perform_Event(CInstance* instance, CInstance* other, int32_t type, int32_t subtype)
{
    if (instance != nullptr) PerformEvent(instance, other, instance->GetObjectIndex(), type, subtype);
}

void Perform_Event_All(int32_t type, int32_t subtype)
{
    if (g_RunRequest != RUN_REQUEST_NONE) return;
    AllWalk walk{type, subtype};
    Variable_Instances()->VisitRoom(PerformOnInstance, &walk);
}

void Perform_TimeLineMoment(CInstance* self, CInstance* other, int32_t timeLine, int32_t moment)
{
    if (g_RunRequest != RUN_REQUEST_NONE) return;
    CTimeLine* line = TimeLine_Get(timeLine);
    CEvent* event = line != nullptr ? line->GetEvent(moment) : nullptr;
    if (event == nullptr) return;
    SavedEvent saved;
    int32_t time = line->GetMoment(moment);
    SetCurrentEvent(timeLine, EVENT_TYPE_TIMELINE, time);
    Trace(self, self != nullptr ? self->GetObjectIndex() : -1, EVENT_TYPE_TIMELINE, time);
    event->Execute(self, other);
    saved.Restore();
}
