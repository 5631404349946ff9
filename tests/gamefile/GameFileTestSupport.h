// Helpers for the game-file tests: a console that keeps the log lines, and game files built with
// the builder's writers.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "base/Base_Console.h"
#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Game.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_View.h"

// Collects what the main console prints while it is installed.
class CapturedLog : public testsupport::RecordingConsole {
public:
    CapturedLog() : m_Previous(MainConsole) { MainConsole = this; }
    ~CapturedLog() override { MainConsole = m_Previous; }
    const std::string& Text() const { return text; }
    bool Has(const std::string& piece) const { return text.find(piece) != std::string::npos; }
    size_t Count(const std::string& piece) const
    {
        size_t count = 0;
        for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
        return count;
    }
    void Clear() { text.clear(); }

private:
    tagIConsole* m_Previous;
};

inline std::vector<uint8_t> BuildBytes(const gamebuild::GameDesc& game)
{
    std::vector<uint8_t> bytes;
    std::string errors;
    EXPECT_TRUE(gamebuild::BuildGame(game, bytes, errors)) << errors;
    return bytes;
}

inline void LoadInto(GameFile& file, const std::vector<uint8_t>& bytes)
{
    ASSERT_TRUE(file.CopyFrom(bytes.data(), bytes.size()));
}

// Both chunk passes over the bytes, as start-up runs them on a game of source code, with the error
// box off afterwards; false when the main pass refused the file.
inline bool LoadBothPasses(GameFile& file, const std::vector<uint8_t>& bytes)
{
    g_CompiledCode = false;
    LoadInto(file, bytes);
    LoadGameCode(file);
    bool loaded = LoadGameChunks(file);
    g_GameOptions.showErrors = false;
    return loaded;
}

inline uint32_t ReadWord(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

inline void WriteWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// File offset of the first chunk with the tag (its tag's offset), or 0.
inline size_t FindChunk(const std::vector<uint8_t>& bytes, const char* tag)
{
    for (size_t at = 8; at + 8 <= bytes.size(); at += 8 + ReadWord(bytes, at + 4)) {
        if (std::string(reinterpret_cast<const char*>(&bytes[at]), 4) == tag) return at;
    }
    return 0;
}

// The file offset of record `index` of a list chunk (tag, size, count, then one offset a record).
inline uint32_t ChunkRecord(const std::vector<uint8_t>& bytes, const char* tag, uint32_t index)
{
    return ReadWord(bytes, FindChunk(bytes, tag) + 12 + 4 * index);
}

// The line a chunk reader refuses one of its entries with, "<tag>: <entry> at file offset <at>: ",
// then why, for tests that pin it; the phrases of what lies outside a file of `fileSize` bytes.
struct EntryRefusal {
    EntryRefusal(const std::string& tag, const std::string& entry, uint64_t at, uint64_t fileSize)
        : head(tag + ": " + entry + " at file offset " + std::to_string(at) + ": "), size(std::to_string(fileSize))
    {
    }
    std::string Line(const std::string& why) const { return head + why; }
    // For what is refused within a part of the entry (a room's list): "<part> at file offset <at>: ".
    EntryRefusal Within(const std::string& part, uint64_t at) const
    {
        EntryRefusal inner = *this;
        inner.head += part + " at file offset " + std::to_string(at) + ": ";
        return inner;
    }
    std::string Outside(const std::string& what, uint64_t offset) const
    {
        return head + what + " at file offset " + std::to_string(offset) + " lies outside the file (" + size +
               " bytes)";
    }
    std::string Unterminated(const std::string& what, uint64_t offset) const
    {
        return head + what + " at file offset " + std::to_string(offset) +
               " has no terminator before the end of the file (" + size + " bytes)";
    }
    std::string Past(const std::string& what, uint64_t offset, uint64_t bytes) const
    {
        return head + what + " at file offset " + std::to_string(offset) + " (" + std::to_string(bytes) +
               " bytes) runs past the end of the file (" + size + " bytes)";
    }
    std::string head, size;
};

inline std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> bytes;
    for (uint32_t word : words)
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    return bytes;
}
