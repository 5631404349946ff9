// The keyboard, mouse and joystick built-ins of the Interaction family: step checks of keys and
// mouse buttons, key remapping, clearing, live keys and num lock, simulated keys, the waits for a
// key or a button, and the joystick queries. They address mouse device 0 and joysticks 1 and 2.
#include <chrono>
#include <thread>

#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Interaction.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Device.h"
#include "io/IO_System.h"
#include "io/IO_Joystick.h"
#include "io/IO_Main.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_Window.h"

namespace {

constexpr int32_t KEY_NONE = 0;
constexpr int32_t KEY_ANY = 1;
constexpr int32_t BUTTON_ANY = -1;
constexpr int32_t BUTTON_NONE = 0;
constexpr int32_t NUM_LOCK = 144;
constexpr int32_t WAIT_MS = 50;

// ---- keyboard, step state -----------------------------------------------------------------------

using KeyTest = bool (*)(int32_t);

bool AnyKey(KeyTest test)
{
    for (int32_t key = 0; key < IO_KEY_COUNT; ++key)
        if (test(key)) return true;
    return false;
}

// Key 0: no key qualifies; key 1: some key does; 2 to 255: that key; anything else: no.
bool KeyRule(KeyTest test, int32_t key)
{
    if (key == KEY_NONE) return !AnyKey(test);
    if (key == KEY_ANY) return AnyKey(test);
    return key > KEY_ANY && key < IO_KEY_COUNT && test(key);
}

void Builtin_KeyboardCheck(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, KeyRule(IO_Key_Down, Arg_Int(args[0])));
}

void Builtin_KeyboardCheckPressed(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, KeyRule(IO_Key_Pressed, Arg_Int(args[0])));
}

void Builtin_KeyboardCheckReleased(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, KeyRule(IO_Key_Released, Arg_Int(args[0])));
}

void Builtin_KeyboardClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ProcessMessages();
    IO_Key_Clear(Arg_Int(args[0]));
}

void Builtin_KeyboardSetMap(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    IO_Key_SetMap(Arg_Int(args[0]), Arg_Int(args[1]));
}

void Builtin_KeyboardGetMap(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, IO_Key_Map(Arg_Int(args[0])));
}

void Builtin_KeyboardUnsetMap(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    IO_Key_ResetMap();
}

// Pumps messages every 50 ms until the raw value the window procedure sets is no longer 0. It also
// ends when the game is asked to stop, and a headless run pumps once and goes on.
void WaitFor(const int32_t& rawValue)
{
    GR_D3D_FinishPresent();
    ProcessMessages();
    bool headless = TestSwitches_Get().headless;
    while (rawValue == 0 && g_RunState != 0 && !headless) {
        std::this_thread::sleep_for(std::chrono::milliseconds(WAIT_MS));
        ProcessMessages();
    }
}

void Builtin_KeyboardWait(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    IO_SetLastKey(0);
    WaitFor(IO_RawLastKey);
}

void Builtin_IoClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    ProcessMessages();
    IO_Clear();
}

void Builtin_IoHandle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    ProcessMessages();
}

// ---- keyboard, live state -------------------------------------------------------------------------

void Builtin_KeyboardCheckDirect(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, IO_LiveKey_Check(Arg_Int(args[0])));
}

void Builtin_KeyboardGetNumlock(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, IO_LiveKey_NumLock());
}

void Builtin_KeyboardSetNumlock(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (IO_LiveKey_NumLockToggled() == Arg_Flag(args[0])) return;
    IO_Inject_Key(NUM_LOCK, true);
    IO_Inject_Key(NUM_LOCK, false);
}

void Builtin_KeyboardKeyPress(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    IO_Inject_Key(Arg_Int(args[0]), true);
}

void Builtin_KeyboardKeyRelease(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    IO_Inject_Key(Arg_Int(args[0]), false);
}

// ---- mouse ----------------------------------------------------------------------------------------

using ButtonTest = bool (*)(int32_t, int32_t);

bool ButtonRule(ButtonTest test, int32_t button, int32_t device)
{
    bool any = test(1, device) || test(2, device) || test(3, device);
    if (button == BUTTON_ANY) return any;
    if (button == BUTTON_NONE) return !any;
    return test(button, device);
}

void Builtin_MouseCheckButton(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Builtin_MouseButtonTest(Arg_Int(args[0]), 0));
}

void Builtin_MouseCheckButtonPressed(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Builtin_MouseButtonPressedTest(Arg_Int(args[0]), 0));
}

void Builtin_MouseCheckButtonReleased(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Builtin_MouseButtonReleasedTest(Arg_Int(args[0]), 0));
}

void Builtin_MouseWheelUp(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, IO_Wheel_Up(0));
}

void Builtin_MouseWheelDown(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, IO_Wheel_Down(0));
}

void Builtin_MouseClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ProcessMessages();
    IO_Button_Clear(Arg_Int(args[0]), 0);
}

void Builtin_MouseWait(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    // The setter refuses button 0, so the raw value is cleared here.
    IO_RawLastButton = 0;
    WaitFor(IO_RawLastButton);
}

bool g_DoubleClick = false;

void Builtin_DeviceMouseDbclickEnable(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc == 1 && Arg_IsReal(args[0])) g_DoubleClick = args[0].real > 0.5;
}

// ---- joysticks ------------------------------------------------------------------------------------

// Joystick 2 is device 1; any other number device 0.
int32_t JoystickDevice(const ScriptValue& value)
{
    return Arg_Real(value) == 2.0 ? 1 : 0;
}

bool Caps(const ScriptValue& value, JoystickCaps* caps)
{
    return Joystick_GetCaps(JoystickDevice(value), caps);
}

void Builtin_JoystickExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    JoystickPosition position;
    Result_Bool(result, Joystick_GetPosition(JoystickDevice(args[0]), &position));
}

void Builtin_JoystickName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    JoystickCaps caps;
    Result_Text(result, Caps(args[0], &caps) ? caps.name : "");
}

void Builtin_JoystickAxes(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    JoystickCaps caps;
    if (Caps(args[0], &caps)) Result_Real(result, caps.axisCount);
}

void Builtin_JoystickButtons(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    JoystickCaps caps;
    if (Caps(args[0], &caps)) Result_Real(result, caps.buttonCount);
}

// Only a point-of-view hat counts, not any other capability (a Z axis, say).
void Builtin_JoystickHasPov(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    JoystickCaps caps;
    if (Caps(args[0], &caps)) Result_Bool(result, (caps.flags & JOYSTICK_HAS_POV) != 0);
}

void Builtin_JoystickCheckButton(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t number = Arg_Int(args[1]);
    JoystickPosition position;
    if (number < 1 || number > 32 || !Joystick_GetPosition(JoystickDevice(args[0]), &position)) return;
    Result_Bool(result, (position.buttons >> (number - 1)) & 1u);
}

// An axis from 0 to 65535 as -1 to about 1.00003.
void AxisResult(ScriptValue* result, const ScriptValue& joystick, int32_t axis)
{
    JoystickPosition position;
    if (!Joystick_GetPosition(JoystickDevice(joystick), &position)) return;
    float raw = static_cast<float>(static_cast<int32_t>(position.axes[axis]));
    Result_Real(result, double(raw) / 32767.0 - 1.0);
}

void Builtin_JoystickXpos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    AxisResult(result, args[0], 0);
}

void Builtin_JoystickYpos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    AxisResult(result, args[0], 1);
}

void Builtin_JoystickZpos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    AxisResult(result, args[0], 2);
}

void Builtin_JoystickRpos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    AxisResult(result, args[0], 3);
}

void Builtin_JoystickUpos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    AxisResult(result, args[0], 4);
}

void Builtin_JoystickVpos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    AxisResult(result, args[0], 5);
}

void Builtin_JoystickPov(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1.0);
    JoystickPosition position;
    if (!Joystick_GetPosition(JoystickDevice(args[0]), &position)) return;
    double degrees = double(position.pov) / 100.0;
    if (degrees <= 360.0) Result_Real(result, degrees);
}

// The keypad key of the stick's direction: 97 to 99 bottom row, 100 to 102 middle, 103 to 105 top.
int32_t Direction(uint32_t x, uint32_t y)
{
    int32_t row = y < 20000 ? 6 : y > 44000 ? 0 : 3;
    int32_t column = x < 20000 ? 97 : x <= 44000 ? 98 : 99;
    return column + row;
}

void Builtin_JoystickDirection(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t device = Arg_Trunc(args[0]) == 2 ? 1 : 0;
    JoystickPosition position;
    bool read = Joystick_GetPosition(device, &position);
    Result_Real(result, read ? Direction(position.axes[0], position.axes[1]) : 101);
}

const FunctionRow INPUT_FUNCTIONS[] = {
    {"keyboard_check", Builtin_KeyboardCheck, 1},
    {"keyboard_check_pressed", Builtin_KeyboardCheckPressed, 1},
    {"keyboard_check_released", Builtin_KeyboardCheckReleased, 1},
    {"keyboard_clear", Builtin_KeyboardClear, 1},
    {"keyboard_set_map", Builtin_KeyboardSetMap, 2},
    {"keyboard_get_map", Builtin_KeyboardGetMap, 1},
    {"keyboard_unset_map", Builtin_KeyboardUnsetMap, 0},
    {"keyboard_wait", Builtin_KeyboardWait, 0},
    {"io_clear", Builtin_IoClear, 0},
    {"io_handle", Builtin_IoHandle, 0},
    {"keyboard_check_direct", Builtin_KeyboardCheckDirect, 1},
    {"keyboard_get_numlock", Builtin_KeyboardGetNumlock, 0},
    {"keyboard_set_numlock", Builtin_KeyboardSetNumlock, 1},
    {"keyboard_key_press", Builtin_KeyboardKeyPress, 1},
    {"keyboard_key_release", Builtin_KeyboardKeyRelease, 1},
    {"mouse_check_button", Builtin_MouseCheckButton, 1},
    {"mouse_check_button_pressed", Builtin_MouseCheckButtonPressed, 1},
    {"mouse_check_button_released", Builtin_MouseCheckButtonReleased, 1},
    {"mouse_wheel_up", Builtin_MouseWheelUp, 0},
    {"mouse_wheel_down", Builtin_MouseWheelDown, 0},
    {"mouse_clear", Builtin_MouseClear, 1},
    {"mouse_wait", Builtin_MouseWait, 0},
    {"device_mouse_dbclick_enable", Builtin_DeviceMouseDbclickEnable, 0},
    {"joystick_exists", Builtin_JoystickExists, 1},
    {"joystick_name", Builtin_JoystickName, 1},
    {"joystick_axes", Builtin_JoystickAxes, 1},
    {"joystick_buttons", Builtin_JoystickButtons, 1},
    {"joystick_has_pov", Builtin_JoystickHasPov, 1},
    {"joystick_check_button", Builtin_JoystickCheckButton, 2},
    {"joystick_xpos", Builtin_JoystickXpos, 1},
    {"joystick_ypos", Builtin_JoystickYpos, 1},
    {"joystick_zpos", Builtin_JoystickZpos, 1},
    {"joystick_rpos", Builtin_JoystickRpos, 1},
    {"joystick_upos", Builtin_JoystickUpos, 1},
    {"joystick_vpos", Builtin_JoystickVpos, 1},
    {"joystick_pov", Builtin_JoystickPov, 1},
    {"joystick_direction", Builtin_JoystickDirection, 1},
};

} // namespace

bool Builtin_MouseButtonTest(int32_t button, int32_t device)
{
    return ButtonRule(IO_Button_Down, button, device);
}

bool Builtin_MouseButtonPressedTest(int32_t button, int32_t device)
{
    return ButtonRule(IO_Button_Pressed, button, device);
}

bool Builtin_MouseButtonReleasedTest(int32_t button, int32_t device)
{
    return ButtonRule(IO_Button_Released, button, device);
}

void Function_InteractionInput_Register()
{
    Function_AddRows(INPUT_FUNCTIONS);
}
