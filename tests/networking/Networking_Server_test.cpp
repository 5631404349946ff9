// The engine's sockets against plain loopback peers: the greeting and handshake, frames however
// they are cut, closes, limits, bad arguments, datagrams, and many peers at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netdb.h>

#include <csignal>
#include <random>
#include <thread>

#include "../TestSupport_Console.h"
#include "Networking_TestPeer.h"
#include "networking/Networking_Winsock.h"

using namespace nettest;
using testsupport::CallReal;
using namespace std::string_literals;

namespace {

// A buffer holding the bytes; its index.
int MakeBuffer(const std::vector<uint8_t>& bytes)
{
    int index = Buffer_Create(static_cast<int32_t>(bytes.size()), eBuffer_Fixed, 1);
    if (!bytes.empty()) std::memcpy(Buffer_Get(index)->m_pData, bytes.data(), bytes.size());
    return index;
}

std::vector<uint8_t> Text(const char* text)
{
    return std::vector<uint8_t>(text, text + std::strlen(text));
}

TEST_F(NetworkTest, GreetingHandshakeAndConnectEvent)
{
    int server = StartServer();
    ASSERT_GE(server, 0);
    int peer = Peer();
    std::vector<uint8_t> greeting = ReadPeer(peer, NET_GREETING_SIZE);
    EXPECT_EQ(std::string(greeting.begin(), greeting.end()), std::string("KV:Vostra-Connect\0", 18));
    EXPECT_TRUE(g_Events.empty()) << "no event before the handshake";
    // The handshake arrives in two pieces and is still answered once.
    std::vector<uint8_t> handshake = Words({NET_HANDSHAKE_FIRST, NET_HANDSHAKE_SECOND, 16, 0});
    SendAll(peer, std::vector<uint8_t>(handshake.begin(), handshake.begin() + 5));
    Poll(3);
    SendAll(peer, std::vector<uint8_t>(handshake.begin() + 5, handshake.end()));
    EXPECT_EQ(ReadPeer(peer, NET_REPLY_SIZE), Words({NET_REPLY_FIRST, NET_REPLY_SECOND, 12}));
    ASSERT_EQ(g_Events.size(), 1u);
    EXPECT_EQ(Fields(g_Events[0]), std::make_tuple(NETWORK_EVENT_CONNECT, server, -1, "127.0.0.1"s));
    EXPECT_NE(g_Events[0].socket, server);
    EXPECT_EQ(async_load, -1);
}

TEST_F(NetworkTest, ARefusedHandshakeClosesSilently)
{
    StartServer();
    int peer = Peer();
    ReadPeer(peer, NET_GREETING_SIZE);
    SendAll(peer, Text("hello, not a handshake"));
    EXPECT_TRUE(PeerSeesClose(peer));
    EXPECT_TRUE(g_Events.empty());
    // The refused client's slot is free again: 63 sockets fit beside the server.
    int taken = 0;
    while (CallReal("network_create_socket", {0}) >= 0) ++taken;
    EXPECT_EQ(taken, NETWORK_SLOTS - 1);
}

TEST_F(NetworkTest, FramesArriveWholeHoweverTheyAreCut)
{
    int server = StartServer();
    int peer = HandshakenPeer();
    int client = g_Events.at(0).socket;
    std::vector<uint8_t> payload = Text("one frame, sent a byte at a time");
    for (uint8_t byte : Frame(payload)) {
        SendAll(peer, {byte});
        Poll(1);
    }
    // Two frames and a raw tail in one send: two packets, then the raw bytes as one.
    std::vector<uint8_t> burst = Frame(Text("first"));
    std::vector<uint8_t> second = Frame({});
    burst.insert(burst.end(), second.begin(), second.end());
    std::vector<uint8_t> tail = Text("raw tail");
    burst.insert(burst.end(), tail.begin(), tail.end());
    SendAll(peer, burst);
    Poll(20);
    ASSERT_EQ(Count(NETWORK_EVENT_DATA), 4);
    // A connection's data carries its own slot.
    EXPECT_EQ(Fields(g_Events[1]), std::make_tuple(NETWORK_EVENT_DATA, client, int(payload.size()), "127.0.0.1"s));
    EXPECT_EQ((std::vector<std::vector<uint8_t>>{payload, Text("first"), {}, tail}),
              (std::vector<std::vector<uint8_t>>{g_Events[1].payload, g_Events[2].payload, g_Events[3].payload,
                                                 g_Events[4].payload}));
    EXPECT_EQ(g_Events[3].size, 0);
    EXPECT_EQ(g_Events[4].ip, "127.0.0.1");
    (void)server;
}

TEST_F(NetworkTest, ClosingMidFrameDisconnectsWithoutAPartialPacket)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> last;
    };
    std::vector<uint8_t> frame = Frame(Text("never whole"));
    const Case cases[] = {
        {"half a frame", std::vector<uint8_t>(frame.begin(), frame.begin() + 15)},
        {"a header above 64 MiB", Words({NET_FRAME_MAGIC, 12, NET_FRAME_MAX + 1})},
    };
    for (const Case& c : cases) {
        g_Events.clear();
        int server = StartServer();
        int peer = HandshakenPeer();
        int client = g_Events.at(0).socket;
        SendAll(peer, c.last);
        if (c.last.size() == 15) shutdown(peer, SHUT_WR);
        EXPECT_TRUE(PeerSeesClose(peer)) << c.what;
        Poll(5);
        ASSERT_EQ(g_Events.size(), 2u) << c.what;
        EXPECT_EQ(Fields(g_Events[1]), std::make_tuple(NETWORK_EVENT_DISCONNECT, server, -1, ""s)) << c.what;
        EXPECT_EQ(g_Events[1].socket, client) << c.what;
        EXPECT_EQ(Network_SlotSocket(client), nullptr) << c.what;
        Network_CloseAll();
    }
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
    int first = HandshakenPeer();
    int second = Peer();
    EXPECT_TRUE(PeerSeesClose(second));
    EXPECT_EQ(Count(NETWORK_EVENT_CONNECT), 1);
    (void)first;
}

TEST_F(NetworkTest, ScriptsMaySendOrDestroyInsideTheirOwnEvent)
{
    StartServer();
    int peer = HandshakenPeer();
    // Echo the first packet, then destroy the connection while packets of the same read wait.
    g_OnEvent = [](const Event& event) {
        if (event.type != NETWORK_EVENT_DATA) return;
        int buffer = static_cast<int>(EntryReal(async_load, "buffer"));
        CallReal("network_send_packet", {event.id, buffer, event.size});
        CallReal("network_destroy", {event.id});
        CallReal("network_destroy", {event.id});
    };
    std::vector<uint8_t> burst = Frame(Text("echo me"));
    std::vector<uint8_t> more = Frame(Text("never delivered"));
    burst.insert(burst.end(), more.begin(), more.end());
    SendAll(peer, burst);
    EXPECT_EQ(ReadPeer(peer, 19), Frame(Text("echo me")));
    EXPECT_TRUE(PeerSeesClose(peer));
    EXPECT_EQ(Count(NETWORK_EVENT_DATA), 1);
    EXPECT_EQ(Count(NETWORK_EVENT_DISCONNECT), 0) << "a destroyed slot raises nothing";
    // A server destroyed in its own connect event.
    static int s_Server;
    s_Server = StartServer();
    g_OnEvent = [](const Event&) { CallReal("network_destroy", {s_Server}); };
    HandshakenPeer();
    EXPECT_EQ(Network_SlotServer(s_Server), nullptr);
}

TEST_F(NetworkTest, BadIdsAndSizesGiveTheDefaults)
{
    int buffer = MakeBuffer(Text("0123456789"));
    int server = StartServer();
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        double expected;
    };
    const Case cases[] = {
        {"network_send_packet", {-1, buffer, 4}, -1},
        {"network_send_packet", {64, buffer, 4}, -1},
        {"network_send_packet", {server, buffer, 4}, -1},
        {"network_send_packet", {5, buffer, 4}, -1},
        {"network_send_raw", {63, buffer, 4}, -1},
        {"network_send_udp", {-1, "127.0.0.1", 9, buffer, 4}, -1},
        {"network_connect", {64, "127.0.0.1", port}, 0},
        {"network_connect_raw", {server, "127.0.0.1", port}, 0},
        {"network_set_timeout", {-1, 10, 10}, 0},
        {"network_send_broadcast", {70, 9, buffer, 4}, 0},
        {"network_destroy", {40}, -1},
        {"network_destroy", {-1}, -1},
        {"network_receive_packet", {0, buffer, 4}, 0},
        {"network_create_socket", {"tcp"}, -1},
        {"network_connect", {0, 5, 5}, 0},
        {"network_send_broadcast", {0, 9, 12345, 4}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CallReal(c.name, c.args), c.expected) << c.name;
    // A size beyond the buffer sends the buffer's bytes.
    int peer = HandshakenPeer();
    int client = g_Events.at(0).socket;
    EXPECT_EQ(CallReal("network_send_packet", {client, buffer, 1000}), 22);
    EXPECT_EQ(ReadPeer(peer, 22), Frame(Text("0123456789")));
    EXPECT_EQ(CallReal("network_send_raw", {client, buffer, -5}), 0);
    Buffer_Delete(buffer);
}

TEST_F(NetworkTest, ConnectingWithoutAGreetingIsAPlainConnection)
{
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    peers.push_back(listener);
    port = FreePort();
    sockaddr_in address = Loopback(port);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    listen(listener, 1);
    int client = static_cast<int>(CallReal("network_create_socket", {0}));
    // The listener's first bytes are a frame; the wait ends as soon as they cannot be the greeting.
    int accepted = -1;
    std::thread server([&] {
        accepted = accept(listener, nullptr, nullptr);
        SendAll(accepted, Frame(Text("hi")));
    });
    EXPECT_EQ(CallReal("network_connect", {client, "localhost", port}), 0);
    server.join();
    peers.push_back(accepted);
    EXPECT_TRUE(g_Events.empty()) << "bytes read while connecting wait for the poll";
    Poll(3);
    ASSERT_EQ(Count(NETWORK_EVENT_DATA), 1);
    EXPECT_EQ(g_Events[0].payload, Text("hi"));
    EXPECT_EQ(g_Events[0].id, client);
    // A server that never speaks: the wait ends after its bound, as a plain connection.
    int silent = static_cast<int>(CallReal("network_create_socket", {0}));
    EXPECT_EQ(CallReal("network_connect", {silent, "127.0.0.1", port}), 0);
    EXPECT_NE(Network_SlotSocket(silent)->m_Handle, NET_INVALID_HANDLE);
}

TEST_F(NetworkTest, RefusedConnectsAndDeadPeers)
{
    testsupport::ConsoleCapture capture;
    int client = static_cast<int>(CallReal("network_create_socket", {0}));
    EXPECT_EQ(CallReal("network_connect_raw", {client, "127.0.0.1", FreePort()}), 10061);
    EXPECT_NE(capture.console.text.find("Error (WSAECONNREFUSED): Connection refused.\r\n"), std::string::npos);
    EXPECT_EQ(Network_SlotSocket(client)->m_Handle, NET_INVALID_HANDLE);
    EXPECT_EQ(CallReal("network_connect", {client, "127.0.0.1", FreePort()}), 10061);
    // A peer that has gone: sends fail, SIGPIPE never comes.
    StartServer();
    int raw = static_cast<int>(CallReal("network_create_socket", {0}));
    EXPECT_EQ(CallReal("network_connect_raw", {raw, "127.0.0.1", port}), 0);
    Poll(5);
    for (int slot = 0; slot < NETWORK_SLOTS; ++slot)
        if (slot != raw) Network_CloseSlot(slot);
    int buffer = MakeBuffer(std::vector<uint8_t>(4096, 7));
    double result = 0;
    for (int i = 0; i < 200 && result >= 0; ++i) {
        result = CallReal("network_send_raw", {raw, buffer, 4096});
        usleep(1000);
    }
    EXPECT_EQ(result, -1);
    Buffer_Delete(buffer);
}

TEST_F(NetworkTest, UdpServersReceiveDatagrams)
{
    port = FreePort(SOCK_DGRAM);
    int server = static_cast<int>(CallReal("network_create_server", {1, port, 4}));
    ASSERT_GE(server, 0);
    EXPECT_EQ(CallReal("network_create_server", {1, port, 4}), -1) << "one UDP server per port";
    int client = static_cast<int>(CallReal("network_create_socket", {1}));
    int buffer = MakeBuffer(Text("datagram"));
    EXPECT_EQ(CallReal("network_send_udp", {client, "127.0.0.1", port, buffer, 8}), 0);
    EXPECT_EQ(CallReal("network_send_udp", {client, "127.0.0.1", port, buffer, 0}), 0);
    // A datagram whose frame claims more than it holds is raw bytes.
    int peer = socket(AF_INET, SOCK_DGRAM, 0);
    peers.push_back(peer);
    std::vector<uint8_t> lying = Words({NET_FRAME_MAGIC, 12, 100});
    sockaddr_in address = Loopback(port);
    sendto(peer, lying.data(), lying.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    for (int i = 0; i < 100 && g_Events.size() < 3; ++i) Poll(1);
    ASSERT_EQ(g_Events.size(), 3u);
    EXPECT_EQ(Fields(g_Events[0]), std::make_tuple(NETWORK_EVENT_DATA, server, 8, "127.0.0.1"s));
    EXPECT_EQ(g_Events[0].payload, Text("datagram"));
    EXPECT_EQ(g_Events[1].size, 0);
    EXPECT_EQ(g_Events[2].payload, lying);
    Buffer_Delete(buffer);
}

TEST(NetworkWinsock, AddressesAndErrorLines)
{
    int before = g_WinsockResolverCalls;
    EXPECT_EQ(Winsock_ResolveToText("localhost"), "127.0.0.1");
    EXPECT_EQ(Winsock_ResolveToText("10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(g_WinsockResolverCalls, before) << "neither asks the resolver";
    Winsock_ResolveToText("LOCALHOST");
    EXPECT_EQ(g_WinsockResolverCalls, before + 1);
    EXPECT_EQ(Winsock_ResolveToText("no such host.invalid"), "");
    EXPECT_NE(g_WinsockLastResult, 0);
    testsupport::ConsoleCapture capture;
    Winsock_ReportErrorCode(10035);
    Winsock_ReportErrorCode(12345);
    EXPECT_EQ(capture.console.text, "Error (WSAEWOULDBLOCK): operation would block\r\n");
    EXPECT_EQ((std::vector<int>{10061, 11001, 11002}),
              (std::vector<int>{Net_ErrnoToWinsock(ECONNREFUSED), Net_ResolverToWinsock(EAI_NONAME),
                                Net_ResolverToWinsock(EAI_AGAIN)}));
    qzSocket odd(5);
    EXPECT_EQ(odd.CreateOsSocket(), -1);
    EXPECT_EQ(odd.m_Handle, NET_INVALID_HANDLE);
}

// Many peers bursting frames of every size, split and coalesced at random: every packet is echoed
// from its own event and must come back whole and in order.
constexpr int PEERS = 50;
constexpr int FRAMES_PER_PEER = 100;
constexpr size_t LARGEST_PAYLOAD = 70000;

struct LoadPeer {
    int fd = -1;
    std::vector<uint8_t> outgoing; // every frame, back to back
    size_t sent = 0;
    std::vector<uint8_t> echoed;
};

std::vector<uint8_t> Payload(std::mt19937& random)
{
    // Mostly small packets, one in four up to the largest.
    size_t size = random() % 4 == 0 ? random() % (LARGEST_PAYLOAD + 1) : random() % 2001;
    std::vector<uint8_t> payload(size);
    for (uint8_t& byte : payload) byte = static_cast<uint8_t>(random());
    return payload;
}

void EchoEvent(const Event& event)
{
    if (event.type != NETWORK_EVENT_DATA) return;
    int buffer = static_cast<int>(EntryReal(async_load, "buffer"));
    testsupport::CallReal("network_send_packet", {event.id, buffer, event.size});
}

TEST_F(NetworkTest, FiftyPeersBurstingFramesGetEveryPayloadBackInOrder)
{
    ASSERT_GE(StartServer(PEERS), 0);
    std::mt19937 random(48);
    std::vector<LoadPeer> load(PEERS);
    for (LoadPeer& peer : load) {
        peer.fd = HandshakenPeer();
        fcntl(peer.fd, F_SETFL, fcntl(peer.fd, F_GETFL) | O_NONBLOCK);
        for (int i = 0; i < FRAMES_PER_PEER; ++i) {
            std::vector<uint8_t> frame = Frame(Payload(random));
            peer.outgoing.insert(peer.outgoing.end(), frame.begin(), frame.end());
        }
    }
    g_Events.clear();
    g_OnEvent = EchoEvent;
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
        // The recorded payloads are not needed here; keep the record small.
        g_Events.clear();
    }
    for (size_t i = 0; i < load.size(); ++i) {
        ASSERT_EQ(load[i].echoed.size(), load[i].outgoing.size()) << "peer " << i;
        EXPECT_TRUE(load[i].echoed == load[i].outgoing) << "peer " << i;
    }
}

} // namespace
