// The joystick stage's reading of joysticks 0 and 1: the X and Y axes and the buttons of the
// multimedia-joystick layer (io/IO_Joystick.h).
#include "io/IO_Joystick.h"
#include "run/Run_Frame.h"

bool Run_ReadJoystick(int32_t joystick, RunJoystickState* out)
{
    JoystickPosition position;
    if (out == nullptr || !Joystick_GetPosition(joystick, &position)) return false;
    out->x = position.axes[0];
    out->y = position.axes[1];
    out->buttons = position.buttons;
    return true;
}
