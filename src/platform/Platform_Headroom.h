// The memory a third-party library takes as it starts, asked for before it starts. The graphics
// driver (its context, its shader compiler) and the sound library do not check their allocations:
// where the process's limits (ulimit -v, ulimit -d) refuse them memory they end the process by a
// signal. Asked first, a shortfall becomes a refusal the engine words itself.
#pragma once

#include <cstddef>
#include <string>

// Bytes of address space and of data (private writable memory, which a data limit counts).
struct Headroom {
    size_t addressSpace = 0;
    size_t data = 0;
};

// Whether the system maps `bytes` of private memory of that protection now: a mapping made and
// dropped meets the same limits and commit accounting as a library's own would.
bool Platform_MappableNow(size_t bytes, int protection);

// Whether the process's limits leave that much now.
bool Platform_HeadroomLeft(const Headroom& needed);

// The threads the software renderer starts for one context, two sets (drawing and compute) of one
// thread a processor this process may run on, none on a single processor, at most 32 a set; or the
// set its environment asks for (LP_NUM_THREADS).
size_t Headroom_RendererThreads(const char* asked, size_t processors);

// What each start takes, measured with the software renderer: a graphics context and its threads
// (each thread's stack is as large as the stack limit, as ulimit -s sets), the sound device, and a
// shader program's compile with its first drawing (the process's first starts the compiler).
Headroom Headroom_GraphicsContext();
// The driver's start: its libraries, then its first context.
Headroom Headroom_GraphicsDriver();
Headroom Headroom_SoundDevice();
Headroom Headroom_ShaderProgram(bool first);

// The refusal's reason: "the process's memory limits leave too little for WHAT (it takes some N MB
// of address space and N MB of data)".
std::string Headroom_Shortfall(const char* what, const Headroom& needed);

// Empty when the process's limits leave `needed` now, else the refusal's reason.
std::string Headroom_Lacking(const char* what, const Headroom& needed);

// The same for the graphics driver's start: empty once it has started, else when the limits leave
// its room, the driver then counted as started. It starts with the first window or context made for
// drawing (SDL's X11 window makes a context of its own to read the driver's extensions; the offscreen
// driver leaves it to the device's context), so each of them asks first.
std::string Headroom_GraphicsDriverLacking();
