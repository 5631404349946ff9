#include "support/Support_Placeholders.h"

// PLACEHOLDER until asynchronous events are performed: no asynchronous event is ever performed.
int32_t async_load = -1;
