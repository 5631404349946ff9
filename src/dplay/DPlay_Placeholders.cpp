#include "dplay/DPlay_Placeholders.h"

// PLACEHOLDER until the multiplayer layer exists: registers no functions.
void InitMPlayFunctions() {}
