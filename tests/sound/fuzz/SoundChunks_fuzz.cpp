// The sound chunk readers of both systems over arbitrary bytes, read both as a sounds chunk and as
// an audio chunk: nothing may be read outside the file, whatever its counts, offsets and sizes say,
// and every audio index a sound names must resolve safely.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Chunks.h"
#include "sound/Sound_Main.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void TouchSounds()
{
    for (int32_t i = 0; i < Sound_Count(); ++i) {
        CSound* sound = Sound_Get(i);
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        if (sound != nullptr && SoundChunk_AudioData(sound->m_AudioIndex, data, size) && size > 0) {
            volatile uint8_t last = data[size - 1];
            (void)last;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;
    GameFile file;
    if (size < 4 || !file.CopyFrom(data, size)) return 0;
    uint32_t length = static_cast<uint32_t>(size);
    Sound_Reset();
    if (Sound_Init(file, 0, length) && Wave_Init(file, 0, length)) TouchSounds();
    Sound_FreeAll();
    Sound_Reset();
    g_GameOptions.newAudio = true;
    if (Audio_Load(file, 0, length) && Audio_WAVs(file, 0, length)) {
        for (int32_t i = 0; i < 4; ++i) {
            Audio_IsStreamed(i);
            Audio_Exists(i);
        }
        Audio_Find("a");
    }
    g_GameOptions.newAudio = false;
    Sound_Reset();
    return 0;
}
