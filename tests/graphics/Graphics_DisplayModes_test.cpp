#include <gtest/gtest.h>

#include "Graphics_FakeDevice.h"
#include "graphics/Graphics_DisplayModes.h"

using namespace fake;

namespace {

DisplayModeRecord Mode(int32_t w, int32_t h, int32_t bits, int32_t hz)
{
    return DisplayModeRecord{int16_t(w), int16_t(h), uint8_t(bits), uint8_t(hz), 0, 0};
}

TEST(DisplayModes, SmallestModeHoldingTheSizeWins)
{
    const DisplayModeRecord modes[] = {Mode(1024, 768, 32, 60), Mode(640, 480, 32, 60),
                                       Mode(800, 600, 32, 60)};
    const DisplayModeRecord* chosen = GR_D3D_ChooseMode(modes, 3, 800, 600);
    ASSERT_NE(nullptr, chosen);
    EXPECT_EQ(800, chosen->width);
    chosen = GR_D3D_ChooseMode(modes, 3, 700, 500);
    ASSERT_NE(nullptr, chosen);
    EXPECT_EQ(800, chosen->width);
    EXPECT_EQ(nullptr, GR_D3D_ChooseMode(modes, 0, 800, 600));
}

TEST(DisplayModes, LargerThanEveryModeTakesTheNearestArea)
{
    // Both 1280 x 1024 modes are nearest; 32 bits beat 16, then 60 Hz beats 85 Hz.
    const DisplayModeRecord modes[] = {Mode(640, 480, 32, 60), Mode(1280, 1024, 16, 60),
                                       Mode(1280, 1024, 32, 85), Mode(1280, 1024, 32, 60),
                                       Mode(1280, 1024, 32, 75)};
    const DisplayModeRecord* chosen = GR_D3D_ChooseMode(modes, 5, 2000, 2000);
    ASSERT_NE(nullptr, chosen);
    EXPECT_EQ(&modes[3], chosen);
}

TEST(DisplayModes, SettingsNameOnlyTheFieldsGiven)
{
    DisplaySettings s = Display_MakeSettings(0, 0, 0, 32);
    EXPECT_EQ(uint32_t(DISPLAY_FIELD_DEPTH), s.fields);
    EXPECT_EQ(32, s.depth);
    s = Display_MakeSettings(800, -1, 60, 0);
    EXPECT_EQ(uint32_t(DISPLAY_FIELD_WIDTH | DISPLAY_FIELD_FREQUENCY), s.fields);
}

class Adapters : public DeviceTest {
    void Configure(Config& c) override { c.adapterTypes = {D3DDEVTYPE_HAL}; }
};

TEST_F(Adapters, TableComesFromTheDisplays)
{
    ASSERT_EQ(1u, g_Adapters.size());
    const AdapterRecord* a = g_Adapters[0];
    EXPECT_EQ(1024, a->desktopWidth); // the offscreen display
    EXPECT_EQ(32, a->desktopBits);
    EXPECT_EQ(0u, a->flags & ADAPTER_PORTRAIT);
    EXPECT_GE(a->modeCount, 1);
    EXPECT_EQ(u'F', a->deviceName[0]);
    EXPECT_EQ(32, Display_GetColourDepth());
    EXPECT_TRUE(Display_TestAll(1024, 768, 0, 32));
    EXPECT_FALSE(Display_TestAll(1025, 768, 0, 32));
    EXPECT_TRUE(Display_SetAll(0, 0, 0, 32)); // already so
    EXPECT_FALSE(Display_SetSize(800, 600));  // a running desktop is not changed
}

class SoftwareAdapterFirst : public DeviceTest {
    void Configure(Config& c) override { c.adapterTypes = {2, D3DDEVTYPE_HAL}; }
};

TEST_F(SoftwareAdapterFirst, AdaptersWithoutHardwareDeviceAreSkipped)
{
    // The fake names one display, so only the first ordinal has modes; the second is still listed.
    ASSERT_EQ(1u, g_Adapters.size());
    EXPECT_EQ(1, g_Adapters[0]->ordinal);
}

} // namespace
