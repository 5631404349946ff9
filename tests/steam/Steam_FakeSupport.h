// The Steam tests' fixture: a build of the stand-in client library loaded from its build folder,
// steered through its command entry point, and the Steam layer started against it with application
// id 12.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "../TestSupport_Console.h"
#include "../function/Function_TestCases.h"
#include "gamefile/GameFile_Header.h"
#include "steam/Steam_Layer.h"
#include "steam/Steam_Leaderboards.h"
#include "steam/Steam_UserStats.h"

namespace steamtest {

inline std::string FakeFolder(const char* variant)
{
    return std::string(FAKE_STEAM_FOLDER) + "/" + variant;
}

class FakeSteam : public functiontest::BuiltinTest {
  protected:
    void SetUp() override
    {
        BuiltinTest::SetUp();
        testsupport::RegisterBuiltins();
        Use("full");
    }
    void TearDown() override
    {
        {
            // Answers still on their way reach their handlers, which free themselves; shut-down
            // leaves handlers in flight as they are.
            testsupport::ConsoleCapture quiet;
            for (int frame = 0; frame < 3; ++frame) Steam_Process();
            Steam_Shutdown();
        }
        Steam_ResetStartFailed();
        Steam_SetProgramFolder(nullptr);
        std::filesystem::remove_all(m_Folder);
        Leaderboard_ClearTable();
        g_GameHeader.steamAppId = 0;
        for (auto& [variant, library] : m_Libraries) {
            // No build was asked for a method the engine has no use for.
            auto log = reinterpret_cast<const char* (*)()>(dlsym(library, "FakeSteam_CallLog"));
            EXPECT_EQ(std::string::npos, std::string(log()).find("unexpected")) << variant << ":\n" << log();
            dlclose(library);
        }
        BuiltinTest::TearDown();
    }
    // Steers the named build of the library from now on, reset to application id 12; the build stays
    // loaded until the test ends, so what it was told outlives a shut-down.
    void Use(const std::string& variant)
    {
        void*& library = m_Libraries[variant];
        if (library == nullptr) library = dlopen((FakeFolder(variant.c_str()) + "/libsteam_api.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, library) << dlerror();
        m_Command = reinterpret_cast<void (*)(const char*)>(dlsym(library, "FakeSteam_Command"));
        m_CallLog = reinterpret_cast<const char* (*)()>(dlsym(library, "FakeSteam_CallLog"));
        Command("reset;appid 12");
    }
    // Starts Steam with a program folder of this test's own holding a link to the named build of the
    // library ("none": no library); the log of the start.
    std::string Start(const char* variant = "full", uint32_t appId = 12)
    {
        std::filesystem::path folder = m_Folder / variant;
        std::filesystem::create_directories(folder);
        std::filesystem::path library = folder / "libsteam_api.so";
        if (std::string(variant) != "none" && !std::filesystem::exists(library))
            std::filesystem::create_symlink(FakeFolder(variant) + "/libsteam_api.so", library);
        testsupport::ConsoleCapture log;
        g_GameHeader.steamAppId = appId;
        Steam_SetProgramFolder(folder.c_str());
        Steam_Init();
        return log.console.text;
    }
    // One frame's Steam stage; its log.
    std::string Frame()
    {
        testsupport::ConsoleCapture log;
        Steam_Process();
        return log.console.text;
    }
    // Commands to the library, separated by ';'.
    void Command(const std::string& lines)
    {
        std::istringstream commands(lines);
        for (std::string line; std::getline(commands, line, ';');)
            m_Command(line.c_str());
    }
    std::string Calls() const { return m_CallLog(); }
    // How often the part occurs in the library's call log, or in a text.
    size_t Count(const std::string& part) const { return CountIn(Calls(), part); }
    static size_t CountIn(const std::string& text, const std::string& part)
    {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }

    // The id file of the last start.
    std::string AppIdFile(const char* variant = "full") const { return (m_Folder / variant / "steam_appid.txt").string(); }

    std::filesystem::path m_Folder =
        std::filesystem::path(testing::TempDir()) / ("steam_" + std::to_string(static_cast<long>(getpid())));
    std::map<std::string, void*> m_Libraries;
    void (*m_Command)(const char*) = nullptr;
    const char* (*m_CallLog)() = nullptr;
};

} // namespace steamtest
