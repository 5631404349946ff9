#include "function/Function_Target.h"

#include "instance/Instance_Class.h"
#include "instance/Instance_List.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "run/Run_Game.h"

namespace {

bool Usable(const CInstance* instance)
{
    return !instance->IsMarked() && !instance->IsDeactivated();
}

} // namespace

int32_t Function_SubstituteTarget(int32_t target, CInstance* self, CInstance* other)
{
    CInstance* named = target == FUNCTION_TARGET_SELF ? self : target == FUNCTION_TARGET_OTHER ? other : nullptr;
    if (target != FUNCTION_TARGET_SELF && target != FUNCTION_TARGET_OTHER) return target;
    return named != nullptr ? named->GetId() : FUNCTION_TARGET_NOONE;
}

std::vector<CInstance*> Function_TargetInstances(int32_t target)
{
    std::vector<CInstance*> found;
    if (target == FUNCTION_TARGET_ALL) {
        CInstanceList* list = Room_CurrentActiveList();
        for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr; i = i->m_pNext)
            if (Usable(i)) found.push_back(i);
    } else if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        if (instance != nullptr && Usable(instance)) found.push_back(instance);
    } else if (CObject* object = Object_Data(target)) {
        for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next)
            if (Usable(node->instance)) found.push_back(node->instance);
    }
    return found;
}
