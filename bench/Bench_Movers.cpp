// Many instances each running a step event over x, y and its own variables with a collision test:
// one target at (320, 240) and N movers of one object, both invisible, with a 16 x 16 sprite whose
// mask is its box. A mover's create event sets its speeds in -2..2 from its id; its step event turns
// it back when it is outside the room, moves it and counts the frames it meets the target. At game end
// the target prints the movers' count and their hits. The game is built in both code forms (source
// text and compiled); beside it LOVE 11 plays the same room (bench/love_movers/) with its compiler off
// and on.
//
// For each size: the answers after CHECK_FRAMES frames of every side (ours in both forms, under the
// plain word loop and the tree executor too, and both LOVE runs) against this file's own model; then
// the instructions per instance per frame under callgrind, from two run lengths so start-up cancels
// out; then wall milliseconds per frame, best of `tries`, with the machine's load beside each.
//     bench_movers KELVARO [short long [tries]]
//     BENCH_CALLGRIND=0 skips the instruction counts; BENCH_MOVERS=N,... picks the sizes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Bench_Rooms.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t ROOM_WIDTH = 640;
constexpr int32_t ROOM_HEIGHT = 480;
constexpr int32_t BOX = 16;
constexpr int32_t TARGET_X = 320, TARGET_Y = 240;
constexpr int32_t FIRST_ID = 100001; // the first mover's id: the movers are placed before the target
constexpr int32_t CHECK_FRAMES = 60;
const std::string LOG = "bench_movers.log"; // our side's script log

const char* const MOVER_CREATE = "vx = (id mod 5) - 2; vy = ((id div 5) mod 5) - 2; hits = 0;";
const char* const MOVER_STEP = "if (x < 0 || x > 624) vx = -vx;\n"
                               "if (y < 0 || y > 464) vy = -vy;\n"
                               "x += vx; y += vy;\n"
                               "if (place_meeting(x, y, obj_target)) hits += 1;";
const char* const TARGET_GAME_END = "var total; total = 0; with (obj_mover) total += hits;\n"
                                    "show_debug_message(string(instance_number(obj_mover)) + \" \" + "
                                    "string(total));";

gamebuild::GameDesc MoverRoom(int32_t movers, bool compiled)
{
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    game.header.roomOrder = {0};
    game.header.displayName = "Movers";
    gamebuild::SpriteDesc box = bench::SolidSprite("spr_box", BOX, BOX, 0xFFFFFFFFu);
    box.bboxMode = 1;
    game.sprites = {box};
    game.textures.pageSize = 64;
    gamebuild::ObjectDesc mover;
    mover.name = "obj_mover";
    mover.sprite = 0;
    mover.visible = false;
    mover.events = {bench::Event(0, 0, MOVER_CREATE), bench::Event(3, 0, MOVER_STEP)};
    gamebuild::ObjectDesc target = mover;
    target.name = "obj_target";
    target.events = {bench::Event(7, 3, TARGET_GAME_END)};
    game.objects = {mover, target};
    gamebuild::RoomDesc room = bench::BlackRoom(ROOM_WIDTH, ROOM_HEIGHT);
    room.speed = 1000;
    for (int32_t i = 0; i < movers; ++i) {
        gamebuild::RoomInstanceDesc at;
        at.x = bench::SpreadX(i);
        at.y = bench::SpreadY(i);
        room.instances.push_back(at);
    }
    gamebuild::RoomInstanceDesc at;
    at.x = TARGET_X;
    at.y = TARGET_Y;
    at.object = 1;
    room.instances.push_back(at);
    game.rooms = {room};
    return game;
}

// The answer ("movers hits") the room's rules give after `frames` frames.
std::string ModelAnswer(int32_t movers, int32_t frames)
{
    int64_t hits = 0;
    for (int32_t i = 0; i < movers; ++i) {
        int32_t id = FIRST_ID + i;
        int32_t x = bench::SpreadX(i), y = bench::SpreadY(i), vx = (id % 5) - 2, vy = ((id / 5) % 5) - 2;
        for (int32_t f = 0; f < frames; ++f) {
            if (x < 0 || x > 624) vx = -vx;
            if (y < 0 || y > 464) vy = -vy;
            x += vx;
            y += vy;
            hits += x < TARGET_X + BOX && x + BOX > TARGET_X && y < TARGET_Y + BOX && y + BOX > TARGET_Y;
        }
    }
    return std::to_string(movers) + " " + std::to_string(hits);
}

std::vector<int32_t> Sizes()
{
    std::vector<int32_t> sizes;
    const char* chosen = std::getenv("BENCH_MOVERS");
    std::stringstream list(chosen != nullptr ? chosen : "100,1000,10000,50000");
    for (std::string item; std::getline(list, item, ',');)
        if (std::atoi(item.c_str()) > 0) sizes.push_back(std::atoi(item.c_str()));
    return sizes;
}

// Callgrind's two run lengths: short enough at the largest sizes, long enough at the smallest.
void CountedRuns(int32_t movers, int32_t* shortRun, int32_t* longRun)
{
    *shortRun = 2;
    *longRun = movers >= 10000 ? 6 : movers >= 1000 ? 22 : 102;
}

} // namespace

int main(int argc, char** argv)
{
    bench::SceneRuns runs;
    if (!bench::ReadSceneRuns(argc, argv, "bench_movers", &runs)) return 2;
    bool counting =
        std::getenv("BENCH_CALLGRIND") == nullptr || std::string(std::getenv("BENCH_CALLGRIND")) != "0";
    bool allAgree = true;
    for (int32_t movers : Sizes()) {
        std::string source = "bench_movers_source_" + std::to_string(movers) + ".win";
        std::string compiled = "bench_movers_compiled_" + std::to_string(movers) + ".win";
        if (!bench::WriteGame(MoverRoom(movers, false), source) ||
            !bench::WriteGame(MoverRoom(movers, true), compiled))
            return 2;
        bench::RoomSides sides =
            bench::SidesOf(runs.kelvaro, source, compiled, LOG, "love_movers", std::to_string(movers));
        std::string model = ModelAnswer(movers, CHECK_FRAMES);
        std::printf("\n== %d movers (answers after %d frames; the room's rules give %s)\n", movers,
                    CHECK_FRAMES, model.c_str());
        allAgree &= bench::AnswersAgree(sides.checked, CHECK_FRAMES, model);
        bench::Measure measure;
        measure.counting = counting;
        CountedRuns(movers, &measure.countShort, &measure.countLong);
        // Small rooms play more frames, so that a run is long enough to time against a start-up that
        // varies on a loaded machine.
        int32_t scale = std::max(3, 3000 / movers);
        measure.wallShort = runs.shortRun * scale;
        measure.wallLong = runs.longRun * scale;
        measure.tries = runs.tries;
        bench::PrintMeasureHead();
        for (const bench::Side& side : sides.timed)
            bench::MeasureRow(side, movers, measure);
    }
    return allAgree ? 0 : 1;
}
