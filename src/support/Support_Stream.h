// CStream: the growable little-endian byte stream behind every serialised form of the run-time
// (saved games, data-structure texts, bitmaps, records read from the game file). Integers are 32-bit,
// reals IEEE doubles, booleans 32-bit 1 or 0, strings a 32-bit byte length and the bytes; blocks are
// length-prefixed, compressed ones hold a zlib stream. Main thread only.
#pragma once

#include <cstdint>

class CStream {
public:
    // A stream of `size` bytes (not cleared) at position 0; no data when size is 0 or less.
    explicit CStream(int64_t size = 0);
    ~CStream();
    CStream(const CStream&) = delete;
    CStream& operator=(const CStream&) = delete;

    // Frees the stream and its own data; null is ignored.
    static void Delete(CStream* stream);
    // Frees owned data; size becomes 0, the position stays. A view is left as it is.
    void FreeBuffer();

    uint8_t* GetBuffer() const { return m_Data; }
    int64_t GetSize() const { return m_Size; }
    int64_t GetPosition() const { return m_Position; }
    void SetPosition(int64_t position);
    // Origin 0 start, 1 current position, 2 end; any other origin changes nothing. Returns the position.
    int64_t Seek(int64_t offset, int32_t origin);

    // Copies up to n bytes from the position; returns the count (0 for a null destination).
    int64_t ReadBuffer(void* destination, int64_t n);
    int64_t Read(void* destination, int64_t n) { return ReadBuffer(destination, n); }
    // Writes n bytes at the position, growing the data; returns n, or 0 when nothing was written.
    int64_t WriteBuffer(const void* source, int64_t n);
    int64_t Write(const void* source, int64_t n) { return WriteBuffer(source, n); }

    // Typed reads give their empty value, without moving, unless the whole value lies in the data.
    int32_t ReadInteger();
    double ReadReal();
    bool ReadBoolean();
    // A new zero-ended memory-manager block (the caller frees it), or null for a length of 0.
    char* ReadString();
    // The same through `out`; returns the number of string bytes read.
    int64_t ReadStringInto(char** out);

    void WriteInteger(int32_t value);
    void WriteReal(double value);
    // Writes 1 when `value` is 1, else 0.
    void WriteBoolean(int32_t value);
    // Length (0 for null) and bytes, no terminator.
    void WriteString(const char* text);

    // Count 0: the whole source, from its start. Otherwise up to count bytes from the source's
    // position; with `share` this stream becomes a view of them instead of a copy.
    int64_t CopyFrom(CStream* source, int64_t count, bool share);
    int64_t CopyFromNoShare(CStream* source, int64_t count) { return CopyFrom(source, count, false); }
    // A length-prefixed block as a new stream at position 0 (the caller deletes it).
    CStream* ReadStream();

    // Writes the bytes from 0 to the position to a real path.
    void SaveToFile(const char* path);
    // Loads a file from the save area, else from the game's folder, dropping its first `skip` bytes.
    void LoadFromFile(const char* name, int32_t skip);

    // Two upper-case hex digits per written byte through `out` (the caller frees it); null when
    // nothing was written.
    void ToHexString(char** out) const;
    void FromHexString(const char* text);

    // The compressed size and a zlib stream of the whole of `source`.
    void WriteCompressed(CStream* source);

    // Undoes the seeded byte substitution over `length` bytes from `start` (to the end when
    // length < 1).
    void UnscrambleRange(int32_t seed, int64_t start, int64_t length);

    // The seeded substitution tables (forward, inverse), rebuilt on every call.
    static void BuildSubstitution(int32_t seed, uint8_t forward[256], uint8_t inverse[256]);

private:
    friend CStream* ZDecompressStream(CStream* stream);

    int64_t Remaining() const;
    // Makes room for n bytes at the position; false when the data cannot grow.
    bool Reserve(int64_t n);
    // Drops the current data (freeing them when owned) and takes `data` as owned.
    void Adopt(uint8_t* data, int64_t size);
    // Turns a view into an owned copy, so that writes never touch another stream's data.
    void Detach();

    uint8_t m_Borrowed = 0;
    int64_t m_Size = 0;
    int64_t m_Position = 0;
    uint8_t* m_Data = nullptr;
};

// Inflates a length-prefixed compressed block of `stream` into a new stream at position 0 (the
// caller deletes it); null when the block does not hold a whole zlib stream.
CStream* ZDecompressStream(CStream* stream);

// Rewrites a zero-ended UTF-8 text in place: "#" becomes a carriage return, "\#" a literal "#".
// Returns the number of characters written (0 for null).
int32_t String_HashToNewline(char* text);
