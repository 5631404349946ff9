// The text forms scripts keep in files are untrusted. The first byte picks the reader (stack, queue,
// list, priority queue, grid, map), the rest is the text. Whatever a reader accepts must write out
// and read back to the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datastructure/DataStructure_Grid.h"
#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Priority.h"
#include "datastructure/DataStructure_Stack.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

template <typename T>
void Check(const std::string& text)
{
    T first;
    if (!first.ReadFromString(text.c_str())) return;
    std::string written = first.WriteToString();
    T second;
    if (!second.ReadFromString(written.c_str()) || second.WriteToString() != written) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = ScriptHeap_Init();
    if (!ready || size == 0) return 0;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    text = text.c_str(); // a script's text ends at its first zero byte
    switch (data[0] % 6) {
    case 0: Check<CDS_Stack>(text); break;
    case 1: Check<CDS_Queue>(text); break;
    case 2: Check<CDS_List>(text); break;
    case 3: Check<CDS_Priority>(text); break;
    case 4: {
        CDS_Grid first(1, 1);
        if (!first.ReadFromString(text.c_str())) break;
        std::string written = first.WriteToString();
        CDS_Grid second(0, 0);
        if (!second.ReadFromString(written.c_str()) || second.WriteToString() != written) __builtin_trap();
        break;
    }
    default: Check<CDS_Map>(text); break;
    }
    return 0;
}
