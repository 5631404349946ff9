// Saved instances as a saved game hands them in. An instance read back is written again, and that
// form reads back to the same fields; a refused stream leaves the instance as it was. (Only the
// fields are compared byte for byte: a list that names one variable twice keeps both, and their
// order flips on every save.)
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../Instance_TestDoubles.h"
#include "instance/Instance_Class.h"
#include "object/Object_Table.h"
#include "base/Base_Console.h"
#include "variable/Variable_Names.h"

namespace {

// The bytes of the fields, before the variable list.
constexpr size_t FIELD_BYTES = 61 * 4;

class QuietConsole : public tagIConsole {
public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

bool Prepare()
{
    static QuietConsole quiet;
    MainConsole = &quiet; // unknown variable names are logged by the thousand
    for (const char* name : {"a", "b", "score", "name"}) Code_Variable_Add(name);
    Object_ResetTable();
    Object_Add();
    Object_Add();
    std::atexit(Object_ResetTable);
    return true;
}

std::vector<uint8_t> Save(CInstance* instance)
{
    InstanceTestBuffer out;
    if (!instance->Serialise(&out)) std::abort();
    return out.Bytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = Prepare();
    (void)prepared;
    CInstance* instance = new CInstance(1.0f, 2.0f, 100001, -1, false);
    InstanceTestBuffer buffer(std::vector<uint8_t>(data, data + size), eBuffer_Fixed);
    if (instance->Deserialise(&buffer)) {
        // Whatever was read must survive a second trip unchanged (the box may be recomputed first).
        std::vector<uint8_t> once = Save(instance);
        CInstance* again = new CInstance(0.0f, 0.0f, 0, -1, false);
        InstanceTestBuffer second(once, eBuffer_Fixed);
        if (!again->Deserialise(&second)) std::abort();
        std::vector<uint8_t> twice = Save(again);
        if (once.size() < FIELD_BYTES || twice.size() != once.size() ||
            std::memcmp(once.data(), twice.data(), FIELD_BYTES) != 0) {
            std::abort();
        }
        delete again;
    } else if (instance->i_x != 1.0f || instance->i_id != 100001 || instance->GetObject() != nullptr) {
        std::abort();
    }
    delete instance;
    return 0;
}
