// Mapping of script file names into the save area and the game's own folder (the bundle), and the
// whole-file helpers over them. Reading routines look in the save area first, then in the bundle;
// writing routines use the save area only.
//
// A name is made a full path (relative to the current folder, "\" read as "/", "." and ".." folded
// by text). The places it may lie under are the current folder, the working directory (the game
// file's folder) and, for the save area, the save folder itself; a place matches at a separator
// boundary only, and the longest matching place wins, so places that nest (a save folder under the
// current folder) map as expected. Anything else maps to nothing unless the player picked exactly
// that path in a file dialog.
#pragma once

#include <cstdint>

class IniFile;

// The save-area (bundle) path of `name` in `result` (capacity bytes with the terminator), or an
// empty string when the name maps to nothing or the path does not fit. A bundle path that does
// not exist as spelled is looked up again ignoring letter case.
void LoadSave_SaveAreaPath(char* result, int32_t capacity, const char* name);
void LoadSave_BundlePath(char* result, int32_t capacity, const char* name);

// Paths the player picked in an open (read) or save (write) dialog: allowed from then on.
void LoadSave_AllowRead(const char* path);
void LoadSave_AllowWrite(const char* path);
// Forgets both lists (tests).
void LoadSave_ClearAllowed();

// Whether the mapped path can be opened for binary reading.
bool LoadSave_FileExistsSaveArea(const char* name);
bool LoadSave_FileExistsBundle(const char* name);

// The whole file named by a real path in a new cleared memory-manager block (1 byte for an empty
// file); its size through `size` when given. Null when the file cannot be opened.
uint8_t* LoadSave_ReadWholeFile(const char* path, int32_t* size);

// The same after mapping the name into the save area or the bundle.
uint8_t* LoadSave_ReadSaveAreaFile(const char* name, int32_t* size);
uint8_t* LoadSave_ReadBundleFile(const char* name, int32_t* size);

// Writes a block to a real path ("wb"); true only when every byte was written and the file
// closed cleanly. A file that cannot be opened prints "_WriteFile: <reason>" to standard error.
bool _WriteFile(const char* path, const void* data, int32_t size);

// Handed "options.ini" by the game-file loader; nothing here reads it.
void LoadSave_IniHook(IniFile* ini);
