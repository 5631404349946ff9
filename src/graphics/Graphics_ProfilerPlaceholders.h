// The profiler overlay's bars as the frame marks them, standing in until the profiler overlay exists.
#pragma once

#include <cstdint>

// Opens a bar of the colour and name (starting the frame first when needed); closes the innermost.
void Profiler_Begin(uint32_t colour, const char* name);
void Profiler_End();
