// Drawing the program's own images (Platform_EmbeddedImages.h lists them). It needs nothing of the
// engine, so that the build runs it too: the particle shapes are drawn then and kept in the program.
#pragma once

#include <cstdint>
#include <vector>

// The file of the image (a DDS texture or the emblem's PNG); empty for an index out of range.
std::vector<uint8_t> EmbeddedImage_Draw(int32_t index);
