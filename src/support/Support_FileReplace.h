// Replacing a whole file so that a failed write never leaves it cut short.
#pragma once

#include <cstdint>

// Writes `size` bytes to a temporary file beside `path`, checks every write, the flush and the
// close, then renames it over `path`. On any failure the temporary file is removed, the old file
// (if any) is left as it was, and the answer is false. Missing folders are not created here.
bool File_ReplaceWhole(const char* path, const void* data, int32_t size);
