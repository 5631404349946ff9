// The joystick stage's reading of joysticks 0 and 1 over SDL2. SDL axes (-32768 to 32767) are
// moved to the multimedia interface's range (0 to 65535), buttons 1 to 32 become bits.
#include <SDL.h>

#include "platform/Platform_TestSwitches.h"
#include "run/Run_Frame.h"

namespace {

constexpr int32_t JOYSTICK_SLOTS = 2;
constexpr int32_t BUTTON_BITS = 32;

SDL_Joystick* g_Joysticks[JOYSTICK_SLOTS] = {nullptr, nullptr};

// The joystick subsystem, started on first use; false when it cannot start.
bool JoystickSubsystemReady()
{
    if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) return true;
    return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
}

// The open device of the slot, opened (again) when it is missing or was unplugged.
SDL_Joystick* OpenJoystick(int32_t slot)
{
    SDL_Joystick*& device = g_Joysticks[slot];
    if (device != nullptr && SDL_JoystickGetAttached(device) == SDL_TRUE) return device;
    if (device != nullptr) SDL_JoystickClose(device);
    device = nullptr;
    if (slot < SDL_NumJoysticks()) device = SDL_JoystickOpen(slot);
    return device;
}

uint32_t AxisToRange(int16_t value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(value) + 32768);
}

} // namespace

bool Run_ReadJoystick(int32_t joystick, RunJoystickState* out)
{
    // Headless runs read no devices of the machine they run on.
    if (TestSwitches_Get().headless || joystick < 0 || joystick >= JOYSTICK_SLOTS || out == nullptr)
        return false;
    if (!JoystickSubsystemReady()) return false;
    SDL_JoystickUpdate();
    SDL_Joystick* device = OpenJoystick(joystick);
    if (device == nullptr) return false;
    out->x = SDL_JoystickNumAxes(device) > 0 ? AxisToRange(SDL_JoystickGetAxis(device, 0)) : 32767u;
    out->y = SDL_JoystickNumAxes(device) > 1 ? AxisToRange(SDL_JoystickGetAxis(device, 1)) : 32767u;
    out->buttons = 0;
    int32_t buttons = SDL_JoystickNumButtons(device);
    for (int32_t b = 0; b < buttons && b < BUTTON_BITS; ++b)
        if (SDL_JoystickGetButton(device, b) != 0) out->buttons |= 1u << b;
    return true;
}
