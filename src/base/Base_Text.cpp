#include "base/Base_Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "platform/Platform_MemoryManager.h"

char* String_Concat(char** destination, const char* s1, const char* s2, const char* s3, const char* s4,
                    const char* s5, const char* s6, const char* s7, const char* s8, const char* s9,
                    const char* s10)
{
    const char* parts[10] = {s1, s2, s3, s4, s5, s6, s7, s8, s9, s10};
    // Joined aside first: an argument may be the destination's own text, which the resize moves
    // and the writing would overwrite.
    std::string joined;
    for (const char* part : parts) {
        if (part) joined += part;
    }
    if (joined.empty()) return nullptr;
    char* block = static_cast<char*>(MEM_REALLOC(*destination, joined.size() + 1));
    std::memcpy(block, joined.c_str(), joined.size() + 1);
    *destination = block;
    return block;
}

char* String_Copy(const char* text)
{
    if (text == nullptr) return nullptr;
    size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(MEM_ALLOC(length + 1, false));
    std::memcpy(copy, text, length + 1);
    return copy;
}

char16_t* String_Widen(const char* text)
{
    if (!text) return nullptr;
    size_t length = std::strlen(text);
    auto* wide = static_cast<char16_t*>(MEM_ALLOC((length + 1) * sizeof(char16_t), false));
    for (size_t i = 0; i < length; ++i) {
        wide[i] = static_cast<char16_t>(static_cast<int16_t>(static_cast<int8_t>(text[i])));
    }
    wide[length] = 0;
    return wide;
}

uint32_t String_Length16(const char16_t* text)
{
    uint32_t length = 0;
    if (text) {
        while (text[length] != 0) ++length;
    }
    return length;
}

char* String_Narrow(const char16_t* text)
{
    if (!text) return nullptr;
    uint32_t length = String_Length16(text);
    auto* narrow = static_cast<char*>(MEM_ALLOC(length + 1, false));
    for (uint32_t i = 0; i < length; ++i) narrow[i] = static_cast<char>(text[i] & 0xFF);
    narrow[length] = '\0';
    return narrow;
}

namespace {

// Control characters and the space. Bytes from 0x80 up are parts of UTF-8 characters, never
// blanks: trimming them would cut characters in half.
bool IsBlank(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// Makes *owned hold `length` bytes from `from` and a terminator, keeping its block when it is
// large enough. `from` may lie inside that block.
void SetOwned(char** owned, const char* from, size_t length)
{
    char* block = *owned;
    if (block && MemoryManager::GetSize(block) >= length + 1) {
        std::memmove(block, from, length);
    } else {
        char* fresh = static_cast<char*>(MEM_ALLOC(length + 1, false));
        std::memcpy(fresh, from, length);
        MemoryManager::Free(block);
        block = fresh;
    }
    block[length] = '\0';
    *owned = block;
}

} // namespace

void Trim(char** owned, const char* source)
{
    if (!source) {
        MemoryManager::Free(*owned);
        *owned = nullptr;
        return;
    }
    const char* first = source;
    while (IsBlank(*first)) ++first;
    if (*first == '\0') {
        char* empty = static_cast<char*>(MEM_ALLOC(1, true));
        MemoryManager::Free(*owned);
        *owned = empty;
        return;
    }
    const char* last = first + std::strlen(first);
    while (IsBlank(last[-1])) --last;
    SetOwned(owned, first, static_cast<size_t>(last - first));
}

int32_t Real_ToInt(double value) { return Numbers_TruncToInt32(value); }

int32_t String_Find(const char* pattern, const char* text)
{
    if (!pattern || !text) return 0;
    const char* found = std::strstr(text, pattern);
    return found ? static_cast<int32_t>(found - text) + 1 : 0;
}

bool String_ColorSpelling(const char* name, std::string& color)
{
    if (name == nullptr || std::strstr(name, "colour") == nullptr) return false;
    std::string respelled = name;
    for (size_t at = respelled.find("colour"); at != std::string::npos; at = respelled.find("colour", at))
        respelled.erase(at + 4, 1); // "colour" less its "u"
    color = respelled;
    return true;
}

std::string Text_GroupedDigits(uint64_t number)
{
    std::string digits = std::to_string(number), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string Text_Bytes(const void* bytes, size_t count)
{
    const auto* at = static_cast<const uint8_t*>(bytes);
    std::string shown = "[";
    for (size_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", at[i]);
        shown += hex;
    }
    return shown + "]";
}

namespace {

// The length of the well-formed UTF-8 character of two to four bytes at `at` (`left` bytes there),
// or 0: no overlong forms, no surrogates, nothing past U+10FFFF.
size_t SequenceLength(const uint8_t* at, size_t left)
{
    uint8_t lead = at[0], low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length == 0 || left < length) return 0;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (at[1] < low || at[1] > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if ((at[i] & 0xC0) != 0x80) return 0;
    return length;
}

// The character at `at`: its length in bytes (1 for a stray byte) and whether it prints as it is.
size_t CharacterAt(const uint8_t* at, size_t left, bool& printable)
{
    if (at[0] < 0x80) {
        printable = (at[0] >= 0x20 || at[0] == '\t') && at[0] != 0x7F;
        return 1;
    }
    size_t length = SequenceLength(at, left);
    // U+0080 to U+009F (C2 80 to C2 9F) are the C1 controls, which terminals act on too.
    printable = length != 0 && !(at[0] == 0xC2 && at[1] <= 0x9F);
    return length != 0 ? length : 1;
}

} // namespace

std::string Text_Printable(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    std::string shown;
    shown.reserve(text.size());
    size_t run = 0; // where the bytes not yet shown begin
    for (size_t at = 0; at < text.size();) {
        bool printable = false;
        size_t length = CharacterAt(bytes + at, text.size() - at, printable);
        if (printable) {
            if (run < at) shown += Text_Bytes(bytes + run, at - run);
            shown.append(text.data() + at, length);
            run = at + length;
        }
        at += length;
    }
    if (run < text.size()) shown += Text_Bytes(bytes + run, text.size() - run);
    return shown;
}

std::string Text_PrintableLines(std::string_view text)
{
    std::string shown;
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        size_t cut = end > start && text[end - 1] == '\r' ? end - 1 : end;
        shown += Text_Printable(text.substr(start, cut - start));
        if (end < text.size()) shown += '\n';
        start = end + 1;
    }
    return shown;
}
