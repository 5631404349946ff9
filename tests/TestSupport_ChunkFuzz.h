// What the chunk readers' fuzz targets share: a console that drops every line, and a one-chunk game
// file around the fuzzer's bytes, which become the chunk's body at file offset 16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_View.h"

namespace testsupport {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

// Silences the main console and wraps the body in a "FORM" container under `tag`. False (and the
// input skipped) for bodies over 1 MiB, which only slow the fuzzer down.
inline bool ChunkFuzzFile(GameFile& file, const char (&tag)[5], const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;
    if (size > 1 << 20) return false;
    auto word = [](std::vector<uint8_t>& bytes, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    std::vector<uint8_t> bytes = {'F', 'O', 'R', 'M'};
    word(bytes, static_cast<uint32_t>(size + 8));
    bytes.insert(bytes.end(), tag, tag + 4);
    word(bytes, static_cast<uint32_t>(size));
    bytes.insert(bytes.end(), data, data + size);
    return file.CopyFrom(bytes.data(), bytes.size());
}

} // namespace testsupport
