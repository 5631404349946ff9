#include "datastructure/DataStructure_Json.h"

#include <json-c/json.h>

#include <climits>
#include <cstring>

#include "base/Base_Numbers.h"
#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"

namespace {

// Marked list elements are followed at most this deep; a structure that (through reused indices)
// comes to hold itself is written as null there rather than followed for ever.
constexpr int32_t MAX_NESTING = 64;

// ---- JSON to maps and lists ----------------------------------------------------------------------

int32_t MapFromJson(json_object* object);
int32_t ListFromJson(json_object* array);

// The value an element holds; nested objects and arrays become new structures it owns.
ScriptValue ValueFromJson(json_object* j)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    switch (json_object_get_type(j)) {
    case json_type_boolean:
        value.real = json_object_get_boolean(j) ? 1.0 : 0.0;
        break;
    case json_type_double:
        value.real = json_object_get_double(j);
        break;
    case json_type_int: {
        // The exact value: ids and times pass 2^31.
        int64_t whole = json_object_get_int64(j);
        value.real = whole == INT64_MAX ? double(json_object_get_uint64(j)) : double(whole);
        break;
    }
    case json_type_string:
        Value_SetText(&value, json_object_get_string(j));
        break;
    case json_type_object:
        value.kind = DS_MARK_MAP;
        value.real = MapFromJson(j);
        break;
    case json_type_array:
        value.kind = DS_MARK_LIST;
        value.real = ListFromJson(j);
        break;
    default:
        break;
    }
    return value;
}

// Null members are skipped. A member the map refuses (its key's hash is there already) takes its
// nested structure with it.
int32_t MapFromJson(json_object* object)
{
    int32_t index = DS_NewMap();
    CDS_Map* map = g_DSMaps.Get(index);
    json_object_iterator it = json_object_iter_begin(object);
    json_object_iterator end = json_object_iter_end(object);
    for (; !json_object_iter_equal(&it, &end); json_object_iter_next(&it)) {
        json_object* member = json_object_iter_peek_value(&it);
        if (json_object_get_type(member) == json_type_null) continue;
        ScriptValue key = {VALUE_REAL, 0, 0.0};
        Value_SetText(&key, json_object_iter_peek_name(&it));
        ScriptValue value = ValueFromJson(member);
        if (!map->Add(&key, &value)) DS_DestroyNested(&value);
        Value_Free(&key);
        Value_Free(&value);
    }
    return index;
}

// Every element is kept, nulls as the real 0.
int32_t ListFromJson(json_object* array)
{
    int32_t index = DS_NewList();
    CDS_List* list = g_DSLists.Get(index);
    size_t count = json_object_array_length(array);
    for (size_t i = 0; i < count; ++i) {
        ScriptValue value = ValueFromJson(json_object_array_get_idx(array, i));
        list->Add(&value);
        Value_Free(&value);
    }
    return index;
}

// ---- maps and lists to JSON ----------------------------------------------------------------------

json_object* PlainToJson(const ScriptValue& value)
{
    uint32_t kind = value.kind & VALUE_KIND_MASK;
    if (kind == VALUE_REAL) return json_object_new_double(value.real);
    if (kind == VALUE_STRING) {
        const char* text = Value_GetText(&value);
        return json_object_new_string(text != nullptr ? text : "");
    }
    return nullptr;
}

std::string KeyText(const ScriptValue& key)
{
    if ((key.kind & VALUE_KIND_MASK) == VALUE_STRING) {
        const char* text = Value_GetText(&key);
        return text != nullptr ? text : "";
    }
    return std::to_string(Numbers_TruncToInt64(key.real));
}

// Entries in walking order; values without their marks, so nested structures are index numbers.
json_object* MapToJson(const CDS_Map* map)
{
    json_object* object = json_object_new_object();
    for (CDS_MapNode* node = map->FindFirst(); node != nullptr; node = map->FindNext(&node->key))
        json_object_object_add(object, KeyText(node->key).c_str(), PlainToJson(node->value));
    return object;
}

json_object* ListToJson(CDS_List* list, int32_t depth);

// A list element follows its mark to the nested map or list it owns; a mark naming nothing is null.
json_object* ElementToJson(const ScriptValue& value, int32_t depth)
{
    if (!DS_IsNestedMark(value.kind)) return PlainToJson(value);
    int32_t index = Numbers_TruncToInt32(value.real);
    if ((value.kind & DS_MARK_MAP) != 0) {
        const CDS_Map* map = g_DSMaps.Get(index);
        return map != nullptr ? MapToJson(map) : nullptr;
    }
    CDS_List* list = g_DSLists.Get(index);
    return list != nullptr && depth < MAX_NESTING ? ListToJson(list, depth + 1) : nullptr;
}

json_object* ListToJson(CDS_List* list, int32_t depth)
{
    json_object* array = json_object_new_array();
    for (int32_t i = 0; i < list->Size(); ++i)
        json_object_array_add(array, ElementToJson(*list->GetValue(i), depth));
    return array;
}

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

json_object* ParseWrapped(const std::string& before, const char* text, const std::string& after)
{
    return json_tokener_parse((before + text + after).c_str());
}

} // namespace

int32_t DS_JsonDecode(const char* text)
{
    if (text == nullptr) text = "";
    size_t length = std::strlen(text);
    size_t first = 0;
    while (first < length && IsBlank(text[first])) ++first;
    size_t last = length;
    while (last > first && IsBlank(text[last - 1])) --last;
    bool braced = last - first >= 2 && text[first] == '{' && text[last - 1] == '}';
    bool bracketed = last - first >= 2 && text[first] == '[' && text[last - 1] == ']';
    json_object* parsed = braced      ? json_tokener_parse(text)
                          : bracketed ? ParseWrapped("{ \"default\" : ", text, " }")
                                      : ParseWrapped("{ \"default\" : \"", text, "\" }");
    if (parsed == nullptr) parsed = ParseWrapped("{ \"default\" : \"", text, "\" }");
    if (parsed == nullptr) return -1;
    int32_t index = json_object_get_type(parsed) == json_type_object ? MapFromJson(parsed) : -1;
    json_object_put(parsed);
    return index;
}

std::string DS_JsonEncode(int32_t mapIndex)
{
    const CDS_Map* map = g_DSMaps.Get(mapIndex);
    if (map == nullptr) return "";
    json_object* object = MapToJson(map);
    std::string text = json_object_to_json_string(object);
    json_object_put(object);
    return text;
}
