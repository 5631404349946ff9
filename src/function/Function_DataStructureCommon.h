// What the data-structure routines share: finding a structure by its index argument (reporting a bad
// one), destroying, copying, and the text forms.
#pragma once

#include "datastructure/DataStructure_Tables.h"
#include "datastructure/DataStructure_Values.h"
#include "function/Function_Args.h"

// The structure the argument's index names (rounded half to even), or null after the report.
template <typename T>
T* DS_Find(DS_Table<T>& table, const ScriptValue& arg)
{
    T* structure = table.Get(Arg_Int(arg));
    if (structure == nullptr) DS_ReportMissing();
    return structure;
}

// With `silentWhenEmpty`, an index inside the table whose slot is already empty is no error.
template <typename T>
void DS_Destroy(DS_Table<T>& table, const ScriptValue& arg, bool silentWhenEmpty)
{
    int32_t index = Arg_Int(arg);
    if (table.Get(index) == nullptr) {
        if (!(silentWhenEmpty && table.InRange(index))) DS_ReportMissing();
        return;
    }
    delete table.Take(index);
}

// args[0] becomes a copy of args[1]; both must name structures.
template <typename T>
void DS_CopyStructure(DS_Table<T>& table, const ScriptValue* args)
{
    T* destination = DS_Find(table, args[0]);
    T* source = destination != nullptr ? DS_Find(table, args[1]) : nullptr;
    if (source != nullptr) destination->Copy(source);
}

template <typename T>
void DS_WriteText(DS_Table<T>& table, ScriptValue* result, const ScriptValue* args)
{
    if (T* structure = DS_Find(table, args[0])) Result_Text(result, structure->WriteToString().c_str());
}

// A text argument without text changes nothing.
template <typename T>
void DS_ReadText(DS_Table<T>& table, const ScriptValue* args)
{
    T* structure = DS_Find(table, args[0]);
    const char* text = Arg_Text(args[1]);
    if (structure != nullptr && text != nullptr) structure->ReadFromString(text);
}
