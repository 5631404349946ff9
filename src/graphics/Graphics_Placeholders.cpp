#include "graphics/Graphics_Placeholders.h"

// PLACEHOLDER until text is drawn: no default font exists.
void GR_Text_FreeDefaultFont() {}

// PLACEHOLDER until shaders are loaded: registers no functions.
void Shader_RegisterFunctions() {}

namespace {
int32_t g_TransitionSteps = 80;
} // namespace

// PLACEHOLDER until room transitions exist: the steps setting, kept as transitions will keep it.
int32_t GR_Transition_GetSteps()
{
    return g_TransitionSteps;
}

// PLACEHOLDER until room transitions exist.
void GR_Transition_SetSteps(int32_t steps)
{
    g_TransitionSteps = steps >= 1 ? steps : 1;
}
