#include "function/Function_Target.h"

#include "instance/Instance_Class.h"
#include "run/Run_Commands.h"

int32_t Function_SubstituteTarget(int32_t target, CInstance* self, CInstance* other)
{
    CInstance* named = target == FUNCTION_TARGET_SELF ? self : target == FUNCTION_TARGET_OTHER ? other : nullptr;
    if (target != FUNCTION_TARGET_SELF && target != FUNCTION_TARGET_OTHER) return target;
    return named != nullptr ? named->GetId() : FUNCTION_TARGET_NOONE;
}

std::vector<CInstance*> Function_TargetInstances(int32_t target)
{
    return Run_TargetInstances(target);
}
