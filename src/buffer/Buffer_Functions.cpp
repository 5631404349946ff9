#include "buffer/Buffer_Functions.h"

#include <cstring>

#include "buffer/Buffer_Standard.h"
#include "buffer/Buffer_Table.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"

namespace {

// What a routine answers when its checks fail.
enum class Preset { Zero, MinusOne, NoText };

// Presets the result, then checks the count and the kinds of the arguments ('r' real, 's' string,
// 'a' any); false after reporting.
bool CheckCall(ScriptValue* result, Preset preset, int32_t argc, const ScriptValue* args, const char* kinds)
{
    if (preset == Preset::MinusOne) Result_Real(result, -1);
    if (preset == Preset::NoText) Value_SetText(result, nullptr);
    if (argc != static_cast<int32_t>(std::strlen(kinds))) {
        Error_Show_Action("Illegal argument count", false);
        return false;
    }
    for (int32_t i = 0; i < argc; ++i) {
        bool fits = kinds[i] == 'a' || (kinds[i] == 'r' ? Arg_IsReal(args[i]) : Arg_IsString(args[i]));
        if (!fits) {
            Error_Show_Action("Illegal argument type", false);
            return false;
        }
    }
    return true;
}

IBuffer* FindBuffer(const ScriptValue& index, const char* message)
{
    IBuffer* buffer = Buffer_Get(Arg_Trunc(index));
    if (buffer == nullptr) Error_Show_Action(message, false);
    return buffer;
}

// The checks of every member that works on the buffer named by its first argument.
IBuffer* CheckedBuffer(ScriptValue* result, Preset preset, int32_t argc, const ScriptValue* args,
                       const char* kinds)
{
    if (!CheckCall(result, preset, argc, args, kinds)) return nullptr;
    return FindBuffer(args[0], "Illegal Buffer Index");
}

// buffer_load and buffer_base64_decode: a new empty grow buffer that takes a slot only when filled.
template <typename Fill> void CreateFilled(ScriptValue* result, Fill fill)
{
    auto* buffer = new Buffer_Standard();
    if (fill(buffer)) {
        Result_Real(result, Buffer_Add(buffer));
        return;
    }
    delete buffer;
    Error_Show_Action("Cannot load buffer file", false);
}

void Builtin_BufferWrite(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::MinusOne, argc, args, "rra"))
        Result_Real(result, buffer->Write(Arg_Trunc(args[1]), &args[2]));
}

void Builtin_BufferRead(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rr"))
        buffer->Read(Arg_Trunc(args[1]), result);
}

void Builtin_BufferPeek(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rrr"))
        buffer->Peek(Arg_Trunc(args[1]), Arg_Trunc(args[2]), result);
}

void Builtin_BufferPoke(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rrrr"))
        buffer->Poke(Arg_Trunc(args[1]), Arg_Trunc(args[2]), &args[3]);
}

void Builtin_BufferSeek(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::MinusOne, argc, args, "rrr"))
        Result_Real(result, buffer->Seek(Arg_Trunc(args[1]), Arg_Trunc(args[2])));
}

void Builtin_BufferSave(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rs"))
        buffer->Save(Arg_Text(args[1]), 0, -1);
}

void Builtin_BufferSaveExt(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rsrr"))
        buffer->Save(Arg_Text(args[1]), Arg_Trunc(args[2]), Arg_Trunc(args[3]));
}

void Builtin_BufferLoad(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!CheckCall(result, Preset::MinusOne, argc, args, "s")) return;
    CreateFilled(result, [&](IBuffer* buffer) { return buffer->Load(Arg_Text(args[0]), 0, -1, 0); });
}

void Builtin_BufferLoadExt(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rsr"))
        buffer->Load(Arg_Text(args[1]), 0, -1, Arg_Trunc(args[2]));
}

// (source, source offset, size, destination, destination offset).
void Builtin_BufferCopy(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!CheckCall(result, Preset::Zero, argc, args, "rrrrr")) return;
    IBuffer* source = FindBuffer(args[0], "Illegal Source Buffer Index");
    IBuffer* destination = source != nullptr ? FindBuffer(args[3], "Illegal Source Buffer Index") : nullptr;
    if (destination == nullptr) return;
    if (source == destination) {
        Error_Show_Action("Source and Destination buffers can't be the same", false);
        return;
    }
    source->CopyTo(Arg_Trunc(args[1]), Arg_Trunc(args[2]), destination, Arg_Trunc(args[4]));
}

// (buffer, offset, type, value, size).
void Builtin_BufferFill(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rrrrr"))
        buffer->Fill(Arg_Trunc(args[1]), Arg_Trunc(args[4]), Arg_Trunc(args[2]), &args[3], -1, true);
}

void Builtin_BufferGetSize(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::MinusOne, argc, args, "r"))
        Result_Real(result, buffer->m_Size);
}

void Builtin_BufferTell(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::MinusOne, argc, args, "r"))
        Result_Real(result, buffer->m_Position);
}

void Builtin_BufferResize(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rr"))
        buffer->Resize(Arg_Trunc(args[1]));
}

void Builtin_BufferMd5(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::NoText, argc, args, "rrr"))
        buffer->Md5(result, Arg_Trunc(args[1]), Arg_Trunc(args[2]));
}

void Builtin_BufferSha1(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::NoText, argc, args, "rrr"))
        buffer->Sha1(result, Arg_Trunc(args[1]), Arg_Trunc(args[2]));
}

void Builtin_BufferBase64Encode(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::MinusOne, argc, args, "rrr"))
        buffer->Base64Encode(result, Arg_Trunc(args[1]), Arg_Trunc(args[2]));
}

void Builtin_BufferBase64Decode(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!CheckCall(result, Preset::MinusOne, argc, args, "s")) return;
    CreateFilled(result, [&](IBuffer* buffer) { return buffer->Base64Decode(Arg_Text(args[0]), 0, -1); });
}

void Builtin_BufferBase64DecodeExt(ScriptValue* result, CInstance*, CInstance*, int32_t argc,
                                   ScriptValue* args)
{
    if (IBuffer* buffer = CheckedBuffer(result, Preset::Zero, argc, args, "rsr"))
        buffer->Base64Decode(Arg_Text(args[1]), Arg_Trunc(args[2]), -1);
}

void Builtin_BufferSizeof(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (CheckCall(result, Preset::MinusOne, argc, args, "r"))
        Result_Real(result, Buffer_TypeSize(Arg_Trunc(args[0])));
}

void Builtin_BufferGetSurface(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, -1);
    Error_Show_Action("Error in buffer_get_surface(): Not yet implemented.", false);
}

void Builtin_BufferSetSurface(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, -1);
    Error_Show_Action("Error in buffer_set_surface(): Not yet implemented.", false);
}

const FunctionRow BUFFER_FUNCTIONS[] = {
    {"buffer_create", Builtin_BufferCreate, 3},
    {"buffer_delete", Builtin_BufferDelete, 1},
    {"buffer_write", Builtin_BufferWrite, 3},
    {"buffer_read", Builtin_BufferRead, 2},
    {"buffer_peek", Builtin_BufferPeek, 3},
    {"buffer_poke", Builtin_BufferPoke, 4},
    {"buffer_seek", Builtin_BufferSeek, 3},
    {"buffer_save", Builtin_BufferSave, 2},
    {"buffer_save_ext", Builtin_BufferSaveExt, 4},
    {"buffer_load", Builtin_BufferLoad, 1},
    {"buffer_load_ext", Builtin_BufferLoadExt, 3},
    {"buffer_copy", Builtin_BufferCopy, 5},
    {"buffer_fill", Builtin_BufferFill, 5},
    {"buffer_get_size", Builtin_BufferGetSize, 1},
    {"buffer_tell", Builtin_BufferTell, 1},
    {"buffer_resize", Builtin_BufferResize, 2},
    {"buffer_md5", Builtin_BufferMd5, 3},
    {"buffer_sha1", Builtin_BufferSha1, 3},
    {"buffer_base64_encode", Builtin_BufferBase64Encode, 3},
    {"buffer_base64_decode", Builtin_BufferBase64Decode, 1},
    {"buffer_base64_decode_ext", Builtin_BufferBase64DecodeExt, 3},
    {"buffer_sizeof", Builtin_BufferSizeof, 1},
    {"buffer_get_surface", Builtin_BufferGetSurface, 5},
    {"buffer_set_surface", Builtin_BufferSetSurface, 5},
};

} // namespace

// (size, kind, alignment): the kind is not checked; unknown kinds behave as fixed.
void Builtin_BufferCreate(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (argc != 3) {
        Error_Show_Action("buffer_create: Illegal argument count", false);
        return;
    }
    if (!Arg_IsReal(args[0]) || !Arg_IsReal(args[1]) || !Arg_IsReal(args[2])) {
        Error_Show_Action("buffer_create: Illegal argument type", false);
        return;
    }
    // A size the 32-bit count cannot hold (truncated to INT_MIN) is as illegal as one below 1.
    int32_t size = Arg_Trunc(args[0]);
    if (size < 1 || size > BUFFER_MAX_SIZE) {
        Error_Show_Action("buffer_create: Illegal size", false);
        return;
    }
    double alignment = args[2].real;
    if (!(alignment >= 1 && alignment <= BUFFER_MAX_ALIGNMENT)) {
        Error_Show_Action("buffer_create: Illegal alignment size", false);
        return;
    }
    Result_Real(result, Buffer_Create(size, Arg_Trunc(args[1]), Arg_Trunc(args[2])));
}

void Builtin_BufferDelete(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (CheckedBuffer(result, Preset::Zero, argc, args, "r") != nullptr) Buffer_Delete(Arg_Trunc(args[0]));
}

void Buffer_RegisterFunctions()
{
    Function_AddRows(BUFFER_FUNCTIONS);
}
