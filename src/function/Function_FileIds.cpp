// Binary and text files addressed by ids 1 to 31. A file read as text or in binary mode 0 is held
// whole in memory; files written go through C streams in the save area.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_File.h"
#include "function/Function_Registry.h"
#include "support/Support_File.h"
#include "support/Support_GameStreams.h"
#include "support/Support_MemoryFile.h"
#include "support/Support_SaveArea.h"

namespace {

constexpr int32_t FILE_SLOTS = 32;
constexpr int32_t LINE_LIMIT = 32768;

constexpr int32_t BIN_READ = 0;
constexpr int32_t BIN_WRITE = 1;
constexpr int32_t BIN_UPDATE = 2;

constexpr int32_t TEXT_FREE = 0;
constexpr int32_t TEXT_READ = 1;
constexpr int32_t TEXT_WRITE = 2;

struct BinaryRecord {
    bool inUse = false;
    std::string name; // the mapped path
    int32_t mode = BIN_READ;
    MemoryFile* memory = nullptr;
    std::FILE* stream = nullptr;
};

struct TextRecord {
    int32_t state = TEXT_FREE;
    std::string name;
    MemoryFile* memory = nullptr;
    std::FILE* stream = nullptr;
};

BinaryRecord g_Binary[FILE_SLOTS];
TextRecord g_Text[FILE_SLOTS];

const char* const NO_FREE_ID = "Cannot open another file (maximum exceeded).";

void CloseHandles(MemoryFile*& memory, std::FILE*& stream)
{
    MemoryFile_Free(memory);
    memory = nullptr;
    GameStreams_Close(stream);
    stream = nullptr;
}

void FreeBinary(BinaryRecord& record)
{
    CloseHandles(record.memory, record.stream);
    record = BinaryRecord();
}

void FreeText(TextRecord& record)
{
    CloseHandles(record.memory, record.stream);
    record = TextRecord();
}

// The id a script gave, or -1 outside 1..31.
int32_t IdOf(const ScriptValue& value)
{
    int32_t id = Arg_Int(value);
    return id >= 1 && id < FILE_SLOTS ? id : -1;
}

int32_t FreeBinaryId()
{
    for (int32_t id = 1; id < FILE_SLOTS; ++id)
        if (!g_Binary[id].inUse) return id;
    Error_Show_Action(NO_FREE_ID, false);
    return -1;
}

int32_t FreeTextId()
{
    for (int32_t id = 1; id < FILE_SLOTS; ++id)
        if (g_Text[id].state == TEXT_FREE) return id;
    Error_Show_Action(NO_FREE_ID, false);
    return -1;
}

// The save-area path when the file is there, else the bundle path when it is there; "" or the
// save-area path (`fallBackToSaveArea`) otherwise.
std::string ExistingPath(const char* name, bool fallBackToSaveArea)
{
    if (LoadSave_FileExistsSaveArea(name)) return FileFamily_SaveAreaPath(name);
    if (LoadSave_FileExistsBundle(name)) return FileFamily_BundlePath(name);
    return fallBackToSaveArea ? FileFamily_SaveAreaPath(name) : std::string();
}

bool CanRead(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

// ---- binary files -------------------------------------------------------------------------------

BinaryRecord* OpenBinary(const ScriptValue& value)
{
    int32_t id = IdOf(value);
    if (id < 0 || !g_Binary[id].inUse) {
        Error_Show_Action("File is not opened.", false);
        return nullptr;
    }
    return &g_Binary[id];
}

// An update stream must be repositioned between reading and writing.
void Reposition(BinaryRecord& record)
{
    if (record.mode == BIN_UPDATE) std::fseek(record.stream, 0, SEEK_CUR);
}

void Builtin_FileBinOpen(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1);
    int32_t id = FreeBinaryId();
    if (id < 0) return;
    BinaryRecord& record = g_Binary[id];
    FreeBinary(record);
    const char* name = Arg_TextOrEmpty(args[0]);
    std::string path = ExistingPath(name, true);
    int32_t mode = Arg_Int(args[1]);
    if (mode == BIN_READ) {
        record.memory = MemoryFile_Open(name, "rb");
    } else {
        File_CreatePathFolders(path.c_str());
        const char* how = mode == BIN_WRITE ? "wb" : CanRead(path) ? "r+b" : "w+b";
        record.stream = GameStreams_Open(path.c_str(), how);
    }
    if (record.memory == nullptr && record.stream == nullptr) {
        MainConsole->Output("Error opening binary file %s\n", name);
        return;
    }
    record.inUse = true;
    record.name = path;
    record.mode = mode == BIN_READ || mode == BIN_WRITE ? mode : BIN_UPDATE;
    Result_Real(result, id);
}

// Reopens the record's own file emptied for writing.
void Builtin_FileBinRewrite(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t id = IdOf(args[0]);
    if (id < 0 || !g_Binary[id].inUse) {
        Error_Show_Action("Trying to rewrite unopened file.", false);
        return;
    }
    BinaryRecord& record = g_Binary[id];
    CloseHandles(record.memory, record.stream);
    File_CreatePathFolders(record.name.c_str());
    record.stream = GameStreams_Open(record.name.c_str(), "w+b");
    record.mode = BIN_WRITE;
    if (record.stream == nullptr) {
        MainConsole->Output("Error opening binary file %s\n", record.name.c_str());
        FreeBinary(record);
    }
}

void Builtin_FileBinClose(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t id = IdOf(args[0]);
    if (id < 0 || !g_Binary[id].inUse) {
        Error_Show_Action("Trying to close unopened file.", false);
        return;
    }
    FreeBinary(g_Binary[id]);
}

void Builtin_FileBinPosition(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    BinaryRecord* record = OpenBinary(args[0]);
    if (record == nullptr) return;
    Result_Real(result, record->memory != nullptr ? MemoryFile_Tell(record->memory) : std::ftell(record->stream));
}

void Builtin_FileBinSize(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    BinaryRecord* record = OpenBinary(args[0]);
    if (record == nullptr) return;
    if (record->memory != nullptr) {
        Result_Real(result, record->memory->length);
        return;
    }
    long here = std::ftell(record->stream);
    std::fseek(record->stream, 0, SEEK_END);
    Result_Real(result, std::ftell(record->stream));
    std::fseek(record->stream, here, SEEK_SET);
}

void Builtin_FileBinSeek(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    BinaryRecord* record = OpenBinary(args[0]);
    if (record == nullptr) return;
    int32_t position = Arg_Int(args[1]);
    if (record->memory != nullptr) MemoryFile_Seek(record->memory, position, 0);
    else std::fseek(record->stream, position, SEEK_SET);
}

void Builtin_FileBinReadByte(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    BinaryRecord* record = OpenBinary(args[0]);
    if (record == nullptr) return;
    int32_t byte = -1;
    if (record->memory != nullptr) {
        uint8_t got = 0;
        if (MemoryFile_Read(&got, 1, 1, record->memory) == 1) byte = got;
    } else if (record->mode != BIN_WRITE) {
        Reposition(*record);
        byte = std::fgetc(record->stream);
    }
    if (byte < 0) {
        Error_Show_Action("Error reading byte.", false);
        return;
    }
    Result_Real(result, byte);
}

void Builtin_FileBinWriteByte(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    BinaryRecord* record = OpenBinary(args[0]);
    if (record == nullptr || record->stream == nullptr) return;
    Reposition(*record);
    std::fputc(Arg_Int(args[1]) & 0xFF, record->stream);
}

// ---- text files ---------------------------------------------------------------------------------

TextRecord* TextFor(const ScriptValue& value, int32_t state, const char* message)
{
    int32_t id = IdOf(value);
    if (id < 0 || g_Text[id].state != state) {
        Error_Show_Action(message, false);
        return nullptr;
    }
    return &g_Text[id];
}

TextRecord* Reading(const ScriptValue& value)
{
    return TextFor(value, TEXT_READ, "File is not opened for reading.");
}

TextRecord* Writing(const ScriptValue& value)
{
    return TextFor(value, TEXT_WRITE, "File not opened for writing.");
}

bool IsFileName(const ScriptValue& value)
{
    if (Arg_IsString(value)) return true;
    MainConsole->Output("ERROR!!! :: wrong type for filename\n");
    return false;
}

void Builtin_FileTextOpenFromString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!IsFileName(args[0])) return;
    int32_t id = FreeTextId();
    if (id < 0) return;
    const char* text = Arg_TextOrEmpty(args[0]);
    TextRecord& record = g_Text[id];
    record.memory = MemoryFile_FromBytes(reinterpret_cast<const uint8_t*>(text), static_cast<int32_t>(std::strlen(text)), false);
    record.name = text;
    record.state = TEXT_READ;
    Result_Real(result, id);
}

void Builtin_FileTextOpenRead(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!IsFileName(args[0])) return;
    int32_t id = FreeTextId();
    if (id < 0) return;
    const char* name = Arg_TextOrEmpty(args[0]);
    std::string path = ExistingPath(name, false);
    if (path.empty()) {
        MainConsole->Output("ERROR!!! :: Failed to open file: %s\n", name);
        return;
    }
    int32_t length = 0;
    uint8_t* data = LoadSave_ReadWholeFile(path.c_str(), &length);
    if (data == nullptr) {
        MainConsole->Output("ERROR!!! :: Failed to open file: %s\n", path.c_str());
        return;
    }
    TextRecord& record = g_Text[id];
    record.memory = MemoryFile_Adopt(data, length, true);
    record.name = path;
    record.state = TEXT_READ;
    Result_Real(result, id);
}

void OpenForWriting(ScriptValue* result, const ScriptValue& name, const char* how, bool log)
{
    Result_Real(result, -1);
    int32_t id = FreeTextId();
    if (id < 0) return;
    std::string path = FileFamily_SaveAreaWritePath(Arg_TextOrEmpty(name));
    if (log) MainConsole->Output("Output file is %s\n", path.c_str());
    std::FILE* stream = path.empty() ? nullptr : GameStreams_Open(path.c_str(), how);
    if (stream == nullptr) return;
    TextRecord& record = g_Text[id];
    record.stream = stream;
    record.name = path;
    record.state = TEXT_WRITE;
    Result_Real(result, id);
}

void Builtin_FileTextOpenWrite(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    OpenForWriting(result, args[0], "wb", true);
}

void Builtin_FileTextOpenAppend(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    OpenForWriting(result, args[0], "ab", false);
}

void Builtin_FileTextClose(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t id = IdOf(args[0]);
    if (id < 0) {
        Error_Show_Action("Trying to close unexisting text file.", false);
        return;
    }
    FreeText(g_Text[id]);
}

// The rest of the line; the line break stays unread.
void Builtin_FileTextReadString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    TextRecord* record = Reading(args[0]);
    if (record == nullptr) return;
    MemoryFile* file = record->memory;
    std::string text;
    while (!MemoryFile_Eoln(file)) text += static_cast<char>(MemoryFile_GetChar(file));
    Result_Text(result, text.c_str());
}

// Up to and including the next LF, at most 32768 bytes.
void Builtin_FileTextReadln(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    TextRecord* record = Reading(args[0]);
    if (record == nullptr) return;
    MemoryFile* file = record->memory;
    std::string text;
    while (!MemoryFile_Eof(file) && static_cast<int32_t>(text.size()) < LINE_LIMIT) {
        char c = static_cast<char>(MemoryFile_GetChar(file));
        text += c;
        if (c == '\n') break;
    }
    Result_Text(result, text.c_str());
}

void Builtin_FileTextReadReal(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    TextRecord* record = Reading(args[0]);
    if (record == nullptr) return;
    double value = 0;
    MemoryFile_ReadReal(record->memory, &value);
    Result_Real(result, value);
}

void Builtin_FileTextEof(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (TextRecord* record = Reading(args[0])) Result_Bool(result, MemoryFile_Eof(record->memory));
}

void Builtin_FileTextEoln(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (TextRecord* record = Reading(args[0])) Result_Bool(result, MemoryFile_Eoln(record->memory));
}

void Builtin_FileTextWriteString(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (TextRecord* record = Writing(args[0])) File_WriteTextMode(record->stream, Arg_Text(args[1]));
}

void Builtin_FileTextWriteReal(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (TextRecord* record = Writing(args[0]))
        File_WriteTextMode(record->stream, Numbers_Format("%g ", Arg_Real(args[1])).c_str());
}

void Builtin_FileTextWriteln(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (TextRecord* record = Writing(args[0])) File_WriteTextMode(record->stream, "\n");
}

const FunctionRow FILE_ID_ROWS[] = {
    {"file_bin_open", Builtin_FileBinOpen, 2},
    {"file_bin_rewrite", Builtin_FileBinRewrite, 1},
    {"file_bin_close", Builtin_FileBinClose, 1},
    {"file_bin_position", Builtin_FileBinPosition, 1},
    {"file_bin_size", Builtin_FileBinSize, 1},
    {"file_bin_seek", Builtin_FileBinSeek, 2},
    {"file_bin_read_byte", Builtin_FileBinReadByte, 1},
    {"file_bin_write_byte", Builtin_FileBinWriteByte, 2},
    {"file_text_open_from_string", Builtin_FileTextOpenFromString, 1},
    {"file_text_open_read", Builtin_FileTextOpenRead, 1},
    {"file_text_open_write", Builtin_FileTextOpenWrite, 1},
    {"file_text_open_append", Builtin_FileTextOpenAppend, 1},
    {"file_text_close", Builtin_FileTextClose, 1},
    {"file_text_read_string", Builtin_FileTextReadString, 1},
    {"file_text_read_real", Builtin_FileTextReadReal, 1},
    {"file_text_readln", Builtin_FileTextReadln, 1},
    {"file_text_eof", Builtin_FileTextEof, 1},
    {"file_text_eoln", Builtin_FileTextEoln, 1},
    {"file_text_write_string", Builtin_FileTextWriteString, 2},
    {"file_text_write_real", Builtin_FileTextWriteReal, 2},
    {"file_text_writeln", Builtin_FileTextWriteln, 1},
};

} // namespace

void Function_FileIds_Reset()
{
    for (int32_t id = 0; id < FILE_SLOTS; ++id) {
        FreeBinary(g_Binary[id]);
        FreeText(g_Text[id]);
    }
}

void Function_FileIds_Register()
{
    Function_AddRows(FILE_ID_ROWS);
}
