#include "sound/Sound_AL.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "run/Run_Game.h"

namespace {

using FrameLines = std::vector<std::string>;

bool g_InFrame = false;
FrameLines g_ThisFrame;
FrameLines g_LastFrame;
int64_t g_Repeats = 0; // frames after the last written one that logged the same lines

void WriteRepeats()
{
    if (g_Repeats == 0) return;
    std::string count = Text_GroupedDigits(uint64_t(g_Repeats));
    for (const std::string& line : g_LastFrame)
        MainConsole->Output("%s (the same in %s more frame%s)\n", line.c_str(), count.c_str(), g_Repeats == 1 ? "" : "s");
    g_Repeats = 0;
}

} // namespace

void Sound_Log(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (g_InFrame) g_ThisFrame.push_back(line);
    else MainConsole->Output("%s\n", line);
}

void SoundLog_BeginFrame()
{
    g_InFrame = true;
    g_ThisFrame.clear();
}

void SoundLog_EndFrame()
{
    g_InFrame = false;
    if (!g_ThisFrame.empty() && g_ThisFrame == g_LastFrame) {
        ++g_Repeats;
        return;
    }
    WriteRepeats();
    for (const std::string& line : g_ThisFrame) MainConsole->Output("%s\n", line.c_str());
    g_LastFrame.swap(g_ThisFrame);
}

void SoundLog_Flush()
{
    g_InFrame = false;
    WriteRepeats();
    g_LastFrame.clear();
}

bool Sound_ALFailed(const char* format)
{
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) return false;
    Sound_Log(format, static_cast<int>(error));
    return true;
}

bool Sound_ALFailedTwice(const char* format)
{
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) return false;
    Sound_Log(format, static_cast<unsigned>(error), static_cast<int>(error));
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
