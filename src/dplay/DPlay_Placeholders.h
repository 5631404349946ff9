// The old multiplayer layer's registrar, standing in until that layer exists.
#pragma once

void InitMPlayFunctions();
