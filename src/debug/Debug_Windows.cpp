// The information windows' contents: globals, the room's instances, one instance's variables.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "debug/Debug_Form.h"
#include "instance/Instance_Class.h"
#include "io/IO_Main.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"
#include "sprite/Sprite_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

namespace {

constexpr size_t GLOBALS_ROW_LIMIT = 256;
constexpr size_t LOCALS_ROW_LIMIT = 1024;
constexpr int32_t CONTROL_KEY = 17; // the virtual key of either Ctrl

const char* const GLOBAL_NAMES[] = {
    "mouse_x", "mouse_y", "mouse_button", "mouse_button", "mouse_lastbutton", "keyboard_key", "keyboard_lastkey",
    "keyboard_lastchar", "keyboard_string", "score", "lives", "health", "room", "room_width", "room_height",
    "room_speed", "room_persistent", "cursor_sprite", "working_directory", "temp_directory", "program_directory",
    "secure_mode", "error_occurred", "error_last"};

const char* const INSTANCE_NAMES[] = {
    "x", "y", "direction", "speed", "hspeed", "vspeed", "friction", "gravity", "gravity_direction", "id",
    "object_index", "sprite_index", "image_index", "image_angle", "image_speed", "image_scale", "image_alpha",
    "mask_index", "solid", "visible", "persistent", "depth", "path_index", "path_position", "path_orientation",
    "path_scale", "phy_rotation", "phy_position_x", "phy_position_y", "phy_angular_velocity",
    "phy_linear_velocity_x", "phy_linear_velocity_y", "phy_speed_x", "phy_speed_y", "phy_bullet",
    "phy_fixed_rotation", "phy_active", "phy_mass", "phy_inertia", "phy_com_x", "phy_com_y", "phy_dynamic",
    "phy_kinematic", "phy_sleeping", "phy_collision_points", "phy_collision_x", "phy_collision_y",
    "phy_col_normal_x", "phy_col_normal_y"};

// Texts over 8 bits are cut at the list's limit, never inside a character.
std::string Limited(std::string text, size_t limit)
{
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<uint8_t>(text[at]) & 0xC0) == 0x80) continue;
        if (characters++ == limit) return text.substr(0, at);
    }
    return text;
}

// A built-in variable read through its getter; false when it has none.
bool ReadBuiltin(const char* name, CInstance* instance, ScriptValue* value)
{
    BuiltinVariableEntry* row = Variable_BuiltIn_Get(Variable_BuiltIn_Find(name));
    if (row == nullptr || row->getter == nullptr) return false;
    row->getter(instance, 0, value);
    return true;
}

double BuiltinReal(const char* name, CInstance* instance)
{
    ScriptValue value{};
    ReadBuiltin(name, instance, &value);
    double real = Value_GetKind(&value) == VALUE_REAL ? value.real : 0;
    Value_Free(&value);
    return real;
}

std::string BuiltinText(const char* name, CInstance* instance)
{
    ScriptValue value{};
    if (!ReadBuiltin(name, instance, &value)) return "0";
    std::string text;
    Value_ToDisplayString(&text, &value);
    Value_Free(&value);
    return text;
}

// Name and value rows: the built-in names first, then the list's variables bucket by bucket.
void FillPairs(DebugWindowRecord* record, const char* const* names, size_t count, CInstance* instance,
               const CVariableList* variables, size_t limit)
{
    size_t row = 0;
    auto put = [&](const std::string& name, const std::string& value) {
        DebugWindow_SetRow(record, record->rows[0], row, Limited(name, limit));
        DebugWindow_SetRow(record, record->rows[1], row, Limited(value, limit));
        ++row;
    };
    for (size_t i = 0; i < count; ++i) put(names[i], BuiltinText(names[i], instance));
    for (int32_t bucket = 0; variables != nullptr && bucket < VARIABLE_BUCKETS; ++bucket)
        for (const VariableNode* node = variables->Bucket(bucket); node != nullptr; node = node->next) {
            std::string value;
            Value_ToDisplayString(&value, &node->value);
            put(Code_Variable_Find_Name(node->id), value);
        }
    DebugWindow_TrimRows(record, record->rows[0], row);
    DebugWindow_TrimRows(record, record->rows[1], row);
}

// The current room's instances in list order, without the deleted and the deactivated.
template <typename Visit> CInstance* FindInRoom(Visit matches)
{
    CRoom* room = Run_CurrentRoom();
    for (CInstance* i = room != nullptr ? room->m_Active.m_pHead : nullptr; i != nullptr; i = i->m_pNext)
        if (!i->IsMarked() && !i->IsDeactivated() && matches(i)) return i;
    return nullptr;
}

} // namespace

void DebugWindow_FillGlobals(CDebugForm* form)
{
    FillPairs(&form->records[DEBUG_WINDOW_GLOBALS], GLOBAL_NAMES, std::size(GLOBAL_NAMES), form->evaluationInstance,
              Variable_GlobalList(), GLOBALS_ROW_LIMIT);
}

void DebugWindow_FillInstances(CDebugForm* form)
{
    DebugWindowRecord* record = &form->records[DEBUG_WINDOW_INSTANCES];
    size_t row = 0;
    FindInRoom([&](CInstance* instance) {
        DebugWindow_SetRow(record, record->rows[0], row, std::to_string(instance->GetId()));
        DebugWindow_SetRow(record, record->rows[1], row, Object_Name(instance->GetObjectIndex()));
        DebugWindow_SetRow(record, record->rows[2], row, Sprite_GetName(instance->i_spriteindex));
        ++row;
        return false;
    });
    for (std::vector<std::string>& list : record->rows) DebugWindow_TrimRows(record, list, row);
}

void DebugWindow_FillLocals(CDebugForm* /*form*/, DebugWindowRecord* record)
{
    CInstance* instance = FindInRoom([&](CInstance* i) { return i->GetId() == record->instanceId; });
    if (instance == nullptr) {
        DebugWindow_TrimRows(record, record->rows[0], 0);
        DebugWindow_TrimRows(record, record->rows[1], 0);
        return;
    }
    FillPairs(record, INSTANCE_NAMES, std::size(INSTANCE_NAMES), instance, instance->GetVariables(), LOCALS_ROW_LIMIT);
}

int32_t DebugWindow_ChooseLocalsRecord(CDebugForm* form, CInstance* instance)
{
    for (int32_t i = DEBUG_WINDOW_FIRST_LOCALS; instance != nullptr && i < DEBUG_WINDOW_RECORDS; ++i)
        if (form->records[i].instanceId == instance->GetId()) return i;
    for (int32_t i = DEBUG_WINDOW_FIRST_LOCALS; i < DEBUG_WINDOW_RECORDS; ++i)
        if (!form->records[i].visible) return i;
    return DEBUG_WINDOW_RECORDS - 1;
}

void DebugWindow_OpenLocals(CDebugForm* form, CInstance* instance, int32_t index)
{
    DebugWindowRecord* record = &form->records[index];
    if (instance != nullptr) {
        record->caption = "Instance Var: " + std::string(Object_Name(instance->GetObjectIndex())) + " (" +
                          std::to_string(instance->GetId()) + ")";
        record->instanceId = instance->GetId();
    } else {
        record->caption = "Instance Var: Unknown (-1)";
        record->instanceId = -1;
    }
    DebugWindow_FillLocals(form, record);
}

bool DebugWindow_OpenLocalsByText(CDebugForm* form, const char* text, int32_t index)
{
    std::string given = text != nullptr ? text : "";
    int32_t number = static_cast<int32_t>(std::strtol(given.c_str(), nullptr, 10));
    // A text that reads as no number (and is not "0...") names an object.
    bool byName = !given.starts_with('0') && number == 0;
    int32_t id = byName ? -1 : number;
    std::string name = byName ? given : "##########";
    CInstance* instance = FindInRoom(
        [&](CInstance* i) { return i->GetId() == id || name == Object_Name(i->GetObjectIndex()); });
    if (instance == nullptr) return false;
    if (index < 0) index = DebugWindow_ChooseLocalsRecord(form, instance);
    DebugWindow_OpenLocals(form, instance, index);
    DebugWindow_Show(&form->records[index]);
    return true;
}

void DebugWindow_RefreshShown(CDebugForm* form)
{
    if (form->records[DEBUG_WINDOW_GLOBALS].visible) DebugWindow_FillGlobals(form);
    if (form->records[DEBUG_WINDOW_INSTANCES].visible) DebugWindow_FillInstances(form);
    for (int32_t i = DEBUG_WINDOW_FIRST_LOCALS; i < DEBUG_WINDOW_RECORDS; ++i)
        if (form->records[i].visible) DebugWindow_FillLocals(form, &form->records[i]);
}

void DebugForm_UpdateMouseLine(CDebugForm* form)
{
    float x = static_cast<float>(BuiltinReal("mouse_x", form->evaluationInstance));
    float y = static_cast<float>(BuiltinReal("mouse_y", form->evaluationInstance));
    bool open = BuiltinReal("mouse_button", form->evaluationInstance) > 0 && IO_RawKeyDown[CONTROL_KEY] != 0;
    DebugForm_MouseLineAt(form, x, y, open);
}

void DebugForm_MouseLineAt(CDebugForm* form, float x, float y, bool open)
{
    CInstance* under = FindInRoom([&](CInstance* i) { return i->CollisionPoint(x, y, 1); });
    form->status.mouse = under != nullptr ? DebugForm_FormatNumberLine("mouse id: ", under->GetId()) : "mouse id: ";
    if (under == nullptr || !open) return;
    int32_t index = DebugWindow_ChooseLocalsRecord(form, under);
    DebugWindow_OpenLocals(form, under, index);
    DebugWindow_Show(&form->records[index]);
}

void DebugWindow_DoubleClick(CDebugForm* form, int32_t index, int32_t row)
{
    DebugWindowRecord& record = form->records[index];
    if (row < 0 || static_cast<size_t>(row) >= record.rows[0].size()) return;
    const std::string& first = record.rows[0][static_cast<size_t>(row)];
    if (index == DEBUG_WINDOW_GLOBALS) {
        DebugForm_AddWatch(form, first.c_str());
    } else if (index == DEBUG_WINDOW_INSTANCES) {
        int32_t seen = 0;
        CInstance* instance = FindInRoom([&](CInstance*) { return seen++ == row; });
        if (instance == nullptr) return;
        int32_t chosen = DebugWindow_ChooseLocalsRecord(form, instance);
        DebugWindow_OpenLocals(form, instance, chosen);
        DebugWindow_Show(&form->records[chosen]);
    } else if (index >= DEBUG_WINDOW_FIRST_LOCALS) {
        std::string watch = "(" + std::to_string(record.instanceId) + ")." + first;
        DebugForm_AddWatch(form, watch.c_str());
    }
}

void DebugWindow_Wheel(CDebugForm* form, int32_t index, int32_t delta)
{
    DebugWindowRecord& record = form->records[index];
    int32_t step = delta > 0 ? -1 : 1;
    int32_t rows = static_cast<int32_t>(record.rows[0].size());
    if (record.multiSelect) {
        std::vector<uint8_t>& selected = form->messageSelected;
        auto first = std::find(selected.begin(), selected.end(), 1);
        if (first == selected.end()) return;
        int32_t row = static_cast<int32_t>(first - selected.begin()) + step;
        // Neither past the last row nor above the first: a row that is not there is not selected.
        if (row < 0 || row >= rows || static_cast<size_t>(row) >= selected.size()) return;
        *first = 0;
        selected[static_cast<size_t>(row)] = 1;
        record.selectedRow = row;
        return;
    }
    record.selectedRow = std::clamp(record.selectedRow + step, 0, rows);
}

void DebugForm_WheelWatches(CDebugForm* form, int32_t delta)
{
    int32_t rows = static_cast<int32_t>(form->expressionRows.size());
    form->selectedWatch = std::clamp(form->selectedWatch + (delta > 0 ? 1 : -1), 0, rows);
}
