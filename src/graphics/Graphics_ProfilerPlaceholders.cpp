#include "graphics/Graphics_ProfilerPlaceholders.h"

// PLACEHOLDER until the profiler overlay exists: no bars are recorded yet.
void Profiler_Begin(uint32_t /*colour*/, const char* /*name*/) {}

// PLACEHOLDER until the profiler overlay exists.
void Profiler_End() {}
