// The game file as the chunk readers see it. The image is read once and kept for the whole run;
// readers never turn its offsets into pointers inside it. Every access names a file offset (from
// the "F" of "FORM"; 0 means none) and is checked against the file, so a malformed file is refused
// instead of read out of bounds.
//
// Readers get the file and the place of their chunk's body:
//     bool Sprite_Load(GameFile& file, uint32_t body, uint32_t length);
// and read with the checked accessors below, usually through a GameFileCountTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

class GameFile {
public:
    GameFile() = default;
    ~GameFile();
    GameFile(const GameFile&) = delete;
    GameFile& operator=(const GameFile&) = delete;

    // Takes a memory-manager block of `size` bytes (LoadSave_ReadBundleFile's result); the view
    // frees it. Any earlier image is freed first.
    void Adopt(uint8_t* block, uint32_t size);
    // Copies the bytes into a block of its own. False (and an empty view) when the size does not
    // fit a 32-bit file offset.
    bool CopyFrom(const uint8_t* data, size_t size);
    void Release();

    bool IsLoaded() const { return m_Data != nullptr; }
    uint32_t Size() const { return m_Size; }
    // The bytes, for a reader that checked its range with Contains or Span first.
    const uint8_t* Data() const { return m_Data; }

    // True when [offset, offset + length) lies inside the file (no wrap-around).
    bool Contains(uint32_t offset, uint32_t length) const;

    // Little-endian reads; false (and the output left alone) when the value does not fit.
    bool U8(uint32_t offset, uint8_t& out) const;
    bool U16(uint32_t offset, uint16_t& out) const;
    bool U32(uint32_t offset, uint32_t& out) const;
    bool I32(uint32_t offset, int32_t& out) const;
    bool U64(uint32_t offset, uint64_t& out) const;
    bool F32(uint32_t offset, float& out) const;
    bool F64(uint32_t offset, double& out) const;

    // The NUL-terminated UTF-8 string at a file offset. Offset 0 gives none (a null pointer, true).
    // False when the offset lies outside the file or no terminator follows before the file ends.
    // The pointer stays valid while the image is held.
    bool String(uint32_t offset, const char*& out) const;

    // A checked byte range.
    bool Span(uint32_t offset, uint32_t length, const uint8_t*& out) const;

    // Linking writes identifiers into code words; the image is otherwise never changed.
    bool WriteU32(uint32_t offset, uint32_t value);

private:
    uint8_t* m_Data = nullptr;
    uint32_t m_Size = 0;
};

// The place of one chunk in the file.
struct GameFileChunk {
    char tag[5] = {0, 0, 0, 0, 0}; // four characters in file order, terminated for the log
    uint32_t tagWord = 0;          // the same four bytes as a little-endian number
    uint32_t body = 0;             // file offset of the body
    uint32_t length = 0;           // body length in bytes

    // The tag as lines name it: its four characters, or its bytes ("[00 1B 4D FF]") when one of
    // them is not printable, so that a damaged tag still shows and never cuts or breaks a line.
    std::string Name() const;
};

// Walks the chunks of a container ("FORM", length word, chunks). Start() tells whether the
// container is walkable at all: a length word that is not the file size minus 8, or a file of 8
// bytes or less, leaves nothing to walk (and is no error). Next() yields chunk after chunk; it
// returns false at the end, or with Broken() set when a chunk's header or body runs past the end.
class GameFileChunkWalk {
public:
    explicit GameFileChunkWalk(const GameFile& file) : m_File(file) {}
    bool Start();
    bool Next(GameFileChunk& chunk);
    bool Broken() const { return m_Broken; }
    // The chunk that was cut off (tag and the length it claimed), once Broken() is set.
    const GameFileChunk& BrokenChunk() const { return m_BrokenChunk; }

private:
    const GameFile& m_File;
    uint32_t m_Position = 0;
    bool m_Walkable = false;
    bool m_Broken = false;
    GameFileChunk m_BrokenChunk;
};

// A count table: a u32 count, then count u32 file offsets, one per resource (0: no resource at that
// index; the index still counts).
struct GameFileCountTable {
    uint32_t count = 0;
    uint32_t entries = 0; // file offset of entry 0

    // Entry i (i < count); the table was checked when read.
    uint32_t Entry(const GameFile& file, uint32_t index) const;
};

// Reads the count table at the start of a chunk body. False when the table does not fit the body
// or an entry points outside the file.
bool GameFile_ReadCountTable(const GameFile& file, uint32_t body, uint32_t length, GameFileCountTable& out);

// True when [offset, offset + size) lies inside the chunk body.
bool GameFile_ChunkHolds(uint32_t body, uint32_t length, uint32_t offset, uint32_t size);

// ---- refusals ------------------------------------------------------------------------------------
// A chunk reader that refuses its chunk says what it found, where, and what lies outside:
//     SPRT: sprite 3 at file offset 1234: its name at file offset 99999 lies outside the file (52698 bytes)
// Each kind of fault is worded here once, so that every reader tells it alike.

// "<what> at file offset O lies outside the file (F bytes)", or "... (N bytes) runs past the end
// of the file (F bytes)" when it begins inside.
std::string GameFile_PastFile(const GameFile& file, const std::string& what, uint32_t offset, uint64_t size);

// As GameFile_PastFile for something that must lie in the range [body, body + length), a chunk's
// body: "... runs past the end of its chunk (L bytes at file offset B)". A range that ends where
// the file ends is told as the file's end.
std::string GameFile_PastRange(const GameFile& file, const std::string& what, uint32_t offset, uint64_t size,
                               uint32_t body, uint32_t length);

// Why the string at `offset` cannot be read (outside the file, or no terminator before its end);
// empty when it can.
std::string GameFile_StringFault(const GameFile& file, const std::string& what, uint32_t offset);

// Why the count table at `body` is not sound (its count word, its pointer list, or the first entry
// pointing outside the file); empty when it is, and only then does GameFile_ReadCountTable read it.
std::string GameFile_CountTableFault(const GameFile& file, uint32_t body, uint32_t length);

// One entry of a chunk as its refusals name it: the chunk's tag, the entry ("sprite 3") and the
// file offset of its record. The checks log the refusal's line when they fail and return false, so
// that a reader can return them.
class GameFileEntry {
public:
    GameFileEntry(const GameFile& file, std::string tag, std::string name, uint32_t at)
        : m_File(file), m_Tag(std::move(tag)), m_Name(std::move(name)), m_At(at)
    {
    }
    const GameFile& File() const { return m_File; }
    const std::string& Name() const { return m_Name; }
    uint32_t At() const { return m_At; }

    // Logs "<tag>: <name> at file offset <at>: <why>"; always false.
    bool Refuse(const std::string& why) const;
    // `size` bytes of `what` at `offset` lie in the file.
    bool Holds(const std::string& what, uint32_t offset, uint64_t size) const;
    // `size` bytes of `what` at `offset` lie in the chunk body [body, body + length).
    bool Within(const std::string& what, uint32_t offset, uint64_t size, uint32_t body,
                uint32_t length) const;
    // As Holds, for something that must be there: offset 0 (none) is refused too.
    bool Needs(const std::string& what, uint32_t offset, uint64_t size) const;
    // The string `what` at `offset` (0: none), as GameFile::String reads it.
    bool String(const std::string& what, uint32_t offset, const char*& out) const;
    // The count table `what` at `offset`, running at most to the end of the file.
    bool CountTable(const std::string& what, uint32_t offset, GameFileCountTable& out) const;

private:
    const GameFile& m_File;
    std::string m_Tag;
    std::string m_Name;
    uint32_t m_At;
};

// The count table at the start of the body of the chunk `tag`, refused as its "count table" (see
// GameFileEntry) when it is not sound.
bool GameFile_ReadChunkTable(const GameFile& file, const std::string& tag, uint32_t body, uint32_t length,
                             GameFileCountTable& out);
