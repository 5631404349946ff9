// Reading and writing built-in variables by name, as compiled code does through their rows, for the
// built-in variable tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "code/Code_Value.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_BuiltIn.h"

namespace bvtest {

// The row of a registered name; fails the test when there is none.
inline int32_t Row(const char* name)
{
    if (Variable_BuiltIn_Find(name) < 0) Variable_BuiltIn_Init();
    int32_t row = Variable_BuiltIn_Find(name);
    EXPECT_GE(row, 0) << name;
    return row;
}

// The real a variable reads as; NaN when its getter refuses.
inline double RealOf(CInstance* instance, const char* name, int32_t index = -1)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    bool ok = Variable_GetValue_Direct(instance, Row(name), index, &value);
    double real = ok ? value.real : std::nan("");
    Value_Free(&value);
    return real;
}

inline std::string TextOf(CInstance* instance, const char* name, int32_t index = -1)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    EXPECT_TRUE(Variable_GetValue_Direct(instance, Row(name), index, &value)) << name;
    EXPECT_EQ(uint32_t(VALUE_STRING), uint32_t(Value_GetKind(&value))) << name;
    const char* text = Value_GetText(&value);
    std::string result = text != nullptr ? text : "";
    Value_Free(&value);
    return result;
}

inline bool SetReal(CInstance* instance, const char* name, double real, int32_t index = -1)
{
    ScriptValue value = {VALUE_REAL, 0, real};
    return Variable_SetValue_Direct(instance, Row(name), index, &value);
}

inline bool SetText(CInstance* instance, const char* name, const char* text, int32_t index = -1)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    Value_SetText(&value, text);
    bool ok = Variable_SetValue_Direct(instance, Row(name), index, &value);
    Value_Free(&value);
    return ok;
}

// The array index of element [row, column].
inline int32_t At(int32_t row, int32_t column) { return row * ARRAY_ROW_SPAN + column; }

// A 32-bit float field reads back as the float nearest the real written.
inline double AsFloat(double real) { return static_cast<double>(static_cast<float>(real)); }

// One write and the read that follows it: `read` is what the variable then reads as (NaN: the
// read fails), `written` whether the write is accepted.
struct SetRead {
    const char* name;
    int32_t index;
    double value;
    double read;
    bool written = true;
};

inline void ExpectSetRead(CInstance* instance, std::initializer_list<SetRead> rows)
{
    for (const SetRead& row : rows) {
        EXPECT_EQ(row.written, SetReal(instance, row.name, row.value, row.index)) << row.name << " = " << row.value;
        double read = RealOf(instance, row.name, row.index);
        EXPECT_TRUE(std::isnan(row.read) ? std::isnan(read) : row.read == read)
            << row.name << "[" << row.index << "] after " << row.value << " reads " << read << ", not " << row.read;
    }
}

} // namespace bvtest
