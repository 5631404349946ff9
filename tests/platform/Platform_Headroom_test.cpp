#include "platform/Platform_Headroom.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <string>

#include "../TestSupport_ProcessMemory.h"

namespace {

constexpr size_t MiB = size_t(1) << 20;

// The software renderer's threads for a context: two sets of one a processor, none on a single
// processor, at most 32 a set; LP_NUM_THREADS, when it holds a number, sets the set's size (a
// negative one reads as the most, as the renderer's unsigned count does).
TEST(Headroom, TheRendererThreadsFollowTheProcessorsOrTheirSetting)
{
    const struct {
        const char* asked;
        size_t processors;
        size_t threads;
    } cases[] = {
        {nullptr, 1, 0},   {nullptr, 2, 4},   {nullptr, 8, 16}, {nullptr, 32, 64}, {nullptr, 96, 64},
        {"", 8, 16},       {"many", 8, 16},   {"0", 8, 0},      {"1", 1, 2},       {"3", 8, 6},
        {"40", 2, 64},     {"-5", 8, 64},     {"12x", 1, 24},   {"0x4", 8, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.threads, Headroom_RendererThreads(c.asked, c.processors))
            << (c.asked != nullptr ? c.asked : "(unset)") << ", " << c.processors << " processors";
}

// In a child of its own, the limit set `room` above what the process holds now: whether the room
// asked for `below` and `above` that room is there, as bit 0 and bit 1 of the child's exit code.
// Nothing between the reading and the asking maps memory.
int RoomSeenUnderLimit(int resource, const char* counted, size_t room, const Headroom& below, const Headroom& above)
{
    pid_t child = fork();
    if (child == 0) {
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = testsupport::ProcessStatusBytes(counted) + room;
        if (setrlimit(resource, &limit) != 0) _exit(4);
        _exit((Platform_HeadroomLeft(below) ? 1 : 0) | (Platform_HeadroomLeft(above) ? 2 : 0));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Across a sweep of limits, the room a limit leaves is there and a little more is not: the data a
// data limit counts, the address space an address-space limit counts, each asked for by the start it
// concerns (address space is reserved, so it never meets a data limit).
TEST(Headroom, TheRoomLeftIsWhatTheLimitLeaves)
{
    constexpr size_t SLACK = 8 * MiB;
    for (size_t room = 16 * MiB; room <= 320 * MiB; room += 8 * MiB) {
        EXPECT_EQ(1, RoomSeenUnderLimit(RLIMIT_DATA, "VmData:", room, {0, room - SLACK}, {0, room + SLACK}))
            << "data limit " << room / MiB << " MB above the process's data";
        EXPECT_EQ(1, RoomSeenUnderLimit(RLIMIT_AS, "VmSize:", room, {room - SLACK, 0}, {room + SLACK, 0}))
            << "address-space limit " << room / MiB << " MB above the process's size";
        EXPECT_EQ(3, RoomSeenUnderLimit(RLIMIT_DATA, "VmData:", room, {room + SLACK, 0}, {room - SLACK, 0}))
            << "data limit " << room / MiB << " MB: address space alone refused";
    }
}

TEST(Headroom, TheReasonNamesTheStartAndWhatItTakes)
{
    EXPECT_EQ("the process's memory limits leave too little for the sound device (it takes some 48 MB of "
              "address space and 24 MB of data)",
              Headroom_Shortfall("the sound device", {48 * MiB, 24 * MiB}));
}

} // namespace
