// The action family's table, and its motion, instance, sprite, timing and information actions on a
// played room.
#include <set>

#include "Function_GameTestSupport.h"
#include "Function_TestCases.h"
#include "base/Base_Random.h"
#include "function/Function_Families.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Names.h"

using namespace gametest;

TEST(ActionFamily, RegistersItsNamesInOrderAndTheObsoleteOnesShareOneRoutine)
{
    functiontest::ExpectRegisteredRun(
        "action_* path_old:3 set_relative:1 move:2 set_motion:2 set_hspeed:1 set_vspeed:1 set_gravity:2 "
        "set_friction:1 move_point:3 move_to:2 move_start:0 move_random:2 snap:2 wrap:1 reverse_xdir:0 "
        "reverse_ydir:0 move_contact:3 bounce:2 path:4 path_end:0 path_position:1 path_speed:1 linear_step:4 "
        "potential_step:4 kill_object:0 create_object:3 create_object_motion:5 create_object_random:6 "
        "change_object:2 kill_position:2 set_sprite:2 sprite_set:3 sprite_transform:4 sprite_color:2 sound:2 "
        "end_sound:1 if_sound:1 another_room:2 current_room:1 previous_room:1 next_room:1 if_previous_room:0 "
        "if_next_room:0 set_alarm:2 sleep:2 set_timeline:2 set_timeline_position:1 set_timeline_speed:1 "
        "timeline_set:4 timeline_start:0 timeline_pause:0 timeline_stop:0 message:1 show_info:0 show_video:3 "
        "end_game:0 restart_game:0 save_game:1 load_game:1 replace_sprite:3 replace_sound:2 "
        "replace_background:2 if_empty:3 if_collision:3 if:1 if_number:3 if_object:3 if_question:1 if_dice:1 "
        "if_mouse:1 if_aligned:2 execute_script:6 inherited:0 if_variable:3 draw_variable:3 highscore:0 "
        "set_score:1 if_score:2 draw_score:3 highscore_show:11 highscore_clear:0 set_life:1 if_life:2 "
        "draw_life:3 draw_life_images:3 set_health:1 if_health:2 draw_health:6 set_caption:6 partsyst_create:1 "
        "partsyst_destroy:0 partsyst_clear:0 parttype_create_old:6 parttype_create:6 parttype_color:6 "
        "parttype_life:3 parttype_speed:6 parttype_gravity:3 parttype_secondary:5 partemit_create:6 "
        "partemit_destroy:1 partemit_burst:3 partemit_stream:3 cd_play:2 cd_stop:0 cd_pause:0 cd_resume:0 "
        "cd_present:0 cd_playing:0 set_cursor:2 webpage:1 fullscreen:1 snapshot:1 effect:6 draw_font:1 "
        "draw_font_old:6 fill_color:1 line_color:1 draw_sprite:4 draw_background:4 draw_text:3 "
        "draw_text_transformed:6 draw_rectangle:5 draw_gradient_hor:6 draw_gradient_vert:6 draw_ellipse:5 "
        "draw_ellipse_gradient:6 draw_line:4 draw_arrow:5 color:1 font:2");
    for (const char* obsolete :
         {"action_highscore", "action_draw_font", "action_draw_font_old", "action_fill_color", "action_line_color"})
        EXPECT_EQ(functiontest::RoutineOf("action_path_old"), functiontest::RoutineOf(obsolete)) << obsolete;
}

class Actions : public GameFamilyTest {
  protected:
    // Objects: 0 obj_mover (sprite 0; notes its create event with speed, direction and the relative
    // flag, then turns the flag on; notes its destroy event; its alarm 0 notes the flag and moves),
    // 1 obj_wall (sprite 0, solid), 2 obj_extra (no sprite; notes its create event). Placed: 100001
    // mover at (100, 100), 100002 wall at (300, 300).
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        AddSquareSprite();
        PlayRooms({ObjectWith("obj_mover",
                              {{0, 0,
                                "test_note(\"create\", speed, direction, argument_relative);"
                                "action_set_relative(1);"},
                               {1, 0, "test_note(\"destroy\");"},
                               {2, 0, "test_note(\"alarm\", argument_relative); action_move_to(50, 60);"}},
                              0),
                   ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_extra", {{0, 0, "test_note(\"extra\");"}})},
                  {Placed(0, 100, 100), Placed(1, 300, 300)});
        mover = ById(100001);
        Random_Seed(1);
        Action_Relative = 0;
        m_Log.Clear();
        TakeNotes();
    }
    void TearDown() override
    {
        Action_Relative = 0;
        GameFamilyTest::TearDown();
    }
    CInstance* mover = nullptr;
};

TEST_F(Actions, RelativeFlagHoldsWithinOneEventOnly)
{
    // The create event turned the flag on at its end; the alarm event, later, starts with it off.
    Call("action_set_alarm", {1, 0}, mover);
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 alarm 0"}), TakeNotes());
    EXPECT_EQ(Reals(50, 60, 0), Reals(mover->i_x, mover->i_y, Action_Relative));
    for (auto [flag, on] : {std::pair{0.5, 1}, {0.49, 0}, {7.0, 1}, {-1.0, 0}}) {
        Call("action_set_relative", {flag});
        EXPECT_EQ(on, Action_Relative) << flag;
    }
}

TEST_F(Actions, MoveReadsNineMarksAsAKeypad)
{
    struct Case {
        testsupport::TestArg text;
        double speed;
        float wantSpeed, wantDirection;
        bool error;
    } cases[] = {{"100000000", 4, 4, 225, false}, {"000000001", 4, 4, 45, false}, {"010000000", 2, 2, 270, false},
                 {"000010000", 4, 0, 0, false},   {"000000000", 4, 3, 90, false}, {"00001000", 4, 3, 90, true},
                 {"0000100000", 4, 3, 90, true},  {5, 4, 3, 90, true}};
    for (const Case& c : cases) {
        mover->SetDirection(90);
        mover->SetSpeed(3);
        m_Log.Clear();
        Call("action_move", {c.text, c.speed}, mover);
        EXPECT_FLOAT_EQ(c.wantSpeed, mover->i_speed) << c.text.text;
        EXPECT_FLOAT_EQ(c.wantDirection, mover->i_direction) << c.text.text;
        EXPECT_EQ(c.error ? 1u : 0u, m_Log.Count("Wrong argument to action_move().")) << c.text.text;
    }
    // Several marks: only marked directions come up, each of them at some point.
    Random_Seed(7);
    std::set<float> seen;
    for (int i = 0; i < 60; ++i) {
        Call("action_move", {"101000000", 1}, mover);
        seen.insert(mover->i_direction);
    }
    EXPECT_EQ((std::set<float>{225, 315}), seen);
}

TEST_F(Actions, RelativeOffsetsPositionsAndAddsQuantities)
{
    // Each case starts at (100, 100) moving up at speed 2, with the variable at `before`.
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* variable;
        int32_t index;
        double before, absolute, relative;
    } cases[] = {
        {"action_move_to", {10, 0}, "x", 0, 100, 10, 110}, {"action_set_hspeed", {2}, "hspeed", 0, 3, 2, 5},
        {"action_set_vspeed", {-2}, "vspeed", 0, 3, -2, 1}, {"action_set_friction", {0.5}, "friction", 0, 0.25, 0.5, 0.75},
        {"action_set_gravity", {90, 1}, "gravity", 0, 2, 1, 3},
        {"action_set_gravity", {90, 1}, "gravity_direction", 0, 270, 90, 360},
        {"action_path_speed", {2}, "path_speed", 0, 1, 2, 3},
        {"action_set_timeline_position", {2.6}, "timeline_position", 0, 5, 3, 8},
        {"action_set_timeline_speed", {0.5}, "timeline_speed", 0, 1, 0.5, 1.5},
        // A stopped alarm is set, a running one added to; alarm 12 does not exist.
        {"action_set_alarm", {30, 0}, "alarm", 0, -1, 30, 30}, {"action_set_alarm", {30, 0}, "alarm", 0, 10, 30, 40},
        {"action_set_alarm", {30, 12}, "alarm", 11, -1, -1, -1}, {"action_set_motion", {0, 2}, "vspeed", 0, -2, 0, -2},
        {"action_move_point", {10, 0, 5}, "direction", 0, 90, 131.99, 0},
    };
    for (const Case& c : cases) {
        for (uint8_t relative : {0, 1}) {
            mover->SetPosition(100, 100);
            mover->SetDirection(90);
            mover->SetSpeed(2);
            int32_t id = Code_Variable_Find(c.variable);
            ScriptValue value = {VALUE_REAL, 0, c.before};
            Variable_SetValue_Direct(mover, id, c.index, &value);
            Action_Relative = relative;
            Call(c.name, c.args, mover);
            Action_Relative = 0;
            Variable_GetValue_Direct(mover, id, c.index, &value);
            EXPECT_NEAR(relative ? c.relative : c.absolute, value.real, 0.01)
                << c.name << " " << c.variable << " relative " << int(relative);
        }
    }
}

TEST_F(Actions, CreatedInstancesRunTheirCreateEventMarked)
{
    const char* missing7 = "Creating instance for non-existing object: 7";
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        uint8_t relative;
        std::vector<std::string> notes; // "$" stands for the new id
        float x, y;
        const char* error;
    } cases[] = {
        {"action_create_object", {0, 10, 20}, 0, {"$ create 0 0 0"}, 10, 20, nullptr},
        {"action_create_object", {0, 10, 20}, 1, {"$ create 0 0 0"}, 110, 120, nullptr},
        // The motion is in place before the create event runs.
        {"action_create_object_motion", {0, 5, 6, 4, 90}, 0, {"$ create 4 90 0"}, 5, 6, nullptr},
        {"action_create_object", {7, 0, 0}, 0, {}, 0, 0, missing7},
        {"action_create_object_motion", {-1, 0, 0, 1, 1}, 0, {}, 0, 0, "Creating instance for non-existing object: -1"},
        // Only the third of the four exists: always that one; none existing: nothing, silently.
        {"action_create_object_random", {7, 8, 2, 9, 30, 40}, 0, {"$ extra"}, 30, 40, nullptr},
        {"action_create_object_random", {7, 8, 2, 9, 30, 40}, 1, {"$ extra"}, 30, 40, nullptr},
        {"action_create_object_random", {7, 8, 10, 9, 30, 40}, 0, {}, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        m_Log.Clear();
        int32_t before = g_InstanceIdCounter;
        Action_Relative = c.relative;
        Call(c.name, c.args, mover);
        Action_Relative = 0;
        std::vector<std::string> want;
        for (std::string note : c.notes) want.push_back(note.replace(0, 1, std::to_string(before + 1)));
        EXPECT_EQ(want, TakeNotes()) << c.name;
        CInstance* made = c.notes.empty() ? nullptr : ById(before + 1);
        EXPECT_EQ(c.notes.empty(), made == nullptr) << c.name;
        if (made != nullptr) {
            EXPECT_EQ(Reals(1, c.x, c.y), Reals(made->m_CreatedMark, made->i_x, made->i_y)) << c.name;
        }
        EXPECT_EQ(c.error != nullptr ? 1u : 0u, m_Log.Count(c.error != nullptr ? c.error : "non-existing")) << c.name;
    }
}

TEST_F(Actions, KillingSelfRunsTheDestroyEventOnce)
{
    Call("action_kill_object", {}, mover);
    Call("action_kill_object", {}, mover);
    EXPECT_EQ((std::vector<std::string>{"100001 destroy"}), TakeNotes());
    EXPECT_TRUE(mover->IsMarked());
    // A position kill takes its point relative to self.
    Call("action_kill_position", {5, 5}, ById(100002));
    EXPECT_FALSE(ById(100002)->IsMarked());
    Action_Relative = 1;
    Call("action_kill_position", {5, 5}, ById(100002)); // (305, 305) from the wall at (300, 300)
    Action_Relative = 0;
    EXPECT_TRUE(ById(100002)->IsMarked());
}

TEST_F(Actions, TimeLinesAndSpritesTakeTheirSettings)
{
    // Each call in turn, then the variables it must have set.
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        std::vector<std::pair<const char*, double>> want;
    } cases[] = {
        {"action_timeline_set", {3, 2.5, 1, 1},
         {{"timeline_index", 3}, {"timeline_position", 2}, {"timeline_running", 0}, {"timeline_loop", 1}}},
        {"action_timeline_start", {}, {{"timeline_running", 1}}},
        {"action_timeline_set", {3, 7.5, 0, 2}, {{"timeline_position", 8}, {"timeline_running", 1}, {"timeline_loop", 0}}},
        {"action_timeline_pause", {}, {{"timeline_running", 0}, {"timeline_position", 8}}},
        {"action_timeline_stop", {}, {{"timeline_position", 0}}},
        {"action_set_timeline", {4, 1.4}, {{"timeline_index", 4}, {"timeline_position", 1}, {"timeline_running", 1}}},
        {"action_set_sprite", {0, 2}, {{"image_xscale", 2}, {"image_yscale", 2}}},
        {"action_set_sprite", {0, 0}, {{"image_xscale", 2}}}, {"action_sprite_set", {0, -1, 0.5}, {{"image_speed", 0.5}}},
        {"action_sprite_set", {0, 3, 1}, {{"image_index", 3}}},
        {"action_sprite_transform", {2, 3, 45, 3}, {{"image_xscale", -2}, {"image_yscale", -3}, {"image_angle", 45}}},
        {"action_sprite_transform", {2, 3, 0, 1}, {{"image_xscale", -2}, {"image_yscale", 3}}},
        {"action_sprite_color", {255, 0.5}, {{"image_blend", 255}, {"image_alpha", 0.5}}},
        {"action_path_end", {}, {{"path_index", -1}, {"path_speed", 0}}},
    };
    for (const Case& c : cases) {
        Call(c.name, c.args, mover);
        for (const auto& [variable, want] : c.want) {
            ScriptValue value = {VALUE_REAL, 0, 0.0};
            Variable_GetValue_Direct(mover, Code_Variable_Find(variable), 0, &value);
            EXPECT_DOUBLE_EQ(want, value.real) << c.name << " " << variable;
        }
    }
}

TEST_F(Actions, WrapAndRandomMovesKeepToTheRoom)
{
    // Wrapped by the room's size (the test sprite is not in the sprite table, so no sprite size is
    // added), only in the direction of motion: mode, speeds, position, then the position wrapped.
    const float wraps[][7] = {{0, 2, 2, 645, 490, 5, 490},  {1, 2, 2, 645, 490, 645, 10}, {2, -2, -2, -5, -5, 635, 475},
                              {2, 2, 2, -5, -5, -5, -5}, {5, 2, 2, 645, 490, 645, 490}};
    for (const auto& w : wraps) {
        mover->SetHSpeed(w[1]);
        mover->SetVSpeed(w[2]);
        mover->SetPosition(w[3], w[4]);
        Call("action_wrap", {w[0]}, mover);
        EXPECT_EQ(Reals(w[5], w[6]), Reals(mover->i_x, mover->i_y)) << w[0];
    }
    Random_Seed(3);
    for (int i = 0; i < 20; ++i) {
        Call("action_move_random", {32, 16}, mover);
        const InstanceBox& box = mover->GetBoundingBox();
        EXPECT_EQ(0, int(mover->i_x) % 32 + int(mover->i_y) % 16);
        EXPECT_TRUE(box.left >= 0 && box.right < 640 && box.top >= 0 && box.bottom < 480);
        EXPECT_FALSE(Run_PlaceMeeting(mover, 1, mover->i_x, mover->i_y));
    }
}

TEST_F(Actions, QuestionsOnPlacesRoomsAndAlignment)
{
    mover->SetPosition(32.0005f, 64);
    functiontest::ExpectCases(
        {{"action_if_empty", {300, 300, 0}, 0}, {"action_if_empty", {300, 300, 1}, 0}, {"action_if_empty", {200, 200, 0}, 1},
         {"action_if_collision", {300, 300, 0.3}, 1}, {"action_if_object", {1, 290, 290}, 1},
         {"action_if_object", {1, 0, 0}, 0}, {"action_if_number", {1, 1, 0}, 1}, {"action_if_number", {1, 2, 1}, 1},
         {"action_if_number", {1, 1, 2}, 0}, {"action_if_aligned", {32, 32}, 1}, {"action_if_aligned", {0, 32}, 1},
         {"action_if_aligned", {32, 48}, 0}, {"action_if_previous_room", {}, 0}, {"action_if_next_room", {}, 0},
         {"action_if", {"yes"}, "yes"}, {"action_if", {2.5}, 2.5}},
        mover);
    Action_Relative = 1;
    EXPECT_EQ(1, Call("action_if_collision", {268, 236, 0}, mover));
    Action_Relative = 0;
    mover->SetPosition(33, 64);
    EXPECT_EQ(0, Call("action_if_aligned", {32, 32}, mover));
}

TEST_F(Actions, MessagesShowTheTextAndAnswerOne)
{
    for (auto [text, shown] : {std::pair<testsupport::TestArg, const char*>{3, ": 3.000000e+000\n"},
                               {"hello#there", ": hello#there\n"}, {"", nullptr}, {-0.5, ": -5.000000e-001\n"}}) {
        m_Log.Clear();
        EXPECT_EQ(1, Call("action_message", {text}));
        if (shown != nullptr) EXPECT_EQ(1u, m_Log.Count(shown)) << m_Log.Text();
        else EXPECT_EQ("", m_Log.Text());
    }
}
