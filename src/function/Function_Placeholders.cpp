// Placeholders: each family's registrar and service below stands in until that family is written,
// and is removed from here when it is.
#include "function/Function_Families.h"
#include "function/Function_File.h"

// Registrars of the families not written yet: each registers no functions.
void InitD3DFunctions() {}
void Function_Particle_Init() {}
void Function_Physics_Init() {}
// Until the platform services are written only their hashing and encoding rows register.
void InitWexoFunctions()
{
    Function_WexoHash_Register();
}

// The resource family's groups not written yet (see Function_Resource.cpp): each registers no
// functions.
void Function_ResourceBackgrounds_Register() {}
void Function_ResourceObjects_Register() {}
void Function_ResourceScripts_Register() {}
void Function_ResourcePaths_Register() {}
void Function_ResourceFonts_Register() {}
void Function_ResourceRooms_Register() {}

// The Graphic family's groups not written yet (see Function_Graphics.cpp): each registers no
// functions.
void Function_GraphicsDisplay_Register() {}
void Function_GraphicsDrawState_Register() {}
void Function_GraphicsBackgroundTexture_Register() {}
void Function_GraphicsTextures_Register() {}
void Function_GraphicsText_Register() {}
void Function_GraphicsBackgroundDraw_Register() {}
void Function_GraphicsTiles_Register() {}
void Function_GraphicsSurfaces_Register() {}

// The Interaction family's dialogs group, not written yet: registers no functions.
void Function_InteractionDialogs_Register() {}

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

// The File family's HTTP and JSON rows (http_get, http_post_string, json_encode, json_decode),
// registered last in the family: none until HTTP requests exist.
void Function_FileHttp_Register() {}

// Until the platform services exist: adds no operating-system constants.
void InitOsConstants() {}

