// The command line as any bytes: copying and parsing must stay inside the command-line and token
// areas whatever the text, and leave the switches in a state the rest of start-up can read.
#include <cstdint>
#include <cstring>
#include <string>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    CommandLine_Copy(text.c_str());
    ParseCommandLine(g_CommandLine);
    if (std::strlen(g_CommandLine) >= COMMAND_LINE_SIZE || std::strlen(g_CommandToken) >= COMMAND_TOKEN_SIZE)
        __builtin_trap();

    // The log switches only name files; nothing is written while fuzzing.
    Console_SetLogFile(CONSOLE_MAIN, nullptr);
    Console_SetLogFile(CONSOLE_SCRIPT, nullptr);
    App_ClearGameFileName();
    return 0;
}
