#include "function/Function_Placeholders.h"

// PLACEHOLDER for the game built-ins issue: registers no functions.
void Function_Game_Init() {}

// PLACEHOLDER for the maths built-ins issue: registers no functions.
void Function_Math_Init() {}

// PLACEHOLDER for the drawing built-ins issue: registers no functions.
void Function_Graphics_Init() {}

// PLACEHOLDER for the drag-and-drop actions issue: registers no functions.
void InitActionFunctions() {}

// PLACEHOLDER for the file built-ins issue: registers no functions.
void Function_File_Init() {}

// PLACEHOLDER for the resource built-ins issue: registers no functions.
void InitResourceFunctions() {}

// PLACEHOLDER for the dialogs-and-interaction built-ins issue: registers no functions.
void Function_Interaction_Init() {}

// PLACEHOLDER for the 3D built-ins issue: registers no functions.
void InitD3DFunctions() {}

// PLACEHOLDER for the particle built-ins issue: registers no functions.
void Function_Particle_Init() {}

// PLACEHOLDER for the miscellaneous built-ins issue: registers no functions.
void Function_Misc_Init() {}

// PLACEHOLDER for the data-structure built-ins issue: registers no functions.
void InitDataStructureFunctions() {}

// PLACEHOLDER for the sound built-ins issue: registers no functions.
void InitSoundFunctions() {}

// PLACEHOLDER for the physics built-ins issue: registers no functions.
void Function_Physics_Init() {}

// PLACEHOLDER for the gamepad built-ins issue: registers no functions.
void Function_Gamepad_Init() {}

// PLACEHOLDER for the platform-services built-ins issue: registers no functions.
void InitWexoFunctions() {}

// PLACEHOLDER for the platform-services built-ins issue: registers no functions.
void Function_Win8_Init() {}

// PLACEHOLDER for the platform-services built-ins issue: there is no pause event to raise.
void Wexo_OSPauseEventRaised() {}

// PLACEHOLDER for the achievements issue: there is no cache to save.
void Wexo_FunctionsSaveCache() {}

// PLACEHOLDER for the platform-services issue: no platform service has work each frame yet.
void Wexo_FunctionsStep() {}

// PLACEHOLDER for the in-app purchases issue: no purchase can be pending.
void Async_ProcessIapEvents() {}

// PLACEHOLDER for the asynchronous callbacks issue: nothing queues a callback yet.
void Async_ProcessCallbacks() {}

// PLACEHOLDER for the file built-ins issue: no file is open.
void File_CloseAll() {}

// PLACEHOLDER for the platform-services built-ins issue: adds no operating-system constants.
void InitOsConstants() {}

// PLACEHOLDER for the drag-and-drop actions issue: no action has set the relative flag.
uint8_t Action_Relative = 0;

// PLACEHOLDER for the drag-and-drop actions issue (action_set_caption raises it too).
uint8_t g_CaptionSettingsChanged = 0;
