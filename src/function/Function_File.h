// The File family's groups and the platform operations they call. Function_File_Init registers
// the groups in this order: binary and text files by id; the older implicit text file; whole
// files, folders, searches, names, programs and the environment; INI files and the registry;
// HTTP and JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

void Function_FileIds_Register();
void Function_FileLegacy_Register();
void Function_FileSystem_Register();
void Function_FileIni_Register();
void Function_FileHttp_Register();

struct HTTP_REQ_CONTEXT;
// The completion of http_get and http_post_string: the map of "id", "url", "result", "http_status"
// and "status"; answers the HTTP event's subtype, 62.
int32_t Http_AsyncComplete(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId);

// Every id-based file closed and every table emptied (registration and shut-down); the search
// ended.
void Function_FileIds_Reset();
void Function_FileLegacy_Reset();
void Function_FileSystem_Reset();

// The save-area and bundle paths of a script's file name ("" when it maps to nothing).
std::string FileFamily_SaveAreaPath(const char* name);
std::string FileFamily_BundlePath(const char* name);
// The save-area path for a writer, with the folders in front of the file made.
std::string FileFamily_SaveAreaWritePath(const char* name);

// Walks the first pattern, then the second ("folder/wildcard" full paths), adding each entry that
// passes the attribute rule and is not listed yet: a folder only when the mask has 16; a file when
// the mask has no bit but 16, or shares one with the file's bits.
void File_FindAll(std::vector<std::string>& list, const char* firstPattern, const char* secondPattern, double mask);
// The entry's attribute bits (1 read-only, 2 hidden, 16 folder, 32 file), 0 when it is missing.
int32_t File_GetAttributes(const char* name);

// The program's arguments, its own path first.
int32_t GetParameterCount();
// Argument n counted from 1 (at most 1023 bytes); "" outside 1..count.
std::string GetParameterString(int32_t n);
