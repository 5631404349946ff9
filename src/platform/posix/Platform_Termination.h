// SIGTERM, SIGINT and SIGHUP end the game at any time. The first asks the main loop to end as when
// the window closes, so the shut-down runs as ever; a box open meanwhile (a message box, a question,
// the error form), which the desktop's toolkit runs in a child process the game waits for, is ended
// with it so that the game goes on to that end. A second signal while the first waits to be seen (a
// script that never lets the loop on) ends the process at once, as the signal would by default; once
// the game's end is under way (its game end event, its files saved, the shut-down), only a third
// does, so that a key pressed twice does not cut the game's last writes short, and that end runs to
// its end however long it takes. The first alone bounds the wait for the game to come back to its
// loop: a script that has not let the loop on after 2 s is ended where the executors look (its files
// flushed), and at 4 s a watchdog thread runs the deadline step (the game's files flushed) and ends
// the process as the signal does by default, even with the game thread blocked outside the engine.
// SIGALRM is left alone, with its default meaning.
#pragma once

// Installs the handlers; before the events start, so that the toolkit keeps its own off them.
void Platform_InstallTerminationHandlers();

// A termination signal came.
bool Platform_TerminationRequested();

// Where a termination signal came and the game has not come back to its loop in the 2 s it had, its
// end not begun, ends the process at once as the signal does by default, its open files flushed
// first: what a running script calls where it looks (the interpreter's message pump, the
// tree-walking executor's loops, sleep).
void Platform_EndIfTerminationOverdue();

// The step the watchdog runs before it ends the process at the deadline, from its own thread, while
// the game thread may be anywhere: it must not wait on a lock another thread may hold.
void Platform_OnTerminationDeadline(void (*step)());

// The main loop has ended and the game's orderly end begins.
void Platform_TerminationEndUnderWay();

// A standard stream that is closed, or whose reader has gone, never ends the game: the closed ones
// are opened on /dev/null (so that no file the game opens takes their number and the log's lines),
// and a write to a pipe without a reader fails with EPIPE instead of raising SIGPIPE.
void Platform_GuardStandardStreams();

// While one lives, the processes that the calling code forks (a box of the toolkit) are box
// processes: a termination signal ends them, and the system ends them when the thread that forked
// them ends, however it ends, so that no box outlives the game.
class Platform_BoxProcesses {
  public:
    Platform_BoxProcesses();
    ~Platform_BoxProcesses();
    Platform_BoxProcesses(const Platform_BoxProcesses&) = delete;
    Platform_BoxProcesses& operator=(const Platform_BoxProcesses&) = delete;
};

// The box process forked while one lives, once it runs; 0 before. Takes no lock and allocates
// nothing, so that a thread may wait on it while the box is being forked.
int Platform_BoxProcessId();
