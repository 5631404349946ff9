#include "platform/Platform_Headroom.h"

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t MiB = size_t(1) << 20;

// Measured under limits in steps of 4 MB, each with a margin of some 10 MB or more: the driver's
// libraries, loaded with the first window or context, map 200 MB of address space; the context without
// its threads takes 13 MB, each thread its stack and a few hundred kilobytes more; the sound device
// 36 MB of address space (its libraries and its mixing thread) and 14 MB of data; the first
// program's compile and drawing 10 MB and 12 MB, the compiler's own start included, and each
// later program some 2 MB of data.
constexpr size_t DRIVER_LIBRARIES = 224 * MiB; // address space alone: 200 MB of code and its tables
constexpr size_t CONTEXT_BASE = 24 * MiB;
constexpr size_t CONTEXT_PER_THREAD = 1 * MiB;
constexpr Headroom SOUND_DEVICE = {48 * MiB, 24 * MiB};
constexpr Headroom FIRST_SHADER_PROGRAM = {24 * MiB, 24 * MiB};
constexpr Headroom LATER_SHADER_PROGRAM = {8 * MiB, 8 * MiB};

constexpr size_t RENDERER_MAX_THREADS = 32;
constexpr size_t RENDERER_THREAD_SETS = 2;

size_t ProcessorsToRunOn()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return static_cast<size_t>(CPU_COUNT(&set));
}

// The stack a new thread gets unless its maker asks otherwise: the stack limit's size.
size_t DefaultThreadStack()
{
    size_t size = 8 * MiB;
    pthread_attr_t attributes;
    if (pthread_getattr_default_np(&attributes) != 0) return size;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    return size;
}

} // namespace

bool Platform_MappableNow(size_t bytes, int protection)
{
    if (bytes == 0) return true;
    void* probe = mmap(nullptr, bytes, protection, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (probe == MAP_FAILED) return false;
    munmap(probe, bytes);
    return true;
}

bool Platform_HeadroomLeft(const Headroom& needed)
{
    // Reserved address space meets only an address-space limit; writable memory meets both.
    return Platform_MappableNow(needed.addressSpace, PROT_NONE) &&
           Platform_MappableNow(needed.data, PROT_READ | PROT_WRITE);
}

size_t Headroom_RendererThreads(const char* asked, size_t processors)
{
    size_t each = processors > 1 ? processors : 0;
    if (asked != nullptr && asked[0] != '\0') {
        // Read as the renderer reads it: any base C knows, a negative count taken as the most.
        char* end = nullptr;
        long number = std::strtol(asked, &end, 0);
        if (end != asked) each = number >= 0 ? static_cast<size_t>(number) : RENDERER_MAX_THREADS;
    }
    return RENDERER_THREAD_SETS * std::min(each, RENDERER_MAX_THREADS);
}

Headroom Headroom_GraphicsContext()
{
    size_t threads = Headroom_RendererThreads(std::getenv("LP_NUM_THREADS"), ProcessorsToRunOn());
    size_t bytes = CONTEXT_BASE + threads * (DefaultThreadStack() + CONTEXT_PER_THREAD);
    return {bytes, bytes};
}

Headroom Headroom_GraphicsDriver()
{
    Headroom needed = Headroom_GraphicsContext();
    needed.addressSpace += DRIVER_LIBRARIES;
    return needed;
}

Headroom Headroom_SoundDevice() { return SOUND_DEVICE; }

Headroom Headroom_ShaderProgram(bool first) { return first ? FIRST_SHADER_PROGRAM : LATER_SHADER_PROGRAM; }

std::string Headroom_Shortfall(const char* what, const Headroom& needed)
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "the process's memory limits leave too little for %s (it takes some %zu MB of address "
                  "space and %zu MB of data)",
                  what, needed.addressSpace / MiB, needed.data / MiB);
    return line;
}

std::string Headroom_Lacking(const char* what, const Headroom& needed)
{
    return Platform_HeadroomLeft(needed) ? std::string() : Headroom_Shortfall(what, needed);
}

std::string Headroom_GraphicsDriverLacking()
{
    static bool s_Started = false;
    if (s_Started) return {};
    std::string lacking = Headroom_Lacking("the graphics driver", Headroom_GraphicsDriver());
    s_Started = lacking.empty();
    return lacking;
}
