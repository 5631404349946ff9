// The old multiplayer layer's registrar, before that issue lands.
#pragma once

void InitMPlayFunctions();
