// Placeholders: each family's registrar and service below stands in until that family is written,
// and is removed from here when it is.
#include "function/Function_Families.h"
#include "function/Function_File.h"

// Registrars of the families not written yet: each registers no functions.

// Until the platform services are written only their hashing and encoding rows register.
void InitWexoFunctions()
{
    Function_WexoHash_Register();
}

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

// Until the platform services exist: adds no operating-system constants.
void InitOsConstants() {}

