// Chunks written here byte by byte from their layouts, not by the builder, and read through the real
// loader: a layout mistake shared by the builder and the readers cannot pass these.
#include <gtest/gtest.h>

#include <cstring>
#include <concepts>
#include <functional>
#include <tuple>

#include "GameFileTestSupport.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Code.h"
#include "gamefile/GameFile_Header.h"
#include "object/Object_Class.h"
#include "object/Object_Event.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "room/Room_Definition.h"
#include "room/Room_Table.h"
#include "script/Script_Table.h"
#include "variable/Variable_Names.h"

namespace {

struct Text {
    const char* text;
};

// One word of a record: a whole number, a float, or the offset of a string's characters.
struct Item {
    template <std::integral T> Item(T value) : word(static_cast<uint32_t>(value)) {}
    Item(float value) { std::memcpy(&word, &value, 4); }
    Item(Text string) : text(string.text) {}
    uint32_t word = 0;
    const char* text = nullptr;
};

// A game file written word by word. Strings are gathered in a strings chunk written last, when
// every reference to them is patched.
class ChunkWriter {
  public:
    ChunkWriter() { Put({Tag("FORM"), 0}); }
    size_t Here() const { return m_Bytes.size(); }
    void Put(std::initializer_list<Item> items)
    {
        for (const Item& item : items) {
            if (item.text != nullptr) m_Refs.push_back({Here(), item.text});
            for (int i = 0; i < 4; ++i) m_Bytes.push_back(static_cast<uint8_t>(item.word >> (8 * i)));
        }
    }
    void Patch(size_t at, size_t word) { WriteWord(m_Bytes, at, static_cast<uint32_t>(word)); }

    void Begin(const char* tag)
    {
        Put({Tag(tag)});
        m_Length = Here();
        Put({0});
    }
    void End() { Patch(m_Length, Here() - m_Length - 4); }

    // A count table of n slots, each pointing at the place where the writer stood when Mark was called.
    size_t Table(uint32_t n)
    {
        Put({n});
        size_t slots = Here();
        for (uint32_t i = 0; i < n; ++i) Put({0});
        return slots;
    }
    void Mark(size_t table, uint32_t i) { Patch(table + 4 * i, Here()); }

    std::vector<uint8_t> Finish()
    {
        Begin("STRG");
        size_t table = Table(static_cast<uint32_t>(m_Refs.size()));
        for (uint32_t i = 0; i < m_Refs.size(); ++i) {
            Mark(table, i);
            Put({m_Refs[i].second.size()});
            Patch(m_Refs[i].first, Here());
            for (char c : m_Refs[i].second) m_Bytes.push_back(static_cast<uint8_t>(c));
            do m_Bytes.push_back(0);
            while (m_Bytes.size() % 4 != 0);
        }
        End();
        Patch(4, Here() - 8);
        return m_Bytes;
    }

  private:
    static uint32_t Tag(const char* tag) { return ReadWord(std::vector<uint8_t>(tag, tag + 4), 0); }

    std::vector<uint8_t> m_Bytes;
    std::vector<std::pair<size_t, std::string>> m_Refs;
    size_t m_Length = 0;
};

// A version-13 header: debug byte 0 and version 13, strings at 4, 8, 40 and 100, ids at 12 to 20,
// the window at 60 to 68, the 64-bit words at 104 and 112, the Steam id at 120, the room order at 124.
void WriteHeader(ChunkWriter& w)
{
    w.Begin("GEN8");
    w.Put({13 << 8, Text{"Game Name"}, Text{"Config"}, 100050, 10000070, 4242, 1, 2, 3, 4, Text{"SaveFolder"}, 0, 0,
           0, 0, 800, 600, 0x61, 0, 0, 0, 0, 0, 0, 0, Text{"Display Name"}, 5, 1, 0x4, 0, 480, 1, 0});
    w.End();
}

template <typename... T> std::vector<double> Values(T... values) { return {static_cast<double>(values)...}; }

struct ChunkCase {
    const char* name;
    std::function<void(ChunkWriter&)> write;
    std::function<void()> check;
};

void PrintTo(const ChunkCase& c, std::ostream* out) { *out << c.name; }

// The objects chunk: entry 0 empty; entry 1 with its physics block (from version 9 real 5 and flags
// 3 and 4 follow the point count) and two event types holding a handler each (action word 15: text).
void WriteObjects(ChunkWriter& w)
{
    w.Begin("OBJT");
    size_t table = w.Table(2);
    w.Mark(table, 1);
    w.Put({Text{"obj_b"}, 0x80000005, 0, 1, -7, 1, -1, 3, 1, 0, 2, 0.5f, 0.25f, 4, 0.125f, 2.0f, 1, 0.75f, 0, 1, 3.0f,
           4.0f});
    size_t types = w.Table(12);
    for (uint32_t type = 0; type < 12; ++type) w.Patch(types + 4 * type, w.Here());
    w.Put({0});
    for (auto [type, subtype, text] : {std::tuple{0u, 0u, "a = 1;"}, {3u, 2u, "b = 2;"}}) {
        w.Mark(types, type);
        w.Put({1, w.Here() + 8, subtype, 1, w.Here() + 20, 0, 0, 0, 0, 0, 0, 0, 0, 77, 0, 0, 0, 0, 0, 0, Text{text}});
    }
    w.End();
}

// The rooms chunk: one room of 22 words and its four lists of one entry each.
void WriteRooms(ChunkWriter& w)
{
    w.Begin("ROOM");
    size_t table = w.Table(1);
    w.Mark(table, 0);
    size_t room = w.Here();
    w.Put({Text{"room_main"}, Text{"The Caption"}, 800, 600, 45, 1, 0x123456, 0, Text{"room code;"}, 1, 0, 0, 0, 0, 1,
           0, 0, 0, 0, -0.5f, 9.8f, 0.05f});
    const std::vector<std::vector<Item>> lists = {
        {1, 0, 3, 5, -6, 0, 1, 2, -3, 0},
        {1, 10, 20, 300, 200, 1, 2, 600, 400, 64, 48, 4, 5, 0},
        {12, 34, 0, 100007, Text{"inst code;"}, 2.0f, -0.5f, 0x80FF0000, 45.0f},
        {3, 4, 2, 16, 32, 8, 9, -100, 10000001, 1.5f, 1.0f, 0x40123456}};
    for (size_t i = 0; i < lists.size(); ++i) {
        w.Patch(room + 40 + 4 * i, w.Here());
        w.Put({1, w.Here() + 8});
        for (const Item& item : lists[i]) w.Put({item});
    }
    w.End();
}

// Compiled code: two pushes of self.x (bits 29 and 31 of the operand set and the low 29 bits the
// distance to the next reference, 8 bytes; the second also with bit 30), a call of scr_a (operand:
// distance 0) and an exit; the variables and functions chunks name them; the script takes entry 0.
void WriteCode(ChunkWriter& w)
{
    w.Begin("CODE");
    size_t code = w.Here() + 16;
    w.Put({1, w.Here() + 8, Text{"Script_scr_a"}, 28, 0xC005FFFF, 0xA0000008, 0xC005FFFF, 0xE0000000, 0xDA020000,
           0, 0x9E000000});
    w.End();
    w.Begin("VARI");
    w.Put({Text{"x"}, 2, code});
    w.End();
    w.Begin("SCPT");
    w.Put({1, w.Here() + 8, Text{"scr_a"}, 0});
    w.End();
    w.Begin("FUNC");
    w.Put({Text{"scr_a"}, 1, code + 16});
    w.End();
}

std::vector<uint32_t> LoadedCode()
{
    const CodeEntry* entry = Code_GetEntry(0);
    std::vector<uint32_t> words(static_cast<size_t>(entry->length) / 4);
    std::memcpy(words.data(), entry->words, words.size() * 4);
    return words;
}

std::vector<ChunkCase> Cases()
{
    return {
        {"Header", [](ChunkWriter&) {},
         [] {
             const GameHeader& h = g_GameHeader;
             EXPECT_EQ(Values(0, 13, 100050, 10000070, 4242, 800, 600, 0x61, 0x4, 480),
                       Values(h.debugByte, h.version, h.lastInstanceId, h.lastTileId, h.gameId, h.windowWidth,
                              h.windowHeight, h.infoFlags, h.optionBits, h.steamAppId));
             EXPECT_EQ((std::vector<std::string>{"Game Name", "Config", "Display Name", "SaveFolder"}),
                       (std::vector<std::string>{h.name, h.configName, h.displayName, h.saveFolder}));
             EXPECT_EQ(0x100000005u, h.kept104);
             EXPECT_EQ(std::vector<int32_t>{0}, h.roomOrder);
         }},
        {"Options",
         [](ChunkWriter& w) {
             // Words 0 to 34 (4 cursor, 8 colour, 11 resolution, 15 Alt+Enter, 22 freeze, 32 abort,
             // 33 unset variables, 34 create event first), then two constants.
             w.Begin("OPTN");
             w.Put({0, 0, 0, 0, 0, 0, 0, 0, 0x123456, 0, 0, 3, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 1, 1, 0, 0, 0, 0, 255, 1,
                    0, 0, 1, 1, 1, 2, Text{"VersionMajor"}, Text{"3"}, Text{"VersionMinor"}, Text{"7"}});
             w.End();
         },
         [] {
             const GameOptions& o = g_GameOptions;
             EXPECT_EQ(Values(0, 0x123456, 3, 0, 1, 1, 1, 1, 3, 7),
                       Values(o.CursorShown, o.windowColour, o.resolutionCode, o.altEnterSwitches,
                              o.freezeWhenInactive, o.abortOnError, o.unsetVariableIsError, o.createEventBeforeCode,
                              o.versionMajor, o.versionMinor));
             ASSERT_EQ(2, g_ConstantCount);
             EXPECT_STREQ("VersionMinor", g_ConstantNames[1]);
             EXPECT_STREQ("7", g_ConstantValues[1]);
         }},
        {"Objects", WriteObjects,
         [] {
             EXPECT_EQ(2, Object_Count());
             EXPECT_EQ(nullptr, Object_Data(0));
             const CObject* o = Object_Data(1);
             ASSERT_NE(nullptr, o);
             EXPECT_STREQ("obj_b", o->GetName());
             EXPECT_EQ(Values(5, 0, 1, -7, 1, -1, 3), Values(o->m_SpriteIndex, o->IsVisible(), o->IsSolid(),
                                                             o->m_Depth, o->IsPersistent(), o->m_ParentIndex,
                                                             o->m_MaskIndex));
             EXPECT_NE(0u, g_ObjectSpriteMarker & 0x80000000u);
             const ObjectPhysics& p = o->m_Physics;
             EXPECT_EQ(Values(1, 0, 2, 0.5, 0.25, 4, 0.125, 2, 0.75, 0, 1, 1, 3, 4),
                       Values(p.enabled, p.sensor, p.shape, p.density, p.restitution, p.group, p.linearDamping,
                              p.angularDamping, p.friction, p.awake, p.kinematic, p.pointCount, p.points[0],
                              p.points[1]));
             ASSERT_NE(nullptr, o->GetEvent(0, 0));
             EXPECT_STREQ("a = 1;", o->GetEvent(0, 0)->m_pText);
             ASSERT_NE(nullptr, o->GetEvent(3, 2));
             EXPECT_STREQ("b = 2;", o->GetEvent(3, 2)->m_pText);
             EXPECT_EQ(3, o->m_Events[3].count) << "grown to the subtype";
             EXPECT_EQ(nullptr, o->GetEvent(3, 0));
         }},
        {"Rooms", WriteRooms,
         [] {
             const CRoom* r = Room_Get(0);
             ASSERT_NE(nullptr, r);
             EXPECT_STREQ("room_main", r->m_pName);
             EXPECT_STREQ("The Caption", r->m_pCaption);
             EXPECT_STREQ("room code;", r->m_pCreationText);
             EXPECT_EQ(Values(800, 600, 45, 1, 0x123456, 0, 1, 1, 0, 9, 0.05f),
                       Values(r->m_Width, r->m_Height, r->m_Speed, r->m_Persistent, r->m_Colour, r->m_ShowColour,
                              r->m_EnableViews, r->m_UsesPhysics, r->m_GravityX, r->m_GravityY, r->m_PhysicsScale));
             const RoomBackground& b = r->m_Backgrounds[0];
             EXPECT_EQ(Values(1, 0, 3, 5, -6, 0, 1, 2, -3), Values(b.visible, b.foreground, b.index, b.x, b.y,
                                                                   b.htiled, b.vtiled, b.hspeed, b.vspeed));
             const RoomView& v = r->m_Views[0];
             EXPECT_EQ(Values(1, 10, 20, 300, 200, 1, 2, 600, 400, 64, 48, 4, 5, 0),
                       Values(v.visible, v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport,
                              v.hborder, v.vborder, v.hspeed, v.vspeed, v.object));
             ASSERT_EQ(1u, r->m_pDefinition->instances.size());
             const RoomInstanceDef& i = r->m_pDefinition->instances[0];
             EXPECT_EQ(Values(12, 34, 0, 100007, 2, -0.5, 0x80FF0000u, 45),
                       Values(i.x, i.y, i.object, i.id, i.xscale, i.yscale, i.colour, i.rotation));
             EXPECT_NE(nullptr, i.code);
             ASSERT_EQ(1u, r->m_pDefinition->tiles.size());
             const RoomTileDef& t = r->m_pDefinition->tiles[0];
             EXPECT_EQ(Values(3, 4, 2, 16, 32, 8, 9, -100, 10000001, 1.5, 1, 0x40123456u),
                       Values(t.x, t.y, t.background, t.left, t.top, t.width, t.height, t.depth, t.id, t.xscale,
                              t.yscale, t.colour));
         }},
        {"SourceScripts",
         [](ChunkWriter& w) {
             w.Begin("SCPT");
             w.Put({2, w.Here() + 12, 0, Text{"scr_a"}, Text{"return 1;"}});
             w.End();
         },
         [] {
             EXPECT_EQ(2, Script_Count());
             EXPECT_FALSE(Script_Exists(1));
             EXPECT_STREQ("scr_a", Script_Name(0));
             EXPECT_STREQ("return 1;", Script_Get(0)->GetText());
         }},
        {"CodeVariablesFunctionsAndScripts", WriteCode,
         [] {
             ASSERT_EQ(1, Code_EntryCount());
             EXPECT_STREQ("Script_scr_a", Code_GetEntry(0)->name);
             uint32_t x = static_cast<uint32_t>(Code_Variable_Find("x"));
             EXPECT_EQ((std::vector<uint32_t>{0xC005FFFF, 0xA0000000 | x, 0xC005FFFF, 0xE0000000 | x, 0xDA020000,
                                              100000, 0x9E000000}),
                       LoadedCode());
             EXPECT_EQ(0, Script_Get(0)->m_CodeIndex);
             EXPECT_STREQ("", Script_Get(0)->GetText());
         }},
    };
}

class ChunkBytes : public testing::TestWithParam<ChunkCase> {
  protected:
    void TearDown() override
    {
        RoomTables_Reset();
        Object_ResetTable();
        Script_Reset();
        Code_ClearEntries();
        Code_ClearFileRanges();
        GameHeader_Clear();
        g_GameOptions = GameOptions();
    }
    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace

TEST_P(ChunkBytes, AreReadIntoTheirFields)
{
    ChunkWriter writer;
    WriteHeader(writer);
    GetParam().write(writer);
    ASSERT_TRUE(LoadBothPasses(m_File, writer.Finish())) << m_Log.Text();
    EXPECT_FALSE(m_Log.Has("Malformed")) << m_Log.Text();
    GetParam().check();
}

INSTANTIATE_TEST_SUITE_P(Chunks, ChunkBytes, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<ChunkCase>& info) { return info.param.name; });
