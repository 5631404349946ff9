#include "app/App_Prepare.h"

#include "background/Background_Table.h"
#include "base/Base_Console.h"
#include "code/Code_Constants.h"
#include "extension/Extension_Main.h"
#include "font/Font_Table.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_DeviceAll.h"
#include "graphics/Graphics_StartupServices.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "platform/Platform_MessageBox.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "room/Room_Draw.h"
#include "script/Script_Table.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"
#include "sprite/Sprite_Table.h"
#include "timeline/Timeline_Table.h"

namespace {

// The option codes' values, from code 1 on; any other code means "none" (-1).
const int32_t DEPTHS[] = {16, 32};
const int32_t WIDTHS[] = {320, 640, 800, 1024, 1280, 1600};
const int32_t HEIGHTS[] = {240, 480, 600, 768, 1024, 1200};
const int32_t FREQUENCIES[] = {60, 70, 85, 100, 120};

template <size_t N> int32_t FromCode(const int32_t (&values)[N], int32_t code)
{
    return code >= 1 && code <= static_cast<int32_t>(N) ? values[code - 1] : -1;
}

bool AskForValidDepth()
{
    return Platform_AskYesNo(
        "This application requires 16-bit or 32-bit color mode.\n Should I switch to a valid "
        "color mode?",
        "", true);
}

bool PrepareSounds()
{
    return SoundHardware_Create() && Sound_PrepareAll();
}

struct PrepareStep {
    const char* log;
    bool (*run)();
    const char* failure; // null: the step reported its own failure
};

const PrepareStep PREPARE_STEPS[] = {
    {"Extension_Prepare() \n", Extension_Prepare, "Failed to prepare extension packages."},
    {"Code_Constant_Prepare() \n", Code_Constant_Prepare, "Failed to define the constants."},
    {"Script_Prepare() \n", Script_Prepare, "Failed to compile the scripts."},
    {"TimeLine_Prepare() \n", TimeLine_Prepare, "Failed to compile the actions in the time lines."},
    {"Object_Prepare() \n", Object_Prepare, "Failed to compile the actions in the objects."},
    {"Room_Prepare() \n", Room_Prepare, nullptr},
    {"Sound_Prepare() \n", PrepareSounds, "Failed to prepare the sounds."},
};

} // namespace

DisplayModeRequest InitGraphics_TranslateOptions(const GameOptions& options)
{
    DisplayModeRequest mode;
    if (!options.setDisplayMode) return mode;
    mode.depth = FromCode(DEPTHS, options.colourDepthCode);
    mode.width = FromCode(WIDTHS, options.resolutionCode);
    mode.height = FromCode(HEIGHTS, options.resolutionCode);
    mode.frequency = FromCode(FREQUENCIES, options.frequencyCode);
    return mode;
}

DisplayDecision InitGraphics_DecideDisplay(const GameOptions& options, int32_t currentDepth,
                                           bool (*askSwitch)(), DisplayModeRequest& change)
{
    change = InitGraphics_TranslateOptions(options);
    bool depthGiven = options.setDisplayMode && change.depth != -1;
    if (!depthGiven && currentDepth != 16 && currentDepth != 32) {
        if (!askSwitch()) return DisplayDecision::Refused;
        change.depth = 16;
        return DisplayDecision::Change;
    }
    return options.setDisplayMode ? DisplayDecision::Change : DisplayDecision::Keep;
}

bool InitGraphics()
{
    DisplayModeRequest change;
    DisplayDecision decision =
        InitGraphics_DecideDisplay(g_GameOptions, Display_GetColourDepth(), AskForValidDepth, change);
    if (decision == DisplayDecision::Refused) return false;
    if (decision == DisplayDecision::Change)
        Display_SetAll(change.width, change.height, change.frequency, change.depth);

    MainConsole->Output("GR_D3D_Init()\n");
    if (!GR_InitDevice(g_GameHeader.windowWidth, g_GameHeader.windowHeight, g_GameHeader.infoFlags))
        return false;
    MainConsole->Output("Background_InitTextures()\n");
    Background_InitTextures();
    MainConsole->Output("Sprite_InitTextures()\n");
    Sprite_InitTextures();
    MainConsole->Output("Font_InitTextures()\n");
    Font_InitTextures();
    return true;
}

bool PrepareGame()
{
    for (const PrepareStep& step : PREPARE_STEPS) {
        MainConsole->Output("%s", step.log);
        if (step.run()) continue;
        if (step.failure != nullptr) ShowMessage(step.failure);
        return false;
    }
    Audio_PrepareBuffers();
    MainConsole->Output("InitGraphics() \n");
    MainConsole->Output("Finished PrepareGame() \n");
    return true;
}
