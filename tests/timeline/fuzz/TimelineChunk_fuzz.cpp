// The time-line chunk's reader over arbitrary bodies, as a game of source text and as one of
// compiled code, then the moment lookups of every time line it accepted: nothing may be read outside
// the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "timeline/Timeline_Table.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void PutWord(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;
    if (size > 1 << 20) return 0;
    std::vector<uint8_t> bytes = {'F', 'O', 'R', 'M'};
    PutWord(bytes, uint32_t(size + 8));
    bytes.insert(bytes.end(), {'T', 'M', 'L', 'N'});
    PutWord(bytes, uint32_t(size));
    bytes.insert(bytes.end(), data, data + size);
    GameFile file;
    if (!file.CopyFrom(bytes.data(), bytes.size())) return 0;
    for (bool compiled : {false, true}) {
        g_CompiledCode = compiled;
        TimeLine_Load(file, 16, uint32_t(size));
        for (int32_t i = 0; i < TimeLine_Count(); ++i) {
            CTimeLine* line = TimeLine_Get(i);
            if (line == nullptr) continue;
            line->FindMomentAtOrAfter(3);
            line->FindMomentAtOrBefore(3);
            line->ClearMoment(line->GetMoment(0));
        }
        TimeLine_Reset();
    }
    g_CompiledCode = false;
    return 0;
}
