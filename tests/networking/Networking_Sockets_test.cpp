// The engine's sockets: the cutter of received bytes in every connection state, then plain
// loopback peers with bounded waits against the greeting and handshake, closes, limits, bad
// arguments, plain connections and refusals, and many peers at once bursting frames cut at random.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Console.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "datastructure/DataStructure_Map.h"
#include "networking/Networking_Framing.h"
#include "networking/Networking_Manager.h"
#include "networking/Networking_Winsock.h"

using testsupport::CallReal;
using namespace std::string_literals;

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

// The words, little-endian, then `extra` filler bytes.
inline std::vector<uint8_t> Words(std::initializer_list<uint32_t> words, size_t extra = 0)
{
    std::vector<uint8_t> bytes(words.size() * 4 + extra, 0xAB);
    size_t at = 0;
    for (uint32_t word : words) Net_WriteU32(bytes.data() + 4 * at++, word);
    return bytes;
}

inline std::vector<uint8_t> Frame(const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes(NET_FRAME_HEADER);
    Net_FrameHeader(bytes.data(), static_cast<uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

inline void SendAll(int peer, const std::vector<uint8_t>& bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        ssize_t sent = send(peer, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (sent <= 0) return;
        at += static_cast<size_t>(sent);
    }
}

// Reads what arrives within the polls, the engine polled between tries so it can answer; `closed`
// tells whether the engine closed its end.
inline std::vector<uint8_t> ReadPeer(int peer, size_t wanted, bool* closed = nullptr, int tries = 200)
{
    std::vector<uint8_t> got;
    for (int i = 0; i < tries && got.size() < wanted; ++i) {
        Network_ProcessSockets();
        pollfd one = {peer, POLLIN, 0};
        if (poll(&one, 1, 5) <= 0) continue;
        uint8_t chunk[65536];
        ssize_t n = recv(peer, chunk, std::min(sizeof chunk, wanted - got.size()), MSG_DONTWAIT);
        if (closed != nullptr) *closed = n == 0 || (n < 0 && errno != EAGAIN);
        if (n <= 0) break;
        got.insert(got.end(), chunk, chunk + n);
    }
    return got;
}

inline bool PeerSeesClose(int peer)
{
    bool closed = false;
    ReadPeer(peer, SIZE_MAX, &closed);
    return closed;
}

// An event's map: its kind, slot, socket (connections), size (data) and address, and the data.
struct Event {
    int type, id, socket, size;
    std::string ip;
    std::vector<uint8_t> payload;
};

// An entry of the event map, read as scripts read it.
inline testsupport::BuiltinResult Entry(int32_t map, const char* key)
{
    return testsupport::CallBuiltin("ds_map_find_value", {map, key});
}

// An event's kind, slot, size and address, to compare at once.
inline std::tuple<int, int, int, std::string> Fields(const Event& e) { return {e.type, e.id, e.size, e.ip}; }

// The events seen, and what a test does inside each (after it is recorded).
inline std::vector<Event> g_Events;
inline void (*g_OnEvent)(const Event&) = nullptr;

inline void RecordEvent(int32_t map)
{
    Event event{int(Entry(map, "type").real), int(Entry(map, "id").real), int(Entry(map, "socket").real),
                int(Entry(map, "size").real), Entry(map, "ip").text, {}};
    IBuffer* buffer = Buffer_Get(int32_t(Entry(map, "buffer").real));
    if (event.type == NETWORK_EVENT_DATA && buffer != nullptr) event.payload.assign(buffer->m_pData, buffer->m_pData + buffer->m_Size);
    g_Events.push_back(event);
    if (g_OnEvent != nullptr) g_OnEvent(g_Events.back());
}

// Sends a data event's packet back from inside the event, as a script would.
void Echo(const Event& event)
{
    CallReal("network_send_packet", {event.id, Entry(async_load, "buffer").real, event.size});
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
    // A peer connected to the server's port.
    int Peer()
    {
        int peer = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(port);
        connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address);
        peers.push_back(peer);
        return peer;
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
    int port = 0;
    std::vector<int> peers;
};


std::vector<uint8_t> Text(const char* text) { return std::vector<uint8_t>(text, text + std::strlen(text)); }

TEST_F(NetworkTest, GreetingHandshakeConnectAndDisconnect)
{
    int server = StartServer();
    int peer = Peer();
    std::vector<uint8_t> greeting = ReadPeer(peer, NET_GREETING_SIZE);
    EXPECT_EQ(std::string(greeting.begin(), greeting.end()), std::string("KV:Vostra-Connect\0", 18));
    EXPECT_TRUE(g_Events.empty()) << "no event before the handshake";
    SendAll(peer, Words({NET_HANDSHAKE_FIRST, NET_HANDSHAKE_SECOND, 16, 0}));
    EXPECT_EQ(ReadPeer(peer, NET_REPLY_SIZE), Words({NET_REPLY_FIRST, NET_REPLY_SECOND, 12}));
    ASSERT_EQ(g_Events.size(), 1u);
    EXPECT_EQ(Fields(g_Events[0]), std::make_tuple(NETWORK_EVENT_CONNECT, server, 0, "127.0.0.1"s));
    int client = g_Events[0].socket;
    EXPECT_EQ(async_load, -1);
    // Half a frame and the end of the stream: a disconnect, and no partial packet.
    std::vector<uint8_t> frame = Frame(Text("never whole"));
    SendAll(peer, std::vector<uint8_t>(frame.begin(), frame.begin() + 15));
    shutdown(peer, SHUT_WR);
    EXPECT_TRUE(PeerSeesClose(peer));
    ASSERT_EQ(g_Events.size(), 2u);
    EXPECT_EQ(Fields(g_Events[1]), std::make_tuple(NETWORK_EVENT_DISCONNECT, server, 0, ""s));
    EXPECT_EQ(g_Events[1].socket, client);
    EXPECT_EQ(Network_SlotSocket(client), nullptr);

    // A refused handshake closes silently.
    peer = Peer();
    SendAll(peer, Text("hello, not a handshake"));
    EXPECT_TRUE(PeerSeesClose(peer));
    EXPECT_EQ(g_Events.size(), 2u);
}

TEST_F(NetworkTest, ClientLimitAndIllegalClientCount)
{
    testsupport::ConsoleCapture capture;
    EXPECT_EQ(CallReal("network_create_server", {0, FreePort(), 1024}), -1);
    EXPECT_NE(capture.console.text.find("Illegal number of clients for server"), std::string::npos);
    EXPECT_EQ(Network_SlotServer(0), nullptr) << "no slot was taken";
    StartServer(1);
    EXPECT_EQ(CallReal("network_create_server", {0, port, 4}), -1) << "the port is taken";
    EXPECT_NE(capture.console.text.find("cannot bind port \n"), std::string::npos);
    HandshakenPeer();
    EXPECT_TRUE(PeerSeesClose(Peer()));
    EXPECT_EQ(g_Events.size(), 1u) << "one connection";
}

TEST_F(NetworkTest, ScriptsMaySendOrDestroyInsideTheirOwnEvent)
{
    StartServer();
    int peer = HandshakenPeer();
    // Echo the first packet, then destroy the connection while packets of the same read wait.
    g_OnEvent = [](const Event& event) {
        if (event.type != NETWORK_EVENT_DATA) return;
        Echo(event);
        CallReal("network_destroy", {event.id});
        CallReal("network_destroy", {event.id});
    };
    std::vector<uint8_t> burst = Frame(Text("echo me")), more = Frame(Text("never delivered"));
    burst.insert(burst.end(), more.begin(), more.end());
    SendAll(peer, burst);
    EXPECT_EQ(ReadPeer(peer, 19), Frame(Text("echo me")));
    EXPECT_TRUE(PeerSeesClose(peer));
    // The connection and one packet: a destroyed slot raises nothing more.
    EXPECT_EQ((std::vector<int>{NETWORK_EVENT_CONNECT, NETWORK_EVENT_DATA}), (std::vector<int>{g_Events[0].type, g_Events.back().type}));
    EXPECT_EQ(g_Events.size(), 2u);
    // A server destroyed in its own connect event.
    static int s_Server;
    s_Server = StartServer();
    g_OnEvent = [](const Event&) { CallReal("network_destroy", {s_Server}); };
    HandshakenPeer();
    EXPECT_EQ(Network_SlotServer(s_Server), nullptr);
}

TEST_F(NetworkTest, BadIdsAndSizesGiveTheDefaults)
{
    int buffer = Buffer_Create(10, eBuffer_Fixed, 1);
    std::memcpy(Buffer_Get(buffer)->m_pData, "0123456789", 10);
    int server = StartServer();
    // Slots outside 0..63, empty, or of the wrong kind; a kind that is no number; a buffer that
    // does not exist.
    const std::tuple<const char*, std::vector<testsupport::TestArg>, double> cases[] = {
        {"network_send_packet", {-1, buffer, 4}, -1},        {"network_send_packet", {64, buffer, 4}, -1},
        {"network_send_packet", {server, buffer, 4}, -1},    {"network_send_raw", {63, buffer, 4}, -1},
        {"network_send_udp", {-1, "127.0.0.1", 9, buffer, 4}, -1}, {"network_connect", {64, "127.0.0.1", port}, 0},
        {"network_connect_raw", {server, "127.0.0.1", port}, 0},   {"network_set_timeout", {-1, 10, 10}, 0},
        {"network_destroy", {40}, -1}, {"network_create_socket", {"tcp"}, -1}, {"network_send_broadcast", {0, 9, 12345, 4}, 0}};
    for (const auto& [name, args, expected] : cases) EXPECT_EQ(CallReal(name, args), expected) << name;
    // A size beyond the buffer sends the buffer's bytes; a negative one nothing.
    int peer = HandshakenPeer();
    int client = g_Events.at(0).socket;
    EXPECT_EQ(CallReal("network_send_packet", {client, buffer, 1000}), 22);
    EXPECT_EQ(ReadPeer(peer, 22), Frame(Text("0123456789")));
    EXPECT_EQ(CallReal("network_send_raw", {client, buffer, -5}), 0);
    Buffer_Delete(buffer);
}

TEST_F(NetworkTest, UdpServersReceiveDatagrams)
{
    port = FreePort(SOCK_DGRAM);
    int server = static_cast<int>(CallReal("network_create_server", {1, port, 4}));
    ASSERT_GE(server, 0);
    EXPECT_EQ(CallReal("network_create_server", {1, port, 4}), -1) << "one UDP server per port";
    int client = static_cast<int>(CallReal("network_create_socket", {1}));
    int buffer = Buffer_Create(8, eBuffer_Fixed, 1);
    std::memcpy(Buffer_Get(buffer)->m_pData, "datagram", 8);
    EXPECT_EQ(CallReal("network_send_udp", {client, "127.0.0.1", port, buffer, 8}), 0);
    EXPECT_EQ(CallReal("network_send_udp", {client, "127.0.0.1", port, buffer, 0}), 0);
    // A datagram whose frame claims more than it holds is raw bytes.
    int peer = socket(AF_INET, SOCK_DGRAM, 0);
    peers.push_back(peer);
    std::vector<uint8_t> lying = Words({NET_FRAME_MAGIC, 12, 100});
    sockaddr_in address = Loopback(port);
    sendto(peer, lying.data(), lying.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    for (int i = 0; i < 100 && g_Events.size() < 3; ++i) {
        Network_ProcessSockets();
        usleep(1000);
    }
    ASSERT_EQ(g_Events.size(), 3u);
    EXPECT_EQ(Fields(g_Events[0]), std::make_tuple(NETWORK_EVENT_DATA, server, 8, "127.0.0.1"s));
    EXPECT_EQ((std::vector<std::vector<uint8_t>>{Text("datagram"), {}, lying}),
              (std::vector<std::vector<uint8_t>>{g_Events[0].payload, g_Events[1].payload, g_Events[2].payload}));
    Buffer_Delete(buffer);
}

// A server that never speaks: the wait for a greeting ends after its bound, as a plain connection.
TEST_F(NetworkTest, ConnectingWithoutAGreetingIsAPlainConnection)
{
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    peers.push_back(listener);
    port = FreePort();
    sockaddr_in address = Loopback(port);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    listen(listener, 1);
    int silent = static_cast<int>(CallReal("network_create_socket", {0}));
    EXPECT_EQ(CallReal("network_connect", {silent, "localhost", port}), 0);
    EXPECT_NE(Network_SlotSocket(silent)->m_Handle, NET_INVALID_HANDLE);
}

TEST_F(NetworkTest, ARefusedRawConnectLeavesNoHandle)
{
    testsupport::ConsoleCapture capture;
    int client = static_cast<int>(CallReal("network_create_socket", {0}));
    EXPECT_EQ(CallReal("network_connect_raw", {client, "127.0.0.1", FreePort()}), 10061);
    EXPECT_NE(capture.console.text.find("Error (WSAECONNREFUSED): Connection refused.\r\n"), std::string::npos);
    EXPECT_EQ(Network_SlotSocket(client)->m_Handle, NET_INVALID_HANDLE);
}

TEST(NetworkWinsock, ErrorLinesAndCodes)
{
    testsupport::ConsoleCapture capture;
    Winsock_ReportErrorCode(10035);
    Winsock_ReportErrorCode(12345);
    EXPECT_EQ(capture.console.text, "Error (WSAEWOULDBLOCK): operation would block\r\n");
    EXPECT_EQ((std::vector<int>{11001, 11002}), (std::vector<int>{Net_ResolverToWinsock(EAI_NONAME), Net_ResolverToWinsock(EAI_AGAIN)}));
}

// Many peers bursting frames of every size, split and coalesced at random: every packet is echoed
// from its own event and must come back whole and in order.
TEST_F(NetworkTest, FiftyPeersBurstingFramesGetEveryPayloadBackInOrder)
{
    ASSERT_GE(StartServer(50), 0);
    std::mt19937 random(48);
    struct LoadPeer {
        int fd = -1;
        std::vector<uint8_t> outgoing, echoed; // every frame, back to back
        size_t sent = 0;
    };
    std::vector<LoadPeer> load(50);
    for (LoadPeer& peer : load) {
        peer.fd = HandshakenPeer();
        fcntl(peer.fd, F_SETFL, fcntl(peer.fd, F_GETFL) | O_NONBLOCK);
        for (int i = 0; i < 100; ++i) {
            // Mostly small packets, one in four up to 70,000 bytes.
            std::vector<uint8_t> payload(random() % 4 == 0 ? random() % 70001 : random() % 2001);
            for (uint8_t& byte : payload) byte = static_cast<uint8_t>(random());
            for (uint8_t byte : Frame(payload)) peer.outgoing.push_back(byte);
        }
    }
    g_OnEvent = [](const Event& event) {
        if (event.type == NETWORK_EVENT_DATA) Echo(event);
    };
    bool done = false;
    for (int round = 0; round < 200000 && !done; ++round) {
        done = true;
        for (LoadPeer& peer : load) {
            if (peer.sent < peer.outgoing.size()) {
                size_t chunk = std::min<size_t>(1 + random() % 90000, peer.outgoing.size() - peer.sent);
                ssize_t n = send(peer.fd, peer.outgoing.data() + peer.sent, chunk, MSG_NOSIGNAL);
                if (n > 0) peer.sent += static_cast<size_t>(n);
            }
            uint8_t chunk[65536];
            ssize_t n;
            while ((n = recv(peer.fd, chunk, sizeof chunk, 0)) > 0) peer.echoed.insert(peer.echoed.end(), chunk, chunk + n);
            done = done && peer.echoed.size() >= peer.outgoing.size();
        }
        Network_ProcessSockets();
        g_Events.clear(); // the recorded payloads are not needed here
    }
    for (size_t i = 0; i < load.size(); ++i) EXPECT_TRUE(load[i].echoed == load[i].outgoing) << "peer " << i;
}



// The bytes and the connection's mode; the cut's kind, offset, length and bytes consumed.
using CutCase = std::tuple<std::vector<uint8_t>, NetCutMode, NetCutKind, size_t, size_t, size_t>;

const NetCutMode STREAM{true, false, false};
const NetCutMode DATAGRAM{false, false, false};
const NetCutMode GREETED{true, false, true};
const NetCutMode DEBUGGER{true, true, false};

TEST(NetworkFraming, CutsEachMessageKind)
{
    auto Cut = [](std::vector<uint8_t> bytes, size_t keep) { return std::vector<uint8_t>(bytes.begin(), bytes.begin() + keep); };
    auto frame5 = Words({NET_FRAME_MAGIC, 12, 5}, 5);
    auto handshake = Words({NET_HANDSHAKE_FIRST, NET_HANDSHAKE_SECOND, 16, 0});
    auto command = Words({NET_COMMAND_MAGIC, 44, 1}, 32);
    auto evaluate = Words({NET_COMMAND_MAGIC, 44, 9, 60}, 44);
    // Streams: a whole frame, an empty one, a frame missing its last byte or cut in its header
    // waits, a size at the limit waits, above it or wrapping 32 bits closes, bytes that begin no
    // frame or a wrong header size are raw. Datagrams: a frame, and one claiming more (also by a size
    // that would wrap 32 bits) is raw. A handshake where it is due, and a frame there refuses.
    // Debugger connections: a command, an
    // evaluation of its own length, of length 0 (ending the data), above 1 MiB (closes), game data
    // (dropped); a command on a game connection is raw.
    const CutCase cases[] = {
        {frame5, STREAM, NetCutKind::Frame, 12, 5, 17},
        {Words({NET_FRAME_MAGIC, 12, 0}), STREAM, NetCutKind::Frame, 12, 0, 12},
        {Cut(frame5, 16), STREAM, NetCutKind::Wait, 0, 0, 0}, {Cut(frame5, 3), STREAM, NetCutKind::Wait, 0, 0, 0},
        {Words({NET_FRAME_MAGIC, 12, NET_FRAME_MAX}), STREAM, NetCutKind::Wait, 0, 0, 0},
        {Words({NET_FRAME_MAGIC, 12, NET_FRAME_MAX + 1}), STREAM, NetCutKind::Close, 0, 12, 12},
        {Words({NET_FRAME_MAGIC, 12, 0xFFFFFFF8u}), STREAM, NetCutKind::Close, 0, 12, 12},
        {{1, 2, 3, 4, 5}, STREAM, NetCutKind::Raw, 0, 5, 5},
        {Words({NET_FRAME_MAGIC, 16, 0}), STREAM, NetCutKind::Raw, 0, 12, 12},
        {frame5, DATAGRAM, NetCutKind::Frame, 12, 5, 17}, {Cut(frame5, 16), DATAGRAM, NetCutKind::Raw, 0, 16, 16},
        {Words({NET_FRAME_MAGIC, 12, 0xFFFFFFFFu}), DATAGRAM, NetCutKind::Raw, 0, 12, 12},
        {handshake, GREETED, NetCutKind::Handshake, 0, 16, 16}, {Cut(handshake, 5), GREETED, NetCutKind::Wait, 0, 0, 0},
        {frame5, GREETED, NetCutKind::Refused, 0, 17, 17}, {command, DEBUGGER, NetCutKind::Command, 0, 44, 44},
        {evaluate, DEBUGGER, NetCutKind::Command, 0, 60, 60},
        {Words({NET_COMMAND_MAGIC, 44, 9, 0}, 40), DEBUGGER, NetCutKind::Command, 0, 44, 56},
        {Words({NET_COMMAND_MAGIC, 44, 9, NET_COMMAND_MAX + 1}, 28), DEBUGGER, NetCutKind::Close, 0, 44, 44},
        {frame5, DEBUGGER, NetCutKind::Drop, 0, 17, 17}, {command, STREAM, NetCutKind::Raw, 0, 44, 44},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [bytes, mode, kind, offset, length, consumed] = cases[i];
        NetCut cut = Net_Cut(bytes.data(), bytes.size(), mode);
        EXPECT_EQ(std::make_tuple(cut.kind, cut.offset, cut.length, cut.consumed), std::make_tuple(kind, offset, length, consumed))
            << "case " << i;
    }
}

TEST(NetworkFraming, HeadersAreLittleEndian)
{
    uint8_t header[12];
    Net_FrameHeader(header, 0x01020304);
    EXPECT_EQ(std::vector<uint8_t>(header, header + 12), (std::vector<uint8_t>{0xDE, 0xC0, 0xAD, 0xDE, 12, 0, 0, 0, 4, 3, 2, 1}));
}

} // namespace nettest
