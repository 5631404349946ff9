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
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "app/App_CommandLine.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Options.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;
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
    std::unique_ptr<testsupport::ScopedSaveArea> m_Area;
    fs::path m_Game;
    fs::path m_Here;
};

} // namespace

TEST(FileFamily, NamesAndCountsInRegistrationOrder)
{
    struct Row {
        const char* name;
        int32_t count;
    };
    const Row rows[] = {
        {"file_bin_open", 2}, {"file_bin_rewrite", 1}, {"file_bin_close", 1}, {"file_bin_position", 1},
        {"file_bin_size", 1}, {"file_bin_seek", 2}, {"file_bin_read_byte", 1}, {"file_bin_write_byte", 2},
        {"file_text_open_from_string", 1}, {"file_text_open_read", 1}, {"file_text_open_write", 1},
        {"file_text_open_append", 1}, {"file_text_close", 1}, {"file_text_read_string", 1},
        {"file_text_read_real", 1}, {"file_text_readln", 1}, {"file_text_eof", 1}, {"file_text_eoln", 1},
        {"file_text_write_string", 2}, {"file_text_write_real", 2}, {"file_text_writeln", 1},
        {"file_open_read", 1}, {"file_open_write", 1}, {"file_open_append", 1}, {"file_close", 0},
        {"file_read_string", 0}, {"file_read_real", 0}, {"file_readln", 0}, {"file_eof", 0},
        {"file_write_string", 1}, {"file_write_real", 1}, {"file_writeln", 0}, {"file_exists", 1},
        {"file_delete", 1}, {"file_rename", 2}, {"file_copy", 2}, {"directory_exists", 1},
        {"directory_create", 1}, {"file_find_first", 2}, {"file_find_next", 0}, {"file_find_close", 0},
        {"file_attributes", 2}, {"filename_name", 1}, {"filename_path", 1}, {"filename_dir", 1},
        {"filename_drive", 1}, {"filename_ext", 1}, {"filename_change_ext", 2}, {"execute_program", 3},
        {"execute_shell", 2}, {"parameter_count", 0}, {"parameter_string", 1}, {"environment_get_variable", 1},
        {"ini_open", 1}, {"ini_open_from_string", 1}, {"ini_close", 0}, {"ini_read_string", 3},
        {"ini_read_real", 3}, {"ini_write_string", 3}, {"ini_write_real", 3}, {"ini_key_exists", 2},
        {"ini_section_exists", 1}, {"ini_key_delete", 2}, {"ini_section_delete", 1},
        {"registry_write_string", 2}, {"registry_write_real", 2}, {"registry_read_string", 1},
        {"registry_read_real", 1}, {"registry_exists", 1}, {"registry_write_string_ext", 3},
        {"registry_write_real_ext", 3}, {"registry_read_string_ext", 2}, {"registry_read_real_ext", 2},
        {"registry_exists_ext", 2}, {"registry_set_root", 1}, {"http_get", 1}, {"http_post_string", 2},
        {"json_encode", 1}, {"json_decode", 1},
        // The Misc window group, then the hashing rows.
        {"window_handle", 0}, {"set_program_priority", 1}, {"set_application_title", 1},
        {"clipboard_has_text", 0}, {"clipboard_set_text", 1}, {"clipboard_get_text", 0},
        {"base64_encode", 1}, {"base64_decode", 1}, {"md5_string_unicode", 1}, {"md5_string_utf8", 1},
        {"md5_file", 1}, {"sha1_string_unicode", 1}, {"sha1_string_utf8", 1}, {"sha1_file", 1},
    };
    testsupport::RegisterBuiltins();
    int32_t previous = -1;
    for (size_t i = 0; i < std::size(rows); ++i) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(rows[i].name, &id)) << rows[i].name;
        EXPECT_EQ(Function_Get(id)->argCount, rows[i].count) << rows[i].name;
        // Each group's rows follow one another (79 File rows, 6 window rows, 8 hashing rows).
        bool groupStart = i == 0 || i == 79 || i == 85;
        if (!groupStart) {
            EXPECT_EQ(id, previous + 1) << rows[i].name;
        }
        previous = id;
    }
}

TEST_F(FileBuiltins, ThirtyOneIdsThenTheTableIsFull)
{
    WriteAll(Saved("in.txt"), "x");
    for (const char* open : {"file_bin_open", "file_text_open_read"}) {
        for (int i = 1; i <= 31; ++i) {
            double id = std::string(open) == "file_bin_open" ? CallReal(open, {"in.txt", 0}) : CallReal(open, {"in.txt"});
            ASSERT_EQ(id, i) << open;
        }
        double full = std::string(open) == "file_bin_open" ? CallReal(open, {"in.txt", 0}) : CallReal(open, {"in.txt"});
        EXPECT_EQ(full, -1) << open;
        EXPECT_TRUE(Reported("Cannot open another file (maximum exceeded).")) << open;
    }
}

TEST_F(FileBuiltins, TextLinesNumbersAndTheEnd)
{
    WriteAll(Saved("lines.txt"), "\xEF\xBB\xBF" "abc\r\n 2.5 x\r\n");
    double id = CallReal("file_text_open_read", {"lines.txt"});
    ASSERT_EQ(id, 1);
    EXPECT_EQ(CallText("file_text_read_string", {id}), "abc");
    EXPECT_EQ(CallText("file_text_read_string", {id}), "");
    EXPECT_EQ(CallReal("file_text_eoln", {id}), 1);
    EXPECT_EQ(CallText("file_text_readln", {id}), "\r\n");
    EXPECT_EQ(CallReal("file_text_read_real", {id}), 2.5);
    EXPECT_EQ(CallText("file_text_readln", {id}), " x\r\n");
    EXPECT_EQ(CallReal("file_text_eof", {id}), 1);
    // A read that starts at the end gives the empty text.
    EXPECT_EQ(CallBuiltin("file_text_read_string", {id}).text, "");
    EXPECT_EQ(CallText("file_text_readln", {id}), "");
    CallBuiltin("file_text_close", {id});

    double text = CallReal("file_text_open_from_string", {"7 8\nnext"});
    EXPECT_EQ(CallReal("file_text_read_real", {text}), 7);
    EXPECT_EQ(CallReal("file_text_read_real", {text}), 8);
    CallBuiltin("file_text_readln", {text});
    EXPECT_EQ(CallText("file_text_read_string", {text}), "next");
    EXPECT_EQ(CallReal("file_text_open_from_string", {5}), -1);
}

TEST_F(FileBuiltins, IdsOutsideTheTableAreReported)
{
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* message;
    };
    const Case cases[] = {
        {"file_text_read_string", {0}, "File is not opened for reading."},
        {"file_text_readln", {32}, "File is not opened for reading."},
        {"file_text_eof", {-1}, "File is not opened for reading."},
        {"file_text_write_string", {0, "x"}, "File not opened for writing."},
        {"file_text_writeln", {32}, "File not opened for writing."},
        {"file_text_close", {32}, "Trying to close unexisting text file."},
        {"file_bin_read_byte", {0}, "File is not opened."},
        {"file_bin_close", {3}, "Trying to close unopened file."},
        {"file_bin_rewrite", {40}, "Trying to rewrite unopened file."},
        {"file_read_string", {}, "File not opened for reading."},
        {"file_write_real", {1.5}, "File not opened for writing."},
    };
    for (const Case& c : cases) {
        CallBuiltin(c.name, c.args);
        EXPECT_TRUE(Reported(c.message)) << c.name;
    }
}

TEST_F(FileBuiltins, WrittenTextUsesCrLfAndTheNumberFormats)
{
    double id = CallReal("file_text_open_write", {"out\\sub\\text.txt"});
    ASSERT_EQ(id, 1);
    CallBuiltin("file_text_write_real", {id, 0.5});
    CallBuiltin("file_text_write_string", {id, "a\nb"});
    CallBuiltin("file_text_write_string", {id, 3});
    CallBuiltin("file_text_writeln", {id});
    CallBuiltin("file_text_close", {id});
    EXPECT_EQ(ReadAll(Saved("out/sub/text.txt")), "0.5 a\r\nb\r\n");
    double more = CallReal("file_text_open_append", {"out/sub/text.txt"});
    CallBuiltin("file_text_write_string", {more, "end"});
    CallBuiltin("file_text_close", {more});
    EXPECT_EQ(ReadAll(Saved("out/sub/text.txt")), "0.5 a\r\nb\r\nend");

    // The older family uses names as given, here relative to the game folder.
    CallBuiltin("file_open_write", {"legacy.txt"});
    CallBuiltin("file_write_real", {0.5});
    CallBuiltin("file_writeln", {});
    CallBuiltin("file_write_string", {"x y"});
    CallBuiltin("file_close", {});
    EXPECT_EQ(ReadAll(m_Game / "legacy.txt"), "    0.5000\r\nx y");
    CallBuiltin("file_open_read", {"legacy.txt"});
    EXPECT_EQ(CallReal("file_read_real", {}), 0.5);
    EXPECT_EQ(CallText("file_readln", {}), "\n");
    EXPECT_EQ(CallReal("file_eof", {}), 0);
    EXPECT_EQ(CallText("file_read_string", {}), "x y");
    EXPECT_EQ(CallReal("file_eof", {}), 1);
    CallBuiltin("file_close", {});
}

TEST_F(FileBuiltins, BinaryFilesInEveryMode)
{
    double id = CallReal("file_bin_open", {"bin/data.bin", 1});
    ASSERT_EQ(id, 1);
    for (int b : {0, 255, 256 + 7, -1}) CallBuiltin("file_bin_write_byte", {id, b});
    EXPECT_EQ(CallReal("file_bin_size", {id}), 4);
    CallBuiltin("file_bin_read_byte", {id});
    EXPECT_TRUE(Reported("Error reading byte."));
    CallBuiltin("file_bin_close", {id});
    EXPECT_EQ(ReadAll(Saved("bin/data.bin")), std::string("\x00\xFF\x07\xFF", 4));

    double reader = CallReal("file_bin_open", {"bin/data.bin", 0});
    EXPECT_EQ(CallReal("file_bin_read_byte", {reader}), 0);
    EXPECT_EQ(CallReal("file_bin_read_byte", {reader}), 255);
    CallBuiltin("file_bin_seek", {reader, -5});
    CallBuiltin("file_bin_read_byte", {reader});
    EXPECT_TRUE(Reported("Error reading byte."));
    CallBuiltin("file_bin_write_byte", {reader, 9}); // read-only: nothing written
    CallBuiltin("file_bin_close", {reader});

    double update = CallReal("file_bin_open", {"bin/data.bin", 7});
    CallBuiltin("file_bin_seek", {update, 2});
    EXPECT_EQ(CallReal("file_bin_read_byte", {update}), 7);
    CallBuiltin("file_bin_write_byte", {update, 65});
    EXPECT_EQ(CallReal("file_bin_position", {update}), 4);
    CallBuiltin("file_bin_rewrite", {update});
    CallBuiltin("file_bin_write_byte", {update, 66});
    CallBuiltin("file_bin_close", {update});
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
    struct Case {
        const char* name;
        double answer;
    };
    for (const Case& c : {Case{"shipped.txt", 1}, Case{"a.txt", 1}, Case{"none.txt", 0}, Case{"folder", 0}})
        EXPECT_EQ(CallReal("file_exists", {c.name}), c.answer) << c.name;
    CallBuiltin("file_delete", {"shipped.txt"});
    EXPECT_TRUE(fs::exists(m_Game / "shipped.txt"));
    EXPECT_EQ(CallReal("file_copy", {"shipped.txt", "copy.txt"}), 0);
    EXPECT_EQ(ReadAll(Saved("copy.txt")), "bundle");
    testsupport::LogCapture log;
    EXPECT_EQ(CallReal("file_copy", {"none.txt", "x.txt"}), -1);
    EXPECT_NE(log.Text().find("Unable to open source file none.txt\n"), std::string::npos);
    CallBuiltin("file_rename", {"copy.txt", "renamed.txt"});
    EXPECT_EQ(ReadAll(Saved("renamed.txt")), "bundle");
    CallBuiltin("file_delete", {"renamed.txt"});
    EXPECT_FALSE(fs::exists(Saved("renamed.txt")));
    CallBuiltin("directory_create", {"made\\deeper"});
    EXPECT_EQ(CallReal("directory_exists", {"made/deeper"}), 1);
    EXPECT_EQ(CallReal("directory_exists", {"a.txt"}), 0);

    // Masks: 0 plain files, 16 folders too, 2 only hidden ones; save area first, then the bundle.
    auto find = [](double mask) {
        std::vector<std::string> names;
        for (std::string name = CallText("file_find_first", {"*", mask}); !name.empty(); name = CallText("file_find_next", {}))
            names.push_back(name);
        CallBuiltin("file_find_close", {});
        return names;
    };
    EXPECT_EQ(find(0), (std::vector<std::string>{".hidden", "a.txt", "shipped.txt"}));
    EXPECT_EQ(find(16), (std::vector<std::string>{".hidden", "a.txt", "folder", "made", "shipped.txt"}));
    EXPECT_EQ(find(2), (std::vector<std::string>{".hidden"}));
    EXPECT_EQ(CallText("file_find_next", {}), "");
    chmod(Saved("a.txt").c_str(), 0444);
    EXPECT_EQ(CallReal("file_attributes", {"a.txt", 0}), 33);
    EXPECT_EQ(CallReal("file_attributes", {"folder", 0}), 16);
    EXPECT_EQ(CallReal("file_attributes", {"none", 0}), 0);
}

TEST_F(FileBuiltins, FileNamePartsProgramsAndTheEnvironment)
{
    struct Case {
        const char* function;
        std::vector<testsupport::TestArg> args;
        const char* answer;
    };
    const Case cases[] = {
        {"filename_name", {"C:\\games\\x.txt"}, "x.txt"},
        {"filename_name", {"a\\b/c"}, "b/c"},
        {"filename_path", {"a\\b/c"}, "a"},
        {"filename_path", {"\\top"}, ""},
        {"filename_ext", {"x.tar.gz"}, ".gz"},
        {"filename_drive", {"/games/x"}, ""},
        {"filename_path", {"C:\\games\\x.txt"}, "C:\\games"},
        {"filename_dir", {"C:\\games\\\\x.txt"}, "C:\\games"},
        {"filename_drive", {"C:\\games\\x.txt"}, "C:"},
        {"filename_ext", {"a/b.c/d"}, ""},
        {"filename_change_ext", {"a.txt", ".dat"}, "a.dat"},
        {"filename_change_ext", {"a", "dat"}, "a.dat"},
        {"filename_change_ext", {"a", ".dat"}, "a..dat"},
        {"filename_change_ext", {"a", 1}, ""},
        {"parameter_string", {0}, ""},
        {"environment_get_variable", {"KELVARO_SURELY_UNSET"}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CallText(c.function, c.args), c.answer) << c.function;
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
    CallBuiltin("ini_read_string", {"s", "k", "d"});
    EXPECT_TRUE(Reported("Trying to read from undefined INI file"));
    EXPECT_EQ(CallReal("ini_read_real", {"s", "k", 4}), 4);
    CallBuiltin("ini_key_delete", {"s", "k"});
    EXPECT_TRUE(Reported("Trying to change undefined INI file"));
    EXPECT_EQ(CallText("ini_close", {}), "");

    CallBuiltin("ini_open", {"first.ini"});
    CallBuiltin("ini_write_real", {"game", "level", 2});
    CallBuiltin("ini_write_string", {"game", "name", "Ann"});
    CallBuiltin("ini_write_real", {"game", "bad", "x"});
    EXPECT_TRUE(Reported("Wrong argument types for ini_write_real"));
    EXPECT_EQ(CallReal("ini_read_real", {"game", "missing", "5"}), 5);
    EXPECT_EQ(CallReal("ini_key_exists", {"game", "level"}), 1);
    // A second ini_open writes the first back.
    CallBuiltin("ini_open", {"second.ini"});
    EXPECT_EQ(ReadAll(Saved("first.ini")), "[game]\r\nname=Ann\r\nlevel=2.000000\r\n");
    EXPECT_EQ(CallReal("ini_section_exists", {"game"}), 0);
    CallBuiltin("ini_read_string", {"s", 1, "d"});
    EXPECT_TRUE(Reported("ini_read_string wrong type of arguments"));
    CallBuiltin("ini_open_from_string", {"[a]\nx=1\n"});
    CallBuiltin("ini_section_delete", {"a"});
    CallBuiltin("ini_write_string", {"b", "y", "2"});
    EXPECT_EQ(CallText("ini_close", {}), "[b]\r\ny=2\r\n");
    EXPECT_FALSE(fs::exists(Saved("second.ini"))); // unchanged: never written

    CallBuiltin("registry_write_string", {"Score", "10"});
    CallBuiltin("registry_write_real", {"SCORE", 2});
    EXPECT_EQ(CallText("registry_read_string", {"score"}), "2.000000");
    EXPECT_EQ(CallReal("registry_read_real", {"sCoRe"}), 2);
    EXPECT_EQ(CallReal("registry_exists", {"Scores"}), 0);
    EXPECT_EQ(CallText("registry_read_string_ext", {"k", "Score"}), "");
    EXPECT_EQ(CallReal("registry_exists_ext", {"k", "Score"}), 0);
}

TEST_F(FileBuiltins, HashesAndBase64)
{
    struct Case {
        const char* function;
        std::vector<testsupport::TestArg> args;
        const char* answer;
    };
    const Case cases[] = {
        {"md5_string_utf8", {"abc"}, "900150983cd24fb0d6963f7d28e17f72"},
        {"md5_string_unicode", {"abc"}, "ce1473cf80c6b3fda8e3dfc006adc315"}, // 61 00 62 00 63 00
        {"sha1_string_unicode", {"abc"}, "9f04f41a848514162050e3d68c1a7abb441dc2b5"},
        {"md5_string_utf8", {5}, ""},
        {"md5_string_utf8", {""}, ""},
        {"base64_encode", {"hello"}, "aGVsbG8="},
        {"base64_decode", {"aGVsbG8="}, "hello"},
        {"base64_decode", {"YQBi"}, "a"}, // cut at the zero byte
        {"md5_file", {"nowhere.bin"}, ""},
    };
    for (const Case& c : cases) {
        testsupport::BuiltinResult result = CallBuiltin(c.function, c.args);
        EXPECT_TRUE(result.IsText()) << c.function;
        EXPECT_EQ(result.text, c.answer) << c.function;
    }
    // The save-area copy wins over the one beside the game.
    WriteAll(m_Game / "both.txt", "bundle");
    EXPECT_EQ(CallText("md5_file", {"both.txt"}), CallText("md5_string_utf8", {"bundle"}));
    std::string big(5000, 'q');
    WriteAll(Saved("both.txt"), big);
    EXPECT_EQ(CallText("md5_file", {"both.txt"}), CallText("md5_string_utf8", {big.c_str()}));
    EXPECT_EQ(CallText("sha1_file", {"both.txt"}), CallText("sha1_string_utf8", {big.c_str()}));
}

TEST_F(FileBuiltins, PrioritiesBecomeNiceValues)
{
    // Only lowering is asked for, which every process may do; the order keeps it lowering.
    if (getpriority(PRIO_PROCESS, 0) != 0) GTEST_SKIP() << "the tests already run at another priority";
    struct Case {
        double value;
        int nice;
    };
    for (const Case& c : {Case{0, 0}, Case{-0.5, 0}, Case{-1, 1}, Case{-2.5, 2}, Case{-3, 19}}) {
        CallBuiltin("set_program_priority", {c.value});
        EXPECT_EQ(getpriority(PRIO_PROCESS, 0), c.nice) << c.value;
    }
}

TEST_F(FileBuiltins, ClipboardRemembersAnEmptyText)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    CallBuiltin("clipboard_set_text", {"hi"});
    EXPECT_EQ(CallReal("clipboard_has_text", {}), 1);
    EXPECT_EQ(CallText("clipboard_get_text", {}), "hi");
    CallBuiltin("clipboard_set_text", {""});
    EXPECT_EQ(CallReal("clipboard_has_text", {}), 1);
    EXPECT_EQ(CallText("clipboard_get_text", {}), "");
    // No window here: no handle; a title that is no string changes nothing and reports nothing.
    EXPECT_EQ(CallReal("window_handle", {}), 0);
    CallBuiltin("set_application_title", {5});
    EXPECT_EQ(g_ErrorLast, "");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
