#include "code/Code_Error.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "base/Base_Text.h"
#include "code/Code_Disassembler.h"
#include "code/Code_ErrorSources.h"
#include "code/Code_Object.h"
#include "code/Code_Value.h"
#include "debug/Debug_Form.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_DeviceAll.h"
#include "io/IO_Main.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Globals.h"
#include "run/Run_Window.h"

bool g_CodeErrorFlag = false;
std::string g_CodeErrorText;
std::string g_ErrorLast;
uint8_t g_ErrorOccurred = 0;
bool g_ErrorQuitting = false;
ErrorFormRecord g_ErrorForm;

namespace {

constexpr size_t HEADER_AREA = 32768;
constexpr size_t SCRATCH_AREA = 16384;
constexpr int32_t TIME_LINE_EVENT = 100000;
constexpr int32_t SHADER_EVENT = -1;

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

// The line holding `position` (clamped to the text) and where it is: line from 1, column from 0.
struct TextPlace {
    int32_t line = 1;
    int32_t column = 0;
    std::string lineText;
    size_t offset = 0; // of the position in lineText
};

TextPlace PlaceIn(const char* text, int32_t position)
{
    TextPlace place;
    int32_t length = static_cast<int32_t>(std::strlen(text));
    if (position < 0) position = 0;
    if (position > length) position = length;
    int32_t lineStart = 0;
    for (int32_t i = 0; i < position; ++i) {
        if (text[i] == '\n') {
            ++place.line;
            place.column = 0;
            lineStart = i + 1;
        } else if (text[i] != '\r') {
            ++place.column;
        }
    }
    const char* end = std::strchr(text + position, '\n');
    int32_t lineEnd = end != nullptr ? static_cast<int32_t>(end - text) : length;
    // The line break of a text with CR LF lines is no part of the line.
    if (lineEnd > lineStart && text[lineEnd - 1] == '\r') --lineEnd;
    place.lineText.assign(text + lineStart, static_cast<size_t>(lineEnd - lineStart));
    place.offset = static_cast<size_t>(position - lineStart);
    return place;
}

std::string Rule(char c) { return std::string(92, c); }

// Reports go into areas of about 1024 bytes: a longer source line is echoed only around the error,
// so that the cause after it is always shown. Cuts fall between characters, never inside one.
constexpr size_t ECHO_LIMIT = 400;

bool InsideCharacter(const std::string& text, size_t at)
{
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

std::string EchoAround(const std::string& text, size_t offset)
{
    if (text.size() <= ECHO_LIMIT) return text;
    size_t start = offset > ECHO_LIMIT / 2 ? offset - ECHO_LIMIT / 2 : 0;
    size_t end = std::min(text.size(), start + ECHO_LIMIT);
    start = end - ECHO_LIMIT;
    while (InsideCharacter(text, start)) ++start;
    while (InsideCharacter(text, end)) --end;
    return (start > 0 ? "..." : "") + text.substr(start, end - start) + (end < text.size() ? "..." : "");
}

// Runs of equal lines, or of a cycle of up to four lines (scripts calling each other), as the lines
// once and then "... (N more)" for the N left out; two in a row stay as they are.
constexpr size_t REPEAT_CYCLE_LIMIT = 4;

std::vector<std::string> CollapseRepeats(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size();) {
        size_t bestCycle = 0, bestCopies = 1;
        for (size_t cycle = 1; cycle <= REPEAT_CYCLE_LIMIT && i + 2 * cycle <= lines.size(); ++cycle) {
            size_t copies = 1;
            while (i + (copies + 1) * cycle <= lines.size() &&
                   std::equal(lines.begin() + i, lines.begin() + i + cycle, lines.begin() + i + copies * cycle))
                ++copies;
            if (copies > 2 && (copies - 1) * cycle > (bestCopies - 1) * bestCycle) bestCycle = cycle, bestCopies = copies;
        }
        if (bestCycle == 0) {
            out.push_back(lines[i++]);
            continue;
        }
        out.insert(out.end(), lines.begin() + i, lines.begin() + i + bestCycle);
        out.push_back("... (" + std::to_string((bestCopies - 1) * bestCycle) + " more)");
        i += bestCopies * bestCycle;
    }
    return out;
}

std::string ActionHeader(const char* message, bool fatal)
{
    const char* prefix = fatal ? "FATAL " : "";
    std::vector<char> area(HEADER_AREA);
    if (g_CurrentEventType == SHADER_EVENT) {
        const char* title = g_CurrentShaderIsFragment ? "FATAL ERROR in Fragment Shader compilation\n\nShaderName: "
                                                      : "FATAL ERROR in Vertex Shader compilation\n\nShaderName: ";
        std::snprintf(area.data(), area.size(), "%s%s\n\n\n%s\n", title, Text_Printable(g_CurrentShaderName).c_str(),
                      message);
    } else if (g_CurrentEventType == TIME_LINE_EVENT) {
        std::snprintf(area.data(), area.size(), "%sERROR in\naction number %d\nat time step%d\nof time line %s:\n\n\n%s",
                      prefix, g_CurrentActionNumber + 1, g_CurrentEventNumber,
                      Text_Printable(TimeLine_Name(g_CurrentEventObject)).c_str(), message);
    } else {
        std::snprintf(area.data(), area.size(), "%sERROR in\naction number %d\nof %s\nfor object %s:\n\n\n%s", prefix,
                      g_CurrentActionNumber + 1, Event_GetName(g_CurrentEventType, g_CurrentEventNumber),
                      Text_Printable(Object_Name(g_CurrentEventObject)).c_str(), message);
    }
    return area.data();
}

// The interpreter's place in the report: where the running code is, and who called it.
void ReportInterpreter(tagIConsole& report, const std::vector<VMErrorFrame>& frames)
{
    if (frames.empty()) return;
    const VMErrorFrame& running = frames.front();
    VMDebugEntry entry = VM_DebugInfo_FindLine(running.debugInfo, running.offset);
    int32_t line = VM_DebugInfo_FindName(entry, running.text);
    report.Output(" at %s (line %d) - %s\n", Text_Printable(running.name).c_str(), line,
                  Text_Printable(VM_DebugInfo_SourceLine(entry, running.text)).c_str());
}

void ReportCallStack(tagIConsole& report, const std::vector<VMErrorFrame>& frames)
{
    if (frames.size() < 2) return;
    const VMErrorFrame& running = frames.front();
    int32_t line = VM_DebugInfo_FindName(VM_DebugInfo_FindLine(running.debugInfo, running.offset), running.text);
    report.Output("%s\n", Rule('-').c_str());
    report.Output("stack frame is\n%s (line %d)\n", Text_Printable(running.name).c_str(), line);
    std::vector<std::string> callers;
    for (size_t i = 1; i < frames.size(); ++i) {
        const VMErrorFrame& caller = frames[i];
        VMDebugEntry entry = VM_DebugInfo_FindLine(caller.debugInfo, caller.offset);
        callers.push_back("called from - " + Text_Printable(caller.name) + " (line " +
                          std::to_string(VM_DebugInfo_FindName(entry, caller.text)) + ") - " +
                          Text_Printable(VM_DebugInfo_SourceLine(entry, caller.text)));
    }
    for (const std::string& caller : CollapseRepeats(callers)) report.Output("%s\n", caller.c_str());
}

bool ErrorFormShown() { return g_GameOptions.showErrors; }

// Prefix lines of failed levels not yet put in front of the error text, innermost first.
std::vector<std::string> g_FailedLevels;

} // namespace

void Code_Report_Error(CCode* code, int32_t position, const char* message)
{
    GR_D3D_ApplyPendingReset();
    if (g_CodeErrorFlag) return;
    g_CodeErrorFlag = true;
    g_CodeErrorText.clear();
    g_FailedLevels.clear();

    const char* text = code != nullptr ? code->GetText() : "";
    message = OrEmpty(message);
    TextPlace place = PlaceIn(text, position);
    bool program = code == nullptr || code->m_Kind == CODE_KIND_PROGRAM;
    const char* format = program ? "Error in code at line %d:\n   %s\n\nat position %d: %s" : "Error in expression: %s\n position %d: %s";
    std::string echo = program ? Text_Printable(EchoAround(place.lineText, place.offset))
                               : Text_PrintableLines(EchoAround(
                                     text, static_cast<size_t>(std::clamp<int32_t>(
                                               position, 0, static_cast<int32_t>(std::strlen(text))))));
    int length = program ? std::snprintf(nullptr, 0, format, place.line, echo.c_str(), place.column + 1, message)
                         : std::snprintf(nullptr, 0, format, echo.c_str(), place.column + 1, message);
    g_CodeErrorText.resize(static_cast<size_t>(length));
    if (program)
        std::snprintf(g_CodeErrorText.data(), g_CodeErrorText.size() + 1, format, place.line, echo.c_str(),
                      place.column + 1, message);
    else
        std::snprintf(g_CodeErrorText.data(), g_CodeErrorText.size() + 1, format, echo.c_str(), place.column + 1,
                      message);
}

void Code_Error_NoteFailedLevel(const char* prefix, const char* name)
{
    g_FailedLevels.push_back(std::string(OrEmpty(prefix)) + OrEmpty(name) + ":");
}

void Code_Error_FoldFailedLevels()
{
    if (g_FailedLevels.empty()) return;
    std::vector<std::string> levels = CollapseRepeats({g_FailedLevels.rbegin(), g_FailedLevels.rend()});
    size_t length = g_CodeErrorText.size();
    for (const std::string& level : levels) length += level.size() + 1;
    std::string text;
    text.reserve(length);
    for (const std::string& level : levels) text += level + "\n";
    text += g_CodeErrorText;
    g_CodeErrorText = std::move(text);
    g_FailedLevels.clear();
}

std::string Error_BuildActionReport(const char* message, bool fatal, const std::vector<VMErrorFrame>& frames)
{
    std::string header = ActionHeader(OrEmpty(message), fatal);
    TErrStreamConsole report;
    report.Output("%s\n", Rule('#').c_str());
    report.Output("%s\n", header.c_str());
    ReportInterpreter(report, frames);
    report.Output("%s\n", Rule('#').c_str());
    ReportCallStack(report, frames);
    return report.Text();
}

void Error_Show_Action(const char* message, bool fatal)
{
    std::vector<VMErrorFrame> frames;
    VM_GetErrorFrames(frames);
    Error_Show(Error_BuildActionReport(message, fatal, frames).c_str(), fatal);
    if (!frames.empty()) VM_ReportVariables(ScriptConsole);
}

bool Error_TextTooLong(uint64_t length)
{
    if (length <= VALUE_MAX_TEXT) return false;
    Error_Show_Action(VALUE_TEXT_TOO_LONG, true);
    return true;
}

void Error_Show(const char* text, bool fatal)
{
    if (g_ErrorQuitting) return;
    if (g_GameOptions.abortOnError) fatal = true;

    GR_D3D_ApplyPendingReset();
    if (g_pDebugForm != nullptr) DebugForm_UpdateStats(g_pDebugForm);

    if (ErrorFormShown()) {
        g_ErrorForm.message = ErrorForm_PrepareText(text);
        g_ErrorForm.ignoreAllowed = !fatal;
        // The player may end the game on an error that would have let it go on.
        if (ErrorForm_Show() == 1) fatal = true;
    }
    IO_Clear();

    if (text != nullptr)
        g_ErrorLast = text;
    else
        g_ErrorLast.clear();
    if (!Debug_EvaluatingExpression) ScriptConsole->Output("ERROR!!! :: %s\n", OrEmpty(text));
    g_ErrorOccurred = 1;

    if (fatal) {
        g_ErrorQuitting = true;
        g_RunRequest = RUN_REQUEST_FATAL;
        Run_SetExitCode(EXIT_CODE_FATAL_ERROR);
        PostQuitToMainWindow();
    }
}

namespace {

ErrorExitHook g_ExitHook = nullptr;

} // namespace

void Error_SetExitHook(ErrorExitHook hook)
{
    g_ExitHook = hook;
}

void Error_ShowAndExit(const char* text, int32_t exitCode)
{
    Error_Show(text, true);
    Error_Exit(exitCode);
}

void Error_Exit(int32_t exitCode)
{
    // No shut-down: the state is not to be trusted any more. Only the log is flushed.
    std::fflush(nullptr);
    if (g_ExitHook != nullptr) g_ExitHook(exitCode);
    std::_Exit(exitCode);
}

std::string ErrorForm_PrepareText(const char* text)
{
    std::string out = "\r\n" + std::string(43, '_') + "\r\n";
    for (const char* at = OrEmpty(text); *at != '\0'; ++at) {
        if (*at == '\r') {
            if (at[1] == '\n') ++at;
            out += "\r\n";
        } else if (*at == '\n') {
            out += "\r\n";
        } else if (*at == '\t') {
            out += "       ";
        } else {
            out += *at;
        }
    }
    return out;
}

void ErrorForm_Init(ErrorFormRecord*) {}

TErrStreamConsole::TErrStreamConsole() = default;

TErrStreamConsole::~TErrStreamConsole() { MemoryManager::Free(m_pText); }

void TErrStreamConsole::Output(const char* format, ...)
{
    if (format == nullptr) return;
    char scratch[SCRATCH_AREA];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(scratch, sizeof scratch, format, args);
    va_end(args);
    if (written < 0) return;
    uint32_t added = static_cast<uint32_t>(std::strlen(scratch));

    if (m_pText == nullptr) {
        m_pText = static_cast<char*>(MEM_ALLOC(m_Capacity, false));
        m_pText[0] = '\0';
    }
    if (m_Length + added + 1 > m_Capacity) {
        m_Capacity += added + 1024;
        m_pText = static_cast<char*>(MEM_REALLOC(m_pText, m_Capacity));
    }
    std::memcpy(m_pText + m_Length, scratch, added + 1);
    m_Length += added;
}
