// Small text helpers of the base layer: joining, 8-bit/16-bit conversion, trimming, searching.
// Every block they hand out comes from the memory manager; the caller frees it with
// MemoryManager::Free.
#pragma once

#include <cstdint>
#include <string>

// Joins up to ten strings (null and empty ones skipped) into the block of *destination, resized
// through the memory manager, and returns it. Nothing to join: returns null and leaves the
// destination as it is. Arguments may point into the destination's own text.
char* String_Concat(char** destination, const char* s1, const char* s2 = nullptr, const char* s3 = nullptr,
                    const char* s4 = nullptr, const char* s5 = nullptr, const char* s6 = nullptr,
                    const char* s7 = nullptr, const char* s8 = nullptr, const char* s9 = nullptr,
                    const char* s10 = nullptr);

// A new 16-bit string of the same length: each byte sign-extended to 16 bits. Null for null.
// A memory-manager copy of a text, terminator included; null for null.
char* String_Copy(const char* text);

char16_t* String_Widen(const char* text);

// A new 8-bit string of the same length: the low byte of each character. Null for null.
char* String_Narrow(const char16_t* text);

// Length of a 16-bit string in characters.
uint32_t String_Length16(const char16_t* text);

// Sets *owned to a copy of source without its leading and trailing blanks (bytes 1 to 32); a null
// source frees *owned and sets it to null. The source may point into *owned.
void Trim(char** owned, const char* source);

// Truncation toward zero to 32 bits (NaN and out-of-range give INT_MIN).
int32_t Real_ToInt(double value);

// The 1-based byte position of the first occurrence of pattern in text; 0 when absent or when
// either is null.
int32_t String_Find(const char* pattern, const char* text);

// Game files name built-ins with the "colour" spelling, which the authoring tools accept for the
// "color" names: `color` becomes the name with every "colour" read as "color". False, and `color`
// untouched, when the name holds no "colour".
bool String_ColorSpelling(const char* name, std::string& color);

// A count written for people: 1234567 as "1,234,567".
std::string Text_GroupedDigits(uint64_t number);
