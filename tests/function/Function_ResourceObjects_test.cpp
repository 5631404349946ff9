// The resource family's registrar, and the object and asset built-ins on a played room.
#include <string>

#include "Function_GameTestSupport.h"
#include "Function_TestCases.h"
#include "sprite/Sprite_Table.h"

using namespace gametest;
using testsupport::TestArg;
using Lines = std::vector<std::string>;

namespace {

// The object and asset group, then the room group, come after the sprite group, each row after row
// with the same counts under every header.
TEST(ResourceRegistrar, ObjectAndRoomRowsInOrderAfterTheSprites)
{
    functiontest::ExpectCountsUnderHeaders(
        "sprite_duplicate:1 ~ object_* name:1 exists:1 get_name:1 ~ room_* exists:1 ~ tile_add_ext:12 "
        "tile_clear:1",
        true);
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

// Each setter, when given, runs before its getter is read.
TEST_F(ObjectBuiltins, GettersAndSetters)
{
    struct Case {
        const char* setter;
        std::vector<TestArg> args;
        const char* getter;
        std::vector<TestArg> read;
        double expected;
    } cases[] = {
        {nullptr, {}, "object_exists", {-0.4}, 1}, {nullptr, {}, "object_exists", {4}, 0},
        {nullptr, {}, "object_get_depth", {-5}, -1}, {nullptr, {}, "object_get_mask", {0}, -1},
        {nullptr, {}, "object_is_ancestor", {7, 0}, -1}, {"object_set_depth", {0, -2.7}, "object_get_depth", {0}, -2},
        {"object_set_depth", {0.5, 9.9}, "object_get_depth", {0}, 9},
        {"object_set_sprite", {0, 1.5}, "object_get_sprite", {0}, 2},
        {"object_set_solid", {0, 0.5}, "object_get_solid", {0}, 1},
        {"object_set_persistent", {1.5, 1}, "object_get_persistent", {2}, 1},
        {"object_set_parent", {2.9, 1.9}, "object_get_parent", {2}, 1}, // both truncated
        {"object_set_parent", {1, 1}, "object_get_parent", {1}, -1},     // cycles, a missing parent
        {"object_set_parent", {1, 2}, "object_get_parent", {1}, -1}, {"object_set_parent", {1, 7}, "object_get_parent", {1}, -1},
        {nullptr, {}, "object_is_ancestor", {2, 1}, 1}, {nullptr, {}, "object_is_ancestor", {1, 2}, 0},
        {nullptr, {}, "object_is_ancestor", {1, 1}, 0}, {"object_set_parent", {2, -1}, "object_get_parent", {2}, -1},
    };
    for (const Case& c : cases) {
        if (c.setter != nullptr) Call(c.setter, c.args);
        EXPECT_EQ(c.expected, Call(c.getter, c.read)) << (c.setter ? c.setter : c.getter);
    }
    EXPECT_EQ(2u, m_Log.Count("Creating a cycle in the parent relation."));
    EXPECT_EQ(1u, m_Log.Count("Setting a non-existing parent."));
    EXPECT_EQ("<undefined>", testsupport::CallText("object_name", {-1}));
    EXPECT_EQ(4, Call("object_add", {}));
    EXPECT_EQ("__newobject4", testsupport::CallText("object_get_name", {4}));
}

TEST_F(ObjectBuiltins, HandlersAndDeletedObjects)
{
    Call("object_set_parent", {2, 0});
    Call("object_event_clear", {2, 3, 0}); // the kid's handler is its parent's: nothing
    Call("object_event_add", {1, 3, 0, "test_note(1);"});
    Call("object_event_clear", {1, 3, 0});
    EXPECT_EQ(Lines({"100001 step", "100002 step"}), Frame());
    EXPECT_EQ(0, Call("object_delete", {7}));
    EXPECT_EQ(1, Call("object_delete", {0}));
    EXPECT_EQ(Reals(0, 1), Reals(Call("object_exists", {0}), m_Log.Count("object_event_add :: deprecated function\n")));
    EXPECT_EQ(1u, m_Log.Count("Trying to delete non-existing object."));
    CInstance* pawn = ById(100001);
    EXPECT_EQ(nullptr, pawn->GetObject());
    EXPECT_EQ(Lines{}, Frame());
    // Copies, deactivation and changes of the orphan reach nothing of the deleted object, and an
    // object deleted by its own handler lets the handler run to its end.
    ASSERT_NE(nullptr, ById(static_cast<int32_t>(Call("instance_copy", {0}, pawn))));
    Call("instance_deactivate_object", {2});
    Call("instance_change", {3, 0}, pawn);
    EXPECT_EQ(Lines({"100001 gone"}), Frame());
    EXPECT_EQ(0, Call("object_exists", {3}));
    EXPECT_EQ(Lines{}, Frame());
}

TEST_F(ObjectBuiltins, ChangesReachOnlyLaterInstancesAndAssetsAreFoundByName)
{
    Call("object_set_sprite", {0, 0});
    Call("object_set_solid", {0, 1});
    Call("object_set_depth", {0, -7});
    CInstance* before = ById(100001);
    CInstance* after = ById(static_cast<int32_t>(Call("instance_create", {0, 0, 0})));
    EXPECT_EQ(Reals(-1, 0, 0.0f, 0, 1, -7.0f), Reals(before->i_spriteindex, before->i_solid, before->i_depth,
                                                    after->i_spriteindex, after->i_solid, after->i_depth));
    std::string sprite = Sprite_GetName(Sprite_AddEmpty());
    double index = Sprite_Find(sprite.c_str());
    for (auto [name, type, found] : {std::tuple<TestArg, double, double>{sprite.c_str(), 1, index},
                                     {"c_red", -1, 255}, {2, -1, -1}}) {
        EXPECT_EQ(Reals(type, found), Reals(Call("asset_get_type", {name}), Call("asset_get_index", {name})));
    }
    Object_Data(3)->SetName(sprite.c_str()); // an object and a sprite of one name: the object's
    EXPECT_EQ(Reals(0, 3), Reals(Call("asset_get_type", {sprite.c_str()}), Call("asset_get_index", {sprite.c_str()})));
}

} // namespace
