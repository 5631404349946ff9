// The bytes of a game file being built: the "FORM" container, its chunks, and the pool of strings
// that chunks refer to by file offset. The strings chunk is written from the pool; references are
// resolved when the image is finished, so chunks may refer to strings before the strings chunk
// exists (but not after it was written).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gamebuild {

class ImageWriter {
public:
    ImageWriter();

    // A chunk: four tag characters, then its body up to EndChunk, which writes the length.
    void BeginChunk(const std::string& tag);
    void EndChunk();

    uint32_t Position() const { return static_cast<uint32_t>(m_Bytes.size()); }
    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void U64(uint64_t value);
    void F32(float value);
    void F64(double value);
    void Bytes(const std::vector<uint8_t>& bytes);
    void Zeros(uint32_t count);
    // Writes over four bytes already written.
    void PatchU32(uint32_t at, uint32_t value);

    // A u32 file offset of the characters of a pooled string, filled in by Finish.
    void StringRef(const std::string& text);
    // The string's index in the string table (added to the pool when new).
    int32_t StringIndex(const std::string& text);
    const std::vector<std::string>& Pool() const { return m_Pool; }
    // Where the strings chunk put the characters of pool entry `index`.
    void PlaceString(int32_t index, uint32_t characters);

    // A problem with the description; Finish then fails with every message recorded.
    void Error(const std::string& message) { m_Errors.push_back(message); }

    // Resolves the string references and the container's length word.
    bool Finish(std::vector<uint8_t>& out, std::string& errors);

private:
    std::vector<uint8_t> m_Bytes;
    uint32_t m_ChunkStart = 0;
    bool m_InChunk = false;
    std::vector<std::string> m_Pool;
    std::map<std::string, int32_t> m_PoolIndex;
    std::vector<uint32_t> m_Placed; // 0: not written yet
    std::vector<std::pair<uint32_t, int32_t>> m_References;
    std::vector<std::string> m_Errors;
};

} // namespace gamebuild
