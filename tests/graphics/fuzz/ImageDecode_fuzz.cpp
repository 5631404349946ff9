// Images loaded at run time come from files and the network: every decoder, and the bitmap stream
// form, sees the same bytes. A decoded block is read at its first and last byte, so a block
// smaller than the sizes it reports shows up.
#include <cstddef>
#include <cstdint>

#include "base/Base_Console.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

namespace {

class SilentConsole : public tagIConsole {
public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

volatile uint8_t g_Sink;

void Touch(const uint8_t* block, int32_t width, int32_t height)
{
    if (block == nullptr) return;
    if (width < 1 || height < 1) __builtin_trap();
    g_Sink = block[0];
    g_Sink = block[size_t(width) * height * 4 - 1];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;
    if (size > 1u << 20) return 0;
    auto length = static_cast<int32_t>(size);
    int32_t width = 0;
    int32_t height = 0;

    uint8_t* png = GR_Image_LoadPNG(data, length, &width, &height, false);
    Touch(png, width, height);
    GR_Image_FreePNG();
    g_TextureScale = 2;
    png = GR_Image_LoadPNG(data, length, &width, &height, true);
    Touch(png, width, height);
    GR_Image_FreePNG();
    g_TextureScale = 1;

    uint8_t* jpeg = JPEG_Decode(data, length, &width, &height);
    Touch(jpeg, width, height);
    MemoryManager::Free(jpeg);

    uint8_t* gif = GIF_Decode(data, length, &width, &height);
    Touch(gif, width, height);
    MemoryManager::Free(gif);

    CStream stream;
    stream.WriteBuffer(data, length);
    stream.SetPosition(0);
    CBitmap32 bitmap;
    bitmap.ConstructFromStream(&stream);
    uint32_t byteSize = 0;
    uint32_t* pixels = nullptr;
    bitmap.GetPixelBuffer(&byteSize, &pixels);
    if (bitmap.IsValid()) {
        if (byteSize != uint32_t(bitmap.GetWidth()) * uint32_t(bitmap.GetHeight()) * 4) __builtin_trap();
        g_Sink = static_cast<uint8_t>(pixels[byteSize / 4 - 1]);
    }
    return 0;
}
