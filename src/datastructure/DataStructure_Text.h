// The text forms of the data structures, which scripts keep in files: a text written by one run reads
// back identically in another. Stacks, queues, lists, priority queues and grids share an envelope (a
// versioned little-endian byte image written as upper-case hex digits); maps write entry by entry.
//
// The texts are untrusted: a reader refuses (false, structure unchanged) a count that is negative or
// that the remaining bytes cannot hold, so nothing is sized from a number the text cannot back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code/Code_Value.h"
#include "support/Support_Stream.h"

constexpr int32_t DS_VERSION_STACK = 101;
constexpr int32_t DS_VERSION_QUEUE = 201;
constexpr int32_t DS_VERSION_LIST = 301;
constexpr int32_t DS_VERSION_PRIORITY = 501;
constexpr int32_t DS_VERSION_GRID = 601;

// The smallest encoded element: its kind word.
constexpr int64_t DS_ELEMENT_MIN_BYTES = 4;

class DS_TextWriter {
public:
    explicit DS_TextWriter(int32_t version);
    void Int(int32_t value);
    // The whole kind word, then the payload that word calls for (nothing for an unknown word).
    void Value(const ScriptValue* value);
    void Values(const ScriptValue* values, int64_t count);
    // The bytes written so far as hex digits.
    std::string Finish() const;

private:
    CStream m_Stream;
};

// Values read from a text, owned until they are moved into a structure.
struct DS_ValueBatch {
    DS_ValueBatch() = default;
    ~DS_ValueBatch();
    DS_ValueBatch(const DS_ValueBatch&) = delete;
    DS_ValueBatch& operator=(const DS_ValueBatch&) = delete;
    // Moves the values to `destination` (which owns nothing there); the batch is left empty.
    void MoveInto(ScriptValue* destination);
    std::vector<ScriptValue> values;
};

class DS_TextReader {
public:
    // Decodes the hex digits and reads the version.
    DS_TextReader(const char* text, int32_t version);
    bool VersionMatches() const { return m_Matches; }
    // A whole number; 0 beyond the last byte.
    int32_t Int() { return m_Stream.ReadInteger(); }
    // True when `count` items of at least `itemBytes` each can still follow.
    bool CanHold(int64_t count, int64_t itemBytes) const;
    // One element value into `out` (real 0 on entry); false for a count the text cannot back.
    bool Value(ScriptValue* out);
    bool Values(DS_ValueBatch* batch, int64_t count);

private:
    int64_t Remaining() const;
    bool Text(ScriptValue* out);
    bool Array(ScriptValue* out);
    bool NewArray(ValueArray** out);
    bool Scalar(uint32_t kind, ScriptValue* out);

    CStream m_Stream;
    bool m_Matches = false;
};

// Map text pieces: bytes as two upper-case hex digits each, and a real as the bytes of its double from
// the most significant down, trailing zero bytes left out.
void DS_AppendHexBytes(std::string* out, const uint8_t* bytes, size_t count);
void DS_AppendMapReal(std::string* out, double real);
// Reads one key or value of a map text at `*at`, up to the next ":" or "," or the end, as a string
// or a real; `*at` ends on the character that stopped it.
void DS_ReadMapField(const char** at, bool isString, ScriptValue* out);
