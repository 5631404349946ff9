// Room services of other issues that the rooms call, and the room services that start-up, shut-down
// and name resolution include through this header (built in Room_Table.h and run/Run_Game.h).
#pragma once

#include <cstdint>

#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "room/Room_Draw.h"
