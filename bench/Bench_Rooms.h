// Busy rooms against their LOVE peers: each side is a shell command that plays n frames and prints
// an answer, which must agree over the sides; then the main thread's instructions per instance per
// frame under callgrind (threads apart, from two run lengths so that start-up cancels out) and wall
// milliseconds per frame, the machine's load beside each figure.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Bench_Capture.h"

namespace bench {

// Where thing i of a room starts: spread over 624 x 464 (a 640 x 480 room less a 16 x 16 box); the
// products pass 2^31 in the larger rooms (the peers work in doubles).
inline int32_t SpreadX(int32_t i)
{
    return static_cast<int32_t>(int64_t{i} * 7919 % 624);
}
inline int32_t SpreadY(int32_t i)
{
    return static_cast<int32_t>(int64_t{i} * 104729 % 464);
}

inline gamebuild::EventDesc Event(int32_t type, int32_t subtype, const std::string& source)
{
    gamebuild::EventDesc event;
    event.type = type;
    event.subtype = subtype;
    event.code.source = source;
    return event;
}

// One way of playing a room: a name and the shell command of a run of n frames (its output not
// redirected).
struct Side {
    std::string name;
    std::function<std::string(int32_t frames)> command;
    std::string log; // where the side writes its answer; empty: its standard output
};

inline std::string LastLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty()) last = line;
    return last;
}

// The answer a side prints after `frames` frames: ours writes it to the script log, LOVE to stdout.
inline std::string AnswerOf(const Side& side, int32_t frames)
{
    std::string out = side.log.empty() ? "bench_room_answer.txt" : side.log;
    std::remove(out.c_str());
    std::string command = side.command(frames) + (side.log.empty() ? " > " + out : " > /dev/null") + " 2>&1";
    if (std::system(command.c_str()) != 0) return "(failed)";
    return LastLine(out);
}

// Instructions the main thread takes in a run of `frames` frames under callgrind (the mixing threads
// of the audio library and the driver's run by the clock, and would count the slowness of callgrind
// itself); -1 when they cannot be counted. The side's command puts $BENCH_VALGRIND before the program.
inline double Instructions(const Side& side, int32_t frames)
{
    std::string out = "bench_room.callgrind";
    std::string command = "rm -f " + out +
                          "*; BENCH_VALGRIND='valgrind --tool=callgrind --separate-threads=yes " +
                          "--callgrind-out-file=" + out + "'; " + side.command(frames) + " > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return -1;
    std::ifstream in(out + "-01");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("totals:", 0) == 0 || line.rfind("summary:", 0) == 0)
            return std::atof(line.substr(line.find(':') + 1).c_str());
    return -1;
}

inline double MachineLoad()
{
    std::ifstream in("/proc/loadavg");
    double load = -1;
    in >> load;
    return load;
}

// Our side: the game played headless without waiting, its script log at `log`; `extra` sets more of
// the environment.
inline std::function<std::string(int32_t)> OursSide(const std::string& kelvaro, const std::string& game,
                                                    const std::string& log, const std::string& extra = "")
{
    return [=](int32_t frames) {
        return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=" + std::to_string(frames) + " " +
               extra + " $BENCH_VALGRIND " + kelvaro + " -game " + game + " -output " + log;
    };
}

// A LOVE peer in bench/: played offscreen with `frames` then `arguments`, then "off" or "on" for its
// compiler.
inline std::function<std::string(int32_t)> LoveSide(const std::string& peer, const std::string& arguments,
                                                    const std::string& jit)
{
    std::string folder = std::string(KELVARO_SOURCE_DIR) + "/bench/" + peer;
    return [=](int32_t frames) {
        return "SDL_VIDEODRIVER=offscreen $BENCH_VALGRIND love " + folder + " " + std::to_string(frames) +
               " " + arguments + " " + jit;
    };
}

// The sides of a room: those timed (ours in both code forms, the peer with its compiler off and on) and
// those whose answers are checked (the timed, with ours under the plain word loop and the tree
// executor).
struct RoomSides {
    std::vector<Side> timed, checked;
};

inline RoomSides SidesOf(const std::string& kelvaro, const std::string& sourceGame,
                         const std::string& compiledGame, const std::string& log, const std::string& peer,
                         const std::string& peerArguments)
{
    RoomSides sides;
    sides.timed = {{"kelvaro source", OursSide(kelvaro, sourceGame, log), log},
                   {"kelvaro compiled", OursSide(kelvaro, compiledGame, log), log},
                   {"LOVE compiler off", LoveSide(peer, peerArguments, "off"), ""},
                   {"LOVE compiler on", LoveSide(peer, peerArguments, "on"), ""}};
    sides.checked = sides.timed;
    sides.checked.push_back(
        {"kelvaro word loop", OursSide(kelvaro, compiledGame, log, "KELVARO_PLAIN_INTERPRETER=1"), log});
    sides.checked.push_back({"kelvaro tree", OursSide(kelvaro, sourceGame + " -oldexec", log), log});
    return sides;
}

// Prints each side's answer after `frames` frames against `expected` (the first side's answer when
// empty); true when all agree.
inline bool AnswersAgree(const std::vector<Side>& sides, int32_t frames, std::string expected)
{
    bool all = true;
    for (const Side& side : sides) {
        std::string answer = AnswerOf(side, frames);
        if (expected.empty()) expected = answer;
        bool agree = answer == expected && answer != "(failed)" && !answer.empty();
        all &= agree;
        std::printf("  %-20s %-32s %s\n", side.name.c_str(), answer.c_str(), agree ? "agree" : "DIFFER");
    }
    return all;
}

// How a room is measured: callgrind's two run lengths (none when `counting` is off) and the wall's.
struct Measure {
    bool counting = true;
    int32_t countShort = 2, countLong = 6;
    int32_t wallShort = 90, wallLong = 390, tries = 3;
};

inline void PrintMeasureHead()
{
    std::printf("  %-20s %14s %8s %12s %8s\n", "side", "Ir/inst/frame", "load", "ms/frame", "load");
}

// One row: the side's instructions per instance per frame and its wall milliseconds per frame, best
// of the tries, each with the load when it was taken.
inline void MeasureRow(const Side& side, int32_t instances, const Measure& measure)
{
    double perInstance = -1, countLoad = MachineLoad();
    if (measure.counting) {
        double a = Instructions(side, measure.countShort), b = Instructions(side, measure.countLong);
        if (a > 0 && b > 0)
            perInstance = (b - a) / double(measure.countLong - measure.countShort) / double(instances);
    }
    double ms = -1, load = MachineLoad();
    auto quiet = [&](int32_t frames) { return side.command(frames) + " > /dev/null 2>&1"; };
    for (int32_t t = 0; t < measure.tries; ++t)
        ms = Best(ms, PerFrame(quiet, measure.wallShort, measure.wallLong));
    std::printf("  %-20s %14.0f %8.2f %12.3f %8.2f\n", side.name.c_str(), perInstance, countLoad, ms, load);
    std::fflush(stdout);
}

} // namespace bench
