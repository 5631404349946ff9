// Many peers bursting frames of every size, split and coalesced at random: every packet is echoed
// from its own event and must come back whole and in order.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <random>

#include "Networking_TestPeer.h"

using namespace nettest;

namespace {

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
