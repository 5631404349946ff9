// Received bytes come from any peer: cut at arbitrary points into a connection in each state, with
// and without the debugger flag, and as datagrams, no message may reach past what was received.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "networking/Networking_Framing.h"
#include "networking/Networking_Socket.h"

namespace {

// Cuts everything kept; traps on a message that leaves the received bytes.
void CutKept(qzSocket& socket, NetCutMode mode)
{
    for (int guard = 0; guard < 100000; ++guard) {
        NetCut cut = socket.NextMessage(mode);
        size_t kept = socket.KeptSize();
        if (cut.kind == NetCutKind::Wait) {
            if (cut.consumed != 0) __builtin_trap();
            return;
        }
        if (cut.consumed == 0 || cut.consumed > kept || cut.offset + cut.length > kept) __builtin_trap();
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < cut.length; ++i) sum = sum + socket.Kept()[cut.offset + i];
        socket.Consume(cut.consumed);
        if (cut.kind == NetCutKind::Handshake) {
            socket.m_PaddingLeft = static_cast<uint32_t>(NET_HANDSHAKE_SIZE - cut.consumed);
            mode.awaitingHandshake = false;
        }
        if (cut.kind == NetCutKind::Refused || cut.kind == NetCutKind::Close) return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    uint8_t control = data[0];
    NetCutMode mode{true, (control & 1) != 0, (control & 2) != 0};
    ++data;
    --size;
    qzSocket socket(SOCKET_KIND_TCP);
    // Chunk lengths come from the bytes themselves, so the corpus steers where reads end.
    size_t at = 0;
    uint32_t seed = control;
    while (at < size) {
        seed = seed * 1103515245u + 12345u;
        size_t chunk = 1 + (seed >> 16) % 64;
        if (chunk > size - at) chunk = size - at;
        socket.AppendReceived(data + at, chunk);
        CutKept(socket, mode);
        socket.Compact();
        at += chunk;
    }
    // The same bytes as one datagram: never a wait, never past the end.
    std::vector<uint8_t> copy(data, data + size);
    for (size_t offset = 0; offset < copy.size();) {
        NetCut cut = Net_Cut(copy.data() + offset, copy.size() - offset, {false, mode.debugger, false});
        if (cut.consumed == 0 || cut.offset + cut.length > copy.size() - offset) __builtin_trap();
        offset += cut.consumed;
    }
    return 0;
}
