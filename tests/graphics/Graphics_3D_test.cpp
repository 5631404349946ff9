#include <cmath>

#include "Graphics_DrawCapture.h"
#include "graphics/Graphics_DeviceStates.h"

using capture::DrawTest;

namespace {

struct Point4 {
    double x, y, z, w;
};

// A row vector times a matrix.
Point4 Transform(const D3DMatrix& m, double x, double y, double z)
{
    const float* a = m.m;
    return Point4{x * a[0] + y * a[4] + z * a[8] + a[12], x * a[1] + y * a[5] + z * a[9] + a[13],
                  x * a[2] + y * a[6] + z * a[10] + a[14], x * a[3] + y * a[7] + z * a[11] + a[15]};
}

D3DMatrix Get(int32_t index)
{
    D3DMatrix m;
    GR_D3D_GetTransform(index, &m);
    return m;
}

// Where a world point lands on a 640 x 480 screen (pixel centres on whole numbers).
void ToScreen(double x, double y, double z, double& sx, double& sy)
{
    Point4 p = Transform(Get(MATRIX_WORLD_VIEW_PROJECTION), x, y, z);
    sx = (p.x / p.w + 1.0) * 640.0 / 2.0;
    sy = (1.0 - p.y / p.w) * 480.0 / 2.0;
}

class ThreeD : public DrawTest {
  protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        GR_3D_TransformStackClear();
        GR_3D_TransformSetIdentity();
    }
};

TEST_F(ThreeD, DepthIsClampedInThreeDModeAndZeroOutsideIt)
{
    GR_3D_SetDepth(500.0f);
    EXPECT_EQ(0.0f, g_DrawDepth);
    GR_3D_Start(true);
    GR_3D_SetDepth(20000.0f);
    EXPECT_EQ(16000.0f, g_DrawDepth);
    GR_3D_SetDepth(-20000.0f);
    EXPECT_EQ(-16000.0f, g_DrawDepth);
    GR_3D_SetDepth(12.5f);
    EXPECT_EQ(12.5f, g_DrawDepth);
    GR_3D_Start(false);
    GR_3D_SetDepth(12.5f);
    EXPECT_EQ(0.0f, g_DrawDepth);
}

TEST_F(ThreeD, StartingTwiceFlushesOnlyOnTheChange)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3);
    EXPECT_TRUE(GR_3D_Start(true));
    EXPECT_EQ(1u, fake::Recorded().draws.size()); // the change drew what was queued
    EXPECT_TRUE(g_3DMode);
    EXPECT_TRUE(g_RenderSettings.perspective);
    EXPECT_EQ(1u, g_RenderStateCache.wanted[RS_DEPTH_TEST]); // hidden surfaces on in 3D mode

    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3);
    EXPECT_TRUE(GR_3D_Start(true));
    EXPECT_EQ(1u, fake::Recorded().draws.size());
    GR_3D_Start(false);
    EXPECT_EQ(2u, fake::Recorded().draws.size());
    EXPECT_FALSE(g_RenderSettings.perspective);
    EXPECT_EQ(0u, g_RenderStateCache.wanted[RS_DEPTH_TEST]);
}

TEST_F(ThreeD, StackHoldsFiftyOneMatricesAndRestoresThem)
{
    EXPECT_TRUE(GR_3D_TransformStackEmpty());
    EXPECT_FALSE(GR_3D_TransformStackPop());
    EXPECT_FALSE(GR_3D_TransformStackTop());
    EXPECT_FALSE(GR_3D_TransformStackDiscard());

    GR_3D_TransformSetTranslation(5, 6, 7);
    EXPECT_TRUE(GR_3D_TransformStackPush());
    GR_3D_TransformSetScaling(3, 3, 3);
    EXPECT_TRUE(GR_3D_TransformStackTop()); // the world comes back, the stack keeps it
    EXPECT_EQ(5.0f, Get(MATRIX_WORLD).m[12]);
    GR_3D_TransformSetScaling(3, 3, 3);
    EXPECT_TRUE(GR_3D_TransformStackPop());
    Point4 p = Transform(Get(MATRIX_WORLD), 1, 1, 1);
    EXPECT_DOUBLE_EQ(6.0, p.x);
    EXPECT_DOUBLE_EQ(8.0, p.z);
    EXPECT_TRUE(GR_3D_TransformStackEmpty());

    for (int32_t i = 0; i < TRANSFORM_STACK_SIZE; ++i)
        ASSERT_TRUE(GR_3D_TransformStackPush()) << "push " << i;
    EXPECT_FALSE(GR_3D_TransformStackPush());
    EXPECT_TRUE(GR_3D_TransformStackDiscard());
    EXPECT_TRUE(GR_3D_TransformStackPush());
    GR_3D_TransformStackClear();
    EXPECT_TRUE(GR_3D_TransformStackEmpty());
}

TEST_F(ThreeD, AddedTransformsApplyAfterTheWorld)
{
    GR_3D_TransformSetScaling(2, 2, 2);
    GR_3D_TransformAddTranslation(10, 0, 0);
    Point4 p = Transform(Get(MATRIX_WORLD), 1, 0, 0);
    EXPECT_DOUBLE_EQ(12.0, p.x);
    EXPECT_DOUBLE_EQ(0.0, p.y);

    GR_3D_TransformSetTranslation(10, 0, 0);
    GR_3D_TransformAddRotationZ(90);
    p = Transform(Get(MATRIX_WORLD), 1, 0, 0);
    EXPECT_NEAR(0.0, p.x, 1e-5);
    EXPECT_NEAR(-11.0, p.y, 1e-5);

    // The axis form turns the opposite way to its maths routine: about z it matches the z form.
    GR_3D_TransformSetRotationAxis(0, 0, 1, 90);
    D3DMatrix axis = Get(MATRIX_WORLD);
    GR_3D_TransformSetRotationZ(90);
    D3DMatrix z = Get(MATRIX_WORLD);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(z.m[i], axis.m[i], 1e-6) << "entry " << i;
}

TEST_F(ThreeD, OrthographicProjectionPutsWorldPixelsOnScreenPixelEdges)
{
    GR_3D_SetProjectionOrtho(0, 0, 640, 480, 0);
    EXPECT_TRUE(g_3DOrthographic);
    D3DMatrix p = Get(MATRIX_PROJECTION);
    EXPECT_FLOAT_EQ(-1.0f / 640.0f, p.m[12]); // half a pixel left
    EXPECT_FLOAT_EQ(1.0f / 480.0f, p.m[13]);  // and half a pixel up
    double sx = 0, sy = 0;
    for (double x : {0.0, 17.0, 639.0}) {
        ToScreen(x, 100.0, 0.0, sx, sy);
        EXPECT_NEAR(x - 0.5, sx, 1e-3);
        EXPECT_NEAR(99.5, sy, 1e-3);
    }
    // A view of 320 x 240 at (100, 50) fills the screen, each world pixel two screen pixels.
    GR_3D_SetProjectionOrtho(100, 50, 320, 240, 0);
    ToScreen(420, 290, 0, sx, sy);
    EXPECT_NEAR(639.5, sx, 1e-3);
    EXPECT_NEAR(479.5, sy, 1e-3);
    ToScreen(101, 51, 0, sx, sy);
    EXPECT_NEAR(1.5, sx, 1e-3);
    // Turned by 90 degrees the camera's up is the world's -x: the world's left lies at the bottom.
    GR_3D_SetProjectionOrtho(0, 0, 640, 480, 90);
    ToScreen(320 - 240, 240, 0, sx, sy);
    EXPECT_NEAR(319.5, sx, 1e-2);
    EXPECT_NEAR(479.5, sy, 1e-2);
}

TEST_F(ThreeD, PerspectiveProjectionsShowTheRectangleAtDepthZero)
{
    GR_3D_SetProjectionOrtho(0, 0, 640, 480, 0);
    GR_3D_SetProjectionPerspective(0, 0, 640, 480, 0);
    EXPECT_FALSE(g_3DOrthographic);
    // Unlike the orthographic camera this one keeps the world's y pointing up the screen.
    double sx = 0, sy = 0;
    ToScreen(0, 0, 0, sx, sy);
    EXPECT_NEAR(0.0, sx, 0.01);
    EXPECT_NEAR(480.0, sy, 0.01);
    ToScreen(640, 480, 0, sx, sy);
    EXPECT_NEAR(640.0, sx, 0.01);
    EXPECT_NEAR(0.0, sy, 0.01);
    ToScreen(320, 240, 1000, sx, sy); // the centre stays put at any depth
    EXPECT_NEAR(320.0, sx, 0.01);

    GR_3D_SetProjectionExt(0, 0, -100, 0, 0, 0, 0, 1, 0, 90, 1, 1, 1000);
    EXPECT_FALSE(g_3DOrthographic);
    Point4 v = Transform(Get(MATRIX_VIEW), 0, 0, 0);
    EXPECT_NEAR(100.0, v.z, 1e-4);
    D3DMatrix p = Get(MATRIX_PROJECTION);
    EXPECT_NEAR(1.0, p.m[0], 1e-6); // a 90 degree field of view and aspect 1
    EXPECT_NEAR(1.0, p.m[5], 1e-6);
}

TEST_F(ThreeD, ClearingDepthLeavesTheColourAlone)
{
    GR_3D_ClearDepth();
    ASSERT_EQ(1u, fake::Recorded().clears.size());
    EXPECT_EQ(uint32_t(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL), fake::Recorded().clears[0][0]);
}

} // namespace
