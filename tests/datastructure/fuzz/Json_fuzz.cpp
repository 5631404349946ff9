// JSON text from a script or a server is untrusted: whatever json_decode makes of it must encode,
// and destroying the map it made must take every nested structure with it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datastructure/DataStructure_Json.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

template <typename T>
int32_t Live(const DS_Table<T>& table)
{
    int32_t live = 0;
    for (int32_t i = 0; i < table.Count(); ++i) live += table.Get(i) != nullptr ? 1 : 0;
    return live;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = ScriptHeap_Init();
    if (!ready) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str(); // a script's text ends at its first zero byte
    int32_t maps = Live(g_DSMaps), lists = Live(g_DSLists);
    int32_t index = DS_JsonDecode(text.c_str());
    if (index < 0) return 0;
    std::string encoded = DS_JsonEncode(index);
    if (encoded.empty() || encoded[0] != '{') __builtin_trap();
    CDS_Map_Destroy(index);
    if (Live(g_DSMaps) != maps || Live(g_DSLists) != lists) __builtin_trap();
    return 0;
}
