// Small text helpers of the base layer: joining, 8-bit/16-bit conversion, trimming, searching.
// Every block they hand out comes from the memory manager; the caller frees it with
// MemoryManager::Free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// Bytes as the log shows what it cannot print: "[00 1B 4D FF]".
std::string Text_Bytes(const void* bytes, size_t count);

// A name or path read from a game file, a saved game or the command line, as the engine's own lines
// show it: printable text, UTF-8 and tabs included, stays as it is; control characters (C0 but the
// tab, DEL, and U+0080 to U+009F) and bytes that are no well-formed UTF-8 are shown by their bytes,
// each run of them as Text_Bytes does ("miss[1B][2J.win"), so that such a name can neither send
// its own escape sequences to the player's terminal nor split a line. Null gives "".
std::string Text_Printable(std::string_view text);
inline std::string Text_Printable(const char* text)
{
    return text != nullptr ? Text_Printable(std::string_view(text)) : std::string();
}

// A text of several lines (a report, a compiler's log) shown as Text_Printable shows a name, line
// by line, keeping its line breaks: LF and CR LF end a line and come out as LF.
std::string Text_PrintableLines(std::string_view text);
