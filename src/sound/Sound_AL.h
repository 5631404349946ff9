// What every part of the sound area shares about the audio library: its headers, the error check
// that logs a line and goes on (audio failures are never fatal), and the two switches that decide
// whether sound runs at all.
#pragma once

#include <AL/al.h>
#include <AL/alut.h>

#include <cstdint>

// Reads the audio library's error state; when it holds an error, logs the line (a format with one
// %d for the code) and answers true.
bool Sound_ALFailed(const char* format);
// The same for lines that carry the code twice ("%08x(%d)").
bool Sound_ALFailedTwice(const char* format);

// A line of the audio layer's log (a printf format, no newline). Between SoundLog_BeginFrame and
// SoundLog_EndFrame the lines are the frame's: a frame whose lines are exactly the previous frame's
// writes nothing (a missing device would fill the log with the same lines every frame), and when
// they change, or SoundLog_Flush runs at the game's end, the repeated lines are written once more
// with the number of frames that repeated them.
void Sound_Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SoundLog_BeginFrame();
void SoundLog_EndFrame();
void SoundLog_Flush();

// The frame length in milliseconds for fades: 1000 / the current room's speed (30 without a room),
// at least 1; and the frames a fade of `milliseconds` lasts (at least 1).
int32_t Sound_FadeFrames(int32_t milliseconds);
