#include "support/Support_SaveArea.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/App_Paths.h"
#include "platform/Platform_MemoryManager.h"
#include "support/posix/Support_PlatformM.h"
#include "variable/Variable_BuiltIn.h"

namespace {

constexpr int32_t PATH_CAPACITY = 2048;
// The save folder's index among the save area's places (current folder, working directory, save
// folder): a path there maps to itself.
constexpr int32_t SAVE_FOLDER_PLACE = 2;

std::vector<std::string> g_ReadList;
std::vector<std::string> g_WriteList;

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The full path of a name: "\" read as "/", relative names under the current folder, "." and ".."
// folded by text (".." at the root stays there), a trailing separator kept. "" when there is none.
std::string FullPath(const char* name)
{
    if (name == nullptr || name[0] == '\0') return std::string();
    std::string text = name;
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text[0] != '/') {
        std::string current = PlatformM_CurrentDirectory();
        if (current.empty()) return std::string();
        text = current + "/" + text;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string full;
    for (const std::string& part : parts) full += "/" + part;
    if (full.empty() || text.back() == '/') full += "/";
    return full;
}

// A folder a name may lie under, as the prefix of full paths below it: its full path without a
// trailing separator ("" for the root). An unknown folder holds nothing.
struct Place {
    bool known = false;
    std::string prefix;
};

Place PlaceOf(const char* folder)
{
    Place place;
    place.prefix = FullPath(folder);
    place.known = !place.prefix.empty();
    while (!place.prefix.empty() && place.prefix.back() == '/') place.prefix.pop_back();
    return place;
}

bool Under(const std::string& full, const Place& place)
{
    const std::string& prefix = place.prefix;
    return place.known && full.compare(0, prefix.size(), prefix) == 0 &&
           (full.size() == prefix.size() || full[prefix.size()] == '/');
}

// The index of the longest place that holds the path, or -1.
int32_t LongestPlace(const std::string& full, const std::vector<Place>& places)
{
    int32_t best = -1;
    for (size_t i = 0; i < places.size(); ++i) {
        if (!Under(full, places[i])) continue;
        if (best < 0 || places[i].prefix.size() > places[best].prefix.size()) best = static_cast<int32_t>(i);
    }
    return best;
}

// The part of the path below the place, without its leading separator.
std::string Rest(const std::string& full, const Place& place)
{
    std::string rest = full.substr(place.prefix.size());
    return rest.empty() ? rest : rest.substr(1);
}

bool Listed(const std::vector<std::string>& list, const std::string& full)
{
    for (const std::string& entry : list)
        if (SameIgnoringCase(entry, full)) return true;
    return false;
}

void Store(char* result, int32_t capacity, const std::string& path)
{
    if (static_cast<int64_t>(path.size()) < capacity) std::memcpy(result, path.c_str(), path.size() + 1);
}

// Below the game folder, each part of the rest that is missing as spelled is looked for ignoring
// case (the first such name in sorted order); the path as spelled when a part is not found.
std::string MatchCase(const std::string& folder, const std::string& rest)
{
    std::string path = folder;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        std::string exact = path + (path.back() == '/' ? "" : "/") + part;
        if (PlatformM_Attributes(exact.c_str()) >= 0) {
            path = exact;
            continue;
        }
        std::vector<std::string> names;
        if (!PlatformM_ListFolder(path.c_str(), names)) return std::string();
        std::sort(names.begin(), names.end());
        auto found = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return SameIgnoringCase(n, part); });
        if (found == names.end()) return std::string();
        path += (path.back() == '/' ? "" : "/") + *found;
    }
    return path;
}

// A folder opens for reading here, though no file is there.
bool CanOpen(const char* path)
{
    if (path[0] == '\0') return false;
    int32_t attributes = PlatformM_Attributes(path);
    if (attributes < 0 || (attributes & 16) != 0) return false;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

} // namespace

void LoadSave_AllowRead(const char* path)
{
    std::string full = FullPath(path);
    if (!full.empty()) g_ReadList.push_back(full);
}

void LoadSave_AllowWrite(const char* path)
{
    std::string full = FullPath(path);
    if (!full.empty()) g_WriteList.push_back(full);
}

void LoadSave_ClearAllowed()
{
    g_ReadList.clear();
    g_WriteList.clear();
}

void LoadSave_SaveAreaPath(char* result, int32_t capacity, const char* name)
{
    if (result == nullptr || capacity < 1) return;
    result[0] = '\0';
    std::string full = FullPath(name);
    if (full.empty()) return;
    const char* saveFolder = GetSaveDirectory();
    std::vector<Place> places = {PlaceOf(PlatformM_CurrentDirectory().c_str()), PlaceOf(Variable_WorkingDirectory()),
                                 PlaceOf(saveFolder)};
    int32_t place = saveFolder != nullptr ? LongestPlace(full, places) : -1;
    if (place == SAVE_FOLDER_PLACE) Store(result, capacity, full);
    else if (place >= 0) Store(result, capacity, saveFolder + Rest(full, places[place]));
    else if (Listed(g_WriteList, full)) Store(result, capacity, full);
}

void LoadSave_BundlePath(char* result, int32_t capacity, const char* name)
{
    if (result == nullptr || capacity < 1) return;
    result[0] = '\0';
    std::string full = FullPath(name);
    if (full.empty()) return;
    std::vector<Place> places = {PlaceOf(PlatformM_CurrentDirectory().c_str()), PlaceOf(Variable_WorkingDirectory())};
    int32_t place = LongestPlace(full, places);
    if (place < 0) {
        if (Listed(g_ReadList, full)) Store(result, capacity, full);
        return;
    }
    std::string folder = PlaceOf(GetGameFileDirectory()).prefix + "/";
    std::string rest = Rest(full, places[place]);
    std::string path = folder + rest;
    if (PlatformM_Attributes(path.c_str()) < 0) {
        std::string matched = MatchCase(folder, rest);
        if (!matched.empty()) path = matched;
    }
    Store(result, capacity, path);
}

bool LoadSave_FileExistsSaveArea(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, sizeof path, name);
    return CanOpen(path);
}

bool LoadSave_FileExistsBundle(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, sizeof path, name);
    return CanOpen(path);
}

uint8_t* LoadSave_ReadWholeFile(const char* path, int32_t* size)
{
    if (path == nullptr || path[0] == '\0') return nullptr;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    std::setvbuf(file, nullptr, _IOFBF, 32768);
    std::fseek(file, 0, SEEK_END);
    int64_t length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    // A size that a signed 32-bit count cannot hold, or a stream that cannot tell, is unreadable.
    if (length < 0 || length > INT32_MAX) {
        std::fclose(file);
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(length > 0 ? static_cast<size_t>(length) : 1, true));
    size_t got = std::fread(block, 1, static_cast<size_t>(length), file);
    std::fclose(file);
    if (size != nullptr) *size = static_cast<int32_t>(got);
    return block;
}

uint8_t* LoadSave_ReadSaveAreaFile(const char* name, int32_t* size)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, sizeof path, name);
    return LoadSave_ReadWholeFile(path, size);
}

uint8_t* LoadSave_ReadBundleFile(const char* name, int32_t* size)
{
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, sizeof path, name);
    return LoadSave_ReadWholeFile(path, size);
}

bool _WriteFile(const char* path, const void* data, int32_t size)
{
    FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
    if (file == nullptr) {
        std::fprintf(stderr, "_WriteFile: %s\n", std::strerror(path != nullptr ? errno : ENOENT));
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t left = size > 0 && data != nullptr ? static_cast<size_t>(size) : 0;
    while (left > 0) {
        size_t written = std::fwrite(bytes, 1, left, file);
        if (written == 0) break;
        bytes += written;
        left -= written;
    }
    bool closed = std::fclose(file) == 0;
    return left == 0 && closed;
}

void LoadSave_IniHook(IniFile*) {}
