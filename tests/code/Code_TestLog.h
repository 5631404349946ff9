// Captures what the engine writes to its consoles for the time of one scope, so that tests can check
// log lines and script messages.
#pragma once

#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"

class CapturedConsole {
public:
    explicit CapturedConsole(tagIConsole*& console) : m_Console(console), m_Saved(console) { console = &m_Capture; }
    ~CapturedConsole() { m_Console = m_Saved; }
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    std::string Text() const { return m_Capture.Text(); }

private:
    tagIConsole*& m_Console;
    tagIConsole* m_Saved;
    TErrStreamConsole m_Capture;
};
