#include "gamefile/GameFile_View.h"

#include "base/Base_Bytes.h"

#include <cstdio>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Text.h"

#include "platform/Platform_MemoryManager.h"

GameFile::~GameFile() { Release(); }

void GameFile::Adopt(uint8_t* block, uint32_t size)
{
    Release();
    m_Data = block;
    m_Size = block != nullptr ? size : 0;
}

bool GameFile::CopyFrom(const uint8_t* data, size_t size)
{
    Release();
    if (size > UINT32_MAX) return false;
    // One byte at least, so that an empty file is still a loaded one.
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(size > 0 ? size : 1, true));
    if (size > 0) std::memcpy(block, data, size);
    Adopt(block, static_cast<uint32_t>(size));
    return true;
}

void GameFile::Release()
{
    if (m_Data != nullptr) MemoryManager::Free(m_Data);
    m_Data = nullptr;
    m_Size = 0;
}

bool GameFile::Contains(uint32_t offset, uint32_t length) const
{
    return m_Data != nullptr && offset <= m_Size && length <= m_Size - offset;
}

bool GameFile::U8(uint32_t offset, uint8_t& out) const
{
    if (!Contains(offset, 1)) return false;
    out = m_Data[offset];
    return true;
}

bool GameFile::U16(uint32_t offset, uint16_t& out) const
{
    if (!Contains(offset, 2)) return false;
    out = Bytes_GetLE16(m_Data + offset);
    return true;
}

bool GameFile::U32(uint32_t offset, uint32_t& out) const
{
    if (!Contains(offset, 4)) return false;
    out = Bytes_GetLE32(m_Data + offset);
    return true;
}

bool GameFile::I32(uint32_t offset, int32_t& out) const
{
    uint32_t word;
    if (!U32(offset, word)) return false;
    out = static_cast<int32_t>(word);
    return true;
}

bool GameFile::U64(uint32_t offset, uint64_t& out) const
{
    uint32_t low, high;
    if (!Contains(offset, 8) || !U32(offset, low) || !U32(offset + 4, high)) return false;
    out = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool GameFile::F32(uint32_t offset, float& out) const
{
    uint32_t word;
    if (!U32(offset, word)) return false;
    std::memcpy(&out, &word, sizeof out);
    return true;
}

bool GameFile::F64(uint32_t offset, double& out) const
{
    uint64_t word;
    if (!U64(offset, word)) return false;
    std::memcpy(&out, &word, sizeof out);
    return true;
}

bool GameFile::String(uint32_t offset, const char*& out) const
{
    if (offset == 0) {
        out = nullptr;
        return true;
    }
    if (!Contains(offset, 1)) return false;
    if (std::memchr(m_Data + offset, 0, m_Size - offset) == nullptr) return false;
    out = reinterpret_cast<const char*>(m_Data + offset);
    return true;
}

bool GameFile::Span(uint32_t offset, uint32_t length, const uint8_t*& out) const
{
    if (!Contains(offset, length)) return false;
    out = m_Data + offset;
    return true;
}

bool GameFile::WriteU32(uint32_t offset, uint32_t value)
{
    if (!Contains(offset, 4)) return false;
    uint8_t* at = m_Data + offset;
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
    return true;
}

bool GameFileChunkWalk::Start()
{
    m_Position = 8;
    m_Broken = false;
    uint32_t declared;
    m_Walkable = m_File.Size() > 8 && m_File.U32(4, declared) && declared == m_File.Size() - 8;
    return m_Walkable;
}

bool GameFileChunkWalk::Next(GameFileChunk& chunk)
{
    if (!m_Walkable || m_Broken || m_Position >= m_File.Size()) return false;
    GameFileChunk next;
    const uint8_t* tag;
    bool headerFits = m_File.Span(m_Position, 4, tag);
    if (headerFits) {
        std::memcpy(next.tag, tag, 4);
        m_File.U32(m_Position, next.tagWord);
    }
    if (!headerFits || !m_File.U32(m_Position + 4, next.length)) {
        m_Broken = true;
        m_BrokenChunk = next;
        return false;
    }
    next.body = m_Position + 8;
    if (!m_File.Contains(next.body, next.length)) {
        m_Broken = true;
        m_BrokenChunk = next;
        return false;
    }
    m_Position = next.body + next.length;
    chunk = next;
    return true;
}

uint32_t GameFileCountTable::Entry(const GameFile& file, uint32_t index) const
{
    uint32_t offset = 0;
    if (index < count) file.U32(entries + 4 * index, offset);
    return offset;
}

bool GameFile_ChunkHolds(uint32_t body, uint32_t length, uint32_t offset, uint32_t size)
{
    return offset >= body && offset - body <= length && size <= length - (offset - body);
}

std::string GameFileChunk::Name() const
{
    bool printable = true;
    for (int i = 0; i < 4; ++i)
        printable = printable && tag[i] >= 0x20 && tag[i] <= 0x7E;
    return printable ? std::string(tag, 4) : Text_Bytes(tag, 4);
}

std::string GameFile_PastFile(const GameFile& file, const std::string& what, uint32_t offset, uint64_t size)
{
    std::string where = what + " at file offset " + std::to_string(offset);
    std::string end = " (" + std::to_string(file.Size()) + " bytes)";
    if (offset >= file.Size()) return where + " lies outside the file" + end;
    return where + " (" + std::to_string(size) + " bytes) runs past the end of the file" + end;
}

std::string GameFile_PastRange(const GameFile& file, const std::string& what, uint32_t offset, uint64_t size,
                               uint32_t body, uint32_t length)
{
    if (uint64_t{body} + length == file.Size() && offset >= body)
        return GameFile_PastFile(file, what, offset, size);
    std::string where = what + " at file offset " + std::to_string(offset);
    std::string chunk =
        " its chunk (" + std::to_string(length) + " bytes at file offset " + std::to_string(body) + ")";
    if (offset < body || offset - body >= length) return where + " lies outside" + chunk;
    return where + " (" + std::to_string(size) + " bytes) runs past the end of" + chunk;
}

std::string GameFile_StringFault(const GameFile& file, const std::string& what, uint32_t offset)
{
    const char* text;
    if (file.String(offset, text)) return "";
    if (offset >= file.Size()) return GameFile_PastFile(file, what, offset, 1);
    return what + " at file offset " + std::to_string(offset) +
           " has no terminator before the end of the file (" + std::to_string(file.Size()) + " bytes)";
}

std::string GameFile_CountTableFault(const GameFile& file, uint32_t body, uint32_t length)
{
    uint32_t count;
    if (length < 4 || !file.Contains(body, length) || !file.U32(body, count))
        return GameFile_PastRange(file, "its count word", body, 4, body, length);
    if (count > (length - 4) / 4)
        return GameFile_PastRange(file, "the pointer list of its " + std::to_string(count) + " entries",
                                  body + 4, uint64_t{count} * 4, body, length);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t entry;
        file.U32(body + 4 + 4 * i, entry);
        if (entry != 0 && entry >= file.Size())
            return "entry " + std::to_string(i) + " (its pointer at file offset " +
                   std::to_string(body + 4 + 4 * i) + ") points to file offset " + std::to_string(entry) +
                   ", outside the file (" + std::to_string(file.Size()) + " bytes)";
    }
    return "";
}

bool GameFile_ReadCountTable(const GameFile& file, uint32_t body, uint32_t length, GameFileCountTable& out)
{
    if (!GameFile_CountTableFault(file, body, length).empty()) return false;
    file.U32(body, out.count);
    out.entries = body + 4;
    return true;
}

bool GameFile_ReadChunkTable(const GameFile& file, const std::string& tag, uint32_t body, uint32_t length,
                             GameFileCountTable& out)
{
    if (GameFile_ReadCountTable(file, body, length, out)) return true;
    return GameFileEntry(file, tag, "the count table", body)
        .Refuse(GameFile_CountTableFault(file, body, length));
}

bool GameFileEntry::Refuse(const std::string& why) const
{
    MainConsole->Output("%s: %s at file offset %u: %s\n", m_Tag.c_str(), m_Name.c_str(), m_At, why.c_str());
    return false;
}

bool GameFileEntry::Holds(const std::string& what, uint32_t offset, uint64_t size) const
{
    if (size <= UINT32_MAX && m_File.Contains(offset, uint32_t(size))) return true;
    return Refuse(GameFile_PastFile(m_File, what, offset, size));
}

bool GameFileEntry::Within(const std::string& what, uint32_t offset, uint64_t size, uint32_t body,
                           uint32_t length) const
{
    if (size <= UINT32_MAX && GameFile_ChunkHolds(body, length, offset, uint32_t(size))) return true;
    return Refuse(GameFile_PastRange(m_File, what, offset, size, body, length));
}

bool GameFileEntry::Needs(const std::string& what, uint32_t offset, uint64_t size) const
{
    if (offset == 0) return Refuse(what + " is missing (file offset 0)");
    return Holds(what, offset, size);
}

bool GameFileEntry::String(const std::string& what, uint32_t offset, const char*& out) const
{
    if (m_File.String(offset, out)) return true;
    return Refuse(GameFile_StringFault(m_File, what, offset));
}

bool GameFileEntry::CountTable(const std::string& what, uint32_t offset, GameFileCountTable& out) const
{
    if (offset >= m_File.Size()) return Refuse(GameFile_PastFile(m_File, what, offset, 4));
    uint32_t rest = m_File.Size() - offset;
    if (GameFile_ReadCountTable(m_File, offset, rest, out)) return true;
    return Refuse(what + " at file offset " + std::to_string(offset) + ": " +
                  GameFile_CountTableFault(m_File, offset, rest));
}
