#include "gamefile/GameFile_Code.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Checker.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_Strings.h"
#include "gamefile/GameFile_View.h"
#include "run/Run_Globals.h"
#include "variable/Variable_Names.h"

namespace {

constexpr uint32_t LINK_RECORD_SIZE = 12;
constexpr size_t LOAD_MESSAGE_AREA = 1024;

// Where each registered entry's bytecode lies in the file, in entry order.
struct CodeRange {
    uint32_t start;
    uint32_t end;
    int32_t entry;
};
std::vector<CodeRange> g_Ranges;       // sorted by start
uint64_t g_CodeBytes = 0;              // all entries together
// The image and entry count the ranges were taken from: a chain is only followed into the code
// entries of the file being linked.
const uint8_t* g_RangesImage = nullptr;
int32_t g_RangesEntries = 0;

bool RangesDescribe(const GameFile& file)
{
    return g_RangesImage != nullptr && file.Data() == g_RangesImage && Code_EntryCount() == g_RangesEntries;
}

const CodeRange* RangeHolding(uint32_t offset, uint32_t size)
{
    auto after = std::upper_bound(g_Ranges.begin(), g_Ranges.end(), offset,
                                  [](uint32_t at, const CodeRange& range) { return at < range.start; });
    if (after == g_Ranges.begin()) return nullptr;
    const CodeRange& range = *(after - 1);
    if (offset < range.start || static_cast<uint64_t>(offset) + size > range.end) return nullptr;
    return &range;
}

// The strings chunk may follow the code chunk in the file, but code is checked against the string
// table, so the table is read here when the pre-pass has not met it yet.
void EnsureStringTable(const GameFile& file)
{
    if (StringTable_Count() > 0) return;
    GameFileChunkWalk walk(file);
    if (!walk.Start()) return;
    GameFileChunk chunk;
    while (walk.Next(chunk)) {
        if (std::memcmp(chunk.tag, "STRG", 4) == 0 && chunk.length > 0) {
            StringTable_Load(file, chunk.body, chunk.length);
            return;
        }
    }
}

bool ReadEntry(const GameFile& file, uint32_t body, uint32_t length, uint32_t index, uint32_t entry)
{
    if (entry == 0) return Code_AddEntry(nullptr, nullptr, 0);
    GameFileEntry record(file, "CODE", "entry " + std::to_string(index), entry);
    uint32_t nameOffset = 0, size = 0;
    const char* name = nullptr;
    if (!record.Within("its header", entry, 8, body, length)) return false;
    file.U32(entry, nameOffset);
    file.U32(entry + 4, size);
    if (!record.String("its name", nameOffset, name)) return false;
    if (!record.Within("its bytecode", entry + 8, size, body, length)) return false;
    // The interpreter's lengths are 32-bit signed.
    if (size > static_cast<uint32_t>(INT32_MAX)) return record.Refuse("its bytecode is longer than 2 GiB");
    if (!Code_AddEntry(name, file.Data() + entry + 8, static_cast<int32_t>(size))) return false;
    g_Ranges.push_back(CodeRange{entry + 8, entry + 8 + size, static_cast<int32_t>(index)});
    g_CodeBytes += size;
    return true;
}

// Checks again the entries that linking wrote into.
bool RecheckEntries(const std::set<int32_t>& entries)
{
    uint32_t strings = Code_GameStrings()->count;
    for (int32_t index : entries) {
        const CodeEntry* entry = Code_GetEntry(index);
        if (entry == nullptr) return false;
        if (!Code_CheckEntry(index, entry->name, entry->words, entry->length, strings)) return false;
    }
    return true;
}

[[noreturn]] void UnknownName(const char* format, const char* name)
{
    char message[LOAD_MESSAGE_AREA];
    std::snprintf(message, sizeof message, format, Text_Printable(name).c_str());
    Error_Show(message, true);
    // The run ends here, before start-up could report its failure: the terminal gets the reason
    // and the failure's line as for every other refused start.
    std::fputs(message, stderr);
    Console_ReportFailure("Failed to load the game");
    Error_Exit(EXIT_CODE_NOT_STARTED);
}

// One record of a link chunk: the name, the number of references and the first one.
struct LinkRecord {
    const char* name = nullptr;
    uint32_t count = 0;
    uint32_t first = 0;
};

bool ReadLinkRecord(const GameFileEntry& entry, LinkRecord& record)
{
    const GameFile& file = entry.File();
    uint32_t nameOffset = 0;
    file.U32(entry.At(), nameOffset);
    file.U32(entry.At() + 4, record.count);
    file.U32(entry.At() + 8, record.first);
    if (!entry.String("its name", nameOffset, record.name)) return false;
    std::string count = "its reference count " + std::to_string(record.count);
    // A record without a name has nothing to link, unless it claims references.
    if (record.name == nullptr && record.count != 0)
        return entry.Refuse(count + " is not 0 but it has no name");
    // Each reference is an instruction word and its operand, so no chain can be longer than this.
    uint64_t codeBytes = RangesDescribe(file) ? g_CodeBytes : 0;
    if (record.count > codeBytes / 8)
        return entry.Refuse(count + " is more than the code holds (" + std::to_string(codeBytes) +
                            " bytes of bytecode)");
    return true;
}

// Writes the identifier into every operand of the chain. `next` gives the offset of the following
// reference from the current one and its old operand.
template <typename Rewrite, typename Next>
bool FollowChain(GameFile& file, const GameFileEntry& entry, const LinkRecord& record, Rewrite rewrite,
                 Next next, std::set<int32_t>& touched)
{
    uint32_t at = record.first;
    for (uint32_t i = 0; i < record.count; ++i) {
        const CodeRange* range = RangesDescribe(file) ? RangeHolding(at, 8) : nullptr;
        if (range == nullptr)
            return entry.Refuse("its reference " + std::to_string(i) + " at file offset " +
                                std::to_string(at) + " lies outside the code");
        uint32_t operand = 0;
        file.U32(at + 4, operand);
        file.WriteU32(at + 4, rewrite(operand));
        touched.insert(range->entry);
        at = next(at, operand);
    }
    return true;
}

uint32_t WholeRecords(const char* chunk, uint32_t length)
{
    if (length % LINK_RECORD_SIZE != 0)
        MainConsole->Output("%s: the %u bytes after the last whole record are left out\n", chunk, length % LINK_RECORD_SIZE);
    return length / LINK_RECORD_SIZE;
}

} // namespace

void Code_ClearFileRanges()
{
    g_Ranges.clear();
    g_CodeBytes = 0;
    g_RangesImage = nullptr;
    g_RangesEntries = 0;
}

bool Code_Load(GameFile& file, uint32_t body, uint32_t length)
{
    Code_ClearEntries();
    Code_ClearFileRanges();
    EnsureStringTable(file);
    Code_LoadGameStrings(file);
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "CODE", body, length, table)) return false;
    for (uint32_t i = 0; i < table.count; ++i) {
        if (!ReadEntry(file, body, length, i, table.Entry(file, i))) {
            Code_ClearEntries();
            Code_ClearFileRanges();
            return false;
        }
    }
    std::sort(g_Ranges.begin(), g_Ranges.end(), [](const CodeRange& a, const CodeRange& b) { return a.start < b.start; });
    g_RangesImage = file.Data();
    g_RangesEntries = Code_EntryCount();
    return true;
}

bool VARI_Load(GameFile& file, uint32_t body, uint32_t length)
{
    if (!file.Contains(body, length)) return false;
    std::set<int32_t> touched;
    uint32_t records = WholeRecords("VARI", length);
    for (uint32_t i = 0; i < records; ++i) {
        LinkRecord record;
        GameFileEntry entry(file, "VARI", "entry " + std::to_string(i), body + LINK_RECORD_SIZE * i);
        if (!ReadLinkRecord(entry, record)) return false;
        if (record.name == nullptr) continue;
        int32_t id = Code_Variable_Find(record.name);
        if (id < 0) UnknownName("Error on load\nUnable to find variable %s\n", record.name);
        uint32_t low = static_cast<uint32_t>(id) & LINK_VARIABLE_ID_MASK;
        auto rewrite = [low](uint32_t operand) { return (operand & ~LINK_VARIABLE_ID_MASK) | low; };
        auto next = [](uint32_t at, uint32_t operand) {
            return at + static_cast<uint32_t>(Link_VariableDistance(operand));
        };
        if (!FollowChain(file, entry, record, rewrite, next, touched)) return false;
    }
    return RecheckEntries(touched);
}

bool FUNC_Load(GameFile& file, uint32_t body, uint32_t length)
{
    if (!file.Contains(body, length)) return false;
    std::set<int32_t> touched;
    uint32_t records = WholeRecords("FUNC", length);
    for (uint32_t i = 0; i < records; ++i) {
        LinkRecord record;
        GameFileEntry entry(file, "FUNC", "entry " + std::to_string(i), body + LINK_RECORD_SIZE * i);
        if (!ReadLinkRecord(entry, record)) return false;
        if (record.name == nullptr) continue;
        int32_t id = -1;
        if (!Code_Function_Find(record.name, &id) || id < 0)
            UnknownName("Error on load\nUnable to find function %s\n", record.name);
        auto rewrite = [id](uint32_t) { return static_cast<uint32_t>(id); };
        auto next = [](uint32_t at, uint32_t operand) { return at + operand; };
        if (!FollowChain(file, entry, record, rewrite, next, touched)) return false;
    }
    return RecheckEntries(touched);
}

bool Code_PatchStrings(GameFile& file, uint32_t, uint32_t)
{
    // String operands stay indices; they were checked against the table the pre-pass read. Only a
    // table that changed since then (a second strings chunk) needs the entries checked again.
    if (Code_GameStrings()->count == static_cast<uint32_t>(StringTable_Count())) return true;
    Code_LoadGameStrings(file);
    std::set<int32_t> all;
    for (int32_t i = 0; i < Code_EntryCount(); ++i) all.insert(i);
    return RecheckEntries(all);
}
