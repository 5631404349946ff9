// Bytes to standard Base64 text and back, on caller-provided memory; nothing is allocated.
#pragma once

#include <cstdint>

// Letters, digits, '+' and '/'.
bool Base64_IsChar(char c);

// The destination size Base64_Encode needs for `length` bytes: 4 * ceil(length / 3) + 1.
uint32_t Base64_EncodedSize(uint32_t length);

// Writes the text of `length` bytes, padded with '=' to whole groups of four, and a terminator
// into a destination of at least Base64_EncodedSize(length) bytes. Returns the text's length.
uint32_t Base64_Encode(const void* source, uint32_t length, char* destination);

// Decodes the text up to its end, its first '=' or its first character outside the alphabet into
// at most destinationSize - 1 bytes (the last byte is kept for the terminator). With `terminate`,
// a zero byte follows the data whenever the destination has room for any byte. Returns the number
// of data bytes written.
uint32_t Base64_Decode(const char* text, void* destination, uint32_t destinationSize, bool terminate);
