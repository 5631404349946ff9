// The operating system's sockets as the socket objects use them: IPv4 only, every send with
// MSG_NOSIGNAL | MSG_DONTWAIT (a peer that has gone must never raise SIGPIPE) and every receive with
// MSG_DONTWAIT. Failures keep their errno translated into the Winsock code scripts and log lines know,
// so the last error reads the same as on the original platform.
#pragma once

#include <cstddef>
#include <cstdint>

// An IPv4 address and port, both in host order.
struct NetAddress {
    uint32_t ipv4 = 0;
    uint16_t port = 0;
};

constexpr int32_t NET_INVALID_HANDLE = -1;
constexpr int32_t NET_SOCKET_ERROR = -1;
constexpr int32_t WSA_WOULDBLOCK = 10035;

// The Winsock code of the last failing call on this thread (0 after none).
int32_t Net_LastError();
void Net_SetLastError(int32_t code);
// errno and resolver results as Winsock codes: ECONNREFUSED 10061, EAI_NONAME 11001, ...
int32_t Net_ErrnoToWinsock(int32_t error);
int32_t Net_ResolverToWinsock(int32_t result);

// socket(); NET_INVALID_HANDLE on failure. Kind 1 is UDP, every other kind TCP.
int32_t Net_OpenSocket(int32_t kind);
// setsockopt and friends; 0 or NET_SOCKET_ERROR (the code in Net_LastError).
int32_t Net_SetNoDelay(int32_t handle);
int32_t Net_SetLingerOff(int32_t handle);
int32_t Net_SetNonBlocking(int32_t handle);
int32_t Net_SetBroadcast(int32_t handle);
int32_t Net_SetTimeout(int32_t handle, bool read, int32_t milliseconds);
int32_t Net_Bind(int32_t handle, const NetAddress& address);
int32_t Net_Listen(int32_t handle, int32_t backlog);
// accept(); the peer address is written to `peer`. The accepted handle is made non-blocking, as an
// accepted socket inherits its listener's mode where these programs were written.
int32_t Net_Accept(int32_t handle, NetAddress* peer);
int32_t Net_Connect(int32_t handle, const NetAddress& address);
// The byte count, or NET_SOCKET_ERROR; 0 from a receive means the peer closed.
int64_t Net_Send(int32_t handle, const uint8_t* data, size_t length);
int64_t Net_SendTo(int32_t handle, const NetAddress& address, const uint8_t* data, size_t length);
int64_t Net_Receive(int32_t handle, uint8_t* data, size_t length);
// recvfrom; the sender's dotted text (16 bytes) when `from` is given.
int64_t Net_ReceiveFrom(int32_t handle, uint8_t* data, size_t length, char* from);
// FIONREAD: bytes waiting (for UDP only the next datagram); -1 on failure.
int64_t Net_Pending(int32_t handle);
// getpeername as dotted text (16 bytes); "" when unknown.
void Net_PeerText(int32_t handle, char* text);
void Net_AddressText(const NetAddress& address, char* text);
// "%d.%d.%d.%d" of a dotted text, as inet_addr reads it; false when it is not one.
bool Net_ParseDotted(const char* text, NetAddress* out);
// getaddrinfo's first IPv4 address; 0 or the resolver's failure as a Winsock code.
int32_t Net_Lookup(const char* host, NetAddress* out);
// shutdown both ways and close.
void Net_Close(int32_t handle);

// Waits at most `microseconds` for the handles to become readable; `ready[i]` is set for each that
// is (or has hung up). Returns the count ready, 0 on timeout or failure.
int32_t Net_PollReadable(const int32_t* handles, size_t count, int64_t microseconds, uint8_t* ready);
// Whether the handle can take more bytes right now.
bool Net_Writable(int32_t handle);
// Milliseconds of a monotonic clock.
int64_t Net_NowMs();
