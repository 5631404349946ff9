// Files read as the old Windows runtime's text mode read them, so that text files written there
// read the same here: CR LF becomes LF, and a 0x1A byte ends the text.
#pragma once

#include <cstddef>
#include <string>

// The text-mode form of raw bytes.
std::string TextFile_FromBytes(const char* bytes, size_t length);
