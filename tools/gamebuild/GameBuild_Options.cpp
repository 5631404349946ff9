#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {

void WriteOptionsChunk(ImageWriter& image, const OptionsDesc& options)
{
    image.BeginChunk("OPTN");
    for (uint32_t word : options.words) image.U32(word);
    image.U32(static_cast<uint32_t>(options.constants.size()));
    for (const ConstantDesc& constant : options.constants) {
        if (constant.hasName) image.StringRef(constant.name);
        else image.U32(0);
        if (constant.hasValue) image.StringRef(constant.value);
        else image.U32(0);
    }
    image.EndChunk();
}

} // namespace gamebuild
