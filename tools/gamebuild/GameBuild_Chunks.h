// One writer per chunk. Each appends its chunk (tag, length, body) to the image; problems with the
// description are recorded in the image and make the build fail.
#pragma once

#include "gamebuild/GameBuild_Game.h"
#include "gamebuild/GameBuild_Image.h"

namespace gamebuild {

// "GEN8", "GEN7" or "GENL": the fields the header's version holds, then the room order.
void WriteHeaderChunk(ImageWriter& image, const HeaderDesc& header);
// "OPTN": words 0 to 34, the constant count and the constant pairs.
void WriteOptionsChunk(ImageWriter& image, const OptionsDesc& options);
// "STRG": every string of the pool so far, as records (length, characters, NUL).
void WriteStringsChunk(ImageWriter& image);
// A chunk given as bytes.
void WriteRawChunk(ImageWriter& image, const RawChunkDesc& chunk);

// Where the room order's count lies in the header body of a version.
uint32_t HeaderRoomOrderOffset(int32_t version);

} // namespace gamebuild
