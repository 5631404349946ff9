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

struct CorpusInstance {
    int32_t id = 0;
    int32_t object = 0;
    std::string code; // the variables, set by the instance's creation code
};

struct CorpusGame {
    std::string main;
    std::vector<std::pair<std::string, std::string>> scripts;
    std::vector<CorpusInstance> instances;
    int32_t self = 0; // 0: the room creation code's own scratch instance
    bool expectError = false;
    std::string expected; // "real N" (%.17g), "string TEXT", or the error's first words
    std::string problem;
};

std::string RealText(double value)
{
    char number[64];
    std::snprintf(number, sizeof number, "real %.17g", value);
    return number;
}

// The program as a game: instance variables become creation code, the expected result the text
// test_result() records.
CorpusGame ToGame(const corpustest::CorpusProgram& program)
{
    CorpusGame game;
    game.main = program.main;
    game.scripts = program.scripts;
    game.self = program.selfGiven ? program.self : 0;
    for (const corpustest::CorpusInstance& placed : program.instances) {
        CorpusInstance instance;
        instance.id = placed.id;
        instance.object = placed.object;
        for (const corpustest::CorpusVariable& variable : placed.variables)
            instance.code += variable.name + " = " + variable.text + ";\n";
        game.instances.push_back(instance);
    }
    switch (program.expect) {
    case corpustest::CorpusProgram::Expect::Real:
        game.expected = RealText(program.real);
        break;
    case corpustest::CorpusProgram::Expect::Text:
        game.expected = "string " + program.text;
        break;
    case corpustest::CorpusProgram::Expect::Error:
        game.expectError = true;
        game.expected = program.text;
        break;
    case corpustest::CorpusProgram::Expect::Nothing:
        break;
    }
    // A room numbers its instances from 100001 in placement order and has only the objects the
    // game defines; programs that name other ids or far object indices cannot be a room.
    for (size_t i = 0; i < game.instances.size(); ++i) {
        if (game.instances[i].id != INSTANCE_FIRST_ID + 1 + static_cast<int32_t>(i) ||
            game.instances[i].object < 0 || game.instances[i].object > 15)
            game.problem = "its instances cannot be placed in a room";
    }
    return game;
}

const char* const MAIN_SCRIPT = "corpus_main_program";

// What test_result() received last, as "real N" or "string TEXT".
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

// The room creation code: the program's result recorded, or for a program that must fail only the
// call (the real executable, which has no test built-ins, plays those).
std::string RoomCode(const CorpusGame& corpus)
{
    std::string call = corpus.expectError ? std::string(MAIN_SCRIPT) + "();"
                                          : std::string("test_result(") + MAIN_SCRIPT + "());";
    return corpus.self != 0 ? "with (" + std::to_string(corpus.self) + ") " + call : call;
}

gamebuild::GameDesc BuildGame(const CorpusGame& corpus, bool compiled)
{
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    for (const auto& [name, source] : corpus.scripts) {
        gamebuild::ScriptDesc script;
        script.name = name;
        script.code.source = source;
        game.scripts.push_back(script);
    }
    gamebuild::ScriptDesc main;
    main.name = MAIN_SCRIPT;
    main.code.source = corpus.main;
    game.scripts.push_back(main);

    int32_t objects = 1;
    for (const CorpusInstance& instance : corpus.instances)
        objects = std::max(objects, instance.object + 1);
    for (int32_t i = 0; i < objects; ++i)
        game.objects.push_back(Object("corpus_object_" + std::to_string(i)));

    gamebuild::RoomDesc room = Room("corpus_room");
    for (const CorpusInstance& instance : corpus.instances)
        room.instances.push_back(Placed(instance.object, 0, 0, instance.code));
    room.hasCode = true;
    room.code.source = RoomCode(corpus);
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
    std::string PlayExecutable(const CorpusGame& corpus, bool compiled)
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
    std::string PlayOnce(const CorpusGame& corpus, bool compiled)
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
    CorpusGame corpus = ToGame(corpustest::ReadCorpus(GetParam()));
    if (!corpus.problem.empty()) GTEST_SKIP() << corpus.problem;

    if (corpus.expectError) {
        // An interpreter error is fatal: the process ends with -1 after reporting it.
        for (bool compiled : {false, true}) {
            std::string outcome = PlayExecutable(corpus, compiled);
            EXPECT_EQ(0u, outcome.rfind("exit 255\n", 0)) << outcome;
            EXPECT_NE(std::string::npos, outcome.find(corpus.expected)) << outcome;
        }
        return;
    }
    std::string fromSource = PlayOnce(corpus, false);
    std::string fromBytecode = PlayOnce(corpus, true);
    EXPECT_EQ(fromSource, fromBytecode);
    EXPECT_EQ(corpus.expected, fromSource);
}

INSTANTIATE_TEST_SUITE_P(Programs, CorpusGames, testing::ValuesIn(corpustest::CorpusFiles()),
                         corpustest::CorpusTestName);
