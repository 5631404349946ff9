// The running room's part of a saved game: settings, layers, views, tiles and both instance lists,
// one typed value at a time. A stream from a file is untrusted: counts are checked against the
// bytes left, and the room read is a staged one, its instances neither in the id hash nor in their
// objects' lists until the saved game is committed.
#include <cmath>
#include <cstdint>

#include "buffer/Buffer_IBuffer.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_Services.h"
#include "instance/Instance_Class.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"

namespace {

// Lower bounds of a record's bytes, to refuse counts the stream cannot hold.
constexpr int64_t TILE_BYTES = 14 * 4;
constexpr int64_t INSTANCE_MIN_BYTES = 8;

struct StateWriter {
    IBuffer* buffer;
    bool ok = true;

    void Put(int32_t type, double number)
    {
        if (ok) ok = buffer->WriteNumber(type, number) == 0;
    }
    void Int(int32_t& value) { Put(eBuffer_S32, value); }
    void Flag(uint8_t& value) { Put(eBuffer_S32, value != 0 ? 1 : 0); }
    void Flag(uint32_t& value) { Put(eBuffer_S32, value != 0 ? 1 : 0); }
    void Colour(uint32_t& value) { Put(eBuffer_S32, value); }
    void RoomColour(uint32_t& value) { Put(eBuffer_U32, value); }
    void Real(float& value) { Put(eBuffer_F32, value); }
    void Text(char*& text)
    {
        if (ok) ok = buffer->WriteString(text) == 0;
    }
};

// Reads that must deliver: one read past the end fails the whole state.
struct StateReader {
    IBuffer* buffer;
    bool ok = true;

    double Take(int32_t type)
    {
        if (!ok || !ValueStreamReader(buffer).CanHold(1, 4)) {
            ok = false;
            return 0.0;
        }
        double number = 0.0;
        ok = buffer->ReadNumber(type, &number);
        return ok ? number : 0.0;
    }
    void Int(int32_t& value) { value = static_cast<int32_t>(Take(eBuffer_S32)); }
    void Flag(uint8_t& value) { value = Take(eBuffer_S32) != 0.0 ? 1 : 0; }
    void Flag(uint32_t& value) { value = Take(eBuffer_S32) != 0.0 ? 1 : 0; }
    void Colour(uint32_t& value) { value = static_cast<uint32_t>(static_cast<int64_t>(Take(eBuffer_S32))); }
    void RoomColour(uint32_t& value) { value = static_cast<uint32_t>(std::llround(Take(eBuffer_U32))); }
    void Real(float& value) { value = static_cast<float>(Take(eBuffer_F32)); }
    void Text(char*& text)
    {
        char* read = nullptr;
        if (ok) ok = ValueStreamReader(buffer).ReadText(&read);
        MemoryManager::Free(text);
        text = read;
    }
    // A count of records of at least `itemBytes` bytes each that the stream can still hold.
    int32_t Count(int64_t itemBytes)
    {
        int32_t count = 0;
        Int(count);
        if (ok && !ValueStreamReader(buffer).CanHold(count, itemBytes)) ok = false;
        return ok ? count : 0;
    }
};

template <typename V>
void VisitBackground(RoomBackground& b, V& v)
{
    v.Flag(b.visible), v.Flag(b.foreground), v.Int(b.index), v.Real(b.x), v.Real(b.y);
    v.Flag(b.htiled), v.Flag(b.vtiled), v.Real(b.hspeed), v.Real(b.vspeed), v.Real(b.xscale), v.Real(b.yscale);
    v.Colour(b.blend), v.Real(b.alpha);
}

template <typename V>
void VisitView(RoomView& w, V& v)
{
    v.Flag(w.visible), v.Int(w.xview), v.Int(w.yview), v.Int(w.wview), v.Int(w.hview);
    v.Int(w.xport), v.Int(w.yport), v.Int(w.wport), v.Int(w.hport), v.Real(w.angle);
    v.Int(w.hborder), v.Int(w.vborder), v.Int(w.hspeed), v.Int(w.vspeed), v.Int(w.object), v.Int(w.surface);
}

template <typename V>
void VisitTile(RoomTile& t, V& v)
{
    v.Real(t.x), v.Real(t.y), v.Int(t.background), v.Int(t.left), v.Int(t.top), v.Int(t.width), v.Int(t.height);
    v.Real(t.depth), v.Int(t.id), v.Real(t.xscale), v.Real(t.yscale), v.Colour(t.blend), v.Real(t.alpha);
    v.Flag(t.visible);
}

// The settings, layers and views, the same way in both directions.
template <typename V>
void VisitSettings(CRoom& room, V& v)
{
    v.Text(room.m_pCaption);
    v.Int(room.m_Width), v.Int(room.m_Height), v.Int(room.m_Speed), v.Flag(room.m_Persistent);
    v.RoomColour(room.m_Colour), v.Flag(room.m_ShowColour);
    v.Text(room.m_pCreationText);
    for (RoomBackground& background : room.m_Backgrounds) VisitBackground(background, v);
    v.Flag(room.m_EnableViews);
    for (RoomView& view : room.m_Views) VisitView(view, v);
}

bool WriteList(const CInstanceList& list, StateWriter& out)
{
    out.Put(eBuffer_S32, list.m_Count);
    for (CInstance* instance = list.m_pHead; instance != nullptr && out.ok; instance = instance->m_pNext)
        out.ok = instance->Serialise(out.buffer);
    return out.ok;
}

// Instances read here stay outside the id hash and their objects' lists.
bool ReadList(CInstanceList& list, StateReader& in)
{
    int32_t count = in.Count(INSTANCE_MIN_BYTES);
    for (int32_t i = 0; i < count && in.ok; ++i) {
        auto* instance = new CInstance(0.0f, 0.0f, 0, 0, false);
        in.ok = instance->Deserialise(in.buffer, false);
        if (!in.ok) {
            delete instance;
            break;
        }
        if (list.m_ByDepth) list.AddByDepth(instance);
        else list.Append(instance);
    }
    return in.ok;
}

} // namespace

bool CRoom::SaveState(IBuffer* buffer)
{
    if (m_UsesPhysics != 0) {
        Error_Show("ERROR: game_save unavailable for rooms using physics", true);
        return false;
    }
    StateWriter out{buffer};
    VisitSettings(*this, out);
    out.Put(eBuffer_S32, m_TileCount);
    for (int32_t i = 0; i < m_TileCount; ++i) VisitTile(m_pTiles[i], out);
    return out.ok && WriteList(m_Active, out) && WriteList(m_Deactivated, out);
}

bool CRoom::LoadState(IBuffer* buffer)
{
    StateReader in{buffer};
    VisitSettings(*this, in);
    int32_t tiles = in.Count(TILE_BYTES);
    for (int32_t i = 0; i < tiles && in.ok; ++i) {
        RoomTile tile = {};
        VisitTile(tile, in);
        // Added as a new tile, then given back its saved id: the counter comes from the saved game.
        int32_t at = AddTile(tile);
        m_pTiles[at].id = tile.id;
        --g_TileIdCounter;
    }
    return in.ok && ReadList(m_Active, in) && ReadList(m_Deactivated, in);
}
