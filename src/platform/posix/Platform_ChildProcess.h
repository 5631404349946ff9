// Desktop helper programs (file choosers, entry dialogs) run as child processes: started with an
// argument list, never through a shell, their standard output collected.
#pragma once

#include <string>
#include <vector>

enum class ChildResult { NotStarted, Failed, Succeeded };

// Runs the program (arguments[0], looked up on PATH) and waits for it; Succeeded when it exited
// with 0, NotStarted when it could not be run at all.
ChildResult Platform_RunAndRead(std::vector<std::string> arguments, std::string& output);

// The output without its trailing line breaks.
std::string Platform_FirstLine(const std::string& output);
