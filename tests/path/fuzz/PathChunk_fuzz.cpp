// The path chunk's reader over arbitrary bodies, then places and drawing-free edits of every path it
// accepted: nothing may be read outside the file, and no precision may make smoothing run away.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../TestSupport_ChunkFuzz.h"
#include "gamefile/GameFile_View.h"
#include "path/Path_Table.h"

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameFile file;
    if (!testsupport::ChunkFuzzFile(file, "PATH", data, size)) return 0;
    Path_Load(file, 16, uint32_t(size));
    for (int32_t i = 0; i < Path_Count(); ++i) {
        CPath* path = Path_Data(i);
        if (path == nullptr) continue;
        float x, y, speed;
        for (float at : {-1.0f, 0.0f, 0.3f, 1.0f}) path->GetPositionAt(at, &x, &y, &speed);
        path->Reverse();
        path->Append(path);
        path->Rotate(33);
    }
    Path_Reset();
    return 0;
}
