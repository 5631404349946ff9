// A room's definition: what the rooms chunk ("ROOM") says of a room, read once into native records
// (the file is never patched), or made at run time for a room the game adds. Room start makes the
// running room's instances and tiles from it; the room built-ins add and clear its entries.
//
// Definitions live in one store until the room table is emptied, so records that share one
// (copies, assigned and duplicated rooms) never outlive it.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class CCode;

struct RoomBackgroundDef {
    bool present = true; // false: the list's entry was empty
    int32_t visible = 0;
    int32_t foreground = 0;
    int32_t index = -1;
    int32_t x = 0;
    int32_t y = 0;
    int32_t htiled = 0;
    int32_t vtiled = 0;
    int32_t hspeed = 0;
    int32_t vspeed = 0;
    int32_t stretch = 0;
};

struct RoomViewDef {
    bool present = true;
    int32_t visible = 0;
    int32_t xview = 0;
    int32_t yview = 0;
    int32_t wview = 0;
    int32_t hview = 0;
    int32_t xport = 0;
    int32_t yport = 0;
    int32_t wport = 0;
    int32_t hport = 0;
    int32_t hborder = 0;
    int32_t vborder = 0;
    int32_t hspeed = 0;
    int32_t vspeed = 0;
    int32_t object = -1;
};

struct RoomInstanceDef {
    bool present = true;
    int32_t x = 0;
    int32_t y = 0;
    int32_t object = 0;
    int32_t id = 0;
    CCode* code = nullptr; // owned; none without creation code
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFFu; // blend in the low 24 bits, alpha in the top byte
    float rotation = 0.0f;
};

struct RoomTileDef {
    bool present = true;
    int32_t x = 0;
    int32_t y = 0;
    int32_t background = -1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    int32_t id = 0;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFFu;
    // A tile a script added with its own alpha keeps it exactly; otherwise the colour's top byte.
    std::optional<float> alpha;
};

struct RoomDefinition {
    RoomDefinition() = default;
    ~RoomDefinition(); // deletes the code objects it owns
    RoomDefinition& operator=(const RoomDefinition&) = delete;

    std::string name;
    bool hasName = false;
    std::string caption;
    bool hasCaption = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t speed = 30;
    uint32_t persistent = 0;
    uint32_t colour = 0;
    uint32_t showColour = 0;
    uint32_t enableViews = 0;
    uint32_t usesPhysics = 0;
    float gravityX = 0.0f;
    float gravityY = 0.0f;
    float physicsScale = 0.0f;
    // The room's creation code: its text (source form) and the code object (owned).
    std::string creationText;
    CCode* creationCode = nullptr;
    std::vector<RoomBackgroundDef> backgrounds; // at most 8
    std::vector<RoomViewDef> views;             // at most 8
    std::vector<RoomInstanceDef> instances;
    std::vector<RoomTileDef> tiles;
    // Creation code of cleared instance entries, and room creation code that scripts set, with the
    // texts it was compiled from: a room being started, or a copy of a room, may still hold it.
    std::vector<CCode*> retiredCode;
    std::deque<std::string> scriptTexts;
    // A copy uses the creation code of the definition it was copied from, which owns it and lives
    // as long (the store keeps both).
    bool borrowsCode = false;

private:
    friend RoomDefinition* RoomDefinitions_Copy(const RoomDefinition& source);
    RoomDefinition(const RoomDefinition&) = default;
};

// A new, empty definition kept by the store.
RoomDefinition* RoomDefinitions_New();
// A new definition kept by the store, equal to `source` and borrowing its code objects: a room
// that shared `source` edits this one instead.
RoomDefinition* RoomDefinitions_Copy(const RoomDefinition& source);
// Destroys every definition (the room table is being emptied).
void RoomDefinitions_Clear();
