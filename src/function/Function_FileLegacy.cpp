// The older text-file functions: one implicit file, named as given (no mapping, no folders made),
// read and written in text mode.
#include <cstdio>
#include <string>

#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_File.h"
#include "function/Function_Registry.h"
#include "support/Support_File.h"
#include "support/Support_GameStreams.h"

namespace {

constexpr int32_t LINE_LIMIT = 32768;
constexpr size_t NUMBER_LIMIT = 512;

struct ImplicitFile {
    int32_t state = 0; // 0 closed, 1 reading, 2 writing
    std::string name;
    std::FILE* stream = nullptr;
};

ImplicitFile g_File;

void CloseImplicit()
{
    GameStreams_Close(g_File.stream);
    g_File = ImplicitFile();
}

void Open(const ScriptValue& name, const char* how, int32_t state)
{
    CloseImplicit();
    const char* text = Arg_Text(name);
    if (text == nullptr) return;
    if (state == 1 && !File_Exists(text)) return;
    g_File.stream = GameStreams_Open(text, how);
    if (g_File.stream == nullptr) return;
    g_File.state = state;
    g_File.name = text;
}

std::FILE* Reading()
{
    if (g_File.state == 1) return g_File.stream;
    Error_Show_Action("File not opened for reading.", false);
    return nullptr;
}

std::FILE* Writing()
{
    if (g_File.state == 2) return g_File.stream;
    Error_Show_Action("File not opened for writing.", false);
    return nullptr;
}

// Characters up to a line break (consumed), the end or the limit; the break itself is kept when
// `keepBreak` and only LF ends the line.
std::string ReadLine(std::FILE* file, bool keepBreak)
{
    std::string text;
    while (static_cast<int32_t>(text.size()) < LINE_LIMIT) {
        int c = File_ReadTextModeChar(file);
        if (c == EOF) break;
        if (keepBreak) {
            text += static_cast<char>(c);
            if (c == '\n') break;
        } else {
            if (c == '\n' || c == '\r') break;
            text += static_cast<char>(c);
        }
    }
    return text;
}

// White space, then the characters a number may hold; the first other character stays unread.
double ReadNumber(std::FILE* file)
{
    int c = File_ReadTextModeChar(file);
    while (File_IsSpace(c)) c = File_ReadTextModeChar(file);
    std::string text;
    while (c != EOF && File_IsNumberChar(c) && text.size() < NUMBER_LIMIT) {
        text += static_cast<char>(c);
        c = File_ReadTextModeChar(file);
    }
    if (c != EOF) std::ungetc(c, file);
    return Numbers_ParseReal(text.c_str());
}

void Builtin_FileOpenRead(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Open(args[0], "rb", 1);
}

void Builtin_FileOpenWrite(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Open(args[0], "w+b", 2);
}

void Builtin_FileOpenAppend(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Open(args[0], "a+b", 2);
}

void Builtin_FileClose(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    CloseImplicit();
}

void Builtin_FileReadString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (std::FILE* file = Reading()) Result_Text(result, ReadLine(file, false).c_str());
}

void Builtin_FileReadReal(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (std::FILE* file = Reading()) Result_Real(result, ReadNumber(file));
}

void Builtin_FileReadln(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (std::FILE* file = Reading()) Result_Text(result, ReadLine(file, true).c_str());
}

void Builtin_FileEof(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    std::FILE* file = Reading();
    if (file == nullptr) return;
    int c = std::fgetc(file);
    if (c != EOF) std::ungetc(c, file);
    Result_Bool(result, c == EOF || c == 0x1A);
}

void Builtin_FileWriteString(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (std::FILE* file = Writing()) File_WriteTextMode(file, Arg_Text(args[0]));
}

void Builtin_FileWriteReal(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (std::FILE* file = Writing()) File_WriteTextMode(file, Numbers_Format("%10.4f", Arg_Real(args[0])).c_str());
}

void Builtin_FileWriteln(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (std::FILE* file = Writing()) File_WriteTextMode(file, "\n");
}

const FunctionRow FILE_LEGACY_ROWS[] = {
    {"file_open_read", Builtin_FileOpenRead, 1},
    {"file_open_write", Builtin_FileOpenWrite, 1},
    {"file_open_append", Builtin_FileOpenAppend, 1},
    {"file_close", Builtin_FileClose, 0},
    {"file_read_string", Builtin_FileReadString, 0},
    {"file_read_real", Builtin_FileReadReal, 0},
    {"file_readln", Builtin_FileReadln, 0},
    {"file_eof", Builtin_FileEof, 0},
    {"file_write_string", Builtin_FileWriteString, 1},
    {"file_write_real", Builtin_FileWriteReal, 1},
    {"file_writeln", Builtin_FileWriteln, 0},
};

} // namespace

void Function_FileLegacy_Reset()
{
    CloseImplicit();
}

void Function_FileLegacy_Register()
{
    Function_AddRows(FILE_LEGACY_ROWS);
}
