// The XInput-shaped gamepad back end over SDL2 game controllers (SDL's own mapping database and the
// player's SDL_GAMECONTROLLERCONFIG). Four user slots; a slot without a controller claims, when it is
// asked, the first controller that no slot holds. Headless runs see only SDL's virtual devices, so
// the machine's own pads never reach a test.
#include <SDL.h>

#include "io/IO_Gamepad.h"
#include "platform/Platform_TestSwitches.h"

namespace {

// Rumble is sent at every poll; it lasts a little longer than a frame so that it does not stutter.
constexpr Uint32 RUMBLE_MS = 100;

SDL_GameController* g_Slots[GAMEPAD_COUNT] = {};

bool HeldByASlot(SDL_JoystickID id)
{
    for (SDL_GameController* controller : g_Slots)
        if (controller != nullptr && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)) == id)
            return true;
    return false;
}

SDL_GameController* ClaimFree()
{
    bool headless = TestSwitches_Get().headless;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_IsGameController(i) != SDL_TRUE) continue;
        if (headless && SDL_JoystickIsVirtual(i) != SDL_TRUE) continue;
        if (HeldByASlot(SDL_JoystickGetDeviceInstanceID(i))) continue;
        return SDL_GameControllerOpen(i);
    }
    return nullptr;
}

// The slot's controller, claimed when missing; null (slot released) when it was unplugged.
SDL_GameController* Slot(int32_t user)
{
    if (user < 0 || user >= GAMEPAD_COUNT) return nullptr;
    SDL_GameController*& controller = g_Slots[user];
    if (controller != nullptr && SDL_GameControllerGetAttached(controller) != SDL_TRUE) {
        SDL_GameControllerClose(controller);
        controller = nullptr;
        return nullptr;
    }
    if (controller == nullptr) controller = ClaimFree();
    return controller;
}

bool Pressed(SDL_GameController* controller, SDL_GameControllerButton button)
{
    return SDL_GameControllerGetButton(controller, button) != 0;
}

int16_t Axis(SDL_GameController* controller, SDL_GameControllerAxis axis)
{
    return SDL_GameControllerGetAxis(controller, axis);
}

// SDL's y axes grow downwards; negated, -32768 has no opposite and stops at 32767.
int16_t Upwards(int16_t value)
{
    return value == INT16_MIN ? INT16_MAX : static_cast<int16_t>(-value);
}

uint8_t TriggerByte(int16_t value)
{
    return static_cast<uint8_t>(value < 0 ? 0 : value >> 7);
}

// SDL buttons by XInput bit.
const SDL_GameControllerButton BUTTON_BITS[GAMEPAD_BUTTONS] = {
    SDL_CONTROLLER_BUTTON_DPAD_UP,       SDL_CONTROLLER_BUTTON_DPAD_DOWN,     SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT,    SDL_CONTROLLER_BUTTON_START,         SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,     SDL_CONTROLLER_BUTTON_RIGHTSTICK,    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_INVALID,       SDL_CONTROLLER_BUTTON_INVALID,
    SDL_CONTROLLER_BUTTON_A,             SDL_CONTROLLER_BUTTON_B,             SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
};

uint8_t SubType(SDL_JoystickType type)
{
    switch (type) {
    case SDL_JOYSTICK_TYPE_GAMECONTROLLER: return 1;
    case SDL_JOYSTICK_TYPE_WHEEL: return 2;
    case SDL_JOYSTICK_TYPE_ARCADE_STICK: return 3;
    case SDL_JOYSTICK_TYPE_FLIGHT_STICK: return 4;
    case SDL_JOYSTICK_TYPE_DANCE_PAD: return 5;
    case SDL_JOYSTICK_TYPE_GUITAR: return 6;
    case SDL_JOYSTICK_TYPE_DRUM_KIT: return 8;
    default: return 0;
    }
}

} // namespace

bool XInput_Load()
{
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0) return true;
    return SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void XInput_Unload()
{
    for (SDL_GameController*& controller : g_Slots) {
        if (controller != nullptr) SDL_GameControllerClose(controller);
        controller = nullptr;
    }
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void XInput_Update()
{
    SDL_GameControllerUpdate();
}

bool XInput_GetState(int32_t user, XInputPadState* state)
{
    SDL_GameController* controller = Slot(user);
    if (controller == nullptr) return false;
    *state = XInputPadState{};
    for (int32_t bit = 0; bit < GAMEPAD_BUTTONS; ++bit)
        if (BUTTON_BITS[bit] != SDL_CONTROLLER_BUTTON_INVALID && Pressed(controller, BUTTON_BITS[bit]))
            state->buttons |= static_cast<uint16_t>(1u << bit);
    state->leftTrigger = TriggerByte(Axis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    state->rightTrigger = TriggerByte(Axis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    state->thumbLX = Axis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    state->thumbLY = Upwards(Axis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    state->thumbRX = Axis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
    state->thumbRY = Upwards(Axis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
    return true;
}

bool XInput_GetCapabilities(int32_t user, uint8_t* subType)
{
    SDL_GameController* controller = Slot(user);
    if (controller == nullptr) return false;
    *subType = SubType(SDL_JoystickGetType(SDL_GameControllerGetJoystick(controller)));
    return true;
}

void XInput_SetState(int32_t user, uint16_t leftMotor, uint16_t rightMotor)
{
    if (user < 0 || user >= GAMEPAD_COUNT || g_Slots[user] == nullptr) return;
    SDL_GameControllerRumble(g_Slots[user], leftMotor, rightMotor, RUMBLE_MS);
}
