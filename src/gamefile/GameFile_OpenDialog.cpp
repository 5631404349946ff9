#include "gamefile/GameFile_OpenDialog.h"

#include "base/Base_Console.h"
#include "platform/Platform_TestSwitches.h"

bool OpenGameFileDialog(std::string& path)
{
    // A file name given alone on the command line is skipped, so either way the player is told the
    // one switch that names the game.
    if (TestSwitches_Get().headless) {
        Console_ReportFailure("No game file was named and a headless run cannot ask for one: use -game FILE");
        return false;
    }
    if (GameFile_RunFileChooser("Open a game file", path) && !path.empty()) return true;
    Console_ReportFailure("No game file was chosen: use -game FILE");
    return false;
}
