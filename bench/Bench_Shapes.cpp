// Busy rooms of several shapes, each a game of N things of one object doing one kind of per-instance
// work, beside a LOVE peer (bench/love_<shape>/) doing the same work over plain Lua tables. Thing i has
// id 100001 + i; a reporter placed last (so that its create event runs first: a new room creates its
// instances from the last placed) sets up what the room shares and at game end prints the answer,
// which every side must agree on. The game is built in both code forms (source text and compiled);
// the answers are also checked under the plain word loop and the tree executor.
//
// For each shape: the answers after CHECK_FRAMES frames; then, as bench_movers, the main thread's
// instructions per instance per frame under callgrind and wall milliseconds per frame, with the
// machine's load beside each figure.
//     bench_shapes KELVARO [SHAPE|all [SIZE]] [--fast]
//     --fast: fewer frames under callgrind and one short wall run; BENCH_CALLGRIND=0 skips the counts.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Bench_Rooms.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t CHECK_FRAMES = 60;
const std::string LOG = "bench_shapes.log";

// One shape: its name (its peer is bench/love_<name>/), default size, what it does, and the code of its
// objects: the reporter (object 0) and the things (object 1); the walls (object 2) have none.
struct Shape {
    const char* name;
    int32_t size;
    const char* about;
    const char* reporterCreate;
    const char* thingCreate;
    const char* reporterStep; // nullptr: none
    const char* thingStep;    // nullptr: none
    const char* thingEvent;   // a third event of the thing: its source, or nullptr
    int32_t thingEventType, thingEventSubtype;
    std::string reporterEnd; // the answer printed at game end
    bool thingsVisible;
    bool walls = false; // the room holds the 500 walls
};

// The walls of the collision room: 8 x 8 boxes 32 apart, so that a 16 x 16 box meets at most one.
constexpr int32_t WALL_COLUMNS = 25, WALL_ROWS = 20, WALL = 8, WALL_GAP = 32, WALL_OFFSET = 12;

gamebuild::GameDesc ShapeRoom(const Shape& shape, int32_t size, bool compiled)
{
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    game.header.roomOrder = {0};
    game.header.displayName = shape.name;
    gamebuild::SpriteDesc box = bench::SolidSprite("spr_box", 16, 16, 0xFFFFFFFFu);
    box.bboxMode = 1;
    gamebuild::SpriteDesc wall = bench::SolidSprite("spr_wall", WALL, WALL, 0xFF808080u);
    wall.bboxMode = 1;
    game.sprites = {box, wall};
    game.textures.pageSize = 64;

    gamebuild::ObjectDesc reporter;
    reporter.name = "obj_report";
    reporter.visible = false;
    reporter.events = {bench::Event(0, 0, shape.reporterCreate), bench::Event(7, 3, shape.reporterEnd)};
    if (shape.reporterStep != nullptr) reporter.events.push_back(bench::Event(3, 0, shape.reporterStep));
    gamebuild::ObjectDesc thing;
    thing.name = "obj_thing";
    thing.sprite = 0;
    thing.visible = shape.thingsVisible;
    thing.events = {bench::Event(0, 0, shape.thingCreate)};
    if (shape.thingStep != nullptr) thing.events.push_back(bench::Event(3, 0, shape.thingStep));
    if (shape.thingEvent != nullptr)
        thing.events.push_back(bench::Event(shape.thingEventType, shape.thingEventSubtype, shape.thingEvent));
    gamebuild::ObjectDesc walls;
    walls.name = "obj_wall";
    walls.sprite = 1;
    walls.visible = false;
    game.objects = {reporter, thing, walls};

    gamebuild::RoomDesc room = bench::BlackRoom(WALL_COLUMNS * WALL_GAP, WALL_ROWS * WALL_GAP);
    room.speed = 1000;
    for (int32_t i = 0; i < size; ++i) {
        gamebuild::RoomInstanceDesc at;
        at.object = 1;
        at.x = bench::SpreadX(i);
        at.y = bench::SpreadY(i);
        room.instances.push_back(at);
    }
    if (shape.walls) {
        for (int32_t k = 0; k < WALL_COLUMNS * WALL_ROWS; ++k) {
            gamebuild::RoomInstanceDesc at;
            at.object = 2;
            at.x = WALL_OFFSET + (k % WALL_COLUMNS) * WALL_GAP;
            at.y = WALL_OFFSET + (k / WALL_COLUMNS) * WALL_GAP;
            room.instances.push_back(at);
        }
    }
    room.instances.push_back(gamebuild::RoomInstanceDesc{});
    game.rooms = {room};
    return game;
}

// The game-end code printing "things a b ...": `names` are its variables, `sums` adds the things' values
// to them (inside a with), `printed` joins what follows the things' count.
std::string Answer(const char* names, const char* sums, const char* printed)
{
    return std::string("var ") + names + ";\n" + sums +
           "\nshow_debug_message(string(instance_number(obj_thing)) + " + printed + ");";
}

// The sums of the things' places to the hundred.
std::string PlacesAnswer()
{
    return Answer("sx, sy", "sx = 0; sy = 0; with (obj_thing) { sx += x; sy += y; }",
                  "\" \" + string(round(sx / 100)) + \" \" + string(round(sy / 100))");
}

const Shape SHAPES[] = {
    // The sums of places to the hundred: ours keeps motion in 32-bit floats, the peer in doubles.
    {"motion", 10000, "built-in motion: speed, direction, friction, gravity", "",
     "speed = 1 + (id mod 4); direction = (id * 37) mod 360; friction = 0.05; gravity = 0.02;\n"
     "gravity_direction = 270;",
     nullptr, nullptr, nullptr, 0, 0,
     PlacesAnswer(),
     false},
    // The motion room with one thing in ten moving: the motion stage passes the still ones by.
    {"still", 50000, "built-in motion on one instance in ten, the others still", "",
     "if (id mod 10 == 0) { speed = 1 + (id mod 4); direction = (id * 37) mod 360; friction = 0.05;\n"
     "gravity = 0.02; gravity_direction = 270; }",
     nullptr, nullptr, nullptr, 0, 0,
     PlacesAnswer(),
     false},
    {"collide", 2000, "movers testing place_meeting and instance_place against 500 walls", "",
     "vx = (id mod 5) - 2; vy = ((id div 5) mod 5) - 2; hits = 0; found = 0;", nullptr,
     "if (x < 0 || x > 784) vx = -vx;\nif (y < 0 || y > 624) vy = -vy;\nx += vx; y += vy;\n"
     "if (place_meeting(x, y, obj_wall)) hits += 1;\n"
     "var w; w = instance_place(x + 8, y + 8, obj_wall);\nif (w != noone) found += w mod 1000;",
     nullptr, 0, 0,
     Answer("h, f", "h = 0; f = 0; with (obj_thing) { h += hits; f += found; }",
            "\" \" + string(h) + \" \" + string(f)"),
     false, true},
    {"draw", 5000, "a draw event per instance with draw_sprite_ext (scale, rotation)", "",
     "ang = id mod 360; sc = 0.5 + (id mod 3) * 0.25; drawn = 0;", nullptr, nullptr,
     "draw_sprite_ext(sprite_index, 0, x, y, sc, sc, ang, c_white, 1);\nang = (ang + 3) mod 360; drawn += 1;",
     8, 0,
     Answer("d, a", "d = 0; a = 0; with (obj_thing) { d += drawn; a += ang; }",
            "\" \" + string(d) + \" \" + string(a)"),
     true},
    {"life", 10000, "1,000 instances created and destroyed a frame, with create and destroy events",
     "global.made = 0; global.gone = 0;", "life = 1 + (global.made mod 10); global.made += 1;", nullptr,
     "life -= 1;\nif (life <= 0) { instance_create(x, y, obj_thing); instance_destroy(); }",
     "global.gone += 1;", 1, 0,
     Answer("s", "s = 0; with (obj_thing) s += life;",
            "\" \" + string(global.made) + \" \" + string(global.gone) + \" \" + string(s)"),
     false},
    {"with", 10000, "one controller's with over the instances, reading and writing theirs and its own",
     "k = 0; total = 0;", "v = id mod 1000;",
     "k += 1;\nwith (obj_thing) { v = (v + other.k) mod 1000; other.total += v; }", nullptr, nullptr, 0, 0,
     Answer("s", "s = 0; with (obj_thing) s += v;", "\" \" + string(total) + \" \" + string(s)"), false},
    {"list", 10000, "a ds_list and an array per instance, read and written every step", "",
     "lst = ds_list_create(); ds_list_add(lst, id mod 7); ds_list_add(lst, 1); ds_list_add(lst, 2);\n"
     "ds_list_add(lst, 3);\narr[3] = 3; arr[2] = 2; arr[1] = 1; arr[0] = id mod 5; n = 0;",
     nullptr,
     "var i, j; i = n mod 4; j = (n + 1) mod 4;\n"
     "ds_list_replace(lst, i, (ds_list_find_value(lst, j) + arr[i]) mod 1000);\n"
     "arr[j] = (arr[j] + ds_list_find_value(lst, i)) mod 1000;\nn += 1;",
     nullptr, 0, 0,
     Answer("a, b, k",
            "a = 0; b = 0;\nwith (obj_thing) for (k = 0; k < 4; k += 1) { a += ds_list_find_value(lst, k); "
            "b += arr[k]; }",
            "\" \" + string(a) + \" \" + string(b)"),
     false},
    {"strings", 10000, "strings built per instance from numbers every step", "",
     "n = id mod 100; len = 0; s = \"\";", nullptr,
     "s = string(x) + \":\" + string(n) + \":\" + string(y);\nn += 1; len += string_length(s);", nullptr, 0,
     0, Answer("l", "l = 0; with (obj_thing) l += len;", "\" \" + string(l)"), false},
    {"alarm", 10000, "an alarm re-armed every few steps and a switch in the step", "",
     "alarm[0] = 1 + (id mod 4); state = id mod 3; v = 0; fired = 0;", nullptr,
     "switch (state) {\ncase 0: v += 1; break;\ncase 1: v += 2; break;\ncase 2: v -= 1; break;\n"
     "default: v = 0; break;\n}",
     "fired += 1; state = (state + 1) mod 4; alarm[0] = 2 + state;", 2, 0,
     Answer("f, s", "f = 0; s = 0; with (obj_thing) { f += fired; s += v; }",
            "\" \" + string(f) + \" \" + string(s)"),
     false},
    // Each thing seeks the next; the last one the reporter, placed after it at (0, 0).
    {"seek", 10000, "seeking another instance through its x and y with point_distance and point_direction",
     "", "target = id + 1; near = 0; dsum = 0;", nullptr,
     "var tx, ty, d, a; tx = target.x; ty = target.y;\n"
     "d = point_distance(x, y, tx, ty); a = point_direction(x, y, tx, ty);\n"
     "if (d > 8) { x += round(lengthdir_x(2, a)); y += round(lengthdir_y(2, a)); } else near += 1;\n"
     "dsum += d;",
     nullptr, 0, 0,
     Answer("n, s", "n = 0; s = 0; with (obj_thing) { n += near; s += dsum; }",
            "\" \" + string(n) + \" \" + string(round(s))"),
     false},
};

// The command line: KELVARO, then a shape's name (or all) and a size, and --fast anywhere.
struct Choice {
    std::string kelvaro, shape = "all";
    int32_t size = 0; // 0: the shape's own
    bool fast = false;
};

bool ReadChoice(int argc, char** argv, Choice* choice)
{
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fast") == 0)
            choice->fast = true;
        else
            words.push_back(argv[i]);
    }
    if (words.empty() || words.size() > 3) return false;
    choice->kelvaro = words[0];
    if (words.size() > 1) choice->shape = words[1];
    if (words.size() > 2) choice->size = std::atoi(words[2].c_str());
    if (words.size() > 2 && choice->size <= 0) return false;
    if (choice->shape == "all") return true;
    return std::any_of(std::begin(SHAPES), std::end(SHAPES),
                       [&](const Shape& shape) { return choice->shape == shape.name; });
}

bench::Measure MeasureFor(int32_t size, bool fast)
{
    bench::Measure measure;
    const char* counting = std::getenv("BENCH_CALLGRIND");
    measure.counting = counting == nullptr || std::string(counting) != "0";
    if (fast) {
        measure.countShort = 1;
        measure.countLong = 3;
        measure.wallShort = 20;
        measure.wallLong = 80;
        measure.tries = 1;
        return measure;
    }
    // Smaller rooms play more frames, so that each run is long enough against a varying start-up.
    measure.countLong = 2 + std::clamp(40000 / size, 4, 100);
    int32_t scale = std::max(3, 3000 / size);
    measure.wallShort = 30 * scale;
    measure.wallLong = 130 * scale;
    return measure;
}

bool PlayShape(const Shape& shape, int32_t size, const Choice& choice)
{
    std::string stem = std::string("bench_shapes_") + shape.name + "_" + std::to_string(size);
    std::string source = stem + "_source.win", compiled = stem + "_compiled.win";
    if (!bench::WriteGame(ShapeRoom(shape, size, false), source) ||
        !bench::WriteGame(ShapeRoom(shape, size, true), compiled))
        return false;
    bench::RoomSides sides = bench::SidesOf(choice.kelvaro, source, compiled, LOG,
                                            std::string("love_") + shape.name, std::to_string(size));
    std::printf("\n== %s, %d: %s (answers after %d frames)\n", shape.name, size, shape.about, CHECK_FRAMES);
    bool agree = bench::AnswersAgree(sides.checked, CHECK_FRAMES, "");
    bench::Measure measure = MeasureFor(size, choice.fast);
    bench::PrintMeasureHead();
    for (const bench::Side& side : sides.timed)
        bench::MeasureRow(side, size, measure);
    return agree;
}

} // namespace

int main(int argc, char** argv)
{
    Choice choice;
    if (!ReadChoice(argc, argv, &choice)) {
        std::fprintf(stderr, "usage: bench_shapes KELVARO [SHAPE|all [SIZE]] [--fast]\nshapes:");
        for (const Shape& shape : SHAPES)
            std::fprintf(stderr, " %s", shape.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    bool allAgree = true;
    for (const Shape& shape : SHAPES)
        if (choice.shape == "all" || choice.shape == shape.name)
            allAgree &= PlayShape(shape, choice.size > 0 ? choice.size : shape.size, choice);
    return allAgree ? 0 : 1;
}
