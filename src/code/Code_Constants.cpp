#include "code/Code_Constants.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "background/Background_Table.h"
#include "base/Base_Text.h"
#include "font/Font_Table.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Options.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "path/Path_Table.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_MessageBox.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "room/Room_Draw.h"
#include "script/Script_Table.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"
#include "sprite/Sprite_Table.h"
#include "timeline/Timeline_Table.h"

ConstantResourceLookup g_ConstantResourceLookups[CONSTANT_RESOURCE_KINDS] = {
    {"object", Object_Find}, {"sprite", Sprite_Find},         {"sound", Sound_Find},
    {"audio", Audio_Find},   {"background", Background_Find}, {"path", Path_Find},
    {"font", Font_Find},     {"timeline", TimeLine_Find},     {"script", Script_Find},
    {"room", Room_Find},
};

namespace {

char** g_Names = nullptr;
ScriptValue* g_Values = nullptr;
int32_t g_Count = 0;
int32_t g_Capacity = 0;
// The latest entry of each exact name: name resolution asks for every identifier it meets.
std::unordered_map<std::string, int32_t> g_LatestByName;

// One entry of the built-in list, or, with a count, a family named prefix + number: `count` names
// numbered from `first`, with values rising from `value`.
struct BuiltinConstant {
    const char* name;
    double value;
    int32_t count = 0;
    int32_t first = 0;
};

// In the order they are registered.
// clang-format off
const BuiltinConstant BUILTIN_CONSTANTS[] = {
    {"self", -1}, {"other", -2}, {"all", -3}, {"noone", -4}, {"global", -5}, {"local", -7},
    {"true", 1}, {"false", 0}, {"pi", static_cast<double>(3.14159265358979323846f)},
    {"pr_pointlist", 1}, {"pr_linelist", 2}, {"pr_linestrip", 3}, {"pr_trianglelist", 4},
    {"pr_trianglestrip", 5}, {"pr_trianglefan", 6},
    {"c_aqua", 16776960}, {"c_black", 0}, {"c_blue", 16711680}, {"c_dkgray", 4210752},
    {"c_fuchsia", 16711935}, {"c_gray", 8421504}, {"c_green", 32768}, {"c_lime", 65280},
    {"c_ltgray", 12632256}, {"c_maroon", 128}, {"c_navy", 8388608}, {"c_olive", 32896},
    {"c_purple", 8388736}, {"c_red", 255}, {"c_silver", 12632256}, {"c_teal", 8421376},
    {"c_white", 16777215}, {"c_yellow", 65535}, {"c_orange", 4235519},
    {"bm_normal", 0}, {"bm_add", 1}, {"bm_max", 2}, {"bm_subtract", 3}, {"bm_zero", 1}, {"bm_one", 2},
    {"bm_src_color", 3}, {"bm_inv_src_color", 4}, {"bm_src_alpha", 5}, {"bm_inv_src_alpha", 6},
    {"bm_dest_alpha", 7}, {"bm_inv_dest_alpha", 8}, {"bm_dest_color", 9}, {"bm_inv_dest_color", 10},
    {"bm_src_alpha_sat", 11},
    {"se_none", 0}, {"se_chorus", 1}, {"se_echo", 2}, {"se_flanger", 4}, {"se_gargle", 8},
    {"se_reverb", 16}, {"se_compressor", 32}, {"se_equalizer", 64},
    {"fa_left", 0}, {"fa_center", 1}, {"fa_right", 2}, {"fa_top", 0}, {"fa_middle", 1}, {"fa_bottom", 2},
    {"mb_any", -1}, {"mb_none", 0}, {"mb_left", 1}, {"mb_right", 2}, {"mb_middle", 3},
    {"vk_nokey", 0}, {"vk_anykey", 1}, {"vk_enter", 13}, {"vk_return", 13}, {"vk_shift", 16},
    {"vk_control", 17}, {"vk_alt", 18}, {"vk_escape", 27}, {"vk_space", 32}, {"vk_backspace", 8},
    {"vk_tab", 9}, {"vk_pause", 19}, {"vk_printscreen", 44}, {"vk_left", 37}, {"vk_right", 39},
    {"vk_up", 38}, {"vk_down", 40}, {"vk_home", 36}, {"vk_end", 35}, {"vk_delete", 46}, {"vk_insert", 45},
    {"vk_pageup", 33}, {"vk_pagedown", 34}, {"vk_f", 112, 12, 1}, {"vk_numpad", 96, 10, 0},
    {"vk_divide", 111}, {"vk_multiply", 106}, {"vk_subtract", 109}, {"vk_add", 107}, {"vk_decimal", 110},
    {"vk_lshift", 160}, {"vk_lcontrol", 162}, {"vk_lalt", 164}, {"vk_rshift", 161}, {"vk_rcontrol", 163},
    {"vk_ralt", 165},
    {"gp_face", 32769, 4, 1}, {"gp_shoulderl", 32773}, {"gp_shoulderr", 32774}, {"gp_shoulderlb", 32775},
    {"gp_shoulderrb", 32776}, {"gp_select", 32777}, {"gp_start", 32778}, {"gp_stickl", 32779},
    {"gp_stickr", 32780}, {"gp_padu", 32781}, {"gp_padd", 32782}, {"gp_padl", 32783}, {"gp_padr", 32784},
    {"gp_axislh", 32785}, {"gp_axislv", 32786}, {"gp_axisrh", 32787}, {"gp_axisrv", 32788},
    {"ev_create", 0}, {"ev_destroy", 1}, {"ev_alarm", 2}, {"ev_step", 3}, {"ev_collision", 4},
    {"ev_keyboard", 5}, {"ev_mouse", 6}, {"ev_other", 7}, {"ev_draw", 8}, {"ev_keypress", 9},
    {"ev_keyrelease", 10}, {"ev_left_button", 0}, {"ev_right_button", 1}, {"ev_middle_button", 2},
    {"ev_no_button", 3}, {"ev_left_press", 4}, {"ev_right_press", 5}, {"ev_middle_press", 6},
    {"ev_left_release", 7}, {"ev_right_release", 8}, {"ev_middle_release", 9}, {"ev_mouse_enter", 10},
    {"ev_mouse_leave", 11}, {"ev_global_press", 12}, {"ev_global_release", 13}, {"ev_joystick1_left", 16},
    {"ev_joystick1_right", 17}, {"ev_joystick1_up", 18}, {"ev_joystick1_down", 19},
    {"ev_joystick1_button", 21, 8, 1}, {"ev_joystick2_left", 31}, {"ev_joystick2_right", 32},
    {"ev_joystick2_up", 33}, {"ev_joystick2_down", 34}, {"ev_joystick2_button", 36, 8, 1},
    {"ev_global_left_button", 50}, {"ev_global_right_button", 51}, {"ev_global_middle_button", 52},
    {"ev_global_left_press", 53}, {"ev_global_right_press", 54}, {"ev_global_middle_press", 55},
    {"ev_global_left_release", 56}, {"ev_global_right_release", 57}, {"ev_global_middle_release", 58},
    {"ev_mouse_wheel_up", 60}, {"ev_mouse_wheel_down", 61}, {"ev_outside", 0}, {"ev_boundary", 1},
    {"ev_game_start", 2}, {"ev_game_end", 3}, {"ev_room_start", 4}, {"ev_room_end", 5},
    {"ev_no_more_lives", 6}, {"ev_animation_end", 7}, {"ev_end_of_path", 8}, {"ev_no_more_health", 9},
    {"ev_user", 10, 16, 0}, {"ev_close_button", 30}, {"ev_step_normal", 0}, {"ev_step_begin", 1},
    {"ev_step_end", 2}, {"ev_gui", 64},
    {"ty_real", 0}, {"ty_string", 1},
    {"dll_cdecl", 0}, {"dll_stdcall", 1},
    {"fa_readonly", 1}, {"fa_hidden", 2}, {"fa_sysfile", 4}, {"fa_volumeid", 8}, {"fa_directory", 16},
    {"fa_archive", 32},
    {"cr_default", 0}, {"cr_none", -1}, {"cr_arrow", -2}, {"cr_cross", -3}, {"cr_beam", -4},
    {"cr_size_nesw", -6}, {"cr_size_ns", -7}, {"cr_size_nwse", -8}, {"cr_size_we", -9},
    {"cr_uparrow", -10}, {"cr_hourglass", -11}, {"cr_drag", -12}, {"cr_nodrop", -13}, {"cr_hsplit", -14},
    {"cr_vsplit", -15}, {"cr_multidrag", -16}, {"cr_sqlwait", -17}, {"cr_no", -18}, {"cr_appstart", -19},
    {"cr_help", -20}, {"cr_handpoint", -21}, {"cr_size_all", -22},
    {"pt_shape_pixel", 0}, {"pt_shape_disk", 1}, {"pt_shape_square", 2}, {"pt_shape_line", 3},
    {"pt_shape_star", 4}, {"pt_shape_circle", 5}, {"pt_shape_ring", 6}, {"pt_shape_sphere", 7},
    {"pt_shape_flare", 8}, {"pt_shape_spark", 9}, {"pt_shape_explosion", 10}, {"pt_shape_cloud", 11},
    {"pt_shape_smoke", 12}, {"pt_shape_snow", 13},
    {"ps_distr_linear", 0}, {"ps_distr_gaussian", 1}, {"ps_distr_invgaussian", 2},
    {"ps_shape_rectangle", 0}, {"ps_shape_ellipse", 1}, {"ps_shape_diamond", 2}, {"ps_shape_line", 3},
    {"ps_force_constant", 0}, {"ps_force_linear", 1}, {"ps_force_quadratic", 2},
    {"ps_deflect_vertical", 0}, {"ps_deflect_horizontal", 1}, {"ps_change_all", 0}, {"ps_change_shape", 1},
    {"ps_change_motion", 2},
    {"ef_explosion", 0}, {"ef_ring", 1}, {"ef_ellipse", 2}, {"ef_firework", 3}, {"ef_smoke", 4},
    {"ef_smokeup", 5}, {"ef_star", 6}, {"ef_spark", 7}, {"ef_flare", 8}, {"ef_cloud", 9}, {"ef_rain", 10},
    {"ef_snow", 11},
    {"display_landscape", 0}, {"display_portrait", 1},
    {"phy_joint_anchor_1_x", 0}, {"phy_joint_anchor_1_y", 1}, {"phy_joint_anchor_2_x", 2},
    {"phy_joint_anchor_2_y", 3}, {"phy_joint_reaction_force_x", 4}, {"phy_joint_reaction_force_y", 5},
    {"phy_joint_reaction_torque", 6}, {"phy_joint_angle", 8}, {"phy_joint_motor_speed", 7},
    {"phy_joint_motor_torque", 9}, {"phy_joint_max_motor_torque", 10}, {"phy_joint_translation", 11},
    {"phy_joint_speed", 12}, {"phy_joint_motor_force", 13}, {"phy_joint_max_motor_force", 14},
    {"phy_joint_length_1", 15}, {"phy_joint_length_2", 16}, {"phy_joint_damping_ratio", 17},
    {"phy_joint_frequency", 18}, {"phy_debug_render_shapes", 1}, {"phy_debug_render_joints", 2},
    {"phy_debug_render_coms", 4}, {"phy_debug_render_aabb", 8}, {"phy_debug_render_obb", 16},
    {"phy_debug_render_core_shapes", 32}, {"phy_debug_render_collision_pairs", 64},
    {"audio_falloff_none", 0}, {"audio_falloff_inverse_distance", 1},
    {"audio_falloff_inverse_distance_clamped", 2}, {"audio_falloff_linear_distance", 3},
    {"audio_falloff_linear_distance_clamped", 4}, {"audio_falloff_exponent_distance", 5},
    {"audio_falloff_exponent_distance_clamped", 6}, {"audio_old_system", 0}, {"audio_new_system", 1},
    {"ov_friends", 0}, {"ov_community", 1}, {"ov_players", 2}, {"ov_settings", 3}, {"ov_gamegroup", 4},
    {"ov_achievements", 5},
    {"lb_sort_none", 0}, {"lb_sort_ascending", 1}, {"lb_sort_descending", 2}, {"lb_disp_none", 0},
    {"lb_disp_numeric", 1}, {"lb_disp_time_sec", 2}, {"lb_disp_time_ms", 3},
};
// clang-format on

void Grow()
{
    int32_t capacity = g_Capacity < 64 ? 64 : g_Capacity * 2;
    g_Names = static_cast<char**>(MEM_REALLOC(g_Names, sizeof(char*) * static_cast<size_t>(capacity)));
    g_Values =
        static_cast<ScriptValue*>(MEM_REALLOC(g_Values, sizeof(ScriptValue) * static_cast<size_t>(capacity)));
    g_Capacity = capacity;
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNamePart(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

bool IsValidName(const char* name)
{
    if (name == nullptr || !IsNameStart(name[0])) return false;
    for (const char* at = name + 1; *at != '\0'; ++at)
        if (!IsNamePart(*at)) return false;
    return true;
}

bool IsBuiltinName(const std::string& name)
{
    for (const BuiltinConstant& constant : BUILTIN_CONSTANTS)
        if (constant.count == 0 && name == constant.name) return true;
    return false;
}

// The latest constant of exactly the name; a built-in under its "colour" spelling (bm_src_colour)
// is the "color" constant.
int32_t LatestOf(const char* name)
{
    auto found = g_LatestByName.find(name);
    if (found != g_LatestByName.end()) return found->second;
    std::string color;
    if (!String_ColorSpelling(name, color) || !IsBuiltinName(color)) return -1;
    found = g_LatestByName.find(color);
    return found != g_LatestByName.end() ? found->second : -1;
}

bool EqualIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
}

} // namespace

void Constant_Add(const char* name, const ScriptValue* value)
{
    if (g_Count == g_Capacity) Grow();
    const char* safeName = name != nullptr ? name : "";
    g_Names[g_Count] = String_Copy(safeName);
    std::memset(&g_Values[g_Count], 0, sizeof(ScriptValue));
    Value_Copy(&g_Values[g_Count], value);
    g_LatestByName[safeName] = g_Count;
    ++g_Count;
}

void Constant_AddReal(const char* name, double value)
{
    ScriptValue real{};
    Value_SetReal(&real, value);
    Constant_Add(name, &real);
}

void Constant_Init()
{
    char name[64];
    for (const BuiltinConstant& constant : BUILTIN_CONSTANTS) {
        if (constant.count == 0) {
            Constant_AddReal(constant.name, constant.value);
            continue;
        }
        for (int32_t i = 0; i < constant.count; ++i) {
            std::snprintf(name, sizeof name, "%s%d", constant.name, constant.first + i);
            Constant_AddReal(name, constant.value + i);
        }
    }
    InitOsConstants();
}

bool Constant_Define(const char* name)
{
    char* trimmed = nullptr;
    Trim(&trimmed, name);
    bool valid = IsValidName(trimmed);
    if (valid) {
        Constant_AddReal(trimmed, 0.0);
    } else {
        std::string message =
            std::string("Constant name ") + (trimmed != nullptr ? trimmed : "") + "  is not valid.";
        ShowMessage(message.c_str());
    }
    MemoryManager::Free(trimmed);
    return valid;
}

bool Code_Constant_Prepare()
{
    for (int32_t i = 0; i < g_ConstantCount; ++i) {
        // A pair whose name offset was 0 carries no name: there is nothing to define.
        if (g_ConstantNames[i] == nullptr) continue;
        if (!Constant_Define(g_ConstantNames[i])) return false;
    }
    return true;
}

bool Constant_FindValue(const char* name, ScriptValue* value)
{
    if (name == nullptr) return false;
    for (const ConstantResourceLookup& lookup : g_ConstantResourceLookups) {
        int32_t index = lookup.find != nullptr ? lookup.find(name) : -1;
        if (index >= 0) {
            Value_SetReal(value, index);
            return true;
        }
    }
    int32_t latest = LatestOf(name);
    if (latest < 0) return false;
    Value_Free(value);
    Value_Copy(value, &g_Values[latest]);
    return true;
}

const ScriptValue* Constant_Find(const char* name)
{
    if (name == nullptr) return nullptr;
    for (int32_t i = g_Count - 1; i >= 0; --i)
        if (EqualIgnoringCase(g_Names[i], name)) return &g_Values[i];
    return nullptr;
}

void Constant_Clear()
{
    for (int32_t i = 0; i < g_Count; ++i) {
        MemoryManager::Free(g_Names[i]);
        Value_Free(&g_Values[i]);
    }
    MemoryManager::Free(g_Names);
    MemoryManager::Free(g_Values);
    g_Names = nullptr;
    g_Values = nullptr;
    g_Count = 0;
    g_Capacity = 0;
    g_LatestByName.clear();
}

int32_t Constant_Count()
{
    return g_Count;
}
