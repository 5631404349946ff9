#include "networking/Networking_Socket.h"

#include <algorithm>
#include <cstring>

#include "base/Base_Console.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Standard.h"
#include "buffer/Buffer_Table.h"
#include "networking/Networking_Manager.h"
#include "networking/Networking_Winsock.h"

namespace {

// What one poll reads from one stream at most; the rest waits for the next.
constexpr size_t READ_LIMIT_PER_POLL = 4u << 20;
constexpr int32_t DATAGRAMS_PER_POLL = 1024;
constexpr size_t DATAGRAM_MAX = 65536;
constexpr uint32_t BROADCAST_ADDRESS = 0xFFFFFFFFu;

uint16_t PortOf(int32_t port)
{
    return static_cast<uint16_t>(port);
}

} // namespace

qzSocket::qzSocket(int32_t kind) : m_Kind(kind) {}

qzSocket::qzSocket(int32_t handle, int32_t kind) : m_Handle(handle), m_Kind(kind) {}

qzSocket::~qzSocket()
{
    CloseAll();
    delete m_pSendBuffer;
}

int32_t qzSocket::CreateOsSocket()
{
    if (m_Kind != SOCKET_KIND_TCP && m_Kind != SOCKET_KIND_UDP) return -1;
    m_Handle = Net_OpenSocket(m_Kind);
    if (m_Handle == NET_INVALID_HANDLE) {
        MainConsole->Output("Error: Can't create socket\n");
        return -1;
    }
    // The options in their order; a UDP socket fails the first and stays blocking, so every read
    // and send passes its own no-wait flag.
    if (int32_t result = Net_SetNoDelay(m_Handle)) return result;
    if (int32_t result = Net_SetLingerOff(m_Handle)) return result;
    if (Net_SetNonBlocking(m_Handle) != 0) MainConsole->Output("Error: Can't put sopcket into ASYNC mode\n");
    return SetTimeouts(m_ReadTimeout, m_WriteTimeout);
}

int32_t qzSocket::SetTimeouts(int32_t readMs, int32_t writeMs)
{
    m_ReadTimeout = readMs;
    m_WriteTimeout = writeMs;
    int32_t result = Net_SetTimeout(m_Handle, true, readMs);
    if (result == 0) result = Net_SetTimeout(m_Handle, false, writeMs);
    return result;
}

int32_t qzSocket::Bind(uint16_t port, bool loopbackOnly)
{
    NetAddress address{loopbackOnly ? 0x7F000001u : 0u, port};
    int32_t result = Net_Bind(m_Handle, address);
    if (result < 0) MainConsole->Output("Error: Can't bind port\n");
    return result;
}

int32_t qzSocket::Listen(int32_t backlog)
{
    int32_t result = Net_Listen(m_Handle, backlog);
    if (result < 0) MainConsole->Output("Error: Can't listen to socket\n");
    return result;
}

int32_t qzSocket::Accept()
{
    NetAddress peer;
    int32_t accepted = Net_Accept(m_Handle, &peer);
    if (accepted == NET_INVALID_HANDLE) Winsock_ReportError();
    return accepted;
}

int64_t qzSocket::Send(const uint8_t* data, size_t length)
{
    if (m_Handle == NET_INVALID_HANDLE) {
        Net_SetLastError(10038);
        return NET_SOCKET_ERROR;
    }
    if (m_Kind == SOCKET_KIND_UDP) return Net_Send(m_Handle, data, length);
    if (!FlushOutgoing()) return NET_SOCKET_ERROR;
    size_t sent = 0;
    if (m_Outgoing.size() == m_OutgoingStart) {
        int64_t result = Net_Send(m_Handle, data, length);
        if (result < 0 && Net_LastError() != WSA_WOULDBLOCK) return NET_SOCKET_ERROR;
        sent = result < 0 ? 0 : static_cast<size_t>(result);
    }
    if (sent < length) {
        if (m_Outgoing.size() - m_OutgoingStart + (length - sent) > SOCKET_OUTGOING_LIMIT) {
            Net_SetLastError(10055);
            return NET_SOCKET_ERROR;
        }
        m_Outgoing.insert(m_Outgoing.end(), data + sent, data + length);
    }
    return static_cast<int64_t>(length);
}

bool qzSocket::FlushOutgoing()
{
    while (m_OutgoingStart < m_Outgoing.size()) {
        int64_t sent = Net_Send(m_Handle, m_Outgoing.data() + m_OutgoingStart, m_Outgoing.size() - m_OutgoingStart);
        if (sent < 0 && Net_LastError() == WSA_WOULDBLOCK) break;
        if (sent < 0) {
            m_Outgoing.clear();
            m_OutgoingStart = 0;
            return false;
        }
        m_OutgoingStart += static_cast<size_t>(sent);
    }
    if (m_OutgoingStart == m_Outgoing.size()) {
        m_Outgoing.clear();
        m_OutgoingStart = 0;
    } else if (m_OutgoingStart > (1u << 20)) {
        m_Outgoing.erase(m_Outgoing.begin(), m_Outgoing.begin() + static_cast<std::ptrdiff_t>(m_OutgoingStart));
        m_OutgoingStart = 0;
    }
    return true;
}

int64_t qzSocket::PendingBytes()
{
    int64_t count = Net_Pending(m_Handle);
    if (count >= 0) return count;
    Winsock_ReportError();
    return 1;
}

void qzSocket::Close()
{
    if (m_Handle == NET_INVALID_HANDLE) return;
    Net_Close(m_Handle);
    m_Handle = NET_INVALID_HANDLE;
}

void qzSocket::CloseAll()
{
    Close();
    Net_Close(m_Broadcast);
    m_Broadcast = NET_INVALID_HANDLE;
}

void qzSocket::Forget()
{
    m_Received.clear();
    m_ReceivedStart = 0;
    m_Outgoing.clear();
    m_OutgoingStart = 0;
    m_PeerGone = 0;
    m_PaddingLeft = 0;
}

int32_t qzSocket::ConnectRaw(const char* host, int32_t port)
{
    NetAddress address;
    if (!Winsock_ResolveAddress(host, &address)) return g_WinsockLastResult;
    address.port = PortOf(port);
    Net_AddressText(address, m_PeerText);
    Close();
    Forget();
    m_Handle = Net_OpenSocket(SOCKET_KIND_TCP);
    if (m_Handle == NET_INVALID_HANDLE) {
        g_WinsockLastResult = Net_LastError();
        return g_WinsockLastResult;
    }
    Net_SetNoDelay(m_Handle);
    g_WinsockLastResult = Net_Connect(m_Handle, address) == 0 ? 0 : Net_LastError();
    if (g_WinsockLastResult != 0) {
        Winsock_ReportError();
        Close();
    }
    return g_WinsockLastResult;
}

int32_t qzSocket::SendTo(const char* host, int32_t port, const uint8_t* data, size_t length)
{
    NetAddress address;
    if (!Winsock_ResolveAddress(host, &address)) return g_WinsockLastResult;
    address.port = PortOf(port);
    int64_t sent = Net_SendTo(m_Handle, address, data, length);
    if (sent < 0) return -2;
    return static_cast<size_t>(sent) < length ? -3 : 0;
}

int32_t qzSocket::SendBroadcast(int32_t port, const uint8_t* data, size_t length)
{
    if (m_Broadcast == NET_INVALID_HANDLE) {
        m_Broadcast = Net_OpenSocket(SOCKET_KIND_UDP);
        if (m_Broadcast == NET_INVALID_HANDLE) return -1;
        if (Net_SetBroadcast(m_Broadcast) != 0) {
            Net_Close(m_Broadcast);
            m_Broadcast = NET_INVALID_HANDLE;
            return -1;
        }
    }
    int64_t sent = Net_SendTo(m_Broadcast, NetAddress{BROADCAST_ADDRESS, PortOf(port)}, data, length);
    if (sent < 0) return -2;
    return static_cast<size_t>(sent) < length ? -3 : 0;
}

int32_t qzSocket::CreateForKind()
{
    m_Handle = Net_OpenSocket(m_Kind == SOCKET_KIND_UDP ? SOCKET_KIND_UDP : SOCKET_KIND_TCP);
    return m_Handle;
}

void qzSocket::SetReceiveSize(int32_t size)
{
    m_ReceiveSize = std::max(size, 1);
}

int64_t qzSocket::ReadAvailable()
{
    if (m_Handle == NET_INVALID_HANDLE) return 0;
    size_t chunk = m_ReceiveSize > 0 ? static_cast<size_t>(m_ReceiveSize) : size_t(SOCKET_RECEIVE_SIZE);
    size_t total = 0;
    while (total < READ_LIMIT_PER_POLL) {
        size_t kept = m_Received.size();
        m_Received.resize(kept + chunk);
        int64_t got = Net_Receive(m_Handle, m_Received.data() + kept, chunk);
        m_Received.resize(kept + static_cast<size_t>(std::max<int64_t>(got, 0)));
        if (got == 0 || (got < 0 && Net_LastError() != WSA_WOULDBLOCK)) m_PeerGone = 1;
        if (got <= 0) break;
        total += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(total);
}

void qzSocket::ReadDatagrams()
{
    if (m_Handle == NET_INVALID_HANDLE) return;
    std::vector<uint8_t> datagram(DATAGRAM_MAX);
    // Linux reports only the next datagram as waiting, so read until there is none.
    for (int32_t i = 0; i < DATAGRAMS_PER_POLL && !IsClosed() && m_Handle != NET_INVALID_HANDLE; ++i) {
        int64_t got = Net_ReceiveFrom(m_Handle, datagram.data(), datagram.size(), m_PeerText);
        if (got < 0) break;
        DeliverDatagram(datagram.data(), static_cast<size_t>(got));
    }
}

bool qzSocket::WaitForBytes(size_t count, const uint8_t* expected)
{
    NetworkBusy busy;
    int64_t deadline = Net_NowMs() + SOCKET_CONNECT_WAIT_MS;
    for (;;) {
        ReadAvailable();
        size_t have = m_Received.size() - m_ReceivedStart;
        if (have >= count) return true;
        if (expected != nullptr && have > 0 && std::memcmp(Kept(), expected, have) != 0) return true;
        if (m_PeerGone || Net_NowMs() >= deadline) return false;
        // A game may connect to its own server: every server is served while waiting.
        Network_PollServers();
        uint8_t ready = 0;
        Net_PollReadable(&m_Handle, 1, 1000, &ready);
    }
}

int32_t qzSocket::Connect(const char* host, int32_t port)
{
    int32_t result = ConnectRaw(host, port);
    if (result != 0) return result;
    const auto* greeting = reinterpret_cast<const uint8_t*>(NET_GREETING);
    // Without the greeting the connection stands as a plain one; what came is delivered later.
    if (!WaitForBytes(NET_GREETING_SIZE, greeting)) return 0;
    if (std::memcmp(Kept(), greeting, NET_GREETING_SIZE) != 0) return 0;
    Consume(NET_GREETING_SIZE);
    uint8_t request[NET_HANDSHAKE_SIZE] = {};
    Net_WriteU32(request, NET_HANDSHAKE_FIRST);
    Net_WriteU32(request + 4, NET_HANDSHAKE_SECOND);
    Net_WriteU32(request + 8, NET_HANDSHAKE_SIZE);
    Send(request, sizeof request);
    if (WaitForBytes(NET_REPLY_SIZE, nullptr) && Net_ReadU32(Kept()) == NET_REPLY_FIRST &&
        Net_ReadU32(Kept() + 4) == NET_REPLY_SECOND && Net_ReadU32(Kept() + 8) == NET_REPLY_SIZE) {
        Consume(NET_REPLY_SIZE);
        Compact();
        return 0;
    }
    Close();
    Forget();
    return -1;
}

int64_t qzSocket::SendPacket(const uint8_t* data, uint32_t size)
{
    m_Frame.resize(NET_FRAME_HEADER + size_t(size));
    Net_FrameHeader(m_Frame.data(), size);
    if (size > 0) std::memcpy(m_Frame.data() + NET_FRAME_HEADER, data, size);
    return Send(m_Frame.data(), m_Frame.size());
}

int32_t qzSocket::SendPacketTo(const char* host, int32_t port, const uint8_t* data, uint32_t size)
{
    m_Frame.resize(NET_FRAME_HEADER + size_t(size));
    Net_FrameHeader(m_Frame.data(), size);
    if (size > 0) std::memcpy(m_Frame.data() + NET_FRAME_HEADER, data, size);
    return SendTo(host, port, m_Frame.data(), m_Frame.size());
}

void qzSocket::AppendReceived(const uint8_t* data, size_t size)
{
    m_Received.insert(m_Received.end(), data, data + size);
}

NetCut qzSocket::NextMessage(NetCutMode mode)
{
    while (m_PaddingLeft > 0 && m_ReceivedStart < m_Received.size()) {
        if (m_Received[m_ReceivedStart] != 0) {
            m_PaddingLeft = 0;
            break;
        }
        ++m_ReceivedStart;
        --m_PaddingLeft;
    }
    return Net_Cut(Kept(), m_Received.size() - m_ReceivedStart, mode);
}

void qzSocket::Consume(size_t count)
{
    m_ReceivedStart = std::min(m_Received.size(), m_ReceivedStart + count);
}

void qzSocket::Compact()
{
    if (m_ReceivedStart == 0) return;
    m_Received.erase(m_Received.begin(), m_Received.begin() + static_cast<std::ptrdiff_t>(m_ReceivedStart));
    m_ReceivedStart = 0;
}

void qzSocket::RaisePacket(const uint8_t* data, size_t length)
{
    if (m_SlotId < 0) return;
    int32_t index = Buffer_Create(static_cast<int32_t>(length), eBuffer_Fixed, 1);
    IBuffer* buffer = Buffer_Get(index);
    if (buffer == nullptr) return;
    if (length > 0) std::memcpy(buffer->m_pData, data, length);
    Network_RaiseDataEvent(m_SlotId, index, static_cast<int32_t>(length));
    // The event may have deleted it and a new buffer taken its index.
    if (Buffer_Get(index) == buffer) Buffer_Delete(index);
}

void qzSocket::DeliverPackets()
{
    while (!IsClosed()) {
        NetCut cut = NextMessage({true, false, false});
        if (cut.kind == NetCutKind::Wait) break;
        const uint8_t* packet = Kept() + cut.offset;
        Consume(cut.consumed);
        if (cut.kind == NetCutKind::Close) {
            Close();
            break;
        }
        RaisePacket(packet, cut.length);
    }
    Compact();
}

void qzSocket::DeliverDatagram(const uint8_t* data, size_t size)
{
    size_t at = 0;
    while (at < size && !IsClosed()) {
        NetCut cut = Net_Cut(data + at, size - at, {false, false, false});
        if (cut.consumed == 0) break;
        RaisePacket(data + at + cut.offset, cut.length);
        at += cut.consumed;
    }
}

void qzSocket::RewindSendBuffer()
{
    if (m_pSendBuffer != nullptr) m_pSendBuffer->Seek(0, 0);
}
