// Desktop helper programs (file choosers, entry dialogs) run as child processes: started with an
// argument list, never through a shell, their standard output collected. They are box processes
// (Platform_Termination.h): none outlives the game.
#pragma once

#include <string>
#include <vector>

enum class ChildResult { NotStarted, Failed, Succeeded };

// Runs the program (arguments[0], looked up on PATH) and waits for it; Succeeded when it exited
// with 0, NotStarted when it could not be run at all.
ChildResult Platform_RunAndRead(std::vector<std::string> arguments, std::string& output);

// A child started without waiting for it: its output is collected while it runs.
struct ChildProcess {
    int pid = -1;
    int outputFd = -1;
    std::string output;
};
// Starts the program; false when it could not be run at all.
bool Platform_StartChild(std::vector<std::string> arguments, ChildProcess& child);
// Takes what the child wrote so far without blocking; true once it has ended, with its result
// (Succeeded for exit code 0, NotStarted for a program that was not found).
bool Platform_PollChild(ChildProcess& child, ChildResult& result);

// The output without its trailing line breaks.
std::string Platform_FirstLine(const std::string& output);
