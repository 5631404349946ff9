// A plain C++ peer for the socket tests: blocking loopback sockets with bounded waits, and a record
// of every network event the engine raises.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "networking/Networking_Framing.h"
#include "networking/Networking_Manager.h"

namespace nettest {

inline sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

// A port nothing listens on right now.
inline int FreePort(int type = SOCK_STREAM)
{
    int probe = socket(AF_INET, type, 0);
    sockaddr_in address = Loopback(0);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    close(probe);
    return ntohs(address.sin_port);
}

inline int ConnectPeer(int port)
{
    int peer = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(port);
    if (connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(peer);
        return -1;
    }
    return peer;
}

inline std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> bytes(words.size() * 4);
    size_t at = 0;
    for (uint32_t word : words) Net_WriteU32(bytes.data() + 4 * at++, word);
    return bytes;
}

inline std::vector<uint8_t> Frame(const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes(NET_FRAME_HEADER + payload.size());
    Net_FrameHeader(bytes.data(), static_cast<uint32_t>(payload.size()));
    if (!payload.empty()) std::memcpy(bytes.data() + NET_FRAME_HEADER, payload.data(), payload.size());
    return bytes;
}

inline void SendAll(int peer, const std::vector<uint8_t>& bytes)
{
    size_t at = 0;
    while (at < bytes.size()) {
        ssize_t sent = send(peer, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (sent <= 0) return;
        at += static_cast<size_t>(sent);
    }
}

// Reads what arrives within the polls; the engine is polled between tries so it can answer.
inline std::vector<uint8_t> ReadPeer(int peer, size_t wanted, int tries = 200)
{
    std::vector<uint8_t> got;
    for (int i = 0; i < tries && got.size() < wanted; ++i) {
        Network_ProcessSockets();
        pollfd one = {peer, POLLIN, 0};
        if (poll(&one, 1, 5) <= 0) continue;
        uint8_t chunk[65536];
        ssize_t n = recv(peer, chunk, std::min(sizeof chunk, wanted - got.size()), MSG_DONTWAIT);
        if (n <= 0) break;
        got.insert(got.end(), chunk, chunk + n);
    }
    return got;
}

// Whether the peer sees the engine close its end within the polls.
inline bool PeerSeesClose(int peer, int tries = 200)
{
    for (int i = 0; i < tries; ++i) {
        Network_ProcessSockets();
        pollfd one = {peer, POLLIN, 0};
        if (poll(&one, 1, 5) <= 0) continue;
        uint8_t byte;
        ssize_t n = recv(peer, &byte, 1, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
    }
    return false;
}

inline void Poll(int times)
{
    for (int i = 0; i < times; ++i) {
        Network_ProcessSockets();
        usleep(1000);
    }
}

struct Event {
    int type = 0, id = -1, socket = -1;
    std::string ip;
    std::vector<uint8_t> payload;
    int size = -1;
};

// An entry of the event map: its value, or null.
inline const ScriptValue* Entry(int32_t map, const char* key)
{
    ScriptValue name = {VALUE_REAL, 0, 0.0};
    Value_SetText(&name, key);
    CDS_Map* table = g_DSMaps.Get(map);
    const CDS_MapNode* node = table != nullptr ? table->Find(&name) : nullptr;
    Value_Free(&name);
    return node != nullptr ? &node->value : nullptr;
}

inline double EntryReal(int32_t map, const char* key) { return Entry(map, key) ? Entry(map, key)->real : -99; }

inline std::string EntryText(int32_t map, const char* key)
{
    const char* text = Entry(map, key) ? Value_GetText(Entry(map, key)) : nullptr;
    return text != nullptr ? text : "";
}

// An event's kind, slot, size (data only) and address, to compare at once.
inline std::tuple<int, int, int, std::string> Fields(const Event& e) { return {e.type, e.id, e.size, e.ip}; }

// The events seen, and what a test does inside each (after it is recorded).
inline std::vector<Event> g_Events;
inline void (*g_OnEvent)(const Event&) = nullptr;

inline void RecordEvent(int32_t map)
{
    Event event;
    event.type = static_cast<int>(EntryReal(map, "type"));
    event.id = static_cast<int>(EntryReal(map, "id"));
    event.ip = EntryText(map, "ip");
    if (event.type == NETWORK_EVENT_DATA) {
        event.size = static_cast<int>(EntryReal(map, "size"));
        IBuffer* buffer = Buffer_Get(static_cast<int32_t>(EntryReal(map, "buffer")));
        if (buffer != nullptr) event.payload.assign(buffer->m_pData, buffer->m_pData + buffer->m_Size);
    } else {
        event.socket = static_cast<int>(EntryReal(map, "socket"));
    }
    g_Events.push_back(event);
    if (g_OnEvent != nullptr) g_OnEvent(g_Events.back());
}

// Each test starts with an empty table and a fresh event record.
class NetworkTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        Network_CloseAll();
        g_Events.clear();
        g_OnEvent = nullptr;
        g_NetworkEventHook = RecordEvent;
    }
    void TearDown() override
    {
        for (int peer : peers) close(peer);
        Network_CloseAll();
        g_NetworkEventHook = nullptr;
        g_OnEvent = nullptr;
    }
    // A TCP server on a free port: its slot.
    int StartServer(int limit = 32)
    {
        port = FreePort();
        return static_cast<int>(testsupport::CallReal("network_create_server", {0, port, limit}));
    }
    // A peer that has read the greeting and done the handshake.
    int HandshakenPeer()
    {
        int peer = Peer();
        EXPECT_EQ(ReadPeer(peer, NET_GREETING_SIZE).size(), NET_GREETING_SIZE);
        SendAll(peer, Words({NET_HANDSHAKE_FIRST, NET_HANDSHAKE_SECOND, NET_HANDSHAKE_SIZE, 0}));
        EXPECT_EQ(ReadPeer(peer, NET_REPLY_SIZE).size(), NET_REPLY_SIZE);
        return peer;
    }
    int Peer()
    {
        int peer = ConnectPeer(port);
        peers.push_back(peer);
        return peer;
    }
    int Count(int type) const
    {
        return int(std::count_if(g_Events.begin(), g_Events.end(), [type](const Event& e) { return e.type == type; }));
    }
    int port = 0;
    std::vector<int> peers;
};

} // namespace nettest
