// The list's read and replace on reals, inline: the rows' leaf forms are made of them, and the
// register steps run them in place of the leaf's call where their loads are fused with it. A missing
// list (an error to report) and an element that is not a plain real (a text or array to copy or
// free, a mark to clear) decline: the routine takes them. A position outside the list reads 0 and
// replaces nothing, as the routine does.
#pragma once

#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Tables.h"
#include "function/Function_Args.h"

inline bool DS_ListReadReal(double handle, double pos, double* result)
{
    CDS_List* list = g_DSLists.Get(Real_Int(handle));
    if (list == nullptr) return false;
    const int32_t at = Real_Int(pos);
    if (!list->Holds(at)) {
        *result = 0.0;
        return true;
    }
    const ScriptValue& element = list->At(at);
    if (Value_GetKind(&element) != VALUE_REAL) return false;
    *result = element.real;
    return true;
}

inline bool DS_ListReplaceReal(double handle, double pos, double value)
{
    CDS_List* list = g_DSLists.Get(Real_Int(handle));
    if (list == nullptr) return false;
    const int32_t at = Real_Int(pos);
    if (!list->Holds(at)) return true;
    ScriptValue& element = list->At(at);
    if (element.kind != VALUE_REAL) return false;
    element.real = value;
    return true;
}

// The rows' leaf forms of ds_list_find_value and ds_list_replace: binding knows them by address.
bool Leaf_DsListFindValue(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_DsListReplace(CInstance* self, CInstance* other, const double* top, double* result);
