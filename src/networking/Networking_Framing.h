// The wire formats of the socket protocol and the cutter that splits received bytes into its
// messages. A stream (TCP) keeps whatever begins an unfinished message until the rest arrives; a
// datagram (UDP) is cut as it stands. Every length comes from the peer, so nothing here reads past
// the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t NET_FRAME_MAGIC = 0xDEADC0DE;
constexpr uint32_t NET_FRAME_HEADER = 12;
// A frame announcing more than this closes its connection.
constexpr uint32_t NET_FRAME_MAX = 64u << 20;

constexpr uint32_t NET_HANDSHAKE_FIRST = 0xCAFEBABE;
constexpr uint32_t NET_HANDSHAKE_SECOND = 0xDEADB00B;
constexpr uint32_t NET_HANDSHAKE_SIZE = 16;
constexpr uint32_t NET_REPLY_FIRST = 0xDEAFBEAD;
constexpr uint32_t NET_REPLY_SECOND = 0xF00DBEEB;
constexpr uint32_t NET_REPLY_SIZE = 12;

constexpr uint32_t NET_COMMAND_MAGIC = 0xBE11C0DE;
constexpr uint32_t NET_COMMAND_SIZE = 44;
constexpr uint32_t NET_COMMAND_EVALUATE = 9;
// An evaluation request longer than this closes the debugger's connection.
constexpr uint32_t NET_COMMAND_MAX = 1u << 20;

// The greeting text with its terminator: 18 bytes.
extern const char NET_GREETING[18];
constexpr size_t NET_GREETING_SIZE = 18;

enum class NetCutKind {
    Wait,      // an unfinished message: keep the bytes for the next read
    Frame,     // a data frame: the payload is the packet
    Raw,       // bytes that begin no frame: one packet of all of them
    Command,   // a debugger request
    Handshake, // the handshake a greeted client owes
    Refused,   // anything else where the handshake was due
    Close,     // a length no connection may announce
    Drop,      // bytes a debugger connection has no use for
};

struct NetCut {
    NetCutKind kind = NetCutKind::Wait;
    size_t offset = 0;   // first byte of the packet or request
    size_t length = 0;   // its size
    size_t consumed = 0; // bytes the message takes from the front
};

struct NetCutMode {
    bool stream = true;
    bool debugger = false;
    bool awaitingHandshake = false;
};

// The first message of the bytes.
NetCut Net_Cut(const uint8_t* data, size_t size, NetCutMode mode);

uint32_t Net_ReadU32(const uint8_t* at);
void Net_WriteU32(uint8_t* at, uint32_t value);
// The 12-byte frame header of a payload of `size` bytes.
void Net_FrameHeader(uint8_t* header, uint32_t size);
