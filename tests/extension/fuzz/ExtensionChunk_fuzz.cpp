// The extension chunk over arbitrary bytes (the chunk's body; its offsets are file offsets, the
// body starting at 16): nothing may be read outside the file, and what loads can be prepared,
// looked up and called. The loader refuses every library, so no fuzzed name is ever loaded or run.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Value.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_DLL.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

const DLLLoader REFUSING_LOADER = {
    [](const char*) -> void* { return nullptr; },
    [](void*, const char*) -> void* { return nullptr; },
    [](void*) {},
};

void Setup()
{
    static SilentConsole silent;
    MainConsole = &silent;
    ScriptConsole = &silent;
    g_GameOptions.showErrors = false;
    g_DLLLoader = REFUSING_LOADER;
}

void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        Setup();
        ready = true;
    }
    if (size > 1 << 20) return 0;
    std::vector<uint8_t> bytes(16);
    std::memcpy(bytes.data(), "FORM", 4);
    std::memcpy(bytes.data() + 8, "EXTN", 4);
    bytes.insert(bytes.end(), data, data + size);
    Put(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
    Put(bytes, 12, static_cast<uint32_t>(size));
    GameFile file;
    if (!file.CopyFrom(bytes.data(), bytes.size())) return 0;
    if (Extension_LoadChunk(file, 16, static_cast<uint32_t>(size))) {
        Extension_FindFunction("a");
        for (int32_t id : {-1, 0, 1, 2, EXTENSION_MAX_ID, EXTENSION_MAX_ID + 1}) {
            Extension_GetFunctionArgCount(id);
            MemoryManager::Free(Extension_GetFunctionName(id));
        }
        if (Extension_Prepare()) {
            ScriptValue result = {VALUE_REAL, 0, 0.0};
            for (int32_t id = -1; id <= Extension_HighestId() && id < 8; ++id) Extension_CallDll(id, 0, nullptr, &result);
            Extension_CallInitFunctions();
            Value_Free(&result);
        }
    }
    Extension_Clear();
    DLL_Clear();
    return 0;
}
