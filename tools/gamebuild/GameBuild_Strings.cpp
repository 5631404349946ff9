#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {

void WriteStringsChunk(ImageWriter& image)
{
    const std::vector<std::string>& pool = image.Pool();
    image.BeginChunk("STRG");
    image.U32(static_cast<uint32_t>(pool.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(pool.size()));
    for (size_t i = 0; i < pool.size(); ++i) {
        uint32_t record = image.Position();
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), record);
        image.U32(static_cast<uint32_t>(pool[i].size()));
        image.Bytes(std::vector<uint8_t>(pool[i].begin(), pool[i].end()));
        image.U8(0);
        image.PlaceString(static_cast<int32_t>(i), record + 4);
    }
    image.EndChunk();
}

void WriteRawChunk(ImageWriter& image, const RawChunkDesc& chunk)
{
    image.BeginChunk(chunk.tag);
    image.Bytes(chunk.body);
    image.EndChunk();
}

} // namespace gamebuild
