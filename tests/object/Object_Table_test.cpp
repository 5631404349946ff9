// The object table, the objects chunk and the lookups through parents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "../gamefile/GameFileTestSupport.h"
#include "ObjectTestSupport.h"
#include "gamefile/GameFile_Header.h"

using namespace objecttest;

namespace {

gamebuild::EventDesc SourceEvent(int32_t type, int32_t subtype, const std::string& source)
{
    gamebuild::EventDesc event;
    event.type = type;
    event.subtype = subtype;
    event.code.source = source;
    return event;
}

gamebuild::ObjectDesc NamedObject(const std::string& name, int32_t parent = -1)
{
    gamebuild::ObjectDesc object;
    object.name = name;
    object.parent = parent;
    return object;
}

// Games built with the builder and loaded through both chunk passes.
class ObjectTableTest : public ObjectTest {
  protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_GameOptions.showErrors = false;
    }
    bool Load(const std::vector<uint8_t>& bytes)
    {
        m_Log.Clear();
        return LoadBothPasses(m_File, bytes);
    }
    bool Load(const gamebuild::GameDesc& game) { return Load(BuildBytes(game)); }

    GameFile m_File;
    CapturedLog m_Log;
};

// Words of an object record after the eight fixed ones: the physics block of header version 13
// (12 words, no points), then the event-type count.
constexpr uint32_t TYPE_COUNT_AT = 32 + 48;

TEST_F(ObjectTableTest, ParentCyclesAreRefusedAtLoadAndNeverHangALookupMadeAtRunTime)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("self", 0)};
    EXPECT_FALSE(Load(game));
    EXPECT_TRUE(m_Log.Has("OBJT: object 0 (self): its parent chain loops\n")) << m_Log.Text();
    EXPECT_TRUE(m_Log.Has("Malformed Chunk OBJT"));
    // A parent index that names no object simply ends the chain.
    game.objects = {NamedObject("a", 7), NamedObject("b", 0)};
    EXPECT_TRUE(Load(game)) << m_Log.Text();
    EXPECT_EQ(nullptr, Object_Data(0)->m_pParentObject);

    Object_ResetTable();
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
}

// The lookup by index agrees with the table through loading, adding, deleting and emptying: every
// index in table order finds its own object, any other (negative, deleted, past the end, left from a
// larger game loaded before) finds none.
TEST_F(ObjectTableTest, LookupByIndexAgreesWithTheTableThroughLoadsAddsDeletesAndResets)
{
    auto agrees = [](const char* when) {
        std::vector<int32_t> order;
        Object_TableOrder(order);
        for (int32_t i = -3; i < Object_Count() + 3; ++i) {
            bool listed = std::find(order.begin(), order.end(), i) != order.end();
            const CObject* object = Object_Data(i);
            EXPECT_EQ(listed, object != nullptr) << when << ": index " << i;
            EXPECT_EQ(i, object != nullptr ? object->m_Index : i) << when;
            EXPECT_EQ(object != nullptr, Object_Exists(i)) << when;
        }
        EXPECT_EQ(nullptr, Object_Data(INT32_MIN)) << when;
        EXPECT_EQ(nullptr, Object_Data(INT32_MAX)) << when;
    };
    gamebuild::GameDesc game;
    game.objects = {NamedObject("a"), NamedObject("b"), NamedObject("c"), NamedObject("d")};
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    agrees("loaded");
    Object_Delete(1);
    Object_Delete(1);
    agrees("deleted");
    EXPECT_EQ(4, AddObject());
    agrees("added after a delete");
    game.objects = {NamedObject("e"), NamedObject("f")};
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    agrees("a smaller game loaded");
    EXPECT_STREQ("f", Object_Data(1)->m_pName);
    Object_ResetTable();
    agrees("emptied");
    EXPECT_EQ(nullptr, Object_Data(0));
}

TEST_F(ObjectTableTest, MalformedEventTablesAndOffsetsOutsideTheFileAreRefused)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("a"), NamedObject("b")};
    const struct {
        std::vector<gamebuild::EventDesc> events;
        bool loads;
        const char* message;
    } tables[] = {
        {{SourceEvent(5, 300, "")},
         false,
         "OBJT: object 0 at file offset *: its event at file offset * of type 5 has subtype 300, beyond its "
         "bound *"},
        {{SourceEvent(4, 2, "")}, false, nullptr}, // a collision with an object past the chunk
        {{SourceEvent(4, 1, ""), SourceEvent(5, 255, "")}, true, nullptr},
    };
    for (const auto& t : tables) {
        game.objects[0].events = t.events;
        EXPECT_EQ(t.loads, Load(game)) << m_Log.Text();
        EXPECT_TRUE(t.message == nullptr || testsupport::HasLine(m_Log.Text(), t.message)) << m_Log.Text();
    }

    game.objects = {NamedObject("a")};
    game.objects[0].events = {SourceEvent(3, 0, "")};
    const std::vector<uint8_t> good = BuildBytes(game);
    const uint32_t record = ChunkRecord(good, "OBJT", 0);
    const uint32_t stepList = ReadWord(good, record + TYPE_COUNT_AT + 4 + 4 * 3);
    const uint32_t entry = ReadWord(good, stepList + 4);
    const uint32_t size = static_cast<uint32_t>(good.size());
    // Each refusal names the object, where its record is, and what lies outside the file.
    const EntryRefusal object("OBJT", "object 0", record, size);
    const struct {
        uint32_t at, value;
        std::string message;
    } patches[] = {
        {stepList, 0x40000000,
         object.Within("the list of its events of type 3", stepList)
             .Past("the pointer list of its 1073741824 entries", stepList + 4, 4294967296)},
        {entry + 8, size - 8,
         object.Past("the action of its event (entry at file offset " + std::to_string(entry) + ")", size - 8, 64)},
        {record, size + 4, object.Outside("its name", size + 4)},
        {record + 32 + 32, 0x10000000,
         object.Past("its list of 268435456 physics points", record + 32 + 48, 2147483648)},
    };
    for (const auto& p : patches) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, p.at, p.value);
        EXPECT_FALSE(Load(bytes)) << p.message;
        EXPECT_TRUE(m_Log.Has(p.message + "\n")) << p.message << "\n" << m_Log.Text();
    }
    // A table of more event types than twelve (newer tools write them) keeps the twelve, whatever
    // the others' offsets hold.
    for (uint32_t types : {13u, 0x40000000u}) {
        std::vector<uint8_t> more = good;
        WriteWord(more, record + TYPE_COUNT_AT, types);
        EXPECT_TRUE(Load(more)) << types << "\n" << m_Log.Text();
        EXPECT_TRUE(m_Log.Has("OBJT: object 0: event types 12 to " + std::to_string(types - 1) + " are left out"));
        EXPECT_NE(nullptr, Object_Data(0)->GetEvent(3, 0)) << types;
    }
    // An entry without an action record leaves the event absent.
    std::vector<uint8_t> bytes = good;
    WriteWord(bytes, entry + 8, 0);
    EXPECT_TRUE(Load(bytes)) << m_Log.Text();
    EXPECT_EQ(nullptr, Object_Data(0)->GetEvent(3, 0));
}

TEST_F(ObjectTableTest, PreparationCompilesEveryEventUnderItsNameAndStopsAtTheFirstFailure)
{
    gamebuild::GameDesc game;
    game.objects = {NamedObject("obj_player"), NamedObject("obj_enemy")};
    game.objects[0].events = {SourceEvent(3, 1, "test_record();"), SourceEvent(9, 65, "test_record();")};
    game.objects[1].events = {SourceEvent(4, 0, "test_record();")};
    ASSERT_TRUE(Load(game));
    ASSERT_TRUE(Object_Prepare()) << g_ErrorLast;
    EXPECT_TRUE(m_Log.Has("Preparing 2 objects:\n\tObjects 0: obj_player\n\tObjects 1: obj_enemy\n")) << m_Log.Text();
    EXPECT_STREQ("Object.obj_player.press_A-key.0", Object_Data(0)->GetEvent(9, 65)->m_pCode->GetName());
    EXPECT_STREQ("Object.obj_enemy.obj_player.0", Object_Data(1)->GetEvent(4, 0)->m_pCode->GetName());
    CInstance* enemy = MakeInstance(1);
    PerformEvent(enemy, enemy, 1, 4, 0);
    EXPECT_EQ((std::vector<std::string>{"1 4 0 100000 100000"}), Records());

    game.objects = {NamedObject("obj_broken")};
    game.objects[0].events = {SourceEvent(2, 3, "x = ;"), SourceEvent(3, 0, "y = ;")};
    ASSERT_TRUE(Load(game));
    EXPECT_FALSE(Object_Prepare());
    EXPECT_NE(std::string::npos, g_ErrorLast.find("COMPILATION ERROR in code action\n")) << g_ErrorLast;
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Alarm Event for alarm 3")) << g_ErrorLast;
    EXPECT_EQ(RUN_REQUEST_FATAL, g_RunRequest);
    EXPECT_EQ(0u, Object_Data(0)->GetEvent(3, 0)->m_pCode->m_Compiled) << "the step event after it is left";
}

// The first object of exactly that name in a walk of the table in table order, or -1.
int32_t FirstInTableOrder(const char* name)
{
    std::vector<int32_t> order;
    Object_TableOrder(order);
    for (int32_t index : order) {
        const char* own = Object_Data(index)->m_pName;
        if (own != nullptr && std::strcmp(own, name) == 0) return index;
    }
    return -1;
}

// The object a name finds is the one a walk of the table in table order finds first, by exact
// comparison, through loading, renaming, adding and deleting. With more than 512 objects table order
// is no longer index order: index 513 shares bucket 1 with index 1 and comes before index 2.
TEST_F(ObjectTableTest, FindByNameAgreesWithTheWalkInTableOrder)
{
    auto walk = FirstInTableOrder;
    const char* const probes[] = {"a", "dup", "DUP", "Dup", "__newobject599", "__newobject600", "", "zz"};
    auto agrees = [&](const char* when) {
        for (const char* name : probes) EXPECT_EQ(walk(name), Object_Find(name)) << when << ": " << name;
        EXPECT_EQ(-1, Object_Find(nullptr)) << when;
    };

    gamebuild::GameDesc game;
    game.objects = {NamedObject("a"), NamedObject("dup"), NamedObject("a")};
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    agrees("loaded");
    EXPECT_EQ(0, Object_Find("a"));
    EXPECT_EQ(-1, Object_Find("DUP"));

    while (Object_Count() < 600) Object_Add();
    agrees("added at run time");
    EXPECT_EQ(599, Object_Find("__newobject599"));
    Object_Data(2)->SetName("dup");
    Object_Data(513)->SetName("dup");
    Object_Data(514)->SetName("DUP");
    agrees("renamed");
    const struct {
        const char* step;
        int32_t deleted;
        int32_t dupFound;
    } deletions[] = {
        {"before any delete", -1, 1},    // bucket 1 holds 1 then 513
        {"first deleted", 1, 513},       // 513 still comes before 2
        {"second deleted", 513, 2},
        {"last deleted", 2, -1},
    };
    for (const auto& d : deletions) {
        if (d.deleted >= 0) Object_Delete(d.deleted);
        agrees(d.step);
        EXPECT_EQ(d.dupFound, Object_Find("dup")) << d.step;
    }
    EXPECT_EQ(514, Object_Find("DUP"));
    Object_Data(0)->SetName(nullptr); // a nameless object is never found
    agrees("unnamed");
    EXPECT_EQ(-1, Object_Find("a"));
    Object_ResetTable();
    agrees("emptied");
    EXPECT_EQ(-1, Object_Find("a"));
}

// Sequences of adds, deletes and renames made at run time: after each step the name of the step
// finds what the table walk finds, as do every name of the sequence and the made names of the
// objects it touches. Index 513 comes before index 2 (bucket 1 before bucket 2), and 514 after 2.
TEST_F(ObjectTableTest, NamesFollowEachAddDeleteAndRename)
{
    enum Op { ADD, DELETE, RENAME, RENAME_DELETED, RESET };
    struct Step {
        Op op;
        int32_t index; // the object, or how many to add
        const char* name;
        int32_t found; // Object_Find(name) after the step
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } sequences[] = {
        {"colliding names, the first of two deleted",
         {{ADD, 3, "x", -1}, {RENAME, 0, "x", 0}, {RENAME, 1, "x", 0}, {RENAME, 1, "x", 0}, {DELETE, 0, "x", 1},
          {RENAME, 1, "y", 1}, {RENAME, 2, "x", 2}, {DELETE, 2, "x", -1}}},
        {"renamed to and away from a made name",
         {{ADD, 8, "__newobject6", 6}, {RENAME, 5, "__newobject6", 5}, {RENAME, 7, "__newobject6", 5},
          {RENAME, 5, "__newobject5", 5}, {DELETE, 6, "__newobject6", 7}, {ADD, 1, "__newobject8", 8}}},
        {"table order past 512 objects",
         {{ADD, 600, "s", -1}, {RENAME, 514, "s", 514}, {RENAME, 2, "s", 2}, {RENAME, 513, "s", 513},
          {RENAME, 1, "s", 1}, {DELETE, 1, "s", 513}, {DELETE, 513, "s", 2}, {RENAME, 2, "t", 2},
          {DELETE, 514, "s", -1}, {ADD, 1, "__newobject600", 600}}},
        {"names taken away, objects deleted, the table emptied",
         {{ADD, 2, "__newobject0", 0}, {RENAME, 0, "", -1}, {RENAME, 0, nullptr, -1}, {RENAME, 1, "__newobject0", 1},
          {RENAME_DELETED, 1, "ghost", -1}, {RENAME, 0, "kept", 0}, {RESET, 0, "kept", -1},
          {ADD, 1, "__newobject0", 0}}},
    };
    for (const auto& [what, steps] : sequences) {
        Object_ResetTable();
        std::vector<std::string> probes;
        for (const Step& step : steps) {
            if (step.name != nullptr) probes.push_back(step.name);
            if (step.op != ADD) probes.push_back("__newobject" + std::to_string(step.index));
        }
        for (size_t n = 0; n < steps.size(); ++n) {
            const Step& step = steps[n];
            if (step.op == ADD)
                for (int32_t i = 0; i < step.index; ++i) Object_Add();
            if (step.op == RENAME) Object_Data(step.index)->SetName(step.name);
            if (step.op == DELETE) Object_Delete(step.index);
            if (step.op == RENAME_DELETED) {
                CObject* object = Object_Data(step.index);
                Object_Delete(step.index);
                object->SetName(step.name); // kept until the table is emptied, out of it
            }
            if (step.op == RESET) Object_ResetTable();
            std::string where = std::string(what) + ", step " + std::to_string(n);
            EXPECT_EQ(step.found, Object_Find(step.name)) << where << ": " << (step.name ? step.name : "null");
            for (const std::string& probe : probes)
                EXPECT_EQ(FirstInTableOrder(probe.c_str()), Object_Find(probe.c_str())) << where << ": " << probe;
        }
    }
    Object_ResetTable();
}

// A delete clears the parent pointer of exactly the table's objects that point to the deleted one,
// as a walk of the whole table would: not an object re-pointed since, nor one deleted before. The
// deleted object leaves its own parent, so that its instances leave that parent's lists.
TEST_F(ObjectTableTest, DeletesClearTheParentOfTheirChildrenAlone)
{
    enum Op { PARENT, WRITE_NULL, DELETE, RELINK };
    struct Step {
        Op op;
        int32_t object, parent; // PARENT: object's parent set to parent (-1 none)
    };
    const struct {
        const char* what;
        int32_t objects;
        std::vector<Step> steps;
    } sequences[] = {
        {"a chain cut in the middle", 3, {{PARENT, 1, 0}, {PARENT, 2, 1}, {DELETE, 1, 0}, {DELETE, 0, 0}}},
        {"a child re-pointed before its old parent goes", 3, {{PARENT, 1, 0}, {PARENT, 1, 2}, {DELETE, 0, 0}}},
        {"a pointer cleared behind the table's back", 3,
         {{PARENT, 1, 0}, {WRITE_NULL, 1, 0}, {PARENT, 1, 2}, {DELETE, 0, 0}, {DELETE, 2, 0}}},
        {"a deleted child leaves its parent", 3, {{PARENT, 1, 0}, {PARENT, 2, 0}, {DELETE, 1, 0}, {DELETE, 0, 0}}},
        {"many children, past 512 objects", 700,
         {{PARENT, 1, 600}, {PARENT, 513, 600}, {PARENT, 699, 600}, {PARENT, 600, 2}, {DELETE, 600, 0}}},
        {"parents linked again from their indices", 3,
         {{PARENT, 1, 0}, {RELINK, 0, 0}, {DELETE, 0, 0}, {RELINK, 0, 0}, {PARENT, 2, 1}, {RELINK, 0, 0}}},
    };
    for (const auto& [what, count, steps] : sequences) {
        Object_ResetTable();
        std::vector<CObject*> objects;
        std::vector<int32_t> expected(static_cast<size_t>(count), -1);
        for (int32_t i = 0; i < count; ++i) objects.push_back(Object_Data(Object_Add()));
        for (size_t n = 0; n < steps.size(); ++n) {
            const Step& step = steps[n];
            auto at = static_cast<size_t>(step.object);
            if (step.op == PARENT) {
                objects[at]->m_ParentIndex = step.parent;
                Object_SetParentObject(objects[at], Object_Data(step.parent));
                expected[at] = step.parent;
            }
            if (step.op == WRITE_NULL) {
                objects[at]->m_pParentObject = nullptr;
                expected[at] = -1;
            }
            if (step.op == DELETE) {
                Object_Delete(step.object);
                expected[at] = -1;
                for (int32_t i = 0; i < count; ++i)
                    if (Object_Data(i) != nullptr && expected[static_cast<size_t>(i)] == step.object)
                        expected[static_cast<size_t>(i)] = -1;
            }
            if (step.op == RELINK) {
                Object_LinkParents();
                for (int32_t i = 0; i < count; ++i)
                    if (Object_Data(i) != nullptr)
                        expected[static_cast<size_t>(i)] = Object_Data(objects[static_cast<size_t>(i)]->m_ParentIndex)
                                                               ? objects[static_cast<size_t>(i)]->m_ParentIndex
                                                               : -1;
            }
            for (int32_t i = 0; i < count; ++i) {
                int32_t want = expected[static_cast<size_t>(i)];
                EXPECT_EQ(want < 0 ? nullptr : objects[static_cast<size_t>(want)],
                          objects[static_cast<size_t>(i)]->m_pParentObject)
                    << what << ", step " << n << ": object " << i;
            }
        }
    }
    Object_ResetTable();
}

} // namespace
