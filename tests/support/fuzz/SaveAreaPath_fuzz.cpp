// File names from scripts mapped into the save area and the bundle: the first byte chooses the
// buffer's capacity, the rest is the name. Whatever the name, the result fits the buffer and lies
// in the save folder or the game's folder, or is empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/App_Paths.h"
#include "gamefile/GameFile_Header.h"
#include "support/Support_SaveArea.h"
#include "support/posix/Support_PlatformM.h"

namespace {

// Empty, or the folder itself, or below it.
bool Within(const char* path, std::string folder)
{
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    if (path[0] == '\0') return true;
    if (std::strncmp(path, folder.c_str(), folder.size()) != 0) return false;
    return path[folder.size()] == '\0' || path[folder.size()] == '/';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    static const bool ready = [] {
        setenv("XDG_DATA_HOME", "/tmp/kelvaro_fuzz_share", 1);
        g_GameHeader.present = true; // a game without a header saves nothing
        g_GameHeader.saveFolder = "Game";
        App_ResetPaths();
        return true;
    }();
    (void)ready;
    int32_t capacity = 1 + data[0] * 16;
    std::string name(reinterpret_cast<const char*>(data + 1), size - 1);
    name = name.c_str(); // up to the first zero byte, as a script text ends
    std::vector<char> save(static_cast<size_t>(capacity) + 1, '\x7f');
    std::vector<char> bundle(static_cast<size_t>(capacity) + 1, '\x7f');
    LoadSave_SaveAreaPath(save.data(), capacity, name.c_str());
    LoadSave_BundlePath(bundle.data(), capacity, name.c_str());
    // Nothing past the capacity, and a terminator inside it.
    if (save[static_cast<size_t>(capacity)] != '\x7f' || bundle[static_cast<size_t>(capacity)] != '\x7f') std::abort();
    if (std::memchr(save.data(), '\0', static_cast<size_t>(capacity)) == nullptr) std::abort();
    if (std::memchr(bundle.data(), '\0', static_cast<size_t>(capacity)) == nullptr) std::abort();
    std::string saveFolder = GetSaveDirectory();
    std::string gameFolder = PlatformM_CurrentDirectory();
    if (!Within(save.data(), saveFolder) || !Within(bundle.data(), gameFolder)) std::abort();
    return 0;
}
