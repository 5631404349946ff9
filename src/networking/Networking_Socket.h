// The socket record: one OS socket (TCP or UDP) with the engine's protocol state, the bytes received
// and not yet cut into messages, and the bytes a stream could not take yet. Script sockets live in
// the socket table's slots; a server owns the connections it accepts until they leave it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "networking/Networking_Framing.h"
#include "networking/posix/Networking_Os.h"

class IBuffer;
class qzServer;

enum : uint8_t {
    SOCKET_PLAIN = 0,
    SOCKET_GREETED = 1, // greeting sent, handshake awaited
    SOCKET_CONNECTED = 2,
    SOCKET_CLOSED = 3,
};

constexpr int32_t SOCKET_KIND_TCP = 0;
constexpr int32_t SOCKET_KIND_UDP = 1;
constexpr int32_t SOCKET_KIND_BLUETOOTH = 2;
constexpr int32_t SOCKET_DEFAULT_TIMEOUT = 120;
constexpr int32_t SOCKET_RECEIVE_SIZE = 65536;
constexpr int32_t SOCKET_SEND_BUFFER_SIZE = 131072;
// How long a connecting client waits for the greeting, and then for the handshake's reply.
constexpr int64_t SOCKET_CONNECT_WAIT_MS = 5000;
// Bytes a stream may hold back for a peer that does not read; a send beyond it fails.
constexpr size_t SOCKET_OUTGOING_LIMIT = 256u << 20;

class qzSocket {
  public:
    explicit qzSocket(int32_t kind);
    qzSocket(int32_t handle, int32_t kind); // an accepted connection
    ~qzSocket();
    qzSocket(const qzSocket&) = delete;
    qzSocket& operator=(const qzSocket&) = delete;

    // The OS socket, configured: 0, or the first failing option's result (-1 for a bad kind).
    int32_t CreateOsSocket();
    int32_t SetTimeouts(int32_t readMs, int32_t writeMs);
    // Binds to every local address, or to the loopback one.
    int32_t Bind(uint16_t port, bool loopbackOnly);
    int32_t Listen(int32_t backlog);
    // The accepted handle (NET_INVALID_HANDLE on failure, with its error logged).
    int32_t Accept();
    // Queues behind bytes still waiting, so a stream never carries half a message: the length, or
    // NET_SOCKET_ERROR when the connection has failed.
    int64_t Send(const uint8_t* data, size_t length);
    // Bytes waiting (for UDP: the next datagram); 1 when the query fails.
    int64_t PendingBytes();
    void Close();
    void CloseAll();
    // A fresh TCP socket connected to the host: 0 or the connect's error (the look-up's result when
    // the host cannot be resolved).
    int32_t ConnectRaw(const char* host, int32_t port);
    // 0 when all bytes left, -3 when fewer did, -2 on a send error, or the look-up's result.
    int32_t SendTo(const char* host, int32_t port, const uint8_t* data, size_t length);
    // As SendTo, to 255.255.255.255; -1 when the broadcast socket cannot be made.
    int32_t SendBroadcast(int32_t port, const uint8_t* data, size_t length);
    int32_t CreateForKind();

    void SetReceiveSize(int32_t size);
    // Reads what is waiting (bounded per call) behind the bytes kept; the count read.
    int64_t ReadAvailable();
    // ConnectRaw, then the greeting and handshake: 0 connected (with or without a handshake), -1
    // when the server refused the handshake, or ConnectRaw's error.
    int32_t Connect(const char* host, int32_t port);
    int64_t SendPacket(const uint8_t* data, uint32_t size);
    int32_t SendPacketTo(const char* host, int32_t port, const uint8_t* data, uint32_t size);
    // Cuts the kept bytes into packets and raises a data event for each (a socket of no server).
    void DeliverPackets();
    // Cuts one datagram into packets and raises their events.
    void DeliverDatagram(const uint8_t* data, size_t size);
    // Reads every waiting datagram and delivers it; the sender becomes the peer address text.
    void ReadDatagrams();
    // Sends what waits in the outgoing queue, in order; false when the connection has failed.
    bool FlushOutgoing();

    // Keeps bytes behind those not yet cut (what a read does).
    void AppendReceived(const uint8_t* data, size_t size);
    // The next message of the kept bytes (after any handshake padding).
    NetCut NextMessage(NetCutMode mode);
    const uint8_t* Kept() const { return m_Received.data() + m_ReceivedStart; }
    size_t KeptSize() const { return m_Received.size() - m_ReceivedStart; }
    void Consume(size_t count);
    // Drops the consumed front of the kept bytes.
    void Compact();
    // A packet: a new buffer holding its bytes, the data event, the buffer deleted again.
    void RaisePacket(const uint8_t* data, size_t length);
    bool IsClosed() const { return m_State == SOCKET_CLOSED; }
    void RewindSendBuffer();

    int32_t m_Handle = NET_INVALID_HANDLE;
    int32_t m_Broadcast = NET_INVALID_HANDLE;
    int32_t m_Kind = SOCKET_KIND_TCP;
    uint8_t m_State = SOCKET_PLAIN;
    uint8_t m_IsDebugger = 0;
    uint8_t m_PeerGone = 0;             // the last read found the peer closed or failed
    uint32_t m_PaddingLeft = 0;         // zero bytes of a handshake still to skip
    IBuffer* m_pSendBuffer = nullptr;   // replies are built here (a server's connections)
    int32_t m_ReceiveSize = 0;          // bytes read per call
    int32_t m_SlotId = -1;
    char m_PeerText[16] = {};
    int32_t m_ReadTimeout = SOCKET_DEFAULT_TIMEOUT;
    int32_t m_WriteTimeout = SOCKET_DEFAULT_TIMEOUT;
    qzServer* m_pServer = nullptr;      // the server whose connection this is

  private:
    std::vector<uint8_t> m_Received; // kept bytes from m_ReceivedStart on
    size_t m_ReceivedStart = 0;
    std::vector<uint8_t> m_Outgoing; // bytes the stream could not take yet, from m_OutgoingStart on
    size_t m_OutgoingStart = 0;
    std::vector<uint8_t> m_Frame;    // framed sends are built here, never in the received bytes

    // Waits, polling every server, until the kept bytes hold `count` or stop matching `expected`
    // (when given); false on time-out.
    bool WaitForBytes(size_t count, const uint8_t* expected);
    void Forget();
};
