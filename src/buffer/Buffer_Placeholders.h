// The buffer families' registrars, before the buffers issues land.
#pragma once

void Buffer_RegisterFunctions();
void VertexBuilder_RegisterFunctions();
