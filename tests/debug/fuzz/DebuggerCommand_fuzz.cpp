// Requests on a debugger connection come from whoever reaches its port: cut at arbitrary points, each
// request is handled without a connection to answer on (so no reply, but every state change), and
// each evaluation request is read; nothing may read past the request it was cut as.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "code/Code_Breakpoints.h"
#include "debug/Debug_Messages.h"
#include "debug/Debug_Remote.h"
#include "networking/Networking_Framing.h"
#include "networking/Networking_Socket.h"

namespace {

void HandleKept(qzSocket& socket)
{
    for (int guard = 0; guard < 100000; ++guard) {
        NetCut cut = socket.NextMessage({true, true, false});
        if (cut.kind == NetCutKind::Wait) return;
        if (cut.consumed == 0 || cut.offset + cut.length > socket.KeptSize()) __builtin_trap();
        // The request is copied to memory of its exact size, so a read past it is caught.
        uint8_t* request = new uint8_t[cut.length + 1];
        std::memcpy(request, socket.Kept() + cut.offset, cut.length);
        uint32_t length = static_cast<uint32_t>(cut.length);
        socket.Consume(cut.consumed);
        if (cut.kind == NetCutKind::Command) {
            Debugger_HandleCommand(nullptr, request, length);
            for (const DebugExpression& e : Debugger_ReadEvaluateRequest(request, length))
                if (e.text.size() > length) __builtin_trap();
        }
        delete[] request;
        if (cut.kind == NetCutKind::Close) return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    uint32_t seed = data[0];
    ++data;
    --size;
    qzSocket socket(SOCKET_KIND_TCP);
    size_t at = 0;
    while (at < size) {
        seed = seed * 1103515245u + 12345u;
        size_t chunk = 1 + (seed >> 16) % 97;
        if (chunk > size - at) chunk = size - at;
        socket.AppendReceived(data + at, chunk);
        HandleKept(socket);
        socket.Compact();
        at += chunk;
    }
    Debugger_SetPaused(false);
    VM_ClearBreakpoints();
    return 0;
}
