// The registered table of built-in variables: every name in its row (compiled game code names
// variables by row) and exactly the read-only ones refusing assignment.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "variable/Variable_BuiltIn.h"

namespace {

// Registration order; a trailing '*' marks a read-only variable.
const char* const INSTANCE_NAMES =
    "x y xprevious yprevious xstart ystart hspeed vspeed direction speed friction gravity gravity_direction "
    "object_index* id* alarm solid visible persistent depth bbox_left* bbox_right* bbox_top* bbox_bottom* "
    "sprite_index image_index image_single image_number* sprite_width* sprite_height* sprite_xoffset* "
    "sprite_yoffset* image_xscale image_yscale image_angle image_alpha image_blend image_speed mask_index "
    "path_index* path_position path_positionprevious path_speed path_scale path_orientation path_endaction "
    "timeline_index timeline_position timeline_speed timeline_running timeline_loop async_load* phy_rotation "
    "phy_position_x phy_position_y phy_angular_velocity phy_linear_velocity_x phy_linear_velocity_y "
    "phy_speed_x "
    "phy_speed_y phy_bullet phy_fixed_rotation phy_active phy_mass* phy_inertia* phy_com_x* phy_com_y* "
    "phy_dynamic* phy_kinematic* phy_sleeping* phy_collision_points* phy_collision_x* phy_collision_y* "
    "phy_col_normal_x* phy_col_normal_y* display_aa* delta_time* webgl_enabled*";

const char* const GLOBAL_NAMES =
    "argument_relative* argument argument0 argument1 argument2 argument3 argument4 argument5 argument6 "
    "argument7 "
    "argument8 argument9 argument10 argument11 argument12 argument13 argument14 argument15 argument_count* "
    "debug_mode* room room_first* room_last* transition_kind transition_steps score lives health game_id* "
    "game_guid* working_directory* temp_directory* program_directory* instance_count* instance_id* "
    "room_width* "
    "room_height* room_caption room_speed room_persistent background_color background_showcolor "
    "background_visible background_foreground background_index background_x background_y background_width* "
    "background_height* background_htiled background_vtiled background_xscale background_yscale "
    "background_hspeed background_vspeed background_blend background_alpha view_enabled view_current* "
    "view_visible view_xview view_yview view_wview view_hview view_xport view_yport view_wport view_hport "
    "view_angle view_hborder view_vborder view_hspeed view_vspeed view_object view_surface_id mouse_x* "
    "mouse_y* "
    "mouse_button mouse_lastbutton keyboard_key keyboard_lastkey keyboard_lastchar keyboard_string "
    "cursor_sprite "
    "show_score show_lives show_health caption_score caption_lives caption_health fps* current_time* "
    "current_year* current_month* current_day* current_weekday* current_hour* current_minute* "
    "current_second* "
    "event_type* event_number* event_object* event_action* secure_mode* error_occurred error_last";

struct Expected {
    std::string name;
    bool readOnly;
};

std::vector<Expected> Split(const char* list)
{
    std::vector<Expected> names;
    std::istringstream in(list);
    for (std::string word; in >> word;) {
        bool readOnly = word.back() == '*';
        if (readOnly) word.pop_back();
        names.push_back({word, readOnly});
    }
    return names;
}

std::vector<Expected> AllRows()
{
    std::vector<Expected> rows = Split(INSTANCE_NAMES);
    EXPECT_EQ(78u, rows.size());
    std::vector<Expected> globals = Split(GLOBAL_NAMES);
    EXPECT_EQ(106u, globals.size());
    rows.insert(rows.end(), globals.begin(), globals.end());
    return rows;
}

TEST(BuiltinVariableTable, EveryNameStandsInItsRow)
{
    Variable_BuiltIn_Init();
    std::vector<Expected> expected = AllRows();
    ASSERT_EQ(184, g_BuiltinVariableCount);
    for (int32_t row = 0; row < g_BuiltinVariableCount; ++row) {
        const std::string& name = expected[static_cast<size_t>(row)].name;
        EXPECT_EQ(name, Variable_BuiltIn_Name(row)) << "row " << row;
        EXPECT_EQ(row, Variable_BuiltIn_Find(name.c_str()));
        EXPECT_NE(nullptr, g_BuiltinVariables[row].getter) << name;
    }
    EXPECT_EQ(0, Variable_BuiltIn_Find("x"));
    EXPECT_EQ(-1, Variable_BuiltIn_Find("X"));
    EXPECT_EQ(-1, Variable_BuiltIn_Find("argument16"));

    // A second start-up registers the same rows again.
    Variable_BuiltIn_Init();
    EXPECT_EQ(184, g_BuiltinVariableCount);
    EXPECT_EQ(183, Variable_BuiltIn_Find("error_last"));
}

TEST(BuiltinVariableTable, ExactlyTheReadOnlyVariablesRefuseAssignment)
{
    Variable_BuiltIn_Init();
    std::vector<Expected> expected = AllRows();
    ASSERT_EQ(expected.size(), static_cast<size_t>(g_BuiltinVariableCount));
    for (int32_t row = 0; row < g_BuiltinVariableCount; ++row) {
        const BuiltinVariableEntry& entry = g_BuiltinVariables[row];
        bool readOnly = expected[static_cast<size_t>(row)].readOnly;
        EXPECT_EQ(readOnly ? 0 : 1, entry.canSet) << entry.name;
        EXPECT_EQ(readOnly, entry.setter == nullptr) << entry.name;
    }
}

} // namespace
