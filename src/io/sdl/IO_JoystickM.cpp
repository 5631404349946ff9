// Joysticks over SDL2's joystick API. Device n is the n-th joystick SDL knows (in headless runs the
// n-th virtual one, so the machine's own devices never reach a test).
#include <SDL.h>

#include <cstdio>

#include "io/IO_Joystick.h"
#include "platform/Platform_TestSwitches.h"

namespace {

constexpr int32_t SLOTS = 2;
constexpr int32_t AXES = 6;
constexpr int32_t BUTTON_BITS = 32;

SDL_Joystick* g_Joysticks[SLOTS] = {nullptr, nullptr};

bool SubsystemReady()
{
    if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) return true;
    return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
}

// SDL's device index of joystick `slot`, or -1.
int DeviceIndex(int32_t slot)
{
    bool headless = TestSwitches_Get().headless;
    int seen = 0;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (headless && SDL_JoystickIsVirtual(i) != SDL_TRUE) continue;
        if (seen++ == slot) return i;
    }
    return -1;
}

// The open device of the slot, opened (again) when it is missing or was unplugged.
SDL_Joystick* Open(int32_t slot)
{
    if (slot < 0 || slot >= SLOTS || !SubsystemReady()) return nullptr;
    SDL_JoystickUpdate();
    SDL_Joystick*& device = g_Joysticks[slot];
    if (device != nullptr && SDL_JoystickGetAttached(device) == SDL_TRUE) return device;
    if (device != nullptr) SDL_JoystickClose(device);
    device = nullptr;
    int index = DeviceIndex(slot);
    if (index >= 0) device = SDL_JoystickOpen(index);
    return device;
}

uint32_t Pov(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return JOYSTICK_POV_CENTRED;
    }
}

} // namespace

bool Joystick_GetPosition(int32_t device, JoystickPosition* out)
{
    SDL_Joystick* joystick = Open(device);
    if (joystick == nullptr || out == nullptr) return false;
    int axes = SDL_JoystickNumAxes(joystick);
    for (int a = 0; a < AXES; ++a)
        out->axes[a] = a < axes ? uint32_t(int32_t(SDL_JoystickGetAxis(joystick, a)) + 32768) : 32767u;
    out->buttons = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int b = 0; b < buttons && b < BUTTON_BITS; ++b)
        if (SDL_JoystickGetButton(joystick, b) != 0) out->buttons |= 1u << b;
    out->pov = SDL_JoystickNumHats(joystick) > 0 ? Pov(SDL_JoystickGetHat(joystick, 0)) : JOYSTICK_POV_CENTRED;
    return true;
}

bool Joystick_GetCaps(int32_t device, JoystickCaps* out)
{
    SDL_Joystick* joystick = Open(device);
    if (joystick == nullptr || out == nullptr) return false;
    const char* name = SDL_JoystickName(joystick);
    std::snprintf(out->name, sizeof out->name, "%s", name != nullptr ? name : "");
    int axes = SDL_JoystickNumAxes(joystick);
    out->axisCount = static_cast<uint32_t>(axes < AXES ? axes : AXES);
    int buttons = SDL_JoystickNumButtons(joystick);
    out->buttonCount = static_cast<uint32_t>(buttons < BUTTON_BITS ? buttons : BUTTON_BITS);
    out->flags = 0;
    const uint32_t AXIS_FLAGS[AXES] = {0, 0, JOYSTICK_HAS_Z, JOYSTICK_HAS_R, JOYSTICK_HAS_U, JOYSTICK_HAS_V};
    for (int a = 0; a < axes && a < AXES; ++a)
        out->flags |= AXIS_FLAGS[a];
    if (SDL_JoystickNumHats(joystick) > 0) out->flags |= JOYSTICK_HAS_POV | JOYSTICK_POV_CONTINUOUS;
    return true;
}
