// The font chunk's reader over arbitrary bodies, then measuring, sprite fonts through its character
// table and the table's changes: nothing may be read outside the file or the glyphs.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "font/Font_Table.h"
#include "../../TestSupport_ChunkFuzz.h"
#include "gamefile/GameFile_View.h"

namespace {

void Exercise(const CFontKV& font)
{
    const char16_t text[] = {u'A', u' ', 0x00E9, 0xFFFF, u'#', 0};
    font.TextWidth(text);
    font.LineHeight();
    for (uint16_t code : {uint16_t(0), uint16_t(32), uint16_t(65), uint16_t(0xFFFF)}) font.GlyphAdvance(code);
    font.GetEntry();
}

} // namespace

// The input is the chunk's body; it sits at file offset 16, after the container and chunk headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameFile file;
    if (!testsupport::ChunkFuzzFile(file, "FONT", data, size)) return 0;
    if (Font_Load(file, 16, uint32_t(size))) {
        for (int32_t i = 0; i < Font_Count(); ++i)
            if (const CFontKV* font = Font_Data(i)) Exercise(*font);
        Font_Add("Serif", 10, false, false, -1, 999);
        Font_Delete(0);
        Font_Replace(0, "Serif", 10, true, true, 0, 0);
    }
    Font_Clear();
    return 0;
}
