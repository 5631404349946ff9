// Support services that start-up, shut-down and the main loop need: the timer and the temporary
// folder, and the placeholder below.
#pragma once

#include <cstdint>

#include "support/Support_File.h"
#include "support/Support_Timing.h"

// The identifier of the map of the asynchronous event being performed (-1 outside one).
extern int32_t async_load;
