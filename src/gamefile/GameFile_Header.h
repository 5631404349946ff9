// The header chunk ("GEN8", or the older "GEN7" and "GENL"): the game as a whole. Its start-up
// fields are read by the pre-pass before the window exists, its run fields by the main chunk pass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class GameFile;

// Info flags (header offset 68).
enum : uint32_t {
    HEADER_FLAG_FULLSCREEN = 0x1,       // and a window without border
    HEADER_FLAG_VSYNC = 0x2,
    HEADER_FLAG_SOFTWARE_VERTEX = 0x4,
    HEADER_FLAG_INTERPOLATE = 0x8,
    HEADER_FLAG_KEEP_ASPECT = 0x10,
    HEADER_FLAG_SHOW_CURSOR = 0x20,
    HEADER_FLAG_RESIZABLE = 0x40,
    HEADER_FLAG_STEAM = 0x1000,         // as the -steam switch
    HEADER_FLAG_ROAMING_SAVE = 0x2000,  // save area under the roaming folder
};

// Bit 2 of the 64-bit option word switches gamepad polling on.
constexpr uint64_t HEADER_OPTION_GAMEPADS = 0x4;

struct GameHeader {
    bool present = false;      // a header chunk has been read
    uint32_t body = 0;         // file offset of the header's body ("the address of the header")
    uint32_t length = 0;
    uint8_t debugByte = 1;     // 0: a game built for debugging (remote-debugger server, debug_mode)
    int32_t version = 0;       // byte 1, compared signed
    // Strings of the file (none: null); they stay valid while the game file is held.
    const char* name = nullptr;        // offset 4: shown by the profiler overlay
    const char* configName = nullptr;  // offset 8: os_get_config
    const char* displayName = nullptr; // offset 100, version 10 on: the window caption
    std::string saveFolder;            // offset 40, a copy: the game's folder in the save area
    uint32_t lastInstanceId = 0;       // offset 12
    uint32_t lastTileId = 0;           // offset 16
    uint32_t gameId = 0;               // offset 20
    uint64_t keptWords[2] = {0, 0};    // offset 24, kept and not used
    int32_t windowWidth = 640;         // offset 60, version 8 on; older headers give no size, so
    int32_t windowHeight = 480;        // the window takes the size of a default room
    uint32_t infoFlags = 0;            // offset 68, version 8 on
    uint64_t kept104 = 0;              // offset 104, version 11 on, kept
    uint64_t optionBits = ~0ull;       // offset 112, version 12 on; all bits set below
    uint32_t steamAppId = 0;           // offset 120, version 13 on; 0: no Steam
    bool steamFlag = false;            // info flag 0x1000
    std::vector<int32_t> roomOrder;    // the room order as read by the main pass
};

extern GameHeader g_GameHeader;

// Back to the state before any header was read (a new game file is about to be read).
void GameHeader_Clear();

// The 64-bit option word (all bits set for headers older than version 12).
uint64_t GameHeader_OptionFlags();

// The newest header version whose files this run-time reads whole; later ones carry chunks of kinds
// it does not know.
constexpr int32_t HEADER_VERSION_NEWEST = 13;

// Offset of the room order's count in the header body for a header version.
uint32_t GameHeader_RoomOrderOffset(int32_t version);

// The pre-pass header step: the start-up fields (strings, save folder, game id, Steam id, window
// size and flags, option bits). False, with a log line, when the header does not hold the fields
// its version names.
bool GEN8_ReadStartup(GameFile& file, uint32_t body, uint32_t length);

// The main-pass reader: the run fields again, the id counters and the room order. False, with a log
// line, when the header or its room order does not fit the chunk.
bool GEN8_Load(GameFile& file, uint32_t body, uint32_t length);
