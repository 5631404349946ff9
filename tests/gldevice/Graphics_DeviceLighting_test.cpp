// Lighting and fog on the OpenGL device, read back as pixels: a 20 x 20 face drawn at the z = 0
// plane of a perspective camera 640 in front of it (room y shows as 480 - y).
#include <cmath>
#include <functional>

#include "GLDeviceFixture.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_Draw.h"

using namespace gltest;

namespace {

class Lighting : public DeviceTest {};

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Within 2 per channel.
void ExpectNear(uint32_t expected, uint32_t got, const char* what)
{
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(int(expected >> shift & 0xFF), int(got >> shift & 0xFF), 2)
            << what << std::hex << ": expected " << expected << ", got " << got;
}

uint32_t Grey(double level)
{
    uint32_t c = uint32_t(std::lround(level));
    return 0xFF000000u | c << 16 | c << 8 | c;
}

// Linear vertex fog from 0 to 1280 with lighting off; on the eye distance when `range`, else on depth.
void LinearVertexFog(bool range)
{
    GR_3D_SetLighting(false);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGENABLE, 1);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    GR_D3D_SetDeviceRenderState(D3DRS_RANGEFOGENABLE, range ? 1 : 0);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGSTART, FloatBits(0));
    GR_D3D_SetDeviceRenderState(D3DRS_FOGEND, FloatBits(1280));
}

TEST_F(Lighting, LightsAndFogFollowTheFixedFunctionRules)
{
    const double offAxis = std::sqrt(250.0 * 250.0 + 640.0 * 640.0); // the eye distance of a face at x 560..580
    struct Row {
        const char* what;
        float x; // the face's left edge
        std::function<void()> set;
        uint32_t expected;
    };
    const Row rows[] = {
        {"ambient only", 310, [] {}, Grey(40)},
        {"a light from behind adds nothing", 310,
         [] {
             GR_3D_LightDefineDirection(3, 0, 0, -1, 0xFFFFFF);
             GR_3D_LightEnable(3, true);
         },
         Grey(40)},
        // Straight on it adds the whole vertex colour, as a defined light does.
        {"a light switched on before it was set: white along +z", 310, [] { GR_3D_LightEnable(5, true); },
         Grey(40 + 200)},
        {"vertex fog on the eye distance (range fog)", 560, [] { LinearVertexFog(true); },
         Grey(200 * (1280 - offAxis) / 1280)},
        {"vertex fog on depth", 560, [] { LinearVertexFog(false); }, Grey(100)},
        {"exponential table fog", 310,
         [] {
             GR_3D_SetLighting(false);
             GR_D3D_SetDeviceRenderState(D3DRS_FOGENABLE, 1);
             GR_D3D_SetDeviceRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
             GR_D3D_SetDeviceRenderState(D3DRS_FOGDENSITY, FloatBits(1.0f / 640.0f));
         },
         Grey(200 * std::exp(-1.0))},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(GR_StartFrame());
        GR_3D_Start(true);
        GR_3D_ClearDepth(); // the frame began in 2D
        GR_3D_SetProjectionPerspective(0, 0, 640, 480, 0);
        GR_Draw_SetAlpha(1.0);
        GR_Draw_Set_Colour(0xC8C8C8);
        GR_3D_SetLighting(true);
        GR_3D_LightDefineAmbient(0x282828);
        r.set();
        GR_3D_DrawBlock(Box3D{r.x, 230, 0, r.x + 20, 250, 40}, -1, 1, 1);
        Graphics::Flush();
        ExpectNear(r.expected, At(int32_t(r.x) + 10, 240), r.what);
        GR_EndFrame(false);
        GR_D3D_SetDeviceRenderState(D3DRS_FOGENABLE, 0);
        GR_D3D_SetDeviceRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
        GR_D3D_SetDeviceRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
        GR_D3D_SetDeviceRenderState(D3DRS_RANGEFOGENABLE, 0);
        GR_3D_LightEnable(3, false);
        GR_3D_LightEnable(5, false);
    }
}

TEST_F(Lighting, VerticesWithoutNormalsTakeOnlyTheAmbientAndScreenVerticesAreNeverLit)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_Draw_SetAlpha(1.0);
    GR_3D_Start(true);
    GR_3D_ClearDepth();
    GR_3D_SetProjectionPerspective(0, 0, 640, 480, 0);
    GR_3D_SetLighting(true);
    GR_3D_LightDefineAmbient(0x282828);
    GR_3D_LightDefineDirection(0, 0, 0, 1, 0xFFFFFF);
    GR_3D_LightEnable(0, true);
    FillRect(300, 200, 340, 240, 0xFFC8C8C8u); // 16-byte vertices: no normal
    Graphics::Flush();
    ExpectNear(Grey(40), At(320, 260), "a vertex without a normal");
    // Screen-space vertices drawn as they are, lighting or not.
    struct Screen {
        float x, y, z, rhw;
        uint32_t colour;
    };
    const Screen quad[4] = {{10, 10, 0, 1, 0xFFC8C8C8u}, {50, 10, 0, 1, 0xFFC8C8C8u}, {10, 50, 0, 1, 0xFFC8C8C8u},
                            {50, 50, 0, 1, 0xFFC8C8C8u}};
    D3DDevice* device = GR_D3D_Device();
    GR_RenderStateCache_Flush();
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Screen));
    Graphics::ForgetBatch();
    ExpectNear(Grey(200), At(30, 30), "a screen-space vertex");
    GR_EndFrame(false);
}

} // namespace
