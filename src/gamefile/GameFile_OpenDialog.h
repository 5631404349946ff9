// The question for a game file when none is named: the desktop's file chooser.
#pragma once

#include <string>

// The chosen file's path (UTF-8). False when the player cancels, no chooser is available, or the
// run is headless (a line on the log and on standard error says so and names -game); the caller
// then ends the program.
bool OpenGameFileDialog(std::string& path);

// The platform half: runs the desktop's chooser with the given title. False when none ran or the
// player cancelled.
bool GameFile_RunFileChooser(const char* title, std::string& path);
