// The 3D family's registration and its built-ins called by script name on the recording device:
// the transform stack, fog and depth conversions, lights, and model files through the save area.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "Function_TestCases.h"
#include "graphics/Graphics_3DDraw.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;

namespace {

TEST(D3DRegistration, TheFamilyRegistersItsNamesInOrderBeforeTheTwoDimensionalRows)
{
    // The first rows, a run of the model rows, and the two-dimensional rows that follow the family.
    functiontest::ExpectRegisteredRun(
        "d3d_* start:0 end:0 set_perspective:1 ~ model_vertex_normal_texture_color:11 model_block:9 model_cylinder:11 "
        "model_cone:11 model_ellipsoid:10 model_wall:9 model_floor:9 * Wexo_EnableAlphaBlend:1 "
        "draw_enable_alphablend:1 draw_texture_flush:0");
}

class D3DBuiltins : public capture::DrawTest {
  protected:
    void SetUp() override
    {
        capture::DrawTest::SetUp();
        testsupport::RegisterBuiltins();
        CallBuiltin("d3d_transform_stack_clear", {});
    }
    void TearDown() override
    {
        GR_3D_ModelFreeAll();
        GR_3D_TransformStackClear();
        capture::DrawTest::TearDown();
    }
    static float WorldX()
    {
        D3DMatrix world;
        GR_D3D_GetTransform(MATRIX_WORLD, &world);
        return world.m[12];
    }
    static float FloatOf(uint32_t bits)
    {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

TEST_F(D3DBuiltins, TheStackHoldsFiftyOneMatricesAndRefusesWhenEmpty)
{
    functiontest::ExpectCases({{"d3d_transform_stack_empty", {}, 1}, {"d3d_transform_stack_pop", {}, 0},
                               {"d3d_transform_stack_top", {}, 0}, {"d3d_transform_stack_discard", {}, 0}});
    CallBuiltin("d3d_transform_set_translation", {7, 0, 0});
    EXPECT_EQ(0, CallReal("d3d_transform_stack_pop", {}));
    EXPECT_EQ(7.0f, WorldX()) << "a refused pop leaves the world as it was";
    for (int i = 0; i < 51; ++i) {
        CallBuiltin("d3d_transform_set_translation", {i, 0, 0});
        ASSERT_EQ(1, CallReal("d3d_transform_stack_push", {})) << "push " << i + 1;
    }
    EXPECT_EQ(0, CallReal("d3d_transform_stack_push", {})) << "the 52nd push";
    CallBuiltin("d3d_transform_set_identity", {});
    functiontest::ExpectCases({{"d3d_transform_stack_top", {}, 1}, {"d3d_transform_stack_discard", {}, 1},
                               {"d3d_transform_stack_pop", {}, 1}, {"d3d_transform_stack_empty", {}, 0}});
    EXPECT_EQ(49.0f, WorldX());
}

TEST_F(D3DBuiltins, FogKeepsSixteenBitsAndDepthIsClampedInThreeDimensions)
{
    CallBuiltin("d3d_start", {});
    // Start and end as given, then as kept: -1 truncated is 65535.
    for (auto [start, end, keptStart, keptEnd] :
         {std::array{70000.0, 10.0, 4464.0, 10.0}, {-1.9, 65536.5, 65535.0, 0.0}}) {
        CallBuiltin("d3d_set_fog", {1, 0xFFFFFF, start, end});
        Graphics::Flush();
        EXPECT_EQ(float(keptStart), FloatOf(fake::Recorded().LastValue(D3DRS_FOGSTART))) << start;
        EXPECT_EQ(float(keptEnd), FloatOf(fake::Recorded().LastValue(D3DRS_FOGEND))) << end;
    }
    for (auto [depth, kept] : {std::pair{20000.0, 16000.0f}, {-20000.0, -16000.0f}, {12.5, 12.5f}}) {
        CallBuiltin("d3d_set_depth", {depth});
        EXPECT_EQ(kept, g_DrawDepth) << depth;
    }
    CallBuiltin("d3d_end", {});
    CallBuiltin("d3d_set_depth", {20000});
    EXPECT_EQ(0.0f, g_DrawDepth);
}

TEST_F(D3DBuiltins, LightsWrapOntoEightSlotsWithUnitDirections)
{
    fake::Log& log = fake::Recorded();
    CallBuiltin("d3d_light_define_direction", {-1.7, 3, 0, 4, 0x0000FF});
    CallBuiltin("d3d_light_define_direction", {9, 0, 0, 0, 0xFFFFFF});
    CallBuiltin("d3d_light_define_direction", {2, 1e39, 0, 0, 0xFFFFFF});
    CallBuiltin("d3d_light_define_point", {-9, 1, 2, 3, 50, 0x00FF00});
    CallBuiltin("d3d_light_define_point", {3, 1, 2, 3, 0, 0x00FF00});
    CallBuiltin("d3d_light_enable", {-1, 1});
    CallBuiltin("d3d_light_define_ambient", {"x"});
    ASSERT_EQ(5u, log.lights.size());
    EXPECT_TRUE(log.materials.empty()) << "a string ambient colour does nothing";
    struct Row {
        int32_t slot, type;
        D3DVector vector; // direction or position
        float red, green, range, attenuation1;
    };
    const Row rows[] = {{7, D3DLIGHT_DIRECTIONAL, {0.6f, 0, 0.8f}, 1, 0, 0, 0},
                        {1, D3DLIGHT_DIRECTIONAL, {0, 0, 0}, 1, 1, 0, 0}, // zero direction lights nothing
                        {2, D3DLIGHT_DIRECTIONAL, {0, 0, 0}, 1, 1, 0, 0}, // and so does an infinite one
                        {7, D3DLIGHT_POINT, {1, 2, 3}, 0, 1, 50, 0.02f},
                        {3, D3DLIGHT_POINT, {1, 2, 3}, 0, 1, 0, 0}};
    for (size_t i = 0; i < 5; ++i) {
        const Row& r = rows[i];
        const D3DLight& l = log.lights[i].second;
        const D3DVector& v = r.type == D3DLIGHT_POINT ? l.position : l.direction;
        EXPECT_EQ(std::make_tuple(r.slot, r.type, r.vector.x, r.vector.y, r.vector.z, r.red, r.green, r.range),
                  std::make_tuple(log.lights[i].first, l.type, v.x, v.y, v.z, l.diffuse.r, l.diffuse.g, l.range))
            << "light " << i;
        EXPECT_FLOAT_EQ(r.attenuation1, l.attenuation1) << "light " << i;
        EXPECT_EQ(r.type == D3DLIGHT_POINT ? 1.0f : 0.0f, l.attenuation0) << "light " << i;
    }
    EXPECT_EQ((std::vector<std::pair<int32_t, bool>>{{7, true}}), log.lightSwitches);
    CallBuiltin("d3d_light_define_ambient", {0x2040FF + 0.9}); // truncated
    ASSERT_EQ(1u, log.materials.size());
    EXPECT_EQ(std::make_tuple(1.0f, 1.0f, 1.0f), std::make_tuple(log.materials[0].ambient.r, log.materials[0].diffuse.g,
                                                                  log.materials[0].specular.b));
    EXPECT_EQ(0xFF4020u, log.LastValue(D3DRS_AMBIENT)) << "red moves to the device colour's third byte";
}

TEST_F(D3DBuiltins, ModelFilesGoThroughTheSaveAreaAndAnswerAsTheirDescriptionsSay)
{
    testsupport::ScopedSaveArea area("d3dbuiltins");
    testsupport::ConsoleCapture console;
    double m = CallReal("d3d_model_create", {});
    CallBuiltin("d3d_model_cylinder", {m, 0, 0, 0, 1, 1, 1, 1, 1, 1, 9});
    EXPECT_EQ(-1, CallReal("d3d_model_save", {m, "ring.txt"})) << "-1 even when written";
    EXPECT_TRUE(std::filesystem::exists(area.Path("ring.txt")));
    EXPECT_EQ(-1, CallReal("d3d_model_save", {m, 5}));
    double copy = CallReal("d3d_model_create", {});
    functiontest::ExpectCases({{"d3d_model_load", {copy, "ring.txt"}, 1},
                               {"d3d_model_load", {copy, 3}, -1},
                               {"d3d_model_load", {"0", "ring.txt"}, -1},
                               {"d3d_model_load", {copy, "nowhere.txt"}, 0}});
    EXPECT_NE(std::string::npos, console.console.text.find("d3d_model_load - unable to find file nowhere.txt\n"));
    ASSERT_EQ(1, GR_3D_ModelCommandCount(int32_t(copy))) << "a missing file leaves the model as it was";
    EXPECT_EQ(std::make_tuple(1, 9), std::make_tuple(GR_3D_ModelCommand(int32_t(copy), 0)->field[8].i,
                                                     GR_3D_ModelCommand(int32_t(copy), 0)->field[9].i));
    // A file that is there but holds no model answers 0.
    std::ofstream(area.Path("notes.txt")) << "hello\n";
    EXPECT_EQ(0, CallReal("d3d_model_load", {copy, "notes.txt"}));
}

} // namespace
