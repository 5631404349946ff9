// The headless test switches. They come from the environment, because the command line is the
// game's own; every area asks this one module, never getenv.
#pragma once

#include <cstdint>
#include <string>

struct TestSwitches {
    bool headless = false;        // KELVARO_HEADLESS=1: no display, no blocking dialogs
    int64_t maxFrames = -1;       // KELVARO_MAX_FRAMES=N: end the game after N frames; -1 none
    bool noWait = false;          // KELVARO_NO_WAIT=1: no waiting between frames
    std::string traceFile;        // KELVARO_TRACE=FILE: one line per performed event
    int64_t captureFrame = -1;    // KELVARO_CAPTURE=N:FILE: picture presented at frame N ...
    std::string captureFile;      // ... written to this PNG file
    std::string answersFile;      // KELVARO_ANSWERS=FILE: scripted dialog answers
    std::string cdImage;          // KELVARO_CD_IMAGE=FILE: a CUE sheet is the disc in the CD drive
};

// Reads the environment again (tests change it), and in headless mode points SDL at the offscreen
// video driver and OpenAL at the null back end unless those are set already.
void TestSwitches_Reload();

// As last read; TestSwitches_Get reads them at its first call. Inline: every event performed asks
// whether a trace is wanted.
extern TestSwitches g_TestSwitches;
extern bool g_TestSwitchesLoaded;

// The switches as read from the environment at the first call.
inline const TestSwitches& TestSwitches_Get()
{
    if (!g_TestSwitchesLoaded) TestSwitches_Reload();
    return g_TestSwitches;
}

// The next scripted answer for a dialog, one line of the answers file per call; false when none is
// left (the caller then takes the dialog's default).
bool TestSwitches_NextAnswer(std::string& answer);
