// The compiler's program corpus (tests/code/corpus/, format in
// tests/code/Code_CorpusSupport.h) played as whole games: each program becomes a script of a game
// whose room places the program's instances and whose room creation code calls the script and
// records its result. Every game is played headless through the main loop twice, from source text
// and from the bytecode our compiler writes, and both must end with the program's result.
#include "RunFrameTestSupport.h"

#include "../code/Code_CorpusSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

using namespace frametest;

namespace {

namespace fs = std::filesystem;

std::string RealText(double value)
{
    char number[64];
    std::snprintf(number, sizeof number, "real %.17g", value);
    return number;
}

using Program = corpustest::CorpusProgram;

// What test_result() records for the program: "real N" (%.17g), "string TEXT", or for a program
// that must fail the error's first words.
std::string Expected(const Program& program)
{
    if (program.expect == Program::Expect::Real) return RealText(program.real);
    if (program.expect == Program::Expect::Text) return "string " + program.text;
    return program.expect == Program::Expect::Error ? program.text : "";
}

// A room numbers its instances from 100001 in placement order and has only the objects the game
// defines; programs that name other ids or far object indices cannot be a room.
bool Placeable(const Program& program)
{
    for (size_t i = 0; i < program.instances.size(); ++i) {
        const corpustest::CorpusInstance& placed = program.instances[i];
        if (placed.id != INSTANCE_FIRST_ID + 1 + static_cast<int32_t>(i) || placed.object < 0 || placed.object > 15)
            return false;
    }
    return true;
}

const char* const MAIN_SCRIPT = "corpus_main_program";

// What test_result() received last.
std::string& Recorded()
{
    static std::string recorded;
    return recorded;
}

void RecordResult(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc < 1) return;
    if (Value_GetKind(&args[0]) == VALUE_STRING) {
        const char* text = Value_GetText(&args[0]);
        Recorded() = std::string("string ") + (text != nullptr ? text : "");
        return;
    }
    Recorded() = Value_GetKind(&args[0]) == VALUE_REAL ? RealText(args[0].real) : "other kind";
}

// The program as a game: its scripts and a main script, its instances placed with their variables
// set by creation code, and room creation code that records the result (for a program that must
// fail, only the call: the real executable, which has no test built-ins, plays those).
gamebuild::GameDesc BuildGame(const Program& program, bool compiled)
{
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    auto scripts = program.scripts;
    scripts.emplace_back(MAIN_SCRIPT, program.main);
    for (const auto& [name, source] : scripts) {
        gamebuild::ScriptDesc script;
        script.name = name;
        script.code.source = source;
        game.scripts.push_back(script);
    }
    gamebuild::RoomDesc room = Room("corpus_room");
    int32_t objects = 1;
    for (const corpustest::CorpusInstance& placed : program.instances) {
        std::string code;
        for (const corpustest::CorpusVariable& variable : placed.variables)
            code += variable.name + " = " + variable.text + ";\n";
        room.instances.push_back(Placed(placed.object, 0, 0, code));
        objects = std::max(objects, placed.object + 1);
    }
    for (int32_t i = 0; i < objects; ++i) game.objects.push_back(Object("corpus_object_" + std::to_string(i)));
    std::string call = program.expect == Program::Expect::Error ? std::string(MAIN_SCRIPT) + "();"
                                                                 : std::string("test_result(") + MAIN_SCRIPT + "());";
    room.hasCode = true;
    room.code.source = program.selfGiven && program.self != 0 ? "with (" + std::to_string(program.self) + ") " + call : call;
    game.rooms = {room};
    game.header.roomOrder = {0};
    return game;
}

class CorpusGames : public FrameTest, public testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) Function_Add("test_result", RecordResult, 1);
        registered = true;
        FrameTest::SetUp();
    }

    // Plays the game with the kelvaro executable, headless, in a folder of this test's own: an
    // interpreter error ends the process. The outcome is "exit N" and the log.
    std::string PlayExecutable(const Program& corpus, bool compiled)
    {
        fs::path kelvaro = fs::path(KELVARO_BINARY_DIR) / "kelvaro";
        if (!fs::exists(kelvaro)) return "no executable at " + kelvaro.string();
        fs::path folder =
            fs::temp_directory_path() / ("kelvaro_corpus_" + GetParam() +
                                         (compiled ? "_bytecode_" : "_source_") + std::to_string(getpid()));
        fs::create_directories(folder);
        fs::path game = folder / "game.win";
        std::vector<uint8_t> bytes = BuildBytes(BuildGame(corpus, compiled));
        std::ofstream(game, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::string command = "cd '" + folder.string() +
                              "' && env KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=3 HOME='" +
                              folder.string() + "' '" + kelvaro.string() + "' -game '" + game.string() +
                              "' 2>&1";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return "could not run " + command;
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            output.append(chunk, n);
        int status = pclose(pipe);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return "exit " + std::to_string(code) + "\n" + output;
    }

    // Plays the game for a few frames; the recorded result, or "error: " and the last error text.
    std::string PlayOnce(const Program& corpus, bool compiled)
    {
        Recorded().clear();
        g_ErrorLast.clear();
        if (!Play(BuildGame(corpus, compiled))) return "not loaded: " + m_Log.Text();
        Tick(2);
        std::string outcome =
            g_RunRequest == RUN_REQUEST_FATAL || Recorded().empty() ? "error: " + g_ErrorLast : Recorded();
        // The next game starts from a clean run state.
        TearDown();
        SetUp();
        return outcome;
    }
};

} // namespace

TEST_P(CorpusGames, BothCodeFormsPlayToTheProgramsResult)
{
    Program program = corpustest::ReadCorpus(GetParam());
    if (!Placeable(program)) GTEST_SKIP() << "its instances cannot be placed in a room";
    if (program.expect == Program::Expect::Error) {
        // An interpreter error is fatal: the process ends with -1 after reporting it.
        for (bool compiled : {false, true}) {
            std::string outcome = PlayExecutable(program, compiled);
            EXPECT_EQ(0u, outcome.rfind("exit 255\n", 0)) << outcome;
            EXPECT_NE(std::string::npos, outcome.find(program.text)) << outcome;
        }
        return;
    }
    std::string fromSource = PlayOnce(program, false);
    std::string fromBytecode = PlayOnce(program, true);
    EXPECT_EQ(fromSource, fromBytecode);
    EXPECT_EQ(Expected(program), fromSource);
}

INSTANTIATE_TEST_SUITE_P(Programs, CorpusGames, testing::ValuesIn(corpustest::CorpusFiles()),
                         corpustest::CorpusTestName);
