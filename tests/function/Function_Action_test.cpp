// The action family on played rooms: its table; its motion, instance, sprite, timing and
// information actions; its questions, scripts, score, lives and health, particle slots, and the
// messages of its drawing and resource actions.
#include <set>

#include "Function_GameTestSupport.h"
#include "Function_TestCases.h"
#include "base/Base_Random.h"
#include "function/Function_Action.h"
#include "function/Function_Families.h"
#include "run/Run_Globals.h"
#include "sprite/Sprite_Table.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Names.h"

using namespace gametest;
using testsupport::TestArg;

TEST(ActionFamily, RegistersItsNamesInOrderAndTheObsoleteOnesShareOneRoutine)
{
    functiontest::ExpectRegisteredRun(
        "action_* path_old:3 set_relative:1 move:2 set_motion:2 ~ color:1 font:2");
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
        {"action_path_speed", {2}, "path_speed", 0, 1, 2, 3},
        {"action_set_timeline_speed", {0.5}, "timeline_speed", 0, 1, 0.5, 1.5},
        {"action_set_gravity", {90, 1}, "gravity_direction", 0, 270, 90, 360},
        {"action_set_timeline_position", {2.6}, "timeline_position", 0, 5, 3, 8},
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
        {"action_create_object", {0, 10, 20}, 1, {"$ create 0 0 0"}, 110, 120, nullptr},
        // The motion is in place before the create event runs.
        {"action_create_object_motion", {0, 5, 6, 4, 90}, 0, {"$ create 4 90 0"}, 5, 6, nullptr},
        {"action_create_object", {7, 0, 0}, 0, {}, 0, 0, missing7},
        {"action_create_object_motion", {-1, 0, 0, 1, 1}, 0, {}, 0, 0, "Creating instance for non-existing object: -1"},
        // Only the third of the four exists: always that one; none existing: nothing, silently.
        {"action_create_object_random", {7, 8, 2, 9, 30, 40}, 0, {"$ extra"}, 30, 40, nullptr},
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
        {"action_timeline_pause", {}, {{"timeline_running", 0}, {"timeline_position", 2}}},
        {"action_timeline_stop", {}, {{"timeline_position", 0}}},
        {"action_set_timeline", {4, 1.4}, {{"timeline_index", 4}, {"timeline_position", 1}, {"timeline_running", 1}}},
        {"action_set_sprite", {0, 2}, {{"image_xscale", 2}}}, {"action_set_sprite", {0, 0}, {{"image_yscale", 2}}},
        {"action_sprite_set", {0, -1, 0.5}, {{"image_speed", 0.5}}},
        {"action_sprite_transform", {2, 3, 45, 3}, {{"image_xscale", -2}, {"image_yscale", -3}, {"image_angle", 45}}},
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
    const float wraps[][7] = {{0, 2, 2, 645, 490, 5, 490}, {1, 2, 2, 645, 490, 645, 10}, {2, -2, -2, -5, -5, 635, 475},
                              {5, 2, 2, 645, 490, 645, 490}};
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
        {{"action_if_empty", {300, 300, 1}, 0}, {"action_if_empty", {200, 200, 0}, 1},
         {"action_if_collision", {300, 300, 0.3}, 1}, {"action_if_object", {1, 290, 290}, 1},
         {"action_if_number", {1, 1, 2}, 0}, {"action_if_aligned", {32, 32}, 1}, {"action_if_aligned", {0, 32}, 1},
         {"action_if_previous_room", {}, 0}, {"action_if_next_room", {}, 0},
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

class ActionRules : public GameFamilyTest {
  protected:
    // Objects: 0 obj_parent (its user event 0 notes "parent"), 1 obj_child (parent obj_parent; its
    // user event 0 notes "child" and runs the parent's; notes the no-more-lives and no-more-health
    // events). Scripts: 0 scr_sum (argument0 + argument1 + argument4), 1 scr_none (-1), 2
    // scr_text (argument0 and "!"). Placed: 100001 child at (10, 10).
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        gamebuild::ObjectDesc child =
            ObjectWith("obj_child", {{7, 10, "test_note(\"child\"); action_inherited();"},
                                     {7, 6, "test_note(\"no lives\");"},
                                     {7, 9, "test_note(\"no health\");"}});
        child.parent = 0;
        gamebuild::GameDesc game = OneRoomGame(
            {ObjectWith("obj_parent", {{7, 10, "test_note(\"parent\");"}}), child}, {Placed(1, 10, 10)});
        for (auto [name, source] : {std::pair{"scr_sum", "return argument0 + argument1 + argument4;"},
                                    {"scr_none", "return -1;"},
                                    {"scr_text", "return argument0 + \"!\";"}}) {
            gamebuild::ScriptDesc script;
            script.name = name;
            script.code.source = source;
            game.scripts.push_back(script);
        }
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        child = {};
        self = ById(100001);
        Random_Seed(5);
        m_Log.Clear();
        TakeNotes();
    }
    CInstance* self = nullptr;
};

TEST_F(ActionRules, CompareVariablesOfOneKindAndRollDice)
{
    struct Case {
        TestArg a, b;
        double operation, want;
        bool error;
    } cases[] = {{"abc", "abd", 1, 1, false}, {"abc", "abd", 2, 0, false}, {"abd", "abc", 4, 1, false},
                 {2, "2", 0, 0, true},        {"2", 2, 1, 0, true},        {2, 3, 1, 1, false},
                 {2.5, 2.5, 0.4, 1, false}};
    for (const Case& c : cases) {
        m_Log.Clear();
        EXPECT_EQ(c.want, Call("action_if_variable", {c.a, c.b, c.operation})) << c.a.text << " " << c.b.text;
        EXPECT_EQ(c.error ? 1u : 0u, m_Log.Count("Cannot compare arguments.")) << c.a.text;
    }
    // Sides, draws, and the range of how many of them come up 1. A thousand times the sides passes 32
    // bits: the range stays at the largest one.
    const int dice[][4] = {{1, 50, 50, 50},     {0, 50, 50, 50},    {-3, 50, 50, 50},
                           {6, 6000, 850, 1150}, {4294968, 300, 0, 0}, {2147484, 300, 0, 0}};
    for (const auto& d : dice) {
        int ones = 0;
        for (int i = 0; i < d[1]; ++i) ones += static_cast<int>(Call("action_if_dice", {d[0]}));
        EXPECT_TRUE(ones >= d[2] && ones <= d[3]) << d[0] << ": " << ones;
    }
}

TEST_F(ActionRules, ScoreLivesAndHealthRaiseTheirEventsOnCrossing)
{
    struct Step {
        const char* name;
        std::vector<TestArg> args;
        uint8_t relative;
        double want; // the quantity afterwards, or the question's answer
        const char* note;
    } steps[] = {
        {"action_set_life", {1}, 0, 1, nullptr},          {"action_set_life", {0}, 0, 0, "100001 no lives"},
        {"action_set_life", {3}, 1, 3, nullptr},          {"action_set_life", {-3}, 1, 0, "100001 no lives"},
        {"action_if_life", {0, 0}, 0, 1, nullptr},        {"action_set_health", {50}, 0, 50, nullptr},
        {"action_set_health", {-100}, 1, -50, "100001 no health"}, {"action_set_health", {-10}, 1, -60, nullptr},
        {"action_if_health", {-100, 2}, 0, 1, nullptr},   {"action_set_score", {10.4}, 0, 10, nullptr},
        {"action_if_score", {20, 1}, 0, 1, nullptr},      {"action_if_score", {20, 2}, 0, 0, nullptr},
        {"action_set_score", {2147483647}, 0, 2147483647, nullptr},
        {"action_set_score", {1}, 1, -2147483648.0, nullptr},
    };
    for (const Step& s : steps) {
        Action_Relative = s.relative;
        double answer = Call(s.name, s.args, self);
        Action_Relative = 0;
        std::string name = s.name;
        double got = name.find("_if_") != std::string::npos ? answer
                     : name == "action_set_life"            ? g_Lives
                     : name == "action_set_health"          ? g_Health
                                                            : g_Score;
        EXPECT_EQ(s.want, got) << s.name << " " << s.args[0].real;
        EXPECT_EQ(s.note ? std::vector<std::string>{s.note} : std::vector<std::string>{}, TakeNotes()) << s.name;
    }
}

TEST_F(ActionRules, CaptionsVariablesAndTheHighscoreBox)
{
    g_CaptionSettingsChanged = 0;
    Call("action_set_caption", {1, "Score: ", 2, "Lives: ", 0.9, "Health: "}); // flags on at one only
    EXPECT_EQ(Reals(1, 0, 1, 1), Reals(g_ShowScore, g_ShowLives, g_ShowHealth, g_CaptionSettingsChanged));
    EXPECT_EQ("Score: Lives: Health: ", g_CaptionScore + g_CaptionLives + g_CaptionHealth);
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    for (auto [real, want] : {std::pair{7.0, "7"}, {2.5, "      2.50"}, {1e10, "10000000000.00"}, {-0.125, "     -0.13"}}) {
        value.real = real;
        EXPECT_EQ(want, Action_VariableText(value)) << real;
    }
    std::string longText(3000, 'x');
    Value_SetText(&value, longText.c_str());
    EXPECT_EQ(longText, Action_VariableText(value));
    Value_Free(&value);
    double box[4];
    Action_HighscoreBox(640, 480, box);
    EXPECT_EQ((std::vector<double>{220, 140, 420, 340}), std::vector<double>(box, box + 4));
}

TEST_F(ActionRules, ScriptsAndTheParentsEventRunForSelf)
{
    EXPECT_EQ(8, Call("action_execute_script", {0, 1, 2, 3, 4, 5}, self));
    EXPECT_EQ("a!", testsupport::CallBuiltin("action_execute_script", {2, "a", 0, 0, 0, 0}, self).text);
    EXPECT_EQ(0u, m_Log.Count("ERROR"));
    EXPECT_EQ(Reals(-1, 0), Reals(Call("action_execute_script", {1, 0, 0, 0, 0, 0}, self),
                                  Call("action_execute_script", {9, 0, 0, 0, 0, 0}, self)));
    Perform_Event(self, self, 7, 10);
    EXPECT_EQ((std::vector<std::string>{"100001 child", "100001 parent"}), TakeNotes());
    Call("action_inherited", {}, nullptr); // without self: nothing
    EXPECT_EQ(std::vector<std::string>{}, TakeNotes());
}

TEST_F(ActionRules, ParticleSlotsMakeTheirTypesAndEmitters)
{
    const char* first = "The particle emitter must first be created.";
    EXPECT_EQ(-1, Action_ParticleSystem());
    for (auto [name, args, message] : std::vector<std::tuple<const char*, std::vector<TestArg>, bool>>{
             {"action_partsyst_destroy", {}, false}, {"action_partsyst_clear", {}, false},
             {"action_partemit_burst", {3, 0, 10}, true}, {"action_partemit_stream", {3, 0, 10}, true},
             {"action_partemit_create", {3, 0, 0, 10, 0, 10}, false}, {"action_partemit_burst", {3, 0, 10}, false},
             {"action_partemit_destroy", {3}, false}, {"action_partemit_burst", {3, 0, 10}, false},
             {"action_parttype_life", {2, 10, 20}, false}, {"action_parttype_secondary", {4, 2, 1, -1, 1}, false}}) {
        m_Log.Clear();
        Call(name, args);
        EXPECT_EQ(message ? 1u : 0u, m_Log.Count(first)) << name;
        if (std::string(name) == "action_partsyst_clear") {
            EXPECT_EQ(-1, Action_ParticleSystem());
        }
    }
    EXPECT_NE(-1, Action_ParticleSystem());
    EXPECT_NE(-1, Action_ParticleEmitter(3)); // destroyed, the slot keeps the id
    EXPECT_NE(-1, Action_ParticleType(2));
    EXPECT_EQ(-1, Action_ParticleType(4)); // its secondary slot -1 is refused
    EXPECT_EQ(-1, Action_ParticleType(16));
    Call("action_partsyst_create", {5});
    EXPECT_EQ(Reals(-1, -1), Reals(Action_ParticleType(2), Action_ParticleEmitter(3)));
    Call("action_partsyst_destroy", {});
    EXPECT_EQ(-1, Action_ParticleSystem());
}

TEST_F(ActionRules, MissingResourcesAreReportedAndMouseButtonsAsked)
{
    int32_t sprite = Sprite_AddEmpty();
    const char* replace = "Trying to replace non-existing resource.";
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        const char* message; // null: silent
    } cases[] = {
        {"action_replace_sprite", {99, "x.png", 1}, replace},
        {"action_replace_sprite", {sprite, "no_such_file.png", 1}, "File does not exist."},
        {"action_replace_sound", {99, "x.wav"}, replace}, {"action_replace_background", {0, "x.png"}, replace},
        {"action_sound", {99, 0}, "Trying to play non-existing sound."},
        {"action_end_sound", {99}, "Trying to stop non-existing sound."}, {"action_if_sound", {99}, nullptr},
        {"action_draw_sprite", {99, 0, 0, 0}, "Trying to draw a non-existing sprite."},
        {"action_draw_background", {99, 0, 0, 1}, "Trying to draw a non-existing background."},
        {"action_draw_life_images", {99, 0, 0}, nullptr}, {"action_cd_present", {}, nullptr},
        {"action_cd_playing", {}, nullptr},
    };
    for (const Case& c : cases) {
        m_Log.Clear();
        EXPECT_EQ(0, Call(c.name, c.args, self)) << c.name;
        EXPECT_EQ(c.message != nullptr ? 1u : 0u, m_Log.Count(c.message != nullptr ? c.message : "ERROR"))
            << c.name << "\n" << m_Log.Text();
    }
    Sprite_Delete(sprite);
    // Pressed, released (0: none); then if_mouse of 1, 2, 3 and 0: a button down or just released.
    const int mice[][6] = {{0, 0, 0, 0, 0, 1}, {1, 0, 1, 0, 0, 0}, {0, 1, 1, 0, 0, 1}, {3, 0, 0, 0, 1, 0}};
    for (const auto& m : mice) {
        IO_Clear();
        if (m[0] != 0) IO_OnMouseDown(m[0], 0, 0);
        if (m[1] != 0) {
            IO_OnMouseDown(m[1], 0, 0);
            IO_OnMouseUp(m[1], 0, 0);
        }
        IO_StartStep();
        EXPECT_EQ(Reals(m[2], m[3], m[4], m[5]), Reals(Call("action_if_mouse", {1}), Call("action_if_mouse", {2}),
                                                       Call("action_if_mouse", {3}), Call("action_if_mouse", {0})))
            << m[0] << " " << m[1];
    }
}
