#include "gamebuild/GameBuild_Image.h"

#include <cstring>

namespace gamebuild {

ImageWriter::ImageWriter()
{
    m_Bytes = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
}

void ImageWriter::BeginChunk(const std::string& tag)
{
    if (m_InChunk) Error("chunk " + tag + " begun inside another chunk");
    if (tag.size() != 4) Error("chunk tag \"" + tag + "\" is not four characters");
    for (size_t i = 0; i < 4; ++i) U8(i < tag.size() ? static_cast<uint8_t>(tag[i]) : ' ');
    m_ChunkStart = Position();
    U32(0);
    m_InChunk = true;
}

void ImageWriter::EndChunk()
{
    if (!m_InChunk) {
        Error("a chunk ended that was not begun");
        return;
    }
    PatchU32(m_ChunkStart, Position() - m_ChunkStart - 4);
    m_InChunk = false;
}

void ImageWriter::U8(uint8_t value) { m_Bytes.push_back(value); }

void ImageWriter::U16(uint16_t value)
{
    U8(static_cast<uint8_t>(value));
    U8(static_cast<uint8_t>(value >> 8));
}

void ImageWriter::U32(uint32_t value)
{
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(value >> (8 * i)));
}

void ImageWriter::U64(uint64_t value)
{
    U32(static_cast<uint32_t>(value));
    U32(static_cast<uint32_t>(value >> 32));
}

void ImageWriter::F32(float value)
{
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    U32(word);
}

void ImageWriter::F64(double value)
{
    uint64_t word;
    std::memcpy(&word, &value, sizeof word);
    U64(word);
}

void ImageWriter::Bytes(const std::vector<uint8_t>& bytes) { m_Bytes.insert(m_Bytes.end(), bytes.begin(), bytes.end()); }

void ImageWriter::Zeros(uint32_t count) { m_Bytes.insert(m_Bytes.end(), count, 0); }

void ImageWriter::PatchU32(uint32_t at, uint32_t value)
{
    if (at + 4 > m_Bytes.size()) {
        Error("a patch lies past the end of the image");
        return;
    }
    for (int i = 0; i < 4; ++i) m_Bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

int32_t ImageWriter::StringIndex(const std::string& text)
{
    auto found = m_PoolIndex.find(text);
    if (found != m_PoolIndex.end()) return found->second;
    int32_t index = static_cast<int32_t>(m_Pool.size());
    m_Pool.push_back(text);
    m_Placed.push_back(0);
    m_PoolIndex.emplace(text, index);
    return index;
}

void ImageWriter::StringRef(const std::string& text)
{
    m_References.emplace_back(Position(), StringIndex(text));
    U32(0);
}

void ImageWriter::PlaceString(int32_t index, uint32_t characters)
{
    if (index >= 0 && static_cast<size_t>(index) < m_Placed.size()) m_Placed[index] = characters;
}

bool ImageWriter::Finish(std::vector<uint8_t>& out, std::string& errors)
{
    if (m_InChunk) Error("the last chunk was not ended");
    for (const auto& [at, index] : m_References) {
        if (m_Placed[index] == 0) Error("the string \"" + m_Pool[index] + "\" is not in the strings chunk");
        else PatchU32(at, m_Placed[index]);
    }
    PatchU32(4, Position() - 8);
    errors.clear();
    for (const std::string& message : m_Errors) errors += message + "\n";
    if (!m_Errors.empty()) return false;
    out = m_Bytes;
    return true;
}

} // namespace gamebuild
