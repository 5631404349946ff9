// The rooms chunk: a count table of room records. A record holds the name, caption, size, speed,
// persistence, colour and its show flag, the creation code (code entry, or -1, for compiled code;
// the source text's offset otherwise), the views flag and the offsets of four lists, and from header
// version 6 on the physics words (flag, four unread words, gravity x and y, scale). Each list is a
// count table of entry offsets: background layers (10 words), views (14), placed instances (9:
// x, y, object, id, creation code, xscale, yscale, colour, rotation) and tiles (12).
#include "gamebuild/GameBuild_Chunks.h"

#include <set>

namespace gamebuild {
namespace {

constexpr int32_t PHYSICS_VERSION = 6;
constexpr uint32_t UNREAD_WORDS = 4;

// The code word of a record: the entry (compiled) or the text's offset (source); none is -1 or 0.
void WriteCodeWord(ImageWriter& image, const GameDesc& game, bool hasCode, const CodeDesc& desc, int32_t entry)
{
    if (game.compiledCode) image.I32(hasCode ? entry : -1);
    else if (hasCode) image.StringRef(desc.source);
    else image.U32(0);
}

// A count table of `count` entries whose offsets are patched as each entry is written.
uint32_t BeginList(ImageWriter& image, size_t count)
{
    image.U32(static_cast<uint32_t>(count));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(count));
    return table;
}

void PlaceEntry(ImageWriter& image, uint32_t table, size_t index)
{
    image.PatchU32(table + 4 * static_cast<uint32_t>(index), image.Position());
}

void WriteBackgrounds(ImageWriter& image, const RoomDesc& room)
{
    uint32_t table = BeginList(image, room.backgrounds.size());
    for (size_t i = 0; i < room.backgrounds.size(); ++i) {
        const RoomBackgroundDesc& b = room.backgrounds[i];
        if (!b.present) continue;
        PlaceEntry(image, table, i);
        for (int32_t word : {b.visible, b.foreground, b.background, b.x, b.y, b.htiled, b.vtiled, b.hspeed, b.vspeed, b.stretch})
            image.I32(word);
    }
}

void WriteViews(ImageWriter& image, const RoomDesc& room)
{
    uint32_t table = BeginList(image, room.views.size());
    for (size_t i = 0; i < room.views.size(); ++i) {
        const RoomViewDesc& v = room.views[i];
        if (!v.present) continue;
        PlaceEntry(image, table, i);
        for (int32_t word : {v.visible, v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport,
                             v.hborder, v.vborder, v.hspeed, v.vspeed, v.object})
            image.I32(word);
    }
}

void WriteInstances(ImageWriter& image, const GameDesc& game, const GameCode& code, size_t roomIndex)
{
    const RoomDesc& room = game.rooms[roomIndex];
    uint32_t table = BeginList(image, room.instances.size());
    for (size_t i = 0; i < room.instances.size(); ++i) {
        const RoomInstanceDesc& instance = room.instances[i];
        if (!instance.present) continue;
        PlaceEntry(image, table, i);
        image.I32(instance.x);
        image.I32(instance.y);
        image.I32(instance.object);
        image.I32(instance.id);
        int32_t entry = roomIndex < code.instanceEntry.size() && i < code.instanceEntry[roomIndex].size()
                            ? code.instanceEntry[roomIndex][i]
                            : -1;
        WriteCodeWord(image, game, instance.hasCode, instance.code, entry);
        image.F32(instance.xscale);
        image.F32(instance.yscale);
        image.U32(instance.colour);
        image.F32(instance.rotation);
    }
}

void WriteTiles(ImageWriter& image, const RoomDesc& room)
{
    uint32_t table = BeginList(image, room.tiles.size());
    for (size_t i = 0; i < room.tiles.size(); ++i) {
        const RoomTileDesc& t = room.tiles[i];
        if (!t.present) continue;
        PlaceEntry(image, table, i);
        for (int32_t word : {t.x, t.y, t.background, t.left, t.top, t.width, t.height, t.depth, t.id}) image.I32(word);
        image.F32(t.xscale);
        image.F32(t.yscale);
        image.U32(t.colour);
    }
}

void WriteRoom(ImageWriter& image, const GameDesc& game, const GameCode& code, size_t index)
{
    const RoomDesc& room = game.rooms[index];
    image.StringRef(room.name);
    if (room.hasCaption) image.StringRef(room.caption);
    else image.U32(0);
    image.I32(room.width);
    image.I32(room.height);
    image.I32(room.speed);
    image.U32(room.persistent ? 1 : 0);
    image.U32(room.colour);
    image.U32(room.showColour ? 1 : 0);
    int32_t entry = index < code.roomEntry.size() ? code.roomEntry[index] : -1;
    WriteCodeWord(image, game, room.hasCode, room.code, entry);
    image.U32(room.enableViews);
    uint32_t lists = image.Position();
    image.Zeros(16);
    if (game.header.version >= PHYSICS_VERSION) {
        image.U32(room.usesPhysics ? 1 : 0);
        image.Zeros(4 * UNREAD_WORDS);
        image.F32(room.gravityX);
        image.F32(room.gravityY);
        image.F32(room.physicsScale);
    }
    image.PatchU32(lists, image.Position());
    WriteBackgrounds(image, room);
    image.PatchU32(lists + 4, image.Position());
    WriteViews(image, room);
    image.PatchU32(lists + 8, image.Position());
    WriteInstances(image, game, code, index);
    image.PatchU32(lists + 12, image.Position());
    WriteTiles(image, room);
}

} // namespace

void WriteRoomsChunk(ImageWriter& image, const GameDesc& game, const GameCode& code)
{
    image.BeginChunk("ROOM");
    uint32_t table = BeginList(image, game.rooms.size());
    for (size_t i = 0; i < game.rooms.size(); ++i) {
        if (!game.rooms[i].present) continue;
        PlaceEntry(image, table, i);
        WriteRoom(image, game, code, i);
    }
    image.EndChunk();
}

namespace {

// The ids of one kind: those the manifest gives are kept, the others take the next ids after the
// header's counter that no entry was given, and the counter ends at the greatest id, so that the
// ids the run-time makes (tile_add, instance_create) are new.
class IdAssigner {
public:
    explicit IdAssigner(uint32_t& counter) : m_Counter(counter) {}
    void Note(bool present, int32_t id)
    {
        if (present && id != 0) m_Given.insert(id);
    }
    void Assign(bool present, int32_t& id)
    {
        if (!present || id != 0) return;
        do {
            ++m_Counter;
        } while (m_Given.count(static_cast<int32_t>(m_Counter)) != 0);
        id = static_cast<int32_t>(m_Counter);
    }
    void RaiseCounter()
    {
        if (!m_Given.empty() && *m_Given.rbegin() > static_cast<int64_t>(m_Counter))
            m_Counter = static_cast<uint32_t>(*m_Given.rbegin());
    }

private:
    uint32_t& m_Counter;
    std::set<int32_t> m_Given;
};

} // namespace

void AssignRoomIds(GameDesc& game)
{
    IdAssigner instances(game.header.lastInstanceId), tiles(game.header.lastTileId);
    for (const RoomDesc& room : game.rooms) {
        for (const RoomInstanceDesc& instance : room.instances) instances.Note(instance.present, instance.id);
        for (const RoomTileDesc& tile : room.tiles) tiles.Note(tile.present, tile.id);
    }
    for (RoomDesc& room : game.rooms) {
        for (RoomInstanceDesc& instance : room.instances) instances.Assign(instance.present, instance.id);
        for (RoomTileDesc& tile : room.tiles) tiles.Assign(tile.present, tile.id);
    }
    instances.RaiseCounter();
    tiles.RaiseCounter();
}

void CheckRooms(const GameDesc& game, ImageWriter& image)
{
    if (game.compiledCode) return;
    for (size_t i = 0; i < game.rooms.size(); ++i) {
        const RoomDesc& room = game.rooms[i];
        std::string at = "rooms[" + std::to_string(i) + "]";
        if (room.hasCode && room.code.isAssembly) image.Error(at + ": assembly needs a game of compiled code");
        for (size_t k = 0; k < room.instances.size(); ++k)
            if (room.instances[k].hasCode && room.instances[k].code.isAssembly)
                image.Error(at + ".instances[" + std::to_string(k) + "]: assembly needs a game of compiled code");
    }
}

} // namespace gamebuild
