#include "app/App_Paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/App_CommandLine.h"
#include "gamefile/GameFile_Header.h"

namespace {

std::string g_ProgramPath;
std::string g_GameFileDirectory;
std::string g_SaveDirectory;
bool g_ProgramPathKnown = false;
bool g_GameFileDirectoryKnown = false;
bool g_SaveDirectoryKnown = false;

const char* Env(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// The XDG base folder: the variable when set, else the fallback under the home folder.
bool BaseFolder(const char* variable, const char* underHome, std::string& folder)
{
    if (const char* value = Env(variable)) {
        folder = value;
        return true;
    }
    const char* home = Env("HOME");
    if (home == nullptr) return false;
    folder = std::string(home) + "/" + underHome;
    return true;
}

} // namespace

const char* GetProgramDirectory()
{
    if (!g_ProgramPathKnown) {
        std::error_code error;
        std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        g_ProgramPath = error ? std::string() : self.string();
        g_ProgramPathKnown = true;
    }
    return g_ProgramPath.c_str();
}

const char* GetGameFileDirectory()
{
    if (!g_GameFileDirectoryKnown) {
        std::string name = App_GetGameFileName() != nullptr ? App_GetGameFileName() : "";
        size_t cut = name.find_last_of('/');
        if (cut == std::string::npos) cut = name.find_last_of('\\');
        g_GameFileDirectory = cut == std::string::npos ? std::string("./") : name.substr(0, cut) + "/";
        g_GameFileDirectoryKnown = true;
    }
    return g_GameFileDirectory.c_str();
}

std::string App_SaveFolderComponent(const char* name)
{
    std::string component = name != nullptr ? name : "";
    for (char& c : component) {
        if (c == '/' || c == '\\') c = '_';
    }
    if (component == "." || component == "..") component = "_";
    return component;
}

std::string App_SaveFolderOfGameFile(const char* gameFile)
{
    std::string path = gameFile != nullptr ? gameFile : "";
    std::replace(path.begin(), path.end(), '\\', '/');
    size_t slash = path.find_last_of('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = file.find_last_of('.');
    std::string name = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
    // "data.win" is the name every game beside its program has: its folder tells one from another.
    if (name == "data" && slash != std::string::npos && slash > 0) {
        std::string folder = path.substr(0, slash);
        std::string parent = folder.substr(folder.find_last_of('/') + 1);
        if (!parent.empty() && parent != "." && parent != "..") name = parent;
    }
    return name.empty() ? std::string("game") : name;
}

const char* GetSaveDirectory()
{
    // A start that read no header (a missing or refused file) has no game to save for.
    if (!g_GameHeader.present) return nullptr;
    if (!g_SaveDirectoryKnown) {
        bool roaming = g_GameHeader.present && (g_GameHeader.infoFlags & HEADER_FLAG_ROAMING_SAVE) != 0;
        std::string base;
        bool found = roaming ? BaseFolder("XDG_CONFIG_HOME", ".config", base)
                             : BaseFolder("XDG_DATA_HOME", ".local/share", base);
        if (!found) return nullptr; // nothing is kept: a later call asks again
        // Without a name of its own the game still gets a folder of its own, never the base itself.
        std::string name = g_GameHeader.saveFolder.empty() ? App_SaveFolderOfGameFile(App_GetGameFileName())
                                                            : g_GameHeader.saveFolder;
        g_SaveDirectory = base + "/" + App_SaveFolderComponent(name.c_str()) + "/";
        g_SaveDirectoryKnown = true;
    }
    return g_SaveDirectory.c_str();
}

void App_ResetPaths()
{
    g_ProgramPathKnown = false;
    g_GameFileDirectoryKnown = false;
    g_SaveDirectoryKnown = false;
}
