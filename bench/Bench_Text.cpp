// Many lines of text drawn every frame: 60 lines of 80 characters fill the 640 x 480 room in an
// 8 x 8 monospaced font of the game's own (glyphs of 2 x 2 blocks, white on clear), drawn 1, 4 and 16
// times a frame by one instance's draw event (4,800, 19,200 and 76,800 glyphs). The kelvaro
// executable plays it headless without waiting between frames; beside it LOVE 11 prints the same
// lines, line by line, in an image font of the same glyphs with nearest filtering (bench/love_text/),
// which lays them out in the same 8-pixel cells. Milliseconds per frame from two run lengths, best of
// `tries`. Before timing, one frame of kelvaro's is captured and compared with the font's picture.
//     bench_text KELVARO [short long [tries]]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_Capture.h"

namespace {

constexpr int32_t ROOM_WIDTH = 640;
constexpr int32_t ROOM_HEIGHT = 480;
constexpr int32_t CELL = 8;
constexpr int32_t LINES = ROOM_HEIGHT / CELL;
constexpr int32_t LINE_LENGTH = ROOM_WIDTH / CELL;
constexpr int32_t FIRST_CODE = 32, LAST_CODE = 127;
constexpr int32_t PICTURE_COLUMNS = 16;
constexpr int32_t CAPTURE_FRAME = 3;

// The character at a place of the text: 36 to 126, so never "#", which would end the line.
int32_t CodeAt(int32_t line, int32_t column)
{
    return 36 + (line * 31 + column * 17) % 91;
}

// Whether a glyph's 2 x 2 block (bx, by) of its 4 x 4 is white; the space is empty.
bool GlyphBlock(int32_t code, int32_t bx, int32_t by)
{
    return code != ' ' && (code * 131 + bx * 7 + by * 13) % 5 < 2;
}

gamebuild::FontDesc MonoFont()
{
    gamebuild::FontDesc font;
    font.name = "fnt_mono";
    font.size = 8;
    font.first = FIRST_CODE;
    font.last = LAST_CODE;
    font.hasPicture = true;
    int32_t rows = (LAST_CODE - FIRST_CODE + PICTURE_COLUMNS) / PICTURE_COLUMNS;
    font.picture = {"glyphs", PICTURE_COLUMNS * CELL, rows * CELL, {}};
    font.picture.pixels.assign(size_t(font.picture.width) * size_t(font.picture.height), 0u);
    for (int32_t code = FIRST_CODE; code <= LAST_CODE; ++code) {
        int32_t left = (code - FIRST_CODE) % PICTURE_COLUMNS * CELL,
                top = (code - FIRST_CODE) / PICTURE_COLUMNS * CELL;
        for (int32_t y = 0; y < CELL; ++y)
            for (int32_t x = 0; x < CELL; ++x)
                if (GlyphBlock(code, x / 2, y / 2))
                    font.picture.pixels[size_t((top + y) * font.picture.width + left + x)] = 0xFFFFFFFFu;
        font.glyphs.push_back({code, left, top, CELL, CELL, CELL, 0});
    }
    return font;
}

gamebuild::GameDesc TextScene(int32_t passes)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Text";
    game.fonts = {MonoFont()};
    game.textures.pageSize = 256;
    gamebuild::ObjectDesc object;
    object.name = "obj_text";
    gamebuild::EventDesc create;
    create.code.source = "for (l = 0; l < " + std::to_string(LINES) +
                         "; l += 1) {\n  s = \"\";\n  for (m = 0; m < " + std::to_string(LINE_LENGTH) +
                         "; m += 1) s += chr(36 + (l * 31 + m * 17) mod 91);\n  line[l] = s;\n}";
    gamebuild::EventDesc draw;
    draw.type = 8;
    draw.code.source = "draw_set_font(fnt_mono);\ndraw_set_colour(c_white);\nfor (p = 0; p < " +
                       std::to_string(passes) + "; p += 1)\n  for (l = 0; l < " + std::to_string(LINES) +
                       "; l += 1) draw_text(0, l * " + std::to_string(CELL) + ", line[l]);";
    object.events = {create, draw};
    game.objects = {object};
    gamebuild::RoomDesc room = bench::BlackRoom(ROOM_WIDTH, ROOM_HEIGHT);
    room.instances.push_back(gamebuild::RoomInstanceDesc{});
    game.rooms = {room};
    return game;
}

// Every pixel of a glyph's cell but its last column and row, which the widened edges of the glyphs
// to the right and below reach over: white where the glyph is, else the black room.
int64_t ExpectedPixel(int32_t x, int32_t y)
{
    if (x % CELL == CELL - 1 || y % CELL == CELL - 1) return -1;
    return GlyphBlock(CodeAt(y / CELL, x / CELL), x % CELL / 2, y % CELL / 2) ? 0xFFFFFF : 0;
}

std::string g_Peer = std::string(KELVARO_SOURCE_DIR) + "/bench/love_text";

} // namespace

int main(int argc, char** argv)
{
    bench::SceneRuns runs;
    if (!bench::ReadSceneRuns(argc, argv, "bench_text", &runs)) return 2;
    std::printf("%-10s %12s %12s %8s\n", "glyphs", "kelvaro ms", "LOVE ms", "ratio");
    bool allDrawn = true;
    for (int32_t passes : {1, 4, 16}) {
        allDrawn &= bench::TimeScene(runs, "bench_text", passes * LINES * LINE_LENGTH, TextScene(passes),
                                     CAPTURE_FRAME, ROOM_WIDTH, ROOM_HEIGHT, ExpectedPixel, [&](int32_t n) {
                                         return "SDL_VIDEODRIVER=offscreen love " + g_Peer + " " +
                                                std::to_string(n) + " " + std::to_string(passes) +
                                                " > /dev/null 2>&1";
                                     });
    }
    return allDrawn ? 0 : 1;
}
