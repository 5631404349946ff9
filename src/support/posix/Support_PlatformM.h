// The POSIX calls under the support area's portable halves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

int64_t PlatformM_MonotonicMicroseconds();
void PlatformM_SleepMilliseconds(int64_t milliseconds);

// Entry attributes as the file built-ins see them: 1 read-only (no write permission bit), 2 hidden (a leading "."),
// 16 folder, 32 plain file. -1 when the path cannot be read.
int32_t PlatformM_Attributes(const char* path);
// The names in a folder ("." and ".." left out); false when it cannot be read.
bool PlatformM_ListFolder(const char* folder, std::vector<std::string>& names);
// Makes one folder; true when it was made.
bool PlatformM_MakeFolder(const char* path);
// Removes a file, or an empty folder; true when it is gone.
bool PlatformM_RemoveFile(const char* path);
bool PlatformM_RemoveFolder(const char* path);
// Gives the owner write permission.
void PlatformM_MakeWritable(const char* path);
// The process's current folder; "" when it cannot be read.
std::string PlatformM_CurrentDirectory();
// Whether the path is a regular file the process may execute.
bool PlatformM_IsExecutable(const char* path);
// Starts argv[0] found on PATH in `directory` (null: here); the child's id, or -1.
int32_t PlatformM_Spawn(const std::vector<std::string>& argv, const char* directory);
// Whether the child has ended (reaping it); a child that cannot be waited for counts as ended.
bool PlatformM_ChildEnded(int32_t pid);
