// What making the built-in particle shapes costs: the start-up of an empty game (the whole run of one
// frame, the median and the fastest of many runs, so that the machine's other work weighs little) and
// the frame that first draws a smoke particle, and one that first draws a pixel particle (the
// cheapest shape), against the frames around them (the game times its begin steps with get_timer and
// prints the gaps). Run it with two executables to compare them.
//     bench_particlestartup KELVARO [KELVARO ...] [--runs N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Bench_GameFile.h"
#include "Bench_Timing.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t EVENT_CREATE = 0, EVENT_STEP = 3, STEP_BEGIN = 1;
// The frame whose step makes the first smoke particle (the game's count n is this in its step); the
// gap it prints at the next begin step holds that frame's draw, the first to show the particle.
constexpr int32_t SMOKE_FRAME = 10, FRAMES = 20;

gamebuild::EventDesc Event(int32_t type, int32_t subtype, const std::string& source)
{
    gamebuild::EventDesc event;
    event.type = type;
    event.subtype = subtype;
    event.code.source = source;
    return event;
}

// An empty game, or one that makes its first particle of the shape (a pt_shape_ constant) at SMOKE_FRAME.
gamebuild::GameDesc Game(const std::string& shape)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = shape.empty() ? "Empty" : "First particle";
    game.rooms = {bench::BlackRoom(320, 240)};
    if (shape.empty()) return game;
    gamebuild::ObjectDesc object;
    object.name = "obj_smoke";
    object.events = {
        Event(EVENT_CREATE, 0,
              "sys = part_system_create(); t = part_type_create(); part_type_shape(t, " + shape + ");\n"
              "n = 0; last = get_timer();"),
        Event(EVENT_STEP, STEP_BEGIN,
              "now = get_timer(); show_debug_message(\"gap \" + string(n) + \" \" + string(now - last));\n"
              "last = now; n += 1;"),
        Event(EVENT_STEP, 0, "if (n == " + std::to_string(SMOKE_FRAME) + ") part_particles_create(sys, 160, 120, t, 1);")};
    game.objects = {object};
    gamebuild::RoomInstanceDesc at;
    at.object = 0;
    game.rooms[0].instances.push_back(at);
    return game;
}

std::string Run(const std::string& kelvaro, const std::string& game, int32_t frames, const std::string& output)
{
    return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=" + std::to_string(frames) + " " + kelvaro +
           (output.empty() ? "" : " -output " + output) + " -game " + game + " > /dev/null 2>&1";
}

double Median(std::vector<double> values)
{
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The gaps between begin steps the game printed, in milliseconds, by frame.
std::vector<double> Gaps(const std::string& log)
{
    std::vector<double> gaps;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        int frame = 0;
        double micros = 0;
        if (std::sscanf(line.c_str(), "gap %d %lf", &frame, &micros) != 2 || frame < 0) continue;
        if (size_t(frame) >= gaps.size()) gaps.resize(size_t(frame) + 1, -1);
        gaps[size_t(frame)] = micros / 1000.0;
    }
    return gaps;
}

// The median time of the frame that first draws the game's particle, and of the frames after the
// first two that do not.
void FirstDraw(const std::string& kelvaro, const std::string& game, int32_t runs)
{
    std::vector<double> firstDraws, others;
    for (int32_t i = 0; i < runs; ++i) {
        std::remove("bench_particle.log");
        if (bench::Seconds(Run(kelvaro, game + ".win", FRAMES, "bench_particle.log")) < 0) continue;
        std::vector<double> gaps = Gaps("bench_particle.log");
        for (size_t frame = 2; frame < gaps.size(); ++frame) {
            if (gaps[frame] < 0) continue;
            if (frame == SMOKE_FRAME) firstDraws.push_back(gaps[frame]);
            else others.push_back(gaps[frame]);
        }
    }
    std::printf("  %s: frame first drawing its particle: median %.2f ms; other frames: median %.2f ms\n",
                game.c_str(), Median(firstDraws), Median(others));
}

// The executables' start-ups, run in turns so that a change in the machine's other work weighs on
// each alike, then each one's first particle draws.
void Measure(const std::vector<std::string>& programs, int32_t runs)
{
    std::vector<std::vector<double>> startups(programs.size());
    for (int32_t i = 0; i < runs; ++i)
        for (size_t p = 0; p < programs.size(); ++p) {
            double seconds = bench::Seconds(Run(programs[p], "bench_empty.win", 1, ""));
            if (seconds >= 0) startups[p].push_back(seconds * 1000.0);
        }
    for (size_t p = 0; p < programs.size(); ++p) {
        const std::vector<double>& times = startups[p];
        std::printf("%s\n  empty game, one frame: median %.1f ms, fastest %.1f ms (%zu runs)\n", programs[p].c_str(),
                    Median(times), times.empty() ? -1.0 : *std::min_element(times.begin(), times.end()), times.size());
        // The pixel is the quickest shape to draw: what its first frame costs beyond the others is the
        // first use of the drawing path, not the making of a shape.
        for (const char* game : {"bench_smoke", "bench_pixel"}) FirstDraw(programs[p], game, std::max(runs / 3, 3));
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> programs;
    int32_t runs = 31;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) runs = std::max(std::atoi(argv[++i]), 1);
        else programs.push_back(arg);
    }
    if (programs.empty()) {
        std::fprintf(stderr, "usage: bench_particlestartup KELVARO [KELVARO ...] [--runs N]\n");
        return 2;
    }
    if (!bench::WriteGame(Game(""), "bench_empty.win") || !bench::WriteGame(Game("pt_shape_smoke"), "bench_smoke.win") ||
        !bench::WriteGame(Game("pt_shape_pixel"), "bench_pixel.win"))
        return 1;
    Measure(programs, runs);
    return 0;
}
