// A path drawn as a line strip on the OpenGL device and read back: its pixels lie on the path,
// moved to the place given.
#include "../gldevice/GLDeviceFixture.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_RenderState.h"
#include "path/Path_Class.h"

using namespace gltest;

namespace {

class PathScene : public DeviceTest {};

TEST_F(PathScene, AnLShapedPathIsDrawnWhereItLiesAndWhereItIsMoved)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_Draw_Clear(0);
    GR_Draw_SetAlpha(1.0);
    GR_Draw_Set_Colour(0x00FF00); // green
    CPath path;
    path.SetFromFile(0, false, 4, {{20, 20, 100}, {120, 20, 100}, {120, 80, 100}});
    path.Draw(0, 0, true);
    path.Draw(300, 200, false);
    Graphics::Flush();
    // A line along a pixel edge fills the row above it and the column left of it.
    const struct {
        int32_t x, y;
        bool lit;
    } probes[] = {{70, 19, true}, {119, 50, true}, {70, 50, false}, {350, 199, true}, {399, 230, true}, {350, 230, false}};
    for (const auto& p : probes)
        EXPECT_EQ(p.lit ? 0xFF00FF00u : 0u, Argb(ScreenPixel(p.x, p.y)) & 0xFF00FF00u) << p.x << "," << p.y;
    GR_EndFrame(false);
}

} // namespace
