// Random play: drives a game headless with arbitrary input for many frames and reports any run the
// program did not survive (a signal, a sanitizer report, a stall). A run the game ended on an error of
// its own (a fatal script error, or any other exit code but 0) is no failure of the program, but the
// summary lists it apart with its message, so that a reader sees where the input took the game. The input is an input recording
// that `-playback` replays, made from a seed: random key presses and releases, mouse moves, button
// presses and wheel turns, biased toward the keys and buttons the game's own events name. A failed
// run keeps its recording, which then replays as a regression case. With --expect, the play also
// fails unless some seed's run logged TEXT (the driver's own test: a place the input must reach).
//
//   e2e_randomplay KELVARO GAME_FILE WORK_FOLDER [--seeds A-B | --seeds A,B,...] [--frames N]
//                  [--keep DIR] [--name GAME] [--timeout SECONDS] [--expect TEXT]
//   e2e_randomplay KELVARO GAME_FILE WORK_FOLDER --playback RECORDING [--frames N]
//   e2e_randomplay KELVARO GAME_FILE WORK_FOLDER --memory --seeds S --frames N
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "E2E_Spawn.h"


namespace fs = std::filesystem;

namespace {

// The recorded frame's layout (little-endian, frames back to back).
constexpr size_t FRAME = 2939;
constexpr size_t LAST_CHAR = 0, TYPED_TEXT = 2, LAST_KEY = 2052, CURRENT_KEY = 2056;
constexpr size_t KEY_HELD = 2060, KEY_RELEASED = 2316, KEY_PRESSED = 2572;
constexpr size_t LAST_BUTTON = 2828, CURRENT_BUTTON = 2848;
constexpr size_t MOUSE_HELD = 2868, MOUSE_RELEASED = 2883, MOUSE_PRESSED = 2898;
constexpr size_t WHEEL_UP = 2913, WHEEL_DOWN = 2918, SCREEN_CURSOR = 2923, WINDOW_MOUSE = 2931;
constexpr size_t TYPED_MAX = 1024;

// Event types whose subtype is a key, and the mouse events' type.
constexpr int32_t EVENT_MOUSE = 6, EVENT_KEYBOARD = 5, EVENT_KEY_PRESS = 9, EVENT_KEY_RELEASE = 10;
constexpr int32_t VK_ESCAPE = 27;

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

// What the game's events ask of the input.
struct GameInput {
    std::vector<int32_t> keys; // key codes its keyboard, key-press and key-release events name
    bool mouse = false;        // it has mouse events
    // The window the mouse moves in: the largest any room asks for (its size, or its views' ports),
    // and at least the header's window.
    int32_t width = 640, height = 480;
};

// The window sizes of the header and of every room of the rooms chunk.
void ReadWindowArea(GameFile& file, const GameFileChunk& rooms, GameInput& input)
{
    input.width = std::max(input.width, g_GameHeader.windowWidth);
    input.height = std::max(input.height, g_GameHeader.windowHeight);
    // A load that stops part way (at a room whose code this reading does not load, as in the compiled
    // form) keeps the rooms before it: they still count, and the tables are emptied either way.
    ROOM_Load(file, rooms.body, rooms.length);
    for (int32_t index = 0; index < Room_Count(); ++index) {
        const CRoom* room = Room_Get(index);
        if (room == nullptr) continue;
        int32_t width = 0, height = 0;
        Room_WindowSize(*room, width, height);
        input.width = std::max(input.width, width);
        input.height = std::max(input.height, height);
    }
    RoomTables_Reset();
}

// Reads the objects and rooms chunks of the game file for the keys and buttons its events name and
// the window its rooms ask for; an unreadable file gives none, and the play falls back on the
// common keys in a window of 640 x 480.
GameInput ReadGameInput(const fs::path& path)
{
    static SilentConsole silent;
    MainConsole = &silent;
    GameInput input;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GameFile file;
    if (!file.CopyFrom(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) return input;
    GameFileChunkWalk walk(file);
    GameFileChunk chunk;
    // The header comes first and gives the version the objects' layout depends on.
    bool header = false, loaded = false;
    if (walk.Start())
        while (walk.Next(chunk)) {
            if (std::strcmp(chunk.tag, "GEN8") == 0) header = GEN8_ReadStartup(file, chunk.body, chunk.length);
            if (std::strcmp(chunk.tag, "OBJT") == 0 && header) loaded = OBJT_Load(file, chunk.body, chunk.length);
            if (std::strcmp(chunk.tag, "ROOM") == 0 && header) ReadWindowArea(file, chunk, input);
        }
    std::set<int32_t> keys;
    for (int32_t index = 0; loaded && index < Object_Count(); ++index) {
        const CObject* object = Object_Data(index);
        if (object == nullptr) continue;
        for (int32_t type : {EVENT_KEYBOARD, EVENT_KEY_PRESS, EVENT_KEY_RELEASE})
            for (int32_t key = 2; key < 256; ++key)
                if (object->HasEvent(type, key)) keys.insert(key);
        for (int32_t subtype = 0; subtype < 64 && !input.mouse; ++subtype) input.mouse = object->HasEvent(EVENT_MOUSE, subtype);
    }
    Object_ResetTable();
    GameHeader_Clear();
    input.keys.assign(keys.begin(), keys.end());
    return input;
}

void PutI32(std::string& frame, size_t at, int32_t value) { std::memcpy(&frame[at], &value, 4); }

// Makes `frames` recorded frames of random input from the seed.
std::string MakeRecording(const GameInput& game, uint64_t seed, int32_t frames)
{
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ull + 1);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    auto pick = [&](int32_t from, int32_t to) { return std::uniform_int_distribution<int32_t>(from, to)(random); };
    // Arrows, space, enter, shift, control, letters, digits and function keys; never Escape, which
    // most games take as the end of the play (the games' own keys may still name it).
    std::vector<int32_t> common = {37, 38, 39, 40, 32, 13, 16, 17};
    for (int32_t key = 'A'; key <= 'Z'; ++key) common.push_back(key);
    for (int32_t key = '0'; key <= '9'; ++key) common.push_back(key);
    for (int32_t key = 112; key <= 123; ++key) common.push_back(key);
    std::vector<int32_t> named;
    for (int32_t key : game.keys)
        if (key != VK_ESCAPE) named.push_back(key);
    const double buttonChance = game.mouse ? 0.12 : 0.04;

    std::string file(size_t(frames) * FRAME, '\0');
    std::set<int32_t> held;
    std::u16string typed;
    const int32_t right = game.width - 1, bottom = game.height - 1, step = std::max(12, game.width / 53);
    int32_t lastKey = 0, lastChar = 0, button = 0, lastButton = 0, mouseX = pick(0, right), mouseY = pick(0, bottom);
    for (int32_t f = 0; f < frames; ++f) {
        std::string frame(FRAME, '\0');
        for (auto at = held.begin(); at != held.end();) {
            if (chance(0.15)) {
                frame[KEY_RELEASED + size_t(*at)] = 1;
                at = held.erase(at);
            } else {
                ++at;
            }
        }
        if (chance(0.3)) {
            bool fromGame = !named.empty() && chance(0.75);
            int32_t key = fromGame ? named[size_t(pick(0, int32_t(named.size()) - 1))]
                                   : common[size_t(pick(0, int32_t(common.size()) - 1))];
            if (held.insert(key).second) {
                frame[KEY_PRESSED + size_t(key)] = 1;
                lastKey = key;
                bool printable = key == 32 || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
                if (printable && typed.size() < TYPED_MAX) {
                    lastChar = key >= 'A' && key <= 'Z' ? key + 32 : key;
                    typed.push_back(char16_t(lastChar));
                }
            }
        }
        for (int32_t key : held) frame[KEY_HELD + size_t(key)] = 1;
        // The mouse wanders, sometimes jumps, and presses a button for a few frames.
        if (chance(0.05)) {
            mouseX = pick(0, right), mouseY = pick(0, bottom);
        } else {
            mouseX = std::clamp(mouseX + pick(-step, step), 0, right);
            mouseY = std::clamp(mouseY + pick(-step, step), 0, bottom);
        }
        if (button != 0 && chance(0.2)) {
            frame[MOUSE_RELEASED + size_t(button - 1)] = 1;
            lastButton = button, button = 0;
        } else if (button == 0 && chance(buttonChance)) {
            int32_t roll = pick(0, 9);
            button = roll < 7 ? 1 : roll < 9 ? 2 : 3;
            frame[MOUSE_PRESSED + size_t(button - 1)] = 1;
        }
        if (button != 0) frame[MOUSE_HELD + size_t(button - 1)] = 1;
        if (chance(0.02)) frame[chance(0.5) ? WHEEL_UP : WHEEL_DOWN] = 1;
        int32_t current = held.empty() ? 0 : *held.rbegin();
        PutI32(frame, CURRENT_KEY, current);
        PutI32(frame, LAST_KEY, lastKey);
        frame[LAST_CHAR] = char(lastChar & 0xFF);
        std::memcpy(&frame[TYPED_TEXT], typed.data(), typed.size() * 2);
        PutI32(frame, LAST_BUTTON, lastButton);
        PutI32(frame, CURRENT_BUTTON, button);
        PutI32(frame, SCREEN_CURSOR, mouseX);
        PutI32(frame, SCREEN_CURSOR + 4, mouseY);
        PutI32(frame, WINDOW_MOUSE, mouseX);
        PutI32(frame, WINDOW_MOUSE + 4, mouseY);
        file.replace(size_t(f) * FRAME, FRAME, frame);
    }
    return file;
}

struct Options {
    std::string kelvaro, game, name; // name: the game's name in kept recordings (GAME-SEED.rec)
    std::string expect;              // a line some seed's run must log
    fs::path work, keep, playback;
    std::vector<uint64_t> seeds = {1};
    int32_t frames = 300;
    int32_t timeout = 300;
    bool memory = false;
};

struct Outcome {
    int status = 0;    // exit code
    int signal = 0;    // the signal that ended it, or 0
    bool timedOut = false;
    long peakKiB = 0;  // VmHWM at the last sample
    std::vector<long> rssKiB; // VmRSS, sampled every 200 ms
};

long StatusField(pid_t pid, const char* name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(name)) return std::atol(line.c_str() + std::strlen(name));
    return -1;
}

// Plays the recording headless in the work folder; the program's output goes to run.log.
Outcome Play(const Options& o, const fs::path& recording)
{
    std::vector<std::string> env = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=" + std::to_string(o.frames),
                                    "KELVARO_NO_WAIT=1", "KELVARO_ANSWERS=" + (o.work / "answers.txt").string(),
                                    "XDG_DATA_HOME=" + (o.work / "xdg").string()};
    Outcome outcome;
    pid_t pid = E2E_Spawn({o.kelvaro, "-game", o.game, "-playback", recording.string()}, env, o.work, true);
    if (pid < 0) {
        outcome.status = -1;
        return outcome;
    }
    auto start = std::chrono::steady_clock::now();
    for (int status = 0;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            break;
        }
        long rss = StatusField(pid, "VmRSS:"), peak = StatusField(pid, "VmHWM:");
        if (rss > 0) outcome.rssKiB.push_back(rss);
        if (peak > 0) outcome.peakKiB = peak;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(o.timeout)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            outcome.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(o.memory ? 200 : 20));
    }
    return outcome;
}

// Why the run counts as a failure, or empty. A game may end itself with any exit code (an error it
// reports, game_end); a signal, a sanitizer report or a stall is the program's fault.
std::string Fault(const Outcome& outcome, const fs::path& log)
{
    if (outcome.timedOut) return "stalled (killed after the time limit)";
    if (outcome.status < 0 && outcome.signal == 0) return "could not be started";
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:", "DEADLYSIGNAL"})
            if (line.find(mark) != std::string::npos) return "sanitizer: " + line;
    if (outcome.signal != 0) return std::string("ended by signal ") + strsignal(outcome.signal);
    return "";
}

// The message of the error that ended the run: the text of the last error report in the log (the
// line after the report's heading where it has one), else the log's last line; empty when the game
// ended well (exit code 0).
std::string OwnError(const Outcome& outcome, const fs::path& log)
{
    if (outcome.status <= 0 || outcome.signal != 0 || outcome.timedOut) return "";
    const std::string mark = "ERROR!!! :: ";
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    size_t report = lines.size();
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(mark)) report = i;
    std::string message;
    if (report < lines.size()) {
        message = lines[report].substr(mark.size());
        // A report with a heading (a rule such as "____" or "####", the event and object) has its text
        // after the first blank line.
        bool rule = !message.empty() && message.find_first_not_of(message[0]) == std::string::npos &&
                    std::ispunct(static_cast<unsigned char>(message[0]));
        if (rule) {
            size_t at = report + 1;
            while (at < lines.size() && !lines[at].empty()) ++at;
            while (at < lines.size() && lines[at].empty()) ++at;
            message = at < lines.size() ? lines[at] : "";
        }
    } else {
        for (const std::string& line : lines)
            if (!line.empty()) message = line;
    }
    return "exit " + std::to_string(outcome.status) + ": " + (message.empty() ? "no error logged" : message);
}

std::vector<uint64_t> ParseSeeds(const std::string& text)
{
    std::vector<uint64_t> seeds;
    size_t dash = text.find('-');
    if (dash != std::string::npos) {
        for (uint64_t s = std::stoull(text.substr(0, dash)), to = std::stoull(text.substr(dash + 1)); s <= to; ++s)
            seeds.push_back(s);
        return seeds;
    }
    for (size_t at = 0; at < text.size();) {
        size_t comma = text.find(',', at);
        if (comma == std::string::npos) comma = text.size();
        seeds.push_back(std::stoull(text.substr(at, comma - at)));
        at = comma + 1;
    }
    return seeds;
}

bool Logged(const fs::path& log, const std::string& text)
{
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

void PrintLog(const fs::path& log)
{
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) std::fprintf(stderr, "  | %s\n", line.c_str());
}

int RunMemory(const Options& o, const GameInput& input)
{
    fs::path recording = o.work / "memory.rec";
    std::ofstream(recording, std::ios::binary) << MakeRecording(input, o.seeds[0], o.frames);
    Outcome outcome = Play(o, recording);
    fs::remove(recording);
    std::string fault = Fault(outcome, o.work / "run.log");
    const std::vector<long>& rss = outcome.rssKiB;
    if (!fault.empty() || rss.empty()) {
        std::printf("memory: the play failed: %s\n", fault.empty() ? "no sample taken" : fault.c_str());
        PrintLog(o.work / "run.log");
        return 1;
    }
    long early = rss[rss.size() / 10], last = rss.back();
    std::printf("memory over %d frames (%zu samples): peak %ld KiB, final %ld KiB, at a tenth of the play %ld KiB,"
                " growth since then %ld KiB\n",
                o.frames, rss.size(), outcome.peakKiB, last, early, last - early);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: e2e_randomplay KELVARO GAME_FILE WORK_FOLDER [--seeds A-B|A,B] [--frames N]"
                             " [--keep DIR] [--name GAME] [--timeout S] [--playback FILE] [--memory]\n");
        return 2;
    }
    Options o;
    o.kelvaro = fs::absolute(argv[1]).string(), o.game = fs::absolute(argv[2]).string(), o.work = fs::absolute(argv[3]);
    for (int i = 4; i < argc; ++i) {
        std::string arg = argv[i];
        bool more = i + 1 < argc;
        if (arg == "--seeds" && more) o.seeds = ParseSeeds(argv[++i]);
        else if (arg == "--frames" && more) o.frames = std::atoi(argv[++i]);
        else if (arg == "--keep" && more) o.keep = fs::absolute(argv[++i]);
        else if (arg == "--timeout" && more) o.timeout = std::atoi(argv[++i]);
        else if (arg == "--playback" && more) o.playback = fs::absolute(argv[++i]);
        else if (arg == "--name" && more) o.name = argv[++i];
        else if (arg == "--expect" && more) o.expect = argv[++i];
        else if (arg == "--memory") o.memory = true;
        else {
            std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    fs::remove_all(o.work);
    fs::create_directories(o.work);
    // Dialogs asking for a name or an answer get one; the rest are cancelled.
    std::ofstream(o.work / "answers.txt") << "PLAYER\nyes\n<ok>\n";
    GameInput input = ReadGameInput(o.game);
    if (o.memory) return RunMemory(o, input);

    std::string game = o.name.empty() ? fs::path(o.game).stem().string() : o.name;
    if (!o.playback.empty()) {
        if (o.frames <= 0) o.frames = int32_t(fs::file_size(o.playback) / FRAME);
        Outcome outcome = Play(o, o.playback);
        std::string fault = Fault(outcome, o.work / "run.log");
        if (!fault.empty()) {
            std::printf("FAILED: %s replaying %s: %s\n", game.c_str(), o.playback.c_str(), fault.c_str());
            PrintLog(o.work / "run.log");
            return 1;
        }
        std::printf("%s: replayed %s, %d frames, exit %d\n", game.c_str(), o.playback.filename().c_str(), o.frames,
                    outcome.status);
        std::string own = OwnError(outcome, o.work / "run.log");
        if (!own.empty()) std::printf("OWN ERROR: %s replaying %s: %s\n", game.c_str(), o.playback.c_str(), own.c_str());
        return 0;
    }
    int failures = 0, reached = 0;
    std::vector<std::string> ownErrors; // "seed S: exit N: message"
    for (uint64_t seed : o.seeds) {
        fs::path recording = o.work / (game + "-" + std::to_string(seed) + ".rec");
        std::ofstream(recording, std::ios::binary) << MakeRecording(input, seed, o.frames);
        Outcome outcome = Play(o, recording);
        std::string fault = Fault(outcome, o.work / "run.log");
        if (!o.expect.empty() && Logged(o.work / "run.log", o.expect)) ++reached;
        if (fault.empty()) {
            std::printf("%s seed %llu: %d frames, exit %d\n", game.c_str(), (unsigned long long)seed, o.frames,
                        outcome.status);
            std::string own = OwnError(outcome, o.work / "run.log");
            if (!own.empty()) ownErrors.push_back("seed " + std::to_string(seed) + ": " + own);
            fs::remove(recording);
            continue;
        }
        ++failures;
        std::printf("FAILED: %s seed %llu: %s\n", game.c_str(), (unsigned long long)seed, fault.c_str());
        PrintLog(o.work / "run.log");
        if (!o.keep.empty()) {
            fs::create_directories(o.keep);
            fs::copy_file(recording, o.keep / recording.filename(), fs::copy_options::overwrite_existing);
            std::printf("  recording kept as %s\n", (o.keep / recording.filename()).c_str());
        }
    }
    std::printf("%s: %zu seeds of %d frames (keys %zu named, mouse events %s, window %dx%d), %d failed, %zu ended"
                " on the game's own error\n",
                game.c_str(), o.seeds.size(), o.frames, input.keys.size(), input.mouse ? "yes" : "no", input.width,
                input.height, failures, ownErrors.size());
    // Not failures of the program, yet no run to count as played through.
    for (const std::string& own : ownErrors) std::printf("OWN ERROR: %s %s\n", game.c_str(), own.c_str());
    if (!o.expect.empty()) {
        std::printf("%s\"%s\" logged in %d of %zu seeds\n", reached == 0 ? "FAILED: " : "", o.expect.c_str(), reached,
                    o.seeds.size());
        if (reached == 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
