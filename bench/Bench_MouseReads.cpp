// The mouse read in a room that is never drawn (its creation code turns the drawing off), where the
// window maps by the room as it stands: a step event reads mouse_x READS times, in a room without
// views and in one with two. For each room the game thread's instructions per frame under callgrind
// (from two run lengths, so that start-up cancels out), with and without the reads; the difference
// over READS is the cost of one read.
//     bench_mousereads KELVARO [short long]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Bench_Rooms.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t READS = 10000;

gamebuild::GameDesc ReadingRoom(int32_t views, int32_t reads)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Mouse reads";
    gamebuild::ObjectDesc reader;
    reader.name = "obj_reader";
    reader.visible = false;
    reader.events = {bench::Event(0, 0, "total = 0;"),
                     bench::Event(3, 0, "var i; for (i = 0; i < " + std::to_string(reads) +
                                            "; i += 1) total += mouse_x;")};
    game.objects = {reader};
    gamebuild::RoomDesc room = bench::BlackRoom(640, 480);
    room.speed = 1000;
    room.hasCode = true;
    room.code.source = "draw_enable_drawevent(false);";
    // Two ports side by side, each showing half the room.
    room.enableViews = views > 0 ? 3 : 2;
    for (int32_t v = 0; v < views; ++v) {
        gamebuild::RoomViewDesc view;
        view.visible = 1;
        view.xview = view.xport = v * 320;
        view.wview = view.wport = 320;
        room.views.push_back(view);
    }
    room.instances = {gamebuild::RoomInstanceDesc{}};
    game.rooms = {room};
    return game;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_mousereads KELVARO [short long]\n");
        return 2;
    }
    std::string kelvaro = argv[1];
    int32_t shortRun = argc > 3 ? std::atoi(argv[2]) : 2;
    int32_t longRun = argc > 3 ? std::atoi(argv[3]) : 6;
    const std::string log = "bench_mousereads.log";
    std::printf("%d mouse_x reads a step in a room never drawn; game thread's instructions\n", READS);
    std::printf("  %-10s %14s %14s %10s %8s\n", "views", "Ir/frame", "Ir/frame reads", "Ir/read", "load");
    for (int32_t views : {0, 2}) {
        double perFrame[2] = {-1, -1};
        for (int32_t reads : {0, READS}) {
            std::string game = "bench_mousereads_" + std::to_string(views) + "_" + std::to_string(reads) + ".win";
            if (!bench::WriteGame(ReadingRoom(views, reads), game)) return 2;
            bench::Side side{"kelvaro", bench::OursSide(kelvaro, game, log), log, bench::GAME_THREAD};
            double a = bench::Instructions(side, shortRun), b = bench::Instructions(side, longRun);
            perFrame[reads > 0] = a > 0 && b > 0 ? (b - a) / double(longRun - shortRun) : -1;
        }
        double perRead = perFrame[0] > 0 && perFrame[1] > 0 ? (perFrame[1] - perFrame[0]) / READS : -1;
        std::printf("  %-10d %14.0f %14.0f %10.1f %8.2f\n", views, perFrame[0], perFrame[1], perRead,
                    bench::MachineLoad());
        std::fflush(stdout);
    }
    return 0;
}
