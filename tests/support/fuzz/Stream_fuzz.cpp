// Streams read from files and saved data: every length inside them is untrusted. The input is a
// stream of one-byte commands, each followed by what that command reads.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

namespace {

class SilentConsole : public tagIConsole {
public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void Drain(CStream* s)
{
    if (s == nullptr) return;
    s->SetPosition(0);
    while (s->GetPosition() < s->GetSize()) {
        int64_t before = s->GetPosition();
        s->ReadInteger();
        if (s->GetPosition() == before) break;
    }
    CStream::Delete(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;

    CStream s;
    s.WriteBuffer(data, static_cast<int64_t>(size));
    s.SetPosition(0);
    for (int step = 0; step < 64 && s.GetPosition() < s.GetSize(); ++step) {
        uint8_t op = 0;
        s.ReadBuffer(&op, 1);
        switch (op % 5) {
        case 0: Drain(ZDecompressStream(&s)); break;
        case 1: {
            CStream* block = s.ReadStream();
            Drain(ZDecompressStream(block));
            CStream::Delete(block);
            break;
        }
        case 2: MemoryManager::Free(s.ReadString()); break;
        case 3:
            s.ReadInteger();
            s.ReadReal();
            s.ReadBoolean();
            break;
        default: s.Seek(s.ReadInteger(), (op >> 3) % 4); break;
        }
    }

    // The same bytes as hex text and as scrambled data.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    CStream hex;
    hex.FromHexString(text.data());
    hex.Seek(0, 2);
    char* back = nullptr;
    hex.ToHexString(&back);
    MemoryManager::Free(back);
    if (size >= 12) {
        int32_t seed, start, length;
        std::memcpy(&seed, data, 4);
        std::memcpy(&start, data + 4, 4);
        std::memcpy(&length, data + 8, 4);
        s.UnscrambleRange(seed, start, length);
    }
    String_HashToNewline(text.data());
    return 0;
}
