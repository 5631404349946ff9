// Registration of the built-in function families. Each family file holds one table of rows in the
// order its names are registered; its registrar hands the table to Function_AddRows, which calls
// Function_Add once per row that exists under the game file's header.
//
// A few resource built-ins take other argument counts under the older headers ("GEN7", "GENL"), and
// some exist under one header only; a row carries both counts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "code/Code_Function.h"

// olderCount: the same count as under the current header.
constexpr int32_t FUNCTION_SAME_COUNT = -2;
// count or olderCount: the row is not registered under that header.
constexpr int32_t FUNCTION_NOT_REGISTERED = -3;

struct FunctionRow {
    const char* name;
    BuiltinRoutine routine;
    int32_t count;                            // current header; FUNCTION_ARGS_ANY for any number
    int32_t olderCount = FUNCTION_SAME_COUNT; // older headers
    BuiltinLeaf leaf = nullptr;               // the routine's leaf form, where it has one
    const BuiltinTextForms* textForms = nullptr; // its text forms, where it has them
};

enum class FunctionHeader : uint8_t { Current, Older };

// Chooses the header set from the header chunk's four-byte tag: "GEN7" and "GENL" are older, any
// other tag current. Start-up calls it before the families register.
void Function_SetHeaderTag(const char* tag);
FunctionHeader Function_Header();

// The row's count under the header in force, or FUNCTION_NOT_REGISTERED.
int32_t Function_RowCount(const FunctionRow& row);

void Function_AddRows(const FunctionRow* rows, size_t count);
template <size_t N> void Function_AddRows(const FunctionRow (&rows)[N])
{
    Function_AddRows(rows, N);
}
