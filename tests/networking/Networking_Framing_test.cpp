#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "Networking_TestPeer.h"

namespace {

// The words, then `extra` filler bytes.
std::vector<uint8_t> Words(std::initializer_list<uint32_t> words, size_t extra = 0)
{
    std::vector<uint8_t> bytes = nettest::Words(words);
    bytes.resize(bytes.size() + extra, 0xAB);
    return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

struct CutCase {
    const char* what;
    std::vector<uint8_t> bytes;
    NetCutMode mode;
    NetCutKind kind;
    size_t offset, length, consumed;
};

const NetCutMode STREAM{true, false, false};
const NetCutMode DATAGRAM{false, false, false};
const NetCutMode GREETED{true, false, true};
const NetCutMode DEBUGGER{true, true, false};

TEST(NetworkFraming, CutsEachMessageKind)
{
    auto frame5 = Words({NET_FRAME_MAGIC, 12, 5}, 5);
    auto twoFrames = frame5;
    twoFrames.insert(twoFrames.end(), frame5.begin(), frame5.end());
    auto handshake = Words({NET_HANDSHAKE_FIRST, NET_HANDSHAKE_SECOND, 16, 0});
    auto command = Words({NET_COMMAND_MAGIC, 44, 1}, 32);
    auto evaluate = Words({NET_COMMAND_MAGIC, 44, 9, 60}, 44);
    const CutCase cases[] = {
        {"whole frame", frame5, STREAM, NetCutKind::Frame, 12, 5, 17},
        {"first of two frames", twoFrames, STREAM, NetCutKind::Frame, 12, 5, 17},
        {"empty frame", Words({NET_FRAME_MAGIC, 12, 0}), STREAM, NetCutKind::Frame, 12, 0, 12},
        {"frame missing its last byte waits", Cut(frame5, 16), STREAM, NetCutKind::Wait, 0, 0, 0},
        {"header cut after 3 bytes waits", Cut(frame5, 3), STREAM, NetCutKind::Wait, 0, 0, 0},
        {"header without its size waits", Cut(frame5, 9), STREAM, NetCutKind::Wait, 0, 0, 0},
        {"size at the limit waits", Words({NET_FRAME_MAGIC, 12, NET_FRAME_MAX}), STREAM, NetCutKind::Wait, 0, 0, 0},
        {"size above the limit closes", Words({NET_FRAME_MAGIC, 12, NET_FRAME_MAX + 1}), STREAM, NetCutKind::Close, 0, 12, 12},
        {"size that would wrap 32 bits", Words({NET_FRAME_MAGIC, 12, 0xFFFFFFF8u}), STREAM, NetCutKind::Close, 0, 12, 12},
        {"bytes that begin no frame are raw", {1, 2, 3, 4, 5}, STREAM, NetCutKind::Raw, 0, 5, 5},
        {"wrong header size is raw", Words({NET_FRAME_MAGIC, 16, 0}), STREAM, NetCutKind::Raw, 0, 12, 12},
        {"datagram frame", frame5, DATAGRAM, NetCutKind::Frame, 12, 5, 17},
        {"datagram claiming more is raw", Cut(frame5, 16), DATAGRAM, NetCutKind::Raw, 0, 16, 16},
        {"short datagram header is raw", Cut(frame5, 7), DATAGRAM, NetCutKind::Raw, 0, 7, 7},
        {"datagram with a wrapping size is raw", Words({NET_FRAME_MAGIC, 12, 0xFFFFFFFFu}), DATAGRAM, NetCutKind::Raw, 0, 12, 12},
        {"handshake", handshake, GREETED, NetCutKind::Handshake, 0, 16, 16},
        {"handshake without padding", Cut(handshake, 12), GREETED, NetCutKind::Handshake, 0, 12, 12},
        {"handshake cut short waits", Cut(handshake, 5), GREETED, NetCutKind::Wait, 0, 0, 0},
        {"anything else refuses", {0x42}, GREETED, NetCutKind::Refused, 0, 1, 1},
        {"a frame where the handshake is due refuses", frame5, GREETED, NetCutKind::Refused, 0, 17, 17},
        {"debugger command", command, DEBUGGER, NetCutKind::Command, 0, 44, 44},
        {"debugger command cut short waits", Cut(command, 43), DEBUGGER, NetCutKind::Wait, 0, 0, 0},
        {"evaluation of its own length", evaluate, DEBUGGER, NetCutKind::Command, 0, 60, 60},
        {"evaluation longer than what came waits", Cut(evaluate, 59), DEBUGGER, NetCutKind::Wait, 0, 0, 0},
        {"evaluation of length 0 ends the data", Words({NET_COMMAND_MAGIC, 44, 9, 0}, 40), DEBUGGER, NetCutKind::Command, 0, 44, 56},
        {"evaluation shorter than a command", Words({NET_COMMAND_MAGIC, 44, 9, 20}, 28), DEBUGGER, NetCutKind::Command, 0, 44, 44},
        {"evaluation above 1 MiB closes", Words({NET_COMMAND_MAGIC, 44, 9, NET_COMMAND_MAX + 1}, 28), DEBUGGER, NetCutKind::Close, 0, 44, 44},
        {"game data on a debugger connection is dropped", frame5, DEBUGGER, NetCutKind::Drop, 0, 17, 17},
        {"a command on a game connection is raw", command, STREAM, NetCutKind::Raw, 0, 44, 44},
        {"nothing waits", {}, STREAM, NetCutKind::Wait, 0, 0, 0},
    };
    for (const CutCase& c : cases) {
        NetCut cut = Net_Cut(c.bytes.data(), c.bytes.size(), c.mode);
        EXPECT_EQ(std::make_tuple(cut.kind, cut.offset, cut.length, cut.consumed),
                  std::make_tuple(c.kind, c.offset, c.length, c.consumed))
            << c.what;
    }
}

TEST(NetworkFraming, WordsAreLittleEndian)
{
    uint8_t header[12];
    Net_FrameHeader(header, 0x01020304);
    const uint8_t expected[12] = {0xDE, 0xC0, 0xAD, 0xDE, 12, 0, 0, 0, 4, 3, 2, 1};
    EXPECT_EQ(std::vector<uint8_t>(header, header + 12), std::vector<uint8_t>(expected, expected + 12));
    EXPECT_EQ(Net_ReadU32(expected), NET_FRAME_MAGIC);
    EXPECT_EQ(std::string(NET_GREETING, NET_GREETING_SIZE), std::string("KV:Vostra-Connect\0", 18));
}

} // namespace
