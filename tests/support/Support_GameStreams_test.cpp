#include "support/Support_GameStreams.h"

#include <gtest/gtest.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The watchdog's flush writes what a stream holds to a regular file, and leaves alone, without
// waiting, a stream another thread has locked (a game thread blocked in its write) and one on a pipe
// (whose write may block for ever).
TEST(GameStreams, TheDeadlineFlushWritesRegularFilesWithoutWaitingOnALock)
{
    const fs::path folder = fs::path(testing::TempDir()) / ("streams_" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path fifo = folder / "fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const struct {
        const char* name;
        const char* how;
        bool lockedElsewhere;
        const char* flushed;
    } cases[] = {
        {"free.txt", "wb", false, "line\n"},
        {"locked.txt", "wb", true, ""},
        // Read-write, so that opening the pipe does not wait for a reader.
        {"fifo", "r+b", false, nullptr},
    };
    for (const auto& c : cases) {
        std::FILE* stream = GameStreams_Open((folder / c.name).c_str(), c.how);
        ASSERT_NE(nullptr, stream) << c.name;
        std::fputs("line\n", stream);
        std::thread holder;
        std::atomic<bool> holding = false;
        if (c.lockedElsewhere) {
            holder = std::thread([&] {
                flockfile(stream);
                holding = true;
                while (holding) std::this_thread::yield();
                funlockfile(stream);
            });
            while (!holding) std::this_thread::yield();
        }
        GameStreams_FlushWithoutWaiting();
        if (c.flushed != nullptr) EXPECT_EQ(c.flushed, Contents(folder / c.name)) << c.name;
        else EXPECT_EQ(5, static_cast<int>(__fpending(stream))) << c.name << ": the pipe's stream was flushed";
        if (c.lockedElsewhere) {
            holding = false;
            holder.join();
        }
        GameStreams_Close(stream);
    }
    fs::remove_all(folder);
}

} // namespace
