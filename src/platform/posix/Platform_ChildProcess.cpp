#include "platform/posix/Platform_ChildProcess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ChildResult Platform_RunAndRead(std::vector<std::string> arguments, std::string& output)
{
    if (arguments.empty()) return ChildResult::NotStarted;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return ChildResult::NotStarted;
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
        return ChildResult::NotStarted;
    }
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child) return ChildResult::Failed;
    // A shell-less spawn of a missing program ends the child with 127.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return ChildResult::NotStarted;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildResult::Succeeded : ChildResult::Failed;
}

std::string Platform_FirstLine(const std::string& output)
{
    std::string line = output.substr(0, output.find('\n'));
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}
