#include "networking/Networking_Framing.h"

#include <algorithm>
#include <cstring>

const char NET_GREETING[18] = "KV:Vostra-Connect";

namespace {

// The words that open each message, as bytes.
struct Opening {
    uint8_t bytes[12];
    size_t size;
};

Opening MakeOpening(uint32_t first, uint32_t second, uint32_t third, size_t size)
{
    Opening opening{};
    Net_WriteU32(opening.bytes, first);
    Net_WriteU32(opening.bytes + 4, second);
    Net_WriteU32(opening.bytes + 8, third);
    opening.size = size;
    return opening;
}

const Opening FRAME_OPENING = MakeOpening(NET_FRAME_MAGIC, NET_FRAME_HEADER, 0, 8);
const Opening COMMAND_OPENING = MakeOpening(NET_COMMAND_MAGIC, NET_COMMAND_SIZE, 0, 8);
const Opening HANDSHAKE_OPENING = MakeOpening(NET_HANDSHAKE_FIRST, NET_HANDSHAKE_SECOND, NET_HANDSHAKE_SIZE, 12);

// Whether the bytes start like the opening (as far as they go).
bool BeginsWith(const uint8_t* data, size_t size, const Opening& opening)
{
    return std::memcmp(data, opening.bytes, std::min(size, opening.size)) == 0;
}

NetCut Whole(NetCutKind kind, size_t size)
{
    return {kind, 0, size, size};
}

NetCut Handshake(const uint8_t* data, size_t size, NetCutMode mode)
{
    if (!BeginsWith(data, size, HANDSHAKE_OPENING)) return Whole(NetCutKind::Refused, size);
    if (size < HANDSHAKE_OPENING.size) return mode.stream ? NetCut{} : Whole(NetCutKind::Refused, size);
    // The padding word is taken when it came along; the caller skips it when it follows.
    return {NetCutKind::Handshake, 0, size, std::min<size_t>(size, NET_HANDSHAKE_SIZE)};
}

NetCut Command(const uint8_t* data, size_t size, NetCutMode mode)
{
    if (size < NET_COMMAND_SIZE) return mode.stream ? NetCut{} : Whole(NetCutKind::Drop, size);
    uint64_t length = NET_COMMAND_SIZE;
    if (Net_ReadU32(data + 8) == NET_COMMAND_EVALUATE) {
        uint32_t announced = Net_ReadU32(data + 12);
        // A length of 0 answers the request and ends the handling of what came with it.
        if (announced == 0) return {NetCutKind::Command, 0, NET_COMMAND_SIZE, size};
        if (announced > NET_COMMAND_MAX) return Whole(NetCutKind::Close, size);
        length = std::max<uint64_t>(announced, NET_COMMAND_SIZE);
    }
    if (length > size) return mode.stream ? NetCut{} : Whole(NetCutKind::Drop, size);
    return {NetCutKind::Command, 0, static_cast<size_t>(length), static_cast<size_t>(length)};
}

NetCut Frame(const uint8_t* data, size_t size, NetCutMode mode)
{
    if (size < NET_FRAME_HEADER) return mode.stream ? NetCut{} : Whole(NetCutKind::Raw, size);
    uint64_t payload = Net_ReadU32(data + 8);
    if (mode.stream && payload > NET_FRAME_MAX) return Whole(NetCutKind::Close, size);
    uint64_t whole = NET_FRAME_HEADER + payload;
    // A datagram claiming more than it holds is only raw bytes.
    if (whole > size) return mode.stream ? NetCut{} : Whole(NetCutKind::Raw, size);
    return {NetCutKind::Frame, NET_FRAME_HEADER, static_cast<size_t>(payload), static_cast<size_t>(whole)};
}

} // namespace

uint32_t Net_ReadU32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

void Net_WriteU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void Net_FrameHeader(uint8_t* header, uint32_t size)
{
    Net_WriteU32(header, NET_FRAME_MAGIC);
    Net_WriteU32(header + 4, NET_FRAME_HEADER);
    Net_WriteU32(header + 8, size);
}

NetCut Net_Cut(const uint8_t* data, size_t size, NetCutMode mode)
{
    if (size == 0) return {};
    if (mode.awaitingHandshake) return Handshake(data, size, mode);
    if (mode.debugger) {
        if (BeginsWith(data, size, COMMAND_OPENING)) return Command(data, size, mode);
        // Game data on a debugger connection has no slot to be delivered to.
        return Whole(NetCutKind::Drop, size);
    }
    if (BeginsWith(data, size, FRAME_OPENING)) return Frame(data, size, mode);
    return Whole(NetCutKind::Raw, size);
}
