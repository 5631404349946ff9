// Instances as far as variable access and with blocks can tell, for the interpreter's and executor's
// tests and fuzz targets: an identifier, an object, two marks and a variable list each.
#pragma once

#include <memory>
#include <vector>

#include "variable/Variable_Access.h"
#include "variable/Variable_List.h"

namespace vmtest {

struct FakeInstance {
    int32_t id = 0;
    int32_t object = 0;
    bool marked = false;
    bool deactivated = false;
    bool outside = false; // findable by id, but in no room or object list
    float field = 0;      // a built-in number field that the translated code reads in place
    float second = 0;     // another, so that reads of two fields are told apart
    CVariableList variables;
};

inline CInstance* AsInstance(FakeInstance* fake) { return reinterpret_cast<CInstance*>(fake); }
inline FakeInstance* AsFake(CInstance* instance) { return reinterpret_cast<FakeInstance*>(instance); }

// Installed for its lifetime as the instances variable access and with blocks reach.
class FakeWorld : public IVariableInstances {
public:
    FakeWorld() : m_Saved(Variable_Instances()) { Variable_SetInstances(this); }
    ~FakeWorld() override { Variable_SetInstances(m_Saved == this ? nullptr : m_Saved); }
    FakeWorld(const FakeWorld&) = delete;
    FakeWorld& operator=(const FakeWorld&) = delete;

    FakeInstance* Add(int32_t id, int32_t object)
    {
        m_Room.push_back(std::make_unique<FakeInstance>());
        m_Room.back()->id = id;
        m_Room.back()->object = object;
        return m_Room.back().get();
    }
    // An instance that became `object` after the object lists were last brought up to date.
    FakeInstance* AddChanged(int32_t id, int32_t object)
    {
        FakeInstance* instance = Add(id, object);
        m_Changed.push_back(instance);
        return instance;
    }
    FakeInstance* Find(int32_t id)
    {
        for (auto& instance : m_Room)
            if (instance->id == id) return instance.get();
        return nullptr;
    }
    FakeInstance* At(size_t index) { return m_Room[index].get(); }
    void Clear()
    {
        for (auto& instance : m_Room) {
            instance->variables.Clear();
            instance->field = 0;
            instance->second = 0;
        }
    }

    CInstance* FindById(int32_t id) override
    {
        FakeInstance* found = Find(id);
        return found != nullptr ? AsInstance(found) : nullptr;
    }
    void VisitRoom(InstanceVisit visit, void* context) override
    {
        for (auto& instance : m_Room)
            if (!instance->outside && !visit(AsInstance(instance.get()), context)) return;
    }
    void VisitObject(int32_t objectIndex, InstanceVisit visit, void* context) override
    {
        for (auto& instance : m_Room) {
            bool changed = false;
            for (FakeInstance* other : m_Changed) changed = changed || other == instance.get();
            if (instance->object == objectIndex && !changed && !instance->outside &&
                !visit(AsInstance(instance.get()), context))
                return;
        }
    }
    void VisitObjectChanges(InstanceVisit visit, void* context) override
    {
        for (FakeInstance* instance : m_Changed)
            if (!visit(AsInstance(instance), context)) return;
    }
    bool IsMarked(CInstance* instance) override { return AsFake(instance)->marked; }
    bool IsDeactivated(CInstance* instance) override { return AsFake(instance)->deactivated; }
    int32_t ObjectIndex(CInstance* instance) override { return AsFake(instance)->object; }
    CVariableList* Variables(CInstance* instance) override { return &AsFake(instance)->variables; }

private:
    IVariableInstances* m_Saved;
    std::vector<std::unique_ptr<FakeInstance>> m_Room;
    std::vector<FakeInstance*> m_Changed;
};

} // namespace vmtest
