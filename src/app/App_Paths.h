// Three path services of start-up: the program's own path, the game file's folder and the per-user
// save folder. Each is worked out on first use and kept.
#pragma once

#include <string>

// The full path of the executable, its file name included.
const char* GetProgramDirectory();
// The folder of the game file with a trailing separator; "./" for a bare file name.
const char* GetGameFileDirectory();
// The game's folder in the save area with a trailing separator ("<data home>/<save folder>/", or
// under the configuration home when the header asks for the roaming area; a header without a
// save-folder name gives App_SaveFolderOfGameFile's name); null when no header was read or no home
// folder is known.
const char* GetSaveDirectory();

// Forgets the kept paths (a new game file, or a test).
void App_ResetPaths();

// The header's save-folder name made a single path component: separators become "_" and a name
// of "." or ".." is replaced, so saves never leave the save area.
std::string App_SaveFolderComponent(const char* name);
// The save-area folder of a game whose header names none: its game file's name without the
// extension ("space" for /games/space.win), or for a "data.win" the name of the folder holding it
// ("ship" for /games/ship/data.win); "game" when the path gives no name.
std::string App_SaveFolderOfGameFile(const char* gameFile);
