#include "graphics/Graphics_ProfilerPlaceholders.h"

// PLACEHOLDER for the profiler overlay issue: no bars are recorded yet.
void Profiler_Begin(uint32_t /*colour*/, const char* /*name*/) {}

// PLACEHOLDER for the profiler overlay issue.
void Profiler_End() {}
