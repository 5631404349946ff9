// The Graphic family's registration, and its drawing-state, colour, shape, primitive, texture,
// surface, display and window built-ins called by script name on the recording device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "../TestSupport_SaveArea.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "Function_TestCases.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Window.h"

using functiontest::Reals;
using functiontest::RoutineOf;
using testsupport::CallBuiltin;
using testsupport::CallReal;

namespace {

TEST(GraphicRegistration, TheFamilyAndTheThreeDimensionalTailRegisterInOrder)
{
    functiontest::ExpectRegisteredRun(
        "display_* get_width:0 get_height:0 get_colordepth:0 get_frequency:0 ~ surface_* copy:4 copy_part:8");
    functiontest::ExpectRegisteredRun("Wexo_EnableAlphaBlend:1 draw_enable_alphablend:1 draw_texture_flush:0");
    EXPECT_EQ(RoutineOf("make_color"), RoutineOf("make_color_rgb"));
    EXPECT_EQ(RoutineOf("Wexo_EnableAlphaBlend"), RoutineOf("draw_enable_alphablend"));
}

using functiontest::BuiltinTest;

TEST_F(BuiltinTest, ColoursAreMadeAndTakenApart)
{
    functiontest::ExpectCases({
        {"make_color_rgb", {255, 0, 0}, 255}, {"make_color_rgb", {256, 0, 0}, 256}, // spills into green
        {"make_color_rgb", {-1, 0, 0}, -1},
        {"make_color_hsv", {341, 255, 255}, 65280}, // hue 341 kept as the byte 85
        {"color_get_red", {-1}, -1},                // the remainder keeps the sign
        {"color_get_blue", {-65536}, -1}, {"color_get_hue", {65280}, 85}, {"color_get_saturation", {8421504}, 0},
        {"color_get_value", {128}, 128},
        {"merge_color", {0, 255, 0.5}, 128}, // 127.5 to the even neighbour
    });
}

class GraphicBuiltins : public capture::DrawTest {
  protected:
    void SetUp() override
    {
        capture::DrawTest::SetUp();
        testsupport::RegisterBuiltins();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
    }
    void TearDown() override
    {
        Surface_FreeAll();
        Surface_ClearTable();
        GR_Window_Init();
        g_DeviceResetPending = 0;
        capture::DrawTest::TearDown();
    }
    // The message of the last report, the line above its closing rule ("" when none); clears it.
    static std::string TakeError()
    {
        std::vector<std::string> lines;
        std::istringstream text(g_ErrorLast);
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        g_ErrorLast.clear();
        return lines.size() >= 2 ? lines[lines.size() - 2] : "";
    }
};

// A getter built-in by name, or a piece of state no built-in reads.
double ReadBack(const std::string& what)
{
    if (what == "alpha byte") return GR_Draw_GetAlphaByte();
    if (what == "precision") return GR_Draw_GetCirclePrecision();
    if (what == "repeat") return GR_Texture_GetRepeat();
    if (what == "interpolation") return GR_Texture_GetInterpolation();
    if (what == "write mask") return g_RenderSettings.colourWriteMask;
    if (what == "source") return g_RenderSettings.sourceBlend;
    if (what == "destination") return g_RenderSettings.destinationBlend;
    if (what == "cursor shown") return g_GameOptions.CursorShown;
    return CallReal(what.c_str(), {});
}

TEST_F(GraphicBuiltins, StateSettersClampRoundAndReadBack)
{
    struct Case {
        const char* setter;
        std::vector<testsupport::TestArg> args;
        const char* read;
        double expected;
    } cases[] = {
        {"draw_set_alpha", {-1}, "draw_get_alpha", 0}, {"draw_set_alpha", {0.5}, "draw_get_alpha", 127 / 255.0},
        {"draw_set_color", {255}, "alpha byte", 127},                // alpha kept
        {"draw_set_alpha_test", {0.5}, "draw_get_alpha_test", 0}, // above 0.5 only
        {"draw_set_alpha_test_ref_value", {128.5}, "draw_get_alpha_test_ref_value", 128},
        {"draw_set_circle_precision", {30}, "precision", 28},
        {"texture_set_repeat", {0.5}, "repeat", 1}, // 0.5 or more
        {"texture_set_interpolation", {0}, "interpolation", 0},
        {"draw_set_color_write_enable", {0.5, 1, 0.6, 0}, "write mask", 6},
        {"draw_set_blend_mode", {1.5}, "destination", 4}, // maximum
        {"draw_set_blend_mode", {7}, "destination", 6}, {"draw_set_blend_mode_ext", {9, 2.5}, "destination", 2},
        {"window_set_color", {255}, "window_get_color", 255}, {"window_set_cursor", {-1}, "cursor shown", 0},
        {"window_set_cursor", {0}, "cursor shown", 1},
        {"window_set_fullscreen", {0.5}, "window_get_fullscreen", 1},
    };
    for (const Case& c : cases) {
        CallBuiltin(c.setter, c.args);
        EXPECT_DOUBLE_EQ(c.expected, ReadBack(c.read)) << c.setter << " " << c.args[0].real;
    }
    CallBuiltin("window_set_caption", {"title"});
    CallBuiltin("window_set_caption", {""});
    testsupport::BuiltinResult caption = CallBuiltin("window_get_caption", {});
    EXPECT_TRUE(caption.IsText() && caption.text.empty());
}

TEST_F(GraphicBuiltins, SwitchesRefuseWrongCountsAndTypesAndChangeNothing)
{
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 1);
    g_DrawEventEnabled = 1;
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* error;
        uint32_t blend;
        uint8_t drawEvent;
    } cases[] = {
        {"draw_enable_alphablend", {}, "Illegal argument count", 1, 1},
        {"Wexo_EnableAlphaBlend", {0, 0}, "Illegal argument count", 1, 1},
        {"draw_enable_alphablend", {"0"}, "Illegal argument type: true/false expected", 1, 1},
        {"draw_enable_alphablend", {0.7}, "", 0, 1}, // truncated
        {"draw_enable_drawevent", {"1"}, "Illegal argument type", 0, 1}, {"draw_enable_drawevent", {0.49}, "", 0, 0},
    };
    for (const Case& c : cases) {
        // Any number of arguments, as an older header's code may pass.
        std::vector<ScriptValue> args(c.args.size(), ScriptValue{VALUE_REAL, 0, 0.0});
        for (size_t i = 0; i < args.size(); ++i) {
            if (c.args[i].isText) Value_SetText(&args[i], c.args[i].text.c_str());
            else args[i].real = c.args[i].real;
        }
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        RoutineOf(c.name)(&result, nullptr, nullptr, int32_t(args.size()), args.data());
        for (ScriptValue& value : args) Value_Free(&value);
        EXPECT_EQ(c.error, TakeError()) << c.name;
        EXPECT_EQ(c.blend, g_RenderStateCache.wanted[RS_ALPHA_BLEND]) << c.name;
        EXPECT_EQ(c.drawEvent, g_DrawEventEnabled) << c.name;
    }
}

TEST_F(GraphicBuiltins, PrimitivesKeepTheirFirst1001VerticesAndCirclesTheirPrecision)
{
    CallBuiltin("draw_primitive_begin", {1});
    for (int i = 0; i < 1200; ++i) CallBuiltin("draw_vertex", {i % 640, i / 640});
    CallBuiltin("draw_primitive_end", {});
    std::vector<capture::Drawn> drawn = capture::Draws();
    ASSERT_EQ(1u, drawn.size());
    EXPECT_EQ(1001u, drawn[0].Count());
    CallBuiltin("draw_primitive_begin", {7}); // no such kind: nothing drawn
    CallBuiltin("draw_vertex", {0, 0});
    CallBuiltin("draw_primitive_end", {});
    EXPECT_TRUE(capture::Draws().empty());
    for (int precision : {100, 1}) {
        CallBuiltin("draw_set_circle_precision", {precision});
        CallBuiltin("draw_circle", {50, 50, 10, 1});
        drawn = capture::Draws();
        ASSERT_EQ(1u, drawn.size()) << precision;
        EXPECT_EQ(size_t(GR_Draw_GetCirclePrecision()) + 1, drawn[0].Count()) << precision;
    }
}

TEST_F(GraphicBuiltins, MisusesAreReportedWithTheirMessages)
{
    testsupport::ScopedSaveArea area("graphic_misuses");
    const char* missing = "Trying to use non-existing surface.";
    const char* noName = "Trying to save surface to empty image file name.";
    const char* noScreenName = "Trying to save screen to empty image file name.";
    const std::vector<functiontest::Case> cases = {
        {"surface_create", {0, 10}, "Invalid surface dimensions"}, // -1, not 0, which may name a live surface
        {"surface_create", {10, -0.5}, "Invalid surface dimensions"}, {"surface_create", {16, 8}, ""},
        {"draw_path", {99, 0, 0, 1}, "Trying to drawn non-existing path."}, {"draw_surface", {-1, 0, 0}, missing},
        {"draw_surface_tiled", {1.5, 0, 0}, missing}, {"surface_getpixel", {5, 0, 0}, missing},
        {"surface_save", {-1, ""}, missing}, // the surface is checked first
        {"surface_copy", {0, 0, 0, 7}, missing}, {"surface_copy_part", {0, 0, 0, 7, 0, 0, 1, 1}, missing},
        {"surface_save", {0, ""}, noName},
        {"surface_save_part", {0, 3, 0, 0, 1, 1}, noName}, {"screen_save", {""}, noScreenName},
        {"screen_save_part", {3, 0, 0, 5, 5}, noScreenName},
        {"screen_save_part", {"outside.png", 700, 0, 20, 20}, ""}, // nothing to save, nothing said
    };
    for (const functiontest::Case& c : cases) {
        double result = CallReal(c.name, c.args);
        EXPECT_EQ(c.expected.text, TakeError()) << c.name;
        if (std::string(c.name) == "surface_create") {
            EXPECT_EQ(c.expected.text.empty() ? 0 : -1, result);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(area.Path("outside.png")));
    // A rectangle reaching past the surface is saved at the size that was read: 6 x 4 of 16 x 8.
    CallBuiltin("surface_save_part", {0, "clipped.png", 10, 4, 100, 100});
    std::ifstream in(area.Path("clipped.png"), std::ios::binary);
    std::vector<char> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int32_t width = 0, height = 0;
    EXPECT_NE(nullptr, GR_Image_LoadPNG(png.data(), int32_t(png.size()), &width, &height, false));
    EXPECT_EQ(6, width);
    EXPECT_EQ(4, height);
    GR_Image_FreePNG();
}

TEST_F(GraphicBuiltins, SurfaceSlotsAreReusedTargetsDoNotNestAndTheTextureFlushFreesThem)
{
    int32_t a = int32_t(CallReal("surface_create", {8, 8}));
    int32_t b = int32_t(CallReal("surface_create", {8.4, 8}));
    EXPECT_EQ(Reals(8, -1), Reals(CallReal("surface_get_width", {b}), CallReal("surface_get_width", {-1})));
    CallBuiltin("surface_free", {a});
    EXPECT_EQ(0, CallReal("surface_exists", {a}));
    EXPECT_EQ(a, CallReal("surface_create", {4, 4})); // the freed slot again
    int32_t depth = GR_Surface_TargetDepth();
    EXPECT_EQ(1, CallReal("surface_set_target", {a}));
    EXPECT_EQ(1, CallReal("surface_set_target", {a}));
    EXPECT_EQ(depth + 1, GR_Surface_TargetDepth());
    EXPECT_EQ(1, CallReal("surface_set_target", {b})); // back to the screen first, then b
    EXPECT_EQ(b, Surface_CurrentTarget());
    EXPECT_EQ(depth + 1, GR_Surface_TargetDepth());
    int32_t texture = Surface_GetTexture(b);
    CallBuiltin("draw_texture_flush", {});
    EXPECT_FALSE(Surface_Exists(a) || Surface_Exists(b) || Texture_Exists(texture));
    EXPECT_EQ(-1, Surface_CurrentTarget());
    EXPECT_EQ(depth, GR_Surface_TargetDepth());
    EXPECT_EQ(0, CallReal("surface_reset_target", {}));
}

} // namespace
