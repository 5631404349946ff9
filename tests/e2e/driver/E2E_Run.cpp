// Plays one end-to-end scenario: runs the kelvaro executable headless on a built game file in a
// folder of its own and checks the log, the files and the exit code.
//     e2e_run SCENARIO KELVARO GAME_FILE WORK_FOLDER
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <json-c/json.h>

#include "../../TestSupport_HttpServer.h"
#include "graphics/Graphics_Image.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int exitCode = -1;
    std::vector<std::string> lines;
};

struct Context {
    std::string kelvaro;
    std::string game;
    fs::path work;
    int failures = 0;
};

void Fail(Context& context, const std::string& what)
{
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    ++context.failures;
}

std::vector<std::string> ReadLines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Whether the environment entry ("NAME=value") sets a variable that one of the switches sets.
bool SetBySwitch(const char* entry, const std::vector<std::string>& switches)
{
    for (const std::string& s : switches) {
        size_t name = s.find('=');
        if (name != std::string::npos && std::strncmp(entry, s.c_str(), name + 1) == 0) return true;
    }
    return false;
}

// The child's environment: ours without any test switch or variable the scenario sets, then the
// scenario's switches.
std::vector<std::string> Environment(const std::vector<std::string>& switches)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "KELVARO_", 8) != 0 && !SetBySwitch(*e, switches)) env.emplace_back(*e);
    }
    env.insert(env.end(), switches.begin(), switches.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs the program in the work folder with the headless switches; its output goes to "run.log".
RunResult Run(Context& context, const std::string& program, std::vector<std::string> arguments,
              std::vector<std::string> switches = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=5",
                                                   "KELVARO_NO_WAIT=1"})
{
    RunResult result;
    fs::path log = context.work / "run.log";
    arguments.insert(arguments.begin(), program);
    std::vector<std::string> env = Environment(switches);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, context.work.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        Fail(context, "cannot start " + program);
        return result;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.lines = ReadLines(log);
    return result;
}

// Index of the first line at or after `from` that equals `text` (or starts with it, for a prefix).
size_t Find(const std::vector<std::string>& lines, const std::string& text, size_t from, bool prefix = false)
{
    for (size_t i = from; i < lines.size(); ++i) {
        if (prefix ? lines[i].compare(0, text.size(), text) == 0 : lines[i] == text) return i;
    }
    return std::string::npos;
}

void ExpectInOrder(Context& context, const RunResult& run, const std::vector<std::string>& expected)
{
    size_t at = 0;
    for (const std::string& text : expected) {
        // A line ending in '*' stands for any line that begins with the rest.
        bool prefix = !text.empty() && text.back() == '*';
        size_t found = Find(run.lines, prefix ? text.substr(0, text.size() - 1) : text, at, prefix);
        if (found == std::string::npos) {
            Fail(context, "expected the line \"" + text + "\" after line " + std::to_string(at));
            return;
        }
        at = found + 1;
    }
}

void ExpectExit(Context& context, const RunResult& run, int code)
{
    if (run.exitCode != code)
        Fail(context, "exit code " + std::to_string(run.exitCode) + ", expected " + std::to_string(code));
}

void ExpectAbsent(Context& context, const RunResult& run, const std::string& text)
{
    if (Find(run.lines, text, 0) != std::string::npos) Fail(context, "unexpected line \"" + text + "\"");
}

const std::vector<std::string> STARTUP_STEPS = {
    "Get Resolution",
    "Get Header Information",
    "InitKVSFunctions",
    // The gamepads are made while their family registers, and each logs its line.
    "HighScore..Game..Math..Graphic..Action..File..Resource..Interaction..3D..Particle..Misc..DS..Sound.."
    "DPlay..Physics..Gamepad..GAMEPAD: 4 axis values (last) at 0x*",
    "GAMEPAD: 4 axis values (last) at 0x*",
    "GAMEPAD: 4 axis values (last) at 0x*",
    "GAMEPAD: 4 axis values (last) at 0x*",
    "Buffers..Networking..Shaders..Wexo..Fini",
    "Create Window",
    "AdjustWindowRectEx",
    "RegisterClassEx",
    "CreateWindowEx",
    "Init Graphics",
    "GR_D3D_Init()",
    "Background_InitTextures()",
    "Sprite_InitTextures()",
    "Font_InitTextures()",
    "IO Init",
    "Process Messages",
    "Start Frame",
    "Part Create Textures",
    "Debug Init Remote Interface",
    "VM Init",
    "Create Score Form",
    "Create Load Form",
    "Create Error Form",
    "Do The Work",
    "LoadGameData()",
    "PrepareGame()",
    "Extension_Prepare() ",
    "Code_Constant_Prepare() ",
    "Script_Prepare() ",
    "TimeLine_Prepare() ",
    "Object_Prepare() ",
    "Room_Prepare() ",
    "Sound_Prepare() ",
    "InitGraphics() ",
    "Finished PrepareGame() ",
    "Run_Start",
    "StartGame()",
    "StartGame() - DONE",
    "**********************************.",
    "Entering main loop.",
    "**********************************.",
    "Current Memory Stats",
};

const std::vector<std::string> SHUTDOWN_STEPS = {
    "Save Achievement Cache",
    "Close Sockets",
    "Shutdown Steam",
    "Save Highscores",
    "Free Constants",
    "Free Functions",
    "Free Script Arguments",
    "Free Motion Grids",
    "Free Rooms",
    "Free Instances",
    "Free Carried Instances",
    "Free Event Lists",
    "Free Objects",
    "Free Particles",
    "Free Sprites",
    "Delete Temp Folder",
    "Shutdown Display",
    "Free Backgrounds",
    "Free Textures",
    "Free Scripts",
    "Free Variables",
    "Free Fonts",
    "Free Default Font",
    "Close Files",
    "Free Sounds",
    "Shutdown Direct3D",
    "Shutdown Graphics Libraries",
};

void StartupAndShutdown(Context& context)
{
    RunResult run = Run(context, context.kelvaro, {"-game", context.game});
    ExpectExit(context, run, 0);
    std::vector<std::string> expected = STARTUP_STEPS;
    expected.insert(expected.end(), SHUTDOWN_STEPS.begin(), SHUTDOWN_STEPS.end());
    ExpectInOrder(context, run, expected);
    ExpectAbsent(context, run, "Start Server");
    if (Find(run.lines, "KirranLoadGame: " + context.game, 0) == std::string::npos)
        Fail(context, "the game file's name is not logged");
}

void DebugServer(Context& context)
{
    RunResult run = Run(context, context.kelvaro, {"-game", context.game});
    ExpectExit(context, run, 0);
    size_t vm = Find(run.lines, "VM Init", 0);
    if (vm == std::string::npos || Find(run.lines, "Start Server", vm) != vm + 1 ||
        Find(run.lines, "Create Score Form", vm) == std::string::npos)
        Fail(context, "\"Start Server\" does not follow \"VM Init\"");
    ExpectInOrder(context, run, {"Start Server", "Create Score Form", "Entering main loop."});
}

// A chunk of an unknown tag, or a malformed one, fails the load after naming it.
void RefusedChunk(Context& context, const std::string& named)
{
    RunResult run = Run(context, context.kelvaro, {"-game", context.game});
    ExpectExit(context, run, 1);
    ExpectInOrder(context, run, {"Do The Work", "LoadGameData()"});
    size_t unknown = Find(run.lines, named, 0, true);
    if (unknown == std::string::npos ||
        Find(run.lines, "Failed to load the game", unknown) == std::string::npos)
        Fail(context, "the chunk does not fail the load");
    ExpectAbsent(context, run, "PrepareGame()");
    ExpectAbsent(context, run, "Entering main loop.");
}

void UnknownChunk(Context& context) { RefusedChunk(context, "unknown Chunk ZZZZ:"); }

// An extension chunk whose package offset points outside the file.
void MalformedExtensions(Context& context) { RefusedChunk(context, "Malformed Chunk EXTN"); }

void NoGame(Context& context)
{
    RunResult run = Run(context, context.kelvaro, {});
    ExpectExit(context, run, 1);
    ExpectAbsent(context, run, "Get Resolution");
}

void MissingFile(Context& context)
{
    RunResult run = Run(context, context.kelvaro, {"-game", (context.work / "missing.win").string()});
    ExpectExit(context, run, 1);
    ExpectInOrder(context, run, {"Failed to load the game"});
    ExpectAbsent(context, run, "Get Resolution");
    ExpectAbsent(context, run, "Create Window");
}

void DebugOutput(Context& context)
{
    fs::path log = context.work / "main.log";
    RunResult run = Run(context, context.kelvaro, {"-debugoutput", log.string(), "-game", context.game});
    ExpectExit(context, run, 0);
    RunResult file;
    file.lines = ReadLines(log);
    ExpectInOrder(context, file, {"Create Window", "Entering main loop.", "Save Achievement Cache"});
}

void AtFiles(Context& context)
{
    std::ofstream(context.work / "saves@slot1.txt") << "slot";
    std::ofstream(context.work / ".hidden@file") << "h";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game});
    ExpectExit(context, run, 0);
    if (!fs::exists(context.work / "saves" / "slot1.txt")) Fail(context, "saves@slot1.txt was not moved");
    if (!fs::exists(context.work / ".hidden@file")) Fail(context, "a hidden file was moved");
}

void DataWinBeside(Context& context)
{
    fs::path bin = context.work / "bin";
    fs::create_directories(bin);
    fs::copy_file(context.kelvaro, bin / "kelvaro", fs::copy_options::overwrite_existing);
    fs::copy_file(context.game, bin / "data.win", fs::copy_options::overwrite_existing);
    fs::path ignored = context.work / "ignored.log";
    RunResult run = Run(context, (bin / "kelvaro").string(),
                        {"-debugoutput", ignored.string(), "-game", "/no/such/game.win"});
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"KirranLoadGame: " + (bin / "data.win").string(), "Entering main loop."});
    if (fs::exists(ignored))
        Fail(context, "the command line was read although data.win lies beside the program");
}

// ---- rooms ---------------------------------------------------------------------------------------

// A headless run for five frames with the event trace on; the trace's lines ("frame id object type
// subtype", tab-separated) come back in `trace`. `switches` go on the command line before the game,
// `variables` into the environment.
RunResult RunTraced(Context& context, std::vector<std::string>& trace, std::vector<std::string> switches = {},
                    int frames = 5, const std::vector<std::string>& variables = {})
{
    fs::path file = context.work / "trace.txt";
    switches.insert(switches.end(), {"-game", context.game});
    std::vector<std::string> environment = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=" + std::to_string(frames),
                                            "KELVARO_NO_WAIT=1", "KELVARO_TRACE=" + file.string()};
    environment.insert(environment.end(), variables.begin(), variables.end());
    RunResult run = Run(context, context.kelvaro, switches, environment);
    trace.clear();
    for (std::string line : ReadLines(file)) {
        for (char& c : line)
            if (c == '\t') c = ' ';
        trace.push_back(line);
    }
    return run;
}

void ExpectTrace(Context& context, const std::vector<std::string>& trace, const std::vector<std::string>& expected)
{
    if (trace == expected) return;
    std::string text;
    for (const std::string& line : trace) text += "\n  " + line;
    Fail(context, "the event trace is:" + text);
}

// Three placed instances (obj_low 100001 and 100003 at depth 0, obj_high 100002 at depth 10): the
// creation code runs before the create event, which reads what the code set; after five frames the
// game's end runs room end and game end.
void RoomStartOrder(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace);
    ExpectExit(context, run, 0);
    std::vector<std::string> expected = {"0 100002 obj_high 0 0", "0 100003 obj_low 0 0", "0 100001 obj_low 0 0"};
    for (const char* type : {"7 2", "7 4"})
        for (const char* who : {"100001 obj_low ", "100003 obj_low ", "100002 obj_high "})
            expected.push_back(std::string("0 ") + who + type);
    for (const char* type : {"7 5", "7 3"})
        for (const char* who : {"100001 obj_low ", "100003 obj_low ", "100002 obj_high "})
            expected.push_back(std::string("5 ") + who + type);
    ExpectTrace(context, trace, expected);
    ExpectAbsent(context, run, "ERROR!!! :: ############################################################################################");
    ExpectInOrder(context, run, {"StartGame()", "StartGame() - DONE", "Entering main loop."});
}

// The same room with the create event first: the first instance's create event reads a variable
// its creation code has not set yet, a fatal error that ends the game before any other event.
void RoomStartEventFirst(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace);
    if (trace.empty() || trace[0] != "0 100002 obj_high 0 0") Fail(context, "the first event is not obj_high's create event");
    for (size_t i = 1; i < trace.size(); ++i)
        if (trace[i].find(" 0 0") != std::string::npos || trace[i].find(" 7 2") != std::string::npos)
            ExpectTrace(context, trace, {"only the first create event, and no game start"});
    if (Find(run.lines, "of Create Event", 0) == std::string::npos || Find(run.lines, "for object obj_high:", 0) == std::string::npos)
        Fail(context, "the create event's error is not reported");
}

// A game that cannot start a room ends at once, with a message and without a frame or an event.
void WithoutRoom(Context& context, const std::string& message)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace);
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"StartGame()", message, "Entering main loop.", "Save Achievement Cache", "Free Rooms"});
    ExpectAbsent(context, run, "StartGame() - DONE");
    ExpectTrace(context, trace, {});
}

void NoRooms(Context& context) { WithoutRoom(context, "The game has no room to start in."); }

void MissingRoom(Context& context) { WithoutRoom(context, "The game's first room (room 1) does not exist."); }

// Ten layers and ten views in the file, the last two views visible with huge ports: the room reads
// eight of each, starts and plays.
void ManyLayers(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace);
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"StartGame() - DONE", "Entering main loop.", "Free Rooms"});
    ExpectTrace(context, trace, {"0 100001 obj_marker 0 0"});
}

// The same source game played by the bytecode interpreter and, with -oldexec, by the tree-walking
// executor: scripts, loops, switch and with drive the alarms and the lamps' visibility, and the two
// event traces are equal. Only the tree executor reports the stray ';' of the game end event, which
// shows that each run used its own executor.
void OldExecutor(Context& context)
{
    std::vector<std::string> bytecode;
    RunResult first = RunTraced(context, bytecode);
    std::vector<std::string> tree;
    RunResult second = RunTraced(context, tree, {"-oldexec"});
    ExpectExit(context, first, 0);
    ExpectExit(context, second, 0);
    ExpectTrace(context, tree, bytecode);
    for (const char* event :
         {" 100001 obj_clock 2 0", " 100001 obj_clock 2 1", " 100002 obj_lamp 2 0", " 100003 obj_lamp 2 0"}) {
        bool seen = false;
        for (const std::string& line : bytecode) seen = seen || line.find(event) != std::string::npos;
        if (!seen) Fail(context, std::string("no event \"") + event + "\" in the trace");
    }
    auto reports = [](const RunResult& run) {
        for (const std::string& line : run.lines)
            if (line.find("Statement expected.") != std::string::npos) return true;
        return false;
    };
    if (reports(first)) Fail(context, "the bytecode run reported the stray ';'");
    if (!reports(second)) Fail(context, "the tree executor did not report the stray ';'");
}

// One instance outside the room without a sprite, its alarm 0 set to 2 (alarm 1 has no handler and
// never counts): each frame runs animation end, begin step, the alarm when it rings, step, outside
// room and end step, in that order.
void FrameStages(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace);
    ExpectExit(context, run, 0);
    std::vector<std::string> expected = {"0 100001 obj_clock 0 0"};
    for (int frame = 0; frame < 5; ++frame) {
        std::vector<const char*> events = {"7 7", "3 1", "3 0", "7 0", "3 2"};
        if (frame == 1) events.insert(events.begin() + 2, "2 0");
        for (const char* event : events) expected.push_back(std::to_string(frame) + " 100001 obj_clock " + event);
    }
    ExpectTrace(context, trace, expected);
}

// A persistent room of three instances (obj_a, obj_b, obj_c at depths 0, 10, 20) is left for a
// visited room and entered again; at the first three room ends one of them changes its depth: the
// middle of the list, then its head, then its tail. Each drawing of the persistent room (its draw
// events, from the greatest depth) shows the new order, the visited room draws only its visitor, and
// each room start sets the alarm numbered by its instance_count, which then rings.
void PersistentDepth(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace, {}, 30);
    ExpectExit(context, run, 0);
    std::vector<std::string> drawings; // the objects each drawing drew; a repeated drawing once
    std::string drawing;
    std::map<std::string, int> alarms; // "object:alarm" and how often it rang
    for (const std::string& line : trace) {
        std::string frame, id, object, type, subtype;
        std::istringstream(line) >> frame >> id >> object >> type >> subtype;
        if (type == "8") {
            drawing += " " + object;
            continue;
        }
        if (!drawing.empty() && (drawings.empty() || drawings.back() != drawing)) drawings.push_back(drawing);
        drawing.clear();
        if (type == "2") ++alarms[object + ":" + subtype];
    }
    const std::string visit = " obj_visitor";
    const std::string last = " obj_a obj_c obj_b";
    std::vector<std::string> expected = {" obj_c obj_b obj_a", visit, " obj_b obj_c obj_a", visit,
                                         " obj_b obj_a obj_c", visit, last};
    for (size_t i = expected.size(); i < drawings.size(); ++i)
        expected.push_back(i % 2 == 1 ? visit : last);
    if (drawings != expected) {
        std::string text;
        for (const std::string& order : drawings) text += "\n " + order;
        Fail(context, "the rooms were drawn so:" + text);
    }
    // Four starts of the persistent room and three of the visited one, at the least.
    if (alarms.size() != 2 || alarms["obj_b:3"] < 4 || alarms["obj_visitor:1"] < 3)
        Fail(context, "instance_count at a room start is not the room's own");
}

// ---- built-in functions -------------------------------------------------------------------------

// Fails unless `lines` from `from` on are exactly `expected`.
void ExpectLinesFrom(Context& context, const std::vector<std::string>& lines, size_t from,
                     const std::vector<std::string>& expected)
{
    std::vector<std::string> actual(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end());
    if (actual == expected) return;
    std::string text;
    for (const std::string& line : actual) text += "\n  " + line;
    Fail(context, "the script log from line " + std::to_string(from) + " is:" + text);
}

// Events, run-time code, the script log and variables by name, in either code form. The first three
// executions report an error each, naming their code objects; then the -output log holds exactly
// the lines the create event and the events it performs write, and the trace shows those events.
void MiscEvents(Context& context)
{
    std::ofstream(context.work / "prog.txt", std::ios::binary) << "var a;\r\na = argument0\r\n * argument1;\r\nreturn a\x1Anot code";
    std::ofstream(context.work / "names.txt", std::ios::binary) << "variable_global_array_get(\"names\", 32000)";
    fs::path output = context.work / "out.log";
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace, {"-output", output.string()});
    ExpectExit(context, run, 0);
    RunResult log;
    log.lines = ReadLines(output);
    size_t at = 0;
    for (const char* name : {"Execute.0", "ExecuteFile.0", "Execute.1"}) {
        size_t found = Find(log.lines, "Array index >= 32000", at);
        if (found == std::string::npos || found + 1 >= log.lines.size() ||
            log.lines[found + 1].find(std::string(" at ") + name + " ") != 0) {
            Fail(context, std::string("no error reported at ") + name);
            return;
        }
        at = found + 2;
    }
    ExpectLinesFrom(context, log.lines, Find(log.lines, "names done", at),
                    {"names done", "5", "3", "42", "0", "10", "10", "cell", "1", "0", "3.50", "42", "user 3 for obj_main",
                     "outside for obj_main", "user 1 of obj_other", "3.50", "end"});
    ExpectTrace(context, trace,
                {"0 100001 obj_main 0 0", "0 100001 obj_main 7 13", "0 100001 obj_main 7 0", "0 100001 obj_other 7 11"});
    ExpectInOrder(context, run, {"StartGame()", "Windows8 functionality not supported", "Entering main loop."});
}

// An extension package naming the test library as "testext.dll" (it lies beside the game as
// "testext.so"): its init function runs before the first room, a script calls its functions with
// reals and strings, and its final function leaves a marker in the current folder at game end.
void Extensions(Context& context)
{
    fs::path marker = context.work / "testext_final.txt";
    fs::remove(marker);
    fs::path output = context.work / "out.log";
    RunResult run = Run(context, context.kelvaro, {"-output", output.string(), "-game", context.game});
    ExpectExit(context, run, 0);
    RunResult log;
    log.lines = ReadLines(output);
    ExpectInOrder(context, log, {"describe: init=1 r=2.5 s=abc", "empty: init=1 r=1 s=", "init calls: 1", "absent: 0"});
    std::vector<std::string> left = ReadLines(marker);
    if (left != std::vector<std::string>{"final after 1 init"}) Fail(context, "the final function left no marker");
}

// The text, maths and date built-ins checked by the game itself, from source or from bytecode, in
// UTC: alarm 0 rings when every check passed (alarm 1 when one failed, naming it in the log). The
// checker's create event runs its grandparent's through event_inherited (its parent has none, so
// the trace names the parent), where event_inherited, without a parent, does nothing. Two
// deliberate misuses show their reports in the log.
void Builtins(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace, {}, 5, {"TZ=UTC"});
    ExpectExit(context, run, 0);
    ExpectTrace(context, trace, {"0 100001 obj_checker 0 0", "0 100001 obj_middle 0 0", "0 100001 obj_checker 2 0"});
    ExpectInOrder(context, run, {"string_copy(hello, 7, 1): Index is out of bounds", "Error in function arcsin()."});
    for (const std::string& line : run.lines)
        if (line.find("FAILED ") != std::string::npos) Fail(context, "a check failed: " + line);
}

// The game family's game checks itself: each failed check names itself in the script log by
// creating object 1000 + its number, and the judge of the second room ends the game only when none
// failed (otherwise it asks for room 99, a fatal error). Instances are created, copied with and
// without events, changed, destroyed twice and deactivated (the sleeper's step stops for frames 1
// to 3), the room changes at frame 6; in the second room a probe moves into contact with a solid
// wall and a ball bounces off another, and the game ends itself long before the frame limit.
void GameFamily(Context& context)
{
    std::vector<std::string> trace;
    fs::path output = context.work / "output.log";
    RunResult run = RunTraced(context, trace, {"-output", output.string()}, 50);
    ExpectExit(context, run, 0);
    // Ids 100001 to 100007 are the rooms' own instances; the pawns are made after them.
    std::vector<std::string> expected = {"0 100001 obj_boss 0 0",   "0 100008 obj_pawn 0 0",
                                         "0 100009 obj_pawn 0 0",   "0 100010 obj_pawn 1 0",
                                         "0 100010 obj_knight 0 0", "0 100008 obj_pawn 1 0"};
    for (int frame = 0; frame <= 6; ++frame) {
        expected.push_back(std::to_string(frame) + " 100001 obj_boss 3 0");
        if (frame == 0 || frame == 4 || frame == 5)
            expected.push_back(std::to_string(frame) + " 100002 obj_sleeper 3 0");
    }
    for (const char* line : {"7 100001 obj_boss 7 5", "7 100004 obj_ball 0 0", "7 100003 obj_judge 0 0",
                             "7 100003 obj_judge 7 4"})
        expected.push_back(line);
    // The ball (16 wide, 4 pixels a step from x 20) first overlaps the wall at x 100 at x 88, in
    // frame 23; it bounces once, and the judge ends the game the step after it saw it move back.
    for (int frame = 7; frame <= 24; ++frame) {
        expected.push_back(std::to_string(frame) + " 100003 obj_judge 3 0");
        if (frame == 23) expected.push_back("23 100004 obj_ball 4 5");
    }
    expected.push_back("25 100003 obj_judge 7 3");
    ExpectTrace(context, trace, expected);
    std::string log;
    for (const std::string& line : ReadLines(output))
        log += line + "\n";
    auto count = [&](const std::string& piece) {
        size_t n = 0;
        for (size_t at = log.find(piece); at != std::string::npos; at = log.find(piece, at + 1))
            ++n;
        return n;
    };
    if (count("Creating instance for non-existing object: 70\n") != 1 ||
        count("instance_create( ) error: Illegal type") != 1)
        Fail(context, "the two refused creations are not each reported once in the -output log");
    if (count("non-existing object: 10") != 0 || count("Unexisting room number") != 0)
        Fail(context, "the game's own checks failed:\n" + log);
}

// Objects and rooms changed while the game runs, in either code form: from frame 1 obj_child steps
// through the parent it was given and obj_ticker's cleared step stops; at frame 4 a room built with
// room_add and friends is entered, where the placed instance's create event and the room's new
// creation code log what they see. The assets asked for by name are logged before.
void ResourceObjects(Context& context)
{
    std::vector<std::string> trace;
    fs::path output = context.work / "output.log";
    RunResult run = RunTraced(context, trace, {"-output", output.string()}, 7);
    ExpectExit(context, run, 0);
    ExpectTrace(context, trace,
                {"0 100001 obj_ctrl 0 0", "0 100001 obj_ctrl 3 0", "0 100003 obj_ticker 3 0", "1 100001 obj_ctrl 3 0",
                 "1 100002 obj_child 3 0", "2 100001 obj_ctrl 3 0", "2 100002 obj_child 3 0", "3 100001 obj_ctrl 3 0",
                 "3 100002 obj_child 3 0", "4 100001 obj_ctrl 3 0", "5 100004 obj_guest 0 0"});
    RunResult log;
    log.lines = ReadLines(output);
    ExpectInOrder(context, log,
                  {"obj_guest: 4 0", "room_start: 0 3", "__newroom1: 1 3", "no_such_asset: -1 -1",
                   "guest created at 32 in a room of width 400", "room code, width 400"});
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The game writes a text, a binary and an INI file, reads each back and reads a file shipped beside
// it under another letter case; it rings its alarm only when all matched. The files land in the
// save area under XDG_DATA_HOME, byte for byte, and the temporary folder is gone after the run.
void Files(Context& context)
{
    fs::path game = context.work / "game";
    fs::path share = context.work / "share";
    fs::path temp = context.work / "tmp";
    fs::create_directories(game);
    fs::create_directories(temp);
    fs::copy_file(context.game, game / "game.win");
    std::ofstream(game / "shipped.txt", std::ios::binary) << "from the bundle";
    fs::path traceFile = context.work / "trace.txt";
    RunResult run = Run(context, context.kelvaro, {"-game", (game / "game.win").string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=3", "KELVARO_NO_WAIT=1",
                         "KELVARO_TRACE=" + traceFile.string(), "XDG_DATA_HOME=" + share.string(),
                         "TMPDIR=" + temp.string()});
    ExpectExit(context, run, 0);
    std::vector<std::string> trace;
    for (std::string line : ReadLines(traceFile)) {
        for (char& c : line)
            if (c == '\t') c = ' ';
        trace.push_back(line);
    }
    ExpectTrace(context, trace, {"0 100001 obj_files 0 0", "0 100001 obj_files 2 0"});
    fs::path saves = share / "FilesGame";
    const std::pair<const char*, std::string> files[] = {
        {"notes/log.txt", "hello\r\n0.5 "},
        {"data.bin", std::string("\x01\xFF\x2C", 3)},
        {"settings.ini", "[player]\r\nlevel=3.000000\r\nname=Ann\r\n"},
    };
    for (const auto& [name, bytes] : files)
        if (ReadBytes(saves / name) != bytes) Fail(context, std::string(name) + " does not hold the bytes written");
    std::string used = ReadBytes(saves / "temp.txt");
    if (used.rfind((temp / "kv_ttt_").string(), 0) != 0) Fail(context, "the temporary folder was " + used);
    if (!fs::is_empty(temp)) Fail(context, "the temporary folder is left after the run");
    if (fs::exists(game / "notes")) Fail(context, "a file was written beside the game");
}

// The game checks the ds_ functions itself: alarm 0 is its pass, alarm 1 its fail; its last call
// destroys a stack twice, which is reported.
void DataStructures(Context& context)
{
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace);
    ExpectExit(context, run, 0);
    ExpectTrace(context, trace, {"0 100001 obj_checks 0 0", "0 100001 obj_checks 2 0"});
    ExpectInOrder(context, run, {"Data structure with index does not exist."});
}

// ---- input ---------------------------------------------------------------------------------------

bool TraceHas(const std::vector<std::string>& trace, const std::string& line)
{
    return std::find(trace.begin(), trace.end(), line) != trace.end();
}

// The game presses the right arrow through the window's own queue at its third step and lets it go
// at its sixth, then taps Q. Recorded for 100 frames, the file holds 100 frames of 2939 bytes; played
// back, the same run happens from the file alone (the devices are not read), so the traces agree.
void InputRecordAndReplay(Context& context)
{
    std::vector<std::string> recorded;
    RunResult record = RunTraced(context, recorded, {"-record", "input.rec"}, 100);
    ExpectExit(context, record, 0);
    std::string file = ReadBytes(context.work / "input.rec");
    if (file.size() != 293900) Fail(context, "the recording holds " + std::to_string(file.size()) + " bytes");
    for (const char* line : {"3 100001 obj_presser 9 39", "4 100001 obj_presser 5 39", "5 100001 obj_presser 2 0",
                             "6 100001 obj_presser 10 39", "7 100001 obj_presser 2 1", "8 100001 obj_presser 10 81"})
        if (!TraceHas(recorded, line)) Fail(context, std::string("no \"") + line + "\" in the recorded run");
    std::vector<std::string> replayed;
    RunResult replay = RunTraced(context, replayed, {"-record", "input.rec", "-playback", "input.rec"}, 100);
    ExpectExit(context, replay, 0);
    ExpectTrace(context, replayed, recorded);
    if (ReadBytes(context.work / "input.rec") != file) Fail(context, "playback wrote to the recording");
}

// A hand-written playback file of five frames: A pressed in frame 1, held in 2, released in 3,
// pressed again in 4 and still held when the file ends, so it stays held in every later frame.
void InputPlayback(Context& context)
{
    const size_t FRAME = 2939, HELD = 2060, RELEASED = 2316, PRESSED = 2572, A = 65;
    std::vector<uint8_t> file(5 * FRAME, 0);
    auto set = [&](size_t frame, size_t field) { file[frame * FRAME + field + A] = 1; };
    set(1, PRESSED), set(1, HELD), set(2, HELD), set(3, RELEASED), set(4, PRESSED), set(4, HELD);
    std::ofstream(context.work / "hand.rec", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace, {"-playback", "hand.rec"}, 8);
    ExpectExit(context, run, 0);
    std::vector<std::string> keys; // the key events, frame by frame
    for (const std::string& line : trace)
        if (line.find(" 65") != std::string::npos || line.find(" 2 0") != std::string::npos) keys.push_back(line);
    std::vector<std::string> expected = {"1 100001 obj_keys 5 65", "1 100001 obj_keys 9 65", "2 100001 obj_keys 2 0",
                                         "2 100001 obj_keys 5 65", "3 100001 obj_keys 10 65",
                                         "4 100001 obj_keys 5 65", "4 100001 obj_keys 9 65", "5 100001 obj_keys 2 0"};
    for (int frame = 5; frame < 8; ++frame) // past the file's end: held, never pressed again
        expected.push_back(std::to_string(frame) + " 100001 obj_keys 5 65");
    ExpectTrace(context, keys, expected);
}

// ---- sound ---------------------------------------------------------------------------------------

// The loudest sample of each 50 ms window of a captured WAV file (16-bit or float samples, plain or
// extensible format), from 0 to 1; empty when the file cannot be read.
std::vector<double> WindowPeaks(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto word = [&](size_t at, int size) {
        uint32_t value = 0;
        for (int i = 0; i < size && at + i < bytes.size(); ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
        return value;
    };
    uint32_t format = 0, channels = 0, rate = 0, bits = 0;
    size_t data = 0, dataSize = 0;
    for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + ((word(at + 4, 4) + 1) & ~1u)) {
        std::string tag(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4);
        if (tag == "fmt ") {
            format = word(at + 8, 2), channels = word(at + 10, 2), rate = word(at + 12, 4), bits = word(at + 22, 2);
            if (format == 0xFFFE) format = word(at + 32, 2);
        } else if (tag == "data") {
            data = at + 8;
            dataSize = std::min<size_t>(word(at + 4, 4), bytes.size() - data);
            if (dataSize == 0) dataSize = bytes.size() - data; // the writer was not closed
            break;
        }
    }
    std::vector<double> peaks;
    if (channels == 0 || rate == 0 || (bits != 16 && bits != 32)) return peaks;
    size_t frame = channels * bits / 8, window = rate / 20 * frame;
    for (size_t start = 0; start + window <= dataSize; start += window) {
        double peak = 0;
        for (size_t at = data + start; at < data + start + window; at += bits / 8) {
            double sample = 0;
            if (bits == 16) sample = static_cast<int16_t>(word(at, 2)) / 32768.0;
            else if (format == 3) {
                uint32_t raw = word(at, 4);
                float value;
                std::memcpy(&value, &raw, 4);
                sample = value;
            } else sample = static_cast<int32_t>(word(at, 4)) / 2147483648.0;
            peak = std::max(peak, std::fabs(sample));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

// The windows as a pattern: "L" for loud, "s" for silent, one letter per run of at least `run`
// windows (shorter runs are dropped), e.g. "sLs".
std::string LoudnessPattern(const std::vector<double>& peaks, size_t run)
{
    std::string pattern;
    for (size_t i = 0; i < peaks.size();) {
        bool loud = peaks[i] > 0.05;
        size_t j = i;
        while (j < peaks.size() && (peaks[j] > 0.05) == loud) ++j;
        char letter = loud ? 'L' : 's';
        if (j - i >= run && (pattern.empty() || pattern.back() != letter)) pattern += letter;
        i = j;
    }
    return pattern;
}

// A game of either sound system played at real speed for 60 frames into OpenAL's wave writer: a
// looping tone sounds from the first frame until frame 20 stops it; the newer game then starts a
// looping Ogg music at frame 40 that is still playing at frame 58, long past its 0.3 seconds.
void SoundCapture(Context& context, const std::string& pattern, const std::vector<std::string>& lines)
{
    fs::path game = context.work / "sound.win";
    fs::copy_file(context.game, game, fs::copy_options::overwrite_existing);
    fs::copy_file(fs::path(KELVARO_SOURCE_DIR) / "tests/sound/data/song.ogg", context.work / "snd_loop.ogg",
                  fs::copy_options::overwrite_existing);
    fs::path mix = context.work / "mix.wav", conf = context.work / "alsoft.conf", output = context.work / "out.log";
    std::ofstream(conf) << "[general]\ndrivers=wave\n[wave]\nfile=" << mix.string() << "\n";
    RunResult run = Run(context, context.kelvaro, {"-output", output.string(), "-game", game.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=60", "ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + conf.string()});
    ExpectExit(context, run, 0);
    std::vector<std::string> log = ReadLines(output);
    ExpectLinesFrom(context, log, Find(log, lines.front(), 0), lines);
    std::vector<double> peaks = WindowPeaks(mix);
    std::string got = LoudnessPattern(peaks, 4);
    // The device opens before the first frame, so the capture may begin with silence.
    if ((got.rfind('s', 0) == 0 ? got.substr(1) : got) != pattern)
        Fail(context, "the capture's loudness runs are \"" + got + "\" (" + std::to_string(peaks.size()) +
                          " windows of 50 ms), expected \"" + pattern + "\" after any first silence");
}

void SoundCaptureNewer(Context& context)
{
    SoundCapture(context, "LsL", {"voice 1 playing 1", "stopped 0", "music 1"});
}

void SoundCaptureOlder(Context& context)
{
    SoundCapture(context, "Ls", {"playing 1", "stopped 0"});
}

// Buffers written, read, hashed, encoded, saved and loaded again, in either code form: the script
// log holds the values, and the saved file holds exactly the bytes written.
void Buffers(Context& context)
{
    fs::path output = context.work / "out.log";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game, "-output", output.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=3", "KELVARO_NO_WAIT=1",
                         "XDG_DATA_HOME=" + (context.work / "data").string()});
    ExpectExit(context, run, 0);
    std::vector<std::string> lines = ReadLines(output);
    bool reported = false;
    for (const std::string& line : lines) reported = reported || line.find("Cannot load buffer file") != std::string::npos;
    size_t start = Find(lines, "buffers start", 0);
    if (!reported || start == std::string::npos || start == 0 || lines[start - 1] != "-1")
        Fail(context, "the missing file was not reported with -1 before \"buffers start\"");
    ExpectLinesFrom(context, lines, start,
                    {"buffers start", "32", "24", "44", "-2", "kelvaro", "0.25", "f5dab27a4c311ebef03b32d7330e940f",
                     "LAAAAP7///8=", "24", "f9e0c688eed6fe9dcc380fd2092c492c8b3c199a", "2", "4", "0"});
    // The save area is the game's folder under XDG_DATA_HOME, or the run's folder until it is mapped.
    fs::path saved;
    for (const auto& entry : fs::recursive_directory_iterator(context.work)) {
        if (entry.path().filename() == "out.bin") saved = entry.path();
    }
    std::ifstream in(saved, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string expected("\x2C\0\0\0\xFE\xFF\xFF\xFFkelvaro\0\0\0\0\0\0\0\xD0\x3F", 24);
    if (bytes != expected) Fail(context, "out.bin is missing or holds other bytes than were written");
}

// The demo walks the background round the colour wheel, two steps of hue a frame: the picture
// presented at frame 20 is one of the colours of steps 19 to 21 (the first frame's number is the
// frame counter's business, not the demo's).
void Demo(Context& context)
{
    fs::path shot = context.work / "shot.png";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=30", "KELVARO_NO_WAIT=1",
                         "KELVARO_CAPTURE=20:" + shot.string()});
    ExpectExit(context, run, 0);
    ExpectAbsent(context, run, "ERROR");
    std::ifstream in(shot, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int32_t width = 0;
    int32_t height = 0;
    const uint8_t* pixels = GR_Image_LoadPNG(bytes.data(), static_cast<int32_t>(bytes.size()), &width, &height, false);
    if (pixels == nullptr || width != 640 || height != 480) {
        Fail(context, "the captured picture is missing or not 640x480");
        return;
    }
    const uint8_t* centre = pixels + (size_t(240) * 640 + 320) * 4; // B, G, R, A
    bool matched = false;
    for (int step = 19; step <= 21; ++step) {
        int hue = step * 2; // below 256: red falls as green rises, no blue
        if (centre[2] == 255 - hue && centre[1] == hue && centre[0] == 0) matched = true;
    }
    if (!matched)
        Fail(context, "centre pixel is (" + std::to_string(centre[2]) + "," + std::to_string(centre[1]) + "," +
                          std::to_string(centre[0]) + "), not a colour of steps 19 to 21");
    GR_Image_FreePNG();
}

// ---- sprites --------------------------------------------------------------------------------------

// The picture of a PNG file as blue, green, red, alpha bytes; empty when it cannot be read.
struct Shot {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    // Red, green, blue of a pixel as "r,g,b".
    std::string At(int32_t x, int32_t y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return "outside";
        const uint8_t* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
        return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
    }
    int Alpha(int32_t x, int32_t y) const { return pixels[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3]; }
};

Shot ReadShot(const fs::path& path)
{
    Shot shot;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const uint8_t* pixels = GR_Image_LoadPNG(bytes.data(), int32_t(bytes.size()), &shot.width, &shot.height, false);
    if (pixels != nullptr) shot.pixels.assign(pixels, pixels + size_t(shot.width) * size_t(shot.height) * 4);
    GR_Image_FreePNG();
    return shot;
}

// A headless run whose picture at `frame` is captured to shot<frame>.png and whose events are traced
// to trace.txt; the save area's home is the work folder's "xdg".
RunResult RunCaptured(Context& context, int frame, int frames)
{
    fs::path shot = context.work / ("shot" + std::to_string(frame) + ".png");
    return Run(context, context.kelvaro, {"-game", context.game},
               {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=" + std::to_string(frames), "KELVARO_NO_WAIT=1",
                "KELVARO_CAPTURE=" + std::to_string(frame) + ":" + shot.string(),
                "KELVARO_TRACE=" + (context.work / "trace.txt").string(),
                "XDG_DATA_HOME=" + (context.work / "xdg").string()});
}

void ExpectPixels(Context& context, const Shot& shot, const std::vector<std::tuple<const char*, int, int, const char*>>& probes)
{
    for (const auto& [what, x, y, colour] : probes)
        if (shot.At(x, y) != colour)
            Fail(context, std::string(what) + ": pixel (" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                              shot.At(x, y) + ", not " + colour);
}

// Where the save area puts a file of the run: the current folder until the save area has a home of
// its own, then the game's folder under XDG_DATA_HOME.
fs::path SavedFile(Context& context, const std::string& name)
{
    fs::path home = context.work / "xdg" / "Game" / name;
    return fs::exists(home) ? home : context.work / name;
}

// Sprites of the game file drawn by default (a cropped page entry about its origin, mirrored,
// scaled by 2.5, turned 90 degrees, blended red, and the lower depth on top), a two-frame sprite
// animating, and a draw event drawing with draw_self and draw_sprite*, a sprite that sprite_add
// loaded, and a duplicate of a game-file sprite that sprite_save wrote (the original cannot be).
void SpriteDrawing(Context& context)
{
    const uint32_t green[16] = {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u,
                                0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u,
                                0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u};
    fs::create_directories(context.work / "xdg" / "Game");
    for (const fs::path& at : {context.work / "added.png", context.work / "xdg" / "Game" / "added.png"})
        GR_Image_WritePNGToPath(at.c_str(), green, 4, 4, true, true);
    RunResult run = RunCaptured(context, 10, 12);
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"sprite_save() failed - no bitmap data available"});
    ExpectAbsent(context, run, "ERROR!!! :: ############################################################################################");
    // The game rings its alarm once sprite_add and sprite_duplicate have both answered an index.
    bool rang = false;
    for (const std::string& line : ReadLines(context.work / "trace.txt"))
        rang = rang || line.find("\tobj_drawer\t2\t0") != std::string::npos;
    if (!rang) Fail(context, "sprite_add or sprite_duplicate failed: the alarm did not ring");
    Shot shot = ReadShot(context.work / "shot10.png");
    if (shot.width != 320 || shot.height != 240) {
        Fail(context, "the captured picture is missing or not 320x240");
        return;
    }
    const char* red = "255,0,0";
    const char* white = "255,255,255";
    const char* black = "0,0,0";
    ExpectPixels(context, shot,
                 {{"cropped frame about its origin", 19, 19, red}, {"cropped-away border", 16, 16, black},
                  {"mirrored left half", 58, 21, white}, {"mirrored right half", 54, 21, red},
                  {"scaled by 2.5", 108, 28, white}, {"past the scaled frame", 112, 22, black},
                  {"turned: tail", 161, 38, white}, {"turned: head", 161, 34, red},
                  {"blended red", 201, 21, red}, {"lower depth on top", 241, 21, white},
                  {"draw_self", 101, 141, white}, {"draw_sprite", 21, 141, white},
                  {"draw_sprite_ext", 46, 146, red}, {"draw_sprite_stretched", 68, 141, white},
                  {"below the stretched frame", 68, 144, black}, {"draw_sprite_part", 81, 141, red},
                  {"draw_sprite_general", 161, 141, red}, {"sprite_add", 141, 141, "0,255,0"}});
    // The animation shows its other frame one frame later.
    RunCaptured(context, 11, 12);
    Shot next = ReadShot(context.work / "shot11.png");
    std::string first = shot.At(21, 101);
    std::string second = next.At(21, 101);
    if (first == second || (first != "0,255,0" && first != "0,0,255") || (second != "0,255,0" && second != "0,0,255"))
        Fail(context, "the animated sprite shows " + first + " then " + second);
    Shot saved = ReadShot(SavedFile(context, "saved.png"));
    if (saved.width != 8 || saved.height != 8 || saved.At(3, 3) != red || saved.Alpha(3, 3) != 255 ||
        saved.Alpha(0, 0) != 0)
        Fail(context, "saved.png is not the duplicated 8x8 sprite with its red centre and clear border");
    if (fs::exists(SavedFile(context, "orig.png"))) Fail(context, "the game-file sprite was saved");
}

// Room layers (tiled one way, hidden, in front, scrolling), tiles cut from cropped entries, tiles
// added, hidden and shifted by code, every drawing form, made backgrounds, and a duplicated cropped
// background drawn, masked and saved whole.
void Backgrounds(Context& context)
{
    fs::create_directories(context.work / "xdg" / "Game");
    RunResult run = RunCaptured(context, 10, 12);
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"background_save() failed - no bitmap data available",
                                 "Both bitmaps need to be duplicated first", "Background does not exist.",
                                 "copy 8x8 tile 16777215 missing -1"});
    Shot shot = ReadShot(context.work / "shot10.png");
    const char* red = "255,0,0";
    const char* black = "0,0,0";
    const char* blue = "0,0,255";
    const char* green = "0,255,0";
    const char* yellow = "255,255,0";
    ExpectPixels(context, shot,
                 {{"layer tiled across", 250, 3, blue}, {"below that layer", 250, 12, black},
                  {"hidden layer", 2, 202, black}, {"front layer's picture", 103, 103, red},
                  {"front layer's cropped border", 101, 101, black}, {"scrolled away", 281, 150, black},
                  {"scrolled layer tiled down", 300, 150, yellow}, {"tile of a cropped part", 123, 23, red},
                  {"tile with the crop inside", 142, 22, red}, {"tile outside the crop", 140, 20, black},
                  {"tile_add", 161, 21, blue}, {"tile_layer_hide", 181, 21, black},
                  {"before tile_layer_shift", 201, 21, black}, {"after tile_layer_shift", 221, 21, green},
                  {"draw_background_ext", 26, 66, green}, {"beside it", 28, 60, black},
                  {"draw_background_general", 43, 63, red}, {"its cropped border", 41, 61, black},
                  {"draw_background_stretched", 74, 62, blue}, {"below it", 62, 65, black},
                  {"draw_background_part", 81, 61, red}, {"beside the part", 82, 61, black},
                  {"background_create_color", 101, 61, yellow}, {"gradient start", 120, 60, red},
                  {"gradient end", 127, 60, "32,0,223"}, {"duplicated cropped background", 143, 63, red},
                  {"its border", 141, 61, black}, {"alpha 0 from the mask", 161, 61, black},
                  {"alpha from the mask's red", 163, 63, "0,0,85"}});
    Shot saved = ReadShot(SavedFile(context, "saved.png"));
    if (saved.width != 8 || saved.height != 8 || saved.At(3, 3) != red || saved.Alpha(3, 3) != 255 ||
        saved.Alpha(0, 0) != 0)
        Fail(context, "saved.png is not the duplicated 8x8 background with its red centre and clear border");
    if (fs::exists(SavedFile(context, "orig.png"))) Fail(context, "the game-file background was saved");
}

// Pixels of the box (x0, y0)-(x1, y1), inclusive, that are not the colour.
int CountOther(const Shot& shot, int x0, int y0, int x1, int y1, const std::string& colour)
{
    int count = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) count += shot.At(x, y) != colour ? 1 : 0;
    return count;
}

// Still shape particles: a red disk burst, blue over red additive and normal, new-to-old order, a
// system between two instances by depth, and explosions below and above a white instance; the
// effects are gone in the next room, and the two missing-creation lines are logged.
void Particles(Context& context)
{
    RunResult run = RunCaptured(context, 3, 10);
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"part_particles_create :: particle type does not exist!",
                                 "part_particles_create :: particle system does not exist!", "particles: 10 2",
                                 "effects before: *", "effects after: 0 of 2 systems"});
    ExpectAbsent(context, run, "effects before: 0");
    Shot shot = ReadShot(context.work / "shot3.png");
    if (shot.width != 320 || shot.height != 240) {
        Fail(context, "the captured picture is missing or not 320x240");
        return;
    }
    ExpectPixels(context, shot,
                 {{"disk centre", 40, 40, "255,0,0"}, {"outside the disk", 40, 60, "0,0,0"},
                  {"additive blue over red", 100, 40, "255,0,255"}, {"newest on top", 140, 40, "0,0,255"},
                  {"new-to-old: oldest on top", 180, 40, "255,0,0"}, {"square edge", 146, 40, "0,0,255"},
                  {"past the square", 149, 40, "0,0,0"}, {"instance in front", 240, 40, "255,0,0"},
                  {"particles over the instance behind", 246, 40, "0,255,0"},
                  {"instance behind", 255, 40, "255,255,255"}});
    if (CountOther(shot, 41, 131, 78, 168, "255,255,255") != 0)
        Fail(context, "the explosion below shows through the instance");
    if (CountOther(shot, 140, 130, 180, 170, "0,0,0") < 50) Fail(context, "the explosion above is not drawn");
}

// A game played by actions alone: a ball created with motion bounces off a solid wall, relative
// moves and alarms (the relative flag gone in the next event), lives and health running out in
// turn, the next room asking a question answered "yes", a snapshot and the end of the game. The
// draw event's shapes, gradients and health bars are probed in the picture of frame 2.
void Actions(Context& context)
{
    fs::create_directories(context.work / "xdg" / "Game");
    std::ofstream(context.work / "answers.txt") << "yes\n";
    fs::path output = context.work / "output.log", trace = context.work / "trace.txt";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game, "-output", output.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=50", "KELVARO_NO_WAIT=1",
                         "KELVARO_TRACE=" + trace.string(), "KELVARO_CAPTURE=2:" + (context.work / "shot2.png").string(),
                         "KELVARO_ANSWERS=" + (context.work / "answers.txt").string(),
                         "XDG_DATA_HOME=" + (context.work / "xdg").string()});
    ExpectExit(context, run, 0);
    RunResult log{0, ReadLines(output)};
    ExpectInOrder(context, log,
                  {"ball created with speed 4 direction 0", "controller at 15", "relative in the next event: 0",
                   "alarm 1 set to 2", "bounced to -4", "no more lives 0", "no more health -50", "answered yes"});
    std::vector<std::string> events;
    for (std::string line : ReadLines(trace)) {
        line = line.substr(line.find('\t') + 1);
        for (char& c : line)
            if (c == '\t') c = ' ';
        if (line.find(" 8 0") == std::string::npos) events.push_back(line);
    }
    // No more lives and no more health come once each; the game ends in the second room's alarm.
    ExpectTrace(context, events,
                {"100001 obj_controller 0 0", "100004 obj_ball 0 0", "100001 obj_controller 2 0",
                 "100004 obj_ball 4 2", "100001 obj_controller 2 1", "100001 obj_controller 7 6",
                 "100001 obj_controller 7 9", "100003 obj_ender 0 0", "100003 obj_ender 2 0"});
    Shot snap = ReadShot(context.work / "xdg" / "Game" / "snap.png");
    if (snap.width != 320 || snap.height != 240) Fail(context, "action_snapshot wrote no 320x240 PNG");
    Shot shot = ReadShot(context.work / "shot2.png");
    auto near = [&](int x, int y, int r, int g, int b) {
        int got[3] = {0, 0, 0};
        std::sscanf(shot.At(x, y).c_str(), "%d,%d,%d", &got[0], &got[1], &got[2]);
        return std::abs(got[0] - r) <= 12 && std::abs(got[1] - g) <= 12 && std::abs(got[2] - b) <= 12;
    };
    struct Probe {
        const char* what;
        int x, y, r, g, b;
    } probes[] = {{"filled rectangle", 30, 30, 255, 0, 0},     {"gradient left", 61, 30, 0, 0, 255},
                  {"gradient right", 99, 30, 0, 255, 0},      {"gradient top", 130, 11, 255, 255, 255},
                  {"gradient bottom", 130, 49, 0, 0, 0},      {"ellipse", 180, 30, 255, 255, 0},
                  {"half health, grey bar", 30, 70, 128, 128, 128}, {"white back", 100, 70, 255, 255, 255},
                  {"half health, yellow bar", 30, 100, 255, 255, 0}, {"no back", 100, 100, 0, 0, 0}};
    for (const Probe& p : probes)
        if (!near(p.x, p.y, p.r, p.g, p.b))
            Fail(context, std::string(p.what) + ": pixel (" + std::to_string(p.x) + "," + std::to_string(p.y) +
                              ") is " + shot.At(p.x, p.y));
}

// A mover reaches a diagonal line of pixels: with precise masks the first collision comes four
// frames after the boxes first overlap, which is when the same pair without masks collides; a
// block whose box overlaps the line but whose pixels never meet it never collides.
void SpriteCollisions(Context& context)
{
    fs::path file = context.work / "trace.txt";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=30", "KELVARO_NO_WAIT=1", "KELVARO_TRACE=" + file.string()});
    ExpectExit(context, run, 0);
    auto first = [&](const std::string& event) {
        for (const std::string& line : ReadLines(file))
            if (line.find(event) != std::string::npos) return std::stoi(line);
        return -1;
    };
    int precise = first("\tobj_mover_p\t4\t1");
    int boxes = first("\tobj_mover_b\t4\t3");
    if (precise < 0 || boxes < 0 || precise - boxes != 4)
        Fail(context, "first collisions at frames " + std::to_string(precise) + " (precise) and " +
                          std::to_string(boxes) + " (boxes)");
    if (first("\tobj_ghost\t") >= 0) Fail(context, "pixels that never meet collided");
}

// ---- shapes, primitives, surfaces and saves -------------------------------------------------------

// The pixels of `part` equal those of `whole` from (x, y) on (red, green and blue).
bool SameRegion(const Shot& whole, const Shot& part, int32_t x, int32_t y)
{
    for (int32_t row = 0; row < part.height; ++row)
        for (int32_t column = 0; column < part.width; ++column)
            if (part.At(column, row) != whole.At(x + column, y + row)) return false;
    return part.width > 0;
}

// One picture drawn every frame (see games/graphicsdraw/draw.gml): every shape and its _color form,
// health bars in four directions, buttons, an arrow, blend modes, the colour mask, alpha testing,
// primitives of every kind, a surface's texture on a primitive, and each draw_surface* form. The
// saves of one frame equal the captured picture; an unsupported display size answers 0 and frees
// the surfaces; after draw_enable_drawevent(0) no draw event runs.
// A headless run with -debug: the captured picture shows the profiler's bar row (y 10 to 20, the
// white reference bar under the frame's bars) and the frame-rate text in white outlined in black at
// (0, 0); the frame statistics close the log.
void ProfilerOverlay(Context& context)
{
    fs::path shotFile = context.work / "shot3.png";
    RunResult run = Run(context, context.kelvaro, {"-debug", "-game", context.game},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=5", "KELVARO_NO_WAIT=1",
                         "KELVARO_CAPTURE=3:" + shotFile.string()});
    ExpectExit(context, run, 0);
    std::string dashes(63, '-');
    // Fewer than 100 frames leave the statistics at their start values.
    ExpectInOrder(context, run, {dashes, "minFPS, maxFPS, avgFPS", "2147483647, -2147483648, 30", dashes});
    Shot shot = ReadShot(shotFile);
    if (shot.width != 320 || shot.height != 240) {
        Fail(context, "the captured picture is missing or not 320x240");
        return;
    }
    const std::string background = shot.At(200, 120);
    int white = 0, outlined = 0;
    for (int32_t x = 0; x < 80; ++x) {
        if (shot.At(x, 15) == background) Fail(context, "no bar at (" + std::to_string(x) + ", 15)");
        if (shot.At(x, 21) != background) Fail(context, "the bar row reaches y 21 at x " + std::to_string(x));
    }
    for (int32_t y = 1; y < 10; ++y)
        for (int32_t x = 1; x < 100; ++x) {
            if (shot.At(x, y) != "255,255,255") continue;
            ++white;
            if (shot.At(x - 1, y) == "0,0,0" || shot.At(x + 1, y) == "0,0,0") ++outlined;
        }
    if (white < 10 || outlined < 5)
        Fail(context, "no white text outlined in black at the top left (" + std::to_string(white) + " white, " +
                          std::to_string(outlined) + " beside black)");
    if (shot.At(200, 5) != background) Fail(context, "the text reaches x 200");
}

void GraphicsDrawing(Context& context)
{
    fs::create_directories(context.work / "xdg" / "Game");
    fs::path shotFile = context.work / "shot3.png";
    fs::path output = context.work / "out.log";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game, "-output", output.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=8", "KELVARO_NO_WAIT=1",
                         "KELVARO_CAPTURE=3:" + shotFile.string(), "KELVARO_TRACE=" + (context.work / "trace.txt").string(),
                         "XDG_DATA_HOME=" + (context.work / "xdg").string()});
    ExpectExit(context, run, 0);
    ExpectAbsent(context, run, "ERROR!!! :: ############################################################################################");
    RunResult log;
    log.lines = ReadLines(output);
    ExpectInOrder(context, log, {"surface_getpixel 255", "draw_getpixel 255 65280", "display_set_size 0", "surface after the reset 0"});
    int lastDraw = -1;
    for (const std::string& line : ReadLines(context.work / "trace.txt"))
        if (line.find("\tobj_painter\t8\t0") != std::string::npos) lastDraw = std::stoi(line);
    if (lastDraw != 4) Fail(context, "the last draw event ran at frame " + std::to_string(lastDraw) + ", not 4");
    Shot shot = ReadShot(shotFile);
    if (shot.width != 320 || shot.height != 240) {
        Fail(context, "the captured picture is missing or not 320x240");
        return;
    }
    const char *red = "255,0,0", *lime = "0,255,0", *blue = "0,0,255", *black = "0,0,0", *white = "255,255,255";
    const char *yellow = "255,255,0", *gray = "128,128,128", *olive = "128,128,0";
    ExpectPixels(context, shot,
                 {{"draw_rectangle", 10, 10, red}, {"draw_rectangle_color", 30, 10, lime}, {"draw_circle", 50, 10, red},
                  {"draw_circle_color", 70, 10, blue}, {"draw_ellipse", 90, 10, red}, {"draw_ellipse_color", 110, 10, blue},
                  {"draw_triangle", 125, 5, red}, {"beside the triangle", 135, 15, black},
                  {"draw_triangle_color", 145, 5, lime}, {"draw_roundrect", 170, 10, red},
                  {"draw_roundrect_color", 190, 10, blue}, {"draw_line_width", 210, 10, red},
                  {"above the wide line", 210, 3, black}, {"draw_line_width_color", 230, 10, lime},
                  {"draw_line", 250, 9, red}, {"draw_line_color", 270, 9, lime}, {"draw_point", 289, 9, red},
                  {"draw_point_color", 299, 9, lime}, {"outline rectangle: edge", 1, 30, red},
                  {"outline rectangle: inside", 10, 30, black}, {"outline circle: edge", 23, 30, red},
                  {"outline circle: inside", 30, 30, black}});
    ExpectPixels(context, shot,
                 {{"health bar from the left: filled", 5, 46, olive}, {"health bar from the left: back", 38, 46, gray},
                  {"health bar from the right: back", 53, 46, gray}, {"health bar from the right: filled", 86, 46, olive},
                  {"health bar from the top: filled", 104, 45, olive}, {"health bar from the top: back", 104, 78, gray},
                  {"health bar from the bottom: back", 124, 45, gray}, {"health bar from the bottom: filled", 124, 78, olive},
                  {"button up: light edge", 141, 50, white}, {"button up: dark edge", 158, 50, gray},
                  {"button up: face", 150, 52, blue}, {"button pressed: dark edge", 171, 50, gray},
                  {"button pressed: light edge", 188, 50, white}, {"arrow: shaft", 225, 49, red},
                  {"arrow: head", 236, 50, red}});
    ExpectPixels(context, shot,
                 {{"bm_add", 10, 117, yellow}, {"bm_subtract", 30, 117, "0,255,255"}, {"bm_max", 50, 117, "255,0,255"},
                  {"draw_set_blend_mode_ext(bm_one, bm_one)", 70, 117, "0,255,255"},
                  {"colour mask: red only", 90, 117, red}, {"alpha test: below the reference", 110, 117, black},
                  {"alpha test: above the reference", 130, 117, red}, {"pr_pointlist", 4, 149, lime},
                  {"pr_linelist", 30, 149, lime}, {"pr_linestrip", 55, 149, lime}, {"pr_trianglelist", 63, 145, lime},
                  {"pr_trianglestrip with draw_vertex_color", 90, 150, blue}, {"pr_trianglefan", 110, 150, lime},
                  {"a surface's texture on a primitive", 130, 150, yellow}});
    ExpectPixels(context, shot,
                 {{"draw_surface", 8, 178, yellow}, {"draw_surface_ext: half size", 23, 173, yellow},
                  {"draw_surface_ext: beyond half", 30, 180, black}, {"draw_surface_stretched", 43, 178, yellow},
                  {"beyond the stretched width", 50, 178, black}, {"draw_surface_stretched_ext: red", 68, 178, red},
                  {"draw_surface_part", 81, 171, yellow}, {"beyond the part", 86, 176, black},
                  {"draw_surface_part_ext: lime at twice the size", 106, 176, lime},
                  {"draw_surface_general", 124, 174, red}, {"draw_surface_tiled: second tile's corner", 149, 179, lime},
                  {"draw_surface_tiled: second tile's rest", 153, 183, red},
                  {"draw_surface_tiled_ext: first tile", 182, 172, lime}, {"draw_surface_tiled_ext: its rest", 190, 180, red},
                  {"draw_surface_tiled_ext: second tile", 197, 187, lime},
                  {"draw_clear_alpha with alpha 0", 224, 174, white}, {"draw_clear_alpha with alpha 1", 234, 184, blue},
                  {"surface_copy", 246, 176, blue}, {"the copy's destination", 242, 172, red},
                  {"surface_copy_part", 252, 182, yellow}});
    fs::path saves = context.work / "xdg" / "Game";
    Shot screen = ReadShot(saves / "screen.png"), part = ReadShot(saves / "part.png");
    Shot surface = ReadShot(saves / "surface.png");
    if (screen.width != 320 || screen.height != 240 || !SameRegion(shot, screen, 0, 0))
        Fail(context, "screen.png is not the captured picture");
    if (part.width != 10 || part.height != 10 || !SameRegion(shot, part, 0, 0))
        Fail(context, "part.png is not the captured picture's top-left 10 x 10");
    if (surface.width != 16 || surface.height != 16 || !SameRegion(shot, surface, 240, 170))
        Fail(context, "surface.png is not the surface as it was drawn");
    if (fs::exists(saves / "outside.png")) Fail(context, "a rectangle wholly outside the window was saved");
}

// Text in a font of the game file (a white page with red, green and white cells), the default font,
// alignments, wrapping, a turned line, corner colours and a sprite font, drawn in the default
// colour (black) unless the routine takes colours; the game logs what it measured.
void FontText(Context& context)
{
    fs::path output = context.work / "out.log";
    fs::path shot = context.work / "shot2.png";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game, "-output", output.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=4", "KELVARO_NO_WAIT=1",
                         "KELVARO_CAPTURE=2:" + shot.string()});
    ExpectExit(context, run, 0);
    RunResult log;
    log.lines = ReadLines(output);
    ExpectInOrder(context, log,
                  {"width AB 9", "width ACB 15", "height 12 26", "wrapped 12", "font fnt_cells Cells Sans 14 1 65 68",
                   "sprite font 1 __newfont1 32 35", "system font 0 255 0 -1", "glyphless 1",
                   "Trying to delete non-existing font.", "fonts done"});
    Shot picture = ReadShot(shot);
    if (picture.width != 320 || picture.height != 240) {
        Fail(context, "the captured picture is missing or not 320x240");
        return;
    }
    const char* black = "0,0,0";
    const char* white = "255,255,255";
    ExpectPixels(context, picture,
                 {{"A from its cell", 12, 12, black}, {"B after A's advance", 16, 12, black},
                  {"between A and B", 15, 12, white}, {"the line after #", 12, 18, black},
                  {"B straight after A: C has no glyph", 16, 18, black}, {"nothing after B", 19, 18, white},
                  {"the A cell of the page entry", 12, 32, "255,0,0"}, {"the B cell", 16, 32, "0,255,0"},
                  {"the padding between cells", 15, 32, white}, {"a white cell in blue", 41, 12, "0,0,255"},
                  {"the default font's I", 61, 13, black}, {"beside the I's stem", 60, 13, white},
                  {"centred and middle", 99, 19, black}, {"left of the centred D", 96, 19, white},
                  {"right and bottom", 126, 16, black}, {"right of the right-aligned D", 129, 16, white},
                  {"below the bottom-aligned D", 126, 21, white}, {"the wrapped line", 151, 18, black},
                  {"no third D on the first line", 167, 12, white}, {"the turned D runs upward", 203, 38, black},
                  {"below the turned D", 201, 44, white}, {"sprite font X", 11, 61, black},
                  {"sprite font Y", 16, 61, black}, {"between the frames", 14, 61, white},
                  {"frame 0 in its colour", 11, 71, "255,0,0"}, {"frame 1 in its colour", 16, 71, "0,255,0"}});
    // The corner colours run from red at the top to blue at the bottom.
    auto channel = [&](int32_t x, int32_t y, int c) { return int(picture.pixels[(size_t(y) * 320 + size_t(x)) * 4 + size_t(c)]); };
    if (!(channel(231, 10, 2) > channel(231, 10, 0) && channel(231, 15, 0) > channel(231, 15, 2)))
        Fail(context, "the four-colour D is not red at the top and blue at the bottom");
}


// ---- HTTP ----------------------------------------------------------------------------------------

// A game built here with the port of a server this driver runs: its create event GETs /data, and
// its HTTP event (other 62) posts json_encode(async_load) to /back, then ends the game when that
// reply arrives. The server must receive the first event's map whole.
void HttpPostBack(Context& context)
{
    testsupport::TestHttpServer server;
    server.Route("/data", {200, "{\"answer\": 42}"});
    server.Route("/back", {200, "thanks"});
    fs::path folder = context.work / "game";
    fs::create_directories(folder);
    std::string data = server.Url("/data"), back = server.Url("/back");
    std::ofstream(folder / "create.gml") << "http_get(\"" << data << "\");\n";
    std::ofstream(folder / "async.gml")
        << "if (ds_map_find_value(async_load, \"url\") == \"" << data << "\") {\n"
        << "    http_post_string(\"" << back << "\", json_encode(async_load));\n"
        << "} else {\n"
        << "    show_debug_message(\"posted back: \" + ds_map_find_value(async_load, \"result\"));\n"
        << "    game_end();\n"
        << "}\n";
    std::ofstream(folder / "game.json") << R"({
  "header": {"windowWidth": 64, "windowHeight": 64, "displayName": "HTTP", "roomOrder": [0]},
  "objects": [{"name": "obj_web", "events": [
    {"type": "create", "file": "create.gml"}, {"type": "other", "subtype": 62, "file": "async.gml"}]}],
  "rooms": [{"name": "room_web", "width": 64, "height": 64,
             "instances": [{"object": "obj_web", "x": 0, "y": 0, "source": ""}]}]
})";
    fs::path game = context.work / "http.win";
    fs::path gamebuild = fs::path(context.kelvaro).parent_path() / "tools" / "gamebuild";
    RunResult built = Run(context, gamebuild.string(), {folder.string(), "-o", game.string()}, {});
    if (built.exitCode != 0) return Fail(context, "gamebuild failed on the HTTP game");
    fs::path trace = context.work / "trace.txt";
    // The game ends itself once both replies are in; the frame limit only bounds a failing run.
    RunResult run = Run(context, context.kelvaro, {"-game", game.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=20000", "KELVARO_NO_WAIT=1",
                         "KELVARO_TRACE=" + trace.string()});
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"posted back: thanks"});
    int events = 0;
    for (const std::string& line : ReadLines(trace))
        if (line.find("\tobj_web\t7\t62") != std::string::npos) ++events;
    if (events != 2) Fail(context, "the trace shows " + std::to_string(events) + " HTTP events, expected 2");
    std::string posted;
    for (const testsupport::HttpSeen& seen : server.Seen())
        if (seen.target == "/back" && seen.method == "POST") posted = seen.body;
    json_object* map = json_tokener_parse(posted.c_str());
    auto member = [&](const char* key) {
        json_object* value = nullptr;
        return map != nullptr && json_object_object_get_ex(map, key, &value) ? value : nullptr;
    };
    auto text = [&](const char* key) { return member(key) ? std::string(json_object_get_string(member(key))) : ""; };
    auto number = [&](const char* key) { return member(key) ? json_object_get_double(member(key)) : -99.0; };
    if (text("url") != data || text("result") != "{\"answer\": 42}" || number("http_status") != 200 ||
        number("status") != 0 || member("id") == nullptr)
        Fail(context, "the server received \"" + posted + "\"");
    json_object_put(map);
}

// Time lines in their instances: moments at their steps, at speed 2, looping, backwards, and those
// of a time line that moved down when an earlier one was deleted; then the checks of script_execute
// and of the file's path edited by the path built-ins, which ring alarm 0 when they all pass. Only
// moments (type 100000) and alarms are compared, in the order of the trace.
void TimeLines(Context& context)
{
    fs::path output = context.work / "out.log";
    std::vector<std::string> trace;
    RunResult run = RunTraced(context, trace, {"-output", output.string()}, 7);
    ExpectExit(context, run, 0);
    std::vector<std::string> timed;
    for (const std::string& line : trace)
        if (line.find(" 100000 ") != std::string::npos || line.find(" 2 ") != std::string::npos) timed.push_back(line);
    ExpectTrace(context, timed,
                {"0 100002 obj_fast 100000 1", "0 100003 obj_loop 100000 0", "0 100004 obj_back 100000 4",
                 "0 100006 obj_checker 2 0",
                 "1 100001 obj_steps 100000 1", "1 100002 obj_fast 100000 2", "1 100005 obj_deleter 100000 1",
                 "2 100002 obj_fast 100000 5", "2 100003 obj_loop 100000 2", "2 100004 obj_back 100000 2",
                 "3 100001 obj_steps 100000 3", "3 100003 obj_loop 100000 0",
                 "4 100004 obj_back 100000 0",
                 "5 100003 obj_loop 100000 2",
                 "6 100003 obj_loop 100000 0"});
    RunResult log;
    log.lines = ReadLines(output);
    ExpectInOrder(context, log, {"tl_late", "0"});
}


// ---- Sockets -------------------------------------------------------------------------------------

// A game built here with a free port: its create event starts a server, connects its own client
// (greeting and handshake in one call) and sends "ping"; its network event (other 68) logs the map
// and answers "pong" from the server's side, and the client's "pong" ends the game. Both code forms.
void NetworkLoopback(Context& context)
{
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    close(probe);
    std::string port = std::to_string(ntohs(address.sin_port));
    fs::path folder = context.work / "game";
    fs::create_directories(folder);
    std::ofstream(folder / "create.gml")
        << "var b;\nserver = network_create_server(0, " << port << ", 4);\n"
        << "client = network_create_socket(0);\n"
        << "show_debug_message(\"connect \" + string(network_connect(client, \"127.0.0.1\", " << port << ")));\n"
        << "b = buffer_create(16, 1, 1);\nbuffer_write(b, 11, \"ping\");\n"
        << "show_debug_message(\"sent \" + string(network_send_packet(client, b, buffer_tell(b))));\n"
        << "buffer_delete(b);\n";
    std::ofstream(folder / "async.gml") << R"(var t, n, b, r, text;
t = ds_map_find_value(async_load, "type");
n = ds_map_size(async_load);
if (t == 1) {
    show_debug_message("connect keys " + string(n) + " id=" + string(ds_map_find_value(async_load, "id")) + " socket=" + string(ds_map_find_value(async_load, "socket")) + " ip=" + ds_map_find_value(async_load, "ip"));
}
if (t == 3) {
    b = ds_map_find_value(async_load, "buffer");
    text = buffer_read(b, 11);
    show_debug_message("data keys " + string(n) + " id=" + string(ds_map_find_value(async_load, "id")) + " size=" + string(ds_map_find_value(async_load, "size")) + " ip=" + ds_map_find_value(async_load, "ip") + " text=" + text);
    if (text == "ping") {
        r = buffer_create(16, 1, 1);
        buffer_write(r, 11, "pong");
        network_send_packet(ds_map_find_value(async_load, "id"), r, buffer_tell(r));
        buffer_delete(r);
    } else {
        network_destroy(client);
        game_end();
    }
}
)";
    for (const char* form : {"source", "compiled"}) {
        std::ofstream(folder / "game.json") << R"({
  "header": {"windowWidth": 64, "windowHeight": 64, "displayName": "Sockets", "roomOrder": [0]},
  "codeForm": ")" << form << R"(",
  "objects": [{"name": "obj_net", "events": [
    {"type": "create", "file": "create.gml"}, {"type": "other", "subtype": 68, "file": "async.gml"}]}],
  "rooms": [{"name": "room_net", "width": 64, "height": 64,
             "instances": [{"object": "obj_net", "x": 0, "y": 0, "source": ""}]}]
})";
        fs::path game = context.work / (std::string(form) + ".win");
        fs::path gamebuild = fs::path(context.kelvaro).parent_path() / "tools" / "gamebuild";
        RunResult built = Run(context, gamebuild.string(), {folder.string(), "-o", game.string()}, {});
        if (built.exitCode != 0) return Fail(context, std::string("gamebuild failed on the ") + form + " game");
        fs::path trace = context.work / (std::string(form) + "-trace.txt");
        fs::path output = context.work / (std::string(form) + ".log");
        // The game ends itself at the pong; the frame limit only bounds a failing run.
        RunResult run = Run(context, context.kelvaro, {"-game", game.string(), "-output", output.string()},
                            {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=600", "KELVARO_NO_WAIT=1",
                             "KELVARO_TRACE=" + trace.string()});
        ExpectExit(context, run, 0);
        RunResult log;
        log.lines = ReadLines(output);
        ExpectInOrder(context, log,
                      {"connect keys 4 id=0 socket=2 ip=127.0.0.1", "connect 0", "sent 17",
                       "data keys 5 id=2 size=5 ip=127.0.0.1 text=ping",
                       "data keys 5 id=1 size=5 ip=127.0.0.1 text=pong"});
        int events = 0;
        for (const std::string& line : ReadLines(trace))
            if (line.find("\tobj_net\t7\t68") != std::string::npos) ++events;
        if (events != 3) Fail(context, std::string(form) + ": the trace shows " + std::to_string(events) + " network events, expected 3");
    }
}

// ---- saved games, highscores and dialogs ----------------------------------------------------------

// The game saves in its first step and loads in its second; the load lands at the next frame without
// a second create event. Its dialogs take scripted answers and their events log the maps. The
// highscore it adds is written at shut-down, and a second run reads it.
void SavedGames(Context& context)
{
    fs::path share = context.work / "share";
    fs::path answers = context.work / "answers.txt";
    std::ofstream(answers) << "7.5\nAlice\nyes\nbob\tpw\n";
    fs::path traceFile = context.work / "trace.txt";
    std::vector<std::string> switches = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=10", "KELVARO_NO_WAIT=1",
                                         "KELVARO_TRACE=" + traceFile.string(), "XDG_DATA_HOME=" + share.string(),
                                         "KELVARO_ANSWERS=" + answers.string()};
    RunResult run = Run(context, context.kelvaro, {"-game", context.game}, switches);
    ExpectExit(context, run, 0);
    ExpectInOrder(context, run, {"best <nobody> 0", "typed 7.50", "saved", "load asked, score 99",
                                 "loaded: score 11 x 50"});
    ExpectInOrder(context, run, {"answer \"Alice\" 1", "answer \"1\" 1", "login bob/pw 1"});
    int creates = 0;
    for (const std::string& line : ReadLines(traceFile))
        if (line.find("\tobj_keeper\t0\t0") != std::string::npos) ++creates;
    if (creates != 1) Fail(context, "the trace shows " + std::to_string(creates) + " create events, expected 1");
    fs::path saves = share / "SavesGame";
    std::string saved = ReadBytes(saves / "mid.sav");
    if (saved.compare(0, 4, std::string("\x53\x03\x00\x00", 4)) != 0) Fail(context, "mid.sav does not begin with 851");
    if (!fs::exists(saves / "hiscore.dat")) return Fail(context, "no hiscore.dat after the run");
    RunResult second = Run(context, context.kelvaro, {"-game", context.game}, switches);
    ExpectInOrder(context, second, {"best Winner 500"});
}

// The game checks motion planning itself: grid paths read back with the path built-ins, the path
// forms of both planners, a walker stopped by mp_linear_step before a solid wall and a seeker that
// mp_potential_step takes round another; alarm 0 rings when all passed (alarm 1 names a failure in
// the log). The grid drawn in the draw event shows its forbidden cell red and the free ones green.
void MotionPlanning(Context& context)
{
    RunResult run = RunCaptured(context, 5, 150);
    ExpectExit(context, run, 0);
    std::vector<std::string> alarms;
    for (const std::string& line : ReadLines(context.work / "trace.txt"))
        if (line.find("\tobj_judge\t2\t") != std::string::npos) alarms.push_back(line);
    if (alarms != std::vector<std::string>{"140\t100005\tobj_judge\t2\t0"})
        Fail(context, "the checks did not all pass: " + (alarms.empty() ? std::string("no alarm") : alarms[0]));
    Shot shot = ReadShot(context.work / "shot5.png");
    if (shot.width != 320 || shot.height != 240) {
        Fail(context, "the captured picture is missing or not 320x240");
        return;
    }
    const char* green = "0,128,0";
    ExpectPixels(context, shot,
                 {{"free cell (0, 0)", 207, 17, green}, {"forbidden cell (1, 0)", 223, 17, "255,0,0"},
                  {"free cell (3, 1)", 255, 33, green}, {"the room beside the grid", 266, 17, "192,192,192"}});
}

} // namespace

// A box bound in its creation code falls 9.2 m on a floor that the room placed with its object's
// physics settings: both collision events in one frame about 1.36 s in, the box's reading the
// contact points on the floor's top; the world's debug drawing captured (static green, dynamic red).
void PhysicsFall(Context& context)
{
    fs::path trace = context.work / "trace.txt";
    fs::path output = context.work / "out.log";
    fs::path shotFile = context.work / "shot10.png";
    RunResult run = Run(context, context.kelvaro, {"-game", context.game, "-output", output.string()},
                        {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=45", "KELVARO_NO_WAIT=1",
                         "KELVARO_CAPTURE=10:" + shotFile.string(), "KELVARO_TRACE=" + trace.string()});
    ExpectExit(context, run, 0);
    RunResult log;
    log.lines = ReadLines(output);
    ExpectInOrder(context, log, {"bound 2.56", "floor hit by 100002", "box hit 2 at 200"});
    int floorHit = -1, boxHit = -1;
    for (const std::string& line : ReadLines(trace)) {
        if (floorHit < 0 && line.find("\tobj_floor\t4\t1") != std::string::npos) floorHit = std::stoi(line);
        if (boxHit < 0 && line.find("\tobj_box\t4\t0") != std::string::npos) boxHit = std::stoi(line);
    }
    if (floorHit != boxHit || floorHit < 36 || floorHit > 44)
        Fail(context, "collision events at frames " + std::to_string(floorHit) + " and " + std::to_string(boxHit));
    Shot shot = ReadShot(shotFile);
    ExpectPixels(context, shot, {{"the falling box", 160, 105, "230,179,179"}, {"the floor", 100, 204, "128,230,128"},
                                 {"empty room", 10, 10, "0,0,0"}, {"above the box", 160, 95, "0,0,0"}});
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: e2e_run SCENARIO KELVARO GAME_FILE WORK_FOLDER\n");
        return 2;
    }
    const std::map<std::string, std::function<void(Context&)>> scenarios = {
        {"startup", StartupAndShutdown}, {"debug-server", DebugServer},
        {"unknown-chunk", UnknownChunk}, {"no-game", NoGame},
        {"missing-file", MissingFile},   {"debug-output", DebugOutput},
        {"at-files", AtFiles},           {"data-win-beside", DataWinBeside},
        {"room-start-order", RoomStartOrder},
        {"room-start-event-first", RoomStartEventFirst},
        {"no-rooms", NoRooms},
        {"missing-first-room", MissingRoom},
        {"many-layers", ManyLayers},
        {"old-executor", OldExecutor},
        {"frame-stages", FrameStages},
        {"persistent-depth", PersistentDepth},
        {"misc-events", MiscEvents},
        {"misc-events-compiled", MiscEvents},
        {"builtins", Builtins},
        {"builtins-compiled", Builtins},
        {"game-family", GameFamily},
        {"game-family-bytecode", GameFamily},
        {"data-structures", DataStructures},
        {"saved-games", SavedGames},
        {"data-structures-compiled", DataStructures},
        {"sound-capture", SoundCaptureNewer},
        {"sound-capture-older", SoundCaptureOlder},
        {"buffers", Buffers},
        {"buffers-compiled", Buffers},
        {"resource-objects", ResourceObjects},
        {"resource-objects-compiled", ResourceObjects},
        {"demo", Demo},
        {"files", Files},
        {"files-compiled", Files},
        {"sprite-drawing", SpriteDrawing},
        {"sprite-collisions", SpriteCollisions},
        {"physics-fall", PhysicsFall},
        {"physics-fall-compiled", PhysicsFall},
        {"particles", Particles},
        {"particles-compiled", Particles},
        {"actions", Actions},
        {"actions-bytecode", Actions},
        {"input-record", InputRecordAndReplay},
        {"input-playback", InputPlayback},
        {"extensions", Extensions},
        {"extensions-compiled", Extensions},
        {"malformed-extensions", MalformedExtensions},
        {"graphics-drawing", GraphicsDrawing},
        {"graphics-drawing-compiled", GraphicsDrawing},
        {"backgrounds", Backgrounds},
        {"font-text", FontText},
        {"http-post-back", HttpPostBack},
        {"time-lines", TimeLines},
        {"time-lines-compiled", TimeLines},
        {"profiler-overlay", ProfilerOverlay},
        {"network-loopback", NetworkLoopback},
        {"motion-planning", MotionPlanning},
        {"motion-planning-compiled", MotionPlanning},
    };
    auto scenario = scenarios.find(argv[1]);
    if (scenario == scenarios.end()) {
        std::fprintf(stderr, "unknown scenario %s\n", argv[1]);
        return 2;
    }
    Context context{argv[2], argv[3], argv[4]};
    fs::remove_all(context.work);
    fs::create_directories(context.work);
    scenario->second(context);
    if (context.failures > 0) {
        std::fprintf(stderr, "--- log of the run (%s):\n", (context.work / "run.log").c_str());
        for (const std::string& line : ReadLines(context.work / "run.log"))
            std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    std::printf("%s: passed\n", argv[1]);
    return 0;
}
