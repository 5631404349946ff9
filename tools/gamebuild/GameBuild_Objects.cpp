// The objects chunk: a count table of object records. A record holds the name, sprite, flags, depth,
// parent and mask, from header version 6 on the physics block (from version 9 on with friction, awake
// and kinematic), then 12 offsets of event lists; a list holds its event entries (subtype, action
// count, first action record) and each event here has one action record of 16 words, the code entry
// in word 8 for compiled code and the source text's offset in word 15 otherwise.
#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

constexpr int32_t EVENT_TYPES = 12;
constexpr uint32_t ACTION_WORDS = 16;

void WritePhysics(ImageWriter& image, const PhysicsDesc& physics, int32_t version)
{
    image.U32(physics.enabled);
    image.U32(physics.sensor);
    image.U32(physics.shape);
    image.F32(physics.density);
    image.F32(physics.restitution);
    image.I32(physics.group);
    image.F32(physics.linearDamping);
    image.F32(physics.angularDamping);
    image.U32(static_cast<uint32_t>(physics.points.size()));
    if (version >= 9) {
        image.F32(physics.friction);
        image.U32(physics.awake);
        image.U32(physics.kinematic);
    }
    for (const auto& [x, y] : physics.points) {
        image.F32(x);
        image.F32(y);
    }
}

void WriteEvents(ImageWriter& image, const GameDesc& game, const GameCode& code, size_t objectIndex, uint32_t lists)
{
    const ObjectDesc& object = game.objects[objectIndex];
    for (int32_t type = 0; type < EVENT_TYPES; ++type) {
        std::vector<size_t> events;
        for (size_t k = 0; k < object.events.size(); ++k)
            if (object.events[k].type == type) events.push_back(k);
        image.PatchU32(lists + 4 * static_cast<uint32_t>(type), image.Position());
        image.U32(static_cast<uint32_t>(events.size()));
        uint32_t entries = image.Position();
        image.Zeros(4 * static_cast<uint32_t>(events.size()));
        for (size_t n = 0; n < events.size(); ++n) {
            const EventDesc& event = object.events[events[n]];
            image.PatchU32(entries + 4 * static_cast<uint32_t>(n), image.Position());
            int32_t entry = objectIndex < code.eventEntry.size() && events[n] < code.eventEntry[objectIndex].size()
                                ? code.eventEntry[objectIndex][events[n]]
                                : -1;
            WriteEventEntry(image, game, event.subtype, event.code, entry);
        }
    }
}

void WriteObject(ImageWriter& image, const GameDesc& game, const GameCode& code, size_t index)
{
    const ObjectDesc& object = game.objects[index];
    for (const EventDesc& event : object.events)
        if (event.type < 0 || event.type >= EVENT_TYPES)
            image.Error("objects[" + std::to_string(index) + "]: event type " + std::to_string(event.type) + " is not 0 to 11");
    image.StringRef(object.name);
    uint32_t sprite = static_cast<uint32_t>(object.sprite);
    if (object.spriteMarker) sprite |= 0x80000000u;
    image.U32(sprite);
    image.U32(object.visible ? 1 : 0);
    image.U32(object.solid ? 1 : 0);
    image.I32(object.depth);
    image.U32(object.persistent ? 1 : 0);
    image.I32(object.parent);
    image.I32(object.mask);
    if (game.header.version >= 6) WritePhysics(image, object.physics, game.header.version);
    image.U32(EVENT_TYPES);
    uint32_t lists = image.Position();
    image.Zeros(4 * EVENT_TYPES);
    WriteEvents(image, game, code, index, lists);
}

} // namespace

void WriteEventEntry(ImageWriter& image, const GameDesc& game, int32_t subtype, const CodeDesc& code, int32_t entry)
{
    image.I32(subtype);
    image.U32(1);
    image.U32(image.Position() + 4);
    for (uint32_t word = 0; word < ACTION_WORDS; ++word) {
        if (word == 8) image.I32(game.compiledCode ? entry : 0);
        else if (word == 15 && !game.compiledCode) image.StringRef(code.source);
        else image.U32(0);
    }
}

void WriteObjectsChunk(ImageWriter& image, const GameDesc& game, const GameCode& code)
{
    image.BeginChunk("OBJT");
    image.U32(static_cast<uint32_t>(game.objects.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(game.objects.size()));
    for (size_t i = 0; i < game.objects.size(); ++i) {
        if (!game.objects[i].present) continue;
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        WriteObject(image, game, code, i);
    }
    image.EndChunk();
}

} // namespace gamebuild
