// Instance stepping and box collisions, the hot paths of a busy room: 10,000 instances moved with
// friction, gravity and their speeds and their boxes recomputed every frame; all pairs of 2,000
// instances tested box against box; a room filled with 100,000 instances of random depths.
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "instance/Instance_Class.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"

namespace {

// One 32 x 32 sprite with its origin in the middle, no masks.
class BenchSprites : public IInstanceSprites {
public:
    bool Shape(int32_t sprite, InstanceSpriteShape* out) override
    {
        if (sprite != 0) return false;
        *out = {1, {0, 0, 31, 31}, 16, 16, 0};
        return true;
    }
    bool CollidePoint(const InstancePlacement&, int32_t, int32_t) override { return true; }
    bool CollideRectangle(const InstancePlacement&, const InstanceBox&) override { return true; }
    bool CollideEllipse(const InstancePlacement&, const InstanceBox&) override { return true; }
    bool CollideLine(const InstancePlacement&, int32_t, int32_t, int32_t, int32_t) override { return true; }
    bool CollideSprite(const InstancePlacement&, const InstancePlacement&) override { return true; }
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A deterministic spread of positions, speeds and shapes.
uint32_t g_Seed = 12345;
float Next(float range)
{
    g_Seed = g_Seed * 1664525u + 1013904223u;
    return static_cast<float>(g_Seed >> 8) / 16777216.0f * range;
}

std::vector<CInstance*> MakeInstances(int32_t count, float area)
{
    std::vector<CInstance*> made;
    made.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        float x = Next(area);
        float y = Next(area);
        CInstance* instance = new CInstance(x, y, INSTANCE_FIRST_ID + i, -1, false);
        instance->SetSpriteIndex(0);
        instance->SetDirection(Next(360.0f));
        instance->SetSpeed(1.0f + Next(4.0f));
        if (i % 4 == 0) instance->i_friction = 0.01f;
        if (i % 5 == 0) instance->i_gravity = 0.05f;
        if (i % 3 == 0) instance->SetImageAngle(Next(360.0f));
        instance->i_depth = Next(100.0f);
        made.push_back(instance);
    }
    return made;
}

// One frame of the motion stage: friction and gravity, the path, the speeds, then the box.
int64_t StepFrame(std::vector<CInstance*>& instances)
{
    int64_t checksum = 0;
    for (CInstance* instance : instances) {
        instance->ApplyFrictionGravity();
        instance->PathStep();
        double x = static_cast<double>(instance->i_x) + instance->i_hspeed;
        double y = static_cast<double>(instance->i_y) + instance->i_vspeed;
        if (x < 0.0 || x > 2000.0) x = 1000.0;
        if (y < 0.0 || y > 2000.0) y = 1000.0;
        instance->SetPosition(static_cast<float>(x), static_cast<float>(y));
        checksum += instance->GetBoundingBox().left;
    }
    return checksum;
}

void Free(std::vector<CInstance*>& instances)
{
    for (CInstance* instance : instances) delete instance;
    instances.clear();
}

} // namespace

int main()
{
    BenchSprites sprites;
    Instance_SetSprites(&sprites);

    constexpr int32_t STEPPED = 10000;
    constexpr int32_t FRAMES = 200;
    std::vector<CInstance*> moving = MakeInstances(STEPPED, 2000.0f);
    Clock::time_point start = Clock::now();
    int64_t checksum = 0;
    for (int32_t frame = 0; frame < FRAMES; ++frame) checksum += StepFrame(moving);
    double stepSeconds = Seconds(start);
    std::printf("step with motion and box: %d instances x %d frames: %.1f ns per instance (checksum %" PRId64 ")\n",
                STEPPED, FRAMES, stepSeconds * 1e9 / (static_cast<double>(STEPPED) * FRAMES),
                checksum);

    Free(moving);

    // A room filled with instances of random depths, then emptied from the head.
    constexpr int32_t FILLED = 100000;
    std::vector<CInstance*> filling = MakeInstances(FILLED, 2000.0f);
    for (CInstance* instance : filling) instance->i_depth = Next(100000.0f) - 50000.0f;
    CInstanceList room;
    start = Clock::now();
    for (CInstance* instance : filling) room.AddByDepth(instance);
    double insertSeconds = Seconds(start);
    start = Clock::now();
    while (room.m_pHead != nullptr) room.Remove(room.m_pHead);
    double removeSeconds = Seconds(start);
    std::printf("fill a room by depth: %d instances: %.3f s (%.1f ns per insertion), emptied in %.3f s\n",
                FILLED, insertSeconds, insertSeconds * 1e9 / FILLED, removeSeconds);
    Free(filling);

    constexpr int32_t PAIRED = 2000;
    std::vector<CInstance*> crowd = MakeInstances(PAIRED, 1500.0f);
    for (CInstance* instance : crowd) instance->GetBoundingBox();
    start = Clock::now();
    int64_t hits = 0;
    for (CInstance* a : crowd) {
        for (CInstance* b : crowd) hits += a->CollisionInstance(b, 0) ? 1 : 0;
    }
    double pairSeconds = Seconds(start);
    double tests = static_cast<double>(PAIRED) * PAIRED;
    std::printf("all pairs, box against box: %d instances: %.2f ns per test (%" PRId64 " hits)\n", PAIRED,
                pairSeconds * 1e9 / tests, hits);
    Free(crowd);

    Instance_SetSprites(nullptr);
    return 0;
}
