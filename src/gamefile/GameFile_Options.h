// The game options: global settings filled by the options chunk ("OPTN") after being reset to their
// defaults at the start of the main chunk pass, the game's named constants carried by that chunk,
// and the start-up settings of "options.ini".
#pragma once

#include <cstdint>

class GameFile;
class IniFile;

// One field per word of the chunk. Words marked "kept" are stored so that the block is complete;
// nothing in the run-time reads them.
struct GameOptions {
    bool fullScreen = false;              // word 0: start in full screen (off under -inawindow)
    bool kept1 = false;                   // word 1
    bool newAudio = false;                // word 2: the newer audio system; never reset
    bool kept3 = false;                   // word 3
    uint8_t CursorShown = 1;              // word 4: the game start shows the default cursor
    uint32_t kept5 = 100;                 // word 5
    bool kept6 = false;                   // word 6
    bool kept7 = false;                   // word 7
    uint32_t windowColour = 0xFFFFFF;     // word 8: 24-bit, red in the low byte
    bool setDisplayMode = false;          // word 9
    int32_t colourDepthCode = 0;          // word 10: 1 16 bits, 2 32 bits
    int32_t resolutionCode = 0;           // word 11: 1..6
    int32_t frequencyCode = 0;            // word 12: 1..5
    bool kept13 = false;                  // word 13
    uint32_t kept14 = 0;                  // word 14
    bool altEnterSwitches = true;         // word 15: Alt+Enter toggles full screen
    bool kept16 = true, kept17 = true;    // words 16, 17
    bool kept18 = true, kept19 = true, kept20 = true; // words 18..20
    uint32_t kept21 = 0;                  // word 21
    bool freezeWhenInactive = false;      // word 22
    bool kept23 = true;                   // word 23
    uint32_t kept26 = 0;                  // word 26: a file offset, kept as it stands
    bool kept27 = false;                  // word 27
    uint8_t kept28 = 255;                 // word 28
    bool kept29 = true;                   // word 29
    bool kept31 = false;                  // word 31
    bool abortOnError = false;            // word 32: every error shown also ends the game
    bool unsetVariableIsError = false;    // word 33: reading a never-set variable fails
    bool createEventBeforeCode = false;   // word 34, header version 5 on; never reset
    bool showErrors = true;               // not in the chunk: on from the start, off for "-noerrors"
    int32_t versionMajor = 0;             // the constants "VersionMajor" and "VersionMinor"
    int32_t versionMinor = 0;
};

extern GameOptions g_GameOptions;

// The named constants of the chunk: pair i is (name, value), owned memory-manager copies; an entry
// whose offset was 0 is null.
extern int32_t g_ConstantCount;
extern char** g_ConstantNames;
extern char** g_ConstantValues;

// The "-inawindow" switch, written by the command line; forces word 0 off.
extern bool g_OptionInAWindow;

// Settings of "options.ini".
struct IniOptions {
    bool orientLandscape = true;
    bool orientPortrait = true;
    bool orientLandscapeFlipped = true;
    bool orientPortraitFlipped = true;
};
extern IniOptions g_IniOptions;

// The defaults. The show-errors flag is left as the command line set it: it is on from the start,
// and a reset that turned it on again would undo "-noerrors", which is given before any game file
// is read.
void Options_Reset();
bool Options_Load(GameFile& file, uint32_t body, uint32_t length);
// The orientation permissions and the "Debug" and "Trace" switches of the section "DEFAULT".
void Options_ReadIni(IniFile* ini);
// Frees the constant arrays (shut-down).
void Options_FreeConstants();
