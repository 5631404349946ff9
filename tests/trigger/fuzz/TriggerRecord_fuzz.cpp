// The trigger record over arbitrary bytes: lengths are checked against the stream before anything
// is read.
#include <cstddef>
#include <cstdint>

#include "support/Support_Stream.h"
#include "trigger/Trigger_Class.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20) return 0;
    CStream stream;
    stream.WriteBuffer(data, int64_t(size));
    stream.SetPosition(0);
    CTrigger trigger(3);
    trigger.LoadFromStream(stream);
    return 0;
}
