#include "code/Code_Breakpoints.h"
#include "code/Code_Translate.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "buffer/Buffer_IBuffer.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Emitter.h"
#include "code/Code_InterpreterState.h"
#include "code/Code_Object.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"

VMBreakpoint g_VMBreakpoints[VM_BREAKPOINT_SLOTS];
uint8_t g_VMAttention = 0;

namespace {

uint8_t g_BreakRequest = 0;
uint8_t g_StepRequest = 0;
uint8_t g_ReinsertPending = 0;
const char* g_StepCode = nullptr;
int32_t g_StepLine = -1;

// Where each slot's word lies, found when the slot was filled, and the code map it was found in.
struct SlotPlace {
    uint8_t* word;
    uint32_t generation;
};
SlotPlace g_Places[VM_BREAKPOINT_SLOTS];

void RefreshAttention() { g_VMAttention = g_BreakRequest | g_StepRequest | g_ReinsertPending; }

// The code entries' first addresses, rebuilt whenever the entries are not those it was built for.
struct CodeMap {
    int32_t count = -1;
    const uint8_t* first = nullptr;
    const uint8_t* last = nullptr;
    uint32_t generation = 0;
    std::vector<uint32_t> bases; // 0: the entry has no address (the space ran out)
};
CodeMap g_Map;

// Code compiled from source text, by first address.
struct TextRange {
    CCode* code;
    uint32_t length; // rounded up to whole words, at least one
};
std::map<uint32_t, TextRange> g_TextRanges;

// The free part of the text code space, by start and by {length, start}: a new range takes the
// smallest free one that holds it (the lowest of equal ones), so a range freed with its code is
// reused rather than the space running out over a long run, and nesting thousands of text codes
// (execute_string calling itself) never walks the live ones.
std::map<uint32_t, uint32_t> g_FreeByStart;
std::set<std::pair<uint32_t, uint32_t>> g_FreeByLength;
// The space ends one word short of VM_NO_ADDRESS, which names no code.
constexpr uint32_t TEXT_CODE_SPACE = VM_NO_ADDRESS - 1 - VM_TEXT_CODE_ADDRESS_BASE;

// Slots in text code carry this generation: they live until the code is forgotten.
constexpr uint32_t TEXT_GENERATION = 0;

uint32_t RoundedLength(int32_t size) { return (static_cast<uint32_t>(std::max(size, 1)) + 3u) & ~3u; }

void EraseFree(std::map<uint32_t, uint32_t>::iterator gap)
{
    g_FreeByLength.erase({gap->second, gap->first});
    g_FreeByStart.erase(gap);
}

// Gives a range back to the free space, joined with the free ranges it touches.
void AddFree(uint32_t start, uint32_t length)
{
    auto next = g_FreeByStart.lower_bound(start);
    if (next != g_FreeByStart.end() && start + length == next->first) {
        length += next->second;
        EraseFree(next);
    }
    auto before = g_FreeByStart.lower_bound(start);
    if (before != g_FreeByStart.begin() && std::prev(before)->first + std::prev(before)->second == start) {
        --before;
        start = before->first;
        length += before->second;
        EraseFree(before);
    }
    g_FreeByStart[start] = length;
    g_FreeByLength.insert({length, start});
}

// The start of a free range of `length` bytes taken from the free space, or 0 when none is left.
uint32_t TakeFree(uint32_t length)
{
    if (g_FreeByStart.empty() && g_TextRanges.empty()) AddFree(VM_TEXT_CODE_ADDRESS_BASE, TEXT_CODE_SPACE);
    auto fit = g_FreeByLength.lower_bound({length, 0});
    if (fit == g_FreeByLength.end()) return 0;
    auto [gapLength, start] = *fit;
    EraseFree(g_FreeByStart.find(start));
    if (gapLength > length) AddFree(start + length, gapLength - length);
    return start;
}

const CodeMap& Map()
{
    int32_t count = Code_EntryCount();
    const uint8_t* first = count > 0 ? Code_GetEntry(0)->words : nullptr;
    const uint8_t* last = count > 0 ? Code_GetEntry(count - 1)->words : nullptr;
    if (count == g_Map.count && first == g_Map.first && last == g_Map.last) return g_Map;
    g_Map.count = count;
    g_Map.first = first;
    g_Map.last = last;
    ++g_Map.generation;
    g_Map.bases.assign(static_cast<size_t>(count), 0);
    uint64_t next = VM_CODE_ADDRESS_BASE;
    for (int32_t i = 0; i < count; ++i) {
        uint64_t length = static_cast<uint64_t>(std::max(Code_GetEntry(i)->length, 0));
        if (next + length >= VM_TEXT_CODE_ADDRESS_BASE) break;
        g_Map.bases[static_cast<size_t>(i)] = static_cast<uint32_t>(next);
        next += (length + 3) & ~uint64_t{3};
    }
    return g_Map;
}

uint32_t SavedWordAt(uint32_t address)
{
    for (const VMBreakpoint& slot : g_VMBreakpoints)
        if (slot.address == address) return slot.savedWord;
    return VM_BREAKPOINT_WORD;
}

// The word at `offset` of code at `base` when it starts an instruction (instructions are counted from
// the first word, through any breakpoint standing in for one).
uint8_t* InstructionAt(uint8_t* words, int32_t length, uint32_t base, uint32_t offset)
{
    if (words == nullptr || length < 4 || offset > static_cast<uint32_t>(length) - 4) return nullptr;
    uint32_t at = 0;
    while (at < offset) {
        uint32_t word = VM_ReadWord(words, at);
        if (word == VM_BREAKPOINT_WORD) word = SavedWordAt(base + at);
        at += static_cast<uint32_t>(VM_InstructionSize(word));
    }
    return at == offset ? words + offset : nullptr;
}

// The registered text code whose range holds the address.
const std::pair<const uint32_t, TextRange>* TextRangeAt(uint32_t address)
{
    auto after = g_TextRanges.upper_bound(address);
    if (after == g_TextRanges.begin()) return nullptr;
    --after;
    return address - after->first < after->second.length ? &*after : nullptr;
}

// The code word at the address when it starts an instruction of a code entry or of text code, and
// the generation its slot keeps.
uint8_t* ResolveWord(uint32_t address, uint32_t* generation)
{
    if (const auto* text = TextRangeAt(address)) {
        *generation = TEXT_GENERATION;
        const VMBuffer* words = text->second.code->m_pCode;
        return InstructionAt(words->m_pWords, words->m_Size, text->first, address - text->first);
    }
    const CodeMap& map = Map();
    *generation = map.generation;
    auto after = std::upper_bound(map.bases.begin(), map.bases.end(), address);
    if (after == map.bases.begin()) return nullptr;
    int32_t index = static_cast<int32_t>(after - map.bases.begin()) - 1;
    uint32_t base = map.bases[static_cast<size_t>(index)];
    const CodeEntry* entry = Code_GetEntry(index);
    if (base == 0 || entry == nullptr) return nullptr;
    // Loaded words lie in the game file image, which stays writable for exactly this.
    return InstructionAt(const_cast<uint8_t*>(entry->words), entry->length, base, address - base);
}

void FreeSlot(int32_t slot)
{
    g_VMBreakpoints[slot] = VMBreakpoint{0, VM_NO_ADDRESS};
    g_Places[slot] = SlotPlace{nullptr, 0};
}

// The word of a filled slot, or null (and the slot freed) when the code it named is gone.
uint8_t* PlaceOf(int32_t slot)
{
    uint32_t generation = g_Places[slot].generation;
    if (generation != TEXT_GENERATION && generation != Map().generation) {
        FreeSlot(slot);
        return nullptr;
    }
    return g_Places[slot].word;
}

int32_t SourceLine(const VMBuffer* debugInfo, const char* text, int32_t pc)
{
    return VM_DebugInfo_FindName(VM_DebugInfo_FindLine(debugInfo, pc), text);
}

// The debug block's numbers, through the buffer's typed writes.
void WriteU32(IBuffer* buffer, double number) { buffer->WriteNumber(eBuffer_U32, number); }
void WriteF32(IBuffer* buffer, double number) { buffer->WriteNumber(eBuffer_F32, number); }

// A count written as 0 first and filled in when the list is done.
void WriteVariable(IBuffer* buffer, const VariableNode* node)
{
    uint32_t kind = Value_GetKind(&node->value);
    WriteU32(buffer, node->id);
    WriteU32(buffer, kind);
    if (kind == VALUE_STRING)
        buffer->WriteSizedString(Value_GetText(&node->value));
    else
        buffer->WriteNumber(eBuffer_F64, node->value.real);
}

void WriteVariables(IBuffer* buffer, const CVariableList* list)
{
    int32_t countAt = buffer->m_Position;
    WriteU32(buffer, 0);
    uint32_t count = 0;
    for (int32_t bucket = 0; list != nullptr && bucket < VARIABLE_BUCKETS; ++bucket) {
        for (const VariableNode* node = list->Bucket(bucket); node != nullptr; node = node->next) {
            WriteVariable(buffer, node);
            ++count;
        }
    }
    int32_t end = buffer->m_Position;
    buffer->m_Position = countAt;
    WriteU32(buffer, count);
    buffer->m_Position = end;
}

void WriteVariables(IBuffer* buffer, const std::vector<const VariableNode*>& nodes)
{
    WriteU32(buffer, static_cast<uint32_t>(nodes.size()));
    for (const VariableNode* node : nodes) WriteVariable(buffer, node);
}

// A built-in variable of the instance read through its getter; false when there is no such row or
// the getter fails (as physics getters do for an instance without a body).
bool ReadBuiltIn(CInstance* instance, const char* name, int32_t index, double* out)
{
    *out = 0;
    BuiltinVariableEntry* entry = Variable_BuiltIn_Get(Variable_BuiltIn_Find(name));
    if (entry == nullptr || entry->getter == nullptr) return false;
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    bool read = entry->getter(instance, index, &value);
    if (Value_GetKind(&value) == VALUE_REAL) *out = value.real;
    Value_Free(&value);
    return read;
}

double BuiltIn(CInstance* instance, const char* name, int32_t index = 0)
{
    double value = 0;
    ReadBuiltIn(instance, name, index, &value);
    return value;
}

// The physics values the debugger reads after the body flag, in this order.
const char* const PHYSICS_VARIABLES[] = {
    "phy_position_x",     "phy_position_y",  "phy_rotation",       "phy_linear_velocity_x",
    "phy_linear_velocity_y", "phy_speed_x",  "phy_speed_y",        "phy_angular_velocity",
    "phy_com_x",          "phy_com_y",       "phy_mass",           "phy_inertia",
    "phy_dynamic",        "phy_kinematic",   "phy_bullet",         "phy_sleeping",
    "phy_fixed_rotation", "phy_active",
};

void WriteInstanceState(IBuffer* buffer, CInstance* self)
{
    WriteU32(buffer, BuiltIn(self, "id"));
    WriteU32(buffer, BuiltIn(self, "object_index"));
    for (const char* name : {"x", "y", "direction", "friction", "gravity", "gravity_direction", "hspeed", "vspeed",
                             "speed", "xprevious", "yprevious"})
        WriteF32(buffer, BuiltIn(self, name));
    WriteU32(buffer, BuiltIn(self, "sprite_index"));
    WriteF32(buffer, BuiltIn(self, "image_alpha"));
    WriteU32(buffer, BuiltIn(self, "image_blend"));
    WriteF32(buffer, BuiltIn(self, "image_index"));
    WriteU32(buffer, BuiltIn(self, "image_number"));
    for (int32_t alarm = 0; alarm < 12; ++alarm) WriteU32(buffer, BuiltIn(self, "alarm", alarm));
    WriteU32(buffer, BuiltIn(self, "path_index"));
    WriteF32(buffer, BuiltIn(self, "path_position"));
    WriteF32(buffer, BuiltIn(self, "path_positionprevious"));
    WriteU32(buffer, BuiltIn(self, "path_endaction"));
    WriteF32(buffer, BuiltIn(self, "path_speed"));
    WriteF32(buffer, BuiltIn(self, "path_orientation"));
    double unused = 0;
    bool hasBody = ReadBuiltIn(self, PHYSICS_VARIABLES[0], 0, &unused);
    WriteU32(buffer, hasBody ? 1 : 0);
    if (!hasBody) return;
    for (const char* name : PHYSICS_VARIABLES) WriteF32(buffer, BuiltIn(self, name));
}

} // namespace

void VM_Init() { VM_ClearBreakpoints(); }

int32_t VM_AddBreakpoint(uint32_t address)
{
    for (int32_t slot = 0; slot < VM_BREAKPOINT_SLOTS; ++slot)
        if (g_VMBreakpoints[slot].address == address && address != VM_NO_ADDRESS) return slot;
    uint32_t generation = 0;
    uint8_t* word = ResolveWord(address, &generation);
    if (word == nullptr) return VM_BREAKPOINT_FULL;
    for (int32_t slot = 0; slot < VM_BREAKPOINT_FULL; ++slot) {
        if (g_VMBreakpoints[slot].address != VM_NO_ADDRESS) continue;
        g_VMBreakpoints[slot] = VMBreakpoint{VM_ReadWord(word, 0), address};
        g_Places[slot] = SlotPlace{word, generation};
        return slot;
    }
    return VM_BREAKPOINT_FULL;
}

int32_t VM_RemoveBreakpoint(uint32_t address)
{
    for (int32_t slot = 0; slot < VM_BREAKPOINT_SLOTS; ++slot) {
        if (g_VMBreakpoints[slot].address != address || address == VM_NO_ADDRESS) continue;
        FreeSlot(slot);
        return slot;
    }
    return VM_BREAKPOINT_FULL;
}

void VM_ClearBreakpoints()
{
    for (int32_t slot = 0; slot < VM_BREAKPOINT_SLOTS; ++slot) FreeSlot(slot);
}

void VM_InsertBreakpoints()
{
    for (int32_t slot = 0; slot < VM_BREAKPOINT_SLOTS; ++slot) {
        if (g_VMBreakpoints[slot].address == VM_NO_ADDRESS) continue;
        if (uint8_t* word = PlaceOf(slot)) VM_WriteWord(word, 0, VM_BREAKPOINT_WORD);
        VM_NoteCodeWritten();
    }
}

void VM_RestoreBreakpoints()
{
    for (int32_t slot = VM_BREAKPOINT_SLOTS - 1; slot >= 0; --slot) {
        if (g_VMBreakpoints[slot].address == VM_NO_ADDRESS) continue;
        if (uint8_t* word = PlaceOf(slot)) VM_WriteWord(word, 0, g_VMBreakpoints[slot].savedWord);
        VM_NoteCodeWritten();
    }
}

uint32_t VM_CodeEntryAddress(int32_t index)
{
    const CodeMap& map = Map();
    if (index < 0 || index >= map.count) return 0;
    return map.bases[static_cast<size_t>(index)];
}

uint32_t VM_CodeWordsAddress(const uint8_t* words)
{
    if (words == nullptr) return 0;
    const CodeMap& map = Map();
    for (int32_t i = 0; i < map.count; ++i)
        if (Code_GetEntry(i)->words == words) return map.bases[static_cast<size_t>(i)];
    for (const auto& [base, range] : g_TextRanges)
        if (range.code->m_pCode->m_pWords == words) return base;
    return 0;
}

uint32_t VM_CodeAddress(const CCode* code)
{
    if (code == nullptr) return 0;
    return code->m_CodeIndex >= 0 && !code->m_MadeFromText ? VM_CodeEntryAddress(code->m_CodeIndex) : code->m_Address;
}

void VM_RegisterTextCode(CCode* code)
{
    if (code->m_Address != 0 || code->m_pCode == nullptr || code->m_pCode->m_pWords == nullptr) return;
    uint32_t length = RoundedLength(code->m_pCode->m_Size);
    uint32_t start = TakeFree(length);
    if (start == 0) return; // the space is full: this code has no address
    g_TextRanges[start] = TextRange{code, length};
    code->m_Address = start;
}

void VM_ForgetTextCode(CCode* code)
{
    auto found = g_TextRanges.find(code->m_Address);
    if (code->m_Address == 0 || found == g_TextRanges.end() || found->second.code != code) return;
    for (int32_t slot = 0; slot < VM_BREAKPOINT_SLOTS; ++slot)
        if (g_VMBreakpoints[slot].address - code->m_Address < found->second.length) FreeSlot(slot);
    AddFree(found->first, found->second.length);
    g_TextRanges.erase(found);
    code->m_Address = 0;
}

const CCode* VM_TextCodeFrom(uint32_t address)
{
    auto found = g_TextRanges.lower_bound(address);
    return found != g_TextRanges.end() ? found->second.code : nullptr;
}

void VM_RequestBreak()
{
    g_BreakRequest = 1;
    RefreshAttention();
}

void VM_RequestStep(const char* code, int32_t line)
{
    g_StepRequest = 1;
    g_StepCode = code;
    g_StepLine = line;
    RefreshAttention();
}

void VM_CancelRequests()
{
    g_BreakRequest = 0;
    g_StepRequest = 0;
    g_StepCode = nullptr;
    g_StepLine = -1;
    RefreshAttention();
}

bool VM_BreakRequested() { return g_BreakRequest != 0; }

bool VM_StepRequested() { return g_StepRequest != 0; }

bool VM_CurrentSourcePlace(const char** code, int32_t* line)
{
    *code = nullptr;
    *line = -1;
    if (g_pVMRun == nullptr) return false;
    *code = VM_RunText(*g_pVMRun);
    *line = SourceLine(VM_RunDebugInfo(*g_pVMRun), *code, g_pVMRun->pc);
    return true;
}

uint32_t VM_AttendAndFetch(VMRunState& run)
{
    // The debugger may look at the level's arguments.
    VM_SettleArguments(run);
    if (g_ReinsertPending) {
        g_ReinsertPending = 0;
        VM_InsertBreakpoints();
    }
    if (g_StepRequest && (VM_RunText(run) != g_StepCode ||
                          SourceLine(VM_RunDebugInfo(run), VM_RunText(run), run.pc) != g_StepLine)) {
        g_StepRequest = 0;
        g_BreakRequest = 1;
    }
    uint32_t word = VM_ReadWord(run.words, static_cast<uint32_t>(run.pc));
    if (g_BreakRequest) {
        g_BreakRequest = 0;
        word = VM_WORD_BREAK_NOW;
    }
    RefreshAttention();
    return word;
}

uint32_t VM_BreakpointHit(VMRunState& run)
{
    VM_SettleArguments(run);
    VM_RestoreBreakpoints();
    g_ReinsertPending = 1;
    RefreshAttention();
    return VM_ReadWord(run.words, static_cast<uint32_t>(run.pc));
}

void VM_FinishBreaks()
{
    if (!g_ReinsertPending) return;
    g_ReinsertPending = 0;
    VM_InsertBreakpoints();
    RefreshAttention();
}

void VM_DebugWriteInstance(IBuffer* buffer)
{
    const VMRunState* run = g_pVMRun;
    if (run == nullptr) {
        WriteU32(buffer, VM_NO_ADDRESS);
        return;
    }
    WriteU32(buffer, VM_CodeWordsAddress(run->words));
    WriteU32(buffer, run->pc);
    WriteU32(buffer, BuiltIn(run->self, "id"));
    WriteU32(buffer, BuiltIn(run->other, "id"));
    WriteVariables(buffer, VM_LocalsInListOrder(*run));
    WriteVariables(buffer, Variable_GlobalList());
    WriteInstanceState(buffer, run->self);
}
