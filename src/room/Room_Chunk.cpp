// Reading one entry of the rooms chunk into a room record and its definition. An entry holds 22
// words (14 before header version 6, which added the physics words); its four lists (background
// layers, views, placed instances, tiles) are count tables of entry offsets, an offset of 0 being
// an empty entry. Everything read is checked against the file; nothing is patched.
#include <cstring>
#include <string>

#include "background/Background_Table.h"
#include "base/Base_Numbers.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "physics/Physics_World.h"
#include "room/Room_Class.h"
#include "room/Room_Definition.h"

namespace {

enum : uint32_t {
    WORD_NAME = 0,
    WORD_CAPTION = 1,
    WORD_WIDTH = 2,
    WORD_HEIGHT = 3,
    WORD_SPEED = 4,
    WORD_PERSISTENT = 5,
    WORD_COLOUR = 6,
    WORD_SHOW_COLOUR = 7,
    WORD_CREATION_CODE = 8,
    WORD_ENABLE_VIEWS = 9,
    WORD_BACKGROUNDS = 10,
    WORD_VIEWS = 11,
    WORD_INSTANCES = 12,
    WORD_TILES = 13,
    WORD_USES_PHYSICS = 14,
    WORD_GRAVITY_X = 19,
    WORD_GRAVITY_Y = 20,
    WORD_PHYSICS_SCALE = 21,
    ENTRY_WORDS_BEFORE_PHYSICS = 14,
    ENTRY_WORDS = 22,
    BACKGROUND_WORDS = 10,
    VIEW_WORDS = 14,
    INSTANCE_WORDS = 9,
    TILE_WORDS = 12,
};

constexpr int32_t PHYSICS_HEADER_VERSION = 6;
constexpr uint32_t NO_CODE = 0xFFFFFFFFu;

// Reads `count` little-endian words at `at`; false when they do not all lie in the file.
bool ReadWords(const GameFile& file, uint32_t at, uint32_t count, uint32_t* words)
{
    if (!file.Contains(at, 4 * count)) return false;
    for (uint32_t i = 0; i < count; ++i) file.U32(at + 4 * i, words[i]);
    return true;
}

float WordAsReal(uint32_t word)
{
    float value;
    static_assert(sizeof value == sizeof word);
    std::memcpy(&value, &word, sizeof value);
    return value;
}

int32_t Signed(uint32_t word) { return static_cast<int32_t>(word); }

uint8_t Flag(uint32_t word) { return word != 0 ? 1 : 0; }

// A list of the room (`what`: "its view list"): its count table at `offset`, 0 being an empty list.
bool ReadList(const GameFileEntry& room, const char* what, uint32_t offset, GameFileCountTable& table)
{
    table = GameFileCountTable();
    return offset == 0 || room.CountTable(what, offset, table);
}

// The words of entry `index` of a list (`what`: "its view"); false (after the log line) when they
// do not lie in the file, true with `present` false for an empty entry.
bool ReadEntry(const GameFileEntry& room, const GameFileCountTable& table, uint32_t index, uint32_t count,
               uint32_t* words, bool& present, const char* what)
{
    uint32_t offset = table.Entry(room.File(), index);
    present = offset != 0;
    if (!present || ReadWords(room.File(), offset, count, words)) return true;
    return room.Holds(std::string(what) + " " + std::to_string(index), offset, 4 * count);
}

// The creation code of the room's instance `instance`. Source form: a code object over the text at
// the offset (none for offset 0). Compiled form: the code entry of the index (none for -1).
bool MakeInstanceCode(const GameFileEntry& room, uint32_t instance, uint32_t word, CCode*& code)
{
    code = nullptr;
    if (g_CompiledCode) {
        if (word != NO_CODE) code = CCode::CCode_Compiled(Signed(word), false);
        return true;
    }
    const char* text = nullptr;
    // Worded only for a refusal: a room may place thousands of instances.
    if (!room.File().String(word, text))
        return room.String("the creation code of its instance " + std::to_string(instance), word, text);
    if (text != nullptr) code = new CCode(text, false);
    return true;
}

bool ReadBackgrounds(const GameFileEntry& room, uint32_t offset, RoomDefinition& definition)
{
    GameFileCountTable table;
    if (!ReadList(room, "its background list", offset, table)) return false;
    // One record per layer: entries past the eighth have no layer to go to.
    uint32_t count = table.count < ROOM_LAYERS ? table.count : ROOM_LAYERS;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t w[BACKGROUND_WORDS];
        RoomBackgroundDef entry;
        if (!ReadEntry(room, table, i, BACKGROUND_WORDS, w, entry.present, "its background")) return false;
        if (entry.present) {
            entry.visible = Signed(w[0]);
            entry.foreground = Signed(w[1]);
            entry.index = Signed(w[2]);
            entry.x = Signed(w[3]);
            entry.y = Signed(w[4]);
            entry.htiled = Signed(w[5]);
            entry.vtiled = Signed(w[6]);
            entry.hspeed = Signed(w[7]);
            entry.vspeed = Signed(w[8]);
            entry.stretch = Signed(w[9]);
        }
        definition.backgrounds.push_back(entry);
    }
    return true;
}

bool ReadViews(const GameFileEntry& room, uint32_t offset, RoomDefinition& definition)
{
    GameFileCountTable table;
    if (!ReadList(room, "its view list", offset, table)) return false;
    uint32_t count = table.count < ROOM_VIEWS ? table.count : ROOM_VIEWS;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t w[VIEW_WORDS];
        RoomViewDef entry;
        if (!ReadEntry(room, table, i, VIEW_WORDS, w, entry.present, "its view")) return false;
        if (entry.present) {
            int32_t* fields[VIEW_WORDS] = {&entry.visible, &entry.xview,   &entry.yview,   &entry.wview, &entry.hview,
                                           &entry.xport,   &entry.yport,   &entry.wport,   &entry.hport, &entry.hborder,
                                           &entry.vborder, &entry.hspeed,  &entry.vspeed,  &entry.object};
            for (uint32_t k = 0; k < VIEW_WORDS; ++k) *fields[k] = Signed(w[k]);
        }
        definition.views.push_back(entry);
    }
    return true;
}

bool ReadInstances(const GameFileEntry& room, uint32_t offset, RoomDefinition& definition)
{
    GameFileCountTable table;
    if (!ReadList(room, "its instance list", offset, table)) return false;
    definition.instances.reserve(table.count);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t w[INSTANCE_WORDS];
        RoomInstanceDef entry;
        if (!ReadEntry(room, table, i, INSTANCE_WORDS, w, entry.present, "its instance")) return false;
        if (entry.present) {
            entry.x = Signed(w[0]);
            entry.y = Signed(w[1]);
            entry.object = Signed(w[2]);
            entry.id = Signed(w[3]);
            entry.xscale = WordAsReal(w[5]);
            entry.yscale = WordAsReal(w[6]);
            entry.colour = w[7];
            entry.rotation = WordAsReal(w[8]);
            if (!MakeInstanceCode(room, i, w[4], entry.code)) return false;
        }
        definition.instances.push_back(entry);
    }
    return true;
}

bool ReadTiles(const GameFileEntry& room, uint32_t offset, RoomDefinition& definition)
{
    GameFileCountTable table;
    if (!ReadList(room, "its tile list", offset, table)) return false;
    definition.tiles.reserve(table.count);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t w[TILE_WORDS];
        RoomTileDef entry;
        if (!ReadEntry(room, table, i, TILE_WORDS, w, entry.present, "its tile")) return false;
        if (entry.present) {
            entry.x = Signed(w[0]);
            entry.y = Signed(w[1]);
            entry.background = Signed(w[2]);
            entry.left = Signed(w[3]);
            entry.top = Signed(w[4]);
            entry.width = Signed(w[5]);
            entry.height = Signed(w[6]);
            entry.depth = Signed(w[7]);
            entry.id = Signed(w[8]);
            entry.xscale = WordAsReal(w[9]);
            entry.yscale = WordAsReal(w[10]);
            entry.colour = w[11];
        }
        definition.tiles.push_back(entry);
    }
    return true;
}

// The room's creation code: source form keeps the text and a code object over the definition's
// copy of it (made only for a text that says something); compiled form the code entry.
bool ReadCreationCode(const GameFileEntry& room, uint32_t word, RoomDefinition& definition)
{
    if (g_CompiledCode) {
        if (word != NO_CODE) definition.creationCode = CCode::CCode_Compiled(Signed(word), false);
        return true;
    }
    const char* text = nullptr;
    if (!room.String("its creation code", word, text)) return false;
    definition.creationText = text != nullptr ? text : "";
    if (!definition.creationText.empty()) definition.creationCode = new CCode(definition.creationText.c_str(), false);
    return true;
}

bool ReadDefinition(const GameFileEntry& room, const uint32_t* w, RoomDefinition& definition)
{
    const char* name = nullptr;
    const char* caption = nullptr;
    if (!room.String("its name", w[WORD_NAME], name) || !room.String("its caption", w[WORD_CAPTION], caption))
        return false;
    definition.hasName = name != nullptr;
    definition.name = name != nullptr ? name : "";
    definition.hasCaption = caption != nullptr;
    definition.caption = caption != nullptr ? caption : "";
    definition.width = Signed(w[WORD_WIDTH]);
    definition.height = Signed(w[WORD_HEIGHT]);
    definition.speed = Signed(w[WORD_SPEED]);
    definition.persistent = w[WORD_PERSISTENT];
    definition.colour = w[WORD_COLOUR];
    definition.showColour = w[WORD_SHOW_COLOUR];
    definition.enableViews = w[WORD_ENABLE_VIEWS];
    if (g_GameHeader.version >= PHYSICS_HEADER_VERSION) {
        definition.usesPhysics = w[WORD_USES_PHYSICS];
        definition.gravityX = WordAsReal(w[WORD_GRAVITY_X]);
        definition.gravityY = WordAsReal(w[WORD_GRAVITY_Y]);
        definition.physicsScale = WordAsReal(w[WORD_PHYSICS_SCALE]);
    }
    if (!ReadCreationCode(room, w[WORD_CREATION_CODE], definition)) return false;
    return ReadBackgrounds(room, w[WORD_BACKGROUNDS], definition) &&
           ReadViews(room, w[WORD_VIEWS], definition) && ReadInstances(room, w[WORD_INSTANCES], definition) &&
           ReadTiles(room, w[WORD_TILES], definition);
}

void ApplyBackground(const RoomBackgroundDef& entry, int32_t roomWidth, int32_t roomHeight, RoomBackground& layer)
{
    layer.visible = Flag(static_cast<uint32_t>(entry.visible));
    layer.foreground = Flag(static_cast<uint32_t>(entry.foreground));
    layer.index = entry.index;
    layer.x = static_cast<float>(entry.x);
    layer.y = static_cast<float>(entry.y);
    layer.htiled = Flag(static_cast<uint32_t>(entry.htiled));
    layer.vtiled = Flag(static_cast<uint32_t>(entry.vtiled));
    layer.hspeed = static_cast<float>(entry.hspeed);
    layer.vspeed = static_cast<float>(entry.vspeed);
    layer.blend = 0xFFFFFFu;
    layer.alpha = 1.0f;
    const CBackground* background = entry.stretch != 0 ? Background_Data(entry.index) : nullptr;
    if (background == nullptr) return;
    if (background->GetWidth() > 0)
        layer.xscale = static_cast<float>(roomWidth) / static_cast<float>(background->GetWidth());
    if (background->GetHeight() > 0)
        layer.yscale = static_cast<float>(roomHeight) / static_cast<float>(background->GetHeight());
}

void ApplyView(const RoomViewDef& entry, RoomView& view)
{
    view.visible = Flag(static_cast<uint32_t>(entry.visible));
    view.xview = entry.xview;
    view.yview = entry.yview;
    view.wview = entry.wview;
    view.hview = entry.hview;
    view.xport = entry.xport;
    view.yport = entry.yport;
    view.wport = entry.wport;
    view.hport = entry.hport;
    view.angle = 0.0f;
    view.hborder = entry.hborder;
    view.vborder = entry.vborder;
    view.hspeed = entry.hspeed;
    view.vspeed = entry.vspeed;
    view.object = entry.object;
}

} // namespace

bool CRoom::LoadFromChunk(const GameFileEntry& record)
{
    uint32_t w[ENTRY_WORDS] = {};
    uint32_t words = g_GameHeader.version >= PHYSICS_HEADER_VERSION ? ENTRY_WORDS : ENTRY_WORDS_BEFORE_PHYSICS;
    if (!record.Holds("its record", record.At(), 4 * words)) return false;
    ReadWords(record.File(), record.At(), words, w);

    SetDefaults();
    RoomDefinition* definition = RoomDefinitions_New();
    if (!ReadDefinition(record, w, *definition)) return false;
    m_pDefinition = definition;
    SetName(definition->hasName ? definition->name.c_str() : nullptr);
    SetCaption(definition->hasCaption ? definition->caption.c_str() : nullptr);
    m_Width = definition->width;
    m_Height = definition->height;
    m_Speed = definition->speed;
    m_Persistent = definition->persistent;
    m_Colour = definition->colour;
    m_ShowColour = definition->showColour;
    SetCreationText(definition->creationText.c_str());
    m_pCreationCode = definition->creationCode;
    // Real files carry a flag word here (2 with views off, 3 with views on): bit 0 is the flag.
    m_EnableViews = definition->enableViews & 1u;
    m_UsesPhysics = Flag(definition->usesPhysics);
    m_GravityX = Numbers_TruncToInt32(definition->gravityX);
    m_GravityY = Numbers_TruncToInt32(definition->gravityY);
    m_PhysicsScale = definition->physicsScale;
    if (m_UsesPhysics) {
        m_pPhysicsWorld = new CPhysicsWorld(m_PhysicsScale, m_Speed);
        m_pPhysicsWorld->SetGravity(static_cast<float>(m_GravityX), static_cast<float>(m_GravityY));
    }
    for (size_t i = 0; i < definition->backgrounds.size(); ++i)
        if (definition->backgrounds[i].present) ApplyBackground(definition->backgrounds[i], m_Width, m_Height, m_Backgrounds[i]);
    for (size_t i = 0; i < definition->views.size(); ++i)
        if (definition->views[i].present) ApplyView(definition->views[i], m_Views[i]);
    return true;
}
