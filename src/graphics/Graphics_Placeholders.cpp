#include "graphics/Graphics_Placeholders.h"

// PLACEHOLDER for the text-drawing issue: no default font exists.
void GR_Text_FreeDefaultFont() {}

// PLACEHOLDER for the shaders issue: registers no functions.
void Shader_RegisterFunctions() {}

namespace {
int32_t g_TransitionSteps = 80;
} // namespace

// PLACEHOLDER for the room-transitions issue: the steps setting as that issue keeps it.
int32_t GR_Transition_GetSteps()
{
    return g_TransitionSteps;
}

// PLACEHOLDER for the room-transitions issue.
void GR_Transition_SetSteps(int32_t steps)
{
    g_TransitionSteps = steps >= 1 ? steps : 1;
}
