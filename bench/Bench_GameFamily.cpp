// The Game family's busiest queries in a crowded room: 1,000 instances, each calling place_meeting,
// instance_nearest and collision_rectangle once per step, through the function table as scripts
// do. Prints the time per call and the allocations made during the calls (there should be none).
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "app/App_Startup.h"
#include "code/Code_Function.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"

namespace {

uint64_t g_Allocations = 0;

} // namespace

void* operator new(size_t size)
{
    ++g_Allocations;
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, size_t) noexcept
{
    std::free(block);
}

namespace {

// One 16 x 16 sprite from the position, no masks.
class BenchSprites : public IInstanceSprites {
  public:
    bool Shape(int32_t sprite, InstanceSpriteShape* out) override
    {
        if (sprite != 0) return false;
        *out = {1, {0, 0, 15, 15}, 0, 0, 0};
        return true;
    }
    bool CollidePoint(const InstancePlacement&, int32_t, int32_t) override { return true; }
    bool CollideRectangle(const InstancePlacement&, const InstanceBox&) override { return true; }
    bool CollideEllipse(const InstancePlacement&, const InstanceBox&) override { return true; }
    bool CollideLine(const InstancePlacement&, int32_t, int32_t, int32_t, int32_t) override { return true; }
    bool CollideSprite(const InstancePlacement&, const InstancePlacement&) override { return true; }
};

using Clock = std::chrono::steady_clock;

BuiltinRoutine Routine(const char* name)
{
    int32_t id = -1;
    if (!Code_Function_Find(name, &id) || Function_Get(id) == nullptr) {
        std::fprintf(stderr, "%s is not registered\n", name);
        std::exit(1);
    }
    return Function_Get(id)->routine;
}

} // namespace

int main()
{
    constexpr int32_t INSTANCES = 1000;
    constexpr int32_t STEPS = 20;
    ScriptHeap_Init();
    RegisterAllFunctionFamilies();
    BenchSprites sprites;
    Instance_SetSprites(&sprites);
    Object_Data(Object_Add())->m_SpriteIndex = 0;
    g_DrawEventEnabled = 0;
    Run_StartRoom(Room_Add(), true);
    CRoom* room = Run_CurrentRoom();
    std::vector<CInstance*> crowd;
    uint32_t seed = 12345;
    for (int32_t i = 0; i < INSTANCES; ++i) {
        seed = seed * 1664525u + 1013904223u;
        float x = static_cast<float>(seed % 2000u);
        float y = static_cast<float>((seed >> 11) % 2000u);
        crowd.push_back(room->AddInstance(x, y, 0));
    }

    struct Query {
        const char* name;
        int32_t argc;
        BuiltinRoutine routine;
    } queries[] = {{"place_meeting", 3, Routine("place_meeting")},
                   {"instance_nearest", 3, Routine("instance_nearest")},
                   {"collision_rectangle", 7, Routine("collision_rectangle")}};
    uint64_t allocationsBefore = g_Allocations;
    uint32_t blocksBefore = MemoryManager::BlockCount();
    for (const Query& query : queries) {
        ScriptValue args[7] = {};
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        double found = 0;
        Clock::time_point start = Clock::now();
        for (int32_t step = 0; step < STEPS; ++step) {
            for (CInstance* self : crowd) {
                double x = self->i_x, y = self->i_y;
                // place_meeting and instance_nearest: (x, y, object 0); the rectangle: a 16 x 16
                // square round the position, object 0, not precise, not self.
                double values[7] = {x + 4, y, 0, 0, 0, 0, 1};
                if (query.argc == 7) {
                    double square[7] = {x - 8, y - 8, x + 8, y + 8, 0, 0, 1};
                    for (int32_t i = 0; i < 7; ++i)
                        values[i] = square[i];
                }
                for (int32_t i = 0; i < query.argc; ++i)
                    args[i].real = values[i];
                query.routine(&result, self, nullptr, query.argc, args);
                found += result.real;
            }
        }
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%s: %d instances x %d steps: %.1f ns per call (checksum %.0f)\n", query.name, INSTANCES,
                    STEPS, seconds * 1e9 / (static_cast<double>(INSTANCES) * STEPS), found);
    }
    std::printf("allocations during the calls: %" PRIu64 " (memory-manager blocks %+d)\n",
                g_Allocations - allocationsBefore,
                static_cast<int32_t>(MemoryManager::BlockCount() - blocksBefore));
    Run_EndGame();
    Run_FreeRoomStates();
    RoomTables_Free();
    return 0;
}
