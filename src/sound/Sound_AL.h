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

// The frame length in milliseconds for fades: 1000 / the current room's speed (30 without a room),
// at least 1; and the frames a fade of `milliseconds` lasts (at least 1).
int32_t Sound_FadeFrames(int32_t milliseconds);
