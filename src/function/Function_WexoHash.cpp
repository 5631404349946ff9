// Hashing and encoding built-ins of the platform services: base64, and MD5 and SHA-1 of texts
// (as UTF-8 bytes or as 16-bit characters) and of files. Each answers the empty string unless it
// gets exactly one string argument (with text, for the digests).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Base64.h"
#include "base/Base_Utf8.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "support/Support_Hash.h"
#include "support/Support_MemoryFile.h"
#include "support/Support_SaveArea.h"

namespace {

constexpr int32_t PATH_CAPACITY = 2048;
constexpr size_t FILE_BLOCK = 2048;

// The one string argument, or null (then the result stays the empty string).
const char* OnlyText(ScriptValue* result, int32_t argc, const ScriptValue* args, bool needText)
{
    Result_Text(result, "");
    if (argc != 1 || !Arg_IsString(args[0])) return nullptr;
    const char* text = Arg_TextOrEmpty(args[0]);
    return needText && text[0] == '\0' ? nullptr : text;
}

// The text as 16-bit characters, each stored little-endian.
std::vector<uint8_t> Utf16Bytes(const char* text)
{
    std::vector<uint8_t> bytes;
    while (*text != '\0') {
        uint16_t c = UTF8_ExtractChar(&text);
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

// Feeds a file to a digest: the save-area copy block by block to its end when it is there, else the
// bundle copy whole. False when the file is in neither place.
template <typename Feed> bool FeedFile(const char* name, Feed feed)
{
    if (LoadSave_FileExistsSaveArea(name)) {
        char path[PATH_CAPACITY];
        LoadSave_SaveAreaPath(path, PATH_CAPACITY, name);
        std::FILE* file = std::fopen(path, "rb");
        if (file == nullptr) return false;
        uint8_t block[FILE_BLOCK];
        size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0) feed(block, got);
        std::fclose(file);
        return true;
    }
    if (!LoadSave_FileExistsBundle(name)) return false;
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, PATH_CAPACITY, name);
    int32_t length = 0;
    uint8_t* data = LoadSave_ReadWholeFile(path, &length);
    if (data == nullptr) return false;
    MemoryFile* file = MemoryFile_Adopt(data, length, false);
    feed(file->data, static_cast<size_t>(file->length));
    MemoryFile_Free(file);
    return true;
}

std::string Md5Of(const uint8_t* bytes, size_t length)
{
    MD5Context context;
    MD5_Init(&context);
    MD5_Update(&context, bytes, length);
    MD5_Final(&context);
    return MD5_Hex(context);
}

std::string Sha1Of(const uint8_t* bytes, size_t length)
{
    SHA1Context context;
    SHA1_Reset(&context);
    SHA1_Input(&context, bytes, length);
    return SHA1_Result(&context) ? SHA1_Hex(context) : std::string();
}

void Builtin_Base64Encode(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    const char* text = OnlyText(result, argc, args, false);
    if (text == nullptr) return;
    uint32_t length = static_cast<uint32_t>(std::strlen(text));
    std::vector<char> encoded(Base64_EncodedSize(length));
    Base64_Encode(text, length, encoded.data());
    Result_Text(result, encoded.data());
}

// The decoded bytes up to the first zero byte.
void Builtin_Base64Decode(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    const char* text = OnlyText(result, argc, args, false);
    if (text == nullptr) return;
    size_t length = std::strlen(text);
    std::vector<char> decoded(length * 3 / 4 + 4);
    Base64_Decode(text, decoded.data(), static_cast<uint32_t>(decoded.size()), true);
    Result_Text(result, decoded.data());
}

void Builtin_Md5StringUnicode(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (const char* text = OnlyText(result, argc, args, true)) {
        std::vector<uint8_t> bytes = Utf16Bytes(text);
        Result_Text(result, Md5Of(bytes.data(), bytes.size()).c_str());
    }
}

void Builtin_Md5StringUtf8(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (const char* text = OnlyText(result, argc, args, true))
        Result_Text(result, Md5Of(reinterpret_cast<const uint8_t*>(text), std::strlen(text)).c_str());
}

void Builtin_Md5File(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    const char* name = OnlyText(result, argc, args, true);
    if (name == nullptr) return;
    MD5Context context;
    MD5_Init(&context);
    if (!FeedFile(name, [&](const uint8_t* bytes, size_t n) { MD5_Update(&context, bytes, n); })) return;
    MD5_Final(&context);
    Result_Text(result, MD5_Hex(context).c_str());
}

void Builtin_Sha1StringUnicode(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (const char* text = OnlyText(result, argc, args, true)) {
        std::vector<uint8_t> bytes = Utf16Bytes(text);
        Result_Text(result, Sha1Of(bytes.data(), bytes.size()).c_str());
    }
}

void Builtin_Sha1StringUtf8(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (const char* text = OnlyText(result, argc, args, true))
        Result_Text(result, Sha1Of(reinterpret_cast<const uint8_t*>(text), std::strlen(text)).c_str());
}

void Builtin_Sha1File(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    const char* name = OnlyText(result, argc, args, true);
    if (name == nullptr) return;
    SHA1Context context;
    SHA1_Reset(&context);
    if (!FeedFile(name, [&](const uint8_t* bytes, size_t n) { SHA1_Input(&context, bytes, n); })) return;
    if (SHA1_Result(&context)) Result_Text(result, SHA1_Hex(context).c_str());
}

const FunctionRow WEXO_HASH_ROWS[] = {
    {"base64_encode", Builtin_Base64Encode, 1},
    {"base64_decode", Builtin_Base64Decode, 1},
    {"md5_string_unicode", Builtin_Md5StringUnicode, 1},
    {"md5_string_utf8", Builtin_Md5StringUtf8, 1},
    {"md5_file", Builtin_Md5File, 1},
    {"sha1_string_unicode", Builtin_Sha1StringUnicode, 1},
    {"sha1_string_utf8", Builtin_Sha1StringUtf8, 1},
    {"sha1_file", Builtin_Sha1File, 1},
};

} // namespace

void Function_WexoHash_Register()
{
    Function_AddRows(WEXO_HASH_ROWS);
}
