// The desktop's file chooser as a child process: zenity, else kdialog. Started with posix_spawnp and
// an argument list, never through a shell; the chosen path is the child's standard output.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "gamefile/GameFile_OpenDialog.h"

extern char** environ;

namespace {

enum class ChooserResult { NotStarted, Cancelled, Chosen };

// Runs the program and collects its output; Chosen when it exited with 0.
ChooserResult RunAndRead(std::vector<std::string> arguments, std::string& output)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return ChooserResult::NotStarted;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (started != 0) {
        close(pipeEnds[0]);
        return ChooserResult::NotStarted;
    }
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child) return ChooserResult::Cancelled;
    // A shell-less spawn of a missing program ends the child with 127.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return ChooserResult::NotStarted;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChooserResult::Chosen : ChooserResult::Cancelled;
}

} // namespace

bool GameFile_RunFileChooser(const char* title, std::string& path)
{
    std::string output;
    ChooserResult result = RunAndRead({"zenity", "--file-selection", std::string("--title=") + title,
                                       "--file-filter=All Files (*.*) | *"},
                                      output);
    if (result == ChooserResult::NotStarted) {
        output.clear();
        result = RunAndRead({"kdialog", "--title", title, "--getopenfilename", ".", "All Files (*.*) (*)"}, output);
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    if (result != ChooserResult::Chosen || output.empty()) return false;
    path = output;
    return true;
}
