// The kelvaro executable: plays the game file named by -game, or the "data.win" beside it.
#include <string>

#include "app/App_CommandLine.h"
#include "app/App_Startup.h"
#include "platform/Platform_ScriptHeap.h"
#include "platform/posix/Platform_GameThread.h"
#include "platform/posix/Platform_Termination.h"

namespace {

int PlayGame(void* commandLine)
{
    return WinMain(static_cast<const std::string*>(commandLine)->c_str());
}

} // namespace

int main(int argc, char** argv)
{
    ScriptHeap_KeepFreedPages();
    Platform_InstallTerminationHandlers();
    // The switches are read from one command line, as the player would have typed it.
    std::string commandLine = CommandLine_FromArguments(argc, argv);
    return Platform_RunOnLargeStack(PlayGame, &commandLine, PLATFORM_GAME_STACK_BYTES);
}
