// The listening server: accepts TCP connections (greeting, handshake, then messages) or reads UDP
// datagrams, and hands what arrives to the game as network events, or, on the remote debugger's
// server, to the debugger.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class qzSocket;

constexpr int32_t SERVER_DEFAULT_CLIENT_LIMIT = 1014;
constexpr int32_t SERVER_BACKLOG = 5;
// The poll's wait.
constexpr int64_t SERVER_POLL_MICROSECONDS = 100;

class qzServer {
  public:
    qzServer();
    ~qzServer();
    qzServer(const qzServer&) = delete;
    qzServer& operator=(const qzServer&) = delete;

    // kind 0 TCP, 1 UDP: 0, or a negative value when the server cannot listen.
    int32_t Init(int32_t kind, int32_t port, int32_t clientLimit, int32_t debugger);
    // One poll: accepts, reads, and raises the events.
    void Process();
    void AddClient(qzSocket* client);
    // Takes the connection out of the server (count lowered); nothing when it is not one.
    void RemoveClient(qzSocket* client);
    // Closes the listening socket; connections with a slot stay in it, the debugger's are closed.
    void Shutdown();

    qzSocket* m_pListener = nullptr;
    std::vector<qzSocket*> m_Members; // the listening socket first, then the connections
    int32_t m_SlotId = -1;
    int32_t m_Kind = 0;
    int32_t m_ClientLimit = SERVER_DEFAULT_CLIENT_LIMIT;
    int32_t m_ClientCount = 0;
    uint8_t isDebugger = 0;

  private:
    bool m_Processing = false;
    std::vector<uint8_t> m_Datagram;

    void AcceptClient();
    void ServeClient(qzSocket* client);
    void HandleConnection(qzSocket* client);
    void AnswerHandshake(qzSocket* client, size_t consumed);
    // The client has gone: logged, taken out, closed, and its slot freed with a disconnect event.
    void DisconnectClient(qzSocket* client);
    // A client closed without an event (refused handshake, failed greeting).
    void DropClient(qzSocket* client);
    bool IsMember(const qzSocket* client) const;
};
