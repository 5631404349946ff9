// The sound chunks of the game file, shared by both sound systems: a SOND entry of 36 bytes and the
// AUDO table of sound-file images. Entries are read through the checked accessors; the AUDO images
// stay in the game file and are reached by index, so an index from a SOND entry that the AUDO table
// does not hold means no data.
#pragma once

#include <cstdint>

class GameFile;

struct SoundEntry {
    const char* name = nullptr;      // texts point into the game file image (null: none)
    int32_t kind = 0;
    const char* extension = nullptr;
    const char* fileName = nullptr;
    uint32_t effects = 0;
    float volume = 1.0f;
    float pan = 0.0f;
    uint32_t preload = 0;
    int32_t audioIndex = -1;
};

constexpr uint32_t SOUND_ENTRY_SIZE = 36;

// Reads the entry at a file offset; false (with a log line naming the chunk) when it is malformed.
bool SoundChunk_ReadEntry(const GameFile& file, uint32_t offset, uint32_t index, SoundEntry& entry);

// Reads the AUDO count table and checks every entry's size word and image; false when malformed.
bool SoundChunk_ReadAudio(const GameFile& file, uint32_t body, uint32_t length);
// Forgets the AUDO table (chunk reset).
void SoundChunk_ResetAudio();
// The sound-file image of AUDO entry `index`; false (and nothing) when the table holds none.
bool SoundChunk_AudioData(int32_t index, const uint8_t*& data, uint32_t& size);
