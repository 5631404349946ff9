// The debug-information file that goes beside a game file (its name with ".qzdebug"): a "FORM"
// container with the strings ("STRG"), one line table per code entry ("DBGI") and one source text
// per code entry ("SCPT"), index for index with the code chunk.
//
// A line table is a u32 count of the 32-bit words that follow, then the words themselves, two per
// pair {code offset, source position}: the count is twice the number of pairs, as the debug files
// that accompany game files have it and as the run-time reads it.
//
// Header-only, so that the builder and the tests that read debug files can both use it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gamebuild {

struct DebugCodeDesc {
    bool hasSource = true;
    std::string source;
    bool hasLines = true;
    std::vector<std::pair<int32_t, int32_t>> lines; // {code offset, source position}, rising offsets
};

namespace debuginfo_detail {

inline void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PatchU32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

inline size_t BeginChunk(std::vector<uint8_t>& out, const char* tag)
{
    PutTag(out, tag);
    PutU32(out, 0);
    return out.size();
}

inline void EndChunk(std::vector<uint8_t>& out, size_t body)
{
    PatchU32(out, body - 4, static_cast<uint32_t>(out.size() - body));
}

// A count table of `count` entries; returns where entry 0 lies.
inline size_t CountTable(std::vector<uint8_t>& out, size_t count)
{
    PutU32(out, static_cast<uint32_t>(count));
    size_t table = out.size();
    for (size_t i = 0; i < count; ++i) PutU32(out, 0);
    return table;
}

} // namespace debuginfo_detail

// The file's bytes. False, with a message, when a table would not fit 32-bit offsets.
inline bool BuildDebugInfoFile(const std::vector<DebugCodeDesc>& entries, std::vector<uint8_t>& out, std::string& errors)
{
    using namespace debuginfo_detail;
    out.clear();
    PutTag(out, "FORM");
    PutU32(out, 0);

    // Strings: one record per source text; SCPT names the characters of its entry's record.
    std::vector<uint32_t> sourceAt(entries.size(), 0);
    size_t body = BeginChunk(out, "STRG");
    size_t table = CountTable(out, entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        PatchU32(out, table + 4 * i, entries[i].hasSource ? static_cast<uint32_t>(out.size()) : 0);
        if (!entries[i].hasSource) continue;
        PutU32(out, static_cast<uint32_t>(entries[i].source.size()));
        sourceAt[i] = static_cast<uint32_t>(out.size());
        out.insert(out.end(), entries[i].source.begin(), entries[i].source.end());
        out.push_back(0);
    }
    EndChunk(out, body);

    body = BeginChunk(out, "DBGI");
    table = CountTable(out, entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].hasLines) continue;
        PatchU32(out, table + 4 * i, static_cast<uint32_t>(out.size()));
        PutU32(out, static_cast<uint32_t>(entries[i].lines.size() * 2));
        for (const auto& line : entries[i].lines) {
            PutU32(out, static_cast<uint32_t>(line.first));
            PutU32(out, static_cast<uint32_t>(line.second));
        }
    }
    EndChunk(out, body);

    body = BeginChunk(out, "SCPT");
    table = CountTable(out, entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].hasSource) continue;
        PatchU32(out, table + 4 * i, static_cast<uint32_t>(out.size()));
        PutU32(out, sourceAt[i]);
    }
    EndChunk(out, body);

    if (out.size() > 0xFFFFFFFFu) {
        errors += "debug information too large for 32-bit offsets\n";
        return false;
    }
    PatchU32(out, 4, static_cast<uint32_t>(out.size() - 8));
    return true;
}

} // namespace gamebuild
