// The action family's questions, scripts, score, lives and health, particle slots, and the
// messages of its drawing and resource actions.
#include "Function_GameTestSupport.h"
#include "base/Base_Random.h"
#include "function/Function_Action.h"
#include "function/Function_Families.h"
#include "run/Run_Globals.h"
#include "sprite/Sprite_Table.h"

using namespace gametest;
using testsupport::TestArg;

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
                 {"abc", "abc", 3, 1, false}, {"abc", "abc", 7, 1, false}, {"\xC3\xA9", "z", 2, 1, false},
                 {2, "2", 0, 0, true},        {"2", 2, 1, 0, true},        {2, 3, 1, 1, false},
                 {3, 2, 4, 1, false},         {2, 3, 4, 0, false},         {2.5, 2.5, 0.4, 1, false}};
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
        {"action_set_life", {1}, 0, 1, nullptr},         {"action_set_life", {0}, 0, 0, "100001 no lives"},
        {"action_set_life", {-1}, 0, -1, nullptr},       {"action_set_life", {3}, 1, 2, nullptr},
        {"action_set_life", {-2}, 1, 0, "100001 no lives"}, {"action_if_life", {0, 0}, 0, 1, nullptr},
        {"action_if_life", {1, 1}, 0, 1, nullptr},       {"action_set_health", {50}, 0, 50, nullptr},
        {"action_set_health", {-100}, 1, -50, "100001 no health"}, {"action_set_health", {-10}, 1, -60, nullptr},
        {"action_set_health", {0.5}, 0, 0.5, nullptr},   {"action_set_health", {0}, 0, 0, "100001 no health"},
        {"action_if_health", {-1, 2}, 0, 1, nullptr},    {"action_set_score", {10.4}, 0, 10, nullptr},
        {"action_set_score", {5}, 1, 15, nullptr},       {"action_if_score", {15, 0}, 0, 1, nullptr},
        {"action_if_score", {20, 1}, 0, 1, nullptr},     {"action_if_score", {20, 2}, 0, 0, nullptr},
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
    for (auto [real, want] : {std::pair{7.0, "7"}, {2.5, "      2.50"}, {7.25, "      7.25"}, {-3.0, "-3"},
                              {1e10, "10000000000.00"}, {-0.125, "     -0.13"}, {-2147483648.0, "-2147483648"}}) {
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
             {"action_partemit_burst", {16, 0, 10}, false}, {"action_partemit_burst", {3, 16, 10}, false},
             {"action_partemit_create", {3, 0, 0, 10, 0, 10}, false}, {"action_partemit_burst", {3, 0, 10}, false},
             {"action_partemit_destroy", {3}, false}, {"action_partemit_burst", {3, 0, 10}, false},
             {"action_parttype_life", {2, 10, 20}, false}, {"action_parttype_life", {16, 10, 20}, false},
             {"action_parttype_secondary", {4, 2, 1, -1, 1}, false}}) {
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
