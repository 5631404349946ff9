#include "platform/posix/Platform_ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

ChildResult ResultOf(int status)
{
    // A shell-less spawn of a missing program ends the child with 127.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return ChildResult::NotStarted;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildResult::Succeeded : ChildResult::Failed;
}

} // namespace

bool Platform_StartChild(std::vector<std::string> arguments, ChildProcess& child)
{
    if (arguments.empty()) return false;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (started != 0) {
        close(pipeEnds[0]);
        return false;
    }
    child.pid = pid;
    child.outputFd = pipeEnds[0];
    child.output.clear();
    return true;
}

bool Platform_PollChild(ChildProcess& child, ChildResult& result)
{
    if (child.pid < 0) return true;
    fcntl(child.outputFd, F_SETFL, fcntl(child.outputFd, F_GETFL) | O_NONBLOCK);
    char buffer[4096];
    ssize_t got;
    while ((got = read(child.outputFd, buffer, sizeof buffer)) > 0) child.output.append(buffer, static_cast<size_t>(got));
    int status = 0;
    if (waitpid(child.pid, &status, WNOHANG) != child.pid) return false;
    while ((got = read(child.outputFd, buffer, sizeof buffer)) > 0) child.output.append(buffer, static_cast<size_t>(got));
    close(child.outputFd);
    child.pid = -1;
    child.outputFd = -1;
    result = ResultOf(status);
    return true;
}

ChildResult Platform_RunAndRead(std::vector<std::string> arguments, std::string& output)
{
    ChildProcess child;
    if (!Platform_StartChild(std::move(arguments), child)) return ChildResult::NotStarted;
    char buffer[4096];
    ssize_t got;
    while ((got = read(child.outputFd, buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(got));
    close(child.outputFd);
    int status = 0;
    if (waitpid(child.pid, &status, 0) != child.pid) return ChildResult::Failed;
    return ResultOf(status);
}

std::string Platform_FirstLine(const std::string& output)
{
    std::string line = output.substr(0, output.find('\n'));
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}
