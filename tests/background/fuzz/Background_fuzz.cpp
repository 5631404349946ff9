// The background chunk's reader over arbitrary bodies, then the queries and copies of every
// background it accepted: nothing may be read outside the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "background/Background_Table.h"
#include "base/Base_Console.h"
#include "gamefile/GameFile_View.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void PutWord(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;
    if (size > 1 << 20) return 0;
    std::vector<uint8_t> bytes = {'F', 'O', 'R', 'M'};
    PutWord(bytes, uint32_t(size + 8));
    bytes.insert(bytes.end(), {'B', 'G', 'N', 'D'});
    PutWord(bytes, uint32_t(size));
    bytes.insert(bytes.end(), data, data + size);
    GameFile file;
    if (!file.CopyFrom(bytes.data(), bytes.size())) return 0;
    Background_Load(file, 16, uint32_t(size));
    int32_t count = Background_Count();
    for (int32_t i = 0; i < count; ++i) {
        Background_Name(i);
        if (CBackground* background = Background_Data(i)) {
            background->GetTexture();
            background->DrawStretched(0, 0, 4, 4, 0xFFFFFF, 1);
            Background_Duplicate(i);
        }
    }
    Background_Reset();
    return 0;
}
