// Many moving sprites: 10,000 instances of an opaque 26 x 37 sprite (origin top-left) in a room of
// 640 x 480, each with hspeed and vspeed in -2..2 set by its create event and reversed by its step
// event when it leaves the room, drawn by default. The kelvaro executable plays the game headless
// without waiting between frames; beside it LOVE 11 plays the same scene (bench/love/). Each runs
// twice with different frame counts, so start-up cancels out of the milliseconds per frame; the
// ratio kelvaro / LOVE is printed last.
//     bench_sprites KELVARO [short long]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_Timing.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t INSTANCES = 10000;

gamebuild::GameDesc SpriteScene()
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Sprites";
    gamebuild::SpriteDesc ball;
    ball.name = "spr_ball";
    ball.frames = {gamebuild::PictureDesc{"ball", 26, 37, std::vector<uint32_t>(26 * 37, 0xFFE08020u)}};
    ball.precise = false;
    ball.masks = gamebuild::SpriteMasks::None;
    game.sprites = {ball};
    game.textures.pageSize = 64;
    gamebuild::ObjectDesc object;
    object.name = "obj_ball";
    object.sprite = 0;
    gamebuild::EventDesc create;
    create.code.source = "hspeed = (id mod 5) - 2; vspeed = ((id div 5) mod 5) - 2;";
    gamebuild::EventDesc step;
    step.type = 3;
    step.code.source = "if (x < 0 || x > room_width - 26) hspeed = -hspeed;\n"
                       "if (y < 0 || y > room_height - 37) vspeed = -vspeed;";
    object.events = {create, step};
    game.objects = {object};
    gamebuild::RoomDesc room;
    room.name = "room_bench";
    room.speed = 60;
    room.colour = 0;
    for (int32_t i = 0; i < INSTANCES; ++i) {
        gamebuild::RoomInstanceDesc at;
        at.x = (i * 7919) % (640 - 26);
        at.y = (i * 104729) % (480 - 37);
        at.object = 0;
        room.instances.push_back(at);
    }
    game.rooms = {room};
    return game;
}

std::string g_Kelvaro;
std::string g_Game = "bench_sprites.win";
std::string g_Peer = std::string(KELVARO_SOURCE_DIR) + "/bench/love";

std::string KelvaroCommand(int32_t frames)
{
    return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=" + std::to_string(frames) + " " + g_Kelvaro +
           " -game " + g_Game + " > /dev/null 2>&1";
}

std::string LoveCommand(int32_t frames)
{
    return "SDL_VIDEODRIVER=offscreen love " + g_Peer + " " + std::to_string(frames) + " > /dev/null 2>&1";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_sprites KELVARO [short long]\n");
        return 2;
    }
    g_Kelvaro = argv[1];
    int32_t shortRun = argc > 3 ? std::atoi(argv[2]) : 60;
    int32_t longRun = argc > 3 ? std::atoi(argv[3]) : 300;
    std::vector<uint8_t> bytes;
    std::string errors;
    if (!gamebuild::BuildGame(SpriteScene(), bytes, errors)) {
        std::fprintf(stderr, "%s", errors.c_str());
        return 1;
    }
    FILE* file = std::fopen(g_Game.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) return 1;
    std::fclose(file);
    double ours = bench::PerFrame(KelvaroCommand, shortRun, longRun);
    double peer = bench::PerFrame(LoveCommand, shortRun, longRun);
    std::printf("instances            %d\n", INSTANCES);
    std::printf("kelvaro ms per frame %.2f\n", ours);
    std::printf("LOVE ms per frame    %.2f\n", peer);
    if (ours > 0 && peer > 0) std::printf("ratio kelvaro/LOVE   %.2f\n", ours / peer);
    else std::printf("ratio kelvaro/LOVE   unavailable (is `love` installed?)\n");
    return 0;
}
