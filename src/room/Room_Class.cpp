#include "room/Room_Class.h"

#include <cstring>

#include "base/Base_Numbers.h"
#include "code/Code_Object.h"
#include "instance/Instance_Class.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_World.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Definition.h"
#include "room/Room_Table.h"

namespace {

// Replaces an owned text by a copy of `text` (none for null).
void CopyOwned(char*& owned, const char* text)
{
    MemoryManager::Free(owned);
    owned = nullptr;
    if (text == nullptr) return;
    size_t length = std::strlen(text);
    owned = static_cast<char*>(MEM_ALLOC(length + 1, false));
    std::memcpy(owned, text, length + 1);
}

void ViewDefaults(RoomView& view)
{
    int32_t surface = view.surface;
    view = RoomView();
    view.surface = surface;
}

float AlphaOf(uint32_t colour) { return static_cast<float>(colour >> 24) / 255.0f; }

} // namespace

// ---- object lists shared by the room code --------------------------------------------------------

// An object a script deleted leaves its slot empty, so a stale pointer is told by the table.
void Room_RegisterInObject(CInstance* instance)
{
    CObject* object = instance->GetObject();
    if (object != nullptr && Object_Data(instance->GetObjectIndex()) == object) object->AddInstance(instance);
}

void Room_UnregisterFromObject(CInstance* instance)
{
    CObject* object = instance->GetObject();
    if (object != nullptr && Object_Data(instance->GetObjectIndex()) == object) object->RemoveInstance(instance);
}

// ---- the record ----------------------------------------------------------------------------------

void* CRoom::operator new(size_t size) { return MemoryManager::Alloc(size, __FILE__, __LINE__, true); }

void CRoom::operator delete(void* block) { MemoryManager::Free(block); }

CRoom::CRoom() : m_pSelf(this) { SetDefaults(); }

CRoom::~CRoom()
{
    SetDefaults();
    MemoryManager::Free(m_pCaption);
    MemoryManager::Free(m_pName);
    MemoryManager::Free(m_pCreationText);
}

void CRoom::SetDefaults()
{
    ClearActive();
    ClearDeactivated();
    m_PendingCreationCode.clear();
    FreeTiles();
    delete m_pPhysicsWorld;
    m_pPhysicsWorld = nullptr;
    m_CachedTile = -1;
    CopyOwned(m_pCaption, nullptr);
    m_Speed = 30;
    m_Width = 640;
    m_Height = 480;
    m_Persistent = 0;
    m_Colour = 0xC0C0C0u;
    m_ShowColour = 1;
    for (RoomBackground& background : m_Backgrounds) background = RoomBackground();
    m_EnableViews = 0;
    for (RoomView& view : m_Views) ViewDefaults(view);
    CopyOwned(m_pCreationText, nullptr);
    m_pCreationCode = nullptr;
    m_UsesPhysics = 0;
    m_pDefinition = nullptr;
}

void CRoom::SetCaption(const char* caption) { CopyOwned(m_pCaption, caption); }

void CRoom::SetCreationText(const char* text) { CopyOwned(m_pCreationText, text); }

void CRoom::SetName(const char* name) { CopyOwned(m_pName, name); }

void CRoom::FreeTiles()
{
    MemoryManager::Free(m_pTiles);
    m_pTiles = nullptr;
    m_TileCount = 0;
    m_TileCapacity = 0;
}

void CRoom::ForgetCreationCode() { m_PendingCreationCode.clear(); }

CCode* CRoom::TakeCreationCode(CInstance* instance)
{
    auto found = m_PendingCreationCode.find(instance);
    if (found == m_PendingCreationCode.end()) return nullptr;
    CCode* code = found->second;
    m_PendingCreationCode.erase(found);
    return code;
}

// ---- copying -------------------------------------------------------------------------------------

void CRoom::CopyFrom(const CRoom* source, bool fromDefinition)
{
    if (source == this) return;
    SetDefaults();
    if (source == nullptr) return;
    SetCaption(source->m_pCaption);
    m_Width = source->m_Width;
    m_Height = source->m_Height;
    m_Speed = source->m_Speed;
    m_Persistent = source->m_Persistent;
    m_Colour = source->m_Colour;
    m_ShowColour = source->m_ShowColour;
    SetCreationText(source->m_pCreationText);
    m_pCreationCode = source->m_pCreationCode;
    m_UsesPhysics = source->m_UsesPhysics;
    m_GravityX = source->m_GravityX;
    m_GravityY = source->m_GravityY;
    m_PhysicsScale = source->m_PhysicsScale;
    for (int32_t i = 0; i < ROOM_LAYERS; ++i) m_Backgrounds[i] = source->m_Backgrounds[i];
    m_EnableViews = source->m_EnableViews;
    for (int32_t i = 0; i < ROOM_VIEWS; ++i) m_Views[i] = source->m_Views[i];
    if (source->m_pPhysicsWorld != nullptr) m_pPhysicsWorld = CPhysicsWorld::CreateFromRoom(*source->m_pPhysicsWorld);
    m_pDefinition = source->m_pDefinition;
    SetName(source->m_pName);
    if (fromDefinition) {
        if (m_pDefinition != nullptr) {
            InstancesFromDefinition();
            TilesFromDefinition();
        }
    } else {
        CopyTiles(*source);
    }
    CopyInstances(*source);
}

void CRoom::InstancesFromDefinition()
{
    for (const RoomInstanceDef& entry : m_pDefinition->instances) {
        if (!entry.present || entry.object < 0) continue;
        auto* instance = new CInstance(static_cast<float>(entry.x), static_cast<float>(entry.y), entry.id, entry.object, true);
        if (entry.code != nullptr) m_PendingCreationCode[instance] = entry.code;
        instance->SetImageXScale(entry.xscale);
        instance->SetImageYScale(entry.yscale);
        instance->SetImageBlend(entry.colour & 0xFFFFFFu);
        instance->SetImageAlpha(AlphaOf(entry.colour));
        instance->SetImageAngle(entry.rotation);
        m_Active.AddByDepth(instance);
        Instance_AddToHash(instance);
        PhysicsFixture_ForNewInstance(m_pPhysicsWorld, instance);
    }
}

void CRoom::TilesFromDefinition()
{
    const std::vector<RoomTileDef>& tiles = m_pDefinition->tiles;
    int32_t count = static_cast<int32_t>(tiles.size());
    if (count == 0) return;
    m_pTiles = static_cast<RoomTile*>(MEM_ALLOC(sizeof(RoomTile) * static_cast<size_t>(count), true));
    m_TileCapacity = count;
    for (const RoomTileDef& entry : tiles) {
        if (!entry.present) continue;
        RoomTile& tile = m_pTiles[m_TileCount++];
        tile.x = static_cast<float>(entry.x);
        tile.y = static_cast<float>(entry.y);
        tile.background = entry.background;
        tile.left = entry.left;
        tile.top = entry.top;
        tile.width = entry.width;
        tile.height = entry.height;
        tile.depth = static_cast<float>(entry.depth);
        tile.id = entry.id;
        tile.xscale = entry.xscale;
        tile.yscale = entry.yscale;
        tile.blend = entry.colour & 0xFFFFFFu;
        tile.alpha = entry.alpha.value_or(AlphaOf(entry.colour));
        tile.visible = 1;
    }
}

void CRoom::CopyTiles(const CRoom& source)
{
    if (source.m_TileCount <= 0 || source.m_pTiles == nullptr) return;
    size_t bytes = sizeof(RoomTile) * static_cast<size_t>(source.m_TileCount);
    m_pTiles = static_cast<RoomTile*>(MEM_ALLOC(bytes, false));
    std::memcpy(m_pTiles, source.m_pTiles, bytes);
    m_TileCount = source.m_TileCount;
    m_TileCapacity = source.m_TileCount;
}

void CRoom::CopyInstances(const CRoom& source)
{
    for (CInstance* from = source.m_Active.m_pHead; from != nullptr; from = from->m_pNext) {
        auto* copy = new CInstance(from->i_x, from->i_y, from->i_id, from->i_objindex, false);
        copy->CopyFrom(*from, true);
        m_Active.AddByDepth(copy);
        Instance_AddToHash(copy);
    }
    for (CInstance* from = source.m_Deactivated.m_pHead; from != nullptr; from = from->m_pNext) {
        auto* copy = new CInstance(from->i_x, from->i_y, from->i_id, from->i_objindex, false);
        copy->CopyFrom(*from, false);
        m_Deactivated.Append(copy);
        Instance_AddToHash(copy);
    }
}

// ---- the definition and its edits ----------------------------------------------------------------

void CRoom::InitDefinition()
{
    RoomDefinition* definition = RoomDefinitions_New();
    definition->name = "NewRoom";
    definition->hasName = true;
    definition->hasCaption = true;
    definition->speed = 30;
    definition->backgrounds.assign(ROOM_LAYERS, RoomBackgroundDef());
    m_pDefinition = definition;
    SetName(definition->name.c_str());
}

RoomDefinition& CRoom::EditableDefinition()
{
    if (m_pDefinition == nullptr) InitDefinition();
    else if (Room_SharesDefinition(this)) m_pDefinition = RoomDefinitions_Copy(*m_pDefinition);
    return *m_pDefinition;
}

int32_t CRoom::AddInstanceDef(float x, float y, int32_t object)
{
    RoomDefinition& definition = EditableDefinition();
    RoomInstanceDef entry;
    entry.x = Numbers_TruncToInt32(x);
    entry.y = Numbers_TruncToInt32(y);
    entry.object = object;
    entry.id = ++g_InstanceIdCounter;
    definition.instances.push_back(entry);
    return entry.id;
}

void CRoom::ClearInstanceDefs()
{
    if (m_pDefinition == nullptr) return;
    RoomDefinition& definition = EditableDefinition();
    // A room being started, or a copy of this room, may still hold the code of a cleared entry.
    if (!definition.borrowsCode) {
        for (RoomInstanceDef& entry : definition.instances)
            if (entry.code != nullptr) definition.retiredCode.push_back(entry.code);
    }
    definition.instances.clear();
}

int32_t CRoom::AddTileDef(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height, float x,
                          float y, float depth, float xscale, float yscale, uint32_t blend,
                          std::optional<float> alpha)
{
    RoomDefinition& definition = EditableDefinition();
    RoomTileDef entry;
    entry.x = Numbers_TruncToInt32(x);
    entry.y = Numbers_TruncToInt32(y);
    entry.background = background;
    entry.left = left;
    entry.top = top;
    entry.width = width;
    entry.height = height;
    entry.depth = Numbers_TruncToInt32(depth);
    entry.id = ++g_TileIdCounter;
    entry.xscale = xscale;
    entry.yscale = yscale;
    entry.colour = blend;
    entry.alpha = alpha;
    definition.tiles.push_back(entry);
    return entry.id;
}

void CRoom::ClearTileDefs()
{
    FreeTiles();
    m_CachedTile = -1;
    if (m_pDefinition != nullptr) EditableDefinition().tiles.clear();
}
