// The room record: the values a game reads and changes of a room (size, speed, caption, colours,
// eight background layers, eight views, creation code, physics), its two instance lists and its
// tiles. The room table keeps one record per room, filled from the file's definition; the room that
// runs is a copy of it made when the room starts (Run_Game.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "instance/Instance_List.h"

class CCode;
class CInstance;
class CPhysicsWorld;
class GameFileEntry;
class IBuffer;
struct RoomDefinition;

constexpr int32_t ROOM_LAYERS = 8;
constexpr int32_t ROOM_VIEWS = 8;

// One background layer.
struct RoomBackground {
    uint8_t visible = 0;
    uint8_t foreground = 0;
    int32_t index = -1;
    float x = 0.0f;
    float y = 0.0f;
    uint8_t htiled = 1;
    uint8_t vtiled = 1;
    float hspeed = 0.0f;
    float vspeed = 0.0f;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t blend = 0xFFFFFFu;
    float alpha = 1.0f;
};

// One view: the part of the room shown (view) and where in the window (port).
struct RoomView {
    uint8_t visible = 0;
    int32_t xview = 0;
    int32_t yview = 0;
    int32_t wview = 640;
    int32_t hview = 480;
    int32_t xport = 0;
    int32_t yport = 0;
    int32_t wport = 640;
    int32_t hport = 480;
    float angle = 0.0f;
    int32_t hborder = 32;
    int32_t vborder = 32;
    int32_t hspeed = -1; // -1: no limit
    int32_t vspeed = -1;
    int32_t object = -1; // followed: an instance id from 100000 on, else an object index; -1 none
    int32_t surface = -1; // set once by the record's constructor, kept by the defaults
};

// One tile of the running room: a part of a background laid at a depth.
struct RoomTile {
    float x;
    float y;
    int32_t background;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    float depth;
    int32_t id;
    float xscale;
    float yscale;
    uint32_t blend;
    float alpha;
    uint8_t visible;
};

class CRoom {
public:
    CRoom();
    ~CRoom(); // empties both lists, destroying their instances
    CRoom(const CRoom&) = delete;
    CRoom& operator=(const CRoom&) = delete;

    static void* operator new(size_t size);
    static void operator delete(void* block);

    // Back to a new room's values: both instance lists emptied (their instances destroyed), tiles
    // freed, no definition and no creation code.
    void SetDefaults();

    // Fills the record from the rooms chunk's entry `record` (Room_Chunk.cpp). False, with a log
    // line, when the entry or anything it points to does not lie in the file.
    bool LoadFromChunk(const GameFileEntry& record);

    // Becomes a copy of `source` (none: the defaults only): its settings, layers and views, its
    // definition, then its instances and tiles made from that definition (`fromDefinition`) or
    // copied from its running ones, then copies of its running instances.
    void CopyFrom(const CRoom* source, bool fromDefinition);

    // The running state as a saved game holds it (Room_State.cpp). Saving a room that uses physics
    // is a fatal error. Loading fills a new record; its instances stay outside the id hash and
    // their objects' lists, for the saved game to place them. False when the stream falls short.
    bool SaveState(IBuffer* buffer);
    bool LoadState(IBuffer* buffer);

    // A room added at run time gets a definition of its own.
    void InitDefinition();
    // Edits of the definition, for the room built-ins; they show when the room next starts. A room
    // that shares its definition with another room of the table edits a copy of it from its first
    // edit on. The adds return the new entry's id.
    int32_t AddInstanceDef(float x, float y, int32_t object);
    void ClearInstanceDefs();
    // `blend` holds the alpha in its top byte unless `alpha` is given.
    int32_t AddTileDef(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height, float x,
                       float y, float depth, float xscale, float yscale, uint32_t blend,
                       std::optional<float> alpha = std::nullopt);
    // The definition's tiles and the record's own running tiles.
    void ClearTileDefs();

    // The instance lists (Room_Instances.cpp). Every instance of either list is in the id hash.
    // A new instance of the object, with the next id, added by depth.
    CInstance* AddInstance(float x, float y, int32_t object);
    void AddExisting(CInstance* instance);
    // Drops the instance from the hash and its list, then destroys it.
    void RemoveInstance(CInstance* instance);
    // Removes every instance of the active list marked for deletion.
    void RemoveDeleted();
    // Moves instances between the lists as their deactivated flags now say.
    void UpdateActivation();
    void ClearActive();
    void ClearDeactivated();
    void DumpActive();
    void ScrollBackgrounds();

    // The creation code of an instance made from the definition, handed out once (null: none).
    CCode* TakeCreationCode(CInstance* instance);
    // The room start is over: what was not handed out will never run.
    void ForgetCreationCode();

    void SetCaption(const char* caption);
    void SetCreationText(const char* text);
    // New creation code from a script: compiled now as room preparation does, in either code form,
    // and run when the room next starts; a failure is shown and leaves the room without code.
    void SetCode(const char* text);

    // The tiles (Room_Tiles.cpp): indices into the array, which the sort keeps in depth order,
    // greatest first. Each lookup caches the index it found.
    int32_t AddTile(const RoomTile& tile);
    RoomTile* GetTile(int32_t index);
    int32_t FindTile(int32_t id);
    int32_t FindTileAt(float x, float y, bool foreground);
    void DeleteTile(int32_t index);
    void DeleteTileAt(float x, float y, bool foreground);
    void HideTileLayer(float depth);
    void ShowTileLayer(float depth);
    void DeleteTileLayer(float depth);
    void ShiftTileLayer(float depth, float dx, float dy);
    int32_t FindTileInLayer(float depth, float x, float y);
    void DeleteTileInLayerAt(float depth, float x, float y);
    void SetTileLayerDepth(float depth, float newDepth);
    void SortTiles();

    int32_t m_CachedTile = -1;
    CRoom* m_pSelf;
    char* m_pCaption = nullptr; // owned
    int32_t m_Speed = 30;
    int32_t m_Width = 640;
    int32_t m_Height = 480;
    uint32_t m_Persistent = 0;
    uint32_t m_Colour = 0xC0C0C0u;
    uint32_t m_ShowColour = 1;
    RoomBackground m_Backgrounds[ROOM_LAYERS];
    uint32_t m_EnableViews = 0;
    RoomView m_Views[ROOM_VIEWS];
    char* m_pCreationText = nullptr;    // owned
    CCode* m_pCreationCode = nullptr;   // shared: its definition owns it
    uint8_t m_UsesPhysics = 0;
    int32_t m_GravityX = 0;
    int32_t m_GravityY = 0;
    float m_PhysicsScale = 0.0f;
    CInstanceList m_Active;
    CInstanceList m_Deactivated{false}; // in the order of deactivation
    RoomDefinition* m_pDefinition = nullptr; // the room table's definitions own it
    CPhysicsWorld* m_pPhysicsWorld = nullptr; // owned
    int32_t m_TileCount = 0;
    int32_t m_TileCapacity = 0;
    RoomTile* m_pTiles = nullptr; // owned
    char* m_pName = nullptr;      // owned; a copy of the definition's name

private:
    RoomDefinition& EditableDefinition();
    void InstancesFromDefinition();
    void TilesFromDefinition();
    void CopyTiles(const CRoom& source);
    void CopyInstances(const CRoom& source);
    void FreeTiles();
    void SetName(const char* name);

    // Instances made from the definition whose creation code has not run yet.
    std::unordered_map<CInstance*, CCode*> m_PendingCreationCode;
};

// Adds the instance to its object's instance lists, or removes it, when that object still stands.
void Room_RegisterInObject(CInstance* instance);
void Room_UnregisterFromObject(CInstance* instance);
