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
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Window.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

// The 205 names of the Graphic family with their argument counts, in registration order.
const char* const GRAPHIC_ROWS =
    "display_get_width 0,display_get_height 0,display_get_colordepth 0,display_get_frequency 0,"
    "display_get_orientation 0,display_set_size 2,display_set_colordepth 1,display_set_frequency 1,"
    "display_set_all 4,display_test_all 4,display_reset 1,display_mouse_get_x 0,display_mouse_get_y 0,"
    "display_mouse_set 2,draw_enable_drawevent 1,window_set_visible 1,window_get_visible 0,"
    "window_set_fullscreen 1,window_get_fullscreen 0,window_set_showborder 1,window_get_showborder 0,"
    "window_set_showicons 1,window_get_showicons 0,window_set_stayontop 1,window_get_stayontop 0,"
    "window_set_sizeable 1,window_get_sizeable 0,window_set_caption 1,window_get_caption 0,"
    "window_set_cursor 1,window_get_cursor 0,window_set_color 1,window_get_color 0,window_set_position 2,"
    "window_set_size 2,window_set_rectangle 4,window_center 0,window_default 0,window_get_x 0,window_get_y 0,"
    "window_get_width 0,window_get_height 0,window_mouse_get_x 0,window_mouse_get_y 0,window_mouse_set 2,"
    "window_view_mouse_get_x 1,window_view_mouse_get_y 1,window_view_mouse_set 3,window_views_mouse_get_x 0,"
    "window_views_mouse_get_y 0,window_views_mouse_set 2,screen_save 1,screen_save_part 5,draw_getpixel 2,"
    "draw_set_color 1,draw_set_alpha 1,draw_get_color 0,draw_get_alpha 0,make_color 3,make_color_rgb 3,"
    "make_color_hsv 3,color_get_red 1,color_get_green 1,color_get_blue 1,color_get_hue 1,"
    "color_get_saturation 1,color_get_value 1,merge_color 3,draw_set_blend_mode 1,draw_set_blend_mode_ext 2,"
    "draw_set_color_write_enable 4,draw_set_alpha_test 1,draw_set_alpha_test_ref_value 1,"
    "draw_get_alpha_test 0,draw_get_alpha_test_ref_value 0,draw_clear 1,draw_clear_alpha 2,draw_point 2,"
    "draw_line 4,draw_line_width 5,draw_rectangle 5,draw_roundrect 5,draw_triangle 7,draw_circle 4,"
    "draw_ellipse 5,draw_arrow 5,draw_button 5,draw_healthbar 11,draw_path 4,draw_point_color 3,"
    "draw_line_color 6,draw_line_width_color 7,draw_rectangle_color 9,draw_roundrect_color 7,"
    "draw_triangle_color 10,draw_circle_color 6,draw_ellipse_color 7,draw_set_circle_precision 1,"
    "draw_primitive_begin 1,draw_primitive_begin_texture 2,draw_primitive_end 0,draw_vertex 2,"
    "draw_vertex_color 4,draw_vertex_texture 4,draw_vertex_texture_color 6,sprite_get_texture 2,"
    "background_get_texture 1,texture_exists 1,texture_set_interpolation 1,texture_set_blending 1,"
    "texture_set_repeat 1,texture_get_width 1,texture_get_height 1,texture_preload 1,texture_set_priority 2,"
    "draw_set_font 1,draw_set_halign 1,draw_set_valign 1,string_width 1,string_height 1,string_width_ext 3,"
    "string_height_ext 3,draw_text 3,draw_text_ext 5,draw_text_transformed 6,draw_text_ext_transformed 8,"
    "draw_text_color 8,draw_text_transformed_color 11,draw_text_ext_color 10,"
    "draw_text_ext_transformed_color 13,draw_self 0,draw_sprite 4,draw_sprite_ext 9,draw_sprite_pos 11,"
    "draw_sprite_stretched 6,draw_sprite_stretched_ext 8,draw_sprite_part 8,draw_sprite_part_ext 12,"
    "draw_sprite_general 16,draw_sprite_tiled 4,draw_sprite_tiled_ext 8,draw_background 3,"
    "draw_background_ext 8,draw_background_stretched 5,draw_background_stretched_ext 7,"
    "draw_background_part 7,draw_background_part_ext 11,draw_background_general 15,draw_background_tiled 3,"
    "draw_background_tiled_ext 7,tile_get_x 1,tile_get_y 1,tile_get_left 1,tile_get_top 1,tile_get_width 1,"
    "tile_get_height 1,tile_get_depth 1,tile_get_visible 1,tile_get_xscale 1,tile_get_yscale 1,"
    "tile_get_blend 1,tile_get_alpha 1,tile_get_background 1,tile_set_visible 2,tile_set_background 2,"
    "tile_set_region 5,tile_set_position 3,tile_set_depth 2,tile_set_scale 3,tile_set_blend 2,"
    "tile_set_alpha 2,tile_add 8,tile_find 3,tile_exists 1,tile_delete 1,tile_delete_at 3,tile_layer_hide 1,"
    "tile_layer_show 1,tile_layer_delete 1,tile_layer_shift 3,tile_layer_find 3,tile_layer_delete_at 3,"
    "tile_layer_depth 2,surface_create 2,surface_free 1,surface_exists 1,surface_get_width 1,"
    "surface_get_height 1,surface_get_texture 1,surface_set_target 1,surface_reset_target 0,draw_surface 3,"
    "draw_surface_ext 8,draw_surface_stretched 5,draw_surface_stretched_ext 7,draw_surface_part 7,"
    "draw_surface_part_ext 11,draw_surface_general 15,draw_surface_tiled 3,draw_surface_tiled_ext 7,"
    "surface_save 2,surface_save_part 6,surface_getpixel 3,surface_copy 4,surface_copy_part 8";

// Names of the groups that text and background drawing and tiles register once they are written.
bool WrittenElsewhere(const std::string& name)
{
    for (const char* prefix : {"tile_", "draw_background", "background_get_texture", "draw_text", "string_",
                               "draw_set_font", "draw_set_halign", "draw_set_valign"})
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

BuiltinRoutine RoutineOf(const char* name)
{
    int32_t id = -1;
    return Code_Function_Find(name, &id) ? Function_Get(id)->routine : nullptr;
}

TEST(GraphicRegistration, TheFamilyRegistersItsNamesInOrderWithTheirCounts)
{
    testsupport::RegisterBuiltins();
    std::istringstream list(GRAPHIC_ROWS);
    int32_t rows = 0, registered = 0, previous = -1;
    for (std::string row; std::getline(list, row, ',');) {
        ++rows;
        std::istringstream fields(row);
        std::string name;
        int32_t count = 0, id = -1;
        fields >> name >> count;
        if (!Code_Function_Find(name.c_str(), &id)) {
            EXPECT_TRUE(WrittenElsewhere(name)) << name << " is not registered";
            continue;
        }
        ++registered;
        EXPECT_EQ(count, Function_Get(id)->argCount) << name;
        EXPECT_TRUE(previous < 0 || id == previous + 1) << name << " does not follow the name before it";
        previous = id;
    }
    EXPECT_EQ(205, rows);
    EXPECT_GE(registered, 147); // all but text (15), background drawing (10) and tiles (33)
    EXPECT_EQ(RoutineOf("make_color"), RoutineOf("make_color_rgb"));
}

TEST(GraphicRegistration, TheThreeDimensionalFamilyEndsWithItsThreeTwoDimensionalRows)
{
    functiontest::ExpectRegisteredRun(
        "Wexo_EnableAlphaBlend 1,draw_enable_alphablend 1,draw_texture_flush 0");
    EXPECT_EQ(RoutineOf("Wexo_EnableAlphaBlend"), RoutineOf("draw_enable_alphablend"));
}

using functiontest::BuiltinTest;

TEST_F(BuiltinTest, ColoursAreMadeAndTakenApart)
{
    functiontest::ExpectCases({
        {"make_color_rgb", {255, 0, 0}, 255},
        {"make_color_rgb", {256, 0, 0}, 256}, // spills into green
        {"make_color_rgb", {0.9, 0, 0}, 0},
        {"make_color", {1, 2, 3}, 197121},
        {"make_color_rgb", {-1, 0, 0}, -1},
        {"make_color_hsv", {0, 255, 255}, 255},
        {"make_color_hsv", {341, 255, 255}, 65280}, // hue 341 kept as the byte 85
        {"color_get_red", {-1}, -1},                // the remainder keeps the sign
        {"color_get_red", {16777215}, 255},
        {"color_get_blue", {16711680}, 255},
        {"color_get_blue", {-65536}, -1},
        {"color_get_hue", {65280}, 85},
        {"color_get_saturation", {8421504}, 0},
        {"color_get_value", {128}, 128},
        {"merge_color", {0, 255, 0.5}, 128}, // 127.5 to the even neighbour
        {"merge_color", {255, 0, 0.25}, 191},
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
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        g_ErrorLast.clear();
        return lines.size() >= 2 ? lines[lines.size() - 2] : "";
    }
    // Calls the routine behind a name with any number of arguments, as an older header's code may.
    static void CallRaw(const char* name, const std::vector<testsupport::TestArg>& arguments)
    {
        std::vector<ScriptValue> args(arguments.size(), ScriptValue{VALUE_REAL, 0, 0.0});
        for (size_t i = 0; i < args.size(); ++i) {
            if (arguments[i].isText)
                Value_SetText(&args[i], arguments[i].text.c_str());
            else
                args[i].real = arguments[i].real;
        }
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        RoutineOf(name)(&result, nullptr, nullptr, int32_t(args.size()), args.data());
        for (ScriptValue& value : args)
            Value_Free(&value);
    }
};

double Getter(const char* name)
{
    return CallReal(name, {});
}

TEST_F(GraphicBuiltins, StateSettersClampRoundAndReadBack)
{
    struct Case {
        const char* setter;
        std::vector<testsupport::TestArg> args;
        double (*read)();
        double expected;
    } cases[] = {
        {"draw_set_alpha", {2}, [] { return Getter("draw_get_alpha"); }, 1},
        {"draw_set_alpha", {-1}, [] { return Getter("draw_get_alpha"); }, 0},
        {"draw_set_alpha", {0.5}, [] { return Getter("draw_get_alpha"); }, 127 / 255.0},
        {"draw_set_color", {255.4}, [] { return Getter("draw_get_color"); }, 255},
        {"draw_set_color", {255}, [] { return double(GR_Draw_GetAlphaByte()); }, 127},   // alpha kept
        {"draw_set_alpha_test", {0.5}, [] { return Getter("draw_get_alpha_test"); }, 0}, // above 0.5 only
        {"draw_set_alpha_test", {0.51}, [] { return Getter("draw_get_alpha_test"); }, 1},
        {"draw_set_alpha_test_ref_value",
         {128.5},
         [] { return Getter("draw_get_alpha_test_ref_value"); },
         128},
        {"draw_set_circle_precision", {30}, [] { return double(GR_Draw_GetCirclePrecision()); }, 28},
        {"draw_set_circle_precision", {100}, [] { return double(GR_Draw_GetCirclePrecision()); }, 64},
        {"draw_set_circle_precision", {1}, [] { return double(GR_Draw_GetCirclePrecision()); }, 4},
        {"texture_set_repeat", {0.5}, [] { return double(GR_Texture_GetRepeat()); }, 1}, // 0.5 or more
        {"texture_set_repeat", {0.49}, [] { return double(GR_Texture_GetRepeat()); }, 0},
        {"texture_set_interpolation", {0}, [] { return double(GR_Texture_GetInterpolation()); }, 0},
        {"draw_set_color_write_enable",
         {0.5, 1, 0.6, 0},
         [] { return double(g_RenderSettings.colourWriteMask); },
         6},
        {"draw_set_blend_mode",
         {1.5},
         [] { return double(g_RenderSettings.destinationBlend); },
         4}, // maximum
        {"draw_set_blend_mode", {3}, [] { return double(g_RenderSettings.sourceBlend); }, 1},
        {"draw_set_blend_mode", {7}, [] { return double(g_RenderSettings.destinationBlend); }, 6},
        {"draw_set_blend_mode_ext", {9, 2.5}, [] { return double(g_RenderSettings.sourceBlend); }, 9},
        {"draw_set_blend_mode_ext", {9, 2.5}, [] { return double(g_RenderSettings.destinationBlend); }, 2},
        {"window_set_color", {255}, [] { return Getter("window_get_color"); }, 255},
        {"window_set_cursor", {-1}, [] { return double(g_GameOptions.CursorShown); }, 0},
        {"window_set_cursor", {-1}, [] { return Getter("window_get_cursor"); }, -1},
        {"window_set_cursor", {0}, [] { return double(g_GameOptions.CursorShown); }, 1},
        {"window_set_fullscreen", {0.5}, [] { return Getter("window_get_fullscreen"); }, 1},
    };
    for (const Case& c : cases) {
        CallBuiltin(c.setter, c.args);
        EXPECT_DOUBLE_EQ(c.expected, c.read()) << c.setter << " " << c.args[0].real;
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
        {"Wexo_EnableAlphaBlend", {1.2}, "", 1, 1},
        {"draw_enable_drawevent", {}, "Illegal argument count", 1, 1},
        {"draw_enable_drawevent", {"1"}, "Illegal argument type", 1, 1},
        {"draw_enable_drawevent", {0.49}, "", 1, 0},
        {"draw_enable_drawevent", {0.5}, "", 1, 1},
    };
    for (const Case& c : cases) {
        CallRaw(c.name, c.args);
        EXPECT_EQ(c.error, TakeError()) << c.name;
        EXPECT_EQ(c.blend, g_RenderStateCache.wanted[RS_ALPHA_BLEND]) << c.name;
        EXPECT_EQ(c.drawEvent, g_DrawEventEnabled) << c.name;
    }
}

TEST_F(GraphicBuiltins, PrimitivesKeepTheirFirst1001VerticesAndCirclesTheirPrecision)
{
    CallBuiltin("draw_primitive_begin", {1});
    for (int i = 0; i < 1200; ++i)
        CallBuiltin("draw_vertex", {i % 640, i / 640});
    CallBuiltin("draw_primitive_end", {});
    std::vector<capture::Drawn> drawn = capture::Draws();
    ASSERT_EQ(1u, drawn.size());
    EXPECT_EQ(1001u, drawn[0].Count());
    CallBuiltin("draw_primitive_begin", {7}); // no such kind: nothing drawn
    CallBuiltin("draw_vertex", {0, 0});
    CallBuiltin("draw_primitive_end", {});
    EXPECT_TRUE(capture::Draws().empty());
    for (int precision : {30, 100, 1}) {
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
    EXPECT_EQ(-1, CallReal("surface_create", {0, 10})); // not 0, which may name a live surface
    EXPECT_EQ("Invalid surface dimensions", TakeError());
    EXPECT_EQ(-1, CallReal("surface_create", {10, -0.5}));
    EXPECT_EQ("Invalid surface dimensions", TakeError());
    ASSERT_EQ(0, CallReal("surface_create", {16, 8}));
    const char* missing = "Trying to use non-existing surface.";
    const std::vector<functiontest::Case> cases = {
        {"draw_path", {99, 0, 0, 1}, "Trying to drawn non-existing path."},
        {"draw_surface", {-1, 0, 0}, missing},
        {"draw_surface_tiled", {1.5, 0, 0}, missing},
        {"surface_getpixel", {5, 0, 0}, missing},
        {"surface_save", {-1, ""}, missing}, // the surface is checked first
        {"surface_copy", {7, 0, 0, 0}, missing},
        {"surface_copy", {0, 0, 0, 7}, missing},
        {"surface_copy_part", {0, 0, 0, 7, 0, 0, 1, 1}, missing},
        {"surface_save", {0, ""}, "Trying to save surface to empty image file name."},
        {"surface_save_part", {0, 3, 0, 0, 1, 1}, "Trying to save surface to empty image file name."},
        {"screen_save", {""}, "Trying to save screen to empty image file name."},
        {"screen_save_part", {3, 0, 0, 5, 5}, "Trying to save screen to empty image file name."},
        {"screen_save_part", {"outside.png", 700, 0, 20, 20}, ""}, // nothing to save, nothing said
    };
    for (const functiontest::Case& c : cases) {
        CallBuiltin(c.name, c.args);
        EXPECT_EQ(c.expected.text, TakeError()) << c.name;
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
    EXPECT_EQ(8, CallReal("surface_get_width", {b}));
    EXPECT_EQ(-1, CallReal("surface_get_width", {-1}));
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
    EXPECT_FALSE(Surface_Exists(a) || Surface_Exists(b));
    EXPECT_FALSE(Texture_Exists(texture));
    EXPECT_EQ(-1, Surface_CurrentTarget());
    EXPECT_EQ(depth, GR_Surface_TargetDepth());
    EXPECT_EQ(0, CallReal("surface_reset_target", {}));
}

// display_set_size of an unsupported size is played end to end (the graphics-drawing game).
TEST_F(GraphicBuiltins, DisplayResetTakesTheSampleCountAndLeavesVerticalSyncAlone)
{
    bool vsync = g_D3D.vsync;
    CallBuiltin("display_reset", {260.9}); // the low byte of 260: 4 samples
    EXPECT_EQ(4, g_D3D.multiSample);
    EXPECT_EQ(1, g_DeviceResetPending);
    EXPECT_EQ(vsync, g_D3D.vsync);
    CallBuiltin("display_reset", {3});
    EXPECT_EQ(0, g_D3D.multiSample);
}

} // namespace
