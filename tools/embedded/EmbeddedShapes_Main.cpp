// Draws the particle shapes with the program's own drawing code and writes their files as a C++
// table (EMBEDDED_SHAPES_DRAWN), which the program includes: a start-up then spends no time drawing
// them. Run by the build.
//     embedded_shapes OUTPUT
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Platform_EmbeddedDrawing.h"
#include "platform/Platform_EmbeddedImages.h"

namespace {

// The table's text: one row of bytes per shape, 16 bytes a line.
bool ShapeTable(std::string& text)
{
    text = "// Written by embedded_shapes (tools/embedded) when the program was built.\n"
           "const uint8_t EMBEDDED_SHAPES_DRAWN[" +
           std::to_string(EMBEDDED_IMAGE_SHAPE_COUNT) + "][" + std::to_string(EMBEDDED_SHAPE_BYTES) + "] = {\n";
    for (int32_t shape = 0; shape < EMBEDDED_IMAGE_SHAPE_COUNT; ++shape) {
        std::vector<uint8_t> file = EmbeddedImage_Draw(EMBEDDED_IMAGE_FIRST_SHAPE + shape);
        if (file.size() != size_t(EMBEDDED_SHAPE_BYTES)) {
            std::fprintf(stderr, "embedded_shapes: shape %d drew %zu bytes, not %d\n", shape, file.size(),
                         EMBEDDED_SHAPE_BYTES);
            return false;
        }
        text += "    {";
        for (size_t i = 0; i < file.size(); ++i) {
            text += i % 16 == 0 ? "\n        " : " ";
            text += std::to_string(file[i]) + ",";
        }
        text += "\n    },\n";
    }
    text += "};\n";
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: embedded_shapes OUTPUT\n");
        return 2;
    }
    std::string text;
    if (!ShapeTable(text)) return 1;
    FILE* out = std::fopen(argv[1], "wb");
    bool written = out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out != nullptr && std::fclose(out) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "embedded_shapes: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
