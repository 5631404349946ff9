// The sprite chunk's reader over arbitrary bodies, then the pixel tests and frame queries of every
// sprite it accepted: nothing may be read outside the file or the masks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../TestSupport_ChunkFuzz.h"
#include "gamefile/GameFile_View.h"
#include "instance/Instance_Class.h"
#include "sprite/Sprite_Table.h"

namespace {

void Exercise(CSprite& sprite)
{
    InstanceBox box{-2, -2, 6, 6};
    for (int32_t frame = -1; frame <= 1; ++frame) {
        sprite.GetTexture(frame);
        sprite.GetFrameBounds(frame);
        sprite.CollidePoint(frame, box, 0, 0, 1, 1, 0, 1, 1);
        sprite.CollideRectangle(frame, box, 0, 0, 2, 0.5f, 30, box);
        sprite.CollideLine(frame, box, 0, 0, 1, 1, 0, -2, -2, 6, 5);
        sprite.CollideSprite(frame, box, 0, 0, 1, 1, 0, &sprite, frame + 1, box, 1, 1, -1, 1, 45);
    }
}

} // namespace

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameFile file;
    if (!testsupport::ChunkFuzzFile(file, "SPRT", data, size)) return 0;
    Sprite_Load(file, 16, uint32_t(size));
    for (int32_t i = 0; i < Sprite_Count(); ++i)
        if (CSprite* sprite = Sprite_Get(i)) Exercise(*sprite);
    Sprite_Reset();
    return 0;
}
