// Value and variable-list streams as saved games and the debugger hand them in. The first byte picks
// the reader (0 a value, 1 a variable list, 2 the global variables); the rest is the stream.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "../Code_TestBuffer.h"
#include "base/Base_Console.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

class QuietConsole : public tagIConsole {
public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

bool Prepare()
{
    static QuietConsole quiet;
    MainConsole = &quiet; // unknown names are logged by the thousand
    for (const char* name : {"a", "b", "score", "name"}) Code_Variable_Add(name);
    Variable_Init();
    return true;
}

std::vector<uint8_t> Write(const ScriptValue& value)
{
    TestBuffer out;
    if (!Value_Serialise(&value, &out)) std::abort();
    return out.Bytes();
}

// A value read back is written again, and that form reads back to itself.
void CheckValue(const std::vector<uint8_t>& bytes)
{
    uint32_t blocks = MemoryManager::BlockCount();
    TestBuffer buffer(eBuffer_Fixed, bytes);
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    if (Value_Deserialise(&value, &buffer)) {
        std::vector<uint8_t> once = Write(value);
        TestBuffer again(eBuffer_Fixed, once);
        ScriptValue second = {VALUE_REAL, 0, 0.0};
        if (!Value_Deserialise(&second, &again) || Write(second) != once) std::abort();
        ValueTextBuffer text{nullptr, nullptr, 0};
        Value_ToString(&text, &second);
        MemoryManager::Free(text.start);
        Value_Free(&second);
    }
    Value_Free(&value);
    if (MemoryManager::BlockCount() != blocks) std::abort(); // everything read was released
}

void CheckList(const std::vector<uint8_t>& bytes)
{
    TestBuffer buffer(eBuffer_Fixed, bytes);
    CVariableList list;
    if (list.LoadFromStream(&buffer)) {
        TestBuffer out;
        if (!list.Serialise(&out)) std::abort();
    } else if (list.Count() != 0) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = Prepare();
    (void)prepared;
    if (size == 0) return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    switch (data[0] % 3) {
    case 0: CheckValue(bytes); break;
    case 1: CheckList(bytes); break;
    default: {
        TestBuffer buffer(eBuffer_Fixed, bytes);
        Variable_LoadGame(&buffer);
        break;
    }
    }
    return 0;
}
