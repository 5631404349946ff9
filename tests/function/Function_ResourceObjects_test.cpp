// The resource family's registrar, and the object and asset built-ins on a played room.
#include <string>

#include "Function_GameTestSupport.h"
#include "function/Function_Registry.h"
#include "sprite/Sprite_Table.h"

using namespace gametest;
using testsupport::TestArg;

namespace {

int32_t RowIndex(const char* name)
{
    for (int32_t i = 0; i < g_FunctionCount; ++i)
        if (std::string(g_FunctionTable[i].name) == name) return i;
    return -1;
}

// The object and asset group and the room group follow the sprite group, each row after the one
// before, with the same counts under every header.
TEST(ResourceRegistrar, ObjectAndRoomRowsInOrderAfterTheSprites)
{
    struct Row {
        const char* name;
        int32_t count;
    };
    const std::vector<Row> objects = {
        {"object_name", 1}, {"object_exists", 1}, {"object_get_name", 1}, {"object_get_sprite", 1},
        {"object_get_solid", 1}, {"object_get_visible", 1}, {"object_get_depth", 1}, {"object_get_persistent", 1},
        {"object_get_mask", 1}, {"object_get_parent", 1}, {"object_is_ancestor", 2}, {"object_set_sprite", 2},
        {"object_set_solid", 2}, {"object_set_visible", 2}, {"object_set_depth", 2}, {"object_set_persistent", 2},
        {"object_set_mask", 2}, {"object_set_parent", 2}, {"object_add", 0}, {"object_delete", 1},
        {"object_event_clear", 3}, {"object_event_add", 4}, {"asset_get_index", 1}, {"asset_get_type", 1}};
    const std::vector<Row> rooms = {
        {"room_exists", 1}, {"room_get_name", 1}, {"room_name", 1}, {"room_set_width", 2}, {"room_set_height", 2},
        {"room_set_caption", 2}, {"room_set_persistent", 2}, {"room_set_code", 2},
        {"room_set_background_color", 3}, {"room_set_background", 12}, {"room_set_view", 16},
        {"room_set_view_enabled", 2}, {"room_add", 0}, {"room_duplicate", 1}, {"room_assign", 2},
        {"room_instance_add", 4}, {"room_instance_clear", 1}, {"room_tile_add", 9}, {"room_tile_add_ext", 12},
        {"room_tile_clear", 1}};
    testsupport::RegisterBuiltins();
    for (const char* tag : {"GEN8", "GEN7"}) {
        Function_FreeTable();
        Function_SetHeaderTag(tag);
        RegisterAllFunctionFamilies();
        int32_t last = RowIndex("sprite_duplicate");
        ASSERT_GE(last, 0);
        for (const std::vector<Row>* group : {&objects, &rooms}) {
            for (const Row& row : *group) {
                int32_t at = RowIndex(row.name);
                EXPECT_GT(at, last) << tag << " " << row.name;
                if (at >= 0) {
                    EXPECT_EQ(row.count, g_FunctionTable[at].argCount) << tag << " " << row.name;
                }
                last = at;
            }
        }
    }
    Function_FreeTable();
    Function_SetHeaderTag("GEN8");
}

// Objects: 0 obj_pawn (notes its steps), 1 obj_base (notes its steps, no instance), 2 obj_kid (no
// events), 3 obj_quitter (deletes its own object in its step). Placed: 100001 pawn, 100002 kid.
class ObjectBuiltins : public GameFamilyTest {
  protected:
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        AddSquareSprite();
        PlayRooms({ObjectWith("obj_pawn", {{3, 0, "test_note(\"step\");"}}),
                   ObjectWith("obj_base", {{3, 0, "test_note(\"base\");"}}), ObjectWith("obj_kid", {}),
                   ObjectWith("obj_quitter", {{3, 0, "object_delete(object_index); test_note(\"gone\");"}})},
                  {Placed(0), Placed(2, 50, 0)});
        TakeNotes();
        m_Log.Clear();
    }
    void TearDown() override
    {
        GameFamilyTest::TearDown();
        Sprite_Reset();
    }
    // One frame; the notes it made.
    std::vector<std::string> Frame()
    {
        Tick();
        return TakeNotes();
    }
};

TEST_F(ObjectBuiltins, GettersAndSetters)
{
    struct Case {
        const char* setter; // null: only read
        std::vector<TestArg> args;
        const char* getter;
        TestArg index;
        double expected;
    } cases[] = {
        {nullptr, {}, "object_exists", -0.4, 1},
        {nullptr, {}, "object_exists", 4, 0},
        {nullptr, {}, "object_get_depth", -5, -1},
        {nullptr, {}, "object_get_sprite", 9, -1},
        {nullptr, {}, "object_get_visible", 0, 1},
        {nullptr, {}, "object_get_parent", 0, -1},
        {nullptr, {}, "object_get_mask", 0, -1},
        {"object_set_depth", {0, -2.7}, "object_get_depth", 0, -2}, // truncated
        {"object_set_depth", {0.5, 9.9}, "object_get_depth", 0, 9},  // the index rounds half to even
        {"object_set_sprite", {0, 1.5}, "object_get_sprite", 0, 2},
        {"object_set_mask", {0, 2.5}, "object_get_mask", 0, 2},
        {"object_set_solid", {0, 0.5}, "object_get_solid", 0, 1},
        {"object_set_visible", {0, 0.49}, "object_get_visible", 0, 0},
        {"object_set_persistent", {1.5, 1}, "object_get_persistent", 2, 1},
        {"object_set_depth", {7, 3}, "object_get_depth", 7, -1}, // a missing object stays missing
    };
    for (const Case& c : cases) {
        if (c.setter != nullptr) Call(c.setter, c.args);
        EXPECT_EQ(c.expected, Call(c.getter, {c.index})) << (c.setter ? c.setter : c.getter);
    }
    EXPECT_EQ("obj_kid", testsupport::CallText("object_get_name", {2}));
    EXPECT_EQ("<undefined>", testsupport::CallText("object_name", {-1}));
    EXPECT_EQ(4, Call("object_add", {}));
    EXPECT_EQ("__newobject4", testsupport::CallText("object_name", {4}));
    EXPECT_EQ("", m_Log.Text());
}

TEST_F(ObjectBuiltins, ParentsAndTheirEvents)
{
    struct Case {
        std::vector<TestArg> args;
        const char* message; // null: none
        double kidParent, baseParent;
    } cases[] = {
        {{2.9, 1.9}, nullptr, 1, -1}, // both truncated
        {{1, 1}, "Creating a cycle in the parent relation.", 1, -1},
        {{1, 2}, "Creating a cycle in the parent relation.", 1, -1},
        {{1, 7}, "Setting a non-existing parent.", 1, -1},
        {{9, 0}, nullptr, 1, -1},
    };
    for (const Case& c : cases) {
        m_Log.Clear();
        Call("object_set_parent", c.args);
        EXPECT_EQ(c.message != nullptr, m_Log.Count(c.message != nullptr ? c.message : "ERROR") == 1) << m_Log.Text();
        EXPECT_EQ(c.kidParent, Call("object_get_parent", {2}));
        EXPECT_EQ(c.baseParent, Call("object_get_parent", {1}));
    }
    EXPECT_EQ(1, Call("object_is_ancestor", {2, 1}));
    EXPECT_EQ(0, Call("object_is_ancestor", {1, 2}));
    EXPECT_EQ(0, Call("object_is_ancestor", {2, 2}));
    EXPECT_EQ(-1, Call("object_is_ancestor", {8, 1}));
    // The kid now steps through its parent's handler.
    EXPECT_EQ((std::vector<std::string>{"100001 step", "100002 base"}), Frame());
    Call("object_set_parent", {2, -1});
    EXPECT_EQ(-1, Call("object_get_parent", {2}));
    EXPECT_EQ((std::vector<std::string>{"100001 step"}), Frame());
}

TEST_F(ObjectBuiltins, ClearingHandlers)
{
    Call("object_set_parent", {2, 1});
    Call("object_event_clear", {2, 3, 0}); // the kid has no handler of its own: nothing
    Call("object_event_clear", {0, 3, 0});
    Call("object_event_clear", {0, 3, 0});
    Call("object_event_clear", {5, 3, 0});
    EXPECT_EQ((std::vector<std::string>{"100002 base"}), Frame());
    EXPECT_EQ(0, Call("object_event_add", {0, 3, 0, "test_note(1);"}));
    EXPECT_EQ(1u, m_Log.Count("object_event_add :: deprecated function\n"));
    EXPECT_EQ((std::vector<std::string>{"100002 base"}), Frame());
}

TEST_F(ObjectBuiltins, DeletedObjectsLeaveTheirInstancesWithoutEvents)
{
    EXPECT_EQ(0, Call("object_delete", {7}));
    EXPECT_EQ(1u, m_Log.Count("Trying to delete non-existing object."));
    Call("object_set_parent", {2, 0});
    EXPECT_EQ(1, Call("object_delete", {0}));
    EXPECT_EQ(0, Call("object_exists", {0}));
    CInstance* pawn = ById(100001);
    ASSERT_NE(nullptr, pawn);
    EXPECT_EQ(nullptr, pawn->GetObject());
    EXPECT_EQ(std::vector<std::string>{}, Frame());
    // Copies, changes and deactivation of the orphan reach nothing of the deleted object.
    double copy = Call("instance_copy", {0}, pawn);
    ASSERT_NE(nullptr, ById(static_cast<int32_t>(copy)));
    Call("instance_deactivate_object", {2});
    Call("instance_change", {1, 0}, pawn);
    EXPECT_EQ((std::vector<std::string>{"100001 base"}), Frame());

    // An object deleted by its own handler: the handler runs to its end.
    ASSERT_NE(nullptr, Run_CreateInstance(3, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"100001 base", std::to_string(g_InstanceIdCounter) + " gone"}), Frame());
    EXPECT_EQ(0, Call("object_exists", {3}));
    EXPECT_EQ((std::vector<std::string>{"100001 base"}), Frame());
}

TEST_F(ObjectBuiltins, ChangesReachOnlyLaterInstances)
{
    Call("object_set_sprite", {0, 0});
    Call("object_set_solid", {0, 1});
    Call("object_set_depth", {0, -7});
    CInstance* before = ById(100001);
    CInstance* after = ById(static_cast<int32_t>(Call("instance_create", {0, 0, 0})));
    ASSERT_NE(nullptr, after);
    EXPECT_EQ(Reals(-1, 0, 0.0f), Reals(before->i_spriteindex, before->i_solid, before->i_depth));
    EXPECT_EQ(Reals(0, 1, -7.0f), Reals(after->i_spriteindex, after->i_solid, after->i_depth));
}

TEST_F(ObjectBuiltins, AssetsByName)
{
    int32_t sprite = Sprite_AddEmpty();
    std::string spriteName = Sprite_GetName(sprite);
    struct Case {
        TestArg name;
        double type, index;
    } cases[] = {
        {"obj_kid", 0, 2},        {spriteName.c_str(), 1, double(sprite)}, {"room_first", 3, 0},
        {"no_such_thing", -1, -1}, {"c_red", -1, 255},               {2, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.type, Call("asset_get_type", {c.name})) << c.name.text;
        EXPECT_EQ(c.index, Call("asset_get_index", {c.name})) << c.name.text;
    }
    // An object and a sprite of one name: the object is found first.
    Object_Data(3)->SetName(spriteName.c_str());
    EXPECT_EQ(0, Call("asset_get_type", {spriteName.c_str()}));
    EXPECT_EQ(3, Call("asset_get_index", {spriteName.c_str()}));
}

} // namespace
