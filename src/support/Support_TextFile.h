// Files read as the old Windows runtime's text mode read them, so that text files written there
// read the same here: CR LF becomes LF, and a 0x1A byte ends the text.
#pragma once

#include <string>

// Whether the path names a regular file (not a folder, a device or nothing).
bool TextFile_IsPlainFile(const char* path);

// The whole file in text mode into `text`; false when it cannot be opened or read.
bool TextFile_ReadWhole(const char* path, std::string* text);

// The text-mode form of raw bytes.
std::string TextFile_FromBytes(const char* bytes, size_t length);
