#include "dplay/DPlay_Placeholders.h"

// PLACEHOLDER for the multiplayer layer issue: registers no functions.
void InitMPlayFunctions() {}
