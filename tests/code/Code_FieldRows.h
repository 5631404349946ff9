// Built-in number fields for the interpreter's tests and fuzz targets: one value per instance,
// with the typed accessors the fast paths call (counted) and the getter and setter the general
// routines call; the setter refuses a text as a field of numbers does.
#pragma once

#include <map>

#include "Code_FakeWorld.h"
#include "variable/Variable_BuiltIn.h"

namespace vmtest {

inline std::map<const CInstance*, double> g_Fields;
inline int32_t g_FieldTypedCalls = 0;

inline double FieldReal(CInstance* instance)
{
    ++g_FieldTypedCalls;
    return g_Fields[instance];
}
inline void SetFieldReal(CInstance* instance, double real)
{
    ++g_FieldTypedCalls;
    g_Fields[instance] = real;
}
inline bool GetField(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    Value_SetReal(out, g_Fields[instance]);
    return true;
}
inline bool SetField(CInstance* instance, int32_t, const ScriptValue* value)
{
    if (instance == nullptr || Value_GetKind(value) != VALUE_REAL) return false;
    g_Fields[instance] = value->real;
    return true;
}

// A settable field and a read-only one of those names, each registered once.
inline void RegisterFieldRows(const char* settable, const char* readOnly)
{
    if (Variable_BuiltIn_Find(settable) < 0) Variable_BuiltIn_Add(settable, GetField, SetField, true);
    Variable_BuiltIn_SetRealAccess(Variable_BuiltIn_Find(settable), FieldReal, SetFieldReal);
    if (Variable_BuiltIn_Find(readOnly) < 0) Variable_BuiltIn_Add(readOnly, GetField, nullptr, false);
    Variable_BuiltIn_SetRealAccess(Variable_BuiltIn_Find(readOnly), FieldReal, nullptr);
}

// A settable field held as a float in the fake instance (FIELD: which), whose typed getter returns
// just that float: the translated code reads it in place, the general routines through the getter.
template <float FakeInstance::*FIELD> double FloatFieldReal(CInstance* instance) { return AsFake(instance)->*FIELD; }
template <float FakeInstance::*FIELD> void SetFloatFieldReal(CInstance* instance, double real)
{
    AsFake(instance)->*FIELD = static_cast<float>(real);
}
template <float FakeInstance::*FIELD> bool GetFloatField(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    Value_SetReal(out, FloatFieldReal<FIELD>(instance));
    return true;
}
template <float FakeInstance::*FIELD> bool SetFloatField(CInstance* instance, int32_t, const ScriptValue* value)
{
    if (instance == nullptr || Value_GetKind(value) != VALUE_REAL) return false;
    SetFloatFieldReal<FIELD>(instance, value->real);
    return true;
}
template <float FakeInstance::*FIELD = &FakeInstance::field> void RegisterFloatFieldRow(const char* name)
{
    FakeInstance probe;
    auto at = reinterpret_cast<uintptr_t>(&(probe.*FIELD)) - reinterpret_cast<uintptr_t>(&probe);
    if (Variable_BuiltIn_Find(name) < 0) Variable_BuiltIn_Add(name, GetFloatField<FIELD>, SetFloatField<FIELD>, true);
    Variable_BuiltIn_SetRealAccess(Variable_BuiltIn_Find(name), FloatFieldReal<FIELD>, SetFloatFieldReal<FIELD>,
                                   static_cast<int32_t>(at));
}

// A settable built-in array of four numbers per instance (`alarm[n]`), through its getter and
// setter alone as a built-in array is; an element outside 0..3 is refused, so that the general
// routine reports the store.
constexpr int32_t ELEMENT_FIELDS = 4;
inline std::map<std::pair<const CInstance*, int32_t>, double> g_ElementFields;

inline bool GetElementField(CInstance* instance, int32_t index, ScriptValue* out)
{
    if (instance == nullptr || index < 0 || index >= ELEMENT_FIELDS) return false;
    Value_SetReal(out, g_ElementFields[{instance, index}]);
    return true;
}
inline bool SetElementField(CInstance* instance, int32_t index, const ScriptValue* value)
{
    if (instance == nullptr || index < 0 || index >= ELEMENT_FIELDS || Value_GetKind(value) != VALUE_REAL) return false;
    g_ElementFields[{instance, index}] = value->real;
    return true;
}
inline void RegisterElementFieldRow(const char* name)
{
    if (Variable_BuiltIn_Find(name) < 0) Variable_BuiltIn_Add(name, GetElementField, SetElementField, true);
}

} // namespace vmtest
