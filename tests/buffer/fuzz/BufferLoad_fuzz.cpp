// Arbitrary files loaded into an empty buffer as buffer_load does, then read back value by value in
// every type until the end.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "buffer/Buffer_Standard.h"
#include "platform/Platform_ScriptHeap.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptHeap_Init();
    // A save area of our own; the current folder stays, as libFuzzer's corpus paths are relative to it.
    static const bool placed = [] {
        auto folder = std::filesystem::temp_directory_path() / ("kelvaro_buffer_fuzz_" + std::to_string(getpid()));
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
        return true;
    }();
    (void)placed;
    if (!LoadSave_WriteSaveAreaFile("kelvaro_fuzz_input.bin", data, static_cast<int32_t>(size))) return 0;

    Buffer_Standard buffer;
    bool loaded = buffer.Load("kelvaro_fuzz_input.bin", 0, -1, 0);
    // Only an empty file is refused, and what loads is the file.
    if (loaded != (size > 0)) __builtin_trap();
    if (loaded && (size_t(buffer.m_Size) != size || std::memcmp(buffer.m_pData, data, size) != 0)) __builtin_trap();
    ScriptValue value{VALUE_REAL, 0, 0.0};
    for (int32_t type = 1; type <= 11 && loaded; ++type) {
        buffer.Seek(0, 0);
        for (int32_t steps = 0; steps <= buffer.m_Size; ++steps) {
            buffer.Read(type, &value);
            if (value.real == -3 && Value_GetKind(&value) == VALUE_REAL && buffer.m_Position >= buffer.m_Size) break;
        }
    }
    Value_Free(&value);
    char path[2048];
    LoadSave_SaveAreaPath(path, sizeof path, "kelvaro_fuzz_input.bin");
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return 0;
}
