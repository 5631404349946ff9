// The buffer families' registrars, standing in until binary and vertex buffers exist.
#pragma once

void Buffer_RegisterFunctions();
void VertexBuilder_RegisterFunctions();
