// Finding and reading the game file, and the two walks over its chunks: the pre-pass during
// start-up ("Get Resolution": strings, header, code, variables, built-in function registration)
// and the main chunk pass of "Do The Work" (every resource table reset, then each chunk handed to
// the area that owns its kind).
//
// Start-up uses it as:
//     App_SetGameFileName(...);        // "data.win" beside the program, or -game
//     KirranLoadGame();                // reads the file, "options.ini" and the debug file
//     LoadGameCode(g_GameFile);        // "Get Resolution"
//     ...
//     if (!LoadGameData()) { MainConsole->Output("Failed to load the game\n"); ... }
#pragma once

#include <cstdint>
#include <string>

#include "gamefile/GameFile_View.h"

class IniFile;

// The game file, held unchanged (but for the code words linking writes) for the whole run.
extern GameFile g_GameFile;
// The file's size plus 128, shown by the profiler's memory figures.
extern uint32_t g_GameFileMemoryFigure;
// "options.ini" beside the game file: its path and, when it exists, the opened file.
extern std::string g_OptionsIniPath;
extern IniFile* g_pOptionsIni;
// The debug-information file's path ("" when the game file's name holds no ".").
extern std::string g_DebugInfoPath;
// Set when the pre-pass meets a "CODE" chunk: the game carries compiled code.
extern bool g_CompiledCode;
// 800 once the pre-pass read a header; the main pass makes it 700 for a "GEN7" or "GENL" header.
extern int32_t g_FormatVersion;
// The variables chunk as the pre-pass kept it: its body and its length in words.
extern uint32_t g_VariableChunkBody;
extern uint32_t g_VariableChunkWords;
// The texture-page chunk kept by the main pass (its count table checked, every entry's 22 bytes
// inside the file); length 0 when the file has none.
extern GameFileChunk g_TexturePageChunk;
// Set when the pre-pass refused a chunk; the main pass then fails.
extern bool g_PrePassFailed;

constexpr uint32_t TEXTURE_PAGE_ENTRY_SIZE = 22;

// Why the file read cannot be a game file, or "" when it may be one: it holds 8 bytes or fewer,
// its length word is not its size minus 8, or it holds no header chunk. Such a file would load as a
// game without chunks, which no game can be, so start-up refuses it.
std::string GameFile_Refusal(const GameFile& file);
// The tag of the first chunk of a kind the main pass does not know (a later format's), or "" when
// it knows them all. In such a file neither pass runs a reader that would report a fatal error.
std::string GameFile_UnknownChunk(const GameFile& file);
// The system's reason why the game file could not be read ("" once it was read).
const std::string& GameFile_ReadError();
// What the readers of the chunks that failed in either pass logged, with the line naming each such
// chunk ("" when none failed): why the load failed, in the log's words.
const std::string& GameFile_LoadFailures();

// Reads the game file named by App_GetGameFileName (which becomes its mapped path), "options.ini"
// and the debug file. The result is always false (and ignored). Without a name the open-file
// dialog asks; cancelling it ends the program with exit code 1.
bool KirranLoadGame();

// The pre-pass. Reads nothing from a file whose length word is not its size minus 8, or of 8 bytes
// or less.
void LoadGameCode(GameFile& file);

// Logs "LoadGameData()" and runs the main chunk pass over g_GameFile.
bool LoadGameData();

// The main chunk pass. False when a chunk was unknown or malformed, the container broken or
// refused (GameFile_Refusal), the pre-pass had refused a chunk, or no file was read; every chunk that can be loaded still is.
bool LoadGameChunks(GameFile& file);

// Where "options.ini" and the debug file are looked for, given the game file's path: "" when the
// path has no separator (no "." for the debug file).
std::string GameFile_OptionsIniPath(const std::string& gamePath);
std::string GameFile_DebugInfoPath(const std::string& gamePath);
