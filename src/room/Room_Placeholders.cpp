#include "room/Room_Placeholders.h"

// PLACEHOLDER for the room drawing issue: nothing is drawn yet.
void Room_Draw() {}
