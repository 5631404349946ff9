// The object table, the objects chunk and the lookups through parents.
#include <gtest/gtest.h>

#include "ObjectLoadSupport.h"

using namespace objecttest;

namespace {

class ObjectTableTest : public LoadedGameTest {};

// Words of an object record after the eight fixed ones: the physics block of header version 13
// (12 words, no points), then the event-type count.
constexpr uint32_t TYPE_COUNT_AT = 32 + 48;

TEST_F(ObjectTableTest, NamesAreFoundInTableOrderAndNewObjectsTakeTheNextIndex)
{
    for (int32_t i = 0; i < 514; ++i) AddObject();
    Object_Data(2)->SetName("twin");
    Object_Data(513)->SetName("twin");
    // Index 513 shares bucket 1 with index 1, which the walk visits before bucket 2.
    EXPECT_EQ(513, Object_Find("twin"));
    EXPECT_EQ(-1, Object_Find("Twin"));
    EXPECT_STREQ("__newobject7", Object_Name(7));
    EXPECT_STREQ("<undefined>", Object_Name(514));
    EXPECT_STREQ("<undefined>", Object_Name(-1));
    std::vector<int32_t> order;
    Object_TableOrder(order);
    ASSERT_EQ(514u, order.size());
    EXPECT_EQ((std::vector<int32_t>{0, 512, 1, 513, 2}), std::vector<int32_t>(order.begin(), order.begin() + 5));

    // A deleted object leaves its slot empty and its children without a parent object.
    Object_Data(5)->m_ParentIndex = 4;
    Object_LinkParents();
    ASSERT_EQ(Object_Data(4), Object_Data(5)->m_pParentObject);
    EXPECT_TRUE(Object_Delete(4));
    EXPECT_FALSE(Object_Exists(4));
    EXPECT_EQ(nullptr, Object_Data(5)->m_pParentObject);
    EXPECT_EQ(514, Object_Count());
    EXPECT_EQ(514, Object_Add());
}

TEST_F(ObjectTableTest, TheObjectsChunkGivesEveryFieldAndLinksParents)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc wall = NamedObject("obj_wall");
    wall.sprite = 5;
    wall.spriteMarker = true;
    wall.solid = true;
    wall.visible = false;
    wall.depth = -20;
    wall.persistent = true;
    wall.mask = 3;
    wall.physics.enabled = 1;
    wall.physics.shape = 2;
    wall.physics.group = -4;
    wall.physics.density = 2.5f;
    wall.physics.friction = 0.75f;
    wall.physics.kinematic = 1;
    wall.physics.points = {{1.0f, 2.0f}, {3.0f, -4.0f}};
    gamebuild::ObjectDesc hole;
    hole.present = false;
    game.objects = {wall, NamedObject("obj_brick", 0), hole};
    for (int32_t i = 3; i < 10; ++i) game.objects.push_back(NamedObject("obj_" + std::to_string(i)));
    ASSERT_TRUE(Load(game)) << m_Log.Text();

    EXPECT_EQ(10, Object_Count());
    const CObject* first = Object_Data(0);
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ("obj_wall", first->GetName());
    EXPECT_EQ(5, first->m_SpriteIndex);
    EXPECT_EQ(0x80000000u, g_ObjectSpriteMarker);
    EXPECT_TRUE(first->IsSolid());
    EXPECT_FALSE(first->IsVisible());
    EXPECT_TRUE(first->IsPersistent());
    EXPECT_EQ(-20, first->m_Depth);
    EXPECT_EQ(3, first->m_MaskIndex);
    EXPECT_EQ(1, first->m_Physics.enabled);
    EXPECT_EQ(2, first->m_Physics.shape);
    EXPECT_EQ(-4, first->m_Physics.group);
    EXPECT_FLOAT_EQ(2.5f, first->m_Physics.density);
    EXPECT_FLOAT_EQ(0.75f, first->m_Physics.friction);
    EXPECT_EQ(1, first->m_Physics.kinematic);
    ASSERT_EQ(2, first->m_Physics.pointCount);
    EXPECT_FLOAT_EQ(-4.0f, first->m_Physics.points[3]);

    EXPECT_EQ(first, Object_Data(1)->m_pParentObject);
    EXPECT_TRUE(Object_Data(1)->IsDescendantOf(0));
    EXPECT_FALSE(Object_Data(0)->IsDescendantOf(1));
    EXPECT_FALSE(Object_Exists(2));
    EXPECT_EQ(-1, Object_Data(3)->m_SpriteIndex);
    EXPECT_EQ(10, Object_Add());
    EXPECT_STREQ("__newobject10", Object_Name(10));
}

TEST_F(ObjectTableTest, OlderHeadersCarryLessOfThePhysicsBlock)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc object = NamedObject("obj");
    object.physics.enabled = 1;
    object.physics.friction = 0.9f;
    object.physics.awake = 0;
    game.objects = {object};
    game.header.version = 8;
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    EXPECT_EQ(1, Object_Data(0)->m_Physics.enabled);
    EXPECT_FLOAT_EQ(0.2f, Object_Data(0)->m_Physics.friction);
    EXPECT_EQ(1, Object_Data(0)->m_Physics.awake);

    game.header.version = 5;
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    EXPECT_EQ(0, Object_Data(0)->m_Physics.enabled);
    EXPECT_STREQ("obj", Object_Name(0));
}

TEST_F(ObjectTableTest, ASpriteWordWithAllBitsSetIsNoSpriteAndNoMarker)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc object = NamedObject("obj");
    object.spriteMarker = true; // ignored: bits 28 to 30 of -1 are set
    game.objects = {object};
    ASSERT_TRUE(Load(game));
    EXPECT_EQ(-1, Object_Data(0)->m_SpriteIndex);
    EXPECT_EQ(0u, g_ObjectSpriteMarker);
}

TEST_F(ObjectTableTest, ParentCyclesAreRefusedAtLoad)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("self", 0)};
    EXPECT_FALSE(Load(game));
    EXPECT_TRUE(m_Log.Has("OBJT: object 0 (self): its parent chain loops\n")) << m_Log.Text();

    game.objects = {NamedObject("a", 1), NamedObject("b", 2), NamedObject("c", 1)};
    EXPECT_FALSE(Load(game));
    EXPECT_TRUE(m_Log.Has("object 0 (a): its parent chain loops")) << m_Log.Text();
    EXPECT_TRUE(m_Log.Has("Malformed Chunk OBJT"));

    // A parent index that names no object simply ends the chain.
    game.objects = {NamedObject("a", 7), NamedObject("b", 0)};
    EXPECT_TRUE(Load(game)) << m_Log.Text();
    EXPECT_EQ(nullptr, Object_Data(0)->m_pParentObject);
}

TEST_F(ObjectTableTest, AParentCycleMadeAtRunTimeNeverHangsALookup)
{
    int32_t a = AddObject();
    int32_t b = AddObject(a);
    Object_Data(a)->m_ParentIndex = b;
    Object_LinkParents();
    SetHandler(b, 3, 0, "");
    EXPECT_TRUE(Object_ParentChainLoops(a));
    EXPECT_EQ(nullptr, Object_Data(a)->FindEvent(3, 1));
    EXPECT_EQ(nullptr, Object_Data(a)->FindEvent(4, b));
    EXPECT_NE(nullptr, Object_Data(a)->FindEvent(3, 0));
    EXPECT_FALSE(Object_Data(a)->IsDescendantOf(99));
    Object_Data(a)->AddInstance(reinterpret_cast<CInstance*>(0x10));
    EXPECT_EQ(1, Object_Data(a)->m_Instances.count);
    EXPECT_TRUE(Object_Data(a)->RemoveInstance(reinterpret_cast<CInstance*>(0x10)));
}

TEST_F(ObjectTableTest, EventTablesSizedBeyondAnySaneBoundAreRefused)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("a"), NamedObject("b")};
    game.objects[0].events = {SourceEvent(5, 300, "")};
    EXPECT_FALSE(Load(game));
    EXPECT_TRUE(m_Log.Has("event type 5 has subtype 300, beyond its bound")) << m_Log.Text();

    game.objects[0].events = {SourceEvent(4, 2, "")}; // collision with an object index past the chunk
    EXPECT_FALSE(Load(game));
    game.objects[0].events = {SourceEvent(0, -1, "")};
    EXPECT_FALSE(Load(game));
    game.objects[0].events = {SourceEvent(4, 1, ""), SourceEvent(5, 255, "")};
    EXPECT_TRUE(Load(game)) << m_Log.Text();

    // More than 12 event types.
    game.objects[0].events.clear();
    std::vector<uint8_t> bytes = BuildBytes(game);
    WriteWord(bytes, ObjectRecord(bytes, 0) + TYPE_COUNT_AT, 13);
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("it has more than 12 event types")) << m_Log.Text();
}

TEST_F(ObjectTableTest, OffsetsOutsideTheFileAreRefused)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("a")};
    game.objects[0].events = {SourceEvent(3, 0, "")};
    std::vector<uint8_t> good = BuildBytes(game);
    uint32_t record = ObjectRecord(good, 0);
    uint32_t stepList = ReadWord(good, record + TYPE_COUNT_AT + 4 + 4 * 3);
    uint32_t entry = ReadWord(good, stepList + 4);
    uint32_t size = static_cast<uint32_t>(good.size());

    std::vector<uint8_t> bytes = good;
    WriteWord(bytes, stepList, 0x40000000); // the list's count
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("an event list runs past the end of the file")) << m_Log.Text();

    bytes = good;
    WriteWord(bytes, entry + 8, size - 8); // the action record
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("an event's action lies outside the file")) << m_Log.Text();

    bytes = good;
    WriteWord(bytes, record, size + 4); // the name
    EXPECT_FALSE(Load(bytes));

    bytes = good;
    WriteWord(bytes, record + 32 + 32, 0x10000000); // the physics point count
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("its physics points run past the end of the file")) << m_Log.Text();

    // An entry without an action record leaves the event absent.
    bytes = good;
    WriteWord(bytes, entry + 8, 0);
    EXPECT_TRUE(Load(bytes)) << m_Log.Text();
    EXPECT_EQ(nullptr, Object_Data(0)->GetEvent(3, 0));
    EXPECT_TRUE(Load(good));
    EXPECT_NE(nullptr, Object_Data(0)->GetEvent(3, 0));
}

TEST_F(ObjectTableTest, PreparationCompilesEveryEventUnderItsName)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("obj_player"), NamedObject("obj_enemy")};
    game.objects[0].events = {SourceEvent(3, 1, "test_record();"), SourceEvent(9, 65, "test_record();")};
    game.objects[1].events = {SourceEvent(4, 0, "test_record();")};
    ASSERT_TRUE(Load(game));
    m_Log.Clear();
    ASSERT_TRUE(Object_Prepare()) << g_ErrorLast;
    EXPECT_TRUE(m_Log.Has("Preparing 2 objects:\n\tObjects 0: obj_player\n\tObjects 1: obj_enemy\n")) << m_Log.Text();
    EXPECT_STREQ("Object.obj_player.BeginStep.0", Object_Data(0)->GetEvent(3, 1)->m_pCode->GetName());
    EXPECT_STREQ("Object.obj_player.press_A-key.0", Object_Data(0)->GetEvent(9, 65)->m_pCode->GetName());
    EXPECT_STREQ("Object.obj_enemy.obj_player.0", Object_Data(1)->GetEvent(4, 0)->m_pCode->GetName());

    CInstance* enemy = MakeInstance(1);
    PerformEvent(enemy, enemy, 1, 4, 0);
    EXPECT_EQ((std::vector<std::string>{"1 4 0 100000 100000"}), Records());
}

TEST_F(ObjectTableTest, AnEventThatDoesNotCompileStopsPreparationWithAFatalError)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("obj_broken")};
    game.objects[0].events = {SourceEvent(2, 3, "x = ;"), SourceEvent(3, 0, "y = ;")};
    ASSERT_TRUE(Load(game));
    EXPECT_FALSE(Object_Prepare());
    EXPECT_NE(std::string::npos, g_ErrorLast.find("COMPILATION ERROR in code action\n")) << g_ErrorLast;
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Alarm Event for alarm 3")) << g_ErrorLast;
    EXPECT_EQ(RUN_REQUEST_FATAL, g_RunRequest);
    // The step event, after the failing one, was not compiled.
    EXPECT_EQ(0u, Object_Data(0)->GetEvent(3, 0)->m_pCode->m_Compiled);
}

TEST_F(ObjectTableTest, InstancesJoinTheListsOfTheirObjectAndEveryAncestor)
{
    int32_t grand = AddObject();
    int32_t parent = AddObject(grand);
    int32_t child = AddObject(parent);
    CInstance* one = reinterpret_cast<CInstance*>(0x100);
    CInstance* two = reinterpret_cast<CInstance*>(0x200);
    Object_Data(child)->AddInstance(one);
    Object_Data(parent)->AddInstance(two);
    EXPECT_EQ(1, Object_Data(child)->m_Instances.count);
    EXPECT_EQ(1, Object_Data(child)->m_AllInstances.count);
    EXPECT_EQ(1, Object_Data(parent)->m_Instances.count);
    EXPECT_EQ(2, Object_Data(parent)->m_AllInstances.count);
    EXPECT_EQ(0, Object_Data(grand)->m_Instances.count);
    ASSERT_EQ(2, Object_Data(grand)->m_AllInstances.count);
    EXPECT_EQ(one, Object_Data(grand)->m_AllInstances.head->instance);
    EXPECT_EQ(two, Object_Data(grand)->m_AllInstances.tail->instance);

    EXPECT_TRUE(Object_Data(child)->RemoveInstance(one));
    EXPECT_EQ(0, Object_Data(child)->m_Instances.count);
    ASSERT_EQ(1, Object_Data(grand)->m_AllInstances.count);
    EXPECT_EQ(two, Object_Data(grand)->m_AllInstances.head->instance);
    EXPECT_EQ(nullptr, Object_Data(grand)->m_AllInstances.head->previous);

    // Reset empties both lists and forgets events, name and settings.
    SetHandler(parent, 0, 0, "");
    Object_Data(parent)->Reset();
    EXPECT_EQ(0, Object_Data(parent)->m_Instances.count);
    EXPECT_EQ(0, Object_Data(parent)->m_AllInstances.count);
    EXPECT_EQ(nullptr, Object_Data(parent)->GetEvent(0, 0));
    EXPECT_EQ(nullptr, Object_Data(parent)->GetName());
    EXPECT_EQ(-1, Object_Data(parent)->m_ParentIndex);
}

} // namespace
