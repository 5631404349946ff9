// The save-area writers of the whole-file helpers.
#pragma once

#include <cstdint>

// The save-area path of `name` in `result` (capacity bytes with the terminator), with every missing
// folder in front of the file made, ready for a writer to open. False, with "" in `result`, when the
// name maps outside the save area or the path does not fit; nothing is made then.
bool LoadSave_SaveAreaWritePath(char* result, int32_t capacity, const char* name);

// Maps the name into the save area, creates every missing folder on the way and replaces the file
// with `size` bytes (File_ReplaceWhole): false, with the old file untouched, when any step fails.
bool LoadSave_WriteSaveAreaFile(const char* name, const void* data, int32_t size);
