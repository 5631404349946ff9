// Run_DoFrame and the list updates between its stages, with the stages of steps, alarms, keyboard,
// mouse and joysticks. Motion, boundaries, the asynchronous stage, collisions and time lines are in
// Run_FrameStages.cpp.
#include "run/Run_Frame.h"

#include <utility>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Numbers.h"
#include "code/Code_ErrorSources.h"
#include "debug/Debug_Form.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_StartupServices.h"
#include "graphics/Graphics_Profiler.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"
#include "io/IO_Main.h"
#include "networking/Networking_Manager.h"
#include "object/Object_Lists.h"
#include "particle/Particle_System.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "room/Room_Draw.h"
#include "run/Run_Event.h"
#include "run/Run_FrameParts.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "run/Run_Layer.h"
#include "run/Run_Window.h"
#include "steam/Steam_Layer.h"

uint8_t g_InstanceActivationChanged = 0;
int32_t g_FrameMouseX = 0;
int32_t g_FrameMouseY = 0;
int32_t g_FrameMousePreviousX = 0;
int32_t g_FrameMousePreviousY = 0;

namespace {

// Profiler bar colours (red in the low byte).
constexpr uint32_t BAR_IO = 0x00FFFFu;
constexpr uint32_t BAR_UPDATE = 0x00FF00u;
constexpr uint32_t BAR_DRAW = 0xFF0000u;
constexpr uint32_t BAR_SCROLL = 0xFF00FFu;

constexpr int32_t KEY_FIRST = 8;
constexpr int32_t KEY_LAST = 255;
constexpr int32_t KEY_ANY = 1;
constexpr int32_t KEY_NONE = 0;
constexpr int32_t MOUSE_NO_BUTTON = 3;
constexpr int32_t MOUSE_ENTER = 10;
constexpr int32_t MOUSE_LEAVE = 11;
constexpr int32_t MOUSE_GLOBAL_PRESSED = 12;
constexpr int32_t MOUSE_GLOBAL_RELEASED = 13;
constexpr int32_t MOUSE_WHEEL_UP = 60;
constexpr int32_t MOUSE_WHEEL_DOWN = 61;
constexpr int32_t EVENT_ANIMATION_END = 7;

// Facts of the animation pass that later stages need.
struct RoomFacts {
    bool anyTimeLine = false;
    bool anyPath = false;
};

// Previous positions, animation and the animation-end event, over the whole room list. Without an
// object handling animation end (RaiseAnimationEnd false) no code runs in this pass, so none can
// come to handle it, and the walk has no event to test for.
template <bool RaiseAnimationEnd> RoomFacts AnimationWalk(CInstanceList* list)
{
    RoomFacts facts;
    // Neighbours mostly show one sprite: its frame count is looked up again only when the sprite
    // differs, or after an event ran code that could change sprites.
    bool countKnown = false;
    int32_t countedSprite = 0, frames = 0;
    float framesAsIndex = 0.0f;
    for (CInstance* instance = list->m_pHead; instance != nullptr;) {
        CInstance* next = instance->m_pNext;
        frame::PrefetchByStride(instance, next);
        instance->i_xprevious = instance->i_x;
        instance->i_yprevious = instance->i_y;
        instance->i_pathpositionprevious = instance->i_pathposition;
        instance->i_imageindex =
            static_cast<float>(static_cast<double>(instance->i_imageindex) + instance->i_imagespeed);
        if (!countKnown || instance->i_spriteindex != countedSprite) {
            countedSprite = instance->i_spriteindex;
            frames = Instance_SpriteFrameCount(countedSprite);
            framesAsIndex = static_cast<float>(frames);
            countKnown = true;
        }
        if (Numbers_TruncFloatToInt32(instance->i_imageindex) >= frames) {
            instance->i_imageindex -= framesAsIndex;
            if constexpr (RaiseAnimationEnd) {
                Perform_Event(instance, instance, EVENT_OTHER, EVENT_ANIMATION_END);
                countKnown = false;
            }
        }
        // Tested one by one: gathered into an or and an and over the list, they made this loop,
        // which waits on each instance's lines, measurably slower.
        if (instance->i_timelinerunning != 0) facts.anyTimeLine = true;
        if (instance->i_pathindex >= 0) facts.anyPath = true;
        instance = next;
    }
    return facts;
}

RoomFacts AnimationPass()
{
    CInstanceList* list = Room_CurrentActiveList();
    if (list == nullptr) return {};
    if (ObjectLists_Count(EVENT_OTHER, EVENT_ANIMATION_END) > 0) return AnimationWalk<true>(list);
    return AnimationWalk<false>(list);
}

// The list update after a stage; true when the frame must end here.
bool EndOfStage()
{
    Run_UpdateInstanceLists();
    return g_RunRequest != RUN_REQUEST_NONE;
}

// Steps 5 to 20: the stages that run the game's events; false when a run request ended them.
bool UpdateStages()
{
    RoomFacts facts = AnimationPass();
    Run_StepEvent(EVENT_STEP_BEGIN);
    if (EndOfStage()) return false;
    Network_ProcessSockets();
    Steam_Process();
    if (EndOfStage()) return false;
    if (facts.anyTimeLine) {
        Run_TimeLineStage();
        if (EndOfStage()) return false;
    }
    Run_AlarmStage();
    if (EndOfStage()) return false;
    Run_KeyboardStage();
    if (EndOfStage()) return false;
    Run_JoystickStage();
    if (EndOfStage()) return false;
    Run_MouseStage();
    if (EndOfStage()) return false;
    Run_StepEvent(EVENT_STEP_NORMAL);
    if (EndOfStage()) return false;
    bool stepped = Run_Motion(facts.anyPath);
    if (EndOfStage()) return false;
    Run_BoundaryStage();
    if (EndOfStage()) return false;
    Run_AsyncStage();
    if (EndOfStage()) return false;
    if (!stepped) {
        Run_CollisionStage();
        if (EndOfStage()) return false;
    }
    Run_StepEvent(EVENT_STEP_END);
    if (EndOfStage()) return false;
    ParticleSystem_UpdateAll();
    return true;
}

void DrawAndScroll()
{
    Profiler_Begin(BAR_DRAW, "Draw");
    CRoom* room = Run_CurrentRoom();
    if (room != nullptr) room->RemoveDeleted();
    if (g_DrawEventEnabled != 0) {
        Room_Draw();
        Run_UpdateInstanceLists();
    }
    Profiler_End();
    Profiler_Begin(BAR_SCROLL, "Scroll");
    room = Run_CurrentRoom();
    if (room != nullptr) room->ScrollBackgrounds();
    Run_UpdateInstanceLists();
}

} // namespace

void Run_DoFrame()
{
    Run_UpdateDeltaTime();
    Run_ApplyQueuedLoad();
    Profiler_Begin(BAR_IO, "IO&Wexo");
    IO_StartStep();
    Wexo_FunctionsStep();
    Profiler_End();
    if (g_GameOptions.freezeWhenInactive && g_WindowHasFocus == 0) return;

    Profiler_Begin(BAR_UPDATE, "Update");
    bool finished = UpdateStages();
    Profiler_End();
    if (!finished) return;

    DrawAndScroll();
    ++g_RoomFrameCounter;
    if (g_DebugMode != 0 && g_pDebugForm != nullptr) DebugForm_UpdateStats(g_pDebugForm);
    Profiler_End();
}

// ---- the change lists ----------------------------------------------------------------------------

namespace {

void ApplyObjectChanges()
{
    CInstanceList* list = Room_CurrentActiveList();
    for (int32_t i = 0; i < g_InstanceObjectChanges.count; ++i)
        g_InstanceObjectChanges.items[i]->Relink(list);
    g_InstanceObjectChanges.Clear();
}

// Each instance is re-sorted in the list that holds it, when that list is kept by depth and the
// instance stays active; one waiting to be reactivated gets its place when it moves. All are
// unlinked first, so that each re-insertion sees the others at their new depths only once they
// are back.
void ApplyDepthChanges()
{
    InstanceChangeList& changes = g_InstanceDepthChanges;
    std::vector<std::pair<CInstanceList*, CInstance*>> moved;
    for (int32_t i = 0; i < changes.count; ++i) {
        CInstance* instance = changes.items[i];
        CInstanceList* list = instance->m_pList;
        if (instance->i_deactivated == 0 && list != nullptr && list->m_ByDepth && list->Remove(instance))
            moved.emplace_back(list, instance);
    }
    for (auto& [list, instance] : moved)
        list->AddByDepth(instance);
    changes.Clear();
}

} // namespace

void Run_UpdateInstanceLists()
{
    if (g_InstanceObjectChanges.count > 0) ApplyObjectChanges();
    if (g_InstanceDepthChanges.count > 0) ApplyDepthChanges();
    if (g_InstanceActivationChanged != 0) {
        CRoom* room = Run_CurrentRoom();
        if (room != nullptr) room->UpdateActivation();
        g_InstanceActivationChanged = 0;
    }
}

void Run_EmptyChangeLists()
{
    g_InstanceObjectChanges.Clear();
    g_InstanceDepthChanges.Clear();
    g_InstanceActivationChanged = 0;
}

// ---- dispatch ------------------------------------------------------------------------------------

void frame::WalkListed(int32_t type, int32_t subtype, uint64_t stamp, EventWalkTest test)
{
    for (int32_t i = 0; i < ObjectLists_Count(type, subtype); ++i)
        Event_WalkObject(ObjectLists_Objects(type, subtype)[i], type, subtype, stamp, test);
}

void frame::Raise(int32_t type, int32_t subtype)
{
    WalkListed(type, subtype, TakeStamp());
}

bool frame::HasShape(const CInstance* instance)
{
    InstanceSpriteShape shape;
    IInstanceSprites* sprites = Instance_Sprites();
    return sprites->Shape(instance->i_spriteindex, &shape) || sprites->Shape(instance->i_maskindex, &shape);
}

void Run_StepEvent(int32_t subtype)
{
    frame::Raise(EVENT_STEP, subtype);
}

void Run_AlarmStage()
{
    uint64_t stamp = frame::TakeStamp();
    // Each set alarm counts down as the walk reaches it, and fires at 0.
    for (int32_t alarm = 0; alarm < INSTANCE_ALARM_COUNT; ++alarm) {
        EventWalkTest due;
        due.alarm = alarm;
        frame::WalkListed(EVENT_ALARM, alarm, stamp, due);
    }
}

void Run_KeyboardEvent(int32_t subtype)
{
    frame::Raise(EVENT_KEYBOARD, subtype);
}

void Run_KeyPressEvent(int32_t subtype)
{
    frame::Raise(EVENT_KEYPRESS, subtype);
}

void Run_KeyReleaseEvent(int32_t subtype)
{
    frame::Raise(EVENT_KEYRELEASE, subtype);
}

void Run_KeyboardStage()
{
    bool held = false, pressed = false, released = false;
    for (int32_t key = KEY_FIRST; key <= KEY_LAST; ++key) {
        if (IO_Key_Down(key) || IO_Key_Pressed(key)) {
            Run_KeyboardEvent(key);
            held = true;
        }
        if (IO_Key_Pressed(key)) {
            Run_KeyPressEvent(key);
            pressed = true;
        }
        if (IO_Key_Released(key)) {
            Run_KeyReleaseEvent(key);
            released = true;
        }
    }
    Run_KeyboardEvent(held ? KEY_ANY : KEY_NONE);
    Run_KeyPressEvent(pressed ? KEY_ANY : KEY_NONE);
    Run_KeyReleaseEvent(released ? KEY_ANY : KEY_NONE);
}

// ---- mouse ---------------------------------------------------------------------------------------

namespace {

// The mouse event to the instances of the listed objects the test wants, one stamp per object as
// the mouse raises take it.
void WalkListedPerObject(int32_t subtype, EventWalkTest test = {})
{
    // Read afresh at each step: an event may rebuild the lists.
    for (int32_t i = 0; i < ObjectLists_Count(EVENT_MOUSE, subtype); ++i)
        Event_WalkObject(ObjectLists_Objects(EVENT_MOUSE, subtype)[i], EVENT_MOUSE, subtype, frame::TakeStamp(), test);
}

bool Covers(CInstance* instance, int32_t x, int32_t y)
{
    return instance->CollisionPoint(static_cast<float>(x), static_cast<float>(y), 1);
}

} // namespace

void Run_MouseGlobalEvent(int32_t subtype)
{
    WalkListedPerObject(subtype);
}

void Run_MouseLocalEvent(int32_t subtype)
{
    auto under = [](CInstance* instance) { return Covers(instance, g_FrameMouseX, g_FrameMouseY); };
    WalkListedPerObject(subtype, Event_WalkTest(under));
}

void Run_MouseEnterLeave()
{
    auto entered = [](CInstance* instance) {
        return Covers(instance, g_FrameMouseX, g_FrameMouseY) &&
               !Covers(instance, g_FrameMousePreviousX, g_FrameMousePreviousY);
    };
    WalkListedPerObject(MOUSE_ENTER, Event_WalkTest(entered));
    auto left = [](CInstance* instance) {
        return Covers(instance, g_FrameMousePreviousX, g_FrameMousePreviousY) &&
               !Covers(instance, g_FrameMouseX, g_FrameMouseY);
    };
    WalkListedPerObject(MOUSE_LEAVE, Event_WalkTest(left));
}

void Run_MouseStage()
{
    g_FrameMousePreviousX = g_FrameMouseX;
    g_FrameMousePreviousY = g_FrameMouseY;
    g_FrameMouseX = GR_Window_GetMouseX(0);
    g_FrameMouseY = GR_Window_GetMouseY(0);
    bool anyButton = false;
    for (int32_t b = 1; b <= 3; ++b) {
        if (!IO_Button_Down(b, 0) && !IO_Button_Pressed(b, 0)) continue;
        anyButton = true;
        Run_MouseLocalEvent(b - 1);
        Run_MouseGlobalEvent(49 + b);
    }
    if (!anyButton) Run_MouseLocalEvent(MOUSE_NO_BUTTON);
    for (int32_t b = 1; b <= 3; ++b) {
        if (!IO_Button_Pressed(b, 0)) continue;
        Run_MouseLocalEvent(b + 3);
        Run_MouseGlobalEvent(MOUSE_GLOBAL_PRESSED);
        Run_MouseGlobalEvent(52 + b);
    }
    for (int32_t b = 1; b <= 3; ++b) {
        if (!IO_Button_Released(b, 0)) continue;
        Run_MouseLocalEvent(b + 6);
        Run_MouseGlobalEvent(MOUSE_GLOBAL_RELEASED);
        Run_MouseGlobalEvent(55 + b);
    }
    Run_MouseEnterLeave();
    if (IO_Wheel_Up(0)) Run_MouseGlobalEvent(MOUSE_WHEEL_UP);
    if (IO_Wheel_Down(0)) Run_MouseGlobalEvent(MOUSE_WHEEL_DOWN);
}

// ---- joysticks -----------------------------------------------------------------------------------

namespace {

constexpr uint32_t JOYSTICK_LOW = 20000;
constexpr uint32_t JOYSTICK_HIGH = 44000;
constexpr int32_t JOYSTICK_BUTTONS = 8;
constexpr int32_t JOYSTICK_BASE[2] = {16, 31};

RunJoystickReader g_JoystickReader = nullptr;

// Joystick events are mouse-type events without a position: a global raise.
void RaiseJoystick(int32_t subtype)
{
    Run_MouseGlobalEvent(subtype);
}

} // namespace

void Run_SetJoystickReader(RunJoystickReader reader)
{
    g_JoystickReader = reader;
}

void Run_JoystickStage()
{
    RunJoystickReader read = g_JoystickReader != nullptr ? g_JoystickReader : Run_ReadJoystick;
    for (int32_t joystick = 0; joystick < 2; ++joystick) {
        RunJoystickState state;
        if (!read(joystick, &state)) continue;
        int32_t base = JOYSTICK_BASE[joystick];
        if (state.x < JOYSTICK_LOW) RaiseJoystick(base);
        if (state.x > JOYSTICK_HIGH) RaiseJoystick(base + 1);
        if (state.y < JOYSTICK_LOW) RaiseJoystick(base + 2);
        if (state.y > JOYSTICK_HIGH) RaiseJoystick(base + 3);
        for (int32_t n = 1; n <= JOYSTICK_BUTTONS; ++n)
            if ((state.buttons & (1u << (n - 1))) != 0) RaiseJoystick(base + 4 + n);
    }
}
