// Plays a debug game headless and drives it as a remote debugger over loopback port 6502: one
// scenario per run, each on a fresh game. The scenarios share the port, so CTest runs them one at a
// time.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "E2E_Spawn.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
int g_Failures = 0;

bool Expect(bool ok, const std::string& what)
{
    if (!ok) {
        ++g_Failures;
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    }
    return ok;
}

void PutWord(Bytes& bytes, uint32_t word)
{
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

uint32_t WordAt(const Bytes& bytes, size_t at)
{
    if (at + 4 > bytes.size()) return 0xDEADDEAD;
    uint32_t word = 0;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

Bytes Command(uint32_t number, uint32_t argument = 0, uint8_t flag = 0)
{
    Bytes bytes;
    for (uint32_t word : {0xBE11C0DEu, 44u, number, argument}) PutWord(bytes, word);
    bytes.push_back(flag);
    bytes.resize(44, 0);
    return bytes;
}

Bytes Evaluate(const std::vector<std::string>& texts, bool zeroLength = false)
{
    Bytes bytes;
    for (uint32_t word : {0xBE11C0DEu, 44u, 9u, 0u, static_cast<uint32_t>(texts.size())}) PutWord(bytes, word);
    uint32_t id = 1;
    for (const std::string& text : texts) {
        PutWord(bytes, id++);
        PutWord(bytes, static_cast<uint32_t>(text.size() + 1));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    if (bytes.size() < 44) bytes.resize(44, 0);
    uint32_t length = zeroLength ? 0 : static_cast<uint32_t>(bytes.size());
    std::memcpy(bytes.data() + 12, &length, 4);
    return bytes;
}

// One debugger connection with bounded waits.
struct Client {
    int fd = -1;
    ~Client()
    {
        if (fd >= 0) close(fd);
    }
    bool Connect()
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            fd = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(6502);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
            close(fd);
            fd = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void Send(const Bytes& bytes) { Expect(send(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size()), "send"); }
    // Exactly `count` bytes, or fewer when the wait ends or the peer closes.
    Bytes Receive(size_t count, int waitMs = 5000)
    {
        Bytes bytes;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (bytes.size() < count) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count());
            pollfd p{fd, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0) break;
            uint8_t chunk[65536];
            ssize_t got = recv(fd, chunk, std::min(sizeof chunk, count - bytes.size()), 0);
            if (got <= 0) break;
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        return bytes;
    }
    bool Closed(int waitMs = 3000)
    {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return false;
        uint8_t byte = 0;
        return recv(fd, &byte, 1, 0) <= 0;
    }
    bool Handshake()
    {
        Bytes greeting = Receive(18);
        if (!Expect(greeting.size() == 18, "the greeting")) return false;
        Bytes handshake;
        for (uint32_t word : {0xCAFEBABEu, 0xDEADB00Bu, 16u, 0u}) PutWord(handshake, word);
        Send(handshake);
        Bytes reply = Receive(12);
        return Expect(WordAt(reply, 0) == 0xDEAFBEAD && WordAt(reply, 4) == 0xF00DBEEB && WordAt(reply, 8) == 12,
                      "the handshake reply");
    }
    Bytes Status()
    {
        Send(Command(1));
        Bytes reply = Receive(12);
        if (WordAt(reply, 8) == 1) {
            Bytes block = Receive(4);
            reply.insert(reply.end(), block.begin(), block.end());
        }
        return reply;
    }
    // The evaluation reply, as its length word says.
    Bytes EvaluationReply()
    {
        Bytes reply = Receive(16);
        uint32_t length = WordAt(reply, 12);
        if (reply.size() == 16 && length > 16 && length < (1u << 20)) {
            Bytes rest = Receive(length - 16);
            reply.insert(reply.end(), rest.begin(), rest.end());
        }
        return reply;
    }
    // The first result of an evaluation as text: the real printed, or the string.
    std::string Value(const std::string& text)
    {
        Send(Evaluate({text}));
        return FirstResult(EvaluationReply());
    }
    static std::string FirstResult(const Bytes& reply)
    {
        if (reply.size() < 29 || WordAt(reply, 16) < 1) return "<no result>";
        if (reply[24] == 0) {
            double real = 0;
            std::memcpy(&real, reply.data() + 25, 8);
            char text[64];
            std::snprintf(text, sizeof text, "%g", real);
            return text;
        }
        uint32_t length = WordAt(reply, 25);
        if (length == 0 || 29 + length > reply.size()) return "<bad string>";
        return std::string(reinterpret_cast<const char*>(reply.data() + 29), length - 1);
    }
};

// The game-data reply has no length word: it is read until the names section's string table.
struct Dump {
    Bytes bytes;
    size_t at = 0;
    uint32_t Word() { return (at += 4, WordAt(bytes, at - 4)); }
    std::string Sized()
    {
        uint32_t length = Word();
        std::string text(reinterpret_cast<const char*>(bytes.data() + at), length > 0 ? length - 1 : 0);
        at += length;
        return text;
    }
};

// The address and code bytes of the named object's step event, from a dump read off the connection.
bool StepEvent(Client& client, uint32_t* address, Bytes* code)
{
    client.Send(Command(2));
    Dump dump{client.Receive(1u << 20, 1500)};
    if (!Expect(dump.Word() == 0xBE11C0DE && dump.Word() == 44 && dump.Word() == 2, "the dump's header")) return false;
    if (!Expect(dump.Word() == 0x5645525F && dump.Word() == 1 && dump.Word() == 0x434F4445, "VER_ and CODE")) return false;
    std::map<uint32_t, Bytes> codes;
    for (uint32_t n = dump.Word(); n > 0 && dump.at < dump.bytes.size(); --n) {
        uint32_t index = dump.Word();
        dump.Sized();
        uint32_t size = dump.Word();
        codes[index] = Bytes(dump.bytes.begin() + long(dump.at), dump.bytes.begin() + long(dump.at + size));
        dump.at += (size + 3) & ~3u;
    }
    if (!Expect(dump.Word() == 0x4F424A5F, "the OBJ_ tag")) return false;
    for (uint32_t n = dump.Word(); n > 0; --n) {
        dump.at += 24;
        std::string name = dump.Sized();
        for (int type = 0; type < 11; ++type)
            for (uint32_t events = dump.Word(); events > 0; --events) {
                dump.Word();
                uint32_t index = dump.Word(), at = dump.Word();
                dump.Sized();
                if (name == "obj_counter" && type == 3) *address = at, *code = codes[index];
            }
    }
    Expect(dump.Word() == 0x53435254, "the SCRT tag");
    return Expect(*address != 0 && code->size() >= 8, "a step event with an address in the dump");
}

struct Game {
    pid_t pid = 0;
    fs::path work;
    ~Game()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string Log() const
    {
        std::string text;
        for (const char* name : {"run.log", "out.log"}) {
            std::ifstream in(work / name, std::ios::binary);
            text += std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        }
        return text;
    }
};

bool Start(Game& game, const std::string& kelvaro, const std::string& file, bool debugForm = false, int frames = 9000)
{
    std::vector<std::string> texts = {kelvaro, "-output", (game.work / "out.log").string(), "-game", file};
    if (debugForm) texts.insert(texts.begin() + 1, "-debug");
    std::vector<std::string> env = {"KELVARO_HEADLESS=1", "KELVARO_MAX_FRAMES=" + std::to_string(frames),
                                    "XDG_DATA_HOME=" + (game.work / "xdg").string()};
    pid_t pid = E2E_Spawn(texts, env, game.work);
    game.pid = pid > 0 ? pid : 0;
    return Expect(pid > 0, "cannot start " + kelvaro);
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Other test runs on this machine may hold the port for a while: a game that could not bind it is
// stopped and started again, so the client never talks to someone else's game.
bool StartOwningPort(Game& game, const std::string& kelvaro, const std::string& file)
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (!Start(game, kelvaro, file)) return false;
        for (int wait = 0; wait < 200 && game.Log().find("Create Score Form") == std::string::npos; ++wait) Sleep(50);
        if (game.Log().find("Can't bind port") == std::string::npos) return true;
        kill(game.pid, SIGTERM);
        waitpid(game.pid, nullptr, 0);
        game.pid = 0;
        Sleep(500);
    }
    return Expect(false, "port 6502 stayed taken");
}
double Number(const std::string& text) { return std::atof(text.c_str()); }

using Scenario = std::function<void(Client&, Game&)>;

std::map<std::string, Scenario> Scenarios()
{
    std::map<std::string, Scenario> s;
    // Status running and paused; a frame counter holds while paused and advances after Resume.
    s["pause-resume"] = [](Client& c, Game&) {
        Bytes running = c.Status();
        Expect(running.size() == 12 && WordAt(running, 8) == 0, "a running game's status is 12 bytes, paused 0");
        c.Send(Command(3));
        Bytes paused = c.Status();
        Expect(paused.size() == 16 && WordAt(paused, 8) == 1 && WordAt(paused, 12) == 0xFFFFFFFF,
               "a paused status ends FF FF FF FF");
        double held = Number(c.Value("global.frames"));
        Sleep(300);
        Expect(Number(c.Value("global.frames")) == held, "the frames ran while paused");
        c.Send(Command(4));
        Sleep(300);
        Expect(Number(c.Value("global.frames")) > held, "the frames did not advance after Resume");
    };
    // Step with no script running lets the game run on.
    s["step"] = [](Client& c, Game&) {
        c.Send(Command(3));
        double held = Number(c.Value("global.frames"));
        c.Send(Command(6));
        Sleep(300);
        Expect(WordAt(c.Status(), 8) == 0, "Step leaves the game running");
        Expect(Number(c.Value("global.frames")) > held, "the frames did not advance after Step");
    };
    // A breakpoint on an instruction from the dump is taken and the game runs on; one off an
    // instruction word is refused and the code keeps working.
    s["breakpoints"] = [](Client& c, Game&) {
        uint32_t address = 0;
        Bytes code;
        if (!StepEvent(c, &address, &code)) return;
        c.Send(Command(8, address, 1));
        double before = Number(c.Value("global.frames"));
        Sleep(300);
        double after = Number(c.Value("global.frames"));
        Expect(after > before, "the game stopped at a breakpoint");
        c.Send(Command(8, address + 2, 1));
        c.Send(Command(8, address + 1000000, 1));
        Sleep(300);
        Expect(Number(c.Value("global.frames")) > after, "the game stopped after a refused breakpoint");
        uint32_t again = 0;
        Bytes codeAgain;
        StepEvent(c, &again, &codeAgain);
        Expect(again == address && codeAgain == code, "the dump's code changed");
    };
    // Evaluation: failures quietly, two requests in one send, an unknown command, a zero length.
    s["requests"] = [](Client& c, Game& game) {
        Expect(c.Value("1 +") == "Unable to evaluate", "an expression that does not compile");
        Expect(c.Value("\"a\" - debugtest_one") == "Unable to evaluate", "an expression that fails to run");
        Expect(c.Value("1/4") == "0.25", "1/4");
        Expect(c.Value("debugtest_x = 5") == "0" && c.Value("debugtest_x") == "5", "a program assigns");
        Expect(c.Value("abs(-3)") == "3", "a lone call gives its value");
        Bytes two = Evaluate({"2"});
        Bytes second = Evaluate({"3"});
        two.insert(two.end(), second.begin(), second.end());
        c.Send(two);
        Expect(Client::FirstResult(c.EvaluationReply()) == "2" && Client::FirstResult(c.EvaluationReply()) == "3",
               "two requests in one send give two replies");
        Bytes skipped = Command(7);
        Bytes status = Command(1);
        skipped.insert(skipped.end(), status.begin(), status.end());
        c.Send(skipped);
        Expect(c.Receive(12).size() == 12 && c.Receive(1, 300).empty(), "an unknown command is skipped");
        Bytes halves = Command(1);
        c.Send(Bytes(halves.begin(), halves.begin() + 10));
        Expect(c.Receive(1, 300).empty(), "a request was answered before its rest came");
        c.Send(Bytes(halves.begin() + 10, halves.end()));
        Expect(c.Receive(12).size() == 12, "a request sent in two parts");
        c.Send(Evaluate({"4"}, true));
        Bytes empty = c.EvaluationReply();
        Expect(empty.size() == 20 && WordAt(empty, 12) == 20 && WordAt(empty, 16) == 0, "Evaluate of length 0");
        Expect(game.Log().find("ERROR!!! :: ") == std::string::npos, "an evaluation error was logged");
    };
    // Closing while paused resumes the game; a second client is closed at once.
    s["connections"] = [](Client& c, Game&) {
        Client second;
        Expect(second.Connect() && second.Closed(), "a second client was kept");
        c.Send(Command(3));
        Expect(WordAt(c.Status(), 8) == 1, "the pause");
        close(c.fd);
        c.fd = -1;
        Sleep(300);
        Client next;
        if (!Expect(next.Connect() && next.Handshake(), "the reconnection")) return;
        Expect(WordAt(next.Status(), 8) == 0, "closing while paused left the game paused");
    };
    return s;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the game with -debug to its end; the "Debug.ini" of its save area, or an empty path.
fs::path PlayWithForm(const std::string& kelvaro, const std::string& file, const fs::path& work)
{
    {
        Game game;
        game.work = work;
        if (!Start(game, kelvaro, file, true, 10)) return {};
        int status = 0;
        waitpid(game.pid, &status, 0);
        game.pid = 0;
        Expect(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the -debug run did not end cleanly");
    }
    for (const auto& entry : fs::recursive_directory_iterator(work / "xdg"))
        if (entry.path().filename() == "Debug.ini") return entry.path();
    return {};
}

bool Holds(const std::string& text, const std::vector<std::string>& lines)
{
    bool all = true;
    for (const std::string& line : lines) all &= Expect(text.find(line + "\r\n") != std::string::npos, "Debug.ini lacks " + line);
    return all;
}

// "Debug.ini" is written at the game's end and read by the next run, which writes its watches again
// (a huge watch count costs the start nothing).
void FormSettings(const std::string& kelvaro, const std::string& file, const fs::path& work)
{
    fs::path settings = PlayWithForm(kelvaro, file, work);
    if (!Expect(!settings.empty(), "no Debug.ini was written")) return;
    Holds(ReadFile(settings), {"[DebugForm]", "NumWatches=0", "[GlobalsWindow]", "[MessagesWindow]", "[LocalsWindow8]",
                               "Visible=false"});
    std::ofstream(settings, std::ios::binary) << "[DebugForm]\r\nFPSVisible=false\r\nWatch0=1/4\r\n"
                                                 "Watch5=global.frames\r\nNumWatches=2147483647\r\n"
                                                 "[GlobalsWindow]\r\nVisible=true\r\nleft=5\r\ntop=6\r\n"
                                                 "right=200\r\nbottom=300\r\n[InstancesWindow]\r\nVisible=true\r\n"
                                                 "[LocalsWindow3]\r\nVisible=true\r\nInstanceID=obj_counter\r\n"
                                                 "[LocalsWindow4]\r\nVisible=true\r\nInstanceID=0\r\n";
    if (PlayWithForm(kelvaro, file, work) != settings) return;
    std::string text = ReadFile(settings);
    Holds(text, {"FPSVisible=false", "Watch0=1/4", "Watch1=global.frames", "NumWatches=2", "left=5", "top=6",
                 "right=200", "bottom=300"});
    // A section's lines, up to the next section.
    auto section = [&](const std::string& name) {
        size_t at = text.find("[" + name + "]");
        return at == std::string::npos ? std::string() : text.substr(at, text.find('[', at + 1) - at);
    };
    Expect(section("InstancesWindow").find("Visible=true") != std::string::npos, "the instances window was closed");
    std::string opened = section("LocalsWindow3");
    Expect(opened.find("Visible=true") != std::string::npos && opened.find("InstanceID=1") != std::string::npos,
           "the window on obj_counter was not reopened: " + opened);
    Expect(section("LocalsWindow4").find("Visible=false") != std::string::npos, "a window opened on id 0");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: e2e_debugger SCENARIO KELVARO GAME_FILE WORK_FOLDER\n");
        return 2;
    }
    if (std::string(argv[1]) == "form-settings") {
        fs::remove_all(argv[4]);
        fs::create_directories(argv[4]);
        FormSettings(argv[2], argv[3], argv[4]);
        if (g_Failures > 0) return 1;
        std::printf("form-settings: passed\n");
        return 0;
    }
    std::map<std::string, Scenario> scenarios = Scenarios();
    auto found = scenarios.find(argv[1]);
    if (found == scenarios.end()) {
        std::fprintf(stderr, "unknown scenario %s\n", argv[1]);
        return 2;
    }
    Game game;
    game.work = argv[4];
    fs::remove_all(game.work);
    fs::create_directories(game.work);
    if (StartOwningPort(game, argv[2], argv[3])) {
        Client client;
        if (Expect(client.Connect(), "no debugger server on 6502") && client.Handshake()) found->second(client, game);
    }
    if (g_Failures > 0) {
        std::fprintf(stderr, "--- log of the run:\n%s\n", game.Log().c_str());
        return 1;
    }
    std::printf("%s: passed\n", argv[1]);
    return 0;
}
