// A save area of the test's own: XDG_DATA_HOME is "share" in a fresh temporary folder (the test's
// "home") for the object's life, and the game's save folder is "Game" unless a header named one,
// so files that the engine writes to the save area land there and nowhere else. The header counts
// as read, since nothing is saved for a game whose header was not.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/App_Paths.h"
#include "gamefile/GameFile_Header.h"

namespace testsupport {

class ScopedSaveArea {
public:
    explicit ScopedSaveArea(const std::string& tag)
    {
        // Tests of one binary run as parallel processes: each gets a folder of its own.
        m_Root = std::filesystem::path(testing::TempDir()) /
                 ("savearea_" + tag + "_" + std::to_string(static_cast<long>(getpid())));
        std::filesystem::remove_all(m_Root);
        std::filesystem::create_directories(m_Root);
        const char* old = std::getenv("XDG_DATA_HOME");
        m_HadOld = old != nullptr;
        if (m_HadOld) m_Old = old;
        setenv("XDG_DATA_HOME", (m_Root / "share").c_str(), 1);
        m_OldSaveFolder = g_GameHeader.saveFolder;
        m_OldPresent = g_GameHeader.present;
        g_GameHeader.present = true;
        if (g_GameHeader.saveFolder.empty()) g_GameHeader.saveFolder = "Game";
        App_ResetPaths();
        m_Folder = GetSaveDirectory();
        std::filesystem::create_directories(m_Folder);
    }
    ~ScopedSaveArea()
    {
        if (m_HadOld) setenv("XDG_DATA_HOME", m_Old.c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
        g_GameHeader.saveFolder = m_OldSaveFolder;
        g_GameHeader.present = m_OldPresent;
        App_ResetPaths();
        std::filesystem::remove_all(m_Root);
    }
    ScopedSaveArea(const ScopedSaveArea&) = delete;
    ScopedSaveArea& operator=(const ScopedSaveArea&) = delete;

    // The save folder, ending in '/'.
    const std::string& Folder() const { return m_Folder; }
    std::string Path(const std::string& name) const { return m_Folder + name; }
    // The test's "home", holding the save area.
    const std::filesystem::path& Root() const { return m_Root; }

private:
    std::filesystem::path m_Root;
    std::string m_Folder;
    std::string m_Old;
    std::string m_OldSaveFolder;
    bool m_HadOld = false;
    bool m_OldPresent = false;
};

} // namespace testsupport
