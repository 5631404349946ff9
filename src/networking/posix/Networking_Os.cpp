#include "networking/posix/Networking_Os.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

thread_local int32_t g_LastError = 0;

struct ErrnoCode {
    int32_t error;
    int32_t code;
};

const ErrnoCode ERRNO_CODES[] = {
    {EINTR, 10004},       {EBADF, 10009},        {EACCES, 10013},          {EFAULT, 10014},
    {EINVAL, 10022},      {EMFILE, 10024},       {EAGAIN, 10035},          {EINPROGRESS, 10036},
    {EALREADY, 10037},    {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},  {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {EOPNOTSUPP, 10045},
    {EADDRINUSE, 10048},  {EADDRNOTAVAIL, 10049}, {ENETUNREACH, 10051},    {ECONNABORTED, 10053},
    {ECONNRESET, 10054},  {ENOTCONN, 10057},     {EPIPE, 10058},           {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061}, {EHOSTUNREACH, 10065},
};

const ErrnoCode RESOLVER_CODES[] = {
    {EAI_NONAME, 11001}, {EAI_AGAIN, 11002}, {EAI_FAIL, 11003}, {EAI_NODATA, 11004},
    {EAI_FAMILY, 10047}, {EAI_MEMORY, 8},    {EAI_SERVICE, 10109},
};

sockaddr_in ToSockaddr(const NetAddress& address)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(address.ipv4);
    out.sin_port = htons(address.port);
    return out;
}

NetAddress FromSockaddr(const sockaddr_in& address)
{
    return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

int32_t Fail()
{
    g_LastError = Net_ErrnoToWinsock(errno);
    return NET_SOCKET_ERROR;
}

int32_t Checked(int result)
{
    return result < 0 ? Fail() : 0;
}

} // namespace

int32_t Net_LastError() { return g_LastError; }

void Net_SetLastError(int32_t code) { g_LastError = code; }

int32_t Net_ErrnoToWinsock(int32_t error)
{
    if (error == EWOULDBLOCK) error = EAGAIN;
    for (const ErrnoCode& row : ERRNO_CODES)
        if (row.error == error) return row.code;
    return 10000 + error;
}

int32_t Net_ResolverToWinsock(int32_t result)
{
    if (result == 0) return 0;
    if (result == EAI_SYSTEM) return Net_ErrnoToWinsock(errno);
    for (const ErrnoCode& row : RESOLVER_CODES)
        if (row.error == result) return row.code;
    return 11003;
}

int32_t Net_OpenSocket(int32_t kind)
{
    int handle = kind == 1 ? socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)
                           : socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (handle < 0) Fail();
    return handle < 0 ? NET_INVALID_HANDLE : handle;
}

int32_t Net_SetNoDelay(int32_t handle)
{
    int on = 1;
    return Checked(setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on));
}

int32_t Net_SetLingerOff(int32_t handle)
{
    linger off{};
    return Checked(setsockopt(handle, SOL_SOCKET, SO_LINGER, &off, sizeof off));
}

int32_t Net_SetNonBlocking(int32_t handle)
{
    int flags = fcntl(handle, F_GETFL, 0);
    if (flags < 0) return Fail();
    return Checked(fcntl(handle, F_SETFL, flags | O_NONBLOCK));
}

int32_t Net_SetBroadcast(int32_t handle)
{
    int on = 1;
    return Checked(setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on));
}

int32_t Net_SetTimeout(int32_t handle, bool read, int32_t milliseconds)
{
    // A negative count means no time-out, as 0 does.
    int64_t ms = milliseconds < 0 ? 0 : milliseconds;
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(ms / 1000);
    limit.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return Checked(setsockopt(handle, SOL_SOCKET, read ? SO_RCVTIMEO : SO_SNDTIMEO, &limit, sizeof limit));
}

int32_t Net_Bind(int32_t handle, const NetAddress& where)
{
    // A restarted server may listen again beside old connections; UDP keeps one owner per port,
    // since there the option would let a second socket share it.
    int type = 0;
    socklen_t size = sizeof type;
    if (getsockopt(handle, SOL_SOCKET, SO_TYPE, &type, &size) == 0 && type == SOCK_STREAM) {
        int on = 1;
        setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    sockaddr_in address = ToSockaddr(where);
    return Checked(bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

int32_t Net_Listen(int32_t handle, int32_t backlog)
{
    return Checked(listen(handle, backlog));
}

int32_t Net_Accept(int32_t handle, NetAddress* peer)
{
    sockaddr_in from{};
    socklen_t length = sizeof from;
    int accepted = accept4(handle, reinterpret_cast<sockaddr*>(&from), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
    *peer = FromSockaddr(from);
    if (accepted < 0) {
        Fail();
        return NET_INVALID_HANDLE;
    }
    return accepted;
}

int32_t Net_Connect(int32_t handle, const NetAddress& where)
{
    sockaddr_in address = ToSockaddr(where);
    return Checked(connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

int64_t Net_Send(int32_t handle, const uint8_t* data, size_t length)
{
    ssize_t sent = send(handle, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    return sent < 0 ? Fail() : sent;
}

int64_t Net_SendTo(int32_t handle, const NetAddress& where, const uint8_t* data, size_t length)
{
    sockaddr_in address = ToSockaddr(where);
    ssize_t sent = sendto(handle, data, length, MSG_NOSIGNAL | MSG_DONTWAIT,
                          reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent < 0 ? Fail() : sent;
}

int64_t Net_Receive(int32_t handle, uint8_t* data, size_t length)
{
    ssize_t got = recv(handle, data, length, MSG_DONTWAIT);
    return got < 0 ? Fail() : got;
}

int64_t Net_ReceiveFrom(int32_t handle, uint8_t* data, size_t length, char* from)
{
    sockaddr_in sender{};
    socklen_t size = sizeof sender;
    ssize_t got = recvfrom(handle, data, length, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &size);
    if (got < 0) return Fail();
    if (from != nullptr) Net_AddressText(FromSockaddr(sender), from);
    return got;
}

int64_t Net_Pending(int32_t handle)
{
    int count = 0;
    if (ioctl(handle, FIONREAD, &count) < 0) return Fail();
    return count;
}

void Net_AddressText(const NetAddress& address, char* text)
{
    in_addr raw{htonl(address.ipv4)};
    if (inet_ntop(AF_INET, &raw, text, 16) == nullptr) text[0] = '\0';
}

bool Net_ParseDotted(const char* text, NetAddress* out)
{
    // inet_addr's reading: also the short and hexadecimal forms; its all-ones answer is its failure.
    in_addr_t raw = inet_addr(text);
    if (raw == INADDR_NONE) return false;
    out->ipv4 = ntohl(raw);
    return true;
}

int32_t Net_Lookup(const char* host, NetAddress* out)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    int result = getaddrinfo(host, nullptr, &hints, &found);
    if (result != 0) return Net_ResolverToWinsock(result);
    *out = FromSockaddr(*reinterpret_cast<const sockaddr_in*>(found->ai_addr));
    out->port = 0;
    freeaddrinfo(found);
    return 0;
}

void Net_PeerText(int32_t handle, char* text)
{
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    text[0] = '\0';
    if (getpeername(handle, reinterpret_cast<sockaddr*>(&peer), &size) == 0) Net_AddressText(FromSockaddr(peer), text);
}

void Net_Close(int32_t handle)
{
    if (handle < 0) return;
    shutdown(handle, SHUT_RDWR);
    close(handle);
}

int32_t Net_PollReadable(const int32_t* handles, size_t count, int64_t microseconds, uint8_t* ready)
{
    std::vector<pollfd> polled(count);
    for (size_t i = 0; i < count; ++i) polled[i] = {handles[i], POLLIN, 0};
    timespec wait{static_cast<time_t>(microseconds / 1000000), static_cast<long>((microseconds % 1000000) * 1000)};
    int found = ppoll(polled.data(), polled.size(), &wait, nullptr);
    for (size_t i = 0; i < count; ++i)
        ready[i] = found > 0 && (polled[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    return found > 0 ? found : 0;
}

bool Net_Writable(int32_t handle)
{
    pollfd one = {handle, POLLOUT, 0};
    return poll(&one, 1, 0) > 0 && (one.revents & POLLOUT) != 0;
}

int64_t Net_NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
