// Every text built-in over arbitrary bytes: the input is split at zero bytes into up to three texts,
// and its first bytes give the numbers (positions, counts, codes, some of them NaN, infinite or
// beyond 32 bits). Malformed UTF-8, above all a character cut short by the terminator, must never be
// read past its end; the sanitizer build checks every read.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/App_Startup.h"
#include "base/Base_Console.h"
#include "base/Base_Utf8.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "function/Function_MathText.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

const double SPECIAL[] = {NAN, INFINITY, -INFINITY, 1e10, -1e10, 2147483648.0, 0.5, 2.5, -0.5, 0};

ScriptValue Text(const std::string& text)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    Value_SetText(&value, text.c_str());
    return value;
}

ScriptValue Real(double real)
{
    return ScriptValue{VALUE_REAL, 0, real};
}

// Calls the row by name with the arguments, which it then frees; the result's text, if any.
std::string Call(const char* name, std::vector<ScriptValue> args)
{
    int32_t id = -1;
    Check(Code_Function_Find(name, &id));
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Function_Get(id)->routine(&result, nullptr, nullptr, static_cast<int32_t>(args.size()), args.data());
    const char* text = Value_GetText(&result);
    std::string answer = text != nullptr ? text : "";
    Value_Free(&result);
    for (ScriptValue& value : args)
        Value_Free(&value);
    return answer;
}

void Prepare()
{
    static SilentConsole silent;
    MainConsole = &silent;
    ScriptConsole = &silent;
    ScriptHeap_Init();
    g_GameOptions.showErrors = false;
    if (g_FunctionCount == 0) RegisterAllFunctionFamilies();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > 4096) return 0;
    Prepare();
    double small[2] = {static_cast<double>(static_cast<int8_t>(data[0])), static_cast<double>(static_cast<int8_t>(data[1]))};
    double special = SPECIAL[data[2] % (sizeof SPECIAL / sizeof SPECIAL[0])];
    int32_t repeat = data[3] % 64;
    std::string input(reinterpret_cast<const char*>(data + 4), size - 4);
    std::vector<std::string> parts;
    for (size_t start = 0; parts.size() < 3;) {
        size_t end = input.find('\0', start);
        parts.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    while (parts.size() < 3)
        parts.emplace_back();
    const std::string& a = parts[0];
    const std::string& b = parts[1];
    const std::string& c = parts[2];

    for (const char* name : {"real", "string", "ord", "string_length", "string_byte_length", "string_lower",
                             "string_upper", "string_letters", "string_digits", "string_lettersdigits"})
        Call(name, {Text(a)});
    for (double n : {small[0], small[1], special}) {
        Call("chr", {Real(n)});
        Call("ansi_char", {Real(n)});
        Call("string_char_at", {Text(a), Real(n)});
        Call("string_byte_at", {Text(a), Real(n)});
        Call("string_set_byte_at", {Text(a), Real(n), Real(small[1])});
        Call("string_copy", {Text(a), Real(n), Real(small[1])});
        Call("string_copy", {Text(a), Real(small[0]), Real(n)});
        Call("string_delete", {Text(a), Real(n), Real(small[1])});
        Call("string_insert", {Text(b), Text(a), Real(n)});
        Call("string_format", {Real(n), Real(small[0]), Real(small[1])});
    }
    Call("string_repeat", {Text(a), Real(repeat)});
    Call("string_pos", {Text(b), Text(a)});
    Call("string_count", {Text(b), Text(a)});
    Call("string_replace", {Text(a), Text(b), Text(c)});
    Call("string_replace_all", {Text(a), Text(b), Text(c)});

    // The whole text, taken character by character, is the text; its bytes are counted as they are.
    Check(UTF8_SubString(a.c_str(), 0, UTF8_Length(a.c_str())) == a);
    Check(Call("string", {Text(a)}) == a);
    std::string deleted = a;
    UTF8_DeleteChars(deleted, static_cast<int64_t>(small[0]), static_cast<int64_t>(small[1]));
    Check(deleted.size() <= a.size());
    return 0;
}
