#include "app/App_CommandLine.h"

#include <cstring>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Options.h"
#include "physics/Physics_World.h"

char g_CommandLine[COMMAND_LINE_SIZE];
char g_CommandToken[COMMAND_TOKEN_SIZE];

uint8_t g_DebugMode = 0;
int32_t g_DebugOverlayFlags = 0;
uint8_t g_ExtCallFlag = 0;
uint8_t g_UseBytecode = 1;
uint8_t g_NoAudio = 0;
uint8_t g_RecordInput = 0;
uint8_t g_PlaybackInput = 0;
uint8_t g_TraceFlag = 0;
uint8_t g_SteamSwitch = 0;
std::string g_RecordFileName;

namespace {

std::string g_GameFileName;
bool g_GameFileNameSet = false;

// Blanks and control characters separate tokens. Bytes of 128 and above are text (UTF-8 paths).
bool IsSeparator(char c)
{
    return static_cast<unsigned char>(c) < 33;
}

bool NeedsQuotes(const char* argument)
{
    if (argument[0] == '\0') return true;
    for (const char* p = argument; *p != '\0'; ++p) {
        if (IsSeparator(*p)) return true;
    }
    return false;
}

void ResetSwitches()
{
    g_DebugMode = 0;
    g_DebugOverlayFlags = 0;
    g_ExtCallFlag = 0;
    g_RecordInput = 0;
    g_PlaybackInput = 0;
    g_UseBytecode = 1;
    g_NoAudio = 0;
    g_OptionInAWindow = false;
}

// The switches that take no value: each sets its flags.
struct FlagSwitch {
    const char* name;
    void (*apply)();
};

const FlagSwitch FLAG_SWITCHES[] = {
    {"-debug",
     [] {
         g_DebugMode = 1;
         g_DebugOverlayFlags = 2;
         Physics_InstallErrorHook();
     }},
    {"-trace", [] { g_TraceFlag = 1; }},
    {"-ext", [] { g_ExtCallFlag = 1; }},
    {"-noerrors", [] { g_GameOptions.showErrors = false; }},
    {"-oldexec", [] { g_UseBytecode = 0; }},
    {"-noaudio", [] { g_NoAudio = 1; }},
    {"-inawindow", [] { g_OptionInAWindow = true; }},
    {"-steam", [] { g_SteamSwitch = 1; }},
};

// The switches that take the next token as their value.
struct ValueSwitch {
    const char* name;
    void (*apply)(const char* value);
};

const ValueSwitch VALUE_SWITCHES[] = {
    {"-game",
     [](const char* value) {
         if (!g_GameFileNameSet) App_SetGameFileName(value);
     }},
    {"-record",
     [](const char* value) {
         g_RecordInput = 1;
         g_RecordFileName = value;
     }},
    {"-playback",
     [](const char* value) {
         g_PlaybackInput = 1;
         g_RecordFileName = value;
     }},
    {"-output", [](const char* value) { Console_SetLogFile(CONSOLE_SCRIPT, value); }},
    {"-debugoutput", [](const char* value) { Console_SetLogFile(CONSOLE_MAIN, value); }},
};

// Applies the switch named by the token in g_CommandToken; a value switch reads its value from the
// text. Returns the position after what was read.
size_t ApplySwitch(size_t position, const char* text)
{
    for (const FlagSwitch& s : FLAG_SWITCHES) {
        if (std::strcmp(g_CommandToken, s.name) == 0) {
            s.apply();
            return position;
        }
    }
    for (const ValueSwitch& s : VALUE_SWITCHES) {
        if (std::strcmp(g_CommandToken, s.name) == 0) {
            position = NextCommandLineToken(position, text);
            s.apply(g_CommandToken);
            return position;
        }
    }
    return position; // not a switch: skipped
}

} // namespace

const char* App_GetGameFileName()
{
    return g_GameFileNameSet ? g_GameFileName.c_str() : nullptr;
}

void App_SetGameFileName(const char* name)
{
    g_GameFileName = name != nullptr ? name : "";
    g_GameFileNameSet = true;
}

void App_ClearGameFileName()
{
    g_GameFileName.clear();
    g_GameFileNameSet = false;
}

void CommandLine_Copy(const char* text)
{
    size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > COMMAND_LINE_SIZE - 1) length = COMMAND_LINE_SIZE - 1;
    if (length > 0) std::memcpy(g_CommandLine, text, length);
    g_CommandLine[length] = '\0';
}

std::string CommandLine_FromArguments(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i] != nullptr ? argv[i] : "";
        if (i > 0) line += ' ';
        if (NeedsQuotes(argument)) {
            line += '"';
            line += argument;
            line += '"';
        } else {
            line += argument;
        }
    }
    return line;
}

size_t NextCommandLineToken(size_t position, const char* text)
{
    std::memset(g_CommandToken, 0, sizeof g_CommandToken);
    if (text == nullptr || text[position] == '\0') return position;

    while (text[position] != '\0' && IsSeparator(text[position]))
        ++position;

    size_t length = 0;
    bool inQuotes = false;
    for (; text[position] != '\0'; ++position) {
        char c = text[position];
        if (c == '"') {
            inQuotes = !inQuotes;
            continue;
        }
        if (!inQuotes && IsSeparator(c)) break;
        if (length < COMMAND_TOKEN_SIZE - 1) g_CommandToken[length++] = c;
    }
    g_CommandToken[length] = '\0';
    return position;
}

void ParseCommandLine(const char* text)
{
    ResetSwitches();
    if (text == nullptr) return;
    size_t position = 0;
    while (text[position] != '\0') {
        position = NextCommandLineToken(position, text);
        position = ApplySwitch(position, text);
    }
}
