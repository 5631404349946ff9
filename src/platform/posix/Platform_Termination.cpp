#include "platform/posix/Platform_Termination.h"

#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <new>

namespace {

constexpr int TERMINATION_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

// Shared with the box processes, which fork from us: the box's process id, written by the box itself
// (the toolkit that forks it does not tell us), and whether the game is ending, which a box that
// forks after the signal reads to end at once.
struct BoxShare {
    std::atomic<pid_t> pid;
    std::atomic<int> ending;
};
// The signal handler touches them: they must not take a lock.
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

std::atomic<BoxShare*> g_Share{nullptr};
std::atomic<int> g_BoxScopes{0};
pid_t g_GamePid = 0;
// The termination signals that came, and whether the orderly end has begun.
std::atomic<int> g_Signals{0};
std::atomic<int> g_EndUnderWay{0};

// The signal that ends the process at once: the second while the game may be stuck in a script, the
// third once its end is under way.
constexpr int FORCING_SIGNAL = 2;
constexpr int FORCING_SIGNAL_WHILE_ENDING = 3;

// A player, a shell or a service manager sends one signal and waits. The game has this long from the
// first to come back to its loop: a script still running after the first part of it is ended where
// the executors look (Platform_EndIfTerminationOverdue), and whatever still runs at its end (a thread
// blocked in a library or the system) is ended by the watchdog. Once the orderly end has begun it
// runs to its end, however long it takes; a third signal still cuts it.
constexpr int64_t TERMINATION_DEADLINE_NANOSECONDS = 4000000000;
constexpr int64_t TERMINATION_GRACE_NANOSECONDS = 2000000000;

// The first signal's number and when it came (monotonic nanoseconds); 0 before.
std::atomic<int> g_FirstSignal{0};
std::atomic<int64_t> g_FirstSignalAt{0};
static_assert(std::atomic<int64_t>::is_always_lock_free);

// The step the watchdog runs before it ends the process (the game's files flushed); null when none.
std::atomic<void (*)()> g_DeadlineStep{nullptr};

// Posted by the first signal's handler (sem_post may be called there); the watchdog waits on it.
sem_t g_WatchdogWake;
// The watchdog needs little: it waits, runs the deadline step and ends the process.
constexpr size_t WATCHDOG_STACK_BYTES = 256 * 1024;

int64_t MonotonicNanoseconds()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Ends the process as the signal does by default, from any thread.
[[noreturn]] void EndByFirstSignal()
{
    int number = g_FirstSignal.load();
    signal(number, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(number);
    // Not reached while the default action ends the process.
    kill(getpid(), number);
    _exit(128 + number);
}

// A termination signal came and the game has not come back to its loop in the time it had, its end
// not begun.
bool TerminationOverdue()
{
    // Once the end is under way the game came back in time.
    if (g_FirstSignal.load() == 0 || g_EndUnderWay.load() != 0) return false;
    return MonotonicNanoseconds() - g_FirstSignalAt.load() >= TERMINATION_GRACE_NANOSECONDS;
}

// A signal handler may not flush files; this thread may, without waiting on a lock that a thread
// blocked outside the engine holds (the deadline step only tries the locks).
void* WatchDeadline(void*)
{
    while (sem_wait(&g_WatchdogWake) != 0)
        if (errno != EINTR) return nullptr;
    int64_t at = g_FirstSignalAt.load() + TERMINATION_DEADLINE_NANOSECONDS;
    struct timespec deadline = {static_cast<time_t>(at / 1000000000), static_cast<long>(at % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
    if (g_EndUnderWay.load() != 0) return nullptr;
    if (void (*step)() = g_DeadlineStep.load()) step();
    EndByFirstSignal();
}

// Started with the handlers, so that none need be started from one. Its signals blocked: the
// handlers run on the game's threads as before. Without it the second signal alone bounds the end.
void StartWatchdog()
{
    if (sem_init(&g_WatchdogWake, 0, 0) != 0) return;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return;
    pthread_attr_setstacksize(&attributes, WATCHDOG_STACK_BYTES);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    sigset_t all;
    sigset_t kept;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &kept);
    pthread_t thread;
    pthread_create(&thread, &attributes, WatchDeadline, nullptr);
    pthread_sigmask(SIG_SETMASK, &kept, nullptr);
    pthread_attr_destroy(&attributes);
}

void EndBox()
{
    BoxShare* share = g_Share.load();
    if (share == nullptr) return;
    share->ending.store(1);
    pid_t box = share->pid.load();
    if (box > 0) kill(box, SIGTERM);
}

void OnTerminationSignal(int number)
{
    EndBox();
    int forcing = g_EndUnderWay.load() != 0 ? FORCING_SIGNAL_WHILE_ENDING : FORCING_SIGNAL;
    int count = g_Signals.fetch_add(1) + 1;
    if (count == 1) {
        g_FirstSignalAt.store(MonotonicNanoseconds());
        g_FirstSignal.store(number);
        sem_post(&g_WatchdogWake);
    }
    if (count >= forcing) {
        signal(number, SIG_DFL);
        raise(number);
    }
}

void IgnoreBrokenPipe(int) {}

// Installs the handler; an interrupted system call goes on after it.
void Handle(int number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}

// In a process just forked: a box process dies with the thread that forked it, and says who it is.
void AtForkInChild()
{
    BoxShare* share = g_Share.load();
    if (g_BoxScopes.load() == 0 || share == nullptr) return;
    for (int number : TERMINATION_SIGNALS) signal(number, SIG_DFL);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The game may have ended before the line above took effect.
    if (getppid() != g_GamePid) _exit(1);
    share->pid.store(getpid());
    if (share->ending.load() != 0) _exit(1);
}

void MakeShare()
{
    static std::once_flag once;
    std::call_once(once, [] {
        void* page = mmap(nullptr, sizeof(BoxShare), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED) return;
        g_Share.store(new (page) BoxShare{});
        pthread_atfork(nullptr, nullptr, AtForkInChild);
    });
}

} // namespace

void Platform_InstallTerminationHandlers()
{
    MakeShare();
    static std::once_flag once;
    std::call_once(once, StartWatchdog);
    // A wait for a box goes on after the handler: the box's end is what ends it.
    for (int number : TERMINATION_SIGNALS) Handle(number, OnTerminationSignal);
}

bool Platform_TerminationRequested()
{
    return g_Signals.load() != 0;
}

void Platform_EndIfTerminationOverdue()
{
    if (!TerminationOverdue()) return;
    // Its open files flushed first, as a fatal error ends a game.
    std::fflush(nullptr);
    EndByFirstSignal();
}

void Platform_OnTerminationDeadline(void (*step)())
{
    g_DeadlineStep.store(step);
}

void Platform_TerminationEndUnderWay()
{
    g_EndUnderWay.store(1);
}

void Platform_GuardStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number, which is this one: the ones below it are open by now.
        int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) close(opened);
    }
    // A handler rather than SIG_IGN: programs the game starts get the default back when they exec.
    Handle(SIGPIPE, IgnoreBrokenPipe);
}

Platform_BoxProcesses::Platform_BoxProcesses()
{
    MakeShare();
    g_GamePid = getpid();
    g_BoxScopes.fetch_add(1);
}

Platform_BoxProcesses::~Platform_BoxProcesses()
{
    if (g_BoxScopes.fetch_sub(1) == 1 && g_Share.load() != nullptr) g_Share.load()->pid.store(0);
}

int Platform_BoxProcessId()
{
    BoxShare* share = g_Share.load();
    return g_BoxScopes.load() != 0 && share != nullptr ? share->pid.load() : 0;
}
