// Model text files as d3d_model_load reads them: whatever the bytes, the model holds no more
// commands than lines, writes out as a file that reads back to the same kinds, and replays into a
// recording without a device.
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/Graphics_3DDraw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int32_t model = GR_3D_ModelCreate();
    if (GR_3D_ModelRead(model, data, int64_t(size))) {
        int32_t count = GR_3D_ModelCommandCount(model);
        if (size_t(count) > size / 2) __builtin_trap();
        std::string text = GR_3D_ModelText(model);
        int32_t copy = GR_3D_ModelCreate();
        if (!GR_3D_ModelRead(copy, reinterpret_cast<const uint8_t*>(text.data()), int64_t(text.size())) ||
            GR_3D_ModelCommandCount(copy) != count)
            __builtin_trap();
        for (int32_t n = 0; n < count; ++n)
            if (GR_3D_ModelCommand(copy, n)->kind != GR_3D_ModelCommand(model, n)->kind) __builtin_trap();
        GR_3D_ModelDestroy(copy);
        GR_3D_ModelDraw(model, 0, 0, 0, -1);
    }
    GR_3D_ModelDestroy(model);
    return 0;
}
