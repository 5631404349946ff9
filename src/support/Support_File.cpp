#include "support/Support_File.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Text.h"
#include "platform/posix/Platform_Termination.h"
#include "run/Run_Window.h"
#include "support/Support_Timing.h"
#include "support/posix/Support_PlatformM.h"

namespace {

std::string g_TempBase;
std::string g_TempFolder;
bool g_TempMade = false;
// Children started without waiting, reaped on later calls so none stays a zombie.
std::vector<int32_t> g_Unwaited;

constexpr int64_t POLL_MILLISECONDS = 50;

char* Copy(const std::string& text)
{
    return String_Copy(text.c_str());
}

// The position of the last '\', else of the last '/'; npos without either.
size_t LastSeparator(const std::string& path)
{
    size_t cut = path.rfind('\\');
    return cut != std::string::npos ? cut : path.rfind('/');
}

std::string DirectoryOf(const std::string& path)
{
    size_t cut = LastSeparator(path);
    return cut == std::string::npos || cut == 0 ? std::string() : path.substr(0, cut);
}

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

void ReapUnwaited()
{
    std::vector<int32_t> running;
    for (int32_t pid : g_Unwaited)
        if (!PlatformM_ChildEnded(pid)) running.push_back(pid);
    g_Unwaited.swap(running);
}

// Words of a command line as the program's own tokenizer splits them.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    size_t position = 0;
    while (line[position] != '\0') {
        position = NextCommandLineToken(position, line.c_str());
        if (g_CommandToken[0] != '\0') words.emplace_back(g_CommandToken);
    }
    return words;
}

const char* FirstSet(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return value;
    }
    return P_tmpdir;
}

} // namespace

bool File_Exists(const char* path)
{
    int32_t attributes = PlatformM_Attributes(path);
    return attributes >= 0 && (attributes & 16) == 0 && (attributes & 32) != 0;
}

bool Directory_Exists(const char* path)
{
    int32_t attributes = PlatformM_Attributes(path);
    return attributes >= 0 && (attributes & 16) != 0;
}

char* File_GetDirectory(const char* path)
{
    return Copy(DirectoryOf(path != nullptr ? path : ""));
}

char* File_GetName(const char* path)
{
    std::string text = path != nullptr ? path : "";
    size_t cut = LastSeparator(text);
    return Copy(cut == std::string::npos ? text : text.substr(cut + 1));
}

char* File_GetDrive(const char* path)
{
    std::string text = path != nullptr ? path : "";
    return Copy(text.size() >= 2 && text[1] == ':' ? text.substr(0, 2) : std::string());
}

char* File_GetExtension(const char* path)
{
    std::string text = path != nullptr ? path : "";
    size_t name = text.find_last_of("\\/");
    size_t dot = text.rfind('.');
    bool inName = dot != std::string::npos && (name == std::string::npos || dot > name);
    return Copy(inName ? text.substr(dot) : std::string());
}

bool Directory_Create(const char* path)
{
    if (path == nullptr || path[0] == '\0') return false;
    std::string folder = path;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    // The root stands where the drive did: it always exists.
    if (folder == "/" || Directory_Exists(folder.c_str())) return true;
    std::string parent = DirectoryOf(folder);
    if (!parent.empty() && parent != folder && !Directory_Create(parent.c_str())) return false;
    return PlatformM_MakeFolder(folder.c_str()) || Directory_Exists(folder.c_str());
}

void File_CreatePathFolders(const char* path)
{
    std::string folder = DirectoryOf(path != nullptr ? path : "");
    if (!folder.empty()) Directory_Create(folder.c_str());
}

// "." and ".." never come back from the listing: each entry is named, none is assumed.
bool File_DeleteTree(const char* path)
{
    if (path == nullptr || path[0] == '\0') return false;
    std::vector<std::string> names;
    if (!PlatformM_ListFolder(path, names)) return false;
    for (const std::string& name : names) {
        std::string entry = Joined(path, name);
        int32_t attributes = PlatformM_Attributes(entry.c_str());
        if (attributes >= 0 && (attributes & 16) != 0) {
            if (!File_DeleteTree(entry.c_str())) return false;
            continue;
        }
        if ((attributes & 1) != 0) PlatformM_MakeWritable(entry.c_str());
        if (!PlatformM_RemoveFile(entry.c_str())) return false;
    }
    return PlatformM_RemoveFolder(path);
}

char* File_GetCurrentDirectory()
{
    return Copy(PlatformM_CurrentDirectory());
}

bool File_InitTempDirectory()
{
    // A run that ends by exit() before shut-down deletes the folder too.
    static const bool cleanupAtExit = std::atexit(File_DeleteTempFolder) == 0;
    (void)cleanupAtExit;
    g_TempBase = FirstSet({"TMPDIR", "TEMP", "TMP"});
    Directory_Create(g_TempBase.c_str());
    // A folder that exists, or that another run made first, takes a new number.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int32_t number = static_cast<int32_t>((std::rand() & 0x7FFF) / 32767.0 * 100000.0);
        g_TempFolder = Joined(g_TempBase, "kv_ttt_" + std::to_string(number));
        if (Directory_Exists(g_TempFolder.c_str())) continue;
        if (PlatformM_MakeFolder(g_TempFolder.c_str())) {
            g_TempMade = true;
            return true;
        }
    }
    return false;
}

void File_DeleteTempFolder()
{
    if (!g_TempMade) return;
    File_DeleteTree(g_TempFolder.c_str());
    g_TempMade = false;
}

char* File_GetTempDirectory()
{
    return g_TempFolder.empty() ? nullptr : Copy(g_TempFolder);
}

bool Shell_Execute(const char* file, const char* parameters, const char* directory)
{
    if (file == nullptr || file[0] == '\0') return false;
    ReapUnwaited();
    std::vector<std::string> argv;
    std::string target = file;
    std::string where = directory != nullptr ? directory : "";
    std::string resolved = target[0] == '/' || where.empty() ? target : Joined(where, target);
    if (PlatformM_IsExecutable(resolved.c_str())) {
        argv = Words(parameters != nullptr ? parameters : "");
        argv.insert(argv.begin(), resolved);
    } else {
        argv = {"xdg-open", target};
    }
    int32_t pid = PlatformM_Spawn(argv, directory);
    if (pid < 0) return false;
    g_Unwaited.push_back(pid);
    return true;
}

bool Program_Execute(const char* program, const char* arguments, const char* directory, bool wait)
{
    if (program == nullptr) return false;
    ReapUnwaited();
    std::string line = std::string(program) + " " + (arguments != nullptr ? arguments : "");
    int32_t pid = PlatformM_Spawn(Words(line), directory);
    if (pid < 0) return false;
    if (!wait) {
        g_Unwaited.push_back(pid);
        return true;
    }
    while (!PlatformM_ChildEnded(pid)) {
        // A termination signal ends the wait, not the program: the game goes on to its end, and
        // the program runs on as one started without waiting does.
        if (Platform_TerminationRequested()) {
            g_Unwaited.push_back(pid);
            break;
        }
        ProcessMessages();
        PlatformM_SleepMilliseconds(POLL_MILLISECONDS);
    }
    return true;
}

namespace {

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Greedy matching that returns to the last "*": time grows with name length times pattern length.
bool Matches(const char* name, const char* pattern)
{
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern != '\0' && (*pattern == '?' || Lower(*pattern) == Lower(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

} // namespace

bool File_MatchPattern(const char* name, const char* pattern)
{
    if (name == nullptr || pattern == nullptr) return false;
    if (Matches(name, pattern)) return true;
    size_t length = std::strlen(pattern);
    if (length < 2 || std::strcmp(pattern + length - 2, ".*") != 0 || std::strchr(name, '.') != nullptr) return false;
    return Matches(name, std::string(pattern, length - 2).c_str());
}

void File_WriteTextMode(std::FILE* file, const char* text)
{
    if (file == nullptr || text == nullptr) return;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') std::fputc('\r', file);
        std::fputc(*c, file);
    }
}

int File_ReadTextModeChar(std::FILE* file)
{
    int c = std::fgetc(file);
    if (c == 0x1A) {
        std::ungetc(c, file); // the end stays the end
        return EOF;
    }
    if (c == '\r') {
        int next = std::fgetc(file);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, file);
    }
    return c;
}

bool File_IsSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool File_IsNumberChar(int c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}
