// The byte layout of what the remote debugger and the game exchange: the typed writers and readers
// over a buffer, the game-data dump and the reader of evaluation requests. Everything in a request
// comes from the network, so the readers never go past the bytes they were given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IBuffer;

constexpr uint32_t DEBUG_MESSAGE_MAGIC = 0xBE11C0DE;
constexpr uint32_t DEBUG_MESSAGE_SIZE = 44;
constexpr uint32_t DEBUG_TAG_VERSION = 0x5645525F;
constexpr uint32_t DEBUG_TAG_CODE = 0x434F4445;
constexpr uint32_t DEBUG_TAG_OBJECTS = 0x4F424A5F;
constexpr uint32_t DEBUG_TAG_SCRIPTS = 0x53435254;
constexpr uint32_t DEBUG_TAG_NAMES = 0x46554E43;
constexpr uint32_t DEBUG_DUMP_VERSION = 1;
// The game's strings have an address range of their own, below the code's.
constexpr uint32_t DEBUG_STRING_ADDRESS_BASE = 0x08000000u;
// Object events sent: types 0 to 10 (the twelfth type is not part of the dump).
constexpr int32_t DEBUG_EVENT_TYPES_SENT = 11;

void Debugger_WriteU8(IBuffer* buffer, uint32_t value);
// A negative value is written as its two's complement.
void Debugger_WriteU32(IBuffer* buffer, int64_t value);
void Debugger_WriteF64(IBuffer* buffer, double value);
// The word read as signed; 0 when fewer than four bytes are left.
int32_t Debugger_ReadU32(IBuffer* buffer);
uint8_t Debugger_ReadU8(IBuffer* buffer);
// A word N then N bytes into `out`; false, nothing read past the end, when fewer are left.
bool Debugger_ReadBytes(IBuffer* buffer, std::string* out);
// The count, the bytes, then zeros up to a multiple of four.
void Debugger_WriteBytesPadded(IBuffer* buffer, const uint8_t* data, uint32_t count);
// The three header words: magic, 44, then the command, reply number or paused flag.
void Debugger_WriteHeader(IBuffer* buffer, uint32_t third);

// A count word to be filled in once the entries after it are written.
struct DebugCountWord {
    explicit DebugCountWord(IBuffer* buffer);
    void Fill(uint32_t count);
    IBuffer* buffer;
    int32_t at;
};

// The four sections of the dump and the whole game-data reply.
void Debugger_WriteCode(IBuffer* buffer);
void Debugger_WriteObjects(IBuffer* buffer);
void Debugger_WriteScripts(IBuffer* buffer);
void Debugger_WriteNames(IBuffer* buffer);
void Debugger_WriteGameData(IBuffer* buffer);

// The address of string `index` of the game's string table, or 0 when there is no such string.
uint32_t Debugger_StringAddress(uint32_t index);

// One expression of an evaluation request.
struct DebugExpression {
    int32_t id = 0;
    std::string text; // ended at its first zero or at its length
};

// The expressions of an evaluation request of `size` received bytes. Only the first L bytes (the
// request's length word, never more than were received) are read; entries that do not fit in them
// are left out.
std::vector<DebugExpression> Debugger_ReadEvaluateRequest(const uint8_t* request, uint32_t size);
