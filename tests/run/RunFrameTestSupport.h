// What the frame and command tests share: the played-game fixture of the room tests, a few more
// test-only built-ins that reach the run-layer commands, and objects written in one line.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "../instance/Instance_TestDoubles.h"
#include "../room/RoomTestSupport.h"
#include "io/IO_Main.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_World.h"
#include "code/Code_Constants.h"
#include "run/Run_Commands.h"
#include "variable/Variable_BuiltIn.h"
#include "run/Run_Frame.h"

namespace frametest {

using namespace roomtest;

inline void RegisterFrameFunctions()
{
    RegisterFunctions();
}

// An object with its events given as (type, subtype, source).
struct Handler {
    int32_t type;
    int32_t subtype;
    std::string source;
};

inline gamebuild::ObjectDesc ObjectWith(const std::string& name, std::vector<Handler> handlers,
                                        int32_t sprite = -1, bool solid = false)
{
    gamebuild::ObjectDesc object = Object(name);
    object.sprite = sprite;
    object.solid = solid;
    for (const Handler& h : handlers)
        object.events.push_back(Event(h.type, h.subtype, h.source));
    return object;
}

inline gamebuild::GameDesc OneRoomGame(std::vector<gamebuild::ObjectDesc> objects,
                                       std::vector<gamebuild::RoomInstanceDesc> placed)
{
    gamebuild::GameDesc game;
    game.objects = std::move(objects);
    game.rooms = {Room("room_first", std::move(placed))};
    game.header.roomOrder = {0};
    return game;
}

// The name of one way of playing a game in a parameterised test: the game, its code form, the way.
inline std::string PlayedWayName(const char* game, bool compiled, const char* way)
{
    return std::string(game) + (compiled ? "_Compiled_" : "_Source_") + way;
}

class FrameTest : public PlayedGameTest {
  protected:
    void SetUp() override
    {
        RegisterFrameFunctions();
        PlayedGameTest::SetUp();
        // Built-in variables reach the game's instances through the current room.
        m_SavedInstances = Variable_Instances();
        Variable_SetInstances(&m_GameInstances);
        Variable_BuiltIn_Init();
        Variable_Init();
        // self, other, global and the other names of instances: without them game code compiles
        // `other` as a plain variable (0, object 0) and `other.x` reads object 0's instance.
        if (Constant_Find("other") == nullptr) Constant_Init();
        Run_InitGlobals();
        IO_Clear();
        IO_StartStep();
    }
    void TearDown() override
    {
        PlayedGameTest::TearDown();
        // A fatal error posts a quit to the window's queue: the next game of this process must not end on it.
        if (SDL_WasInit(SDL_INIT_EVENTS) != 0) SDL_FlushEvent(SDL_QUIT);
        Variable_SetInstances(m_SavedInstances);
        IO_Clear();
        IO_StartStep();
    }

    // The trace lines written since the last call.
    std::vector<std::string> NewTrace()
    {
        std::vector<std::string> all = Trace();
        std::vector<std::string> fresh(all.begin() + std::min(m_TraceSeen, all.size()), all.end());
        m_TraceSeen = all.size();
        return fresh;
    }

    // Sprite 0: a 16 x 16 box with its origin at the top left, one frame.
    TestSprites m_Sprites;
    size_t m_TraceSeen = 0;
    InstanceVariableAccess m_GameInstances{Room_CurrentActiveList};
    IVariableInstances* m_SavedInstances = nullptr;
    void AddSquareSprite() { m_Sprites.Add(0, {0, 0, 15, 15}, 0, 0); }
};

} // namespace frametest
