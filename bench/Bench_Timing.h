// Timing of whole runs for the benchmarks against a peer: each program runs twice with different
// frame counts, so that start-up cancels out of the milliseconds per frame.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

// Seconds a shell command took; -1 when it failed.
inline double Seconds(const std::string& command)
{
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    auto end = std::chrono::steady_clock::now();
    if (status != 0) {
        std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

// Milliseconds per frame from two runs of different lengths; `command` gives the run of n frames.
template <typename Command> double PerFrame(Command command, int32_t shortRun, int32_t longRun)
{
    double a = Seconds(command(shortRun));
    double b = Seconds(command(longRun));
    if (a < 0 || b < 0) return -1;
    return (b - a) * 1000.0 / double(longRun - shortRun);
}

} // namespace bench
