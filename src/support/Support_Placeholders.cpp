#include "support/Support_Placeholders.h"

// PLACEHOLDER for the asynchronous-events issue: no asynchronous event is ever performed.
int32_t async_load = -1;
