// Consoles that keep what is printed to them, for tests that read the engine log or a dump.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>
#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"

namespace testsupport {

class RecordingConsole : public tagIConsole {
  public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char* format, ...) override
    {
        char line[8192];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        text += line;
    }
    std::string text;
};

// Writes what reaches it to the standard error, where a death test looks.
class StderrConsole : public tagIConsole {
  public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char* format, ...) override
    {
        va_list args;
        va_start(args, format);
        std::vfprintf(stderr, format, args);
        va_end(args);
    }
};

// Makes a RecordingConsole the main console while it lives.
class ConsoleCapture {
  public:
    ConsoleCapture() : m_Saved(MainConsole) { MainConsole = &console; }
    ~ConsoleCapture() { MainConsole = m_Saved; }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    RecordingConsole console;

  private:
    tagIConsole* m_Saved;
};

// Keeps what a console (the main one unless named) writes while it lives.
class LogCapture {
  public:
    explicit LogCapture(tagIConsole*& console = MainConsole) : m_Console(console), m_Saved(console)
    {
        console = &m_Capture;
    }
    ~LogCapture() { m_Console = m_Saved; }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    std::string Text() const { return m_Capture.Text(); }

  private:
    tagIConsole*& m_Console;
    tagIConsole* m_Saved;
    TErrStreamConsole m_Capture;
};

// True when a line of `text` matches `pattern`, in which each '*' stands for any run of characters
// of that line: "SPRT: sprite 0 at file offset *: its name at file offset 9 lies outside*".
inline bool HasLine(const std::string& text, const std::string& pattern)
{
    std::string expression;
    for (char c : pattern) {
        if (c == '*')
            expression += ".*";
        else if (std::strchr("\\^$.|?+()[]{}", c) != nullptr)
            expression += std::string("\\") + c;
        else
            expression += c;
    }
    const std::regex line(expression);
    std::istringstream lines(text);
    for (std::string each; std::getline(lines, each);)
        if (std::regex_match(each, line)) return true;
    return false;
}

// True when every "Malformed Chunk" line of a load's log follows a line of its reader saying why,
// "<what>: <why>" (a reader's own announcement, such as "Audio_Load()", says nothing of the fault).
inline bool EveryRefusalHasAReason(const std::string& text)
{
    std::istringstream lines(text);
    std::string line, before;
    for (; std::getline(lines, line); before = line)
        if (line.starts_with("Malformed Chunk") &&
            (before.find(": ") == std::string::npos || before.starts_with("Malformed Chunk")))
            return false;
    return true;
}

} // namespace testsupport
