#include "debug/Debug_Messages.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "object/Object_Class.h"
#include "object/Object_Event.h"
#include "object/Object_Table.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Names.h"

namespace {

int64_t Remaining(const IBuffer* buffer) { return int64_t(buffer->m_Size) - buffer->m_Position; }

uint32_t CodeAddress(const CCode* code) { return VM_CodeAddress(code); }

// Loaded code is named by its entry; code compiled from text by its place after the entries in the
// code section, so events and scripts name the bytes the section lists.
int64_t CodeIndex(const CCode* code)
{
    if (code == nullptr || code->m_CodeIndex >= 0 || code->m_Address == 0) return code != nullptr ? code->m_CodeIndex : -1;
    int64_t index = Code_EntryCount();
    for (const CCode* text = VM_TextCodeFrom(0); text != nullptr && text != code; text = VM_TextCodeFrom(text->m_Address + 1))
        ++index;
    return index;
}

bool Named(const char* name) { return name != nullptr && name[0] != '\0'; }

void WriteEvents(IBuffer* buffer, const CObject& object)
{
    for (int32_t type = 0; type < DEBUG_EVENT_TYPES_SENT; ++type) {
        const ObjectEventArray& slots = object.m_Events[type];
        uint32_t present = 0;
        for (int32_t subtype = 0; subtype < slots.count; ++subtype) present += slots.events[subtype] != nullptr;
        Debugger_WriteU32(buffer, present);
        for (int32_t subtype = 0; subtype < slots.count; ++subtype) {
            const CEvent* event = slots.events[subtype];
            if (event == nullptr) continue;
            const CCode* code = event->m_pCode;
            Debugger_WriteU32(buffer, subtype);
            Debugger_WriteU32(buffer, CodeIndex(code));
            Debugger_WriteU32(buffer, CodeAddress(code));
            buffer->WriteSizedString(code != nullptr ? code->GetName() : "");
        }
    }
}

void WriteObject(IBuffer* buffer, const CObject& object)
{
    Debugger_WriteU32(buffer, object.m_Index);
    Debugger_WriteU32(buffer, object.m_Flags & (OBJECT_FLAG_SOLID | OBJECT_FLAG_VISIBLE | OBJECT_FLAG_PERSISTENT));
    Debugger_WriteU32(buffer, object.m_SpriteIndex);
    Debugger_WriteU32(buffer, object.m_MaskIndex);
    Debugger_WriteU32(buffer, object.m_Depth);
    Debugger_WriteU32(buffer, object.m_ParentIndex);
    buffer->WriteSizedString(object.GetName());
    WriteEvents(buffer, object);
}

} // namespace

void Debugger_WriteU8(IBuffer* buffer, uint32_t value) { buffer->WriteNumber(eBuffer_U8, value & 0xFF); }

void Debugger_WriteU32(IBuffer* buffer, int64_t value)
{
    buffer->WriteNumber(eBuffer_U32, static_cast<double>(static_cast<uint32_t>(value)));
}

void Debugger_WriteF64(IBuffer* buffer, double value) { buffer->WriteNumber(eBuffer_F64, value); }

int32_t Debugger_ReadU32(IBuffer* buffer)
{
    double number = 0;
    if (Remaining(buffer) < 4 || !buffer->ReadNumber(eBuffer_U32, &number)) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(number));
}

uint8_t Debugger_ReadU8(IBuffer* buffer)
{
    double number = 0;
    if (Remaining(buffer) < 1 || !buffer->ReadNumber(eBuffer_U8, &number)) return 0;
    return static_cast<uint8_t>(number);
}

bool Debugger_ReadBytes(IBuffer* buffer, std::string* out)
{
    if (Remaining(buffer) < 4) return false;
    uint32_t count = static_cast<uint32_t>(Debugger_ReadU32(buffer));
    if (count > Remaining(buffer)) return false;
    const char* at = reinterpret_cast<const char*>(buffer->m_pData + buffer->m_Position);
    out->assign(at, count);
    buffer->m_Position += static_cast<int32_t>(count);
    return true;
}

void Debugger_WriteBytesPadded(IBuffer* buffer, const uint8_t* data, uint32_t count)
{
    Debugger_WriteU32(buffer, count);
    for (uint32_t i = 0; i < count; ++i) Debugger_WriteU8(buffer, data[i]);
    for (uint32_t i = count; i % 4 != 0; ++i) Debugger_WriteU8(buffer, 0);
}

void Debugger_WriteHeader(IBuffer* buffer, uint32_t third)
{
    Debugger_WriteU32(buffer, DEBUG_MESSAGE_MAGIC);
    Debugger_WriteU32(buffer, DEBUG_MESSAGE_SIZE);
    Debugger_WriteU32(buffer, third);
}

DebugCountWord::DebugCountWord(IBuffer* target) : buffer(target), at(target->m_Position)
{
    Debugger_WriteU32(buffer, 0);
}

// Poked in place: the position stays at the end of what was written.
void DebugCountWord::Fill(uint32_t count)
{
    ScriptValue value{VALUE_REAL, 0, static_cast<double>(count)};
    buffer->Poke(at, eBuffer_U32, &value);
}

void Debugger_WriteCode(IBuffer* buffer)
{
    DebugCountWord count(buffer);
    uint32_t written = 0;
    for (const CCode* code = g_pLoadedCodeHead; code != nullptr; code = code->m_pNext, ++written) {
        const CodeEntry* entry = Code_GetEntry(code->m_CodeIndex);
        Debugger_WriteU32(buffer, code->m_CodeIndex);
        buffer->WriteSizedString(code->GetName());
        if (entry != nullptr && entry->words != nullptr)
            Debugger_WriteBytesPadded(buffer, entry->words, static_cast<uint32_t>(std::max(entry->length, 0)));
        else
            Debugger_WriteBytesPadded(buffer, nullptr, 0);
    }
    // Code compiled from source text follows, numbered on from the entries.
    int64_t index = Code_EntryCount();
    for (const CCode* code = VM_TextCodeFrom(0); code != nullptr; code = VM_TextCodeFrom(code->m_Address + 1), ++written) {
        Debugger_WriteU32(buffer, index++);
        buffer->WriteSizedString(code->GetName());
        Debugger_WriteBytesPadded(buffer, code->m_pCode->m_pWords, static_cast<uint32_t>(std::max(code->m_pCode->m_Size, 0)));
    }
    count.Fill(written);
}

void Debugger_WriteObjects(IBuffer* buffer)
{
    DebugCountWord count(buffer);
    std::vector<int32_t> order;
    Object_TableOrder(order);
    uint32_t written = 0;
    for (int32_t index : order) {
        const CObject* object = Object_Data(index);
        if (object == nullptr) continue;
        WriteObject(buffer, *object);
        ++written;
    }
    count.Fill(written);
}

void Debugger_WriteScripts(IBuffer* buffer)
{
    DebugCountWord count(buffer);
    uint32_t written = 0;
    for (int32_t index = 0; index < Script_Count(); ++index) {
        const CCode* code = Script_GetCode(index);
        if (code == nullptr || CodeAddress(code) == 0) continue;
        Debugger_WriteU32(buffer, CodeIndex(code));
        Debugger_WriteU32(buffer, CodeAddress(code));
        buffer->WriteSizedString(Script_Name(index));
        ++written;
    }
    count.Fill(written);
}

uint32_t Debugger_StringAddress(uint32_t index)
{
    const VMStringTable* strings = Code_GameStrings();
    if (strings == nullptr || index >= strings->count) return 0;
    uint64_t address = DEBUG_STRING_ADDRESS_BASE;
    for (uint32_t i = 0; i < index; ++i) {
        const char* text = strings->Get(i);
        address += (text != nullptr ? std::strlen(text) : 0) + 1;
    }
    return static_cast<uint32_t>(address);
}

void Debugger_WriteNames(IBuffer* buffer)
{
    Debugger_WriteU32(buffer, g_FunctionCount);
    for (int32_t i = 0; i < g_FunctionCount; ++i) buffer->WriteSizedString(g_FunctionTable[i].name);

    int32_t builtins = std::clamp(g_BuiltinVariableCount, 0, BUILTIN_VARIABLE_ROWS);
    DebugCountWord named(buffer);
    uint32_t written = 0;
    for (int32_t i = 0; i < builtins; ++i)
        if (Named(g_BuiltinVariables[i].name)) buffer->WriteSizedString(g_BuiltinVariables[i].name), ++written;
    named.Fill(written);

    DebugCountWord users(buffer);
    written = 0;
    for (int32_t i = 0; i < Code_Variable_UserCount(); ++i) {
        const char* name = Code_Variable_UserName(VARIABLE_USER_BASE + i);
        if (!Named(name)) continue;
        Debugger_WriteU32(buffer, Code_Variable_Find(name));
        buffer->WriteSizedString(name);
        ++written;
    }
    users.Fill(written);

    // The addresses are laid out as the texts follow each other, each with its terminator.
    const VMStringTable* strings = Code_GameStrings();
    uint32_t total = strings != nullptr ? strings->count : 0;
    Debugger_WriteU32(buffer, DEBUG_STRING_ADDRESS_BASE);
    Debugger_WriteU32(buffer, total);
    uint64_t address = DEBUG_STRING_ADDRESS_BASE;
    for (uint32_t i = 0; i < total; ++i) {
        const char* text = strings->Get(i);
        if (text == nullptr) text = "";
        Debugger_WriteU32(buffer, static_cast<int64_t>(address));
        buffer->WriteSizedString(text);
        address += std::strlen(text) + 1;
    }
}

void Debugger_WriteGameData(IBuffer* buffer)
{
    Debugger_WriteHeader(buffer, 2);
    Debugger_WriteU32(buffer, DEBUG_TAG_VERSION);
    Debugger_WriteU32(buffer, DEBUG_DUMP_VERSION);
    Debugger_WriteU32(buffer, DEBUG_TAG_CODE);
    Debugger_WriteCode(buffer);
    Debugger_WriteU32(buffer, DEBUG_TAG_OBJECTS);
    Debugger_WriteObjects(buffer);
    Debugger_WriteU32(buffer, DEBUG_TAG_SCRIPTS);
    Debugger_WriteScripts(buffer);
    Debugger_WriteU32(buffer, DEBUG_TAG_NAMES);
    Debugger_WriteNames(buffer);
}

std::vector<DebugExpression> Debugger_ReadEvaluateRequest(const uint8_t* request, uint32_t size)
{
    std::vector<DebugExpression> expressions;
    if (size < 16) return expressions;
    uint32_t announced = uint32_t(request[12]) | uint32_t(request[13]) << 8 | uint32_t(request[14]) << 16 |
                         uint32_t(request[15]) << 24;
    uint32_t length = std::min(announced, size);
    if (length < 20) return expressions;
    // The wrap only reads: the request stays the connection's.
    int32_t slot = Buffer_Wrap(const_cast<uint8_t*>(request), static_cast<int32_t>(length), false);
    IBuffer* buffer = Buffer_Get(slot);
    if (buffer == nullptr) return expressions;
    for (int i = 0; i < 4; ++i) Debugger_ReadU32(buffer);
    uint32_t count = static_cast<uint32_t>(Debugger_ReadU32(buffer));
    for (uint32_t i = 0; i < count && Remaining(buffer) >= 8; ++i) {
        DebugExpression expression;
        expression.id = Debugger_ReadU32(buffer);
        if (!Debugger_ReadBytes(buffer, &expression.text)) break;
        expression.text.resize(std::strlen(expression.text.c_str()));
        expressions.push_back(std::move(expression));
    }
    Buffer_Delete(slot);
    return expressions;
}
