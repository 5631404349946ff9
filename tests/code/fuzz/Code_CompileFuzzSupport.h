// What the compiler's fuzz targets share: the names arbitrary source text may use, and the input
// handed over as text in both of its forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "code/Code_Constants.h"
#include "code/Code_Function.h"
#include "variable/Variable_BuiltIn.h"

namespace compilefuzz {

inline void NoRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// Constants, a built-in variable and functions of each kind of argument count, so that calls,
// declarations and folding of named constants are reached. Once a process.
inline void DeclareNames()
{
    static bool declared = false;
    if (declared) return;
    declared = true;
    Constant_Init();
    Variable_BuiltIn_Add("x", nullptr, nullptr, true);
    Function_Add("f0", NoRoutine, 0);
    Function_Add("f1", NoRoutine, 1);
    Function_Add("f2", NoRoutine, 2);
    Function_Add("fn", NoRoutine, FUNCTION_ARGS_ANY);
}

// The input as source text (it ends at a NUL byte), given once as a program and once as an
// expression.
template <typename Compile> void CompileBothForms(const uint8_t* data, size_t size, Compile compile)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    compile(text.c_str(), false);
    compile(text.c_str(), true);
}

} // namespace compilefuzz
