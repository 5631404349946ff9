// Shared by the fuzz targets that load whole game files.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "code/Code_Error.h"
#include "code/Code_Object.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Code.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_Textures.h"
#include "graphics/Graphics_Shader.h"
#include "platform/Platform_TestSwitches.h"
#include "room/Room_Table.h"
#include "run/Run_Globals.h"

namespace gamefilefuzz {

// A load error (an unknown function or variable name, say) ends the program by design; here it
// unwinds to the target instead, which goes on with the next input.
struct ProcessEnded {
    int32_t exitCode;
};

[[noreturn]] inline void ThrowProcessEnded(int32_t exitCode)
{
    throw ProcessEnded{exitCode};
}

// Runs the load; false when it ended the program. Error forms go to the log (headless), and the
// fatal error's marks are taken back so that the next input is reported again.
template <typename Load> bool LoadUntilTheProgramWouldEnd(Load load)
{
    static bool headless = [] {
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
        return true;
    }();
    (void)headless;
    Error_SetExitHook(ThrowProcessEnded);
    bool ended = false;
    try {
        load();
    } catch (const ProcessEnded&) {
        ended = true;
    }
    Error_SetExitHook(nullptr);
    g_ErrorQuitting = false;
    g_RunRequest = RUN_REQUEST_NONE;
    g_CodeErrorFlag = false;
    return !ended;
}

// A program loads one game file; a target or test that loads many empties every table a load fills,
// so that nothing of the last file stays (code entries point into its image) or is reported lost
// once the tables go at exit.
inline void FreeLoadedGame()
{
    RoomTables_Free();
    Object_ResetTable();
    Script_Reset();
    Code_ClearEntries();
    Code_ClearFileRanges();
    GameHeader_Clear();
    Options_FreeConstants();
    Sound_Reset();
    Sprite_Reset();
    Background_Reset();
    Path_Reset();
    Font_Clear();
    TimeLine_Reset();
    Extension_Clear();
    TexturePage_Clear();
    Shader_FreeAll();
}

} // namespace gamefilefuzz
