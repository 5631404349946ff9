#include "buffer/Buffer_Placeholders.h"

// PLACEHOLDER for the buffers issue: registers no functions.
void Buffer_RegisterFunctions() {}

// PLACEHOLDER for the vertex buffers issue: registers no functions.
void VertexBuilder_RegisterFunctions() {}
