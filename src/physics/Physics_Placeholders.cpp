#include "physics/Physics_Placeholders.h"

// PLACEHOLDER for the physics world issue: there is no physics layer to hook yet.
void Physics_InstallErrorHook() {}
