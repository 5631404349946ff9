// The fixture of the instance tests: objects made in the real object table, instances the test
// owns, and an empty id hash and change lists before and after every test.
#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "Instance_TestDoubles.h"
#include "instance/Instance_List.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"

// Each test starts from an empty object table, hash and change lists, and leaves them so.
class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override
    {
        for (CInstance* instance : m_Owned) {
            Instance_RemoveFromHash(instance);
            delete instance;
        }
        m_Owned.clear();
        Reset();
    }

    static void Reset()
    {
        Instance_ClearHash();
        g_InstanceObjectChanges.Clear();
        g_InstanceDepthChanges.Clear();
        Object_ResetTable();
    }

    // A new object with the given sprite, depth and flags (bit 0 solid, 1 visible, 2 persistent).
    static CObject* MakeObject(int32_t sprite = -1, int32_t depth = 0, uint32_t flags = OBJECT_FLAG_VISIBLE,
                               int32_t mask = -1)
    {
        CObject* object = Object_Data(Object_Add());
        object->m_SpriteIndex = sprite;
        object->m_Depth = depth;
        object->m_Flags = flags;
        object->m_MaskIndex = mask;
        return object;
    }

    // An instance the test owns (deleted at the end unless the test deletes it first).
    CInstance* Make(float x, float y, int32_t id, int32_t object = -1, bool registerInObject = true)
    {
        CInstance* instance = new CInstance(x, y, id, object, registerInObject);
        m_Owned.push_back(instance);
        return instance;
    }

    std::vector<CInstance*> m_Owned;
};


// Fields of different types as one list, so that a record is compared in one line.
template <typename... T> std::vector<double> Fields(T... values) { return {static_cast<double>(values)...}; }
