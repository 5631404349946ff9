// Mapping of script file names into the save area and the game's own folder, and the whole-file
// helpers over them. Reading routines look in the save area first, then in the bundle; writing
// routines use the save area only.
#pragma once

#include <cstdint>

// The save-area (bundle) path of `name` in `result` (capacity bytes with the terminator), or an
// empty string when the name maps to nothing or the path does not fit.
void LoadSave_SaveAreaPath(char* result, int32_t capacity, const char* name);
void LoadSave_BundlePath(char* result, int32_t capacity, const char* name);

// Whether the mapped path can be opened for binary reading.
bool LoadSave_FileExistsSaveArea(const char* name);
bool LoadSave_FileExistsBundle(const char* name);

// The whole file named by a real path in a new cleared memory-manager block (1 byte for an empty
// file); its size through `size` when given. Null when the file cannot be opened.
uint8_t* LoadSave_ReadWholeFile(const char* path, int32_t* size);

// The same after mapping the name into the save area or the bundle.
uint8_t* LoadSave_ReadSaveAreaFile(const char* name, int32_t* size);
uint8_t* LoadSave_ReadBundleFile(const char* name, int32_t* size);
