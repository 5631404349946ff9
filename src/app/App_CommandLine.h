// The command line and the switches it sets. The process's arguments are joined back into one
// 8-bit text (at most 8191 characters), and that text is read token by token, as the player typed it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t COMMAND_LINE_SIZE = 8192;
constexpr size_t COMMAND_TOKEN_SIZE = 4096;

// The copy of the command line and the token area that NextCommandLineToken fills.
extern char g_CommandLine[COMMAND_LINE_SIZE];
extern char g_CommandToken[COMMAND_TOKEN_SIZE];

// Switches. ParseCommandLine resets the first group to its defaults on every call (with the
// in-a-window flag, g_OptionInAWindow of the options); the second group keeps its static start
// values (trace off, Steam off; show-errors is the options' flag, on).
extern uint8_t g_DebugMode;
extern int32_t g_DebugOverlayFlags;
extern uint8_t g_ExtCallFlag;
extern uint8_t g_UseBytecode; // 1: bytecode interpreter, 0: tree-walking executor ("-oldexec")
extern uint8_t g_NoAudio;
extern uint8_t g_RecordInput;
extern uint8_t g_PlaybackInput;
extern uint8_t g_TraceFlag;
extern uint8_t g_SteamSwitch;
// The input recording file, shared by "-record" and "-playback".
extern std::string g_RecordFileName;

// The game file's name: null until set (by "-game" or a "data.win" beside the program).
const char* App_GetGameFileName();
void App_SetGameFileName(const char* name);
void App_ClearGameFileName();

// Copies a command line into g_CommandLine, cut to its first 8191 characters.
void CommandLine_Copy(const char* text);

// The process's arguments as one command line: each argument after a blank, quoted when it holds a
// blank or control character or is empty, so that the tokenizer gives the arguments back.
std::string CommandLine_FromArguments(int argc, const char* const* argv);

// Copies the next token from `position` into g_CommandToken and returns the position reached.
// Quotes group blanks into a token and are dropped. A token longer than the area keeps its first
// 4095 characters; the rest of it is skipped.
size_t NextCommandLineToken(size_t position, const char* text);

// Sets every resettable switch to its default, then reads the switches of `text` (null: none).
void ParseCommandLine(const char* text);
