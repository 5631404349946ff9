// The particle update alone, in process: the scene of bench_particles (100,000 live particles of one
// disk type streamed 1,000 a step, gravity, two colours, two alphas), then a mixed scene with wiggles,
// three colours, step and death spawns and an attractor. Prints the time per step and a checksum of
// every particle's state, so a change to the update can be run under callgrind and shown to leave
// every result as it was. A third argument, "stream" or "mixed", runs that scene alone (for counting
// one scene's instructions).
//     bench_particleupdate [steps [stream|mixed]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Base_Random.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_System.h"

namespace {

uint64_t Checksum(int32_t system)
{
    // FNV-1a over the fields of each live particle (not the padding).
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const void* data, size_t n) {
        const auto* b = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    };
    const ParticleSystem* s = ParticleSystem_Get(system);
    for (int32_t i = 0; i < s->count; ++i) {
        const Particle& p = s->Live()[i];
        const float f[9] = {p.x, p.y, p.xPrevious, p.yPrevious, p.speed, p.direction, p.angle, p.alpha, p.size};
        const int32_t n[6] = {p.type, p.age, p.life, int32_t(p.colour), p.frameOffset, p.seed};
        mix(f, sizeof f);
        mix(n, sizeof n);
    }
    return h;
}

int32_t StreamScene()
{
    int32_t sys = ParticleSystem_Create();
    int32_t t = ParticleType_Create();
    ParticleType_SetShape(t, PT_SHAPE_DISK);
    ParticleType_SetSize(t, 0.1f, 0.3f, 0, 0);
    ParticleType_SetLife(t, 100, 100);
    ParticleType_SetSpeed(t, 0, 2, 0, 0);
    ParticleType_SetDirection(t, 0, 360, 0, 0);
    ParticleType_SetGravity(t, 0.1f, 270);
    ParticleType_SetColor2(t, 0xFFFFFF, 0x0000FF);
    ParticleType_SetAlpha2(t, 1, 0);
    int32_t e = ParticleEmitter_Create(sys);
    ParticleEmitter_SetRegion(sys, e, 160, 480, 120, 360, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
    ParticleEmitter_SetStream(sys, e, t, 1000);
    return sys;
}

int32_t MixedScene()
{
    int32_t sys = ParticleSystem_Create();
    int32_t spark = ParticleType_Create();
    ParticleType_SetLife(spark, 5, 15);
    ParticleType_SetSpeed(spark, 1, 3, -0.1f, 0.5f);
    ParticleType_SetDirection(spark, 0, 360, 2, 10);
    ParticleType_SetColor3(spark, 0x00FFFF, 0x00FF00, 0x7F007F);
    ParticleType_SetAlpha3(spark, 1, 0.5f, 0);
    int32_t t = ParticleType_Create();
    ParticleType_SetSize(t, 0.5f, 1.5f, -0.01f, 0.1f);
    ParticleType_SetLife(t, 20, 80);
    ParticleType_SetSpeed(t, 0, 4, 0.02f, 0.3f);
    ParticleType_SetDirection(t, 45, 135, -1, 5);
    ParticleType_SetOrientation(t, 0, 360, 3, 0, true);
    ParticleType_SetGravity(t, 0.05f, 250);
    ParticleType_SetColor3(t, 0xFFFFFF, 0x00FFFF, 0x0000FF);
    ParticleType_SetAlpha3(t, 0.2f, 1, 0);
    ParticleType_SetStep(t, -20, spark);
    ParticleType_SetDeath(t, 2, spark);
    int32_t e = ParticleEmitter_Create(sys);
    ParticleEmitter_SetRegion(sys, e, 100, 300, 200, 260, PS_SHAPE_ELLIPSE, PS_DISTR_GAUSSIAN);
    ParticleEmitter_SetStream(sys, e, t, 200);
    int32_t a = ParticleAttractor_Create(sys);
    ParticleAttractor_SetPosition(sys, a, 200, 100);
    ParticleAttractor_SetForce(sys, a, 0.5f, 150, PS_FORCE_LINEAR, true);
    return sys;
}

double Run(int32_t sys, int32_t steps)
{
    auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < steps; ++i) ParticleSystem_Update(sys);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / steps;
}

} // namespace

int main(int argc, char** argv)
{
    int32_t steps = argc > 1 ? std::atoi(argv[1]) : 200;
    const char* only = argc > 2 ? argv[2] : "";
    Particle_Init();
    Random_Seed(12345);
    if (std::strcmp(only, "mixed") != 0) {
        int32_t stream = StreamScene();
        Run(stream, 100); // fill to the steady 100,000
        double ms = Run(stream, steps);
        std::printf("stream: %d particles, %.3f ms a step, checksum %016llx\n", ParticleSystem_ParticleCount(stream),
                    ms, (unsigned long long)Checksum(stream));
    }
    if (std::strcmp(only, "stream") == 0) {
        Particle_Shutdown();
        return 0;
    }
    int32_t mixed = MixedScene();
    double ms = Run(mixed, steps);
    std::printf("mixed:  %d particles, %.3f ms a step, checksum %016llx, random %08x\n",
                ParticleSystem_ParticleCount(mixed), ms, (unsigned long long)Checksum(mixed), Random_Next());
    Particle_Shutdown();
    return 0;
}
