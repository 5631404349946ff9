// Termination signals end the game's box processes with it: each case runs in a process of its own,
// which says on standard error how its box ended.
#include "platform/posix/Platform_Termination.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/posix/Platform_ChildProcess.h"

namespace {

// A box waiting for its player, forked as the toolkit forks one (within a box scope, or as a plain
// child without one); it has started, and said who it is, when this returns.
pid_t ForkBox()
{
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t box = fork();
    if (box == 0) {
        char byte = 1;
        if (write(ready[1], &byte, 1) != 1) _exit(3);
        for (;;) pause();
    }
    char byte = 0;
    if (read(ready[0], &byte, 1) != 1) box = -1;
    close(ready[0]);
    close(ready[1]);
    return box;
}

// How the child ended; one still running after five seconds is killed and reported as such.
std::string HowEnded(pid_t pid)
{
    int status = 0;
    for (int tries = 0; tries < 500; ++tries) {
        pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended < 0) return "not waited for";
        if (ended == 0) {
            usleep(10000);
            continue;
        }
        if (WIFSIGNALED(status)) return "by signal " + std::to_string(WTERMSIG(status));
        return "with exit code " + std::to_string(WEXITSTATUS(status));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return "not: it was still running";
}

// Signals the process itself while a box is open, then reports how the box ended and whether the
// game was asked to end.
[[noreturn]] void SignalWhileBoxOpen(int number, bool inScope)
{
    Platform_InstallTerminationHandlers();
    std::optional<Platform_BoxProcesses> scope;
    if (inScope) scope.emplace();
    pid_t box = ForkBox();
    kill(getpid(), number);
    if (!inScope) kill(box, SIGKILL);
    std::fprintf(stderr, "box ended %s, termination %s\n", HowEnded(box).c_str(),
                 Platform_TerminationRequested() ? "requested" : "not requested");
    std::exit(0);
}

TEST(TerminationDeathTest, ASignalAsksTheGameToEndAndEndsTheOpenBox)
{
    const struct {
        int number;
        bool inScope;
        const char* report;
    } cases[] = {
        {SIGTERM, true, "box ended by signal 15, termination requested"},
        {SIGINT, true, "box ended by signal 15, termination requested"},
        {SIGHUP, true, "box ended by signal 15, termination requested"},
        // A child that is no box is left alone (the test ends it).
        {SIGTERM, false, "box ended by signal 9, termination requested"},
    };
    for (const auto& c : cases)
        EXPECT_EXIT(SignalWhileBoxOpen(c.number, c.inScope), testing::ExitedWithCode(0), c.report)
            << "signal " << c.number << (c.inScope ? "" : " outside a box");
}

TEST(TerminationDeathTest, ASecondSignalBeforeTheLoopSawTheFirstEndsTheProcess)
{
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_EXIT((Platform_InstallTerminationHandlers(), raise(number), raise(number), std::exit(0)),
                    testing::KilledBySignal(number), "")
            << "signal " << number;
}

// The boxes a game opens, each in a process of its own: the toolkit's (a fork, as it makes one) and
// a desktop dialog (a program started as a child); the box's process id, or -1.
pid_t OpenBox(bool desktop)
{
    if (!desktop) return ForkBox();
    ChildProcess dialog;
    if (!Platform_StartChild({"sleep", "30"}, dialog)) return -1;
    // Started once it runs the program.
    for (int tries = 0; tries < 500; ++tries) {
        std::string name;
        std::ifstream("/proc/" + std::to_string(dialog.pid) + "/comm") >> name;
        if (name == "sleep") return dialog.pid;
        usleep(10000);
    }
    return -1;
}

// A game killed outright takes its box with it: the box, orphaned, comes to this process (its
// reaper), killed.
TEST(TerminationDeathTest, ABoxDoesNotOutliveAGameKilledOutright)
{
    for (bool desktop : {false, true})
        EXPECT_EXIT(
            {
                prctl(PR_SET_CHILD_SUBREAPER, 1);
                int told[2];
                if (pipe(told) != 0) std::exit(2);
                pid_t game = fork();
                if (game == 0) {
                    Platform_InstallTerminationHandlers();
                    Platform_BoxProcesses scope;
                    pid_t box = OpenBox(desktop);
                    if (write(told[1], &box, sizeof box) != sizeof box) _exit(3);
                    for (;;) pause();
                }
                pid_t box = -1;
                if (read(told[0], &box, sizeof box) != sizeof box || box <= 0) std::exit(4);
                kill(game, SIGKILL);
                std::string gameEnd = HowEnded(game);
                std::fprintf(stderr, "game ended %s, box ended %s\n", gameEnd.c_str(), HowEnded(box).c_str());
                std::exit(0);
            },
            testing::ExitedWithCode(0), "game ended by signal 9, box ended by signal 9")
            << (desktop ? "a desktop dialog" : "a box of the toolkit");
}

// A game waiting for a desktop dialog (a file chooser, say) goes on when a signal ends the dialog.
TEST(TerminationDeathTest, ASignalEndsTheDesktopDialogTheGameWaitsFor)
{
    EXPECT_EXIT(
        {
            Platform_InstallTerminationHandlers();
            std::thread signaller([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                kill(getpid(), SIGTERM);
            });
            std::string output;
            auto started = std::chrono::steady_clock::now();
            ChildResult result = Platform_RunAndRead({"sleep", "30"}, output);
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            signaller.join();
            std::fprintf(stderr, "dialog %s %s, termination %s\n", result == ChildResult::Failed ? "failed" : "answered",
                         seconds < 10 ? "at once" : "after its time",
                         Platform_TerminationRequested() ? "requested" : "not requested");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "dialog failed at once, termination requested");
}

} // namespace
