// Plays one end-to-end scenario: runs the kelvaro executable headless on a built game file in a
// folder of its own and checks the log, the files and the exit code.
//     e2e_run SCENARIO KELVARO GAME_FILE WORK_FOLDER
#include <arpa/inet.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <json-c/json.h>

#include "../../TestSupport_HttpServer.h"
#include "E2E_Screen.h"
#include "E2E_Spawn.h"
#include "debug/Debug_FormView.h"
#include "graphics/Graphics_Image.h"

// Scenarios name only the settings they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

extern char** environ;

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

std::string g_Kelvaro, g_Game;
fs::path g_Work;
int g_Failures = 0;

bool Expect(bool ok, const std::string& what)
{
    if (!ok) std::fprintf(stderr, "FAILED: %s\n", what.c_str()), ++g_Failures;
    return ok;
}

Lines ReadLines(const fs::path& path)
{
    Lines lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The peak memory (maximum resident set size, in kilobytes) of the run Wait waited for last.
long g_LastPeakKilobytes = 0;

// The exit code of a started run once it ended (128 + the signal that ended it).
int Wait(pid_t pid)
{
    int status = 0;
    struct rusage usage = {};
    wait4(pid, &status, 0, &usage);
    g_LastPeakKilobytes = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs the program in the work folder, its output going to run.log (its errors to `errors` when
// named), with `env` over our environment.
int Spawn(const std::string& program, Lines args, const Lines& env, const fs::path& errors = {})
{
    args.insert(args.begin(), program);
    pid_t pid = E2E_Spawn(args, env, g_Work, false, errors);
    if (!Expect(pid > 0, "cannot start " + program)) return -1;
    return Wait(pid);
}

// A captured picture as blue, green, red, alpha bytes; empty when it cannot be read.
struct Shot {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
    const uint8_t* Pixel(int32_t x, int32_t y) const { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
    // Red, green, blue as "r,g,b".
    std::string At(int32_t x, int32_t y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return "outside";
        const uint8_t* p = Pixel(x, y);
        return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
    }
};

Shot ReadShot(const fs::path& path)
{
    Shot shot;
    std::string bytes = ReadBytes(path);
    const uint8_t* pixels = GR_Image_LoadPNG(bytes.data(), int32_t(bytes.size()), &shot.width, &shot.height, false);
    if (pixels != nullptr) shot.pixels.assign(pixels, pixels + size_t(shot.width) * size_t(shot.height) * 4);
    GR_Image_FreePNG();
    return shot;
}

bool ExpectSize(const Shot& shot, int32_t width, int32_t height, const std::string& what = "the captured picture")
{
    return Expect(shot.width == width && shot.height == height,
                  what + " is missing or not " + std::to_string(width) + "x" + std::to_string(height));
}

using Probes = std::vector<std::tuple<const char*, int, int, const char*>>;

// Each probe's pixel of a 320x240 picture is its colour ("r,g,b"), each channel within `tolerance`.
void ExpectPixels(const Shot& shot, const Probes& probes, int tolerance = 0)
{
    if (!ExpectSize(shot, 320, 240)) return;
    for (const auto& [what, x, y, colour] : probes) {
        int r = -1, g = -1, b = -1;
        std::sscanf(colour, "%d,%d,%d", &r, &g, &b);
        const uint8_t* p = shot.Pixel(x, y);
        Expect(std::abs(p[2] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[0] - b) <= tolerance,
               std::string(what) + ": pixel (" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                   shot.At(x, y) + ", not " + colour);
    }
}

// At least `least` pixels of the picture have each colour ("r,g,b") exactly.
void ExpectColours(const Shot& shot, const std::vector<std::pair<const char*, const char*>>& colours, int least = 20)
{
    if (!ExpectSize(shot, 640, 480)) return;
    for (const auto& [what, colour] : colours) {
        int r = -1, g = -1, b = -1, count = 0;
        std::sscanf(colour, "%d,%d,%d", &r, &g, &b);
        for (size_t at = 0; at + 3 < shot.pixels.size(); at += 4)
            count += shot.pixels[at + 2] == r && shot.pixels[at + 1] == g && shot.pixels[at] == b ? 1 : 0;
        Expect(count >= least, std::string(what) + ": " + std::to_string(count) + " pixels of " + colour);
    }
}

// How one scenario runs the game: headless, without waiting, for `frames` frames, its events traced
// and its save area under the work folder.
struct Setup {
    int frames = 5;
    Lines args;          // before "-game"
    Lines env;           // added to the switches, or replacing them
    bool output = false; // the script log to out.log
    int capture = -1;    // the picture of this frame to shot.png
    std::string game;    // instead of the scenario's game; "none" for no -game at all
    std::string program; // instead of kelvaro
    int exit = 0;        // the exit code expected; ANY for any
    bool errors = false; // standard error to errors.log instead of run.log
};
constexpr int ANY = -1000;

struct Run {
    int exit = -1;
    Lines log, trace, output; // trace lines: "frame id object type subtype"
    Shot shot;
    Lines errors; // standard error, when the setup kept it apart
    long peakKilobytes = 0; // the process's maximum resident set size
};

int Count(const Lines& lines, const std::string& piece)
{
    return int(std::count_if(lines.begin(), lines.end(), [&](auto& line) { return line.find(piece) != line.npos; }));
}

bool Has(const Lines& lines, const std::string& piece) { return Count(lines, piece) > 0; }

// In the sanitizer build a report fails a run whatever its exit code (a failed start exits 1 with
// or without a leak).
void ExpectNoSanitizerReport(const Lines& log, const std::string& what = "the run")
{
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer"})
        Expect(!Has(log, report), what + " reported \"" + report + "\"");
}

Run Play(const Setup& s)
{
    fs::path trace = g_Work / "trace.txt", output = g_Work / "out.log", shot = g_Work / "shot.png";
    fs::path errors = s.errors ? g_Work / "errors.log" : fs::path();
    for (const fs::path& stale : {trace, output, shot, errors}) fs::remove(stale);
    Lines args = s.args;
    Lines env = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=" + std::to_string(s.frames), "KELVARO_NO_WAIT=1",
                 "KELVARO_TRACE=" + trace.string(), "XDG_DATA_HOME=" + (g_Work / "xdg").string()};
    if (s.capture >= 0) env.push_back("KELVARO_CAPTURE=" + std::to_string(s.capture) + ":" + shot.string());
    env.insert(env.end(), s.env.begin(), s.env.end());
    if (s.output) args.insert(args.end(), {"-output", output.string()});
    if (s.game != "none") args.insert(args.end(), {"-game", s.game.empty() ? g_Game : s.game});
    Run run{Spawn(s.program.empty() ? g_Kelvaro : s.program, args, env, errors), ReadLines(g_Work / "run.log"), {},
            ReadLines(output)};
    if (s.errors) run.errors = ReadLines(errors);
    run.peakKilobytes = g_LastPeakKilobytes;
    Expect(run.exit == s.exit || s.exit == ANY,
           "exit code " + std::to_string(run.exit) + ", expected " + std::to_string(s.exit));
    ExpectNoSanitizerReport(run.log);
    ExpectNoSanitizerReport(run.errors);
    for (std::string line : ReadLines(trace)) {
        std::replace(line.begin(), line.end(), '\t', ' ');
        run.trace.push_back(line);
    }
    if (s.capture >= 0) run.shot = ReadShot(shot);
    return run;
}

size_t Find(const Lines& lines, const std::string& text, size_t from = 0)
{
    auto found = std::find(lines.begin() + std::ptrdiff_t(std::min(from, lines.size())), lines.end(), text);
    return found == lines.end() ? std::string::npos : size_t(found - lines.begin());
}

// The frame of the first trace line holding `piece`, else -1.
int FirstFrame(const Lines& trace, const std::string& piece)
{
    for (const std::string& line : trace)
        if (line.find(piece) != std::string::npos) return std::stoi(line);
    return -1;
}

// The lines appear in this order: "text*" stands for any line beginning with text, and "+text" must
// come straight after the line before. The index after the last found, else npos.
size_t InOrder(const Lines& lines, const Lines& expected, const std::string& where = "the log")
{
    size_t at = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        std::string text = expected[i];
        bool next = i > 0 && text[0] == '+', prefix = text.back() == '*';
        text = text.substr(next ? 1 : 0, text.size() - (next ? 1 : 0) - (prefix ? 1 : 0));
        size_t found = at;
        auto matches = [&] { return prefix ? lines[found].compare(0, text.size(), text) == 0 : lines[found] == text; };
        while (found < lines.size() && !matches() && !next) ++found;
        if (found >= lines.size() || !matches()) {
            Expect(false, where + ": expected the line \"" + expected[i] + "\" after line " + std::to_string(at));
            return std::string::npos;
        }
        at = found + 1;
    }
    return at;
}

void Absent(const Lines& lines, const std::string& piece) { Expect(!Has(lines, piece), "unexpected " + piece); }

void Equal(const Lines& actual, const Lines& expected, const std::string& what = "the event trace")
{
    std::string text;
    for (const std::string& line : actual) text += "\n  " + line;
    Expect(actual == expected, what + " is:" + text);
}

// The lines from `from` on are exactly `expected`.
void Tail(const Lines& lines, size_t from, const Lines& expected)
{
    Equal(Lines(lines.begin() + std::ptrdiff_t(std::min(from, lines.size())), lines.end()), expected,
          "the script log from line " + std::to_string(from));
}

// The duplicate the game saved as saved.png: 8x8, red in the middle, clear at the border; the
// original, whose pixels the file does not hold, was not saved.
void ExpectSavedCopy(const std::string& what)
{
    fs::path saves = g_Work / "xdg" / "Game";
    Shot saved = ReadShot(saves / "saved.png");
    Expect(saved.width == 8 && saved.height == 8 && saved.At(3, 3) == "255,0,0" && saved.Pixel(3, 3)[3] == 255 &&
               saved.Pixel(0, 0)[3] == 0,
           "saved.png is not the duplicated 8x8 " + what + " with its red centre and clear border");
    Expect(!fs::exists(saves / "orig.png"), "the game-file " + what + " was saved");
}

// A game of one room holding obj_NAME, whose create event and other event `subtype` run the code
// given, built here in the code form given; the game file's path. `header` and `more` are members
// added to the manifest's header and to the manifest (each ending in ", ").
// A manifest's shader whose vertex stage does not compile.
const std::string BAD_SHADER = R"("shaders": [{"name": "sh_bad", "kind": 2, "sources": [null, null, null, null, )"
                               R"("float4 main( : POSITION { return 1; }", )"
                               R"("float4 main() : COLOR0 { return 0; }"]}], )";

// The game of a folder holding its manifest, built beside it as FOLDER.win.
std::string BuildFolder(const fs::path& folder)
{
    fs::path game = folder.string() + ".win";
    std::string gamebuild = (fs::path(g_Kelvaro).parent_path() / "tools" / "gamebuild").string();
    // No display for the builder: in the sanitizer build a program linked with the desktop's D-Bus
    // library leaks one of its buffers when it sees one, and only the game's list suppresses that.
    Expect(Spawn(gamebuild, {folder.string(), "-o", game.string()}, {"DISPLAY="}) == 0,
           "gamebuild failed on " + folder.string());
    return game.string();
}

std::string BuildGame(const std::string& name, int subtype, const std::string& form, const std::string& create,
                      const std::string& async, const std::string& header = "", const std::string& more = "")
{
    fs::path folder = g_Work / (name + "-" + form);
    fs::create_directories(folder);
    std::ofstream(folder / "create.script") << create;
    std::ofstream(folder / "async.script") << async;
    std::ofstream(folder / "game.json")
        << R"({"header": {)" << header << R"("windowWidth": 64, "windowHeight": 64, "displayName": ")" << name
        << R"(", "roomOrder": [0]}, )" << more << R"("codeForm": ")" << form << R"(", "objects": [{"name": "obj_)" << name
        << R"(", "events": [{"type": "create", "file": "create.script"}, {"type": "other", "subtype": )" << subtype
        << R"(, "file": "async.script"}]}], "rooms": [{"name": "room", "width": 64, "height": 64, "instances": [)"
        << R"({"object": "obj_)" << name << R"(", "x": 0, "y": 0, "source": ""}]}]})";
    return BuildFolder(folder);
}

// Create code that keeps 2 GB of texts of 2^doublings bytes, then says "kept N".
std::string KeepTexts(int doublings)
{
    return "s = \"k\"; repeat (" + std::to_string(doublings) + ") s = s + s;\n" + "n = 0;\nrepeat (" +
           std::to_string((size_t(2) << 30) >> doublings) + ") { t[n] = s + string(n); n += 1; }\n" +
           "show_debug_message(\"kept \" + string(n));\n";
}

// The loudest sample of each 50 ms window of a captured WAV file (16-bit or float samples, plain or
// extensible format), from 0 to 1; empty when the file cannot be read.
std::vector<double> WindowPeaks(const fs::path& file)
{
    std::string bytes = ReadBytes(file);
    auto word = [&](size_t at, int size) {
        uint32_t value = 0;
        for (int i = 0; i < size && at + i < bytes.size(); ++i) value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
        return value;
    };
    uint32_t format = 0, channels = 0, rate = 0, bits = 0;
    size_t data = 0, dataSize = 0;
    for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + ((word(at + 4, 4) + 1) & ~1u)) {
        if (bytes.compare(at, 4, "fmt ") == 0) {
            format = word(at + 8, 2), channels = word(at + 10, 2), rate = word(at + 12, 4), bits = word(at + 22, 2);
            if (format == 0xFFFE) format = word(at + 32, 2);
        } else if (bytes.compare(at, 4, "data") == 0) {
            data = at + 8;
            dataSize = std::min<size_t>(word(at + 4, 4), bytes.size() - data);
            if (dataSize == 0) dataSize = bytes.size() - data; // the writer was not closed
            break;
        }
    }
    std::vector<double> peaks;
    if (channels == 0 || rate == 0 || (bits != 16 && bits != 32)) return peaks;
    size_t window = rate / 20 * (channels * bits / 8);
    for (size_t start = 0; start + window <= dataSize; start += window) {
        double peak = 0;
        for (size_t at = data + start; at < data + start + window; at += bits / 8) {
            uint32_t raw = word(at, bits / 8);
            float real;
            std::memcpy(&real, &raw, 4);
            double sample = bits == 16 ? int16_t(raw) / 32768.0 : format == 3 ? real : int32_t(raw) / 2147483648.0;
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
    for (size_t i = 0, j = 0; i < peaks.size(); i = j) {
        bool loud = peaks[i] > 0.05;
        while (j < peaks.size() && (peaks[j] > 0.05) == loud) ++j;
        char letter = loud ? 'L' : 's';
        if (j - i >= run && (pattern.empty() || pattern.back() != letter)) pattern += letter;
    }
    return pattern;
}

// A game of either sound system played at real speed for 60 frames into OpenAL's wave writer: a
// looping tone sounds from the first frame until frame 20 stops it; the newer game then starts a
// looping Ogg music at frame 40 that is still playing at frame 58, long past its 0.3 seconds.
void SoundCapture(const std::string& pattern, const Lines& lines)
{
    fs::copy_file(g_Game, g_Work / "sound.win");
    fs::copy_file(fs::path(KELVARO_SOURCE_DIR) / "tests/sound/data/song.ogg", g_Work / "snd_loop.ogg");
    fs::path mix = g_Work / "mix.wav", conf = g_Work / "alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers=wave\n[wave]\nfile=" << mix.string() << "\n";
    Run run = Play({.frames = 60, .env = {"KELVARO_NO_WAIT=0", "ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + conf.string()},
                    .output = true, .game = (g_Work / "sound.win").string()});
    Tail(run.output, Find(run.output, lines.front()), lines);
    std::vector<double> peaks = WindowPeaks(mix);
    std::string got = LoudnessPattern(peaks, 4);
    // The device opens before the first frame, so the capture may begin with silence.
    Expect((got.rfind('s', 0) == 0 ? got.substr(1) : got) == pattern,
           "the capture's loudness runs are \"" + got + "\" (" + std::to_string(peaks.size()) +
               " windows of 50 ms), expected \"" + pattern + "\" after any first silence");
}

// Plays the scenario's game and its compiled form (`compiled`, beside it) for `frames` frames in every
// way: both code forms, the word loop and the tree executor, with the event trace (every event by the
// general path) and without it (the walks and single events running handlers straight); each prints
// exactly `expected`.
void PlayEveryWay(const std::string& compiled, int frames, const Lines& expected)
{
    std::string other = (fs::path(g_Game).parent_path() / compiled).string();
    const std::tuple<std::string, Lines, Lines> runs[] = {{g_Game, {}, {}},
                                                          {g_Game, {"-oldexec"}, {}},
                                                          {other, {}, {"KELVARO_PLAIN_INTERPRETER=1"}},
                                                          {other, {}, {}},
                                                          {g_Game, {}, {"KELVARO_TRACE="}},
                                                          {other, {}, {"KELVARO_TRACE="}},
                                                          {other, {}, {"KELVARO_TRACE=", "KELVARO_PLAIN_INTERPRETER=1"}}};
    for (const auto& [game, args, env] : runs) {
        Run run = Play({.frames = frames, .args = args, .env = env, .output = true, .game = game});
        std::string what = fs::path(game).filename().string() + (args.empty() ? "" : " " + args[0]);
        for (const std::string& entry : env) what += " " + entry;
        Equal(run.output, expected, what);
    }
}

// What one scenario expects of its run (`play` false: `more` does the runs itself).
struct Scenario {
    bool play = true;
    std::function<void()> before;
    Setup setup;
    Lines log, output, absent;  // log and output: lines in order (see InOrder); absent: from the log
    std::optional<Lines> trace; // the whole event trace
    std::function<void(Run&)> more;
};

// The environment of a game played in the window test's real window (DISPLAY is inherited), with
// `more` after it.
Lines InAWindow(Lines more = {})
{
    Lines env = {"SDL_VIDEODRIVER=x11", "ALSOFT_DRIVERS=null", "XDG_DATA_HOME=" + g_Work.string() + "/xdg"};
    env.insert(env.end(), more.begin(), more.end());
    return env;
}

// How a child of ours ended (as Wait), waiting at most `seconds`; -1 when it was still running, and
// is then killed.
int WaitAtMost(pid_t pid, int seconds)
{
    if (pid <= 0) return -2; // never a kill of a whole group
    int status = 0;
    for (int tries = 0; tries < seconds * 20; ++tries) {
        pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (ended < 0) return -2;
        usleep(50000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

// A play of the game under a limit of prlimit's, in a folder of its own.
struct LimitedRun {
    std::string limit;
    int exit = -1;     // as WaitAtMost: -1 when it still ran after RUN_SECONDS, and was killed
    Lines log, errors; // standard output, standard error
};

// A good run takes about a second; one still running after this is taken as hung.
constexpr int RUN_SECONDS = 20;

// Starts `game` in the folder limitN under prlimit's `limit` (none when empty), on the processors
// `cpus` when given (a list as taskset takes it).
std::pair<pid_t, fs::path> StartLimited(size_t n, const std::string& limit, const std::string& game,
                                        const Lines& env, const std::string& cpus)
{
    fs::path folder = g_Work / ("limit" + std::to_string(n));
    fs::remove_all(folder);
    fs::create_directories(folder);
    Lines args = {g_Kelvaro, "-game", game};
    if (!limit.empty()) args.insert(args.begin(), {"/usr/bin/prlimit", limit});
    if (!cpus.empty()) args.insert(args.begin(), {"/usr/bin/taskset", "-c", cpus});
    Lines own = env;
    own.push_back("XDG_DATA_HOME=" + (folder / "xdg").string());
    return {E2E_Spawn(args, own, folder, true, folder / "errors.log"), folder};
}

// How a run StartLimited started ended, waiting at most RUN_SECONDS; its folder is removed.
LimitedRun EndLimited(pid_t pid, const fs::path& folder, const std::string& limit)
{
    LimitedRun run{limit, WaitAtMost(pid, RUN_SECONDS), ReadLines(folder / "run.log"),
                   ReadLines(folder / "errors.log")};
    fs::remove_all(folder);
    return run;
}

// Plays the game under each limit, as many at once as there are processors (at least two), on the
// processors `cpus` when given. The first run that hangs is the last one returned: the runs beside
// it are killed, and no more start.
std::vector<LimitedRun> PlayUnderLimits(const Lines& limits, const Lines& env, const std::string& cpus)
{
    const size_t atOnce = std::max<size_t>(2, std::thread::hardware_concurrency());
    std::vector<LimitedRun> runs;
    for (size_t first = 0; first < limits.size(); first += atOnce) {
        std::vector<std::pair<pid_t, fs::path>> started;
        for (size_t i = first; i < std::min(limits.size(), first + atOnce); ++i)
            started.push_back(StartLimited(i, limits[i], g_Game, env, cpus));
        for (size_t i = 0; i < started.size(); ++i) {
            runs.push_back(EndLimited(started[i].first, started[i].second, limits[first + i]));
            if (runs.back().exit != -1) continue;
            for (size_t j = i + 1; j < started.size(); ++j) {
                WaitAtMost(started[j].first, 0); // kills it
                fs::remove_all(started[j].second);
            }
            return runs;
        }
    }
    return runs;
}

// Create code that waits for the test to set its limit: it leaves "waiting" among its saved files and
// goes on once "go" lies beside it.
const std::string WAIT_FOR_LIMIT = "f = file_text_open_write(\"waiting\");\nfile_text_close(f);\n"
                                   "while (!file_exists(\"go\")) {}\n";

// Plays `game` without a limit until it waits (WAIT_FOR_LIMIT), then sets its data limit `leftMiB`
// above the data it has then and lets it go on: what is left is the same on any machine, whatever its
// libraries and processors took before.
LimitedRun PlayPastWait(const std::string& game, long leftMiB, const Lines& env)
{
    auto [pid, folder] = StartLimited(0, "", game, env, {});
    fs::path waiting;
    for (int tries = 0; tries < RUN_SECONDS * 20 && waiting.empty(); ++tries) {
        usleep(50000);
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(folder / "xdg", error))
            if (entry.path().filename() == "waiting") waiting = entry.path();
    }
    std::string limit = "no limit (the game did not wait)";
    for (const std::string& line : ReadLines("/proc/" + std::to_string(pid) + "/status")) {
        if (waiting.empty() || !line.starts_with("VmData:")) continue;
        rlim_t bytes = (rlim_t(std::atol(line.c_str() + 7)) << 10) + (rlim_t(leftMiB) << 20);
        rlimit data = {bytes, bytes};
        if (prlimit(pid, RLIMIT_DATA, &data, nullptr) == 0)
            limit = "--data=" + std::to_string(bytes) + " (" + std::to_string(leftMiB) +
                    " MiB above its data as it waited)";
    }
    if (!waiting.empty()) std::ofstream(waiting.parent_path() / "go");
    return EndLimited(pid, folder, limit);
}

// The first two processors this process may run on, as taskset names them.
std::string TwoProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof set, &set);
    std::string cpus;
    for (int cpu = 0, found = 0; cpu < CPU_SETSIZE && found < 2; ++cpu) {
        if (!CPU_ISSET(cpu, &set)) continue;
        cpus += (found++ == 0 ? "" : ",") + std::to_string(cpu);
    }
    return cpus;
}

// A line of a start refused for memory: the graphics driver, the sound device or the game's own
// memory refused by the process's limits, or the device's own refusal.
bool IsMemoryRefusal(const std::string& line)
{
    for (const char* start : {"The game cannot start: ", "The graphics device cannot be made: ",
                              "The game's window cannot be made: ", "Failed to create Direct3D Screen"})
        if (line.starts_with(start)) return true;
    return false;
}

// The processes that `pid`'s threads started and that still run.
std::vector<pid_t> ChildrenOf(pid_t pid)
{
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream in(task.path() / "children");
        for (pid_t child; in >> child;) children.push_back(child);
    }
    return children;
}

// ---- what a player sees in a real window (the window tests) --------------------------------------

// Polls every 50 ms until `done` holds, for at most `seconds`; whether it came to hold.
bool WaitUntil(int seconds, const std::function<bool()>& done)
{
    for (int tries = 0; tries < seconds * 20; ++tries) {
        if (done()) return true;
        usleep(50000);
    }
    return done();
}

// The game's window (the named window of its size) and every other named window: its boxes.
struct Screen {
    std::optional<ScreenNamedWindow> game;
    std::vector<ScreenNamedWindow> others;
};

Screen LookAtScreen(const E2EScreen& x, int width, int height)
{
    Screen screen;
    for (const ScreenNamedWindow& window : x.Named()) {
        if (!screen.game && window.width == width && window.height == height) screen.game = window;
        else screen.others.push_back(window);
    }
    return screen;
}

// A point of the game's window, in its own pixels, that lies on the screen and under no other window
// (nor near one, where a manager draws its frame).
std::optional<std::pair<int, int>> UncoveredPoint(const Screen& screen)
{
    int screenWidth = 0, screenHeight = 0;
    const char* size = std::getenv("E2E_SCREEN");
    if (!screen.game || size == nullptr || std::sscanf(size, "%dx%d", &screenWidth, &screenHeight) != 2) return {};
    const ScreenNamedWindow& game = *screen.game;
    const int margin = 10;
    for (auto [x, y] : {std::pair{margin, margin}, {game.width - margin, margin}, {margin, game.height - margin},
                        {game.width - margin, game.height - margin}, {game.width / 2, margin}}) {
        int onScreenX = game.x + x, onScreenY = game.y + y;
        bool shown = onScreenX >= 0 && onScreenY >= 0 && onScreenX < screenWidth && onScreenY < screenHeight;
        for (const ScreenNamedWindow& other : screen.others)
            shown = shown && !(onScreenX >= other.x - margin && onScreenX < other.x + other.width + margin &&
                               onScreenY >= other.y - margin && onScreenY < other.y + other.height + margin);
        if (shown) return std::pair{x, y};
    }
    return {};
}

// ---- the debug form beside a game whose window changes (window tests) ---------------------------

// The form test's game window ("Form test") and its debug form as the screen shows them.
struct FormScene {
    ScreenNamedWindow game, form;    // their own rectangles
    ScreenRect gameFrame, formFrame; // with the manager's frames
    bool formAbove = false;
};

// The last step the form test's game logged ("step N"), 0 before the first.
int LastStep(const Lines& output)
{
    for (auto line = output.rbegin(); line != output.rend(); ++line)
        if (line->rfind("step ", 0) == 0) return std::atoi(line->c_str() + 5);
    return 0;
}

// A form test's run: the screen, xdotool for the player's hands, the game's log and what was seen last.
struct FormTest {
    const E2EScreen& x;
    std::string xdotool;
    fs::path output;
    FormScene scene;
    bool settled = false; // both windows stood at the last look where they stood at the one before

    Lines Output() const { return ReadLines(output); }
    // A key pressed, or the left button held at a screen point, as long as a hand does: a frame sees it down.
    void Do(Lines actions) const
    {
        actions.insert(actions.begin(), xdotool);
        WaitAtMost(E2E_Spawn(actions, {}, g_Work / "keys", true), 10);
    }
    void Press(const std::string& key) const { Do({"keydown", key, "sleep", "0.1", "keyup", key}); }
    void Click(int atX, int atY) const
    {
        Do({"mousemove", std::to_string(atX), std::to_string(atY), "mousedown", "1", "sleep", "0.2", "mouseup", "1"});
    }
    bool Look()
    {
        std::optional<ScreenNamedWindow> game, form;
        for (const ScreenNamedWindow& window : x.Named()) {
            if (window.name == "Form test") game = window;
            if (window.name == "Kelvaro Debugger") form = window;
        }
        if (!game || !form) return false;
        FormScene seen{*game, *form, x.Frame(game->id), x.Frame(form->id), x.StackedAbove(form->id, game->id)};
        settled = seen.gameFrame.Text() == scene.gameFrame.Text() && seen.formFrame.Text() == scene.formFrame.Text();
        scene = seen;
        return true;
    }
    // Presses the key, once a second, until the game logs the line once more (the keys' actions bear
    // repeating).
    bool PressUntil(const std::string& key, const std::string& line)
    {
        int before = Count(Output(), line);
        for (int tries = 0; tries < 20; ++tries) {
            Press(key);
            if (WaitUntil(1, [&] { return Count(Output(), line) > before; })) return true;
        }
        return false;
    }
    // Clicks the window at a point of its own until it has the keyboard. (A window the pointer has
    // just left may hold it until its next frame and take a click meant for another.)
    bool ClickToFocus(const ScreenNamedWindow& window, int atX, int atY)
    {
        for (int tries = 0; tries < 10; ++tries) {
            Click(window.x + atX, window.y + atY);
            if (WaitUntil(2, [&] { return x.Focused() == window.id; })) return true;
        }
        return false;
    }
    bool FocusGame()
    {
        std::optional<std::pair<int, int>> point = UncoveredPoint(Screen{scene.game, {scene.form}});
        return Expect(point.has_value(), "the form covers the whole game") &&
               Expect(ClickToFocus(scene.game, point->first, point->second),
                      "a click did not give the game the keyboard");
    }
    // Waits until `fault` answers nothing, and reports what it answered last otherwise.
    void ExpectSoon(const std::function<std::string()>& fault, const std::string& what)
    {
        std::string last;
        WaitUntil(20, [&] { return (last = fault()).empty(); });
        Expect(last.empty(), what + ": " + last);
    }
    // The game's window `width` x `height`, settled, and the form placed as at start: wholly beside the
    // game (at most its own 8 pixels away) where the screen holds the two side by side or one above
    // the other, else stacked above it.
    std::string PlacementFault(int width, int height)
    {
        if (!Look() || scene.game.width != width || scene.game.height != height)
            return "the game's window is not " + std::to_string(width) + "x" + std::to_string(height);
        const ScreenRect &g = scene.gameFrame, &f = scene.formFrame, screen = x.Bounds();
        std::string where = "the game at " + g.Text() + ", the form at " + f.Text() + " on " + screen.Text() + ": ";
        bool room = g.Width() + 8 + f.Width() <= screen.Width() || g.Height() + 8 + f.Height() <= screen.Height();
        int gap = std::max({f.left - g.right, g.left - f.right, f.top - g.bottom, g.top - f.bottom});
        if (room && (gap < 0 || gap > 8)) return where + "the form is not wholly beside the game";
        if (!room && !scene.formAbove) return where + "the form is beneath the game";
        return settled ? "" : where + "the windows still move";
    }
    // The game's window covers the screen and shows the game's lime at the screen's corners that the
    // form leaves uncovered, not only where a window of the old size would. (The top-left corner holds
    // the debug mode's frame-rate overlay.)
    std::string FullScreenFault()
    {
        const ScreenRect bounds = x.Bounds();
        if (!Look()) return "the game's window or the form is not shown";
        const ScreenRect &g = scene.gameFrame, &f = scene.formFrame;
        if (g.left > 0 || g.top > 0 || g.right < bounds.right || g.bottom < bounds.bottom)
            return "the game's window at " + g.Text() + " does not cover the screen " + bounds.Text();
        const int right = bounds.right - 6, bottom = bounds.bottom - 6;
        for (auto [px, py] : {std::pair{right, 5}, {5, bottom}, {right, bottom}}) {
            uint32_t colour = x.Pixel(px, py);
            bool underForm = px >= f.left - 10 && px < f.right + 10 && py >= f.top - 10 && py < f.bottom + 10;
            if (underForm || colour == 0x00FF00) continue;
            char text[16];
            std::snprintf(text, sizeof(text), "%06X", unsigned(colour));
            return "the screen shows " + std::string(text) + " at (" + std::to_string(px) + "," + std::to_string(py) +
                   "), not the game's lime";
        }
        return "";
    }
    // The form's button (its label) clicked where the screen showed it last.
    void ClickButton(const char* label)
    {
        float bx = 0, by = 0;
        if (Expect(DebugFormView_ButtonCentre(label, &bx, &by), std::string("no button ") + label))
            Click(scene.form.x + int(bx), scene.form.y + int(by));
    }
    // Pause stops the game's steps (none for a second), Run lets them go on.
    void ExpectPauseAndRun()
    {
        ClickButton("Pause");
        int paused = 0;
        auto since = std::chrono::steady_clock::now();
        Expect(WaitUntil(20, [&] {
                   int step = LastStep(Output());
                   if (step != paused) paused = step, since = std::chrono::steady_clock::now();
                   return paused > 0 && std::chrono::steady_clock::now() - since >= std::chrono::seconds(1);
               }), "a click on the form's Pause did not stop the game's steps");
        ClickButton("Run");
        Expect(WaitUntil(20, [&] { return LastStep(Output()) > paused; }),
               "a click on the form's Run did not let the game's steps go on");
    }
};

// The program's path on PATH, or empty.
std::string OnPath(const std::string& program)
{
    std::stringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return folder + "/" + program;
    return "";
}

// The bytes of a recording for -playback: `frames` frames without a key or button down, the mouse at
// window point at(frame) in each; and where a frame's mouse buttons lie in it.
constexpr size_t RECORDED_FRAME = 2939, RECORDED_BUTTON_DOWN = 2868, RECORDED_BUTTON_PRESSED = 2898;
std::string MouseRecording(size_t frames, const std::function<std::pair<int32_t, int32_t>(size_t)>& at)
{
    const size_t MOUSE_X = 2931, MOUSE_Y = 2935;
    std::string file(frames * RECORDED_FRAME, '\0');
    auto word = [&](size_t offset, int32_t value) {
        for (int i = 0; i < 4; ++i) file[offset + size_t(i)] = char(uint32_t(value) >> (8 * i));
    };
    for (size_t frame = 0; frame < frames; ++frame) {
        word(frame * RECORDED_FRAME + MOUSE_X, at(frame).first);
        word(frame * RECORDED_FRAME + MOUSE_Y, at(frame).second);
    }
    return file;
}

// xdotool's path for a window test's keys and clicks, the folder its runs write in made; empty, the
// failure reported, where it is not installed.
std::string XdoTool()
{
    std::string xdotool = OnPath("xdotool");
    Expect(!xdotool.empty(), "xdotool is not installed (scripts/setup.sh installs it)");
    fs::create_directories(g_Work / "keys");
    return xdotool;
}

// The scenarios by name, made once the work folder and the game are known.
std::map<std::string, Scenario> Scenarios()
{
    const std::string game = g_Game, work = g_Work.string(), saves = work + "/xdg/Game/";
    std::map<std::string, Scenario> s;
    // With -debugoutput the log names each shut-down step (the bad-files and exit-codes runs, without
    // it, show none).
    s["startup"] = {
        .setup = {.args = {"-debugoutput", work + "/main.log"}},
        .log = {"Get Resolution", "Get Header Information", "InitKVSFunctions",
                // The gamepads are made while their family registers, and each logs its line.
                "HighScore..Game..Math..Graphic..Action..File..Resource..Interaction..3D..Particle..Misc..DS.."
                "Sound..DPlay..Physics..Gamepad..GAMEPAD: 4 axis values (last) at 0x*",
                "GAMEPAD: 4 axis values (last) at 0x*", "GAMEPAD: 4 axis values (last) at 0x*",
                "GAMEPAD: 4 axis values (last) at 0x*", "Buffers..Networking..Shaders..Wexo..Fini", "Create Window",
                "AdjustWindowRectEx", "RegisterClassEx", "CreateWindowEx", "Init Graphics", "GR_D3D_Init()",
                "Background_InitTextures()", "Sprite_InitTextures()", "Font_InitTextures()", "IO Init",
                "Process Messages", "Start Frame", "Part Create Textures", "Debug Init Remote Interface", "VM Init",
                "Create Score Form", "Create Load Form", "Create Error Form", "Do The Work", "LoadGameData()",
                "PrepareGame()", "Extension_Prepare() ", "Code_Constant_Prepare() ", "Script_Prepare() ",
                "TimeLine_Prepare() ", "Object_Prepare() ", "Room_Prepare() ", "Sound_Prepare() ", "InitGraphics() ",
                "Finished PrepareGame() ", "Run_Start", "StartGame()", "StartGame() - DONE",
                "**********************************.", "Entering main loop.", "**********************************.",
                "Current Memory Stats",
                // shut-down
                "Save Achievement Cache", "Close Sockets", "Shutdown Steam", "Save Highscores", "Free Constants",
                "Free Functions", "Free Script Arguments", "Free Motion Grids", "Free Paths", "Free Data Structures",
                "Free Buffers", "Free Vertex Buffers", "Free Vertex Formats", "Free Models", "Free Time Lines", "Free Rooms", "Free Instances",
                "Free Carried Instances", "Free Event Lists", "Free Objects", "Free Particles", "Free Sprites",
                "Delete Temp Folder", "Shutdown Display", "Free Backgrounds", "Free Textures", "Free Scripts",
                "Free Triggers", "Free Variables", "Free Fonts", "Free Default Font", "Close Files", "Free Sounds",
                "Shutdown Direct3D", "Shutdown Graphics Libraries"},
        .absent = {"Start Server"},
        .more = [=](Run& run) { InOrder(run.log, {"KirranLoadGame: " + game}); }};
    s["debug-server"] = {.log = {"VM Init", "+Start Server", "Create Score Form", "Entering main loop."}};
    // A chunk of an unknown tag, or a malformed one (an extension package offset outside the file),
    // fails the load after naming it.
    for (const auto& [name, line] : {std::pair<std::string, std::string>{"unknown-chunk", "unknown Chunk ZZZZ:*"},
                                     {"malformed-extensions", "Malformed Chunk EXTN*"}})
        s[name] = {.setup = {.exit = 1}, .log = {"Do The Work", "LoadGameData()", line, "Failed to load the game"},
                   .absent = {"PrepareGame()", "Entering main loop."}};
    s["no-game"] = {.setup = {.game = "none", .exit = 1}, .absent = {"Get Resolution"}};
    s["missing-file"] = {.setup = {.game = work + "/missing.win", .exit = 1}, .log = {"Failed to load the game"},
                         .absent = {"Get Resolution", "Create Window"}};
    s["debug-output"] = {.setup = {.args = {"-debugoutput", work + "/main.log"}}, .more = [=](Run&) {
        InOrder(ReadLines(work + "/main.log"), {"Create Window", "Entering main loop.", "Save Achievement Cache"},
                "main.log");
    }};
    s["at-files"] = {.before = [=] {
                         std::ofstream(work + "/saves@slot1.txt") << "slot";
                         std::ofstream(work + "/.hidden@file") << "h";
                     },
                     .more = [=](Run&) {
                         Expect(fs::exists(work + "/saves/slot1.txt"), "saves@slot1.txt was not moved");
                         Expect(fs::exists(work + "/.hidden@file"), "a hidden file was moved");
                     }};
#ifdef FAKE_STEAM_LIBRARY
    // The program copied into a folder with the stand-in Steam library beside it: Steam starts for the
    // game's application id, the id file is written there, and a leaderboard download reaches the game.
    // The same with a library of the newer generation, which exports neither SteamAPI_Init nor the
    // unversioned accessors.
    for (const auto& [name, built] : {std::pair{"steam-leaderboard", FAKE_STEAM_LIBRARY},
                                       {"steam-current-library", FAKE_STEAM_CURRENT_LIBRARY}}) {
        const std::string library = built; // a copy the lambda can hold
        s[name] = {
            .before = [=] {
                fs::create_directories(work + "/bin");
                fs::copy_file(g_Kelvaro, work + "/bin/kelvaro");
                fs::copy_file(library, work + "/bin/libsteam_api.so");
                std::ofstream(work + "/scenario.txt") << "appid 12\nboard hi 2\nfriend 1000 Al\nfriend 1001 Bo\n";
            },
            .setup = {.env = {"FAKE_STEAM_SCENARIO=" + work + "/scenario.txt"}, .output = true,
                      .program = work + "/bin/kelvaro"},
            .log = {"Buffers..Networking..Shaders..steamfile:" + work + "/bin/steam_appid.txt", "Steam_Init",
                    "fake steam warning hook installed", "found leaderboard: hi", "got scores for lb:hi 2 entries",
                    "Steam_Shutdown"},
            .output = {"steam_initialised 1", "request 0", "lb 1 0 hi 2", "{", "\"entries\": [",
                       "{ \"name\":\"Al\" , \"score\":1000 , \"rank\":1 },",
                       "{ \"name\":\"Bo\" , \"score\":990 , \"rank\":2 }", "]}"},
            .absent = {"ERROR: Failed to find function", "ERROR: Failed to get steam interface"},
            .more = [=](Run& run) {
                Expect(ReadBytes(work + "/bin/steam_appid.txt") == "12", "steam_appid.txt does not hold 12");
                Expect(Has(run.trace, " 100001 obj_steam 7 69"), "no leaderboard event in the trace");
            }};
    }
    // Without the library beside it the program says why Steam did not start and plays on without it.
    s["steam-missing"] = {
        .before = [=] {
            fs::create_directories(work + "/bin");
            fs::copy_file(g_Kelvaro, work + "/bin/kelvaro");
        },
        .setup = {.output = true, .program = work + "/bin/kelvaro"},
        .log = {"Steam_Init", "ERROR: Failed to load steam_api.dll error *",
                "SteamInit failed: Error loading steam_api.dll", "Entering main loop."},
        .output = {"steam_initialised 0", "request -1"},
        .absent = {"Steam_Shutdown"}};
#endif
    // A data.win beside the program is played whatever the command line says.
    s["data-win-beside"] = {
        .before = [=] {
            fs::create_directories(work + "/bin");
            fs::copy_file(g_Kelvaro, work + "/bin/kelvaro");
            fs::copy_file(game, work + "/bin/data.win");
        },
        .setup = {.args = {"-debugoutput", work + "/ignored.log"}, .game = "/no/such/game.win",
                  .program = work + "/bin/kelvaro"},
        .log = {"KirranLoadGame: " + work + "/bin/data.win", "Entering main loop."},
        .more = [=](Run&) {
            Expect(!fs::exists(work + "/ignored.log"), "the command line was read although data.win lies beside");
        }};
    // Three placed instances (obj_low 100001 and 100003 at depth 0, obj_high 100002 at depth 10): the
    // creation code runs before the create event, which reads what the code set; after five frames the
    // game's end runs room end and game end.
    Lines roomStart = {"0 100002 obj_high 0 0", "0 100003 obj_low 0 0", "0 100001 obj_low 0 0"};
    for (const char* event : {"0 @7 2", "0 @7 4", "5 @7 5", "5 @7 3"})
        for (const char* who : {"100001 obj_low ", "100003 obj_low ", "100002 obj_high "})
            roomStart.push_back(std::string(event).replace(2, 1, who));
    s["room-start-order"] = {.log = {"StartGame()", "StartGame() - DONE", "Entering main loop."},
                             .absent = {"ERROR!!!"}, .trace = roomStart};
    // The same room with the create event first: the first instance's create event reads a variable its
    // creation code has not set yet, a fatal error that ends the game before any other event.
    s["room-start-event-first"] = {.setup = {.exit = ANY}, .log = {"of Create Event", "+for object obj_high:"},
                                   .more = [](Run& run) {
        Expect(!run.trace.empty() && run.trace[0] == "0 100002 obj_high 0 0", "the first event is not obj_high's");
        for (size_t i = 1; i < run.trace.size(); ++i)
            Expect(run.trace[i].find(" 0 0") == std::string::npos && run.trace[i].find(" 7 2") == std::string::npos,
                   "an event after the failed create event: " + run.trace[i]);
    }};
    // A game that cannot start a room ends at once, with a message and without a frame or an event:
    // a start that failed.
    for (const auto& [name, message] :
         {std::pair<std::string, std::string>{"no-rooms", "The game has no room to start in."},
          {"missing-first-room", "The game's first room (room 1) does not exist."}})
        s[name] = {.setup = {.args = {"-debugoutput", work + "/main.log"}, .exit = 1, .errors = true},
                   .log = {"StartGame()", message, "Entering main loop.", "Save Achievement Cache", "Free Rooms"},
                   .absent = {"StartGame() - DONE"}, .trace = Lines{}, .more = [message = message](Run& run) {
                       Expect(!run.errors.empty() && run.errors.back() == message,
                              "standard error does not end with \"" + message + "\"");
                   }};
    // Ten layers and ten views in the file, the last two views visible with huge ports: the room reads
    // eight of each, starts and plays.
    s["many-layers"] = {.setup = {.args = {"-debugoutput", work + "/main.log"}},
                        .log = {"StartGame() - DONE", "Entering main loop.", "Free Rooms"},
                        .trace = Lines{"0 100001 obj_marker 0 0"}};
    // The same source game played by the bytecode interpreter and, with -oldexec, by the tree-walking
    // executor: scripts, loops, switch and with drive the alarms and the lamps' visibility, and the two
    // traces are equal. Only the tree executor reports the stray ';' of the game end event, which shows
    // that each run used its own executor.
    s["old-executor"] = {.play = false, .more = [](Run&) {
        Run bytecode = Play({}), tree = Play({.args = {"-oldexec"}});
        Equal(tree.trace, bytecode.trace);
        for (const char* event :
             {" 100001 obj_clock 2 0", " 100001 obj_clock 2 1", " 100002 obj_lamp 2 0", " 100003 obj_lamp 2 0"})
            Expect(Has(bytecode.trace, event), std::string("no event \"") + event + "\" in the trace");
        Expect(!Has(bytecode.log, "Statement expected."), "the bytecode run reported the stray ';'");
        Expect(Has(tree.log, "Statement expected."), "the tree executor did not report the stray ';'");
    }};
    // Scripts recursing through script_execute, execute_string, execute_file (the run's folder holds the
    // file), by name, inside `with` and through events performed from code (games/recursion), in every
    // code form: translated from source text, shipped as bytecode, the word loop and the tree
    // executor. 20,000 nested levels give their result; a runaway ends the game with a fatal error
    // (exit code -1), never with a signal, and every run stays well under 600 MB (the sanitizer's
    // shadow memory aside). Events nest at most 32 deep, so a runaway through them ends with their
    // own report.
    s["nested-runs"] = {.play = false, .more = [work](Run&) {
        std::ofstream(work + "/nested.txt") << "return scr_file(argument0);\n";
        const std::string shipped = (fs::path(g_Game).parent_path() / "recursion_compiled.win").string();
        const std::tuple<const char*, std::string, Lines, Lines> forms[] = {
            {"translated", g_Game, {}, {}},
            {"shipped", shipped, {}, {}},
            {"word loop", g_Game, {}, {"KELVARO_PLAIN_INTERPRETER=1"}},
            {"tree", g_Game, {"-oldexec"}, {}}};
        const char* overflow = "Stack overflow...";
        const char* events = "PerformEvent recursion depth failure";
        constexpr int RUNAWAY = 100000000;
        const std::tuple<const char*, int, const char*> depths[] = {
            {"script_execute", 20000, nullptr}, {"execute_string", 20000, nullptr}, {"execute_file", 20000, nullptr},
            {"direct", 20000, nullptr}, {"script_execute", RUNAWAY, overflow}, {"execute_string", RUNAWAY, overflow},
            {"execute_file", RUNAWAY, overflow}, {"direct", RUNAWAY, overflow},
            {"with", RUNAWAY, overflow}, {"event_user", RUNAWAY, events}, {"event_perform", RUNAWAY, events}};
        for (const auto& [form, game, args, env] : forms)
            for (const auto& [way, depth, error] : depths) {
                std::string what = std::string(form) + ", " + way + " " + std::to_string(depth) + ": ";
                Lines settings = env;
                settings.insert(settings.end(), {std::string("RECURSION_WAY=") + way,
                                                 "RECURSION_DEPTH=" + std::to_string(depth)});
                Run run = Play({.frames = 2, .args = args, .env = settings, .output = true, .game = game, .exit = ANY});
                bool works = error == nullptr;
                Expect(run.exit == (works ? 0 : 255), what + "exit code " + std::to_string(run.exit));
                Expect(Has(run.output, "depth " + std::to_string(depth)) == works, what + "the depth line");
                Expect(Has(run.log, overflow) == (error == overflow), what + "the stack overflow report");
                if (!works) Expect(Has(run.log, error) && Has(run.log, "FATAL ERROR in"), what + "no fatal report");
#if !defined(KELVARO_ASAN)
                Expect(run.peakKilobytes > 0 && run.peakKilobytes < 600 * 1024,
                       what + "peak memory " + std::to_string(run.peakKilobytes / 1024) + " MB");
#endif
            }
    }};
    // The reasons of errors on long lines and of deep recursion reach the log whole: a compile error at
    // the end of a line of 2,400 characters (its 1024-byte report echoes the line around the error) and
    // the tree executor's runaway recursion by name (its levels collapsed), which ends the game. Both
    // failed to show their cause before.
    s["long-error-lines"] = {.play = false, .more = [](Run&) {
        std::string sums = "1";
        for (int i = 2; i < 500; ++i) sums += " + " + std::to_string(i);
        const std::tuple<const char*, Setup, Lines, std::string> runs[] = {
            {"compile error", {.frames = 2, .game = BuildGame("longline", 10, "source", "x = " + sums + " + ;\n", ""), .exit = ANY},
             {"COMPILATION ERROR in code action", "+Error in code at line 1:", "+   ...*"},
             "at position " + std::to_string(sums.size() + 8) + ": Unexpected symbol in expression."},
            {"recursion", {.frames = 2, .args = {"-oldexec"}, .env = {"RECURSION_WAY=direct", "RECURSION_DEPTH=100000000"}, .exit = 255},
             {"FATAL ERROR in", "In script scr_direct:", "+... (*", "+Error in code at line *"}, ": Stack overflow..."},
        };
        for (const auto& [what, setup, lines, cause] : runs) {
            Run run = Play(setup);
            InOrder(run.log, lines, what);
            Expect(Has(run.log, cause), std::string(what) + ": no \"" + cause + "\" in the log");
        }
    }};
    // Movers whose own step handler is cleared (frame 5) and whose parent goes (frame 10) at run time,
    // one made during the step pass (frame 3) and one destroyed in it (frame 7), each counting its steps
    // and its frames on the target: the remembered handlers follow every change, the same in both code
    // forms, the word loop and the tree executor, with the event trace (every event by the general
    // path) and without it (the step walk running handlers straight).
    s["movers-changed"] = {.play = false, .more = [](Run&) {
        PlayEveryWay("movers_compiled.win", 20, {"movers 2 own 5 base 10 hits 15 gone 4/2"});
    }};
    // Alarms, draws, create and destroy events that make, destroy, change and deactivate instances while
    // their walk goes on, and a room change asked for by an alarm, which stops the alarm walk: every way
    // of playing prints the same events in the same order. Each line holds a frame's events up to its
    // end step: the draws of the frame before (from the end of the room's list), the alarms (obj_w's
    // list, then obj_v's), the step's creates and destroys; the room's start made 5 to 2 and drew them.
    s["event-walks"] = {.play = false, .more = [](Run&) {
        PlayEveryWay("eventwalks_compiled.win", 30,
                     {"f1: c5 c4 c3 c2 w5 w4 w3 w2 a2 d3 c7 v4 a5 ", "f2: V4 w7 w5 w2 a7 c8 d8 c9 ",
                      "f3: w9 V4 w7 w5 c10 a5 a9 a10 ", "end: w10 w9 V4 w7 w5 a7 "});
    }};
    // One instance outside the room without a sprite, its alarm 0 set to 2 (alarm 1 has no handler and
    // never counts): each frame runs animation end, begin step, the alarm when it rings, step, outside
    // room and end step, in that order.
    Lines stages = {"0 100001 obj_clock 0 0"};
    for (int frame = 0; frame < 5; ++frame)
        for (const char* event : {"7 7", "3 1", "2 0", "3 0", "7 0", "3 2"})
            if (frame == 1 || std::string(event) != "2 0")
                stages.push_back(std::to_string(frame) + " 100001 obj_clock " + event);
    s["frame-stages"] = {.trace = stages};
    // A persistent room of three instances (obj_a, obj_b, obj_c at depths 0, 10, 20) is left for a
    // visited room and entered again; at the first three room ends one of them changes its depth: the
    // middle of the list, then its head, then its tail. Each drawing of the persistent room (its draw
    // events, from the greatest depth) shows the new order, the visited room draws only its visitor,
    // and each room start sets the alarm numbered by its instance_count, which then rings.
    s["persistent-depth"] = {.setup = {.frames = 30}, .more = [](Run& run) {
        Lines drawings; // the objects each drawing drew; a repeated drawing once
        std::string drawing;
        std::map<std::string, int> alarms; // "object:alarm" and how often it rang
        for (const std::string& line : run.trace) {
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
        const std::string visit = " obj_visitor", last = " obj_a obj_c obj_b";
        Lines expected = {" obj_c obj_b obj_a", visit, " obj_b obj_c obj_a", visit, " obj_b obj_a obj_c", visit, last};
        for (size_t i = expected.size(); i < drawings.size(); ++i) expected.push_back(i % 2 == 1 ? visit : last);
        Equal(drawings, expected, "the order of the drawings");
        // Four starts of the persistent room and three of the visited one, at the least.
        Expect(alarms.size() == 2 && alarms["obj_b:3"] >= 4 && alarms["obj_visitor:1"] >= 3,
               "instance_count at a room start is not the room's own");
    }};
    // Events, run-time code, the script log and variables by name, in either code form. The first three
    // executions report an error each, naming their code objects; then the script log holds exactly the
    // lines the create event and the events it performs write.
    s["misc-events"] = {
        .before = [=] {
            std::ofstream(work + "/prog.txt", std::ios::binary)
                << "var a;\r\na = argument0\r\n * argument1;\r\nreturn a\x1Anot code";
            std::ofstream(work + "/names.txt", std::ios::binary) << "variable_global_array_get(\"names\", 32000)";
        },
        .setup = {.output = true},
        .log = {"StartGame()", "Windows8 functionality not supported", "Entering main loop."},
        .trace = Lines{"0 100001 obj_main 0 0", "0 100001 obj_main 7 13", "0 100001 obj_main 7 0",
                       "0 100001 obj_other 7 11"},
        .more = [](Run& run) {
            size_t at = InOrder(run.output, {"Array index >= 32000", "+ at Execute.0 *", "Array index >= 32000",
                                             "+ at ExecuteFile.0 *", "Array index >= 32000", "+ at Execute.1 *"},
                                "the script log");
            Tail(run.output, Find(run.output, "names done", at),
                 {"names done", "5", "3", "42", "0", "10", "10", "cell", "1", "0", "3.50", "42", "user 3 for obj_main",
                  "outside for obj_main", "user 1 of obj_other", "3.50", "end"});
        }};
    // An extension package naming the test library as "testext.dll" (it lies beside the game as
    // "testext.so"): its init function runs before the first room, a script calls its functions with
    // reals and strings, and its final function leaves a marker in the current folder at game end.
    s["extensions"] = {.setup = {.output = true},
                       .output = {"describe: init=1 r=2.5 s=abc", "empty: init=1 r=1 s=", "init calls: 1", "absent: 0"},
                       .more = [=](Run&) {
                           Equal(ReadLines(work + "/testext_final.txt"), {"final after 1 init"}, "the final marker");
                       }};
    // The text, maths and date built-ins checked by the game itself, from source or from bytecode, in
    // UTC: alarm 0 rings when every check passed (alarm 1 when one failed, naming it in the log). The
    // checker's create event runs its grandparent's through event_inherited (its parent has none, so the
    // trace names the parent), where event_inherited, without a parent, does nothing.
    s["builtins"] = {.setup = {.env = {"TZ=UTC"}},
                     .log = {"string_copy(hello, 7, 1): Index is out of bounds", "Error in function arcsin()."},
                     .absent = {"FAILED "},
                     .trace = Lines{"0 100001 obj_checker 0 0", "0 100001 obj_middle 0 0", "0 100001 obj_checker 2 0"}};
    // The game family's game checks itself: each failed check names itself in the script log by creating
    // object 1000 + its number, and the judge of the second room ends the game only when none failed
    // (otherwise it asks for room 99, a fatal error). Instances are created, copied with and without
    // events, changed, destroyed twice and deactivated (the sleeper's step stops for frames 1 to 3), the
    // room changes at frame 6; in the second room a probe moves into contact with a solid wall and a ball
    // bounces off another, and the game ends itself long before the frame limit.
    s["game-family"] = {.setup = {.frames = 50, .output = true}, .more = [](Run& run) {
        std::string log;
        for (const std::string& line : run.output) log += line + "\n";
        auto count = [&](const std::string& piece) {
            size_t n = 0;
            for (size_t at = log.find(piece); at != std::string::npos; at = log.find(piece, at + 1)) ++n;
            return n;
        };
        Expect(count("Creating instance for non-existing object: 70\n") == 1 &&
                   count("instance_create( ) error: Illegal type") == 1,
               "the two refused creations are not each reported once in the script log");
        Expect(count("non-existing object: 10") == 0 && count("Unexisting room number") == 0,
               "the game's own checks failed:\n" + log);
    }};
    // Ids 100001 to 100007 are the rooms' own instances; the pawns are made after them. The ball (16
    // wide, 4 pixels a step from x 20) first overlaps the wall at x 100 at x 88, in frame 23; it bounces
    // once, and the judge ends the game the step after it saw it move back.
    Lines family = {"0 100001 obj_boss 0 0", "0 100008 obj_pawn 0 0", "0 100009 obj_pawn 0 0",
                    "0 100010 obj_pawn 1 0", "0 100010 obj_knight 0 0", "0 100008 obj_pawn 1 0"};
    for (int frame = 0; frame <= 24; ++frame) {
        std::string at = std::to_string(frame);
        if (frame == 7)
            family.insert(family.end(), {"7 100001 obj_boss 7 5", "7 100004 obj_ball 0 0", "7 100003 obj_judge 0 0",
                                         "7 100003 obj_judge 7 4"});
        family.push_back(at + (frame < 7 ? " 100001 obj_boss 3 0" : " 100003 obj_judge 3 0"));
        if (frame == 0 || frame == 4 || frame == 5) family.push_back(at + " 100002 obj_sleeper 3 0");
        if (frame == 23) family.push_back("23 100004 obj_ball 4 5");
    }
    family.push_back("25 100003 obj_judge 7 3");
    s["game-family"].trace = family;
    // Objects and rooms changed while the game runs, in either code form: from frame 1 obj_child steps
    // through the parent it was given and obj_ticker's cleared step stops; at frame 4 a room built with
    // room_add and friends is entered, where the placed instance's create event and the room's new
    // creation code log what they see. The assets asked for by name are logged before.
    s["resource-objects"] = {
        .setup = {.frames = 7, .output = true},
        .output = {"obj_guest: 4 0", "room_start: 0 3", "__newroom1: 1 3", "no_such_asset: -1 -1",
                   "guest created at 32 in a room of width 400", "room code, width 400"},
        .trace = Lines{"0 100001 obj_ctrl 0 0", "0 100001 obj_ctrl 3 0", "0 100003 obj_ticker 3 0",
                       "1 100001 obj_ctrl 3 0", "1 100002 obj_child 3 0", "2 100001 obj_ctrl 3 0",
                       "2 100002 obj_child 3 0", "3 100001 obj_ctrl 3 0", "3 100002 obj_child 3 0",
                       "4 100001 obj_ctrl 3 0", "5 100004 obj_guest 0 0"}};
    // On its first run, before the save area exists, the game saves a screen, a surface, a sprite and
    // a background and copies a shipped file, each into a folder the save area does not have yet; then
    // it writes a text, a binary and an INI file, reads each back and reads a file shipped beside it
    // under another letter case; it rings its alarm only when all matched and it found every saved
    // file. The files land in the save area, byte for byte, and the temporary folder is gone after
    // the run.
    s["files"] = {
        .before = [=] {
            fs::create_directories(work + "/game");
            fs::create_directories(work + "/tmp");
            fs::copy_file(game, work + "/game/game.win");
            std::ofstream(work + "/game/shipped.txt", std::ios::binary) << "from the bundle";
        },
        .setup = {.frames = 3, .env = {"TMPDIR=" + work + "/tmp"}, .game = work + "/game/game.win"},
        .trace = Lines{"0 100001 obj_files 0 0", "0 100001 obj_files 2 0"},
        .more = [=](Run&) {
            const std::string files = work + "/xdg/FilesGame/";
            for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"notes/log.txt", "hello\r\n0.5 "},
                                              {"data.bin", std::string("\x01\xFF\x2C", 3)},
                                              {"settings.ini", "[player]\r\nlevel=3.000000\r\nname=Ann\r\n"}})
                Expect(ReadBytes(files + name) == bytes, name + " does not hold the bytes written");
            std::string used = ReadBytes(files + "temp.txt");
            Expect(used.rfind(work + "/tmp/kv_ttt_", 0) == 0, "the temporary folder was " + used);
            Expect(fs::is_empty(work + "/tmp"), "the temporary folder is left after the run");
            Expect(!fs::exists(work + "/game/notes"), "a file was written beside the game");
            // Written before anything else made the save area, each into a folder of its own.
            for (const auto& [name, width, height] :
                 {std::tuple<std::string, int32_t, int32_t>{"screen/whole.png", 320, 240}, {"screen_part/part.png", 16, 8},
                  {"surface/whole.png", 8, 4}, {"surface_part/part.png", 4, 2}, {"sprite/frame.png", 8, 4},
                  {"sprite_strip/strip.png", 16, 4}, {"background/blue.png", 6, 5}}) {
                Shot shot = ReadShot(files + "first/" + name);
                Expect(shot.width == width && shot.height == height,
                       name + " is " + std::to_string(shot.width) + "x" + std::to_string(shot.height));
            }
            Shot background = ReadShot(files + "first/background/blue.png");
            Expect(background.width > 0 && background.At(0, 0) == "0,0,255", "the background saved is not blue");
            Expect(ReadBytes(files + "first/copy/shipped.txt") == "from the bundle", "the shipped file was not copied");
        }};
    // The game checks the ds_ functions itself: alarm 0 is its pass, alarm 1 its fail; its last call
    // destroys a stack twice, which is reported.
    s["data-structures"] = {.log = {"Data structure with index does not exist."},
                            .trace = Lines{"0 100001 obj_checks 0 0", "0 100001 obj_checks 2 0"}};
    // The game presses the right arrow through the window's own queue at its third step and lets it go at
    // its sixth, then taps Q. Recorded for 100 frames, the file holds 100 frames of 2939 bytes; played
    // back, the same run happens from the file alone (the devices are not read), so the traces agree.
    s["input-record"] = {.play = false, .more = [=](Run&) {
        Run record = Play({.frames = 100, .args = {"-record", "input.rec"}});
        std::string file = ReadBytes(work + "/input.rec");
        Expect(file.size() == 293900, "the recording holds " + std::to_string(file.size()) + " bytes");
        for (const char* line : {"3 100001 obj_presser 9 39", "4 100001 obj_presser 5 39", "5 100001 obj_presser 2 0",
                                 "6 100001 obj_presser 10 39", "7 100001 obj_presser 2 1",
                                 "8 100001 obj_presser 10 81"})
            Expect(Find(record.trace, line) != std::string::npos, std::string("no ") + line + " in the recorded run");
        Run replay = Play({.frames = 100, .args = {"-record", "input.rec", "-playback", "input.rec"}});
        Equal(replay.trace, record.trace);
        Expect(ReadBytes(work + "/input.rec") == file, "playback wrote to the recording");
    }};
    // A hand-written playback file of five frames: A pressed in frame 1, held in 2, released in 3,
    // pressed again in 4 and still held when the file ends, so it stays held in every later frame.
    s["input-playback"] = {
        .before = [=] {
            const size_t FRAME = 2939, HELD = 2060, RELEASED = 2316, PRESSED = 2572, A = 65;
            std::string file(5 * FRAME, '\0');
            for (auto [frame, field] : {std::pair<size_t, size_t>{1, PRESSED}, {1, HELD}, {2, HELD}, {3, RELEASED},
                                        {4, PRESSED}, {4, HELD}})
                file[frame * FRAME + field + A] = 1;
            std::ofstream(work + "/hand.rec", std::ios::binary) << file;
        },
        .setup = {.frames = 8, .args = {"-playback", "hand.rec"}},
        .more = [](Run& run) {
            Lines keys; // the key events, frame by frame
            for (const std::string& line : run.trace)
                if (line.find(" 65") != std::string::npos || line.find(" 2 0") != std::string::npos)
                    keys.push_back(line);
            Equal(keys, {"1 100001 obj_keys 5 65", "1 100001 obj_keys 9 65", "2 100001 obj_keys 2 0",
                         "2 100001 obj_keys 5 65", "3 100001 obj_keys 10 65", "4 100001 obj_keys 5 65",
                         "4 100001 obj_keys 9 65", "5 100001 obj_keys 2 0",
                         // past the file's end: held, never pressed again
                         "5 100001 obj_keys 5 65", "6 100001 obj_keys 5 65", "7 100001 obj_keys 5 65"},
                  "the key events");
        }};
    // A room of 640x1200 without views, in a window cut to 768 rows headless, is drawn squeezed into it:
    // the button near its bottom (room rows 1100 to 1163) shows at window rows 704 to 745. A recorded
    // press of the left button at window (320, 720), over the button as drawn, lands on it at room
    // (320, 1125); a press over nothing at window row 600 (room row 937) is no click.
    s["tall-room-click"] = {
        .before = [=] {
            std::string file = MouseRecording(6, [](size_t frame) { return std::pair(320, frame < 4 ? 720 : 600); });
            for (size_t frame : {2, 4}) {
                file[frame * RECORDED_FRAME + RECORDED_BUTTON_PRESSED] = 1;
                file[frame * RECORDED_FRAME + RECORDED_BUTTON_DOWN] = 1;
            }
            std::ofstream(work + "/click.rec", std::ios::binary) << file;
        },
        .setup = {.frames = 6, .args = {"-playback", "click.rec"}, .output = true, .capture = 1},
        .output = {"clicked at 320,1125"},
        .more = [](Run& run) {
            Expect(Count(run.output, "clicked at") == 1, "clicks: " + std::to_string(Count(run.output, "clicked at")));
            Expect(Has(run.trace, "2 100001 obj_button 6 4"), "no left press on the button in frame 2");
            if (!ExpectSize(run.shot, 640, 768)) return;
            Expect(run.shot.At(320, 720) == run.shot.At(300, 705) && run.shot.At(320, 720) != run.shot.At(320, 600),
                   "the button is not drawn under the click: " + run.shot.At(320, 720));
        }};
    // The mouse stands at window (160, 384) of a window cut to 320x768 headless while the game goes
    // through its rooms, each read in its create, room start and step events: 320x1200 without views,
    // 320x240 without views, a view of 640x480 in a port of 320x240, a view of 160x120 at (100, 50) in
    // that port, 320x480 without views, then a room whose create event changes its view between reads.
    // Every event of a room reads that room's point, not the one of the room drawn before it, and so
    // does the game that never draws. (The first room's create and room start events run before the
    // first frame's input.)
    s["mouse-by-room"] = {
        .play = false,
        .before = [=] {
            std::ofstream(work + "/pointer.rec", std::ios::binary)
                << MouseRecording(12, [](size_t) { return std::pair(160, 384); });
        },
        .more = [](Run&) {
            const std::pair<const char*, const char*> rooms[] = {{"room_small", "160,120"}, {"room_view", "320,240"},
                                                                 {"room_zoom", "180,110"}, {"room_plain", "160,240"}};
            Lines expected = {"room_tall step 160,600", "room_tall step 160,600"};
            for (auto [room, point] : rooms)
                for (const char* event : {"create", "start", "step", "step"})
                    expected.push_back(std::string(room) + " " + event + " " + point);
            // The last room's view changed between reads before its first drawing: each read maps by
            // the view as it then stands, and by the room's size once views are off.
            for (const char* change : {"view 320,240", "view moved 420,290", "view narrowed 180,290",
                                       "port moved 160,290", "views off 320,480"})
                expected.push_back(std::string("room_change ") + change);
            // Drawn, then never drawn (the first room's creation code turns the drawing off).
            for (const char* neverDrawn : {"", "1"}) {
                Run run = Play({.frames = 12, .args = {"-playback", "pointer.rec"},
                                .env = {std::string("MOUSE_NEVER_DRAWN=") + neverDrawn}, .output = true});
                Tail(run.output, 2, expected);
            }
        }};
    s["sound-capture"] = {.play = false, .more = [](Run&) { SoundCapture("LsL", {"voice 1 playing 1", "stopped 0", "music 1"}); }};
    s["sound-capture-older"] = {.play = false, .more = [](Run&) { SoundCapture("Ls", {"playing 1", "stopped 0"}); }};
    // The CD drive holds a disc image of three tracks the run writes (the second 187 sectors long): the
    // game asks for it, plays the second track and pauses through a drag-and-drop action. Without the
    // image's files the drive has no disc and nothing plays.
    const std::string cue = work + "/disc.cue";
    s["cd-audio"] = {
        .before = [=] {
            std::string bin;
            for (auto [sectors, step] : {std::pair{40, 3}, std::pair{187, 7}, std::pair{30, 11}})
                for (int i = 0; i < sectors * 588; ++i) bin += std::string(2, char(i * step)) + std::string(2, char(i * step));
            std::ofstream(work + "/disc.bin", std::ios::binary) << bin;
            std::ofstream(cue) << "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                                  "    INDEX 01 00:00:40\n  TRACK 03 AUDIO\n    INDEX 01 00:03:02\n";
        },
        .setup = {.frames = 5, .env = {"KELVARO_CD_IMAGE=" + cue}, .output = true},
        .output = {"cd 1 3 2493", "playing 1 track 2", "paused 1 track 2 playing 0"},
        .more = [=](Run&) {
            fs::remove(cue);
            Run none = Play({.frames = 5, .env = {"KELVARO_CD_IMAGE=" + cue}, .output = true});
            InOrder(none.output, {"cd 0 0 0", "playing 0 track 0", "paused 0 track 0 playing 0"}, "the run without a disc");
        }};
    // Buffers written, read, hashed, encoded, saved and loaded again, in either code form: the script log
    // holds the values, and the saved file holds exactly the bytes written.
    s["buffers"] = {.setup = {.frames = 3, .output = true}, .more = [=](Run& run) {
        Expect(Has(run.output, "Cannot load buffer file"), "the missing file was not reported");
        Tail(run.output, InOrder(run.output, {"-1", "+buffers start"}, "the script log") - 1,
             {"buffers start", "32", "24", "44", "-2", "kelvaro", "0.25", "f5dab27a4c311ebef03b32d7330e940f",
              "LAAAAP7///8=", "24", "f9e0c688eed6fe9dcc380fd2092c492c8b3c199a", "2", "4", "0"});
        const std::string written("\x2C\0\0\0\xFE\xFF\xFF\xFFkelvaro\0\0\0\0\0\0\0\xD0\x3F", 24);
        Expect(ReadBytes(saves + "out.bin") == written,
               "out.bin is missing or holds other bytes than were written");
    }};
    // The bundled demo, played from a hand-made recording: Enter on the title, a flight round the field
    // with F5 on the way and F6 later, then no keys while the enemies take every ship; the name asked at
    // game over is scripted, Enter goes back to the title, F4 twice goes to full screen and back, and
    // Escape ends the game. Two more runs replay it up to the picture of the game-over room, and show
    // the title, whose table now comes from the save area.
    s["demo"] = {
        .before = [=] {
            const size_t FRAME = 2939, HELD = 2060, RELEASED = 2316, PRESSED = 2572;
            std::string file(1801 * FRAME, '\0');
            const std::tuple<size_t, size_t, size_t> keys[] = { // key, first and last frame held
                {13, 40, 41}, {39, 60, 119}, {38, 120, 159}, {37, 160, 239}, {40, 240, 279},
                {116, 300, 300}, {39, 301, 360}, {117, 400, 400}, {13, 780, 781}, {115, 800, 800}, {115, 820, 820},
                {27, 1799, 1799}};
            for (auto [key, first, last] : keys) {
                file[first * FRAME + PRESSED + key] = 1;
                for (size_t frame = first; frame <= last; ++frame) file[frame * FRAME + HELD + key] = 1;
                file[(last + 1) * FRAME + RELEASED + key] = 1;
            }
            std::ofstream(work + "/demo.rec", std::ios::binary) << file;
            std::ofstream(work + "/answers.txt") << "TESTER\n";
        },
        .setup = {.frames = 1800, .args = {"-playback", "demo.rec"}, .env = {"KELVARO_ANSWERS=" + work + "/answers.txt"},
                  .output = true, .capture = 250},
        .output = {"title, best <nobody> 0", "play", "music playing 1", "enemy hit, score 10, sound playing 1",
                   "saved, player at *", "player hit, ships 2", "loaded, player at *", "game over, score *",
                   "highscore added: TESTER *", "title, best TESTER *", "full screen 1", "full screen 0"},
        .absent = {"ERROR", "WARNING"},
        .more = [=](Run& run) {
            // Escape in the last frame ends the game there: its key press is the last event.
            Expect(run.trace.back().starts_with("1799 ") && run.trace.back().ends_with(" obj_game 9 27"),
                   "the last event is not Escape in frame 1799: " + run.trace.back());
            std::vector<int> titles;
            for (const std::string& line : run.trace)
                if (line.ends_with(" obj_title 0 0")) titles.push_back(std::stoi(line));
            int play = FirstFrame(run.trace, " obj_control 0 0"), over = FirstFrame(run.trace, " obj_over 0 0");
            Expect(titles.size() == 2 && titles[0] == 0 && play > 0 && over > play && titles[1] > over,
                   "title, play, game-over and title rooms not entered in order (play " + std::to_string(play) +
                       ", game over " + std::to_string(over) + ")");
            // A collision's subtype in the trace is the object met: 5 a chaser, 6 a patrol.
            Expect(Has(run.trace, " obj_shot 4 5") || Has(run.trace, " obj_shot 4 6"), "no shot met an enemy");
            Expect(Has(run.trace, " obj_player 4 5") || Has(run.trace, " obj_player 4 6"), "no enemy met the ship");
            for (const char* key : {" obj_control 9 116", " obj_control 9 117"})
                Expect(Has(run.trace, key), std::string("no event") + key + " (F5, F6) in the trace");
            // Each burst makes 24 particles, and the count is the particle system's own.
            int bursts = 0;
            for (const std::string& line : run.output)
                if (line.starts_with("burst, particles ")) bursts += std::stoi(line.substr(17)) >= 24 ? 1 : 0;
            Expect(bursts >= 4, "the log shows " + std::to_string(bursts) + " bursts of 24 particles or more");
            auto after = [&](const std::string& start) {
                size_t at = InOrder(run.output, {start + "*"}, "the script log");
                return at == std::string::npos ? std::string("none") : run.output[at - 1].substr(start.size());
            };
            std::string points = after("highscore added: TESTER ");
            Expect(after("game over, score ") == points + ", caption kelvaro demo - score " + points,
                   "the score and caption at game over disagree with the score added");
            std::string saved = after("saved, player at "), loaded = after("loaded, player at ");
            Expect(saved == loaded, "saved at " + saved + " but loaded at " + loaded);
            const std::string area = work + "/xdg/kelvaro-demo/";
            Expect(fs::exists(area + "demo.sav") && fs::exists(area + "hiscore.dat"), "no saved game or score table");
            Expect(Has(ReadLines(area + "settings.ini"), "name=TESTER"), "settings.ini does not keep the name given");
            ExpectColours(run.shot, {{"tile", "16,48,32"}, {"tile edge", "30,90,60"}, {"player ship", "40,220,255"},
                                     {"chaser", "230,40,40"}, {"wall", "130,130,150"}, {"score line", "255,200,40"}});
            Run ending = Play({.frames = over + 40, .args = {"-playback", "demo.rec"},
                               .env = {"KELVARO_ANSWERS=" + work + "/answers.txt"}, .output = true, .capture = over + 30});
            Expect(Find(ending.output, "title, best TESTER " + points) == 0,
                   "the next run's title does not read the score written");
            ExpectColours(ending.shot, {{"game-over room", "80,16,16"}, {"sprite-font text", "255,200,40"}});
            ExpectColours(Play({.frames = 30, .capture = 20}).shot,
                          {{"title room", "16,32,64"}, {"sprite-font title", "255,200,40"},
                           {"its shadow", "200,90,20"}, {"default-font text", "255,255,255"}});
        }};
    const char *red = "255,0,0", *white = "255,255,255", *black = "0,0,0", *blue = "0,0,255", *lime = "0,255,0",
               *yellow = "255,255,0", *gray = "128,128,128", *olive = "128,128,0";
    // Sprites of the game file drawn by default (a cropped page entry about its origin, mirrored, scaled
    // by 2.5, turned 90 degrees, blended red, and the lower depth on top), a two-frame sprite animating,
    // and a draw event drawing with draw_self and draw_sprite*, a sprite that sprite_add loaded, and a
    // duplicate of a game-file sprite that sprite_save wrote (the original cannot be).
    s["sprite-drawing"] = {
        .before = [=] {
            std::vector<uint32_t> green(16, 0xFF00FF00u);
            fs::create_directories(saves);
            for (const std::string& at : {work + "/added.png", saves + "added.png"})
                GR_Image_WritePNGToPath(at.c_str(), green.data(), 4, 4, true, true);
        },
        .setup = {.frames = 12, .capture = 10},
        .log = {"sprite_save() failed - no bitmap data available"},
        .absent = {"ERROR!!!"},
        .more = [=](Run& run) {
            // The game rings its alarm once sprite_add and sprite_duplicate have both answered an index.
            Expect(Has(run.trace, " obj_drawer 2 0"), "sprite_add or sprite_duplicate failed: no alarm");
            ExpectPixels(run.shot, {{"cropped frame about its origin", 19, 19, red},
                                    {"cropped-away border", 16, 16, black}, {"mirrored left half", 58, 21, white},
                                    {"mirrored right half", 54, 21, red}, {"scaled by 2.5", 108, 28, white},
                                    {"past the scaled frame", 112, 22, black}, {"turned: tail", 161, 38, white},
                                    {"turned: head", 161, 34, red}, {"blended red", 201, 21, red},
                                    {"lower depth on top", 241, 21, white}, {"draw_self", 101, 141, white},
                                    {"draw_sprite", 21, 141, white}, {"draw_sprite_ext", 46, 146, red},
                                    {"draw_sprite_stretched", 68, 141, white},
                                    {"below the stretched frame", 68, 144, black}, {"draw_sprite_part", 81, 141, red},
                                    {"draw_sprite_general", 161, 141, red}, {"sprite_add", 141, 141, lime}});
            // The animation shows its other frame one frame later.
            std::string first = run.shot.At(21, 101), second = Play({.frames = 12, .capture = 11}).shot.At(21, 101);
            Expect(first != second && (first == lime || first == blue) && (second == lime || second == blue),
                   "the animated sprite shows " + first + " then " + second);
            ExpectSavedCopy("sprite");
        }};
    // A mover reaches a diagonal line of pixels: with precise masks the first collision comes four frames
    // after the boxes first overlap, which is when the same pair without masks collides; a block whose box
    // overlaps the line but whose pixels never meet it never collides.
    s["sprite-collisions"] = {.setup = {.frames = 30}, .more = [](Run& run) {
        int precise = FirstFrame(run.trace, " obj_mover_p 4 1"), boxes = FirstFrame(run.trace, " obj_mover_b 4 3");
        Expect(precise >= 0 && boxes >= 0 && precise - boxes == 4, "first collisions at frames " +
                   std::to_string(precise) + " (precise) and " + std::to_string(boxes) + " (boxes)");
        Expect(FirstFrame(run.trace, " obj_ghost ") < 0, "pixels that never meet collided");
    }};
    // Sprites whose boxes in the file reach past their 8 x 8 images (an edge word of 0x80000000, edges
    // near the int32 limits, a box wholly beside the image) are kept to their images: the scripts read
    // the kept boxes and each mover stops at the wall (x 100) where its kept box meets it; a box within
    // its image (spr_inside) is as given.
    s["sprite-box"] = {.setup = {.frames = 45, .output = true},
                       .output = {"spr_far box 0 0 0 7 stopped at 99", "spr_wide box 0 0 7 7 stopped at 92",
                                  "spr_past box 7 2 7 5 stopped at 92", "spr_inside box 2 1 5 6 stopped at 94"},
                       .absent = {"ERROR"}};
    // Room layers (tiled one way, hidden, in front, scrolling), tiles cut from cropped entries, tiles added,
    // hidden and shifted by code, every drawing form, made backgrounds, and a duplicated cropped
    // background drawn, masked and saved whole.
    s["backgrounds"] = {
        .before = [=] { fs::create_directories(saves); },
        .setup = {.frames = 12, .capture = 10},
        .log = {"background_save() failed - no bitmap data available", "Both bitmaps need to be duplicated first",
                "Background does not exist.", "copy 8x8 tile 16777215 missing -1"},
        .more = [=](Run& run) {
            ExpectPixels(run.shot,
                         {{"layer tiled across", 250, 3, blue}, {"below that layer", 250, 12, black},
                          {"hidden layer", 2, 202, black}, {"front layer's picture", 103, 103, red},
                          {"front layer's cropped border", 101, 101, black}, {"scrolled away", 281, 150, black},
                          {"scrolled layer tiled down", 300, 150, yellow}, {"tile of a cropped part", 123, 23, red},
                          {"tile with the crop inside", 142, 22, red}, {"tile outside the crop", 140, 20, black},
                          {"tile_add", 161, 21, blue}, {"tile_layer_hide", 181, 21, black},
                          {"before tile_layer_shift", 201, 21, black}, {"after tile_layer_shift", 221, 21, lime},
                          {"draw_background_ext", 26, 66, lime}, {"beside it", 28, 60, black},
                          {"draw_background_general", 43, 63, red}, {"its cropped border", 41, 61, black},
                          {"draw_background_stretched", 74, 62, blue}, {"below it", 62, 65, black},
                          {"draw_background_part", 81, 61, red}, {"beside the part", 82, 61, black},
                          {"background_create_color", 101, 61, yellow}, {"gradient start", 120, 60, red},
                          {"gradient end", 127, 60, "32,0,223"}, {"duplicated cropped background", 143, 63, red},
                          {"its border", 141, 61, black}, {"alpha 0 from the mask", 161, 61, black},
                          {"alpha from the mask's red", 163, 63, "0,0,85"}});
            ExpectSavedCopy("background");
        }};
    // Still shape particles: a red disk burst, blue over red additive and normal, new-to-old order, a
    // system between two instances by depth, and explosions below and above a white instance; the
    // effects are gone in the next room, and the two missing-creation lines are logged.
    s["particles"] = {
        .setup = {.frames = 10, .capture = 3},
        .log = {"part_particles_create :: particle type does not exist!",
                "part_particles_create :: particle system does not exist!", "particles: 10 2", "effects before: *",
                "effects after: 0 of 2 systems"},
        .absent = {"effects before: 0"},
        .more = [=](Run& run) {
            ExpectPixels(run.shot, {{"disk centre", 40, 40, red}, {"outside the disk", 40, 60, black},
                                    {"additive blue over red", 100, 40, "255,0,255"}, {"newest on top", 140, 40, blue},
                                    {"new-to-old: oldest on top", 180, 40, red}, {"square edge", 146, 40, blue},
                                    {"past the square", 149, 40, black}, {"instance in front", 240, 40, red},
                                    {"particles over the instance behind", 246, 40, lime},
                                    {"instance behind", 255, 40, white}});
            // Pixels of the box, inclusive, that are not the colour.
            auto others = [&](int x0, int y0, int x1, int y1, const std::string& colour) {
                int count = 0;
                for (int y = y0; y <= y1; ++y)
                    for (int x = x0; x <= x1; ++x) count += run.shot.At(x, y) != colour ? 1 : 0;
                return count;
            };
            Expect(others(41, 131, 78, 168, white) == 0, "the explosion below shows through the instance");
            Expect(others(140, 130, 180, 170, black) >= 50, "the explosion above is not drawn");
        }};
    // A game played by actions alone: a ball created with motion bounces off a solid wall, relative moves
    // and alarms (the relative flag gone in the next event), lives and health running out in turn, the
    // next room asking a question answered "yes", a snapshot and the end of the game. The draw event's
    // shapes, gradients and health bars are probed in the picture of frame 2.
    s["actions"] = {
        .before = [=] {
            fs::create_directories(saves);
            std::ofstream(work + "/answers.txt") << "yes\n";
        },
        .setup = {.frames = 50, .env = {"KELVARO_ANSWERS=" + work + "/answers.txt"}, .output = true, .capture = 2},
        .output = {"ball created with speed 4 direction 0", "controller at 15", "relative in the next event: 0",
                   "alarm 1 set to 2", "bounced to -4", "no more lives 0", "no more health -50", "answered yes"},
        .more = [=](Run& run) {
            Lines events;
            for (const std::string& line : run.trace)
                if (line.find(" 8 0") == std::string::npos) events.push_back(line.substr(line.find(' ') + 1));
            // No more lives and no more health come once each; the game ends in the second room's alarm.
            Equal(events, {"100001 obj_controller 0 0", "100004 obj_ball 0 0", "100001 obj_controller 2 0",
                           "100004 obj_ball 4 2", "100001 obj_controller 2 1", "100001 obj_controller 7 6",
                           "100001 obj_controller 7 9", "100003 obj_ender 0 0", "100003 obj_ender 2 0"});
            ExpectSize(ReadShot(saves + "snap.png"), 320, 240, "action_snapshot's PNG");
            ExpectPixels(run.shot, {{"filled rectangle", 30, 30, red}, {"gradient left", 61, 30, blue},
                                    {"gradient right", 99, 30, lime}, {"gradient top", 130, 11, white},
                                    {"gradient bottom", 130, 49, black}, {"ellipse", 180, 30, yellow},
                                    {"half health, grey bar", 30, 70, gray}, {"white back", 100, 70, white},
                                    {"half health, yellow bar", 30, 100, yellow}, {"no back", 100, 100, black}},
                         12);
        }};
    // A headless run with -debug: the captured picture shows the profiler's bar row (y 10 to 20, the white
    // reference bar under the frame's bars) and the frame-rate text in white outlined in black at (0, 0);
    // no frame statistics close the log (they are measured only after the first 100 frames).
    s["profiler-overlay"] = {
        .setup = {.args = {"-debug"}, .capture = 3},
        .absent = {"minFPS"},
        .more = [=](Run& run) {
            const Shot& shot = run.shot;
            if (!ExpectSize(shot, 320, 240)) return;
            const std::string background = shot.At(200, 120);
            int whites = 0, outlined = 0;
            for (int32_t x = 0; x < 80; ++x) {
                Expect(shot.At(x, 15) != background, "no bar at (" + std::to_string(x) + ", 15)");
                Expect(shot.At(x, 21) == background, "the bar row reaches y 21 at x " + std::to_string(x));
            }
            for (int32_t y = 1; y < 10; ++y)
                for (int32_t x = 1; x < 100; ++x)
                    if (shot.At(x, y) == white) {
                        ++whites;
                        if (shot.At(x - 1, y) == black || shot.At(x + 1, y) == black) ++outlined;
                    }
            Expect(whites >= 10 && outlined >= 5, "no white text outlined in black at the top left (" +
                                                      std::to_string(whites) + " white, " + std::to_string(outlined) +
                                                      " beside black)");
            Expect(shot.At(200, 5) == background, "the text reaches x 200");
        }};
    // One picture drawn every frame (see games/graphicsdraw/draw.script): every shape and its _color form,
    // health bars in four directions, buttons, an arrow, blend modes, the colour mask, alpha testing,
    // primitives of every kind, a surface's texture on a primitive, and each draw_surface* form. The saves
    // of one frame equal the captured picture; an unsupported display size answers 0 and frees the
    // surfaces; after draw_enable_drawevent(0) no draw event runs.
    s["graphics-drawing"] = {
        .before = [=] { fs::create_directories(saves); },
        .setup = {.frames = 8, .output = true, .capture = 3},
        .output = {"surface_getpixel 255", "draw_getpixel 255 65280", "display_set_size 0",
                   "surface after the reset 0"},
        .absent = {"ERROR!!!"},
        .more = [=](Run& run) {
            int lastDraw = -1;
            for (const std::string& line : run.trace)
                if (line.find(" obj_painter 8 0") != std::string::npos) lastDraw = std::stoi(line);
            Expect(lastDraw == 4, "the last draw event ran at frame " + std::to_string(lastDraw) + ", not 4");
            ExpectPixels(
                run.shot,
                {{"draw_rectangle", 10, 10, red}, {"draw_rectangle_color", 30, 10, lime}, {"draw_circle", 50, 10, red},
                 {"draw_circle_color", 70, 10, blue}, {"draw_ellipse", 90, 10, red},
                 {"draw_ellipse_color", 110, 10, blue}, {"draw_triangle", 125, 5, red},
                 {"beside the triangle", 135, 15, black}, {"draw_triangle_color", 145, 5, lime},
                 {"draw_roundrect", 170, 10, red}, {"draw_roundrect_color", 190, 10, blue},
                 {"draw_line_width", 210, 10, red}, {"above the wide line", 210, 3, black},
                 {"draw_line_width_color", 230, 10, lime}, {"draw_line", 250, 10, red},
                 {"above draw_line", 250, 9, black}, {"draw_line_color", 270, 10, lime}, {"draw_point", 290, 10, red},
                 {"up and left of draw_point", 289, 9, black}, {"draw_point_color", 300, 10, lime},
                 {"outline rectangle: edge", 2, 30, red}, {"outline rectangle: left of the edge", 1, 30, black},
                 {"outline rectangle: top edge", 10, 22, red}, {"outline rectangle: inside", 10, 30, black},
                 {"outline circle: edge", 23, 30, red}, {"outline circle: inside", 30, 30, black},
                 {"health bar from the left: filled", 5, 46, olive}, {"health bar from the left: back", 38, 46, gray},
                 {"health bar from the right: back", 53, 46, gray},
                 {"health bar from the right: filled", 86, 46, olive},
                 {"health bar from the top: filled", 104, 45, olive}, {"health bar from the top: back", 104, 78, gray},
                 {"health bar from the bottom: back", 124, 45, gray},
                 {"health bar from the bottom: filled", 124, 78, olive}, {"button up: light edge", 141, 50, white},
                 {"button up: dark edge", 158, 50, gray}, {"button up: face", 150, 52, blue},
                 {"button pressed: dark edge", 171, 50, gray}, {"button pressed: light edge", 188, 50, white},
                 {"arrow: shaft", 225, 50, red}, {"arrow: head", 236, 50, red}, {"bm_add", 10, 117, yellow},
                 {"bm_subtract", 30, 117, "0,255,255"}, {"bm_max", 50, 117, "255,0,255"},
                 {"draw_set_blend_mode_ext(bm_one, bm_one)", 70, 117, "0,255,255"},
                 {"colour mask: red only", 90, 117, red}, {"alpha test: below the reference", 110, 117, black},
                 {"alpha test: above the reference", 130, 117, red}, {"pr_pointlist", 4, 149, lime},
                 {"pr_linelist", 30, 149, lime}, {"pr_linestrip", 55, 149, lime}, {"pr_trianglelist", 63, 145, lime},
                 {"pr_trianglestrip with draw_vertex_color", 90, 150, blue}, {"pr_trianglefan", 110, 150, lime},
                 {"a surface's texture on a primitive", 130, 150, yellow}, {"draw_surface", 8, 178, yellow},
                 {"draw_surface_ext: half size", 23, 173, yellow}, {"draw_surface_ext: beyond half", 30, 180, black},
                 {"draw_surface_stretched", 43, 178, yellow}, {"beyond the stretched width", 50, 178, black},
                 {"draw_surface_stretched_ext: red", 68, 178, red}, {"draw_surface_part", 81, 171, yellow},
                 {"beyond the part", 86, 176, black},
                 {"draw_surface_part_ext: lime at twice the size", 106, 176, lime},
                 {"draw_surface_general", 124, 174, red}, {"draw_surface_tiled: second tile's corner", 149, 179, lime},
                 {"draw_surface_tiled: second tile's rest", 153, 183, red},
                 {"draw_surface_tiled_ext: first tile", 182, 172, lime},
                 {"draw_surface_tiled_ext: its rest", 190, 180, red},
                 {"draw_surface_tiled_ext: second tile", 197, 187, lime},
                 {"draw_clear_alpha with alpha 0", 224, 174, white}, {"draw_clear_alpha with alpha 1", 234, 184, blue},
                 {"surface_copy", 246, 176, blue}, {"the copy's destination", 242, 172, red},
                 {"surface_copy_part", 252, 182, yellow}});
            // Each save holds the captured picture's pixels from (x, y) on.
            for (const auto& [file, width, x, y] :
                 {std::tuple<std::string, int, int, int>{"screen.png", 320, 0, 0}, {"part.png", 10, 0, 0},
                  {"surface.png", 16, 240, 170}}) {
                Shot saved = ReadShot(saves + file);
                bool same = saved.width == width && saved.height == (width == 320 ? 240 : width);
                for (int32_t row = 0; same && row < saved.height; ++row)
                    for (int32_t column = 0; column < saved.width; ++column)
                        same = same && saved.At(column, row) == run.shot.At(x + column, y + row);
                Expect(same, file + " is not the part of the captured picture it saves");
            }
            Expect(!fs::exists(saves + "outside.png"), "a rectangle wholly outside the window was saved");
        }};
    // Text in a font of the game file (a white page with red, green and white cells), the default font,
    // alignments, wrapping, a turned line, corner colours and a sprite font, drawn in the default colour
    // (black) unless the routine takes colours; the game logs what it measured.
    s["font-text"] = {
        .setup = {.frames = 4, .output = true, .capture = 2},
        .output = {"width AB 9", "width ACB 15", "height 12 26", "wrapped 12", "font fnt_cells Cells Sans 14 1 65 68",
                   "sprite font 1 __newfont1 32 35", "system font 0 255 0 -1", "glyphless 1",
                   "Trying to delete non-existing font.", "fonts done"},
        .more = [=](Run& run) {
            ExpectPixels(run.shot, {{"A from its cell", 12, 12, black}, {"B after A's advance", 16, 12, black},
                                    {"between A and B", 15, 12, white}, {"the line after #", 12, 18, black},
                                    {"B straight after A: C has no glyph", 16, 18, black},
                                    {"nothing after B", 19, 18, white}, {"the A cell of the page entry", 12, 32, red},
                                    {"the B cell", 16, 32, lime}, {"the padding between cells", 15, 32, white},
                                    {"a white cell in blue", 41, 12, blue}, {"the default font's I", 61, 13, black},
                                    {"beside the I's stem", 60, 13, white}, {"centred and middle", 99, 19, black},
                                    {"left of the centred D", 96, 19, white}, {"right and bottom", 126, 16, black},
                                    {"right of the right-aligned D", 129, 16, white},
                                    {"below the bottom-aligned D", 126, 21, white},
                                    {"the wrapped line", 151, 18, black},
                                    {"no third D on the first line", 167, 12, white},
                                    {"the turned D runs upward", 203, 38, black},
                                    {"below the turned D", 201, 44, white}, {"sprite font X", 11, 61, black},
                                    {"sprite font Y", 16, 61, black}, {"between the frames", 14, 61, white},
                                    {"frame 0 in its colour", 11, 71, red}, {"frame 1 in its colour", 16, 71, lime}});
            // The corner colours run from red at the top to blue at the bottom (pixels are B, G, R, A).
            if (run.shot.width == 320)
                Expect(run.shot.Pixel(231, 10)[2] > run.shot.Pixel(231, 10)[0] &&
                           run.shot.Pixel(231, 15)[0] > run.shot.Pixel(231, 15)[2],
                       "the four-colour D is not red at the top and blue at the bottom");
        }};
    // Lines of 34,000,000 characters in each drawing form: the frame ends normally, and the start of
    // each long line (at y 0, 56, 112, 168) is drawn pixel for pixel as the short line 28 below it.
    s["long-text"] = {.setup = {.frames = 1, .capture = 1}, .more = [](Run& run) {
        if (!ExpectSize(run.shot, 320, 240)) return;
        const char* forms[] = {"draw_text", "draw_text_ext", "draw_text_transformed", "draw_text_colour"};
        for (int form = 0; form < 4; ++form) {
            int top = 56 * form, inked = 0, differing = 0;
            for (int y = top; y < top + 28; ++y)
                for (int x = 0; x < 320; ++x) {
                    inked += run.shot.At(x, y) != "255,255,255" ? 1 : 0;
                    differing += run.shot.At(x, y) != run.shot.At(x, y + 28) ? 1 : 0;
                }
            Expect(inked > 100 && differing == 0, std::string(forms[form]) + ": " + std::to_string(inked) +
                                                      " pixels inked, " + std::to_string(differing) +
                                                      " unlike the short line's");
        }
    }};
    // A game built here with the port of a server this driver runs: its create event GETs /data, and its
    // HTTP event (other 62) posts json_encode(async_load) to /back, then ends the game when that reply
    // arrives. The server must receive the first event's map whole.
    s["http-post-back"] = {.play = false, .more = [](Run&) {
        testsupport::TestHttpServer server;
        server.Route("/data", {200, "{\"answer\": 42}"});
        server.Route("/back", {200, "thanks"});
        std::string data = server.Url("/data"), back = server.Url("/back");
        std::string game = BuildGame("web", 62, "source", "http_get(\"" + data + "\");\n",
                                     "if (ds_map_find_value(async_load, \"url\") == \"" + data + "\") {\n"
                                     "    http_post_string(\"" + back + "\", json_encode(async_load));\n} else {\n"
                                     "    show_debug_message(\"posted back: \" + ds_map_find_value(async_load, "
                                     "\"result\"));\n    game_end();\n}\n");
        // The game ends itself once both replies are in; the frame limit only bounds a failing run.
        Run run = Play({.frames = 20000, .game = game});
        InOrder(run.log, {"posted back: thanks"});
        int events = Count(run.trace, " obj_web 7 62");
        Expect(events == 2, "the trace shows " + std::to_string(events) + " HTTP events, expected 2");
        std::string posted;
        for (const testsupport::HttpSeen& seen : server.Seen())
            if (seen.target == "/back" && seen.method == "POST") posted = seen.body;
        json_object* map = json_tokener_parse(posted.c_str());
        auto member = [&](const char* key) {
            json_object* value = nullptr;
            return map != nullptr && json_object_object_get_ex(map, key, &value) ? value : nullptr;
        };
        auto text = [&](const char* k) { return std::string(member(k) ? json_object_get_string(member(k)) : ""); };
        auto number = [&](const char* key) { return member(key) ? json_object_get_double(member(key)) : -99.0; };
        Expect(text("url") == data && text("result") == "{\"answer\": 42}" && number("http_status") == 200 &&
                   number("status") == 0 && member("id") != nullptr,
               "the server received \"" + posted + "\"");
        json_object_put(map);
    }};
    // Time lines in their instances: moments at their steps, at speed 2, looping, backwards, and those of
    // a time line that moved down when an earlier one was deleted; then the checks of script_execute and
    // of the file's path edited by the path built-ins, which ring alarm 0 when they all pass. Only moments
    // (type 100000) and alarms are compared, in the order of the trace.
    s["time-lines"] = {.setup = {.frames = 7, .output = true}, .output = {"tl_late", "0"}, .more = [](Run& run) {
        Lines timed;
        for (const std::string& line : run.trace)
            if (line.find(" 100000 ") != std::string::npos || line.find(" 2 ") != std::string::npos)
                timed.push_back(line);
        Equal(timed,
              {"0 100002 obj_fast 100000 1", "0 100003 obj_loop 100000 0", "0 100004 obj_back 100000 4",
               "0 100006 obj_checker 2 0", "1 100001 obj_steps 100000 1", "1 100002 obj_fast 100000 2",
               "1 100005 obj_deleter 100000 1", "2 100002 obj_fast 100000 5", "2 100003 obj_loop 100000 2",
               "2 100004 obj_back 100000 2", "3 100001 obj_steps 100000 3", "3 100003 obj_loop 100000 0",
               "4 100004 obj_back 100000 0", "5 100003 obj_loop 100000 2", "6 100003 obj_loop 100000 0"},
              "the moments and alarms");
    }};
    // A room speed of 0 or below is refused with one non-fatal error and the old speed kept, by the
    // bytecode interpreter (code compiled from source or shipped compiled) and by the tree executor:
    // neither adds a fatal error of its own, and the game plays on to its frame limit (exit code 0).
    s["room-speed-zero"] = {.play = false, .more = [](Run&) {
        const std::string create = "room_speed = 45;\nroom_speed = 0;\nshow_debug_message(\"zero \" + string(room_speed));\n"
                                   "room_speed = -3.5;\nshow_debug_message(\"negative \" + string(room_speed));\n";
        const std::tuple<const char*, Lines> runs[] = {{"source", {}}, {"source", {"-oldexec"}}, {"compiled", {}}};
        for (const auto& [form, args] : runs) {
            std::string what = std::string(form) + (args.empty() ? "" : " -oldexec");
            Run run = Play({.frames = 3, .args = args, .output = true, .game = BuildGame("speed", 10, form, create, "")});
            InOrder(run.output, {"zero 45", "negative 45"}, what);
            // Each report shows the error form (answered Ignore) and the console line, both with the text.
            int errors = Count(run.log, "ERROR!!! :: "), ignored = Count(run.log, "Code Error... -> Ignore");
            int refusals = Count(run.log, "Trying to set the room speed to a value <= 0.");
            Expect(errors == 2 && ignored == 2 && refusals == 4,
                   what + ": " + std::to_string(errors) + " errors, " + std::to_string(ignored) + " ignored, " +
                       std::to_string(refusals) + " lines of the refusal; expected 2, 2 and 4");
            for (const char* fatal : {"Variable set problem", "Cannot assign to the variable"})
                Expect(!Has(run.log, fatal), what + ": the log holds \"" + fatal + "\"");
        }
    }};
    // A game built here with a free port, in both code forms: its create event starts a server, connects
    // its own client (greeting and handshake in one call) and sends "ping"; its network event (other 68)
    // logs the map and answers "pong" from the server's side, and the client's "pong" ends the game.
    s["network-loopback"] = {.play = false, .more = [](Run&) {
        int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
        close(probe);
        std::string port = std::to_string(ntohs(address.sin_port));
        std::string create =
            "var b; server = network_create_server(0, " + port + ", 4); client = network_create_socket(0);\n"
            "show_debug_message(\"connect \" + string(network_connect(client, \"127.0.0.1\", " + port + ")));\n"
            "b = buffer_create(16, 1, 1); buffer_write(b, 11, \"ping\");\n"
            "show_debug_message(\"sent \" + string(network_send_packet(client, b, buffer_tell(b)))); buffer_delete(b);";
        const char* async = R"(var t, n, b, r, text;
t = ds_map_find_value(async_load, "type"); n = ds_map_size(async_load);
if (t == 1) show_debug_message("connect keys " + string(n) + " id=" + string(ds_map_find_value(async_load, "id"))
    + " socket=" + string(ds_map_find_value(async_load, "socket")) + " ip=" + ds_map_find_value(async_load, "ip"));
if (t == 3) {
    b = ds_map_find_value(async_load, "buffer"); text = buffer_read(b, 11);
    show_debug_message("data keys " + string(n) + " id=" + string(ds_map_find_value(async_load, "id")) + " size="
        + string(ds_map_find_value(async_load, "size")) + " ip=" + ds_map_find_value(async_load, "ip")
        + " text=" + text);
    if (text == "ping") {
        r = buffer_create(16, 1, 1); buffer_write(r, 11, "pong");
        network_send_packet(ds_map_find_value(async_load, "id"), r, buffer_tell(r)); buffer_delete(r);
    } else { network_destroy(client); game_end(); }
})";
        for (const char* form : {"source", "compiled"}) {
            // The game ends itself at the pong; the frame limit only bounds a failing run.
            Run run = Play({.frames = 600, .output = true, .game = BuildGame("net", 68, form, create, async)});
            InOrder(run.output, {"connect keys 4 id=0 socket=2 ip=127.0.0.1", "connect 0", "sent 17",
                                 "data keys 5 id=2 size=5 ip=127.0.0.1 text=ping",
                                 "data keys 5 id=1 size=5 ip=127.0.0.1 text=pong"},
                    form);
            int events = Count(run.trace, " obj_net 7 68");
            Expect(events == 3, std::string(form) + ": the trace shows " + std::to_string(events) + " network events");
        }
    }};
    // The game saves in its first step and loads in its second; the load lands at the next frame without a
    // second create event. Its dialogs take scripted answers and their events log the maps. The highscore
    // it adds is written at shut-down, and a second run reads it.
    s["saved-games"] = {
        .before = [=] { std::ofstream(work + "/answers.txt") << "7.5\nAlice\nyes\nbob\tpw\n"; },
        .setup = {.frames = 10, .env = {"KELVARO_ANSWERS=" + work + "/answers.txt"}},
        .log = {"best <nobody> 0", "typed 7.50", "saved", "load asked, score 99", "loaded: score 11 x 50"},
        .more = [=](Run& run) {
            const std::string saved = work + "/xdg/SavesGame/";
            InOrder(run.log, {"answer \"Alice\" 1", "answer \"1\" 1", "login bob/pw 1"});
            int creates = Count(run.trace, " obj_keeper 0 0");
            Expect(creates == 1, "the trace shows " + std::to_string(creates) + " create events, expected 1");
            Expect(ReadBytes(saved + "mid.sav").compare(0, 4, std::string("\x53\x03\x00\x00", 4)) == 0,
                   "mid.sav does not begin with 851");
            if (!Expect(fs::exists(saved + "hiscore.dat"), "no hiscore.dat after the run")) return;
            InOrder(Play({.frames = 10, .env = {"KELVARO_ANSWERS=" + work + "/answers.txt"}}).log, {"best Winner 500"});
        }};
    // Globals named as built-in variables (global.score beside score) come back from a save in a new
    // run, as the built-ins themselves do, and so they do from a save the engine wrote before it could
    // read them back (written_before.sav, the same game's first run).
    // Parents changed by scripts while instances live: each report makes fifty instances that take the
    // blocks of those freed the frame before, then logs instance_number, the instances `with` visits and
    // how many of the fifty that `with` wrote. A freed instance left in an old ancestor's list shows as
    // a count too many and a write to the fifty; an instance missing from a new ancestor's, as one too
    // few. Between the checks come a deactivation, a save and a load with the parents changed in
    // between, a delete in the middle of the chain, a restart and an instance_change.
    s["parent-lists"] = {
        .setup = {.frames = 20, .output = true},
        .output = {"g left c, p: 0 0 0", "+g moved to q, c: 0 0 0", "+g moved to q, q: 0 0 0", "+p under q, q: 3 3 0",
                   "+d back, q: 4 4 0", "+loaded, q: 0 0 0", "+loaded, p: 4 4 0", "+c deleted, p: 1 1 0",
                   "+c deleted, g: 2 2 0", "+g freed, p: 1 1 0", "+restarted, q: 2 2 0", "+g left q, q: 0 0 0",
                   "+g left q, g: 0 0 0"}};
    s["saved-names"] = {
        .setup = {.frames = 4, .output = true},
        .output = {"saved", "globals points 7 score 13 lives 4 health 55.50 x 21 direction 90 caption Points: | alarm 6 fps 8",
                   "built-ins score 5 lives 2 health 40 x 12 alarm 9"},
        .more = [=](Run&) {
            const fs::path saved = g_Work / "xdg" / "SavedNames" / "names.sav";
            const Lines loaded = {"load asked", "globals points 7 score 13 lives 4 health 55.50 x 21 direction 90 caption Points: | alarm 6 fps 8",
                                  "built-ins score 5 lives 2 health 40 x 12 alarm 9"};
            for (const char* from : {"this run's save", "a save written before"}) {
                fs::create_directories(saved.parent_path());
                if (from[0] == 'a') fs::copy_file(fs::path(KELVARO_SOURCE_DIR) / "tests/e2e/games/savednames/written_before.sav",
                                                  saved, fs::copy_options::overwrite_existing);
                Run again = Play({.frames = 4, .output = true});
                InOrder(again.output, loaded, std::string("the script log loading ") + from);
                Absent(again.log, "failed to find variable");
            }
        }};
    // The game checks motion planning itself: grid paths read back with the path built-ins, the path forms
    // of both planners, a walker stopped by mp_linear_step before a solid wall and a seeker that
    // mp_potential_step takes round another; alarm 0 rings when all passed (alarm 1 names a failure in the
    // log). The grid drawn in the draw event shows its forbidden cell red and the free ones green.
    s["motion-planning"] = {.setup = {.frames = 150, .capture = 5}, .more = [=](Run& run) {
        Lines alarms;
        for (const std::string& line : run.trace)
            if (line.find(" obj_judge 2 ") != std::string::npos) alarms.push_back(line);
        Equal(alarms, {"140 100005 obj_judge 2 0"}, "the checks' alarms");
        ExpectPixels(run.shot, {{"free cell (0, 0)", 207, 17, "0,128,0"}, {"forbidden cell (1, 0)", 223, 17, red},
                                {"free cell (3, 1)", 255, 33, "0,128,0"},
                                {"the room beside the grid", 266, 17, "192,192,192"}});
    }};
    // A box bound in its creation code falls 9.2 m on a floor that the room placed with its object's physics
    // settings: both collision events in one frame about 1.36 s in, the box's reading the contact points on
    // the floor's top; the world's debug drawing captured (static green, dynamic red).
    s["physics-fall"] = {
        .setup = {.frames = 45, .output = true, .capture = 10},
        .output = {"bound 2.56", "floor hit by 100002", "box hit 2 at 200"},
        .more = [=](Run& run) {
            int floorHit = FirstFrame(run.trace, " obj_floor 4 1"), boxHit = FirstFrame(run.trace, " obj_box 4 0");
            Expect(floorHit == boxHit && floorHit >= 36 && floorHit <= 44,
                   "collision events at frames " + std::to_string(floorHit) + " and " + std::to_string(boxHit));
            ExpectPixels(run.shot, {{"the falling box", 160, 105, "230,179,179"},
                                    {"the floor", 100, 204, "128,230,128"}, {"empty room", 10, 10, black},
                                    {"above the box", 160, 95, black}});
        }};
    // The platform services under a Danish locale: the system variables, the language, achievements
    // available from the start, and an achievement cache left empty at exit (this platform posts nothing).
    s["platform-services"] = {
        .setup = {.env = {"LC_ALL=", "LC_MESSAGES=", "LANG=da_DK.UTF-8"}, .output = true},
        .output = {"os_type 0 windows 0", "+os_version *", "+language da", "+achievements 1",
                   "+config WEXO_PAID domain localhost", "+browser -1 320x240"},
        .more = [=](Run& run) {
            struct utsname name;
            uname(&name);
            int major = 0, minor = 0;
            std::sscanf(name.release, "%d.%d", &major, &minor);
            Expect(Has(run.output, "os_version " + std::to_string(major * 65536 + minor)), "os_version of " +
                   std::string(name.release));
            fs::path cache = saves + "playerachievementcache.dat";
            Expect(fs::exists(cache) && fs::file_size(cache) == 0, "no empty " + cache.string());
        }};
    // A 3D scene under a perspective projection (see games/d3dscene/draw.script), which shows the room
    // upside down: room y becomes 240 - y. Lit faces are ambient + colour x light x N.L (a
    // directional light at N.L 0.8; a point light attenuated 1 / (1 + d / range), nothing beyond
    // the range), fog at half way mixes half the fog colour in, a texture repeats twice along a
    // cylinder, and a model saved and loaded draws as the original.
    s["d3d-scene"] = {
        .before = [=] { fs::create_directories(saves); },
        .setup = {.frames = 5, .output = true, .capture = 3},
        .log = {"d3d_model_load - unable to find file none.d3d"},
        .output = {"save -1", "load 1", "missing 0", "stack 110"},
        .absent = {"ERROR!!!"},
        .more = [=](Run& run) {
            ExpectPixels(run.shot,
                         {{"directional light", 80, 185, "200,120,80"}, {"directional light: corner", 12, 228, "200,120,80"},
                          {"point light in range", 200, 185, "172,106,73"},
                          {"point light beyond its range", 307, 185, "40,40,40"}, {"fog", 55, 120, "100,50,152"},
                          {"cylinder band 1", 240, 30, "0,0,254"}, {"cylinder band 2", 240, 50, "255,0,0"},
                          {"cylinder band 3", 240, 70, "0,0,254"}, {"cylinder band 4", 240, 90, "255,0,0"},
                          {"model", 35, 75, "0,255,0"}, {"model loaded", 85, 75, "0,255,0"},
                          {"model's own colour", 25, 45, "255,255,0"}, {"loaded model's own colour", 75, 45, "255,255,0"},
                          {"empty room", 160, 5, "0,0,0"}},
                         2);
            std::string file = ReadBytes(saves + "models/block.d3d");
            Expect(file.rfind("100\r\n6\r\n10     0.0000     0.0000     0.0000    30.0000", 0) == 0,
                   "the model file begins \"" + file.substr(0, 40) + "\"");
        }};
    // What the authoring tools write, in bytecode: a placed instance calls power with three arguments
    // (the two-argument result, the third freed) and with one (the second real 0); the splash's alarm
    // calls action_another_room with one argument and the arena starts. The splash's views word is 2
    // (views off), so the green that its create event set through background_colour covers the window;
    // the arena's is 3, and its view doubles the yellow square at (120, 20). The "-color" variant names
    // the same built-ins with "color" and gives the same results.
    s["real-files"] = {
        .setup = {.frames = 8, .output = true, .capture = 1},
        .output = {"8", "1", "rgb 197121", "drawing 1971210", "background 65280", "second room, views 1"},
        .absent = {"ERROR", "Wrong number of arguments"},
        .more = [=](Run& run) {
            int splash = FirstFrame(run.trace, " obj_splash 2 0"), arena = FirstFrame(run.trace, " obj_viewed 0 0");
            Expect(splash == 3 && arena == 4, "the alarm rang at frame " + std::to_string(splash) +
                                                  " and the arena started at " + std::to_string(arena));
            ExpectPixels(run.shot, {{"splash: top left", 0, 0, lime}, {"splash: middle", 160, 120, lime},
                                    {"splash: bottom right", 319, 239, lime}});
            ExpectPixels(Play({.frames = 8, .capture = 6}).shot,
                         {{"arena: the square through the view", 60, 60, yellow}, {"arena: its top left", 40, 40, yellow},
                          {"arena: left of it", 38, 60, black}, {"arena: below it", 60, 81, black}});
        }};
    // A shader chosen in a draw event (games/shaders): the kind-2 shader's transposed matrices place
    // the rectangle exactly where the generated programs put it, edges included, and its tint uniform
    // keeps only red; after shader_reset the generated programs draw again. Pass-through shaders in
    // the authoring tools' form, read from the game file's shader chunk, compile on the driver and
    // draw a textured scene as the generated programs do: on alternate frames one whose header
    // binds constants it never reads over the body's registers. Those constants are not in its
    // uniform table, and each of the body's own takes its writes.
    s["shaders"] = {
        .setup = {.frames = 5, .output = true, .capture = 3},
        .output = {"header -1 -1 -1 -1 -1 -1 -1 -1, sampler 0, matrices 1",
                   "uniform 1 texel 1"}, // the vertex block's kv_Matrices is entry 0
        .absent = {"ERROR!!!", "OpenGL: "},
        .more = [=](Run& run) {
            const char *red = "255,0,0", *white = "255,255,255", *black = "0,0,0";
            ExpectPixels(run.shot, {{"no shader", 30, 30, white}, {"no shader: top left", 10, 10, white},
                                    {"no shader: left of it", 9, 10, black}, {"no shader: bottom right", 49, 49, white},
                                    {"no shader: beyond it", 50, 50, black}, {"tinted", 80, 30, red},
                                    {"tinted: top left", 60, 10, red}, {"tinted: left of it", 59, 10, black},
                                    {"tinted: bottom right", 99, 49, red}, {"tinted: beyond it", 100, 50, black},
                                    {"after the reset", 130, 30, white}});
            // Frames 3 and 4 draw the scene's right half through one pass-through shader each; it
            // equals the half drawn without a shader, pixel for pixel.
            for (const Shot& shot : {run.shot, Play({.frames = 5, .capture = 4}).shot}) {
                if (!ExpectSize(shot, 320, 240)) return;
                int differ = 0, drawn = 0;
                for (int32_t y = 60; y < 240; ++y)
                    for (int32_t x = 0; x < 160; ++x) {
                        differ += shot.At(x, y) != shot.At(x + 160, y) ? 1 : 0;
                        drawn += shot.At(x, y) != black ? 1 : 0;
                    }
                Expect(differ == 0, std::to_string(differ) + " pixels of the pass-through shader's half differ");
                Expect(drawn > 2000, "the scene without a shader covers only " + std::to_string(drawn) + " pixels");
                // A square per body constant written, the vertex stage's first.
                const char* written[][2] = {
                    {"u_Red", "255,0,0"},     {"u_Green", "0,255,0"},     {"u_Blue", "0,0,255"},
                    {"u_Lift", "255,255,0"},  {"u_First", "0,255,255"},   {"u_Second", "255,0,255"},
                    {"u_Third", "128,128,128"}, {"u_Fade", "255,128,0"}, {"u_Flip", "128,0,255"},
                    {"u_Glow", "0,128,255"},  {"u_Boost", "0,128,128"},  {"u_Mono", "64,64,64"},
                    {"u_Shift", "64,255,128"}};
                Probes probes;
                for (int i = 0; i < 13; ++i) probes.emplace_back(written[i][0], 165 + 12 * i, 15, written[i][1]);
                ExpectPixels(shot, probes, 1);
            }
        }};
    // Pass-through shaders in the tools' form under another prefix (games/shaderviews), as kinds 1, 2
    // and 3, and one that multiplies the vector first, as kind 2: under a view that doubles the room,
    // the turned sprite each one draws covers the pixels it covers without a shader, straight to the
    // screen and through a surface drawn back over the view.
    s["shader-views"] = {
        .setup = {.frames = 3, .capture = 2},
        .absent = {"ERROR", "OpenGL: "},
        .more = [=](Run& run) {
            const Shot& shot = run.shot;
            if (!ExpectSize(shot, 320, 240)) return;
            // Pixels around (ax, ay) that differ by more than 1 in a channel from those around (bx, by).
            auto differ = [&](int32_t ax, int32_t ay, int32_t bx, int32_t by) {
                int count = 0;
                for (int32_t dy = -26; dy <= 26; ++dy)
                    for (int32_t dx = -26; dx <= 26; ++dx) {
                        const uint8_t *a = shot.Pixel(ax + dx, ay + dy), *b = shot.Pixel(bx + dx, by + dy);
                        bool near = true;
                        for (int c = 0; c < 3; ++c) near = near && std::abs(a[c] - b[c]) <= 1;
                        count += near ? 0 : 1;
                    }
                return count;
            };
            const char* cells[] = {"no shader", "kind 1", "kind 2", "kind 3", "kind 2, vector first"};
            for (int32_t row = 0; row < 2; ++row) {
                int32_t y = 50 + 100 * row;
                std::string where = row == 0 ? "on the screen" : "through a surface";
                // The sprite's four colours, each on a good share of the plain cell's pixels.
                for (const char* colour : {"255,0,0", "0,255,0", "0,0,255", "255,255,0"}) {
                    int count = 0;
                    for (int32_t dy = -26; dy <= 26; ++dy)
                        for (int32_t dx = -26; dx <= 26; ++dx) count += shot.At(40 + dx, y + dy) == colour ? 1 : 0;
                    Expect(count >= 60, where + ": " + std::to_string(count) + " pixels of " + colour);
                }
                for (int32_t cell = 1; cell < 5; ++cell) {
                    int n = differ(40 + 60 * cell, y, 40, y);
                    Expect(n == 0, where + ", " + cells[cell] + ": " + std::to_string(n) + " pixels differ");
                }
            }
            int n = differ(40, 150, 40, 50);
            Expect(n == 0, "the plain sprite through the surface: " + std::to_string(n) + " pixels differ");
        }};
    // Texture pages whose entries carry flag bit 0, as the tools write every one (games/pagealpha):
    // sprites of partial alpha drawn over a coloured background blend by the alpha their page holds.
    s["page-alpha"] = {
        .setup = {.capture = 2},
        .absent = {"ERROR"},
        .more = [=](Run& run) {
            const int back[3] = {40, 90, 160};
            // The sprites' fills (alpha, red, green, blue), as the game's manifest gives them.
            const int fills[][4] = {{0x20, 255, 255, 255}, {0x7F, 255, 255, 255}, {0x80, 255, 0, 0},
                                    {0x40, 0, 255, 128},   {0xC0, 0, 0, 255},     {0xF0, 255, 255, 0},
                                    {0x03, 255, 255, 255}};
            std::vector<std::string> colours;
            Probes probes;
            for (const auto& fill : fills) {
                std::string colour;
                for (int c = 0; c < 3; ++c) {
                    double blended = (fill[c + 1] * fill[0] + back[c] * (255 - fill[0])) / 255.0;
                    colour += (c > 0 ? "," : "") + std::to_string(int(std::lround(blended)));
                }
                colours.push_back(colour);
            }
            for (size_t i = 0; i < colours.size(); ++i)
                probes.emplace_back("a sprite of partial alpha", 24 + 30 * int(i), 24, colours[i].c_str());
            probes.emplace_back("the background", 10, 10, "40,90,160");
            ExpectPixels(run.shot, probes, 1);
        }};
    // Files that are no game files, and a missing one: the start fails before any window with a line
    // naming the file and why, which standard error ends with, and nothing is saved anywhere. No game
    // named at all (a bare file name is skipped like any token that is no switch): the line names the
    // switch that would have named one. None of these runs lists the shut-down steps or frame rates.
    s["bad-files"] = {.play = false, .more = [=](Run&) {
        const std::string bytes = ReadBytes(game);
        auto word = [&](std::string& b, size_t at, uint32_t value) {
            for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char(value >> (8 * i));
        };
        auto sized = [&](std::string b) { return word(b, 4, uint32_t(b.size() - 8)), b; };
        std::string changed = bytes, headless = bytes.substr(0, 8);
        word(changed, 4, uint32_t(bytes.size() - 7));
        // (name, bytes, reason; a reason ending in '*' is a prefix); "missing" writes no file.
        std::vector<std::tuple<std::string, std::string, std::string>> cases = {
            {"empty", "", "is not a game file: it is empty"},
            {"eight", std::string("FORM\0\0\0\0", 8), "is not a game file: it holds only 8 bytes"},
            {"text", "This is not a game file.\n",
             "is not a game file: it does not begin with \"FORM\" as game files do (its length word gives "
             "544,434,472 bytes, the file holds 25)"},
            {"picture", "\x89PNG\r\n\x1a\n" + std::string(92, '\x01'),
             "is not a game file: it does not begin with \"FORM\" as game files do (its length word gives "
             "169,478,677 bytes, the file holds 100)"},
            {"short", "hi\n",
             "is not a game file: it does not begin with \"FORM\" as game files do (it holds only 3 bytes)"},
            {"changed", changed, "is not a game file: its length word gives *"},
            {"missing", "", "cannot be read: No such file or directory"}};
        for (size_t at = 8; at + 8 <= bytes.size();) {
            uint32_t length = 0;
            for (int i = 0; i < 4; ++i) length |= uint32_t(uint8_t(bytes[at + 4 + size_t(i)])) << (8 * i);
            if (bytes.compare(at, 4, "GEN8") != 0) headless += bytes.substr(at, 8 + length);
            at += 8 + length;
            if (at < bytes.size())
                cases.emplace_back("cut" + std::to_string(at), bytes.substr(0, at), "is not a game file: its length word gives *");
        }
        cases.emplace_back("headerless", sized(headless), "is not a game file: it holds no header chunk");
        Expect(cases.size() > 10, "the game was cut at only " + std::to_string(cases.size() - 9) + " chunk boundaries");
        for (const auto& [name, file, reason] : cases) {
            std::string path = work + "/" + name + ".win";
            if (name != "missing") std::ofstream(path, std::ios::binary) << file;
            Run run = Play({.game = path, .exit = 1, .errors = true});
            bool prefix = reason.back() == '*';
            std::string line = path + " " + (prefix ? reason.substr(0, reason.size() - 1) : reason);
            InOrder(run.log, {prefix ? line + "*" : line, "+Failed to load the game"}, name);
            size_t lines = run.errors.size();
            Expect(lines >= 2 && run.errors[lines - 2].starts_with(line) && (prefix || run.errors[lines - 2] == line) &&
                       run.errors[lines - 1] == "Failed to load the game",
                   name + ": standard error does not end with the reason and the failure");
            for (const char* step : {"Get Resolution", "Create Window", "Process Chunk", "Free Variables", "minFPS"})
                Absent(run.log, step);
            Expect(!fs::exists(work + "/xdg"), name + ": something was saved");
        }
        // (what, arguments, environment, the line); without KELVARO_HEADLESS a desktop without zenity
        // or kdialog (an empty PATH) cannot ask.
        const Lines desktop = {"KELVARO_HEADLESS=0", "PATH=" + work + "/no-programs", "SDL_VIDEODRIVER=offscreen",
                               "ALSOFT_DRIVERS=null"};
        const std::string headlessLine = "No game file was named and a headless run cannot ask for one: use -game FILE";
        const std::string chooserLine = "No game file was chosen: use -game FILE";
        const std::tuple<const char*, Lines, Lines, std::string> unnamed[] = {
            {"no -game, headless", {}, {}, headlessLine},
            {"a bare file name, headless", {game}, {}, headlessLine},
            {"--help without a file chooser", {"--help"}, desktop, chooserLine},
            {"a bare file name without a file chooser", {game}, desktop, chooserLine}};
        for (const auto& [what, args, env, line] : unnamed) {
            Run run = Play({.args = args, .env = env, .game = "none", .exit = 1, .errors = true});
            InOrder(run.log, {line}, what);
            Expect(!run.errors.empty() && run.errors.back() == line,
                   std::string(what) + ": standard error does not end with " + line);
            for (const char* step : {"Get Resolution", "Free Variables", "minFPS"}) Absent(run.log, step);
        }
    }};
    // Each kind of ending gives its exit code: 0 for the endings games have, 1 for a start that
    // failed, 255 for a fatal error while playing. The window closed (SIGTERM, as a desktop's close
    // does), Ctrl+C (SIGINT) and a closed terminal (SIGHUP) are endings like game_end, with the
    // shut-down.
    s["exit-codes"] = {.play = false, .more = [=](Run&) {
        const std::tuple<const char*, const char*, std::string, std::string, int, const char*> endings[] = {
            {"game_end", "source", "game_end();", "", 0, "Run_Start"},
            {"past the last room", "source", "room_goto_next();", "", 255, "Moving to next room after the last room."},
            {"frame limit", "source", "", "", 0, "Run_Start"},
            {"fatal script error", "source", "room_goto(99);", "", 255, "ERROR!!!*"},
            {"fatal script error, compiled", "compiled", "room_goto(99);", "", 255,
             "ERROR!!!*"},
            {"memory exhausted", "source", "g = ds_grid_create(65536, 65537);", "", 255,
             "Fatal Memory Error: Out of Memory!"},
            {"vertex format made", "source", "vertex_format_begin(); vertex_format_add_position(); vertex_format_add_colour(); "
             "format = vertex_format_end(); game_end();", "", 0, "Free Vertex Formats"},
            {"no screen", "source", "", R"("header": {"windowWidth": 320, "windowHeight": -1, "roomOrder": [0]}, )", 1,
             "Kelvaro: Unable to create a screen that is 320 x -1 - please ensure settings are correct"},
            {"compile error at load", "source", "x = ;", "", 1, "Failed to prepare the game"},
            {"fatal shader error at load", "source", "", BAD_SHADER, 1,
             "A fatal error was reported while the game was loaded"},
            {"extension not initialised", "source", "",
             R"("extensions": [{"name": "Helper", "folder": "Helper", "files": [{"name": "helper.script", "kind": 2, )"
             R"("init": "helper_start"}]}], )",
             1, "The extensions could not be initialised; the game ends."}};
        int n = 0;
        for (const auto& [what, form, create, more, exit, line] : endings) {
            std::string name = "end" + std::to_string(n++);
            Run run = Play({.frames = 3, .args = {"-debugoutput", work + "/" + name + ".log"},
                            .game = BuildGame(name, 10, form, create, "", "", more), .exit = exit, .errors = true});
            InOrder(run.log, {line}, what);
            Expect(run.exit == exit, std::string(what) + ": exit code " + std::to_string(run.exit));
            // A start that failed says why last on standard error, after the error's report (without
            // the caption of its box).
            std::string reason = std::string(line).starts_with("Kelvaro: ") ? std::string(line).substr(9) : line;
            if (exit == 1)
                Expect(!run.errors.empty() && run.errors.back() == reason,
                       std::string(what) + ": standard error does not end with the failure");
            // Three frames are too few to measure frame rates: none are printed.
            Absent(run.log, "minFPS");
        }
        std::string game = BuildGame("closed", 10, "source", "", "");
        for (int number : {SIGTERM, SIGINT, SIGHUP}) {
            std::string what = std::string("signal ") + strsignal(number);
            pid_t pid = E2E_Spawn({g_Kelvaro, "-debugoutput", work + "/main.log", "-game", game},
                                  {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=100000000", "XDG_DATA_HOME=" + work + "/xdg"},
                                  g_Work);
            // A run that did not start has no process to end (kill(-1) would end every process of ours).
            if (!Expect(pid > 0, what + ": cannot start " + g_Kelvaro)) continue;
            for (int tries = 0; tries < 600 && !Has(ReadLines(g_Work / "run.log"), "Entering main loop."); ++tries)
                usleep(50000);
            kill(pid, number);
            int closed = Wait(pid);
            Expect(closed == 0, what + ": exit code " + std::to_string(closed));
            InOrder(ReadLines(g_Work / "run.log"), {"Entering main loop.", "Save Achievement Cache"}, what);
        }
    }};
    // Memory the system refuses (here a data limit, as strict overcommit or a container's limit would)
    // ends a game that keeps texts with the out-of-memory message and exit code -1, never a signal:
    // small texts, texts of a megabyte, and texts too large to share the allocator's segments.
    s["memory-refused"] = {.play = false, .more = [=](Run&) {
        for (int doublings : {10, 20, 25}) {
            std::string what = "texts of 2^" + std::to_string(doublings) + " bytes";
            std::string create = KeepTexts(doublings);
            Run run = Play({.frames = 2, .args = {"--data=900000000", g_Kelvaro}, .output = true,
                            .game = BuildGame("keep" + std::to_string(doublings), 10, "source", create, ""),
                            .program = "/usr/bin/prlimit", .exit = ANY});
            Expect(run.exit == 255, what + ": exit code " + std::to_string(run.exit));
            InOrder(run.log, {"Fatal Memory Error: Out of Memory!"}, what);
            Expect(!Has(run.output, "kept"), what + ": 2 GB of texts were kept under a limit of 900 MB");
        }
        // Blocks too large to share the allocator's segments, made until the data limits that job
        // schedulers set run out: grids of 2000 x 2000 (BLOCK=0) and buffers just over the allocator's
        // steps. The commit of each is asked for before it is made, never written into when refused.
        std::string blocks = BuildGame("blocks", 10, "source",
                                       "size = real(environment_get_variable(\"BLOCK\"));\nn = 0;\nrepeat (1000) {\n"
                                       "    if (size == 0) g[n] = ds_grid_create(2000, 2000);\n"
                                       "    else b[n] = buffer_create(size, buffer_fixed, 1);\n    n += 1;\n}\n"
                                       "show_debug_message(\"kept \" + string(n));\n",
                                       "");
        constexpr long MiB = 1 << 20;
        for (long size : {0L, 16 * MiB + 1, 32 * MiB + 1, 48 * MiB + 1, 64 * MiB + 1, 96 * MiB + 1, 200000000L}) {
            for (const char* limit : {"--data=1000000000", "--data=1500000000"}) {
                std::string what = "blocks of " + (size == 0 ? std::string("a 2000 x 2000 grid") : std::to_string(size)) +
                                   ", " + limit;
                Run run = Play({.frames = 2, .args = {limit, g_Kelvaro}, .env = {"BLOCK=" + std::to_string(size)},
                                .output = true, .game = blocks, .program = "/usr/bin/prlimit", .exit = ANY});
                Expect(run.exit == 255, what + ": exit code " + std::to_string(run.exit));
                InOrder(run.log, {"Fatal Memory Error: Out of Memory!"}, what);
                Expect(!Has(run.output, "kept"), what + ": a thousand blocks were kept");
            }
        }
    }};
    // Under an address-space limit (ulimit -v) the script heap takes a smaller range: a game plays there
    // with the memory figures it has without a limit, and one that keeps more than the range holds ends
    // as memory exhausted; where not even the smallest range is left, the start is refused. A fatal
    // memory end says so on standard output and last on standard error, the sound's device closed
    // (the audio library complains at exit of one left open).
    s["memory-limits"] = {.play = false, .more = [=](Run&) {
        const std::string fatal = "Fatal Memory Error: Out of Memory!";
        const std::string refused = "The game cannot start: not even 128 MB of address space can be reserved for "
                                    "its memory (the address-space limit, as ulimit -v sets, is too low)";
        std::string plays = BuildGame("plays", 10, "source", "show_debug_message(\"playing\");\n", "");
        std::string keeps = BuildGame("keeps", 10, "source", KeepTexts(20), "");
        auto figuresOf = [](const Lines& log) {
            Lines figures;
            for (const std::string& line : log)
                if (line.starts_with("Total memory used")) figures.push_back(line);
            return figures;
        };
        Lines figures = figuresOf(Play({.frames = 2, .game = plays}).log);
        const std::tuple<const char*, const char*, const std::string*, int, const std::string*> cases[] = {
            {"3 GB of address space", "--as=3000000000", &plays, 0, nullptr},
            {"2 GB of address space", "--as=2000000000", &plays, 0, nullptr},
            {"2 GB of address space, 2 GB of texts", "--as=2000000000", &keeps, 255, &fatal},
            {"300 MB of address space", "--as=300000000", &plays, 1, &refused},
            // Too little for the smallest range, whatever the process's own allocator has left
            // beside it; and memory refused before main, by the libraries' own start, ends with the
            // fatal line alone (the program's log is not made yet), never a signal.
            {"100 MB of address space", "--as=100000000", &plays, 1, &refused},
            {"240 MB of address space", "--as=240000000", &plays, 1, &refused},
            {"256 MB of address space", "--as=256000000", &plays, 1, &refused},
            {"370 MB of address space", "--as=370000000", &plays, 1, &refused},
            {"390 MB of address space", "--as=390000000", &plays, 1, &refused},
            {"72 MB of address space, before main", "--as=72000000", &plays, 255, &fatal},
            {"900 MB of data, 2 GB of texts", "--data=900000000", &keeps, 255, &fatal}};
        for (const auto& [what, limit, game, exit, last] : cases) {
            Run run = Play({.frames = 2, .args = {limit, g_Kelvaro}, .output = true, .game = *game,
                            .program = "/usr/bin/prlimit", .exit = ANY, .errors = true});
            Expect(run.exit == exit, std::string(what) + ": exit code " + std::to_string(run.exit));
            Expect(!Has(run.errors, "device not closed"), std::string(what) + ": the audio device was left open");
            if (last == nullptr) {
                Expect(Has(run.output, "playing") && figuresOf(run.log) == figures && !figures.empty(),
                       std::string(what) + ": the game did not play with the memory figures of a run without limit");
                continue;
            }
            InOrder(run.log, {*last}, what);
            Expect(!run.errors.empty() && run.errors.back() == *last,
                   std::string(what) + ": standard error does not end with " + *last);
            Expect(!Has(run.output, "kept"), std::string(what) + ": 2 GB of texts were kept");
        }
    }};
    // The demo under every limit of the bands where the graphics driver, its shader compiler and the
    // sound library once ran out of memory as they started (they do not check their allocations), in
    // steps of 4 MB, headless or in a real window: it plays (0), its start is refused with the reason
    // (1), or it ends as memory exhausted (255), never by a signal and never hanging (the first hang ends
    // the scenario). Pinned to two processors, which start fewer drawing threads, the top of each band
    // plays. Then each check is what refuses its own start where the ones before fitted: the driver's
    // with the game's window; and, with the game waiting just before a shader program or a text box
    // until its data limit leaves it a few MiB, less than that check asks (24 MiB for the first
    // program, 8 for a later one, 24 and more for a context), the device's program ends the game as
    // memory exhausted before it draws on, and the box, refused, leaves the game playing.
    s["device-memory"] = {.play = false, .more = [](Run&) {
        const char* display = std::getenv("DISPLAY");
        bool windowed = display != nullptr && display[0] != '\0';
        const std::string where = windowed ? " in a window" : "";
        const std::string fatal = "Fatal Memory Error: Out of Memory!";
        const std::string hung = " (still running after " + std::to_string(RUN_SECONDS) + " s: killed)";
        Lines env = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=30", "KELVARO_NO_WAIT=1"};
        if (windowed) env = InAWindow(env);
        Lines limits;
        for (long megabytes = 100; megabytes <= 440; megabytes += 4)
            limits.push_back("--data=" + std::to_string(megabytes * 1000000));
        for (long mebibytes = 400; mebibytes <= 840; mebibytes += 4)
            limits.push_back("--as=" + std::to_string(mebibytes << 20));
        std::vector<LimitedRun> swept = PlayUnderLimits(limits, env, {});
        for (const LimitedRun& run : swept) {
            std::string what = run.limit + where;
            Expect(run.exit == 0 || run.exit == 1 || run.exit == 255,
                   what + ": exit code " + std::to_string(run.exit) + (run.exit == -1 ? hung : ""));
            if (run.exit == 1)
                Expect(std::any_of(run.errors.begin(), run.errors.end(), IsMemoryRefusal),
                       what + ": a refused start that gives no reason");
            if (run.exit == 255)
                Expect(!run.errors.empty() && run.errors.back() == fatal,
                       what + ": exit code 255 without the fatal line last on standard error");
        }
        if (!swept.empty() && swept.back().exit == -1) return;
        for (const LimitedRun& run : PlayUnderLimits({"--data=440000000", "--as=" + std::to_string(840L << 20)}, env,
                                                     TwoProcessors()))
            Expect(run.exit == 0, run.limit + " on two processors: exit code " + std::to_string(run.exit));
        for (const LimitedRun& run : PlayUnderLimits({"--as=" + std::to_string(500L << 20)}, env, {}))
            Expect(run.exit == 1 &&
                       Has(run.log, "The game's window cannot be made: the process's memory limits leave "
                                    "too little for the graphics driver"),
                   run.limit + where +
                       ": the game's window was not refused for the driver's room (exit code " +
                       std::to_string(run.exit) + ")");
        // A drawing read back at once, its program compiled there.
        const std::string draw = "draw_rectangle(0, 0, 8, 8, false);\ndraw_getpixel(0, 0);\n";
        const std::string drew = "show_debug_message(\"drew\");\n";
        // What is checked, the game's create code, the MiB left it as it waits (the box's game plays on, so
        // it keeps room for a later program), whether it runs as a player sees it (boxes open only there:
        // in a window, not headless), its exit code and a line of its log.
        const std::tuple<const char*, std::string, long, bool, int, std::string> rows[] = {
            {"the first shader program", WAIT_FOR_LIMIT + draw + drew, 4, false, 255, fatal},
            {"a later shader program",
             draw + "s = surface_create(8, 8);\n" + WAIT_FOR_LIMIT +
                 "draw_surface(s, 0, 0);\ndraw_getpixel(0, 0);\n" + drew,
             4, false, 255, fatal},
            {"a text box's graphics context", draw + WAIT_FOR_LIMIT + "get_string_async(\"Name?\", \"x\");\n",
             16, true, 0,
             "Dialog window could not be made: the process's memory limits leave too little for its graphics "
             "context"}};
        int n = 0;
        for (const auto& [what, create, left, box, exit, line] : rows) {
            if (box && !windowed) continue;
            LimitedRun run =
                PlayPastWait(BuildGame("wait" + std::to_string(n++), 10, "source", create, ""), left,
                             box ? InAWindow({"KELVARO_MAX_FRAMES=30", "KELVARO_NO_WAIT=1"}) : env);
            std::string at = std::string(what) + ", " + run.limit + where;
            Expect(run.exit == exit, at + ": exit code " + std::to_string(run.exit));
            Expect(Has(run.log, line), at + ": no \"" + line + "\"");
            if (exit == 255)
                Expect(!Has(run.log, "drew") && !run.errors.empty() && run.errors.back() == fatal,
                       at + ": it drew past the refused program, or the fatal line is not last");
        }
    }};
    // In a real window (run on an X server of its own, as xvfb-run gives), a message box, a question and
    // the error form each wait in a process of their own when a signal comes: SIGTERM, SIGINT and
    // SIGHUP end the game through the shut-down (exit code 0) and its box with it, and a game killed
    // outright takes its box along. (The boxes are gone when we, the reaper of orphans, find nothing
    // left to wait for.)
    s["box-signals"] = {.play = false, .more = [=](Run&) {
        const char* display = std::getenv("DISPLAY");
        if (!Expect(display != nullptr && display[0] != '\0', "no X server to play on")) return;
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        const std::string create = "show_debug_message(\"box opening\");\n"
                                   "switch (environment_get_variable(\"BOX_KIND\")) {\n"
                                   "case \"message\": show_message(\"Hello\"); break;\n"
                                   "case \"question\": show_question(\"Go on?\"); break;\n"
                                   "case \"error\": show_error(\"Bad thing\", false); break;\n}\n";
        std::string game = BuildGame("box", 10, "source", create, "");
        const std::tuple<const char*, int, int> cases[] = {
            {"message", SIGTERM, 0}, {"question", SIGINT, 0}, {"error", SIGHUP, 0}, {"message", SIGKILL, 128 + SIGKILL}};
        for (const auto& [kind, number, exit] : cases) {
            std::string what = std::string(kind) + ", " + strsignal(number);
            fs::remove(g_Work / "out.log");
            pid_t pid = E2E_Spawn({g_Kelvaro, "-debugoutput", work + "/box.log", "-game", game, "-output",
                                   (g_Work / "out.log").string()},
                                  InAWindow({"KELVARO_NO_WAIT=1", std::string("BOX_KIND=") + kind}),
                                  g_Work, true);
            if (!Expect(pid > 0, what + ": the game did not start")) continue;
            std::vector<pid_t> boxes;
            for (int tries = 0; tries < 400 && boxes.empty(); ++tries) {
                usleep(50000);
                if (Has(ReadLines(g_Work / "out.log"), "box opening")) boxes = ChildrenOf(pid);
            }
            if (!Expect(!boxes.empty(), what + ": no box process was seen")) {
                kill(pid, SIGKILL);
                WaitAtMost(pid, 10);
                continue;
            }
            kill(pid, number);
            int ended = WaitAtMost(pid, 30);
            Expect(ended == exit, what + ": exit code " + std::to_string(ended));
            if (number != SIGKILL) InOrder(ReadLines(g_Work / "run.log"), {"Entering main loop.", "Save Achievement Cache"}, what);
            for (pid_t box : boxes) {
                int boxEnd = WaitAtMost(box, 10);
                Expect(boxEnd != -1, what + ": the box process " + std::to_string(box) + " outlived the game");
            }
        }
    }};
    // In a real window with the debug form open, the X connection is lost (a window manager's kill):
    // the process ends on its own instead of hanging at exit on the dead connection. (30 s is a hang
    // detector, not a measure of speed.)
    s["lost-display"] = {.play = false, .more = [=](Run&) {
        const char* display = std::getenv("DISPLAY");
        if (!Expect(display != nullptr && display[0] != '\0', "no X server to play on")) return;
        const fs::path tool = g_Work / "tool";
        fs::create_directories(tool);
        // The windows of a process, by xdotool.
        auto windowsOf = [&](pid_t pid) {
            pid_t search = E2E_Spawn({"/usr/bin/xdotool", "search", "--pid", std::to_string(pid)}, {}, tool, true);
            WaitAtMost(search, 10);
            return ReadLines(tool / "run.log");
        };
        std::string game = BuildGame("lost", 10, "source", "", "");
        // Xlib ends the process in the middle of play, its tables full: no leak check at that exit.
        pid_t pid = E2E_Spawn({g_Kelvaro, "-debug", "-game", game},
                              InAWindow({"KELVARO_MAX_FRAMES=100000000", "ASAN_OPTIONS=detect_leaks=0"}),
                              g_Work, true);
        if (!Expect(pid > 0, "cannot start " + g_Kelvaro)) return;
        Lines windows;
        for (int tries = 0; tries < 400 && windows.size() < 2; ++tries) {
            usleep(50000);
            if (Has(ReadLines(g_Work / "run.log"), "Entering main loop.")) windows = windowsOf(pid);
        }
        if (!Expect(windows.size() >= 2, "the game's window and its debug form were not seen")) {
            kill(pid, SIGKILL);
            WaitAtMost(pid, 10);
            return;
        }
        pid_t killer = E2E_Spawn({"/usr/bin/xdotool", "windowkill", windows.front()}, {}, tool, true);
        Expect(WaitAtMost(killer, 10) == 0, "xdotool windowkill failed");
        int ended = WaitAtMost(pid, 30);
        Expect(ended != -1, "the game still ran 30 s after its X connection was lost");
        Expect(ended < 128, "the game was ended by signal " + std::to_string(ended - 128));
        InOrder(ReadLines(g_Work / "run.log"), {"Create Debug Form", "Entering main loop."});
        ExpectNoSanitizerReport(ReadLines(g_Work / "run.log"));
    }};
    // Termination signals once the game's end is under way: one alone, or a second, does not cut its
    // game end event's writes short (a 5 MB text file, or 70 lines written over 7 s, then an INI file)
    // and a third ends the process at once; before the end began (a script looping without end) the
    // second still does. The game end event waits for a file "go" in the game's folder, so each signal
    // comes while it runs.
    s["end-signals"] = {.play = false, .more = [=](Run&) {
        const std::string create = "if (environment_get_variable(\"LOOP\") == \"1\") {\n"
                                   "    show_debug_message(\"a script loops\");\n    while (true) {}\n}\n";
        const std::string ending = "show_debug_message(\"the game end event runs\");\nwhile (!file_exists(\"go\")) {}\n"
                                   "lines = real(environment_get_variable(\"LINES\"));\n"
                                   "pause = real(environment_get_variable(\"PAUSE\"));\n"
                                   "f = file_text_open_write(\"big.txt\");\n"
                                   "for (i = 0; i < lines; i += 1) {\n"
                                   "    file_text_write_string(f, string_repeat(\"0123456789\", 10));\n"
                                   "    file_text_writeln(f);\n    if (pause > 0) sleep(pause);\n}\n"
                                   "file_text_close(f);\n"
                                   "ini_open(\"end.ini\");\nini_write_real(\"end\", \"done\", 1);\nini_close();\n";
        std::string game = BuildGame("ending", 3, "source", create, ending);
        const fs::path saves = g_Work / "xdg" / "Game";
        // (what, loop in the create event, the signals, whether "go" is written, ended by a signal,
        // the lines the game end event writes and its pause after each in ms)
        const std::tuple<const char*, bool, std::vector<int>, bool, bool, int, int> cases[] = {
            {"Ctrl+C twice while ending", false, {SIGINT, SIGINT}, true, false, 50000, 0},
            {"SIGTERM, then SIGHUP while ending", false, {SIGTERM, SIGHUP}, true, false, 50000, 0},
            {"SIGTERM alone, an end of 7 s", false, {SIGTERM}, true, false, 70, 100},
            {"SIGINT alone, an end of 7 s", false, {SIGINT}, true, false, 70, 100},
            {"three signals while ending", false, {SIGTERM, SIGINT, SIGHUP}, false, true, 50000, 0},
            {"twice in a script looping without end", true, {SIGTERM, SIGINT}, false, true, 50000, 0}};
        for (const auto& [what, loop, signals, go, killed, lines, pause] : cases) {
            fs::remove_all(saves);
            fs::remove(g_Work / "go");
            pid_t pid = E2E_Spawn({g_Kelvaro, "-game", game},
                                  {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=100000000", "KELVARO_NO_WAIT=1",
                                   "XDG_DATA_HOME=" + work + "/xdg", std::string("LOOP=") + (loop ? "1" : "0"),
                                   "LINES=" + std::to_string(lines), "PAUSE=" + std::to_string(pause)},
                                  g_Work, true);
            if (!Expect(pid > 0, std::string(what) + ": cannot start " + g_Kelvaro)) continue;
            auto await = [&](const char* line) {
                for (int tries = 0; tries < 600 && !Has(ReadLines(g_Work / "run.log"), line); ++tries) usleep(50000);
            };
            await(loop ? "a script loops" : "Entering main loop.");
            kill(pid, signals[0]);
            if (!loop) await("the game end event runs");
            for (size_t i = 1; i < signals.size(); ++i) kill(pid, signals[i]);
            if (go) std::ofstream(g_Work / "go") << "go";
            int ended = WaitAtMost(pid, 60);
            if (killed) {
                Expect(ended > 128, std::string(what) + ": exit code " + std::to_string(ended) + ", not ended by the signal");
                continue;
            }
            Expect(ended == 0, std::string(what) + ": exit code " + std::to_string(ended));
            ExpectNoSanitizerReport(ReadLines(g_Work / "run.log"), what);
            Lines big = ReadLines(saves / "big.txt");
            Expect(big.size() == size_t(lines) && big.back().substr(0, 100) == big.front().substr(0, 100),
                   std::string(what) + ": big.txt holds " + std::to_string(big.size()) + " lines, not " +
                       std::to_string(lines));
            Expect(Has(ReadLines(saves / "end.ini"), "done"), std::string(what) + ": end.ini was not written");
        }
        // One signal alone, where the game never comes back to its loop, after it wrote 2,000 lines to
        // a file it left open. A script looping without end, writing line by line or sleeping is
        // ended where the executors look, 2 s after the signal, before the deadline; a game thread
        // blocked outside the engine (opening a pipe no one writes) at the deadline, 4 s after it.
        // Either way the process ends by the signal, every whole line written in the file. A SIGALRM
        // alone keeps its default meaning.
        const std::string waits = "f = file_text_open_write(\"written.txt\");\nwait = environment_get_variable(\"WAIT\");\n"
                                  "for (i = 0; i < 2000; i += 1) {\n"
                                  "    file_text_write_string(f, \"kept\");\n    file_text_writeln(f);\n}\n"
                                  "show_debug_message(\"the game waits\");\n"
                                  "if (wait == \"pipe\") file_text_open_read(\"pipe\");\n"
                                  "while (wait == \"sleep\") sleep(1000);\n"
                                  "while (wait == \"lines\") {\n"
                                  "    file_text_write_string(f, \"kept\");\n    file_text_writeln(f);\n"
                                  "    repeat (1000) {}\n}\n"
                                  "while (true) {}\n";
        std::string waiting = BuildGame("waits", 3, "source", waits, "");
        mkfifo((g_Work / "pipe").c_str(), 0600);
        // (what, how it waits, the switch, the signal, ended within that many seconds)
        const std::tuple<const char*, const char*, const char*, int, double> alone[] = {
            {"SIGTERM, a script looping without end", "loop", "", SIGTERM, 3.5},
            {"SIGINT, a script looping without end", "loop", "", SIGINT, 3.5},
            {"SIGTERM, a script sleeping in a loop", "sleep", "", SIGTERM, 3.5},
            {"SIGTERM, a loop of the tree-walking executor", "loop", "-oldexec", SIGTERM, 3.5},
            {"SIGINT, the tree-walking executor writing line by line", "lines", "-oldexec", SIGINT, 3.5},
            {"SIGHUP, the game thread blocked opening a pipe", "pipe", "", SIGHUP, 5},
            {"SIGALRM alone", "loop", "", SIGALRM, 1}};
        for (const auto& [what, wait, option, number, within] : alone) {
            fs::remove_all(saves);
            Lines args = {g_Kelvaro, "-game", waiting};
            if (option[0] != '\0') args.push_back(option);
            pid_t pid = E2E_Spawn(args,
                                  {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=100000000", "KELVARO_NO_WAIT=1",
                                   "XDG_DATA_HOME=" + work + "/xdg", std::string("WAIT=") + wait},
                                  g_Work, true);
            if (!Expect(pid > 0, std::string(what) + ": cannot start " + g_Kelvaro)) continue;
            for (int tries = 0; tries < 600 && !Has(ReadLines(g_Work / "run.log"), "the game waits"); ++tries)
                usleep(50000);
            usleep(200000);
            auto signalled = std::chrono::steady_clock::now();
            kill(pid, number);
            int ended = WaitAtMost(pid, 5);
            double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
            Expect(ended == 128 + number, std::string(what) + ": exit code " + std::to_string(ended) +
                                              (ended == -1 ? " (still running 5 s after the signal)" : ""));
            Expect(took < within, std::string(what) + ": ended " + std::to_string(took) + " s after the signal");
            if (number == SIGALRM) continue;
            Lines written = ReadLines(saves / "written.txt");
            Expect(written.size() >= 2000 && std::all_of(written.begin(), written.end(),
                                                         [](const std::string& line) { return line == "kept\r"; }),
                   std::string(what) + ": written.txt holds " + std::to_string(written.size()) +
                       " lines, not 2,000 or more whole ones");
        }
    }};
    // A termination signal ends the wait of execute_program(..., true), and the game ends as ever;
    // the program it waited for runs on.
    s["program-wait-signal"] = {.play = false, .more = [=](Run&) {
        std::string game = BuildGame("waiting", 10, "source",
                                     "show_debug_message(\"waiting\");\nexecute_program(\"sleep\", \"600\", true);\n"
                                     "show_debug_message(\"waited\");\n", "");
        pid_t pid = E2E_Spawn({g_Kelvaro, "-debugoutput", work + "/wait.log", "-game", game},
                              {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=100000000", "XDG_DATA_HOME=" + work + "/xdg"},
                              g_Work, true);
        if (!Expect(pid > 0, "cannot start " + g_Kelvaro)) return;
        std::vector<pid_t> programs;
        for (int tries = 0; tries < 600 && programs.empty(); ++tries) {
            usleep(50000);
            if (Has(ReadLines(g_Work / "run.log"), "waiting")) programs = ChildrenOf(pid);
        }
        Expect(programs.size() == 1, "the program waited for was not seen");
        kill(pid, SIGTERM);
        int ended = WaitAtMost(pid, 30);
        Expect(ended == 0, "exit code " + std::to_string(ended) + " (-1: still waiting 30 s after SIGTERM)");
        InOrder(ReadLines(g_Work / "run.log"), {"waiting", "waited", "Save Achievement Cache"}, "the log");
        ExpectNoSanitizerReport(ReadLines(g_Work / "run.log"));
        for (pid_t program : programs) {
            Expect(kill(program, 0) == 0, "the program waited for did not outlive the game");
            kill(program, SIGKILL);
        }
    }};
    // Standard output closed, or a pipe whose reader has gone (`kelvaro ... | head -1`): the log's
    // writes to it stop, and the game plays to its last frame and ends as ever.
    s["closed-output"] = {.play = false, .more = [=](Run&) {
        std::string game = BuildGame("piped", 10, "source", "show_debug_message(\"created\");", "");
        for (bool reader : {true, false}) {
            std::string what = reader ? "a pipe whose reader has gone" : "standard output closed";
            fs::remove(g_Work / "piped.log");
            int ends[2];
            if (!Expect(pipe(ends) == 0, "no pipe")) return;
            Lines args = {g_Kelvaro, "-debugoutput", work + "/piped.log", "-game", game};
            Lines environment = E2E_Environment({"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=30", "KELVARO_NO_WAIT=1",
                                                 "XDG_DATA_HOME=" + work + "/xdg"});
            std::vector<char*> argv, envp;
            for (std::string& text : args) argv.push_back(text.data());
            for (std::string& text : environment) envp.push_back(text.data());
            argv.push_back(nullptr), envp.push_back(nullptr);
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 2, (g_Work / "errors.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (reader) posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
            else posix_spawn_file_actions_addclose(&actions, 1);
            posix_spawn_file_actions_addclose(&actions, ends[0]);
            posix_spawn_file_actions_addclose(&actions, ends[1]);
            close(ends[0]); // the reader goes before the game writes its first line
            pid_t pid = 0;
            int spawned = posix_spawn(&pid, g_Kelvaro.c_str(), &actions, nullptr, argv.data(), envp.data());
            posix_spawn_file_actions_destroy(&actions);
            close(ends[1]);
            if (!Expect(spawned == 0, what + ": cannot start " + g_Kelvaro)) continue;
            int ended = WaitAtMost(pid, 60);
            Expect(ended == 0, what + ": exit code " + std::to_string(ended));
            InOrder(ReadLines(g_Work / "piped.log"), {"Entering main loop.", "Save Achievement Cache"}, what);
            ExpectNoSanitizerReport(ReadLines(g_Work / "errors.log"), what);
        }
    }};
    // In a real window: the debug form opens wholly beside a 640 x 480 game wherever the screen holds
    // both side by side (the game's window moved aside where it must be), measured by the frames the
    // window manager really gave them; beside a game as large as the screen it stays on the screen,
    // stacked above the game. Read once the game has stepped ten times.
    s["form-beside"] = {.play = false, .more = [=](Run&) {
        E2EScreen screen;
        if (!Expect(screen.Open(), "no X server to play on")) return;
        // The same game, larger than any screen: its window takes the whole screen.
        std::string manifest = ReadBytes(KELVARO_SOURCE_DIR "/tests/e2e/games/window640/game.json");
        for (const auto& [from, to] : {std::pair(": 640,", ": 4000,"), std::pair(": 480", ": 3000")})
            for (size_t at = manifest.find(from); at != std::string::npos; at = manifest.find(from, at))
                manifest.replace(at, std::strlen(from), to);
        fs::create_directories(work + "/huge");
        std::ofstream(work + "/huge/game.json") << manifest;
        const ScreenRect bounds = screen.Bounds();
        const std::tuple<std::string, std::string, bool> games[] = {{"a 640 x 480 game", game, true},
                                                                    {"a game as large as the screen", BuildFolder(work + "/huge"), false}};
        for (const auto& [what, file, room] : games) {
            fs::remove(g_Work / "out.log");
            pid_t pid = E2E_Spawn({g_Kelvaro, "-debug", "-game", file, "-output", (g_Work / "out.log").string()},
                                  InAWindow(), g_Work, true);
            if (!Expect(pid > 0, what + ": cannot start " + g_Kelvaro)) continue;
            for (int tries = 0; tries < 600 && !Has(ReadLines(g_Work / "out.log"), "ten steps"); ++tries) usleep(50000);
            std::vector<ScreenWindow> games = screen.Find("Window test"), forms = screen.Find("Kelvaro Debugger");
            if (Expect(games.size() == 1 && forms.size() == 1, what + ": the game's window and the form are not both shown")) {
                ScreenRect g = screen.Frame(games[0]), f = screen.Frame(forms[0]);
                std::string where = what + ": the game at " + g.Text() + ", the form at " + f.Text() + " on " + bounds.Text();
                Expect(f.left >= 0 && f.top >= 0 && f.right <= bounds.right && f.bottom <= bounds.bottom, where + ": the form is off the screen");
                // The gap between them along the side where they do not overlap, at most the form's own 8 pixels.
                int gap = std::max({f.left - g.right, g.left - f.right, f.top - g.bottom, g.top - f.bottom});
                if (room)
                    Expect(gap >= 0 && gap <= 8, where + ": the form is not wholly beside the game");
                else
                    Expect(screen.StackedAbove(forms[0], games[0]), where + ": the form is beneath the game");
            }
            kill(pid, SIGTERM);
            int ended = WaitAtMost(pid, 30);
            Expect(ended == 0, what + ": exit code " + std::to_string(ended));
        }
    }};
    // In a real window with the debug form open, on the screens and managers of the window tests'
    // table: keys reach the game at start without a click, wherever the form stands; a click gives
    // the form the keyboard. Full screen fills the screen, with a manager or without; after it, and
    // after window_set_size, the form and the game are placed as at start, and the form's Pause,
    // clicked where the screen shows it, stops the game's steps and Run lets them go on.
    s["form-changes"] = {.play = false, .more = [=](Run&) {
        E2EScreen x;
        if (!Expect(x.Open(), "no X server to play on")) return;
        std::string xdotool = XdoTool();
        if (xdotool.empty()) return;
        FormTest test{x, xdotool, g_Work / "out.log", {}};
        pid_t pid = E2E_Spawn({g_Kelvaro, "-debug", "-game", game, "-output", test.output.string()}, InAWindow(),
                              g_Work, true);
        if (!Expect(pid > 0, "cannot start " + g_Kelvaro)) return;
        bool started = WaitUntil(60, [&] { return Has(test.Output(), "step 10") && test.Look(); });
        if (Expect(started, "the game's window and the form are not both shown")) {
            const int width = test.scene.game.width, height = test.scene.game.height;
            Expect(test.PressUntil("space", "space"),
                   "keys did not reach the game before any click (the keyboard is with " + std::to_string(x.Focused()) +
                       ", the form is " + std::to_string(test.scene.form.id) + ")");
            Expect(test.ClickToFocus(test.scene.form, test.scene.form.width - 40, 47),
                   "a click on the form did not give it the keyboard");
            test.FocusGame();
            Expect(test.PressUntil("f", "full screen on"), "the game did not go to full screen");
            test.ExpectSoon([&] { return test.FullScreenFault(); }, "full screen");
            Expect(test.PressUntil("w", "full screen off"), "the game did not leave full screen");
            test.ExpectSoon([&] { return test.PlacementFault(width, height); }, "after full screen and back");
            test.ExpectPauseAndRun();
            test.FocusGame();
            Expect(test.PressUntil("s", "sized"), "the game did not change its window's size");
            test.ExpectSoon([&] { return test.PlacementFault(600, 400); }, "after window_set_size");
            // The player moves the form away; a game that then sets its own size every step changes
            // nothing, and the form stays where it was moved.
            const std::string beside = test.scene.formFrame.Text();
            test.Do({"windowmove", std::to_string(test.scene.form.id), "20", "20"});
            bool moved = WaitUntil(20, [&] { return test.Look() && test.settled && test.scene.formFrame.Text() != beside; });
            const std::string away = test.scene.formFrame.Text();
            test.FocusGame();
            if (Expect(moved, "the form could not be moved from " + beside) &&
                Expect(test.PressUntil("r", "resizing"), "the game did not start setting its own size")) {
                // Watched for 30 steps: where the form was seen elsewhere, or not at all.
                const int from = LastStep(test.Output());
                std::string elsewhere;
                bool watched = WaitUntil(20, [&] {
                    if (!test.Look()) elsewhere = "nowhere";
                    else if (test.scene.formFrame.Text() != away) elsewhere = test.scene.formFrame.Text();
                    return !elsewhere.empty() || LastStep(test.Output()) >= from + 30;
                });
                Expect(elsewhere.empty(), "while the game set its own size every step the form moved from " + away +
                                              " to " + elsewhere);
                Expect(watched, "while the game set its own size every step its steps stopped at step " +
                                    std::to_string(LastStep(test.Output())));
            }
        }
        kill(pid, SIGTERM);
        int ended = WaitAtMost(pid, 30);
        Expect(ended == 0, "exit code " + std::to_string(ended));
    }};
    // In a real window: a game's window shown for a question of its create event, before its first
    // frame, shows the game's window colour (blue 128, green 64, red 32) and not what the screen held
    // under it (a red backdrop).
    s["first-picture"] = {.play = false, .more = [=](Run&) {
        E2EScreen screen;
        if (!Expect(screen.Open(), "no X server to play on")) return;
        screen.PaintBackdrop(0xFF0000);
        pid_t pid = E2E_Spawn({g_Kelvaro, "-game", game, "-output", (g_Work / "out.log").string()},
                              InAWindow({"KV_ASK=1"}),
                              g_Work, true);
        if (!Expect(pid > 0, "cannot start " + g_Kelvaro)) return;
        // The question's window is as small as dialogs are; the game's is 640 x 480.
        std::vector<ScreenWindow> shown;
        ScreenWindow window = 0;
        bool asking = false;
        for (int tries = 0; tries < 600 && !(asking && window != 0); ++tries) {
            usleep(50000);
            asking = Has(ReadLines(g_Work / "out.log"), "asking");
            shown = screen.Find("Window test");
            for (ScreenWindow candidate : shown)
                if (screen.Frame(candidate).Width() >= 640 && shown.size() == 2) window = candidate;
        }
        if (Expect(window != 0, "the game's window and its question are not both shown")) {
            ScreenRect g = screen.Frame(window);
            const std::pair<int, int> corners[] = {{g.left + 10, g.top + 10}, {g.right - 10, g.top + 10},
                                                   {g.left + 10, g.bottom - 10}, {g.right - 10, g.bottom - 10}};
            for (const auto& [x, y] : corners) {
                uint32_t colour = screen.Pixel(x, y);
                for (int tries = 0; tries < 100 && colour != 0x204080; ++tries) usleep(50000), colour = screen.Pixel(x, y);
                char text[16];
                std::snprintf(text, sizeof(text), "%06X", unsigned(colour));
                Expect(colour == 0x204080, "the game's window at (" + std::to_string(x) + "," + std::to_string(y) + ") shows " + text + ", not its colour 204080");
            }
        }
        kill(pid, SIGTERM);
        int ended = WaitAtMost(pid, 30);
        Expect(ended == 0, "exit code " + std::to_string(ended));
    }};
    // Behind a box the window shows the picture of the frame that opened it, never the one before: a
    // game clearing red and lime in turn without a frame wait opens each kind of box (and waits for a
    // program) after a red frame, and the window, read where no box covers it, is red.
    s["modal-last-frame"] = {.play = false, .more = [=](Run&) {
        E2EScreen x;
        if (!Expect(x.Open(), "no X server to play on")) return;
        fs::path folder = g_Work / "behind";
        fs::create_directories(folder);
        std::ofstream(folder / "step.script")
            << "if (kv_frames == 31) {\n"
               "    show_debug_message(\"box opening\");\n"
               "    switch (environment_get_variable(\"BOX_KIND\")) {\n"
               "    case \"message\": show_message(\"Behind me?\"); break;\n"
               "    case \"question\": show_question(\"Behind me?\"); break;\n"
               "    case \"string\": get_string(\"Behind me?\", \"red\"); break;\n"
               "    case \"error\": show_error(\"Behind me?\", false); break;\n"
               "    case \"program\": execute_program(\"/bin/sleep\", \"600\", true); break;\n"
               "    }\n"
               "}\n";
        std::ofstream(folder / "game.json")
            << R"({"header": {"windowWidth": 640, "windowHeight": 480, "displayName": "Behind", "roomOrder": [0]}, )"
            << R"("objects": [{"name": "obj_flash", "events": [{"type": "create", "source": "kv_frames = 0;"}, )"
            << R"({"type": "step", "subtype": 0, "file": "step.script"}, {"type": "draw", "source": )"
            << R"("kv_frames += 1; if (kv_frames mod 2 == 1) draw_clear(c_red) else draw_clear(c_lime);"}]}], )"
            << R"("rooms": [{"name": "room", "width": 640, "height": 480, "instances": [{"object": "obj_flash", "x": 0, "y": 0}]}]})";
        std::string behind = BuildFolder(folder);
        // (the kind, whether it opens a window of its own: the program is seen as our child's child)
        const std::pair<const char*, bool> kinds[] = {
            {"message", true}, {"question", true}, {"string", true}, {"error", true}, {"program", false}};
        for (const auto& [kind, window] : kinds) {
            fs::remove(g_Work / "out.log");
            pid_t pid = E2E_Spawn({g_Kelvaro, "-game", behind, "-output", (g_Work / "out.log").string()},
                                  InAWindow({"KELVARO_NO_WAIT=1", std::string("BOX_KIND=") + kind}),
                                  g_Work, true);
            if (!Expect(pid > 0, std::string(kind) + ": the game did not start")) continue;
            Screen screen;
            bool open = WaitUntil(20, [&, window = window] {
                screen = LookAtScreen(x, 640, 480);
                if (!screen.game || !Has(ReadLines(g_Work / "out.log"), "box opening")) return false;
                return window ? !screen.others.empty() : !ChildrenOf(pid).empty();
            });
            if (Expect(open, std::string(kind) + ": the box did not open over the game's window")) {
                std::optional<std::pair<int, int>> point = UncoveredPoint(screen);
                if (Expect(point.has_value(), std::string(kind) + ": the box covers the whole game window")) {
                    uint32_t colour = x.Pixel(screen.game->x + point->first, screen.game->y + point->second);
                    char text[16];
                    std::snprintf(text, sizeof(text), "%06X", unsigned(colour));
                    Expect(colour == 0xFF0000, std::string(kind) + ": behind the box the window shows " + text +
                                                   ", not the red of the frame that opened it");
                }
            }
            // The signal ends the game and its box; the program it waits for is ended by us.
            kill(pid, SIGTERM);
            for (pid_t child : ChildrenOf(pid)) kill(child, SIGTERM);
            int ended = WaitAtMost(pid, 30);
            Expect(ended == 0, std::string(kind) + ": exit code " + std::to_string(ended));
        }
    }};
    // A close asked for while the start's dialogs are open (a game asking three questions in its create
    // event, before its first frame, each dialog taking the keyboard as it opens) is kept: the dialogs
    // are answered, and the game then ends as a closed window ends it, with its game end event, without
    // a second close; also when the create event goes on to pump the window's messages itself (sleep)
    // before the loop is entered.
    s["close-during-dialogs"] = {.play = false, .more = [=](Run&) {
        E2EScreen x;
        if (!Expect(x.Open(), "no X server to play on")) return;
        std::string xdotool = XdoTool();
        if (xdotool.empty()) return;
        // (what, the create event's code after the questions)
        const std::pair<const char*, const char*> cases[] = {{"three questions", ""},
                                                             {"three questions, then a sleep", "sleep(100);\n"}};
        for (const auto& [what, after] : cases) {
            const std::string create = "for (i = 1; i <= 3; i += 1) {\n"
                                       "    show_debug_message(\"asking \" + string(i));\n"
                                       "    show_debug_message(\"answer \" + string(i) + \": \" + "
                                       "get_string(\"Question \" + string(i), \"default \" + string(i)));\n"
                                       "}\n" + std::string(after);
            std::string asks = BuildGame("asks", 3, "source", create, "show_debug_message(\"game end\");");
            fs::remove(g_Work / "out.log");
            pid_t pid = E2E_Spawn({g_Kelvaro, "-game", asks, "-output", (g_Work / "out.log").string()},
                                  InAWindow(), g_Work, true);
            if (!Expect(pid > 0, std::string(what) + ": the game did not start")) continue;
            unsigned long answered = 0; // the dialog window last answered
            for (int question = 1; question <= 3; ++question) {
                std::string n = std::to_string(question), dialog = std::string(what) + ": dialog " + n;
                Screen screen;
                bool open = WaitUntil(20, [&] {
                    screen = LookAtScreen(x, 64, 64);
                    return screen.game && Has(ReadLines(g_Work / "out.log"), "asking " + n) &&
                           !screen.others.empty() && screen.others.front().id != answered;
                });
                if (!Expect(open, dialog + " did not open")) break;
                if (question == 1) x.RequestClose(screen.game->id);
                answered = screen.others.front().id;
                // The dialog takes the keyboard itself, as the player types into it without a click.
                Expect(WaitUntil(20, [&] { return x.Focused() == answered; }), dialog + " did not take the keyboard");
                // Enter takes the dialog's default once its field has the keyboard, which it gets at its
                // first frame: Enter is pressed again until the answer comes.
                bool taken = WaitUntil(20, [&] {
                    if (Has(ReadLines(g_Work / "out.log"), "answer " + n + ": default " + n)) return true;
                    pid_t press = E2E_Spawn({xdotool, "key", "Return"}, {}, g_Work / "keys", true);
                    WaitAtMost(press, 10);
                    usleep(200000);
                    return false;
                });
                Expect(taken, dialog + " was not answered with its default");
            }
            int ended = WaitAtMost(pid, 20);
            Expect(ended == 0, std::string(what) + ": after its dialogs the game ran on or failed (exit code " +
                                   std::to_string(ended) + ")");
            InOrder(ReadLines(g_Work / "out.log"),
                    {"answer 1: default 1", "answer 2: default 2", "answer 3: default 3", "game end"}, what);
        }
    }};
    // In a real window, with a window manager and without, the pointer resting on the game: the press
    // of B opens a box (each kind in turn), which shows over the game's middle and takes the keyboard;
    // B is let go while the box has it, and Enter answers (after a typed text where the box asks for
    // one; Yes is the question's default). Then B reads as let go, and its next press reaches the game
    // as a press, twice in a row.
    s["box-keys"] = {.play = false, .more = [=](Run&) {
        E2EScreen x;
        if (!Expect(x.Open(), "no X server to play on")) return;
        std::string xdotool = XdoTool();
        if (xdotool.empty()) return;
        auto act = [&](Lines actions) {
            actions.insert(actions.begin(), xdotool);
            WaitAtMost(E2E_Spawn(actions, {}, g_Work / "keys", true), 10);
        };
        auto seen = [&](const std::string& line) { return Count(ReadLines(g_Work / "out.log"), line); };
        // One box opened by B and answered; false when the round cannot go on.
        auto round = [&](const std::string& what, const std::string& typed, const std::string& answer) {
            const int pressed = seen("B pressed"), answered = seen(answer), after = seen("after the answer B held");
            act({"keydown", "b"});
            Screen screen;
            bool open = Expect(WaitUntil(5, [&] { return seen("B pressed") > pressed; }),
                               what + ": the press of B did not reach the game") &&
                        Expect(WaitUntil(20, [&] {
                                   screen = LookAtScreen(x, 640, 480);
                                   return screen.game && !screen.others.empty() && x.Focused() == screen.others.back().id;
                               }), what + ": no box took the keyboard");
            if (!open) {
                act({"keyup", "b"});
                return false;
            }
            const ScreenNamedWindow &game = *screen.game, &box = screen.others.back();
            int dx = box.x + box.width / 2 - (game.x + game.width / 2), dy = box.y + box.height / 2 - (game.y + game.height / 2);
            Expect(std::abs(dx) <= game.width / 4 && std::abs(dy) <= game.height / 4,
                   what + ": the box at " + std::to_string(box.x) + "," + std::to_string(box.y) + " is not centred on the game at " +
                       std::to_string(game.x) + "," + std::to_string(game.y));
            act({"keyup", "b"});
            // The box's field has the keyboard from its first frame; what B typed there as it was held
            // is replaced.
            act({"sleep", "0.3"});
            // Keys are held as long as a hand holds them: a box reads its keys once a frame.
            if (!typed.empty()) act({"keydown", "ctrl+a", "sleep", "0.1", "keyup", "ctrl+a", "type", "--delay", "30", typed});
            act({"keydown", "Return", "sleep", "0.1", "keyup", "Return"});
            if (!Expect(WaitUntil(10, [&] { return seen(answer) > answered; }),
                        what + ": Enter did not answer with " + answer + " (the game's log ends " +
                            ReadLines(g_Work / "out.log").back() + ")"))
                return false;
            Expect(WaitUntil(10, [&] { return seen("after the answer B held") > after; }) &&
                       seen("after the answer B held 0") == after + 1,
                   what + ": B, let go while the box had the keyboard, still reads as held after the answer");
            return true;
        };
        // (the box, what is typed into it, the answer the game logs)
        const std::tuple<const char*, const char*, const char*> boxes[] = {
            {"string_async", "Ann", "answered Ann"}, {"integer_async", "42", "answered 42"},
            {"string", "Bo", "answered Bo"}, {"message", "", "answered message"}, {"question", "", "answered 1"}};
        for (const auto& [kind, typed, answer] : boxes) {
            fs::remove(g_Work / "out.log");
            pid_t pid = E2E_Spawn({g_Kelvaro, "-game", game, "-output", (g_Work / "out.log").string()},
                                  InAWindow({std::string("BOX_KIND=") + kind}), g_Work, true);
            if (!Expect(pid > 0, std::string(kind) + ": the game did not start")) continue;
            Screen screen;
            bool ready = WaitUntil(30, [&] { return (screen = LookAtScreen(x, 640, 480)).game && seen("ready") > 0; });
            if (Expect(ready, std::string(kind) + ": the game's window is not shown")) {
                act({"mousemove", std::to_string(screen.game->x + 10), std::to_string(screen.game->y + 10)});
                for (int n = 1; n <= 2 && round(std::string(kind) + ", box " + std::to_string(n), typed, answer); ++n) {}
                // After the last answer the next press reaches the game.
                int pressed = seen("B pressed");
                act({"keydown", "b", "sleep", "0.1", "keyup", "b"});
                Expect(WaitUntil(5, [&] { return seen("B pressed") > pressed; }),
                       std::string(kind) + ": after the boxes a press of B did not reach the game");
            }
            kill(pid, SIGTERM);
            int ended = WaitAtMost(pid, 30);
            Expect(ended == 0, std::string(kind) + ": exit code " + std::to_string(ended));
        }
    }};
    // Starts refused at load, each with the reason last on standard error: a compiled game naming a
    // function that does not exist; a game file of a later format (a newer header, chunks of kinds
    // not known here), whose shader that does not compile and function that does not exist are
    // then left unread, so that the refusal is what the player reads last.
    s["load-refusals"] = {.play = false, .more = [=](Run&) {
        const std::string missing = R"("linkNames": {"game_end": "kv_missing_function"}, )";
        fs::create_directories(work + "/later");
        std::ofstream(work + "/later/game.json")
            << R"({"header": {"version": 16, "displayName": null, "windowWidth": 64, "windowHeight": 64}, )"
            << R"("rawChunks": [{"tag": "LANG", "hex": "01000000"}, {"tag": "GLOB", "hex": "00000000"}], )"
            << BAD_SHADER
            << R"("objects": []})";
        const std::string later = BuildFolder(work + "/later");
        const std::string zzzz = R"("rawChunks": [{"tag": "ZZZZ", "hex": "01020304"}], )";
        const std::string unknown =
            BuildGame("unknown", 10, "compiled", "kv_count = 1; game_end();", "", "", missing + BAD_SHADER + zzzz);
        const std::string format = " is a game file of a format this run-time does not read: it holds a chunk ";
        // A game whose one raw chunk is malformed.
        auto malformed = [&](const std::string& tag, const std::string& hex) {
            fs::create_directories(work + "/" + tag);
            std::ofstream(work + "/" + tag + "/game.json")
                << R"({"header": {"windowWidth": 64, "windowHeight": 64}, "rawChunks": [{"tag": ")" << tag
                << R"(", "hex": ")" << hex << R"("}]})";
            return BuildFolder(work + "/" + tag);
        };
        const std::string badCount = (fs::path(g_Game).parent_path() / "badextensions.win").string();
        // A game whose one raw chunk has a tag that is not printable.
        const std::string unknownTag = work + "/unprintable.win";
        std::string retagged = ReadBytes(malformed("QQQQ", "01020304"));
        retagged.replace(retagged.find("QQQQ"), 4, std::string("\x00\x1B\x4D\xFF", 4));
        std::ofstream(unknownTag, std::ios::binary) << retagged;
        // The file offset of the body of a game's chunk `tag`, and the file's size, as refusals name them.
        auto bodyOf = [](const std::string& path, const char* tag) {
            const std::string bytes = ReadBytes(path);
            auto word = [&](size_t at) {
                uint32_t value = 0;
                for (size_t i = 0; i < 4; ++i) value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
                return value;
            };
            size_t at = 8;
            while (at + 8 <= bytes.size() && bytes.compare(at, 4, tag) != 0) at += 8 + word(at + 4);
            return at + 8;
        };
        auto n = [](size_t number) { return std::to_string(number); };
        auto sizeOf = [&](const std::string& path) { return n(fs::file_size(path)); };
        // The line refusing a count table whose entry 0 points to `to`, outside the file.
        auto pointsOutside = [&](const std::string& path, const char* tag, const char* to) {
            size_t body = bodyOf(path, tag);
            return std::string(tag) + ": the count table at file offset " + n(body) +
                   ": entry 0 (its pointer at file offset " + n(body + 4) + ") points to file offset " + to +
                   ", outside the file (" + sizeOf(path) + " bytes)";
        };
        const std::string variables = malformed("VARI", "01000000 02000000 03000000");
        const std::string scripts = malformed("SCPT", "01000000 08000000");
        const std::string sprites = malformed("SPRT", "00000100 08000000");
        const std::string objects = malformed("OBJT", "01000000 ffffff00");
        const std::string variablesLine = "VARI: entry 0 at file offset " + n(bodyOf(variables, "VARI")) +
                                          ": its reference count 2 is more than the code holds (0 bytes of bytecode)";
        const std::string scriptsLine = "SCPT: script 0 at file offset 8: its name at file offset 944653639 lies "
                                        "outside the file (" + sizeOf(scripts) + " bytes)";
        const size_t spriteBody = bodyOf(sprites, "SPRT");
        const std::string spritesLine = "SPRT: the count table at file offset " + n(spriteBody) +
                                        ": the pointer list of its 65536 entries at file offset " + n(spriteBody + 4) +
                                        " (262144 bytes) runs past the end of its chunk (8 bytes at file offset " +
                                        n(spriteBody) + ")";
        // (what, game, the last lines of standard error ("text*": any line beginning so), lines of the
        // log in order)
        const std::tuple<const char*, std::string, Lines, Lines> refusals[] = {
            {"a function that does not exist", BuildGame("missing", 10, "compiled", "game_end();", "", "", missing),
             {"Error on load", "Unable to find function kv_missing_function", "Failed to load the game"},
             {"ERROR!!! :: Error on load", "+Unable to find function kv_missing_function", "Failed to load the game"}},
            {"a later format", later,
             {"Failed to load the game", later + format + "LANG of a kind unknown here (its header version is 16; "
                                                          "this run-time reads versions up to 13)"},
             {"unknown Chunk LANG:*", "unknown Chunk GLOB:*",
              "Chunk SHDR is not read: the file holds a chunk LANG of an unknown kind", "Failed to load the game"}},
            {"an unknown chunk", unknown, {"Failed to load the game", unknown + format + "ZZZZ of a kind unknown here"},
             {"Chunk VARI is not read: the file holds a chunk ZZZZ of an unknown kind", "unknown Chunk ZZZZ:*",
              "Chunk SHDR is not read*", "Chunk FUNC is not read*", "Failed to load the game"}},
            // Malformed chunks, of the first pass and the second: what their readers logged, the chunk,
            // then the failure.
            {"a malformed chunk of the first pass", variables,
             {variablesLine, "Malformed Chunk VARI (file offset *", "Failed to load the game"},
             {variablesLine, "+Malformed Chunk VARI*", "Failed to load the game"}},
            {"a malformed chunk", scripts,
             {scriptsLine, "Malformed Chunk SCPT (file offset *", "Failed to load the game"},
             {scriptsLine, "+Malformed Chunk SCPT*", "Failed to load the game"}},
            // What lies outside its chunk or the file, named with the entry and where it lies: a record
            // pointer past the end of the file, a count raised past the chunk.
            {"a malformed count table", badCount,
             {pointsOutside(badCount, "EXTN", "2147483647"), "Malformed Chunk EXTN (file offset *",
              "Failed to load the game"},
             {"Malformed Chunk EXTN*", "Failed to load the game"}},
            {"a record pointer past the end", objects,
             {pointsOutside(objects, "OBJT", "16777215"), "Malformed Chunk OBJT (file offset *",
              "Failed to load the game"},
             {"Malformed Chunk OBJT*", "Failed to load the game"}},
            {"a count raised past its chunk", sprites,
             {spritesLine, "Malformed Chunk SPRT (file offset *", "Failed to load the game"},
             {spritesLine, "+Malformed Chunk SPRT*", "Failed to load the game"}},
            // A tag that is not printable is shown by its bytes.
            {"an unknown chunk of an unprintable tag", unknownTag,
             {"Failed to load the game", unknownTag + format + "[00 1B 4D FF] of a kind unknown here"},
             {"unknown Chunk [00 1B 4D FF]:*", "Failed to load the game"}}};
        for (const auto& [what, file, errors, log] : refusals) {
            Run run = Play({.game = file, .exit = 1, .errors = true});
            Lines last(run.errors.end() - std::ptrdiff_t(std::min(errors.size(), run.errors.size())), run.errors.end());
            Lines whole = errors; // each line straight after the one before
            for (size_t i = 1; i < whole.size(); ++i) whole[i] = "+" + whole[i];
            Expect(last.size() == errors.size() && InOrder(last, whole, what) == errors.size(),
                   std::string(what) + ": standard error does not end with \"" + errors.back() + "\"");
            InOrder(run.log, log, what);
            for (const char* piece : {"Error in fragment shader", "Error in vertex shader", "PrepareGame()"})
                Absent(run.log, piece);
        }
    }};
    // Names and paths from the command line and the game file reach the terminal and the engine's log
    // only as printable text: a control byte or a byte of no UTF-8 is shown by its bytes, so that it
    // neither sends its escape sequence nor splits a line; UTF-8 stays. What the refusal names ends
    // standard error; no output of the run holds a control byte but line feeds and tabs. What the
    // game's own strings hold is shown so in the error report's dump, and a long one only in part: no
    // output of the run reaches a megabyte.
    s["raw-names"] = {.play = false, .more = [=](Run&) {
        const std::string function = BuildGame(
            "function", 10, "compiled", "game_end();", "", "", R"("linkNames": {"game_end": "kv_\u001b[2J\nfunction"}, )");
        const std::string source = BuildGame("source", 10, "source", "s = \"\x1b[2J\" + ;", "");
        // A game of one object whose create event runs `create`; `more` adds members to the manifest.
        const std::string title = R"(\u001b]0;pwned\u0007)";
        auto titled = [=](const std::string& tag, const std::string& more, const std::string& create) {
            const fs::path folder = work + "/" + tag;
            fs::create_directories(folder);
            std::ofstream(folder / "game.json")
                << R"({"header": {"displayName": "Game)" << title << R"(", "roomOrder": [0]}, )" << more
                << R"("objects": [{"name": "obj", "events": [{"type": "create", "source": ")" << create
                << R"("}]}], "rooms": [{"name": "room", "width": 64, "height": 64, "instances": [)"
                << R"({"object": "obj", "x": 0, "y": 0}]}]})";
            return BuildFolder(folder);
        };
        const std::string shader = titled(
            "shader",
            R"("shaders": [{"name": "sh_title", "kind": 2, "sources": [null, null, null, null, ")" + title +
                R"(\nfloat4 main() : POSITION { return 0; }", "float4 main() : COLOR0 { return 0; }"]}], )",
            "game_end();");
        const std::string script =
            titled("script", R"("scripts": [{"name": "scr_)" + title + R"(", "source": "return ;;("}], )",
                   "game_end();");
        const std::string dump = titled("dump", "",
                                        R"(show_message(\"hello\"); show_message_async(\"async\"); )"
                                        R"(big = string_repeat(\"x\", 50000000); )"
                                        R"(shown = chr(27) + \"]0;pwned\" + chr(7); n = shown + 1;)");
        const std::string shown = "Game[1B]]0;pwned[07]";
        // An OSC title, a screen clear and a colour change, as a manifest writes them and as shown.
        const std::string escapes = title + R"(\u001b[2J\u001b[31m)", escapesShown = "[1B]]0;pwned[07 1B][2J[1B][31m";
        auto extension = [=](const std::string& tag, const std::string& init, const std::string& final) {
            return titled(tag,
                          R"("scripts": [{"name": "scr_init", "source": "return 0;"}], "extensions": [{"name": "Pkg", )"
                          R"("folder": "Pkg", "files": [{"name": "pkg.script", "kind": 2, "init": ")" + init +
                              R"(", "final": ")" + final + R"("}]}], )",
                          "game_end();");
        };
        // The first music has no file and reaches the media interface; the second is an Ogg file.
        fs::copy_file(fs::path(KELVARO_SOURCE_DIR) / "tests/sound/data/song.ogg",
                      work + "/song\x1b]0;pwned\x07\x1b[2j\x1b[31m.ogg", fs::copy_options::overwrite_existing);
        const std::string music = titled(
            "music",
            R"("sounds": [{"name": "snd_gone", "kind": 1, "extension": ".mp3", "fileName": "gone)" + escapes +
                R"(.mp3"}, {"name": "snd_song", "kind": 1, "extension": ".mp3", "fileName": "song)" + escapes +
                R"(.mp3"}], )",
            "sound_play(snd_gone); sound_play(snd_song); game_end();");
        const std::string gone = work + "/gone" + escapesShown + ".mp3 - ";
        // (what, game, exit code, lines of standard error in order, "+" straight after the one before,
        // pieces of lines of the log)
        const std::tuple<const char*, std::string, int, Lines, Lines> cases[] = {
            {"an escape sequence in the path", work + "/miss\x1b[2J.win", 1,
             {work + "/miss[1B][2J.win cannot be read: No such file or directory", "+Failed to load the game"}, {}},
            {"a line feed, UTF-8 and a stray byte in the path", work + "/caf\xc3\xa9\nline\xff.win", 1,
             {work + "/caf\xc3\xa9[0A]line[FF].win cannot be read: No such file or directory",
              "+Failed to load the game"},
             {}},
            {"an escape sequence and a line feed in a function's name", function, 1,
             {"Error on load", "+Unable to find function kv_[1B][2J[0A]function", "+Failed to load the game"}, {}},
            {"an escape sequence in a source line with an error", source, 1,
             {"   s = \"[1B][2J\" + ;", "+", "+at position *"}, {}},
            {"an escape sequence in a shader's source", shader, 1,
             {"FATAL ERROR in Vertex Shader compilation", "+", "+ShaderName: sh_title", "+", "+",
              "+ERROR: 0:1: '[1B]' : unexpected token*",
              "A fatal error was reported while the game was loaded"},
             {"Error in vertex shader \"sh_title\":"}},
            {"an escape sequence in a script's name and the display name", script, 1,
             {"COMPILATION ERROR in Script: scr_[1B]]0;pwned[07]", "Failed to prepare the game"},
             {"Code Error...", "COMPILATION ERROR in Script: scr_[1B]]0;pwned[07]",
              shown + ": Failed to compile the scripts."}},
            // (A fatal error at play writes nothing to standard error.)
            {"an escape sequence and 50 MB in strings at an error", dump, 255, {},
             {shown + ": hello", "Dialog message (async) \"" + shown + "\": \"async\" []", "Self Variables : ",
              ") = \"[1B]]0;pwned[07]\"", "\" ... (first 4,096 of 50,000,000 bytes)"}},
            {"escape sequences in an extension's init name", extension("init", "init" + escapes, ""), 1, {},
             {"ERROR!!! :: Could not locate initialization function init" + escapesShown}},
            {"escape sequences in an extension's final name", extension("final", "scr_init", "final" + escapes), 0, {},
             {"ERROR!!! :: Could not locate finalization function final" + escapesShown}},
            {"escape sequences in the file names of music", music, 0, {},
             {"error opening mp3 file " + gone + "the file cannot be opened",
              "error opening set file time format for " + gone + "the device is not open",
              "error opening set file seek exactly for " + gone + "the device is not open",
              "error playing file for " + gone + "the device is not open",
              "playing " + work + "/song[1B]]0;pwned[07 1B][2j[1B][31m.ogg"}}};
        for (const auto& [what, game, exit, errors, log] : cases) {
            const std::string engine = work + "/engine.log";
            fs::remove(engine);
            Run run = Play({.args = {"-debugoutput", engine}, .game = game, .exit = exit, .errors = true});
            InOrder(run.errors, errors, std::string(what) + ": standard error");
            for (const std::string& piece : log)
                Expect(Has(run.log, piece), std::string(what) + ": no line of the log holds " + piece);
            for (const char* output : {"run.log", "errors.log", "engine.log"}) {
                const std::string bytes = ReadBytes(work + "/" + output);
                Expect(!bytes.empty() || (errors.empty() && std::string(output) == "errors.log"),
                       std::string(what) + ": " + output + " is empty");
                Expect(std::none_of(bytes.begin(), bytes.end(),
                                    [](char c) { return (uint8_t(c) < 0x20 && c != '\n' && c != '\t') || c == 0x7F; }),
                       std::string(what) + ": " + output + " holds a control byte");
                Expect(bytes.size() < (1u << 20),
                       std::string(what) + ": " + output + " holds " + std::to_string(bytes.size()) + " bytes");
            }
        }
    }};
    // Where a game saves: the folder its header names, else one named after its game file (for a
    // data.win, after the folder holding it), under XDG_DATA_HOME and never in it.
    s["save-folders"] = {.play = false, .more = [=](Run&) {
        const std::string create = "ini_open(\"saved.ini\"); ini_write_real(\"s\", \"k\", 1); ini_close(); game_end();";
        const std::tuple<std::string, std::string, std::string> games[] = {
            {"named", R"("saveFolder": "MySaves", )", "MySaves"},
            {"unnamed", R"("saveFolder": null, )", "unnamed-source"},
            {"ship", R"("saveFolder": null, )", "ship"}};
        for (const auto& [name, header, folder] : games) {
            std::string built = BuildGame(name, 10, "source", create, "", header);
            if (name == "ship") {
                fs::create_directories(work + "/ship");
                fs::copy_file(built, work + "/ship/data.win");
                built = work + "/ship/data.win";
            }
            fs::remove_all(work + "/xdg");
            Play({.game = built});
            Expect(fs::exists(work + "/xdg/" + folder + "/saved.ini"), name + ": saved.ini is not in xdg/" + folder);
            for (const auto& entry : fs::directory_iterator(work + "/xdg"))
                Expect(entry.is_directory() && entry.path().filename() == folder,
                       name + ": " + entry.path().string() + " was written in the save area");
        }
    }};
    // A game file in the root folder plays with "/" as its working directory and saves in a folder
    // named after it; a missing file there, and a folder there or the one the run stands in given as
    // the game, are refused naming them as given and why. All lie in "/" under names of this run's own, removed after; where "/" cannot be
    // written the test says it was skipped (exit 77) rather than passing untried.
    s["root-folder"] = {.play = false, .more = [=](Run&) {
        const std::string create = "show_debug_message(\"working_directory \" + working_directory); "
                                   "ini_open(\"saved.ini\"); ini_write_real(\"s\", \"k\", 1); ini_close(); game_end();";
        const std::string built = BuildGame("rooted", 10, "source", create, "", R"("saveFolder": null, )");
        const std::string name = "kelvaro-e2e-" + std::to_string(getpid());
        const std::string played = "/" + name + ".win", missing = "/nothere-" + name + ".win",
                          folder = "/" + name + "-folder.win";
        std::error_code error;
        if (!fs::copy_file(built, played, fs::copy_options::overwrite_existing, error) ||
            !fs::create_directory(folder, error)) {
            fs::remove(played);
            std::printf("skipped: %s cannot be written in / (%s); this test did not run\n", name.c_str(),
                        error.message().c_str());
            std::exit(77);
        }
        // (what, game, exit code, lines of the log in order)
        const std::tuple<const char*, std::string, int, Lines> cases[] = {
            {"a game in /", played, 0, {"####!!!!$$$$$$ pwd - /", "working_directory /"}},
            {"a missing file in /", missing, 1,
             {missing + " cannot be read: No such file or directory", "Failed to load the game"}},
            {"a folder in /", folder, 1, {folder + " cannot be read: Is a directory", "Failed to load the game"}},
            // The folder the run stands in is named as given, not as the folder holding it.
            {"the folder run from", work, 1, {work + " cannot be read: Is a directory", "Failed to load the game"}},
            {"the folder run from, as \".\"", ".", 1, {". cannot be read: Is a directory", "Failed to load the game"}},
            {"the folder run from, with a slash", work + "/", 1,
             {work + "/ cannot be read: Is a directory", "Failed to load the game"}}};
        for (const auto& [what, file, exit, log] : cases) {
            fs::remove_all(work + "/xdg");
            Run run = Play({.game = file, .exit = exit});
            InOrder(run.log, log, what);
            Expect(fs::exists(work + "/xdg/" + name + "/saved.ini") == (exit == 0),
                   std::string(what) + ": saved.ini is " + (exit == 0 ? "not " : "") + "in xdg/" + name);
        }
        fs::remove(played);
        fs::remove(folder);
    }};
    // Every way of building a string past the longest a script string may be (64 MiB) is the error
    // "String result too long.", fatal but in the tree executor's operators, in every code form: joining (the doubling from 2^26 to
    // 2^27 characters), repetition by the operator and by string_repeat, string_insert,
    // string_replace_all, string_format's width and a buffer read as text or in Base64. A string of
    // exactly 64 MiB is still built.
    s["string-limit"] = {.play = false, .more = [=](Run&) {
        const std::tuple<const char*, const char*, Lines, Lines> forms[] = {
            {"translated", "source", {}, {}}, {"word loop", "source", {}, {"KELVARO_PLAIN_INTERPRETER=1"}},
            {"tree", "source", {"-oldexec"}, {}}, {"compiled", "compiled", {}, {}}};
        const std::pair<const char*, std::string> ways[] = {
            {"join", "s = \"ab\"; repeat (26) s = s + s;"},
            {"times", "n = 40000000; s = n * \"ab\";"},
            {"repeat", "s = string_repeat(\"a\", 100000000);"},
            {"insert", "s = string_repeat(\"a\", 40000000); s = string_insert(s, s, 1);"},
            {"replace", "s = string_replace_all(string_repeat(\"a\", 1000000), \"a\", string_repeat(\"b\", 70));"},
            {"format", "s = string_format(1, 100000000, 0);"},
            // (buffer kinds: 0 fixed; types: 1 u8, 11 string)
            {"buffer", "b = buffer_create(70000000, 0, 1); buffer_fill(b, 0, 1, 65, 70000000); s = buffer_read(b, 11);"},
            {"base64", "b = buffer_create(60000000, 0, 1); s = buffer_base64_encode(b, 0, 60000000);"},
            {"at the limit", "s = string_repeat(\"ab\", 33554432); show_debug_message(\"built \" + string(string_length(s)));"}};
        int n = 0;
        for (const auto& [form, codeForm, args, env] : forms)
            for (const auto& [way, code] : ways) {
                std::string what = std::string(form) + ", " + way + ": ";
                bool fits = std::string(way) == "at the limit";
                std::string game = BuildGame("text" + std::to_string(n++), 10, codeForm, code, "");
                Run run = Play({.frames = 2, .args = args, .env = env, .output = true, .game = game, .exit = ANY});
                // The tree executor's operator errors are action errors the game goes on after.
                bool goesOn = fits || (std::string(form) == "tree" && (std::string(way) == "join" || std::string(way) == "times"));
                Expect(run.exit == (goesOn ? 0 : 255), what + "exit code " + std::to_string(run.exit));
                Expect(Has(run.log, "String result too long.") != fits, what + "the report");
                if (fits) Expect(Has(run.output, "built 67108864"), what + "the string at the limit");
            }
    }};
    // A name declared globalvar is the global wherever code names it without an owner, in the code
    // compiled from source and in the game's compiled form alike.
    s["globalvars"] = {.setup = {.output = true},
                       .output = {"bumped 15", "points 115 global 115 tries 2", "own points 0 own tries 0",
                                  "global points 1"},
                       .absent = {"ERROR"}};
    return s;
}

} // namespace

// Tracing events sends every event down the general path; without the trace the step walk runs
// handlers straight. A scenario that checks its script log plays again from a fresh work folder
// untraced and must print the same lines.
void ReplayUntraced(const Scenario& s)
{
    fs::remove_all(g_Work);
    fs::create_directories(g_Work);
    if (s.before) s.before();
    Setup untraced = s.setup;
    untraced.env.push_back("KELVARO_TRACE=");
    Run run = Play(untraced);
    InOrder(run.output, s.output, "the script log, untraced");
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: e2e_run SCENARIO KELVARO GAME_FILE WORK_FOLDER\n");
        return 2;
    }
    g_Kelvaro = argv[2], g_Game = argv[3], g_Work = argv[4];
    // A game's compiled form plays the scenario of its source form (a variant spelt "color" that of
    // its base).
    std::string name = argv[1];
    for (const std::string suffix : {"-compiled", "-bytecode", "-color"})
        if (name.size() > suffix.size() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
    std::map<std::string, Scenario> scenarios = Scenarios();
    auto found = scenarios.find(name);
    if (found == scenarios.end()) {
        std::fprintf(stderr, "unknown scenario %s\n", argv[1]);
        return 2;
    }
    const Scenario& s = found->second;
    fs::remove_all(g_Work);
    fs::create_directories(g_Work);
    if (s.before) s.before();
    Run run;
    if (s.play) {
        run = Play(s.setup);
        InOrder(run.log, s.log);
        InOrder(run.output, s.output, "the script log");
        for (const std::string& piece : s.absent) Absent(run.log, piece);
        if (s.trace) Equal(run.trace, *s.trace);
        if (!s.output.empty()) ReplayUntraced(s);
    }
    if (s.more) s.more(run);
    if (g_Failures > 0) {
        std::fprintf(stderr, "--- log of the run (%s):\n", (g_Work / "run.log").c_str());
        for (const std::string& line : ReadLines(g_Work / "run.log")) std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    std::printf("%s: passed\n", argv[1]);
    return 0;
}
