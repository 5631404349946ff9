// The log. Every line of the system goes through a console pointer and its virtual Output, because
// the error reporter points the consoles elsewhere while it collects compiler text.
#pragma once

#include <cstdint>
#include <string>

#define KELVARO_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

struct tagIConsole {
    virtual ~tagIConsole() = default;
    virtual bool Setup(int32_t first, int32_t second) = 0;
    virtual void Output(const char* format, ...) KELVARO_PRINTF(2, 3) = 0;
};

// Standard output, the debug form while one exists, and the log file of its selector when on.
class TConsole : public tagIConsole {
public:
    explicit TConsole(uint8_t selector) : m_Selector(selector) {}
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char* format, ...) override KELVARO_PRINTF(2, 3);

private:
    uint8_t m_Selector;
};

enum : uint8_t {
    CONSOLE_SCRIPT = 0, // the second console: script messages and errors, "-output"
    CONSOLE_MAIN = 1,   // the main console: engine log lines, "-debugoutput"
};

constexpr size_t CONSOLE_LINE_SIZE = 4096;

extern tagIConsole* MainConsole;
extern tagIConsole* ScriptConsole;

// The log-file settings the command line writes: an on-flag and a file name per selector.
extern bool g_ConsoleLogOn[2];
extern std::string g_ConsoleLogFile[2];

// Turns the log file of a selector on (a name) or off (null).
void Console_SetLogFile(uint8_t selector, const char* fileName);

// A line saying why the run cannot go on: logged by the main console and written to standard error
// too, where a player who ran the game from a terminal sees it last.
void Console_ReportFailure(const std::string& line);
// The same for a line worded without allocating, where memory may have run out.
void Console_ReportFailure(const char* line);
