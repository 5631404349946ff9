// BMP files are untrusted (sprites and backgrounds a game loads at run time): decode anything, and
// touch every byte a decoded picture claims to have.
#include <cstdint>

#include "platform/Platform_Bitmap.h"
#include "support/Support_Stream.h"

namespace {

uint32_t TouchRows(TBitmap& bitmap)
{
    uint32_t sum = 0;
    for (int32_t row = 0; row < bitmap.GetHeight(); ++row) {
        uint8_t* pixels = nullptr;
        int32_t stride = 0;
        bitmap.GetScanline(row, &pixels, &stride);
        if (pixels == nullptr) __builtin_trap();
        for (int32_t i = 0; i < stride; ++i) sum += pixels[i];
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) return 0;
    TBitmap bitmap;
    bitmap.LoadFromBytes(data, size);
    if (bitmap.Block() != nullptr) {
        volatile uint32_t sum = TouchRows(bitmap);
        (void)sum;
        TBitmap copy;
        copy.Assign(&bitmap);
        sum = TouchRows(copy);
    }

    CStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TBitmap streamed;
    streamed.LoadFromStream(&stream);
    if (streamed.GetWidth() != bitmap.GetWidth() || streamed.GetHeight() != bitmap.GetHeight()) __builtin_trap();
    return 0;
}
