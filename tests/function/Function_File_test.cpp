// The File family (files, folders, INI, registry), the Misc window group and the hashing built-ins,
// called by script name in a save area of the test's own with the game folder as the current one.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "Function_TestCases.h"
#include "app/App_CommandLine.h"
#include "function/Function_Families.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;
using functiontest::ExpectCases;
using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class FileBuiltins : public testing::Test {
  protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_Area = std::make_unique<testsupport::ScopedSaveArea>("files_" + name);
        m_Game = m_Area->Root() / "game";
        fs::create_directories(m_Game);
        App_SetGameFileName((m_Game / "data.win").c_str());
        App_ResetPaths();
        Variable_ResetWorkingDirectory();
        Variable_InitWorkingDirectory((m_Game / "data.win").c_str());
        m_Here = fs::current_path();
        fs::current_path(m_Game);
        g_GameOptions.showErrors = false;
        testsupport::RegisterBuiltins();
        File_CloseAll();
        g_ErrorLast.clear();
    }
    void TearDown() override
    {
        File_CloseAll();
        CallBuiltin("ini_close", {});
        fs::current_path(m_Here);
        Variable_ResetWorkingDirectory();
        App_ClearGameFileName();
        m_Area.reset();
    }
    fs::path Saved(const std::string& name) const { return m_Area->Path(name); }
    // Whether the last reported error holds the message (and forgets it).
    static bool Reported(const std::string& message)
    {
        bool found = g_ErrorLast.find(message) != std::string::npos;
        g_ErrorLast.clear();
        return found;
    }
    // Calls in turn, each expected to report its message.
    static void ExpectReports(const std::vector<functiontest::Case>& cases)
    {
        for (const functiontest::Case& c : cases) {
            CallBuiltin(c.name, c.args);
            EXPECT_TRUE(Reported(c.expected.text)) << c.name << ": " << c.expected.text;
        }
    }
    std::unique_ptr<testsupport::ScopedSaveArea> m_Area;
    fs::path m_Game, m_Here;
};

} // namespace

TEST(FileFamily, NamesAndCountsInRegistrationOrder)
{
    functiontest::ExpectRegisteredRun(
        "file_bin_* open:2 rewrite:1 close:1 position:1 ~ * json_encode:1 json_decode:1");
    functiontest::ExpectRegisteredRun("base64_encode:1 base64_decode:1 ~ sha1_string_utf8:1 sha1_file:1");
}

TEST_F(FileBuiltins, ThirtyOneIdsThenTheTableIsFull)
{
    WriteAll(Saved("in.txt"), "x");
    for (bool binary : {true, false}) {
        auto open = [&] {
            return binary ? CallReal("file_bin_open", {"in.txt", 0}) : CallReal("file_text_open_read", {"in.txt"});
        };
        for (int i = 1; i <= 31; ++i) ASSERT_EQ(open(), i) << binary;
        EXPECT_EQ(open(), -1) << binary;
        EXPECT_TRUE(Reported("Cannot open another file (maximum exceeded).")) << binary;
    }
}

TEST_F(FileBuiltins, TextLinesNumbersAndTheEnd)
{
    WriteAll(Saved("lines.txt"), "\xEF\xBB\xBF" "abc\r\n 2.5 x\r\n");
    ASSERT_EQ(CallReal("file_text_open_read", {"lines.txt"}), 1);
    // A read that starts at the end gives the empty text.
    ExpectCases({{"file_text_read_string", {1}, "abc"}, {"file_text_read_string", {1}, ""}, {"file_text_eoln", {1}, 1},
                 {"file_text_readln", {1}, "\r\n"}, {"file_text_read_real", {1}, 2.5}, {"file_text_readln", {1}, " x\r\n"},
                 {"file_text_eof", {1}, 1}, {"file_text_readln", {1}, ""}, {"file_text_close", {1}, 0},
                 {"file_text_open_from_string", {"7 8\nnext"}, 1}, {"file_text_read_real", {1}, 7},
                 {"file_text_open_from_string", {5}, -1}});
    ExpectReports({{"file_text_readln", {32}, "File is not opened for reading."},
                   {"file_text_write_string", {0, "x"}, "File not opened for writing."},
                   {"file_text_close", {32}, "Trying to close unexisting text file."},
                   {"file_bin_read_byte", {0}, "File is not opened."},
                   {"file_bin_close", {3}, "Trying to close unopened file."},
                   {"file_bin_rewrite", {40}, "Trying to rewrite unopened file."},
                   {"file_read_string", {}, "File not opened for reading."},
                   {"file_write_real", {1.5}, "File not opened for writing."}});
}

TEST_F(FileBuiltins, WrittenTextUsesCrLfAndTheNumberFormats)
{
    ASSERT_EQ(CallReal("file_text_open_write", {"out\\sub\\text.txt"}), 1);
    ExpectCases({{"file_text_write_real", {1, 0.5}, 0}, {"file_text_write_string", {1, "a\nb"}, 0},
                 {"file_text_write_string", {1, 3}, 0}, {"file_text_writeln", {1}, 0}, {"file_text_close", {1}, 0}});
    EXPECT_EQ(ReadAll(Saved("out/sub/text.txt")), "0.5 a\r\nb\r\n");
    double more = CallReal("file_text_open_append", {"out/sub/text.txt"});
    CallBuiltin("file_text_write_string", {more, "end"});
    CallBuiltin("file_text_close", {more});
    EXPECT_EQ(ReadAll(Saved("out/sub/text.txt")), "0.5 a\r\nb\r\nend");
    // The older family uses names as given, here relative to the game folder.
    ExpectCases({{"file_open_write", {"legacy.txt"}, 0}, {"file_write_real", {0.5}, 0}, {"file_writeln", {}, 0},
                 {"file_write_string", {"x y"}, 0}, {"file_close", {}, 0}});
    EXPECT_EQ(ReadAll(m_Game / "legacy.txt"), "    0.5000\r\nx y");
    ExpectCases({{"file_open_read", {"legacy.txt"}, 0}, {"file_read_real", {}, 0.5}, {"file_readln", {}, "\n"},
                 {"file_eof", {}, 0}, {"file_read_string", {}, "x y"}, {"file_eof", {}, 1}, {"file_close", {}, 0}});
}

TEST_F(FileBuiltins, BinaryFilesInEveryMode)
{
    ASSERT_EQ(CallReal("file_bin_open", {"bin/data.bin", 1}), 1);
    for (int b : {0, 255, 256 + 7, -1}) CallBuiltin("file_bin_write_byte", {1, b});
    EXPECT_EQ(CallReal("file_bin_size", {1}), 4);
    CallBuiltin("file_bin_read_byte", {1});
    EXPECT_TRUE(Reported("Error reading byte."));
    CallBuiltin("file_bin_close", {1});
    EXPECT_EQ(ReadAll(Saved("bin/data.bin")), std::string("\x00\xFF\x07\xFF", 4));

    ASSERT_EQ(CallReal("file_bin_open", {"bin/data.bin", 0}), 1);
    ExpectCases({{"file_bin_read_byte", {1}, 0}, {"file_bin_read_byte", {1}, 255}, {"file_bin_seek", {1, -5}, 0}});
    CallBuiltin("file_bin_read_byte", {1});
    EXPECT_TRUE(Reported("Error reading byte."));
    CallBuiltin("file_bin_write_byte", {1, 9}); // read-only: nothing written
    CallBuiltin("file_bin_close", {1});

    ASSERT_EQ(CallReal("file_bin_open", {"bin/data.bin", 7}), 1);
    ExpectCases({{"file_bin_seek", {1, 2}, 0}, {"file_bin_read_byte", {1}, 7}, {"file_bin_write_byte", {1, 65}, 0},
                 {"file_bin_position", {1}, 4}, {"file_bin_rewrite", {1}, 0}, {"file_bin_write_byte", {1, 66}, 0},
                 {"file_bin_close", {1}, 0}});
    EXPECT_EQ(ReadAll(Saved("bin/data.bin")), "B");
    testsupport::LogCapture log;
    EXPECT_EQ(CallReal("file_bin_open", {"missing.bin", 0}), -1);
    EXPECT_NE(log.Text().find("Error opening binary file missing.bin"), std::string::npos);
}

TEST_F(FileBuiltins, WholeFilesFoldersAndSearches)
{
    WriteAll(m_Game / "shipped.txt", "bundle");
    WriteAll(Saved("a.txt"), "save");
    WriteAll(Saved(".hidden"), "h");
    fs::create_directories(Saved("folder"));
    ExpectCases({{"file_exists", {"shipped.txt"}, 1}, {"file_exists", {"a.txt"}, 1}, {"file_exists", {"none.txt"}, 0},
                 {"file_exists", {"folder"}, 0}, {"file_delete", {"shipped.txt"}, 0},
                 {"file_copy", {"shipped.txt", "copy.txt"}, 0}, {"file_rename", {"copy.txt", "renamed.txt"}, 0}});
    EXPECT_TRUE(fs::exists(m_Game / "shipped.txt")) << "only the save area is written";
    EXPECT_EQ(ReadAll(Saved("renamed.txt")), "bundle");
    testsupport::LogCapture log;
    EXPECT_EQ(CallReal("file_copy", {"none.txt", "x.txt"}), -1);
    EXPECT_NE(log.Text().find("Unable to open source file none.txt\n"), std::string::npos);
    CallBuiltin("file_delete", {"renamed.txt"});
    EXPECT_FALSE(fs::exists(Saved("renamed.txt")));
    CallBuiltin("directory_create", {"made\\deeper"});
    ExpectCases({{"directory_exists", {"made/deeper"}, 1}, {"directory_exists", {"a.txt"}, 0}});

    // Masks: 0 plain files, 16 folders too, 2 only hidden ones; save area first, then the bundle.
    auto find = [](double mask) {
        std::string names;
        for (std::string name = CallText("file_find_first", {"*", mask}); !name.empty(); name = CallText("file_find_next", {}))
            names += name + " ";
        CallBuiltin("file_find_close", {});
        return names;
    };
    EXPECT_EQ(find(0), ".hidden a.txt shipped.txt ");
    EXPECT_EQ(find(16), ".hidden a.txt folder made shipped.txt ");
    EXPECT_EQ(find(2), ".hidden ");
    EXPECT_EQ(CallText("file_find_next", {}), "");
    chmod(Saved("a.txt").c_str(), 0444);
    ExpectCases({{"file_attributes", {"a.txt", 0}, 33}, {"file_attributes", {"folder", 0}, 16},
                 {"file_attributes", {"none", 0}, 0}});
}

TEST_F(FileBuiltins, FileNamePartsProgramsAndTheEnvironment)
{
    ExpectCases({
        {"filename_name", {"a\\b/c"}, "b/c"}, {"filename_path", {"a\\b/c"}, "a"}, {"filename_ext", {"x.tar.gz"}, ".gz"},
        {"filename_dir", {"C:\\games\\\\x.txt"}, "C:\\games"}, {"filename_drive", {"C:\\games\\x.txt"}, "C:"},
        {"filename_ext", {"a/b.c/d"}, ""}, {"filename_change_ext", {"a", ".dat"}, "a..dat"},
        {"filename_change_ext", {"a", 1}, ""}, {"parameter_string", {0}, ""},
        {"environment_get_variable", {"KELVARO_SURELY_UNSET"}, ""},
    });
    EXPECT_GE(CallReal("parameter_count", {}), 1);
    EXPECT_NE(CallText("parameter_string", {1}), "");

    testsupport::LogCapture log;
    EXPECT_EQ(CallReal("execute_program", {"/no/such/program", "", 1}), -1);
    EXPECT_NE(log.Text().find("Cannot execute /no/such/program\n"), std::string::npos);
    WriteAll(m_Game / "touch.sh", "#!/bin/sh\necho done > waited.txt\n");
    chmod((m_Game / "touch.sh").c_str(), 0755);
    EXPECT_EQ(CallReal("execute_program", {(m_Game / "touch.sh").c_str(), "", 1}), 0);
    EXPECT_EQ(ReadAll(m_Game / "waited.txt"), "done\n");
    // A document goes to xdg-open; this one, first on PATH, renames its note into place when done.
    WriteAll(m_Game / "bin" / "xdg-open", "#!/bin/sh\necho \"$1\" > note.part && mv note.part note.txt\n");
    chmod((m_Game / "bin" / "xdg-open").c_str(), 0755);
    std::string path = std::getenv("PATH");
    setenv("PATH", ((m_Game / "bin").string() + ":" + path).c_str(), 1);
    EXPECT_EQ(CallReal("execute_shell", {"notes.pdf", ""}), 0);
    setenv("PATH", path.c_str(), 1);
    for (int i = 0; i < 1000 && !fs::exists(m_Game / "note.txt"); ++i) usleep(10000);
    EXPECT_EQ(ReadAll(m_Game / "note.txt"), "notes.pdf\n");
}

TEST_F(FileBuiltins, IniFilesAndTheRegistry)
{
    EXPECT_EQ(CallReal("ini_read_real", {"s", "k", 4}), 4);
    ExpectReports({{"ini_read_string", {"s", "k", "d"}, "Trying to read from undefined INI file"},
                   {"ini_key_delete", {"s", "k"}, "Trying to change undefined INI file"}});
    EXPECT_EQ(CallText("ini_close", {}), "");
    CallBuiltin("ini_open", {"first.ini"});
    CallBuiltin("ini_write_real", {"game", "level", 2});
    CallBuiltin("ini_write_string", {"game", "name", "Ann"});
    ExpectReports({{"ini_write_real", {"game", "bad", "x"}, "Wrong argument types for ini_write_real"}});
    ExpectCases({{"ini_read_real", {"game", "missing", "5"}, 5}, {"ini_key_exists", {"game", "level"}, 1}});
    // A second ini_open writes the first back.
    CallBuiltin("ini_open", {"second.ini"});
    EXPECT_EQ(ReadAll(Saved("first.ini")), "[game]\r\nname=Ann\r\nlevel=2.000000\r\n");
    EXPECT_EQ(CallReal("ini_section_exists", {"game"}), 0);
    ExpectReports({{"ini_read_string", {"s", 1, "d"}, "ini_read_string wrong type of arguments"}});
    CallBuiltin("ini_open_from_string", {"[a]\nx=1\n"});
    CallBuiltin("ini_section_delete", {"a"});
    CallBuiltin("ini_write_string", {"b", "y", "2"});
    EXPECT_EQ(CallText("ini_close", {}), "[b]\r\ny=2\r\n");
    EXPECT_FALSE(fs::exists(Saved("second.ini"))); // unchanged: never written

    CallBuiltin("registry_write_string", {"Score", "10"});
    CallBuiltin("registry_write_real", {"SCORE", 2});
    ExpectCases({{"registry_read_string", {"score"}, "2.000000"}, {"registry_read_real", {"sCoRe"}, 2},
                 {"registry_exists", {"Scores"}, 0}, {"registry_read_string_ext", {"k", "Score"}, ""},
                 {"registry_exists_ext", {"k", "Score"}, 0}});
}

TEST_F(FileBuiltins, HashesBase64PrioritiesAndTheClipboard)
{
    ExpectCases({
        {"md5_string_utf8", {"abc"}, "900150983cd24fb0d6963f7d28e17f72"},
        {"md5_string_unicode", {"abc"}, "ce1473cf80c6b3fda8e3dfc006adc315"}, // 61 00 62 00 63 00
        {"sha1_string_unicode", {"abc"}, "9f04f41a848514162050e3d68c1a7abb441dc2b5"}, {"md5_string_utf8", {5}, ""},
        {"base64_encode", {"hello"}, "aGVsbG8="}, {"base64_decode", {"aGVsbG8="}, "hello"},
        {"base64_decode", {"YQBi"}, "a"}, // cut at the zero byte
        {"md5_file", {"nowhere.bin"}, ""},
    });
    // The save-area copy wins over the one beside the game.
    WriteAll(m_Game / "both.txt", "bundle");
    EXPECT_EQ(CallText("md5_file", {"both.txt"}), CallText("md5_string_utf8", {"bundle"}));
    std::string big(5000, 'q');
    WriteAll(Saved("both.txt"), big);
    EXPECT_EQ(CallText("md5_file", {"both.txt"}), CallText("md5_string_utf8", {big.c_str()}));
    EXPECT_EQ(CallText("sha1_file", {"both.txt"}), CallText("sha1_string_utf8", {big.c_str()}));

    // Only lowering is asked for, which every process may do; the order keeps it lowering.
    if (getpriority(PRIO_PROCESS, 0) == 0) {
        for (auto [value, nice] : {std::pair{0.0, 0}, {-0.5, 0}, {-1.0, 1}, {-2.5, 2}, {-3.0, 19}}) {
            CallBuiltin("set_program_priority", {value});
            EXPECT_EQ(getpriority(PRIO_PROCESS, 0), nice) << value;
        }
    }

    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    for (const char* text : {"hi", ""}) { // an empty text is remembered too
        CallBuiltin("clipboard_set_text", {text});
        ExpectCases({{"clipboard_has_text", {}, 1}, {"clipboard_get_text", {}, text}});
    }
    // No window here: no handle; a title that is no string changes nothing and reports nothing.
    EXPECT_EQ(CallReal("window_handle", {}), 0);
    CallBuiltin("set_application_title", {5});
    EXPECT_EQ(g_ErrorLast, "");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
