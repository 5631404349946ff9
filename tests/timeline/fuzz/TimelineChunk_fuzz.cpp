// The time-line chunk's reader over arbitrary bodies, as a game of source text and as one of
// compiled code, then the moment lookups of every time line it accepted: nothing may be read outside
// the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gamefile/GameFile_Loader.h"
#include "../../TestSupport_ChunkFuzz.h"
#include "gamefile/GameFile_View.h"
#include "timeline/Timeline_Table.h"

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameFile file;
    if (!testsupport::ChunkFuzzFile(file, "TMLN", data, size)) return 0;
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
