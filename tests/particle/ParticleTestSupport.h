// A fresh particle layer and generator for each test, and small helpers to read a system.
#pragma once

#include <gtest/gtest.h>

#include "base/Base_Random.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_System.h"

namespace particletest {

class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(1);
    }
    void TearDown() override { Particle_Init(); }

    // A type of fixed life that does not move, and a system.
    static int32_t StillType(int32_t life)
    {
        int32_t type = ParticleType_Create();
        ParticleType_SetLife(type, life, life);
        return type;
    }
    static const Particle& At(int32_t system, int32_t index)
    {
        return ParticleSystem_Get(system)->particles[size_t(index)];
    }
};

} // namespace particletest
