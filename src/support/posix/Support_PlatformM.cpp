#include "support/posix/Support_PlatformM.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

int64_t PlatformM_MonotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void PlatformM_SleepMilliseconds(int64_t milliseconds)
{
    if (milliseconds <= 0) return;
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>((milliseconds % 1000) * 1000000)};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

int32_t PlatformM_Attributes(const char* path)
{
    struct stat info {};
    if (path == nullptr || path[0] == '\0' || stat(path, &info) != 0) return -1;
    int32_t attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= 16;
    else if (S_ISREG(info.st_mode)) attributes |= 32;
    // Read-only as a mark on the entry, whoever asks (root may write anything).
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= 1;
    const char* name = std::strrchr(path, '/');
    name = name != nullptr ? name + 1 : path;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) attributes |= 2;
    return attributes;
}

bool PlatformM_ListFolder(const char* folder, std::vector<std::string>& names)
{
    DIR* dir = opendir(folder != nullptr && folder[0] != '\0' ? folder : ".");
    if (dir == nullptr) return false;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return true;
}

bool PlatformM_MakeFolder(const char* path)
{
    return mkdir(path, 0777) == 0;
}

bool PlatformM_RemoveFile(const char* path)
{
    return unlink(path) == 0;
}

bool PlatformM_RemoveFolder(const char* path)
{
    return rmdir(path) == 0;
}

void PlatformM_MakeWritable(const char* path)
{
    struct stat info {};
    if (stat(path, &info) == 0) chmod(path, info.st_mode | S_IWUSR);
}

std::string PlatformM_CurrentDirectory()
{
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

bool PlatformM_IsExecutable(const char* path)
{
    struct stat info {};
    return path != nullptr && stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, X_OK) == 0;
}

int32_t PlatformM_Spawn(const std::vector<std::string>& argv, const char* directory)
{
    if (argv.empty() || argv[0].empty()) return -1;
    std::vector<char*> pointers;
    for (const std::string& word : argv)
        pointers.push_back(const_cast<char*>(word.c_str()));
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (directory != nullptr && directory[0] != '\0') posix_spawn_file_actions_addchdir_np(&actions, directory);
    pid_t pid = -1;
    int failed = posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? static_cast<int32_t>(pid) : -1;
}

bool PlatformM_ChildEnded(int32_t pid)
{
    int status = 0;
    pid_t answer = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    return answer != 0;
}
