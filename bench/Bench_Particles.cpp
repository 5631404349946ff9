// 100,000 live particles in a 640 x 480 room: one disk type of size 0.1 to 0.3, life 100 steps,
// speed 0 to 2 in any direction, gravity 0.1 downwards, fading from white to red and from opaque to
// clear, streamed 1,000 a step over the 320 x 240 middle of the room. The kelvaro executable plays
// it headless without waiting between frames, once with the system updated only and once updated
// and drawn; beside it LOVE 11 runs a ParticleSystem of the same parameters stepped by 1/30 s
// (bench/love_particles/), likewise. Ratios kelvaro / LOVE are printed last.
//     bench_particles KELVARO [short long]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_GameFile.h"
#include "Bench_Timing.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t PER_STEP = 1000;

gamebuild::GameDesc ParticleScene(bool drawn)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Particles";
    gamebuild::ObjectDesc object;
    object.name = "obj_stream";
    gamebuild::EventDesc create;
    create.code.source = "sys = part_system_create();\n"
                         "t = part_type_create();\n"
                         "part_type_shape(t, pt_shape_disk);\n"
                         "part_type_size(t, 0.1, 0.3, 0, 0);\n"
                         "part_type_life(t, 100, 100);\n"
                         "part_type_speed(t, 0, 2, 0, 0);\n"
                         "part_type_direction(t, 0, 360, 0, 0);\n"
                         "part_type_gravity(t, 0.1, 270);\n"
                         "part_type_color2(t, c_white, c_red);\n"
                         "part_type_alpha2(t, 1, 0);\n"
                         "e = part_emitter_create(sys);\n"
                         "part_emitter_region(sys, e, 160, 480, 120, 360, ps_shape_rectangle, ps_distr_linear);\n"
                         "part_emitter_stream(sys, e, t, " +
                         std::to_string(PER_STEP) + ");\npart_system_automatic_draw(sys, " + (drawn ? "1" : "0") +
                         ");";
    object.events = {create};
    game.objects = {object};
    gamebuild::RoomDesc room;
    room.name = "room_bench";
    room.speed = 30;
    room.colour = 0;
    gamebuild::RoomInstanceDesc at;
    at.object = 0;
    room.instances.push_back(at);
    game.rooms = {room};
    return game;
}

std::string g_Kelvaro;
std::string g_Peer = std::string(KELVARO_SOURCE_DIR) + "/bench/love_particles";

void Row(const char* what, double ours, double peer)
{
    std::printf("%-22s kelvaro %7.2f ms  LOVE %7.2f ms  ", what, ours, peer);
    if (ours > 0 && peer > 0) std::printf("ratio %.2f\n", ours / peer);
    else std::printf("ratio unavailable (is `love` installed?)\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_particles KELVARO [short long]\n");
        return 2;
    }
    g_Kelvaro = argv[1];
    int32_t shortRun = argc > 3 ? std::atoi(argv[2]) : 150;
    int32_t longRun = argc > 3 ? std::atoi(argv[3]) : 450;
    if (!bench::WriteGame(ParticleScene(false), "bench_particles_update.win") ||
        !bench::WriteGame(ParticleScene(true), "bench_particles_draw.win"))
        return 1;
    std::printf("live particles %d (after %d steps)\n", PER_STEP * 100, 100);
    for (bool drawn : {false, true}) {
        std::string game = drawn ? "bench_particles_draw.win" : "bench_particles_update.win";
        double ours = bench::PerFrame(
            [&](int32_t frames) {
                return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=" + std::to_string(frames) + " " +
                       g_Kelvaro + " -game " + game + " > /dev/null 2>&1";
            },
            shortRun, longRun);
        double peer = bench::PerFrame(
            [&](int32_t frames) {
                return "SDL_VIDEODRIVER=offscreen love " + g_Peer + " " + std::to_string(frames) +
                       (drawn ? " draw" : " update") + " > /dev/null 2>&1";
            },
            shortRun, longRun);
        Row(drawn ? "update and drawing" : "update alone", ours, peer);
    }
    return 0;
}
