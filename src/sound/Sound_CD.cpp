#include "sound/Sound_CD.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "sound/Sound_Mci.h"

namespace {

constexpr size_t ANSWER_SIZE = 20; // longer answers are cut

std::string Send(const char* command)
{
    char answer[ANSWER_SIZE];
    Mci_SendString(command, answer, sizeof answer);
    return answer;
}

int32_t Number(const std::string& text)
{
    return Numbers_ParseInt(text.c_str());
}

// The number in two characters of an answer, counting from 1; 0 when the answer is too short.
int32_t Field(const std::string& answer, size_t first)
{
    if (answer.size() <= first - 1) return 0;
    return Number(answer.substr(first - 1, 2));
}

bool PresentAfterOpen(const char* format)
{
    Send("open cdaudio");
    if (format != nullptr) Send(format);
    return CD_Present();
}

} // namespace

void CD_Init()
{
    Send("close cdaudio");
    Send("open cdaudio");
}

bool CD_Present()
{
    Send("open cdaudio");
    return Send("status cdaudio media present") == "true";
}

int32_t CD_Number()
{
    if (!PresentAfterOpen(nullptr)) return 0;
    return Number(Send("status cdaudio number of tracks"));
}

bool CD_Playing()
{
    if (!PresentAfterOpen(nullptr)) return false;
    return Send("status cdaudio mode") == "playing";
}

bool CD_Paused()
{
    if (!PresentAfterOpen(nullptr)) return false;
    std::string mode = Send("status cdaudio mode");
    return mode == "paused" || mode == "stopped";
}

int32_t CD_Track()
{
    if (!PresentAfterOpen("set cdaudio time format tmsf wait")) return 0;
    return Field(Send("status cdaudio position"), 1);
}

int32_t CD_Length()
{
    if (!PresentAfterOpen("set cdaudio time format ms wait")) return 0;
    return Number(Send("status cdaudio length wait"));
}

int32_t CD_TrackLength(int32_t track)
{
    Send("open cdaudio");
    if (track < 1 || track > CD_Number()) return 0;
    Send("set cdaudio time format milliseconds wait");
    if (!CD_Present()) return 0;
    char command[256];
    std::snprintf(command, sizeof command, "status cdaudio length track %d", track);
    return Number(Send(command));
}

int32_t CD_Position()
{
    if (!PresentAfterOpen("set cdaudio time format milliseconds wait")) return 0;
    return Number(Send("status cdaudio position"));
}

int32_t CD_TrackPosition()
{
    if (!PresentAfterOpen("set cdaudio time format tmsf wait")) return 0;
    std::string answer = Send("status cdaudio position");
    int32_t minutes = answer.size() > 4 ? Field(answer, 4) : 0;
    int32_t seconds = answer.size() > 7 ? Field(answer, 7) : 0;
    return (minutes * 60 + seconds) * 1000;
}

void CD_Play(int32_t first, int32_t last)
{
    if (!CD_Present()) return;
    Send("set cdaudio time format tmsf wait");
    if (last < first) return;
    if (first < 1) first = 1;
    char command[256];
    if (last >= CD_Number()) std::snprintf(command, sizeof command, "play cdaudio from %d", first);
    else std::snprintf(command, sizeof command, "play cdaudio from %d to %d", first, last + 1);
    Send(command);
}

void CD_Stop()
{
    if (CD_Present()) Send("stop cdaudio");
}

void CD_Pause()
{
    if (CD_Present()) Send("pause cdaudio");
}

void CD_Resume()
{
    if (CD_Present()) Send("play cdaudio");
}

void CD_SetPosition(int32_t milliseconds)
{
    if (!CD_Present()) return;
    Send("set cdaudio time format milliseconds wait");
    char command[256];
    std::snprintf(command, sizeof command, CD_Playing() ? "play cdaudio from %d" : "seek cdaudio to %d", milliseconds);
    Send(command);
    Send("set cdaudio time format tmsf");
}

void CD_SetTrackPosition(int32_t milliseconds)
{
    if (!CD_Present()) return;
    int32_t track = CD_Track();
    if (track == 0) return;
    int32_t minutes = milliseconds / 60000;
    int32_t seconds = (milliseconds - minutes * 60000) / 1000;
    char position[64];
    std::snprintf(position, sizeof position, "%d:%d:%d", track, minutes, seconds);
    Send("set cdaudio time format tmsf wait");
    std::string command = std::string(CD_Playing() ? "play cdaudio from " : "seek cdaudio to ") + position;
    Send(command.c_str());
    Send("set cdaudio time format tmsf");
}

void CD_OpenDoor()
{
    Send("open cdaudio");
    Send("set cdaudio door open");
}

void CD_CloseDoor()
{
    Send("open cdaudio");
    Send("set cdaudio door closed");
}
