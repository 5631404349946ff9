#include "sound/Sound_AL.h"

#include "base/Base_Console.h"
#include "run/Run_Game.h"

bool Sound_ALFailed(const char* format)
{
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) return false;
    MainConsole->Output(format, static_cast<int>(error));
    MainConsole->Output("\n");
    return true;
}

bool Sound_ALFailedTwice(const char* format)
{
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) return false;
    MainConsole->Output(format, static_cast<unsigned>(error), static_cast<int>(error));
    MainConsole->Output("\n");
    return true;
}

int32_t Sound_FadeFrames(int32_t milliseconds)
{
    int32_t* speed = Run_CurrentRoomSpeed();
    int32_t roomSpeed = speed != nullptr && *speed > 0 ? *speed : 30;
    int32_t frame = 1000 / roomSpeed;
    if (frame < 1) frame = 1;
    int32_t frames = milliseconds / frame;
    return frames < 1 ? 1 : frames;
}
