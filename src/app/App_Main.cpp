// The kelvaro executable: plays the game file named by -game, or the "data.win" beside it.
#include <string>

#include "app/App_CommandLine.h"
#include "app/App_Startup.h"
#include "platform/Platform_ScriptHeap.h"

int main(int argc, char** argv)
{
    ScriptHeap_KeepFreedPages();
    // The switches are read from one command line, as the player would have typed it.
    std::string commandLine = CommandLine_FromArguments(argc, argv);
    return WinMain(commandLine.c_str());
}
