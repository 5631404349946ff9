// The sprite object: pixel tests (which mask, which mapping, what counts as inside the frame), the
// box, radius, masks and frames of sprites that keep their pictures; then frame choice, culling by
// the radius and drawing failures, read from the quads a sprite queues.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "../TestSupport_Console.h"
#include "../gamefile/GameFileTestSupport.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "SpriteTestSupport.h"
#include "gamefile/GameFile_Loader.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"
#include "room/Room_Draw.h"

using capture::Draws;
using spritetest::MakeMaskSprite;
using spritetest::MakePictureSprite;

namespace {

const std::vector<std::string> CORNER = {"....", "....", "..##", "..##"}; // solid lower right quarter
const InstanceBox BOX{0, 0, 3, 3};

int32_t MaskAt(const CSprite& s, int32_t mask, int32_t x, int32_t y) { return s.GetMask(mask)[y * s.GetWidth() + x]; }

std::vector<std::string> Square(int32_t side, char c) { return {size_t(side), std::string(size_t(side), c)}; }

TEST(SpriteCollide, SpritesPointsAndShapesAgainstTheMask)
{
    CSprite corner, dot, plain, wide, one;
    MakeMaskSprite(corner, 1, {CORNER});
    MakeMaskSprite(dot, 1, {{"#...", "....", "....", "...."}});
    plain.SetFileFrames({0});
    plain.SetFileFields(4, 4, SpriteBox{0, 0, 3, 3}, true, false, true, 0, true, 0, 0); // no masks: solid
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    // A dot on an empty pixel misses; scales of 0 or NaN map every pixel outside.
    struct { CSprite* other; int32_t x2, y2; float xscale2, angle2; bool hit; } cases[] = {
        {&dot, 2, 2, 1, 0, true},   {&dot, 1, 1, 1, 0, false}, {&plain, 3, 3, 1, 0, true}, {&plain, 2, 2, 1, 0.00005f, true},
        {&dot, 2, 2, 0, 0, false}, {&dot, 2, 2, NaN, 0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.hit, corner.CollideSprite(0, BOX, 0, 0, 1, 1, 0, c.other, 0, InstanceBox{c.x2, c.y2, c.x2 + 3, c.y2 + 3},
                                              c.x2, c.y2, c.xscale2, 1, c.angle2))
            << c.x2 << "," << c.y2 << " scale " << c.xscale2;
    // Scaled by 2 about its left edge, the room pixel left of the position maps to u = -0.5: the pair
    // test truncates it to column 0 (solid), the point test floors it to -1 (outside).
    MakeMaskSprite(wide, 1, {{"#..."}});
    MakeMaskSprite(one, 1, {{"#"}});
    EXPECT_TRUE(wide.CollideSprite(0, {-1, 0, 7, 0}, 0, 0, 2, 1, 0, &one, 0, {-1, 0, -1, 0}, -1, 0, 1, 1, 0));
    EXPECT_FALSE(wide.CollidePoint(0, {-1, 0, 7, 0}, 0, 0, 2, 1, 0, -1, 0));

    CSprite s, three, single;
    MakeMaskSprite(s, 1, {CORNER}, 2, 2);
    MakeMaskSprite(three, 3, {{"#."}, {".#"}, {"##"}});
    MakeMaskSprite(single, 5, {{"#."}});
    // s placed at (10, 10) with its origin (2, 2): column 4 is outside, as is -1 after flooring;
    // (3.5, 3.5) floors to (3, 3); turned half round; below 0.0001 degrees no turn. At (0, 0) a
    // frame's mask wraps by the mask count.
    struct { CSprite* sprite; int32_t frame, px, py; float xscale, yscale, angle; bool hit; } points[] = {
        {&s, 0, 10, 10, 1, 1, 0, true},       {&s, 0, 12, 10, 1, 1, 0, false},      {&s, 0, 7, 10, 1, 1, 0, false},
        {&s, 0, 13, 13, 2, 2, 0, true},       {&s, 0, 10, 10, 0, 1, 0, false},      {&s, 0, 9, 10, 1, 1, 180, true},
        {&s, 0, 9, 10, 1, 1, 0.00005f, false}, {&three, 1, 1, 0, 1, 1, 0, true},    {&three, -1, 0, 0, 1, 1, 0, true},
        {&three, 4, 0, 0, 1, 1, 0, false},    {&single, 4, 0, 0, 1, 1, 0, true},   {&single, -7, 0, 0, 1, 1, 0, true}};
    for (const auto& c : points) {
        bool placed = c.sprite == &s;
        InstanceBox box = placed ? InstanceBox{0, 0, 20, 20} : InstanceBox{0, 0, 1, 0};
        EXPECT_EQ(c.hit, c.sprite->CollidePoint(c.frame, box, placed ? 10 : 0, placed ? 10 : 0, c.xscale, c.yscale,
                                                c.angle, c.px, c.py))
            << &c - points;
    }

    CSprite empty, bare;
    MakeMaskSprite(s, 1, {CORNER});
    empty.SetMasks({{1}});
    // Ellipse (0,0)-(4,4): centre (2, 2), half-axes 2, reaches the quarter; (0,0)-(3,3): whole-number
    // halves 1.
    EXPECT_EQ((std::vector<bool>{true, false, true, false}),
              (std::vector<bool>{s.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, {3, 3, 9, 9}), s.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, {0, 0, 1, 3}),
                                 s.CollideEllipse(0, BOX, 0, 0, 1, 1, 0, {0, 0, 4, 4}), s.CollideEllipse(0, BOX, 0, 0, 1, 1, 0, {0, 0, 3, 3})}));
    // Lines: a horizontal one is a rectangle; a steep one walks rows, a shallow one columns.
    EXPECT_EQ((std::vector<bool>{true, false, true, false, true}),
              (std::vector<bool>{s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 3, 9, 3), s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 1, 9, 1),
                                 s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 2, 0, 3, 100), s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 0, 1, 100),
                                 s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 2, 9, 3)}));
    // No masks: every shape hits; masks but no frames: none does.
    EXPECT_EQ((std::vector<bool>{true, false, false}),
              (std::vector<bool>{bare.CollidePoint(0, BOX, 0, 0, 1, 1, 0, 50, 50), empty.CollidePoint(0, BOX, 0, 0, 1, 1, 0, 0, 0),
                                 empty.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, BOX)}));
}

// Origins, positions and box edges at the ends of the 32-bit range: the whole-pixel mappings and the
// walks over the boxes give the answer of exact arithmetic (no wrap, no endless walk past the last
// column). Points keep their single-precision mapping, exact only near the position.
TEST(SpriteCollide, OriginsAndPositionsAtTheIntegerExtremes)
{
    constexpr int32_t MIN = std::numeric_limits<int32_t>::min();
    constexpr int32_t MAX = std::numeric_limits<int32_t>::max();
    CSprite one;
    MakeMaskSprite(one, 1, {{"#"}});
    struct Case {
        const char* name;
        int32_t xorigin, yorigin, x, y;
        float xscale;
        InstanceBox box, rect; // the sprite's box and the shape's; the point and `one` at the rect's corner
        bool rectangle, ellipse, sprite, point;
        bool pointExact;
    };
    const Case cases[] = {
        // The frame at room 0..3 through an origin and position of the least value.
        {"least origin and position", MIN, MIN, MIN, MIN, 1, {0, 0, 3, 3}, {2, 2, 4, 4}, true, true, true, false, false},
        {"least origin, empty rows", MIN, MIN, MIN, MIN, 1, {0, 0, 3, 3}, {0, 0, 3, 1}, false, false, false, false, false},
        // The frame in the last four columns and rows: walks stop at the greatest value.
        {"greatest position", 0, 0, MAX - 3, MAX - 3, 1, {MAX - 3, MAX - 3, MAX, MAX}, {MAX - 2, MAX - 2, MAX, MAX}, true, true, false, false, true},
        {"greatest position, solid corner", 0, 0, MAX - 3, MAX - 3, 1, {MAX - 3, MAX - 3, MAX, MAX}, {MAX - 1, MAX - 1, MAX, MAX}, true, true, true, true, true},
        {"greatest position, empty rows", 0, 0, MAX - 3, MAX - 3, 1, {MAX - 3, MAX - 3, MAX, MAX}, {MAX - 3, MAX - 3, MAX, MAX - 2}, false, false, false, false, true},
        // The frame would lie beyond the range: a wrapped mapping would find it at room 0..3 plus one.
        {"origin and position far apart", MAX, MAX, MIN, MIN, 1, {0, 0, 5, 5}, {3, 3, 4, 4}, false, false, false, false, true},
        {"scaled, far apart", MIN, MIN, MAX, MAX, 2, {0, 0, 5, 5}, {0, 0, 5, 5}, false, false, false, false, true},
        {"scaled, least origin and position", MIN, MIN, MIN, MIN, 2, {0, 0, 7, 3}, {0, 0, 1, 1}, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        CSprite s;
        MakeMaskSprite(s, 1, {CORNER}, c.xorigin, c.yorigin);
        EXPECT_EQ((std::vector<bool>{c.rectangle, c.ellipse, c.sprite}),
                  (std::vector<bool>{s.CollideRectangle(0, c.box, c.x, c.y, c.xscale, 1, 0, c.rect),
                                     s.CollideEllipse(0, c.box, c.x, c.y, c.xscale, 1, 0, c.rect),
                                     s.CollideSprite(0, c.box, c.x, c.y, c.xscale, 1, 0, &one, 0,
                                                     {c.rect.left, c.rect.top, c.rect.left, c.rect.top}, c.rect.left,
                                                     c.rect.top, 1, 1, 0)}))
            << c.name;
        bool point = s.CollidePoint(0, c.box, c.x, c.y, c.xscale, 1, 0, c.rect.left, c.rect.top);
        EXPECT_TRUE(!c.pointExact || point == c.point) << c.name;
    }
    // Lines from one end of the range to the other, across the frame at room 0..3.
    CSprite s;
    MakeMaskSprite(s, 1, {CORNER});
    EXPECT_EQ((std::vector<bool>{true, false, true, false}),
              (std::vector<bool>{s.CollideLine(0, BOX, 0, 0, 1, 1, 0, MIN, 2, MAX, 3), s.CollideLine(0, BOX, 0, 0, 1, 1, 0, MIN, 0, MAX, 1),
                                 s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 2, MIN, 3, MAX), s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, MIN, 1, MAX)}));
}

TEST(SpriteMasks, ShapesFillTheBoxPreciseOnesFollowAlphaAndFileSpritesGetNone)
{
    CSprite s, alpha, file;
    MakePictureSprite(s, Square(32, '.'));
    s.SetCollisionMask(true, 1, SpriteBox{5, 5, 6, 6}, 1, 0); // automatic: the whole frame
    EXPECT_EQ(1, MaskAt(s, 0, 31, 31));
    // A manual box 0,0,9,9 as an ellipse (centre (4, 4), half-axes 4.5) and a diamond.
    s.SetCollisionMask(true, 2, SpriteBox{0, 0, 9, 9}, 2, 0);
    EXPECT_EQ(std::make_pair(1, 0), std::make_pair(MaskAt(s, 0, 0, 4), MaskAt(s, 0, 9, 4)));
    s.SetCollisionMask(true, 2, SpriteBox{0, 0, 9, 9}, 3, 0);
    EXPECT_EQ(std::make_pair(0, 1), std::make_pair(MaskAt(s, 0, 1, 1), MaskAt(s, 0, 4, 0)));

    MakePictureSprite(alpha, {"#+..", "#+..", "..+.", "...."}, 2);
    // Alpha 1 is above any tolerance below 2^24; as unsigned, nothing exceeds -1; frame 1 alone has
    // its own pixels only; merged, frame 1 also holds mask 0.
    struct { bool separate; int32_t tolerance, frame, x, y, solid; } precise[] = {
        {true, 16777215, 0, 1, 1, 1}, {true, -1, 0, 0, 0, 0}, {true, 0, 1, 0, 0, 0}, {false, 0, 1, 0, 0, 1}};
    for (const auto& c : precise) {
        alpha.SetCollisionMask(c.separate, 0, SpriteBox{}, 0, c.tolerance);
        ASSERT_EQ(2, alpha.GetMaskCount());
        EXPECT_EQ(c.solid, MaskAt(alpha, c.frame, c.x, c.y)) << "tolerance " << c.tolerance << " frame " << c.frame;
    }

    MakeMaskSprite(file, 2, {{"#."}});
    file.SetCollisionMask(true, 1, SpriteBox{}, 1, 0);
    EXPECT_EQ(0, file.GetMaskCount());
    EXPECT_TRUE(file.CollidePoint(0, {0, 0, 1, 0}, 0, 0, 1, 1, 0, 1, 0)); // boxes decide

    // A picture's box and radius, and masks from its alpha.
    MakePictureSprite(s, {"......", "..#...", "...#..", "......"}, 1, 1, 1);
    EXPECT_EQ((std::vector<int32_t>{2, 1, 3, 2}),
              (std::vector<int32_t>{s.GetBBoxLeft(), s.GetBBoxTop(), s.GetBBoxRight(), s.GetBBoxBottom()}));
    EXPECT_EQ(6, s.GetRadius()); // from (1, 1) to (6, 4): sqrt(34) rounded up
    EXPECT_EQ(std::make_pair(1, 0), std::make_pair(MaskAt(s, 0, 3, 2), MaskAt(s, 0, 2, 2)));
    s.SetPrecise(false);
    EXPECT_EQ(0, s.GetMaskCount());
    s.SetPrecise(true); // the masks come back from the alpha
    EXPECT_EQ(1, s.GetMaskCount());
}

TEST(SpriteFrames, StripsHandlesMergesAndCopies)
{
    CSprite strip, none, s, copy;
    MakePictureSprite(strip, Square(100, '#'), 3);
    MakePictureSprite(none, Square(10, '#'), 0);
    EXPECT_EQ(std::make_pair(33, 1), std::make_pair(strip.GetWidth(), none.GetFrameCount()));
    // Own entries: one handle per frame, frames taken modulo the count.
    int32_t first = strip.GetTexture(1);
    EXPECT_GE(first, TPAGE_OWN_HANDLE_BASE);
    EXPECT_EQ(first, strip.GetTexture(7));
    strip.Clear();
    EXPECT_EQ(nullptr, TPage_FromHandle(first)); // a freed entry's handle names nothing

    // Merged into itself, a sprite copies its frames first; an assigned copy owns its own.
    MakePictureSprite(s, Square(4, '#'), 2);
    s.Merge(&s);
    EXPECT_EQ(4, s.GetFrameCount());
    copy.Assign(&s);
    EXPECT_EQ(4, copy.GetMaskCount());
    EXPECT_NE(s.GetBitmap(0), copy.GetBitmap(0));
}


using SpriteDraw = capture::DrawTest;

TEST_F(SpriteDraw, CullingFrameChoiceAndFailures)
{
    g_RoomDrawRect = RoomDrawRect{0, 0, 640, 480};
    CSprite sprite;
    // 40 x 1 about its left end: radius 41 (40.01 rounded up).
    spritetest::MakePictureSprite(sprite, {std::string(40, '#')});
    ASSERT_EQ(41, sprite.GetRadius());
    struct { float x, xscale, yscale; bool custom; size_t drawn; } cases[] = {
        {-50, 1, 1, false, 0}, {-50, 1, -2, false, 1}, {-41, 1, 1, false, 1}, {-50, 1, 1, true, 1}, {700, 1, 1, false, 0}};
    for (const auto& c : cases) {
        g_CustomProjection = c.custom;
        sprite.Draw(0, c.x, 10, c.xscale, c.yscale, 0, 0xFFFFFF, 1);
        EXPECT_EQ(c.drawn, Draws().size()) << "x " << c.x << " scale " << c.xscale << "," << c.yscale;
    }
    // A surface target sets the flag that stops the culling.
    g_CustomProjection = false;
    int32_t surface = Surface_Create(64, 64);
    ASSERT_TRUE(Surface_SetTarget(surface));
    sprite.DrawSimple(0, -100, -100);
    EXPECT_EQ(1u, Draws().size());
    ASSERT_TRUE(Surface_ResetTarget());
    Surface_Free(surface);
    Surface_ClearTable();

    // Frames wrap; a stretch of no size draws nothing; a frame without an entry is logged.
    spritetest::MakePictureSprite(sprite, {"#.#.#."}, 3);
    sprite.DrawSimple(7, 10, 10);
    sprite.DrawSimple(1, 10, 10);
    sprite.DrawSimple(-1, 10, 10);
    // Frames 7 and 1 share frame 1's texture in one batch; frame -1 is frame 2, another texture.
    std::vector<capture::Drawn> d = Draws();
    ASSERT_EQ(2u, d.size());
    EXPECT_EQ(std::make_pair(size_t(12), true), std::make_pair(d[0].v.size(), d[0].texture != d[1].texture));
    testsupport::ConsoleCapture log;
    sprite.DrawStretched(0, 10, 10, 0, 5, 0xFFFFFF, 1);
    EXPECT_EQ(0u, Draws().size());

    spritetest::MakeMaskSprite(sprite, 1, {{"#"}});
    sprite.SetNameAndIndex("spr_lost", 0);
    sprite.DrawSimple(0, 10, 10);
    EXPECT_EQ("Error attempting to draw sprite spr_lost\n", log.console.text);
    log.console.text.clear();
    sprite.DrawPos(0, 0, 0, 1, 0, 1, 1, 0, 1, 0xFFFFFFFF, 1); // without an entry: nothing, silently
    EXPECT_EQ("", log.console.text);
    sprite.Clear();
}

// A page table of the game file: the count table at 0, then a 22-byte record every 32 bytes from 32
// (at 32, 64, 96...), record i naming textures[i]; the file then becomes the game file.
void LoadPages(const std::vector<uint32_t>& listed, const std::vector<int32_t>& textures)
{
    std::vector<uint8_t> bytes = Words({uint32_t(listed.size())});
    for (uint32_t at : listed) for (uint8_t b : Words({at})) bytes.push_back(b);
    bytes.resize(32 + 32 * textures.size(), 0);
    for (size_t i = 0; i < textures.size(); ++i) {
        const int16_t fields[11] = {0, 0, 4, 4, 0, 0, 4, 4, 4, 4, int16_t(textures[i])};
        std::memcpy(bytes.data() + 32 + 32 * i, fields, sizeof fields);
    }
    LoadInto(g_GameFile, bytes);
    TexturePage_Clear(); // the pages flushed: the table is built again from the new chunk
    g_TexturePageChunk.body = 0;
    g_TexturePageChunk.length = uint32_t(bytes.size());
}

// A sprite's frames keep the entries they found by file offset: each case changes the page table
// (or the frames' offsets) and then draws every frame, which must come from the texture the table
// now names at that offset, or draw nothing where it names none.
TEST_F(SpriteDraw, FramesFollowThePageTableThroughItsChanges)
{
    g_RoomDrawRect = RoomDrawRect{0, 0, 640, 480};
    int32_t t[3];
    for (int32_t& id : t) ASSERT_GE(id = Texture_CreateEmpty(8, 8, false), 0);
    auto device = [&](int32_t id) -> const void* { return id < 0 ? nullptr : Texture_Get(id)->texture->texture; };
    CSprite sprite;
    struct Case {
        const char* what;
        std::vector<uint32_t> listed;   // the table's records by file offset (empty: table kept)
        std::vector<int32_t> textures;  // of the records at 32, 64, 96
        std::vector<uint32_t> frames;   // the sprite's offsets (empty: kept)
        std::vector<int32_t> expected;  // the texture each frame draws from, -1 none
    } cases[] = {
        {"first table", {32, 64}, {t[0], t[1]}, {32, 64}, {t[0], t[1]}},
        {"drawn again", {}, {}, {}, {t[0], t[1]}},
        {"reloaded: a record put before, textures swapped", {96, 32, 64}, {t[1], t[0], t[2]}, {}, {t[1], t[0]}},
        {"the frames given other offsets", {}, {}, {96, 32}, {t[2], t[1]}},
        {"reloaded without one frame's record", {32}, {t[2], t[0], t[1]}, {}, {-1, t[2]}},
        {"reloaded with it back", {32, 96}, {t[0], t[0], t[1]}, {}, {t[1], t[0]}},
    };
    testsupport::ConsoleCapture log;
    for (const Case& c : cases) {
        if (!c.listed.empty()) LoadPages(c.listed, c.textures);
        if (!c.frames.empty()) {
            sprite.SetFileFrames(c.frames);
            sprite.SetFileFields(4, 4, SpriteBox{0, 0, 3, 3}, true, false, true, 0, true, 0, 0);
        }
        for (size_t frame = 0; frame < c.expected.size(); ++frame) {
            sprite.Draw(int32_t(frame), 10, 10, 1, 1, 0, 0xFFFFFF, 1);
            std::vector<capture::Drawn> d = Draws();
            EXPECT_EQ(c.expected[frame] < 0 ? 0u : 1u, d.size()) << c.what << ", frame " << frame;
            if (d.size() == 1) {
                EXPECT_EQ(device(c.expected[frame]), d[0].texture) << c.what << ", frame " << frame;
            }
        }
    }
    EXPECT_EQ(1u, std::count(log.console.text.begin(), log.console.text.end(), '\n')) << log.console.text;
    sprite.Clear();
    TexturePage_Clear();
    g_TexturePageChunk = GameFileChunk();
    g_GameFile.Release();
}

} // namespace
