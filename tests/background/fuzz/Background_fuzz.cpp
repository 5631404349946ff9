// The background chunk's reader over arbitrary bodies, then the queries and copies of every
// background it accepted: nothing may be read outside the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "background/Background_Table.h"
#include "../../TestSupport_ChunkFuzz.h"
#include "gamefile/GameFile_View.h"

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameFile file;
    if (!testsupport::ChunkFuzzFile(file, "BGND", data, size)) return 0;
    Background_Load(file, 16, uint32_t(size));
    int32_t count = Background_Count();
    for (int32_t i = 0; i < count; ++i) {
        Background_Name(i);
        if (CBackground* background = Background_Data(i)) {
            background->GetTexture();
            background->DrawStretched(0, 0, 4, 4, 0xFFFFFF, 1);
            Background_Duplicate(i);
        }
    }
    Background_Reset();
    return 0;
}
