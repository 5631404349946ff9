// The sounds chunk (a count table of 36-byte entries) and the audio chunk (a count table of sound-file
// images, each a size word and the bytes).
#include <cmath>

#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

// The audio entry of each sound: its own index when given, else the next one when it has data.
std::vector<int32_t> AudioIndices(const GameDesc& game)
{
    std::vector<int32_t> indices;
    int32_t next = 0;
    for (const SoundDesc& sound : game.sounds) {
        if (sound.audioIndex != -2) indices.push_back(sound.audioIndex);
        else indices.push_back(sound.data.empty() ? -1 : next);
        if (!sound.data.empty()) ++next;
    }
    return indices;
}

void Word(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

void WriteSoundsChunk(ImageWriter& image, const GameDesc& game)
{
    std::vector<int32_t> indices = AudioIndices(game);
    image.BeginChunk("SOND");
    image.U32(static_cast<uint32_t>(game.sounds.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(game.sounds.size()));
    for (size_t i = 0; i < game.sounds.size(); ++i) {
        const SoundDesc& sound = game.sounds[i];
        if (!sound.present) continue;
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        image.StringRef(sound.name);
        image.I32(sound.kind);
        image.StringRef(sound.extension);
        image.StringRef(sound.fileName);
        image.U32(sound.effects);
        image.F32(sound.volume);
        image.F32(sound.pan);
        image.U32(sound.preload);
        image.I32(indices[i]);
    }
    image.EndChunk();
}

void WriteAudioChunk(ImageWriter& image, const GameDesc& game)
{
    std::vector<const SoundDesc*> withData;
    for (const SoundDesc& sound : game.sounds)
        if (!sound.data.empty()) withData.push_back(&sound);
    image.BeginChunk("AUDO");
    image.U32(static_cast<uint32_t>(withData.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(withData.size()));
    for (size_t i = 0; i < withData.size(); ++i) {
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        image.U32(static_cast<uint32_t>(withData[i]->data.size()));
        image.Bytes(withData[i]->data);
    }
    image.EndChunk();
}

std::vector<uint8_t> MakeToneWav(const ToneDesc& tone)
{
    uint32_t samples = static_cast<uint32_t>(static_cast<int64_t>(tone.rate) * tone.milliseconds / 1000);
    std::vector<uint8_t> wav = {'R', 'I', 'F', 'F'};
    Word(wav, 36 + samples * 2, 4);
    for (char c : std::string("WAVEfmt ")) wav.push_back(static_cast<uint8_t>(c));
    Word(wav, 16, 4);
    Word(wav, 1, 2); // PCM
    Word(wav, 1, 2); // mono
    Word(wav, static_cast<uint32_t>(tone.rate), 4);
    Word(wav, static_cast<uint32_t>(tone.rate) * 2, 4);
    Word(wav, 2, 2);
    Word(wav, 16, 2);
    for (char c : std::string("data")) wav.push_back(static_cast<uint8_t>(c));
    Word(wav, samples * 2, 4);
    const double pi = 3.14159265358979323846;
    for (uint32_t i = 0; i < samples; ++i) {
        double value = tone.amplitude * std::sin(2.0 * pi * tone.frequency * i / tone.rate);
        Word(wav, static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 32767.0))), 2);
    }
    return wav;
}

} // namespace gamebuild
