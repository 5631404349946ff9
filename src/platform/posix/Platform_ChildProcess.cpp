#include "platform/posix/Platform_ChildProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/Platform_Termination.h"

namespace {

ChildResult ResultOf(int status)
{
    // A shell-less spawn of a missing program ends the child with 127.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return ChildResult::NotStarted;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildResult::Succeeded : ChildResult::Failed;
}

// The program's file as execvp would find it on PATH; empty when there is none, so that a missing
// program is known before anything starts.
std::string ProgramPath(const std::string& name)
{
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = end > start ? folders.substr(start, end - start) : ".";
        std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::string();
}

} // namespace

bool Platform_StartChild(std::vector<std::string> arguments, ChildProcess& child)
{
    if (arguments.empty()) return false;
    std::string program = ProgramPath(arguments[0]);
    int pipeEnds[2];
    if (program.empty() || pipe(pipeEnds) != 0) return false;
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // Forked within a box scope, so that a termination signal ends the dialog and the dialog dies with
    // the game. Only calls safe in a fork of a threaded process come before the exec.
    Platform_BoxProcesses box;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(program.c_str(), argv.data());
        _exit(127); // as a shell-less spawn of a program that cannot run
    }
    close(pipeEnds[1]);
    if (pid < 0) {
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
    // The game waits for the dialog: a termination signal ends it while it is open.
    Platform_BoxProcesses box;
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
