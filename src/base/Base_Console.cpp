#include "base/Base_Console.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "debug/Debug_Form.h"

namespace {
TConsole g_MainConsoleObject(CONSOLE_MAIN);
TConsole g_ScriptConsoleObject(CONSOLE_SCRIPT);
// Standard output whose reader has gone (a closed pipe) takes no more lines; the log files still do.
bool g_StandardOutputGone = false;
} // namespace

tagIConsole* MainConsole = &g_MainConsoleObject;
tagIConsole* ScriptConsole = &g_ScriptConsoleObject;

bool g_ConsoleLogOn[2] = {false, false};
std::string g_ConsoleLogFile[2];

void Console_SetLogFile(uint8_t selector, const char* fileName)
{
    if (selector > CONSOLE_MAIN) return;
    g_ConsoleLogOn[selector] = fileName != nullptr;
    g_ConsoleLogFile[selector] = fileName != nullptr ? fileName : "";
}

void Console_ReportFailure(const std::string& line)
{
    Console_ReportFailure(line.c_str());
}

void Console_ReportFailure(const char* line)
{
    MainConsole->Output("%s\n", line);
    std::fprintf(stderr, "%s\n", line);
}

void TConsole::Output(const char* format, ...)
{
    if (format == nullptr) return;

    // Standard output gets the whole expansion; the line buffer keeps at most 4095 bytes of it.
    // The argument list is walked twice, so the second walk uses a copy.
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    if (!g_StandardOutputGone) std::vfprintf(stdout, format, args);
    char line[CONSOLE_LINE_SIZE];
    int written = std::vsnprintf(line, sizeof line, format, copy);
    va_end(copy);
    va_end(args);
    if (written < 0) line[0] = '\0';

    if (g_pDebugForm != nullptr) DebugForm_Output(line);

    if (g_ConsoleLogOn[m_Selector] && !g_ConsoleLogFile[m_Selector].empty()) {
        // Opened and closed for every line, so nothing is lost when the process dies.
        if (FILE* file = std::fopen(g_ConsoleLogFile[m_Selector].c_str(), "a+")) {
            std::fputs(line, file);
            std::fclose(file);
        }
    }
    if (!g_StandardOutputGone && std::fflush(stdout) != 0 && errno == EPIPE) g_StandardOutputGone = true;
}
