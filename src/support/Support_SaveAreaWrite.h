// The save-area writer of the whole-file helpers.
#pragma once

#include <cstdint>

// Maps the name into the save area, creates every missing folder on the way and replaces the file
// with `size` bytes (File_ReplaceWhole): false, with the old file untouched, when any step fails.
bool LoadSave_WriteSaveAreaFile(const char* name, const void* data, int32_t size);
