#include "buffer/Buffer_Placeholders.h"

// PLACEHOLDER until binary buffers exist: registers no functions.
void Buffer_RegisterFunctions() {}

// PLACEHOLDER until vertex buffers exist: registers no functions.
void VertexBuilder_RegisterFunctions() {}
