#include "sound/Sound_Chunks.h"

#include <string>
#include <vector>

#include "gamefile/GameFile_View.h"

namespace {

struct AudioImage {
    const uint8_t* data = nullptr; // inside the game file, which is held for the whole run
    uint32_t size = 0;
};

std::vector<AudioImage> g_AudioImages;

} // namespace

bool SoundChunk_ReadEntry(const GameFile& file, uint32_t offset, uint32_t index, SoundEntry& entry)
{
    GameFileEntry record(file, "SOND", "sound " + std::to_string(index), offset);
    uint32_t nameAt = 0, extensionAt = 0, fileAt = 0, audio = 0, kind = 0;
    if (!record.Holds("its record", offset, 36)) return false;
    file.U32(offset, nameAt);
    file.U32(offset + 4, kind);
    file.U32(offset + 8, extensionAt);
    file.U32(offset + 12, fileAt);
    file.U32(offset + 16, entry.effects);
    file.F32(offset + 20, entry.volume);
    file.F32(offset + 24, entry.pan);
    file.U32(offset + 28, entry.preload);
    file.U32(offset + 32, audio);
    entry.kind = static_cast<int32_t>(kind);
    entry.audioIndex = static_cast<int32_t>(audio);
    return record.String("its name", nameAt, entry.name) &&
           record.String("its extension", extensionAt, entry.extension) &&
           record.String("its file name", fileAt, entry.fileName);
}

bool SoundChunk_ReadAudio(const GameFile& file, uint32_t body, uint32_t length)
{
    g_AudioImages.clear();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "AUDO", body, length, table)) return false;
    g_AudioImages.assign(table.count, AudioImage());
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        if (entry == 0) continue;
        uint32_t size = 0;
        const uint8_t* data = nullptr;
        GameFileEntry record(file, "AUDO", "audio entry " + std::to_string(i), entry);
        if (!record.Holds("its size word", entry, 4) || !file.U32(entry, size) ||
            !record.Holds("its image", entry + 4, size)) {
            g_AudioImages.clear();
            return false;
        }
        file.Span(entry + 4, size, data);
        g_AudioImages[i] = AudioImage{data, size};
    }
    return true;
}

void SoundChunk_ResetAudio()
{
    g_AudioImages.clear();
}

bool SoundChunk_AudioData(int32_t index, const uint8_t*& data, uint32_t& size)
{
    if (index < 0 || static_cast<size_t>(index) >= g_AudioImages.size()) return false;
    const AudioImage& image = g_AudioImages[static_cast<size_t>(index)];
    if (image.data == nullptr) return false;
    data = image.data;
    size = image.size;
    return true;
}
