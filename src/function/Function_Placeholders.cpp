// Placeholders: each family's registrar and service below stands in until that family is written,
// and is removed from here when it is.
#include "function/Function_Families.h"

// Registrars of the families not written yet: each registers no functions.
void Function_Game_Init() {}
void Function_Graphics_Init() {}
void InitActionFunctions() {}
void Function_File_Init() {}
void InitResourceFunctions() {}
void Function_Interaction_Init() {}
void InitD3DFunctions() {}
void Function_Particle_Init() {}
void InitDataStructureFunctions() {}
void Function_Physics_Init() {}
void Function_Gamepad_Init() {}
void InitWexoFunctions() {}

// The Misc family's groups not written yet (see Function_Misc.cpp): each registers no functions.
void Function_MiscWindow_Register() {}

// Until the platform services exist: there is no pause event to raise.
void Wexo_OSPauseEventRaised() {}

// Until achievements exist: there is no cache to save.
void Wexo_FunctionsSaveCache() {}

// Until the platform services exist: none has work each frame.
void Wexo_FunctionsStep() {}

// Until purchases exist: none can be pending.
void Async_ProcessIapEvents() {}

// Until scripts can queue callbacks: there are none.
void Async_ProcessCallbacks() {}

// Until the file built-ins exist: no file is open.
void File_CloseAll() {}

// Until the platform services exist: adds no operating-system constants.
void InitOsConstants() {}

// Until the drag-and-drop actions exist: no action has set the relative flag.
uint8_t Action_Relative = 0;

// Until the drag-and-drop actions exist (action_set_caption raises it too).
uint8_t g_CaptionSettingsChanged = 0;
