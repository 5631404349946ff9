// INI texts are untrusted (options.ini, files and strings from scripts): parse anything, then read,
// change and write what was parsed.
#include <cstdint>
#include <cstring>

#include "base/Base_Ini.h"
#include "platform/Platform_MemoryManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) return 0;
    IniFile ini;
    ini.ParseBytes(reinterpret_cast<const char*>(data), static_cast<int32_t>(size));

    for (IniSection* section = ini.FirstSection(); section != nullptr; section = section->next)
        for (IniKey* key = section->firstKey; key != nullptr; key = key->next) {
            ini.ReadInt(section->name, key->name, 0);
            ini.ReadReal(section->name, key->name, 0.0f);
        }

    // The text is exactly as long as announced, and parses again.
    char* text = ini.GetText();
    if (std::strlen(text) != static_cast<size_t>(ini.TextSize())) __builtin_trap();
    IniFile again;
    again.Parse(text);
    MemoryManager::Free(text);

    if (IniSection* first = ini.FirstSection()) {
        if (first->firstKey != nullptr) ini.DeleteKey(first->name, first->firstKey->name);
        ini.WriteString(first->name, "added", "value");
        ini.DeleteSection(first->name);
    }
    MemoryManager::Free(ini.GetText());
    return 0;
}
