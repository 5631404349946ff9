// The kelvaro executable: plays the game file named by -game, or the "data.win" beside it.
#include <string>

#include "app/App_CommandLine.h"
#include "app/App_Startup.h"
#include "platform/Platform_FatalEnd.h"
#include "platform/Platform_ScriptHeap.h"
#include "platform/posix/Platform_GameThread.h"
#include "platform/posix/Platform_Termination.h"

#if defined(KELVARO_ASAN)
// Leaks the leak checker reports at exit that are not ours, by the library that made them, which none
// of our frames calls into at the time. (The OpenGL driver's are kept reachable instead, its modules
// staying loaded to the end.)
// - The desktop's D-Bus library, which SDL starts in an X11 window, keeps a 1,032-byte buffer.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
#endif

namespace {

int PlayGame(void* commandLine)
{
    return WinMain(static_cast<const std::string*>(commandLine)->c_str());
}

} // namespace

int main(int argc, char** argv)
{
    Platform_MarkProgramStarted();
    ScriptHeap_KeepFreedPages();
    Platform_GuardStandardStreams();
    Platform_InstallTerminationHandlers();
    // The switches are read from one command line, as the player would have typed it.
    std::string commandLine = CommandLine_FromArguments(argc, argv);
    return Platform_RunOnLargeStack(PlayGame, &commandLine, PLATFORM_GAME_STACK_BYTES);
}
