// Every text built-in over arbitrary bytes: after four bytes that give the numbers (positions,
// counts, codes, some NaN, infinite or beyond 32 bits), the input is split at zero bytes into three
// texts. Malformed UTF-8, above all a character cut short by the terminator, must never be read past
// its end; the sanitizer build checks every read.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/App_Startup.h"
#include "base/Base_Console.h"
#include "base/Base_Utf8.h"
#include "code/Code_Function.h"
#include "function/Function_MathText.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

const double SPECIAL[] = {NAN, INFINITY, -INFINITY, 1e10, -1e10, 2147483648.0, 0.5, 2.5, -0.5, 0};

// An argument: a text, or a real when `text` is null.
struct Arg {
    const std::string* text;
    double real;
};

// Calls the row by name; the result's text ("" for a real).
std::string Call(const char* name, std::vector<Arg> given)
{
    std::vector<ScriptValue> args(given.size(), ScriptValue{VALUE_REAL, 0, 0.0});
    for (size_t i = 0; i < given.size(); ++i) {
        if (given[i].text != nullptr)
            Value_SetText(&args[i], given[i].text->c_str());
        else
            args[i].real = given[i].real;
    }
    int32_t id = -1;
    if (!Code_Function_Find(name, &id)) __builtin_trap();
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Function_Get(id)->routine(&result, nullptr, nullptr, static_cast<int32_t>(args.size()), args.data());
    std::string answer = Value_GetText(&result) != nullptr ? Value_GetText(&result) : "";
    Value_Free(&result);
    for (ScriptValue& value : args)
        Value_Free(&value);
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > 4096) return 0;
    static SilentConsole silent;
    MainConsole = ScriptConsole = &silent;
    ScriptHeap_Init();
    g_GameOptions.showErrors = false;
    if (g_FunctionCount == 0) RegisterAllFunctionFamilies();

    double numbers[3] = {static_cast<double>(static_cast<int8_t>(data[0])),
                         static_cast<double>(static_cast<int8_t>(data[1])),
                         SPECIAL[data[2] % (sizeof SPECIAL / sizeof SPECIAL[0])]};
    std::string t[3];
    for (size_t at = 4, part = 0; at < size && part < 3; ++at) {
        if (data[at] == 0)
            ++part;
        else
            t[part] += static_cast<char>(data[at]);
    }
    for (const char* name : {"real", "string", "ord", "string_length", "string_byte_length", "string_lower",
                             "string_upper", "string_letters", "string_digits", "string_lettersdigits"})
        Call(name, {{&t[0], 0}});
    for (double n : numbers) {
        Call("chr", {{nullptr, n}});
        Call("ansi_char", {{nullptr, n}});
        Call("string_char_at", {{&t[0], 0}, {nullptr, n}});
        Call("string_byte_at", {{&t[0], 0}, {nullptr, n}});
        for (const char* name : {"string_set_byte_at", "string_copy", "string_delete"}) {
            Call(name, {{&t[0], 0}, {nullptr, n}, {nullptr, numbers[1]}});
            Call(name, {{&t[0], 0}, {nullptr, numbers[0]}, {nullptr, n}});
        }
        Call("string_insert", {{&t[1], 0}, {&t[0], 0}, {nullptr, n}});
        Call("string_format", {{nullptr, n}, {nullptr, numbers[0]}, {nullptr, numbers[1]}});
    }
    Call("string_repeat", {{&t[0], 0}, {nullptr, static_cast<double>(data[3] % 64)}});
    for (const char* name : {"string_pos", "string_count"})
        Call(name, {{&t[1], 0}, {&t[0], 0}});
    for (const char* name : {"string_replace", "string_replace_all"})
        Call(name, {{&t[0], 0}, {&t[1], 0}, {&t[2], 0}});

    // Taken character by character, the whole text is the text.
    if (UTF8_SubString(t[0].c_str(), 0, UTF8_Length(t[0].c_str())) != t[0]) __builtin_trap();
    if (Call("string", {{&t[0], 0}}) != t[0]) __builtin_trap();
    return 0;
}
