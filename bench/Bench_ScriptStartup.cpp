// What many scripts cost a game in source form: the start-up (one frame, so mostly the compiling of
// every script) of games of N scripts with 60 local variables each. Each script reads its argument,
// works its locals through and calls the script before it, so every name it uses goes through the
// compiler's name resolution. Run it with two executables to compare them.
//     bench_scriptstartup KELVARO [KELVARO ...] [--scripts N,N,...] [--runs N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Bench_GameFile.h"
#include "Bench_Timing.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t LOCALS = 60;

std::string ScriptName(int32_t index) { return "scr_work" + std::to_string(index); }

std::string ScriptSource(int32_t index)
{
    std::ostringstream text;
    text << "var ";
    for (int32_t i = 0; i < LOCALS; ++i) text << (i == 0 ? "" : ", ") << "s" << index << "_v" << i;
    text << ";\ns" << index << "_v0 = argument0;\n";
    for (int32_t i = 1; i < LOCALS; ++i)
        text << "s" << index << "_v" << i << " = s" << index << "_v" << i - 1 << " + " << i << ";\n";
    if (index > 0) text << "if (argument0 < 0) return " << ScriptName(index - 1) << "(argument0 + 1);\n";
    text << "return s" << index << "_v" << LOCALS - 1 << ";\n";
    return text.str();
}

gamebuild::GameDesc Game(int32_t scripts)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Scripts";
    game.rooms = {bench::BlackRoom(320, 240)};
    for (int32_t i = 0; i < scripts; ++i) {
        gamebuild::ScriptDesc script;
        script.name = ScriptName(i);
        script.code.source = ScriptSource(i);
        game.scripts.push_back(script);
    }
    // One call at the start, so that the run plays the code it compiled.
    gamebuild::ObjectDesc object;
    object.name = "obj_caller";
    gamebuild::EventDesc create;
    create.code.source = "show_debug_message(string(" + ScriptName(scripts - 1) + "(1)));";
    object.events = {create};
    game.objects = {object};
    gamebuild::RoomInstanceDesc at;
    at.object = 0;
    game.rooms[0].instances.push_back(at);
    return game;
}

std::string GameFile(int32_t scripts) { return "bench_scripts" + std::to_string(scripts) + ".win"; }

std::string Run(const std::string& kelvaro, const std::string& game)
{
    return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=1 " + kelvaro + " -game " + game +
           " > /dev/null 2>&1";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> programs;
    std::vector<int32_t> sizes = {2000, 3000};
    int32_t runs = 3;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(std::atoi(argv[++i]), 1);
        } else if (arg == "--scripts" && i + 1 < argc) {
            sizes.clear();
            std::stringstream list(argv[++i]);
            for (std::string item; std::getline(list, item, ',');) sizes.push_back(std::max(std::atoi(item.c_str()), 1));
        } else {
            programs.push_back(arg);
        }
    }
    if (programs.empty()) {
        std::fprintf(stderr, "usage: bench_scriptstartup KELVARO [KELVARO ...] [--scripts N,N,...] [--runs N]\n");
        return 2;
    }
    for (int32_t size : sizes)
        if (!bench::WriteGame(Game(size), GameFile(size))) return 1;
    for (int32_t size : sizes) {
        for (const std::string& program : programs) {
            std::vector<double> times;
            for (int32_t i = 0; i < runs; ++i) {
                double seconds = bench::Seconds(Run(program, GameFile(size)));
                if (seconds >= 0) times.push_back(seconds);
            }
            std::sort(times.begin(), times.end());
            std::printf("%d scripts x %d locals, %s: start-up median %.2f s, fastest %.2f s (%zu runs)\n", size,
                        LOCALS, program.c_str(), times.empty() ? -1.0 : times[times.size() / 2],
                        times.empty() ? -1.0 : times.front(), times.size());
        }
    }
    return 0;
}
