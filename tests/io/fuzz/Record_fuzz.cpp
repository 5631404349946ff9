// A playback file is untrusted: any bytes are replayed frame by frame, and the state they leave
// is read back through the queries scripts use.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/App_CommandLine.h"
#include "io/IO_Main.h"
#include "io/IO_Record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * IO_RECORD_FRAME_SIZE) return 0;
    static const std::string path = "/tmp/kelvaro_record_fuzz_" + std::to_string(getpid());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    g_RecordFileName = path;
    g_PlaybackInput = 1;
    IO_Init();
    for (size_t frame = 0; frame <= size / IO_RECORD_FRAME_SIZE + 1; ++frame) {
        IO_StartStep();
        const char* text = IO_GetKeyboardString();
        if (std::strlen(text) > 1024 * 3) __builtin_trap();
        for (int32_t code = -1; code <= IO_KEY_COUNT; ++code)
            (void)(IO_Key_Down(code) + IO_Key_Pressed(code) + IO_Key_Released(code));
        for (int32_t device = 0; device < IO_MOUSE_DEVICES; ++device)
            (void)(IO_Button_Down(IO_GetCurrentButton(device), device) + IO_MouseX(device));
        IO_Key_Clear(IO_GetLastKey());
        IO_Button_Clear(IO_GetLastButton(0), 0);
    }
    IO_Shutdown();
    std::remove(path.c_str());
    return 0;
}
