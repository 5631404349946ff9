#include "gamefile/GameFile_OpenDialog.h"

#include "base/Base_Console.h"
#include "platform/Platform_TestSwitches.h"

bool OpenGameFileDialog(std::string& path)
{
    if (TestSwitches_Get().headless) {
        MainConsole->Output("No game file was named and a headless run cannot ask for one: use -game FILE\n");
        return false;
    }
    if (GameFile_RunFileChooser("Open a game file", path) && !path.empty()) return true;
    MainConsole->Output("No game file was chosen\n");
    return false;
}
