// Many moving sprites: 1,000, 10,000 and 50,000 instances of an opaque 26 x 37 sprite (origin
// top-left) in a room of 640 x 480, each with hspeed and vspeed in -2..2 set by its create event
// and reversed by its step event when it leaves the room, drawn by default. The kelvaro executable
// plays the game headless without waiting between frames; beside it LOVE 11 plays the same scene
// (bench/love/). Each runs twice with different frame counts, so start-up cancels out of the
// milliseconds per frame, and the best of `tries` such pairs is kept, the machine being shared.
// Before timing, one frame of kelvaro's is captured and compared pixel for pixel with the sprites'
// rectangles where the scene's rules put them, so a run that draws nothing cannot pass for fast.
//     bench_sprites KELVARO [short long [tries]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_GameFile.h"
#include "Bench_Timing.h"
#include "gamebuild/GameBuild_Game.h"
#include "graphics/Graphics_Image.h"

namespace {

constexpr int32_t ROOM_WIDTH = 640;
constexpr int32_t ROOM_HEIGHT = 480;
constexpr int32_t SPRITE_WIDTH = 26;
constexpr int32_t SPRITE_HEIGHT = 37;
constexpr int32_t FIRST_ID = 100001; // the id of the room's first instance
constexpr int32_t CAPTURE_FRAME = 20;
constexpr uint32_t SPRITE_PIXEL = 0xFFE08020u; // bytes red 0x20, green 0x80, blue 0xE0, alpha 0xFF

struct Ball {
    int32_t x, y, hspeed, vspeed;
};

// Where the scene puts instance i before its first step.
Ball StartOf(int32_t i)
{
    int32_t id = FIRST_ID + i;
    return {(i * 7919) % (ROOM_WIDTH - SPRITE_WIDTH), (i * 104729) % (ROOM_HEIGHT - SPRITE_HEIGHT),
            (id % 5) - 2, ((id / 5) % 5) - 2};
}

gamebuild::GameDesc SpriteScene(int32_t instances)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Sprites";
    gamebuild::SpriteDesc ball;
    ball.name = "spr_ball";
    ball.frames = {gamebuild::PictureDesc{"ball", SPRITE_WIDTH, SPRITE_HEIGHT,
                                          std::vector<uint32_t>(SPRITE_WIDTH * SPRITE_HEIGHT, SPRITE_PIXEL)}};
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
    room.width = ROOM_WIDTH;
    room.height = ROOM_HEIGHT;
    room.speed = 60;
    room.colour = 0;
    for (int32_t i = 0; i < instances; ++i) {
        Ball start = StartOf(i);
        gamebuild::RoomInstanceDesc at;
        at.x = start.x;
        at.y = start.y;
        at.object = 0;
        room.instances.push_back(at);
    }
    game.rooms = {room};
    return game;
}

// Which pixels the sprites cover after `steps` steps: each step the step event turns a ball that is
// outside the room back, then the ball moves by its speeds.
std::vector<bool> ExpectedCover(int32_t instances, int32_t steps)
{
    std::vector<bool> cover(size_t(ROOM_WIDTH) * ROOM_HEIGHT, false);
    for (int32_t i = 0; i < instances; ++i) {
        Ball b = StartOf(i);
        for (int32_t s = 0; s < steps; ++s) {
            if (b.x < 0 || b.x > ROOM_WIDTH - SPRITE_WIDTH) b.hspeed = -b.hspeed;
            if (b.y < 0 || b.y > ROOM_HEIGHT - SPRITE_HEIGHT) b.vspeed = -b.vspeed;
            b.x += b.hspeed;
            b.y += b.vspeed;
        }
        for (int32_t y = std::max(b.y, 0); y < std::min(b.y + SPRITE_HEIGHT, ROOM_HEIGHT); ++y)
            for (int32_t x = std::max(b.x, 0); x < std::min(b.x + SPRITE_WIDTH, ROOM_WIDTH); ++x)
                cover[size_t(y) * ROOM_WIDTH + size_t(x)] = true;
    }
    return cover;
}

std::string g_Kelvaro;
std::string g_Peer = std::string(KELVARO_SOURCE_DIR) + "/bench/love";

std::string KelvaroCommand(const std::string& game, int32_t frames, const std::string& extra = "")
{
    return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=" + std::to_string(frames) + " " + extra +
           " " + g_Kelvaro + " -game " + game + " > /dev/null 2>&1";
}

// Plays a few frames with a capture and compares it with the expected cover: sprite colour on the
// covered pixels, the black room elsewhere. Prints the first difference.
bool CaptureMatches(const std::string& game, int32_t instances)
{
    std::string shot = "bench_sprites_shot.png";
    std::remove(shot.c_str());
    if (bench::Seconds(KelvaroCommand(game, CAPTURE_FRAME + 2,
                                      "KELVARO_CAPTURE=" + std::to_string(CAPTURE_FRAME) + ":" + shot)) < 0)
        return false;
    FILE* file = std::fopen(shot.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "no capture was written\n");
        return false;
    }
    std::vector<char> bytes;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    int32_t width = 0, height = 0;
    const uint8_t* pixels = GR_Image_LoadPNG(bytes.data(), int32_t(bytes.size()), &width, &height, false);
    bool same = pixels != nullptr && width == ROOM_WIDTH && height == ROOM_HEIGHT;
    if (!same) std::fprintf(stderr, "the capture is not a %d x %d picture\n", ROOM_WIDTH, ROOM_HEIGHT);
    std::vector<bool> cover = ExpectedCover(instances, CAPTURE_FRAME);
    for (int32_t y = 0; same && y < height; ++y) {
        for (int32_t x = 0; same && x < width; ++x) {
            const uint8_t* p =
                pixels + (size_t(y) * size_t(width) + size_t(x)) * 4; // blue, green, red, alpha
            bool covered = cover[size_t(y) * ROOM_WIDTH + size_t(x)];
            same =
                covered ? p[2] == 0xE0 && p[1] == 0x80 && p[0] == 0x20 : p[0] == 0 && p[1] == 0 && p[2] == 0;
            if (!same)
                std::fprintf(stderr, "capture differs at %d,%d: %d,%d,%d where %s was expected\n", x, y, p[2],
                             p[1], p[0], covered ? "the sprite" : "the room");
        }
    }
    GR_Image_FreePNG();
    return same;
}

double Best(double a, double b)
{
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_sprites KELVARO [short long [tries]]\n");
        return 2;
    }
    g_Kelvaro = argv[1];
    int32_t shortRun = argc > 3 ? std::atoi(argv[2]) : 30;
    int32_t longRun = argc > 3 ? std::atoi(argv[3]) : 130;
    int32_t tries = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    std::printf("%-10s %12s %12s %8s\n", "instances", "kelvaro ms", "LOVE ms", "ratio");
    bool allDrawn = true;
    for (int32_t instances : {1000, 10000, 50000}) {
        std::string game = "bench_sprites_" + std::to_string(instances) + ".win";
        if (!bench::WriteGame(SpriteScene(instances), game)) return 1;
        if (!CaptureMatches(game, instances)) {
            std::printf("%-10d kelvaro's frame %d is not the scene's picture: not timed\n", instances,
                        CAPTURE_FRAME);
            allDrawn = false;
            continue;
        }
        double ours = -1, peer = -1;
        for (int32_t t = 0; t < tries; ++t) {
            ours = Best(
                ours, bench::PerFrame([&](int32_t n) { return KelvaroCommand(game, n); }, shortRun, longRun));
            peer = Best(peer, bench::PerFrame(
                                  [&](int32_t n) {
                                      return "SDL_VIDEODRIVER=offscreen love " + g_Peer + " " +
                                             std::to_string(n) + " " + std::to_string(instances) +
                                             " > /dev/null 2>&1";
                                  },
                                  shortRun, longRun));
        }
        std::printf("%-10d %12.2f %12.2f ", instances, ours, peer);
        if (ours > 0 && peer > 0)
            std::printf("%8.2f\n", ours / peer);
        else
            std::printf("%8s\n", "unavailable (is `love` installed?)");
    }
    return allDrawn ? 0 : 1;
}
