// PLACEHOLDER for the issue "Save area and file-name mapping" (support), which declares this routine
// in Support_SaveArea.h and replaces this header and its .cpp.
#pragma once

#include <cstdint>

// Maps the name into the save area, creates every missing folder on the way and writes `size` bytes
// in binary mode, replacing the file; false when the file cannot be opened.
bool LoadSave_WriteSaveAreaFile(const char* name, const void* data, int32_t size);
