#include "function/Function_MathText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Base_Numbers.h"
#include "base/Base_Text.h"
#include "base/Base_Utf8.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// Where the text stands after `count` characters (at the terminator when it has fewer).
const char* SkipChars(const char* text, int64_t count)
{
    for (int64_t i = 0; i < count && *text != '\0'; ++i)
        UTF8_ExtractChar(&text);
    return text;
}

// The first place where the haystack's characters match the needle's `needleLength` characters, and
// its character index; null when there is none.
const char* FindChars(const char* needle, int32_t needleLength, const char* haystack, int32_t* index)
{
    int32_t at = 0;
    for (const char* place = haystack; *place != '\0'; ++at) {
        if (UTF8_CompareN(needle, place, needleLength) == 0) {
            *index = at;
            return place;
        }
        UTF8_ExtractChar(&place);
    }
    return nullptr;
}

bool HasText(const char* text)
{
    return text != nullptr && *text != '\0';
}

// A position or count as a script gives it, taken by its real value: one far beyond any text stays
// beyond it rather than wrapping. Kept within 2^62 either way, so that the arithmetic on it cannot
// overflow; NaN counts as below every position.
int64_t TextNumber(const ScriptValue& value, bool truncate = false)
{
    constexpr double LIMIT = 4611686018427387904.0; // 2^62
    double real = Arg_Real(value);
    if (std::isnan(real)) return -static_cast<int64_t>(LIMIT);
    real = std::clamp(real, -LIMIT, LIMIT);
    return truncate ? Numbers_TruncToInt64(real) : Numbers_RoundToInt64(real);
}

// The position a script gives (counted from 1, rounded) as a 0-based one.
int64_t ZeroBased(const ScriptValue& value)
{
    return TextNumber(value) - 1;
}

void Result_String(ScriptValue* result, const std::string& text)
{
    Result_Text(result, text.c_str());
}

// ---- conversions ---------------------------------------------------------------------------------

void Builtin_Real(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Arg_IsString(args[0])) {
        Result_Real(result, Arg_Real(args[0]));
        return;
    }
    const char* text = Arg_Text(args[0]);
    if (text == nullptr) return;
    std::string ascii = UTF8_AsciiOnly(text);
    char* trimmed = nullptr;
    Trim(&trimmed, ascii.c_str());
    if (trimmed != nullptr && *trimmed != '\0') Result_Real(result, Numbers_ParseReal(trimmed));
    MemoryManager::Free(trimmed);
}

// The value's text as the value operators write it. A real, by far the commonest, is written
// straight into its result; a string or an array is built in a block of 256 bytes to start with.
void Builtin_String(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsReal(args[0])) {
        char quick[NUMBERS_QUICK_TEXT_MAX];
        if (size_t length = Numbers_RealToTextQuick(args[0].real, quick)) {
            Result_TextBytes(result, quick, length);
        } else {
            std::string text = Numbers_RealToText(args[0].real);
            Result_TextBytes(result, text.data(), text.size());
        }
        return;
    }
    constexpr int32_t START = 256;
    ValueTextBuffer text{nullptr, nullptr, START};
    text.start = static_cast<char*>(MEM_ALLOC(START, false));
    text.start[0] = '\0'; // a value that writes nothing gives the empty text
    text.write = text.start;
    Value_ToString(&text, &args[0]);
    Result_TextBytes(result, text.start, static_cast<size_t>(text.write - text.start));
    MemoryManager::Free(text.start);
}

// A real's binary expansion ends within 1074 places after the point, so every decimal past these is
// a 0: the formatter is asked for no more, and the rest are appended.
constexpr int64_t FORMAT_EXACT_DECIMALS = 1100;

void Builtin_StringFormat(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsString(args[0])) {
        Result_Text(result, Arg_Text(args[0]));
        return;
    }
    // The width counts the decimals; a total below them left-aligns, as a negative printf width does.
    int64_t decimals = std::max<int64_t>(TextNumber(args[2], true), 0);
    int64_t width = TextNumber(args[1], true) - decimals;
    uint64_t columns = width < 0 ? uint64_t(0) - uint64_t(width) : uint64_t(width);
    int64_t formatted = std::min(decimals, FORMAT_EXACT_DECIMALS);
    std::string text = Numbers_FormatReal(Arg_Real(args[0]), 'f', static_cast<int32_t>(formatted));
    if (Error_TextTooLong(std::max(columns, text.size() + uint64_t(decimals - formatted)))) return;
    text.append(size_t(decimals - formatted), '0');
    if (columns > text.size()) text.insert(width < 0 ? text.size() : 0, size_t(columns - text.size()), ' ');
    Result_String(result, text);
}

// Codes below 128 keep their low seven bits; from 2048 up the three-byte form holds the low 16 bits.
void Builtin_Chr(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t code = Arg_Trunc(args[0]);
    char bytes[4] = {};
    if (code < 0x80) {
        bytes[0] = static_cast<char>(code & 0x7F);
    } else if (code < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | ((code >> 6) & 0x1F));
        bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes[0] = static_cast<char>(0xE0 | ((code >> 12) & 0x0F));
        bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
    }
    Result_Text(result, bytes);
}

void Builtin_AnsiChar(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    char bytes[2] = {static_cast<char>(Arg_Int(args[0]) & 0xFF), '\0'};
    Result_Text(result, bytes);
}

void Builtin_Ord(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* text = Arg_Text(args[0]);
    if (HasText(text)) Result_Real(result, UTF8_ExtractChar(&text));
}

// ---- lengths and searches ------------------------------------------------------------------------

void Builtin_StringLength(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, UTF8_Length(Arg_Text(args[0])));
}

void Builtin_StringByteLength(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, static_cast<double>(std::strlen(Arg_TextOrEmpty(args[0]))));
}

void Builtin_StringPos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, UTF8_Find(Arg_Text(args[0]), Arg_Text(args[1])) + 1);
}

// Overlapping matches count: the search moves on by one byte after each.
void Builtin_StringCount(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* needle = Arg_Text(args[0]);
    const char* haystack = Arg_Text(args[1]);
    if (!HasText(needle) || !HasText(haystack)) return;
    int32_t count = 0;
    for (const char* at = std::strstr(haystack, needle); at != nullptr; at = std::strstr(at + 1, needle))
        ++count;
    Result_Real(result, count);
}

// ---- pieces --------------------------------------------------------------------------------------

void Builtin_StringCopy(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, "");
    if (!Arg_IsString(args[0]) || !Arg_IsReal(args[1]) || !Arg_IsReal(args[2])) return;
    const char* text = Arg_TextOrEmpty(args[0]);
    int64_t index = TextNumber(args[1]);
    int64_t count = TextNumber(args[2]);
    int64_t start = std::max<int64_t>(index, 1) - 1;
    int64_t left = UTF8_Length(text) - start;
    if (left < 0) {
        std::string message = std::string("string_copy(") + text + ", " + std::to_string(index) + ", " +
                              std::to_string(count) + "): Index is out of bounds";
        Error_Show_Action(message.c_str(), false);
        return;
    }
    Result_String(result, UTF8_SubString(text, start, std::min<int64_t>(std::max<int64_t>(count, 0), left)));
}

void Builtin_StringCharAt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, "");
    const char* text = Arg_Text(args[0]);
    if (!HasText(text) || !Arg_IsReal(args[1])) return;
    Result_String(result, UTF8_SubString(text, std::max<int64_t>(ZeroBased(args[1]), 0), 1));
}

void Builtin_StringByteAt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* text = Arg_TextOrEmpty(args[0]);
    int64_t length = static_cast<int64_t>(std::strlen(text));
    if (length == 0) return;
    int64_t at = std::clamp<int64_t>(ZeroBased(args[1]), 0, length - 1);
    Result_Real(result, static_cast<int8_t>(text[at]));
}

// The terminator's place is in range: a byte written there is appended, and the text stays
// terminated.
void Builtin_StringSetByteAt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    std::string text = Arg_TextOrEmpty(args[0]);
    if (Arg_IsString(args[0]) && Arg_IsReal(args[1]) && Arg_IsReal(args[2])) {
        int64_t at = ZeroBased(args[1]);
        char byte = static_cast<char>(Arg_Trunc(args[2]));
        if (at < 0 || at > static_cast<int64_t>(text.size()))
            Error_Show_Action("string_set_byte_at : index beyond end of string", false);
        else if (at == static_cast<int64_t>(text.size()))
            text.push_back(byte);
        else
            text[at] = byte;
    }
    Result_String(result, text);
}

void Builtin_StringDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    std::string text = Arg_TextOrEmpty(args[0]);
    UTF8_DeleteChars(text, TextNumber(args[1]), TextNumber(args[2]));
    Result_String(result, text);
}

void Builtin_StringInsert(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* piece = Arg_Text(args[0]);
    const char* text = Arg_Text(args[1]);
    if (piece == nullptr || text == nullptr) {
        Result_Text(result, "");
        return;
    }
    if (Error_TextTooLong(uint64_t(std::strlen(text)) + std::strlen(piece))) return;
    int64_t at = std::clamp<int64_t>(ZeroBased(args[2]), 0, UTF8_Length(text));
    size_t split = static_cast<size_t>(SkipChars(text, at) - text);
    std::string joined(text, split);
    joined += piece;
    joined += text + split;
    Result_String(result, joined);
}

// ---- case, repetition and filters ----------------------------------------------------------------

// Only A-Z (or a-z) change, as the C locale's single-byte mapping has it; every other character
// keeps its own bytes.
template <int (*Map)(int)> void ChangeCase(ScriptValue* result, const ScriptValue& argument)
{
    Result_Text(result, "");
    const char* text = Arg_Text(argument);
    if (text == nullptr) return;
    std::string changed;
    changed.reserve(std::strlen(text));
    while (*text != '\0') {
        const char* start = text;
        uint16_t character = UTF8_ExtractChar(&text);
        int mapped = character < 0x80 ? Map(character) : character;
        if (mapped == character) {
            changed.append(start, text);
        } else {
            char bytes[3];
            char* end = bytes;
            UTF8_AddChar(&end, static_cast<uint16_t>(mapped));
            changed.append(bytes, end);
        }
    }
    Result_String(result, changed);
}

int AsciiLower(int c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

int AsciiUpper(int c)
{
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

void Builtin_StringLower(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ChangeCase<AsciiLower>(result, args[0]);
}

void Builtin_StringUpper(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ChangeCase<AsciiUpper>(result, args[0]);
}

// The size is reckoned in 64 bits, so that no count wraps to a short text.
void Builtin_StringRepeat(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, "");
    const char* text = Arg_Text(args[0]);
    int64_t count = TextNumber(args[1]);
    if (!HasText(text) || count <= 0) return;
    uint64_t length = std::strlen(text);
    bool fits = static_cast<uint64_t>(count) <= VALUE_MAX_TEXT / length;
    if (Error_TextTooLong(fits ? length * static_cast<uint64_t>(count) : UINT64_MAX)) return;
    std::string repeated;
    repeated.reserve(length * static_cast<uint64_t>(count));
    for (int64_t i = 0; i < count; ++i)
        repeated.append(text, length);
    Result_String(result, repeated);
}

bool IsLetter(uint16_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(uint16_t c)
{
    return c >= '0' && c <= '9';
}

bool IsLetterOrDigit(uint16_t c)
{
    return IsLetter(c) || IsDigit(c);
}

template <bool (*Keep)(uint16_t)> void KeepCharacters(ScriptValue* result, const ScriptValue& argument)
{
    std::string kept;
    for (const char* text = Arg_TextOrEmpty(argument); *text != '\0';) {
        uint16_t character = UTF8_ExtractChar(&text);
        if (Keep(character)) kept.push_back(static_cast<char>(character));
    }
    Result_String(result, kept);
}

void Builtin_StringLetters(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    KeepCharacters<IsLetter>(result, args[0]);
}

void Builtin_StringDigits(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    KeepCharacters<IsDigit>(result, args[0]);
}

void Builtin_StringLettersdigits(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    KeepCharacters<IsLetterOrDigit>(result, args[0]);
}

void Replace(ScriptValue* result, const ScriptValue* args, bool all)
{
    std::string replaced;
    bool fits = UTF8_Replace(replaced, Arg_TextOrEmpty(args[0]), Arg_Text(args[1]), Arg_TextOrEmpty(args[2]), all);
    if (Error_TextTooLong(fits ? replaced.size() : UINT64_MAX)) return;
    Result_String(result, replaced);
}

void Builtin_StringReplace(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Replace(result, args, false);
}

void Builtin_StringReplaceAll(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Replace(result, args, true);
}

} // namespace

std::string UTF8_AsciiOnly(const char* text)
{
    std::string ascii;
    if (text == nullptr) return ascii;
    while (*text != '\0') {
        uint16_t character = UTF8_ExtractChar(&text);
        if (character < 0x80) ascii.push_back(static_cast<char>(character));
    }
    return ascii;
}

int32_t UTF8_Find(const char* needle, const char* haystack)
{
    if (!HasText(needle) || !HasText(haystack)) return -1;
    int32_t index = -1;
    FindChars(needle, UTF8_Length(needle), haystack, &index);
    return index;
}

std::string UTF8_SubString(const char* text, int64_t first, int64_t count)
{
    if (text == nullptr || first < 0 || count <= 0) return std::string();
    const char* start = SkipChars(text, first);
    return std::string(start, SkipChars(start, count));
}

void UTF8_DeleteChars(std::string& text, int64_t position, int64_t count)
{
    if (position < 1 || count <= 0) return;
    const char* start = SkipChars(text.c_str(), position - 1);
    if (*start == '\0') return;
    size_t from = static_cast<size_t>(start - text.c_str());
    size_t to = static_cast<size_t>(SkipChars(start, count) - text.c_str());
    text.erase(from, to - from);
}

bool UTF8_Replace(std::string& result, const char* text, const char* needle, const char* replacement,
                  bool all)
{
    result.clear();
    if (text == nullptr) return true;
    const char* rest = text;
    if (HasText(needle)) {
        int32_t needleLength = UTF8_Length(needle);
        size_t replacementLength = replacement != nullptr ? std::strlen(replacement) : 0;
        int32_t index = 0;
        while (const char* match = FindChars(needle, needleLength, rest, &index)) {
            if (result.size() + size_t(match - rest) + replacementLength > VALUE_MAX_TEXT) return false;
            result.append(rest, match);
            result.append(replacement != nullptr ? replacement : "", replacementLength);
            rest = SkipChars(match, needleLength);
            if (!all) break;
        }
    }
    if (result.size() + std::strlen(rest) > VALUE_MAX_TEXT) return false;
    result += rest;
    return true;
}

namespace {

// string's text is the value's text form whatever the value, as the routine writes it.
bool AppendValueText(const ScriptValue* argument, ValueTextBuffer* out)
{
    Value_ToString(out, argument);
    return true;
}

// The measures of a text; anything else is the routine's.
bool MeasureLength(const ScriptValue* argument, double* result)
{
    if (Value_GetKind(argument) != VALUE_STRING) return false;
    *result = UTF8_Length(Value_GetText(argument));
    return true;
}

bool MeasureByteLength(const ScriptValue* argument, double* result)
{
    if (Value_GetKind(argument) != VALUE_STRING) return false;
    const char* text = Value_GetText(argument);
    *result = static_cast<double>(text != nullptr ? std::strlen(text) : 0);
    return true;
}

const BuiltinTextForms STRING_FORMS = {AppendValueText, nullptr, true};
const BuiltinTextForms LENGTH_FORMS = {nullptr, MeasureLength, false};
const BuiltinTextForms BYTE_LENGTH_FORMS = {nullptr, MeasureByteLength, false};

} // namespace

const FunctionRow MATH_TEXT_ROWS[24] = {
    {"real", Builtin_Real, 1},
    {"string", Builtin_String, 1, FUNCTION_SAME_COUNT, nullptr, &STRING_FORMS},
    {"string_format", Builtin_StringFormat, 3},
    {"chr", Builtin_Chr, 1},
    {"ansi_char", Builtin_AnsiChar, 1},
    {"ord", Builtin_Ord, 1},
    {"string_length", Builtin_StringLength, 1, FUNCTION_SAME_COUNT, nullptr, &LENGTH_FORMS},
    {"string_pos", Builtin_StringPos, 2},
    {"string_copy", Builtin_StringCopy, 3},
    {"string_char_at", Builtin_StringCharAt, 2},
    {"string_byte_length", Builtin_StringByteLength, 1, FUNCTION_SAME_COUNT, nullptr, &BYTE_LENGTH_FORMS},
    {"string_byte_at", Builtin_StringByteAt, 2},
    {"string_set_byte_at", Builtin_StringSetByteAt, 3},
    {"string_delete", Builtin_StringDelete, 3},
    {"string_insert", Builtin_StringInsert, 3},
    {"string_lower", Builtin_StringLower, 1},
    {"string_upper", Builtin_StringUpper, 1},
    {"string_repeat", Builtin_StringRepeat, 2},
    {"string_letters", Builtin_StringLetters, 1},
    {"string_digits", Builtin_StringDigits, 1},
    {"string_lettersdigits", Builtin_StringLettersdigits, 1},
    {"string_replace", Builtin_StringReplace, 3},
    {"string_replace_all", Builtin_StringReplaceAll, 3},
    {"string_count", Builtin_StringCount, 2},
};
