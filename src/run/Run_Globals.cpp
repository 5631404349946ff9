#include "run/Run_Globals.h"

#include "function/Function_Families.h"

int32_t g_RunExitCode = EXIT_CODE_ENDED;
uint8_t g_RunState = 0;
uint8_t g_Paused = 0;
int32_t g_RunRequest = RUN_REQUEST_NONE;
uint8_t g_DrawEventEnabled = 1;
uint8_t g_DeviceResetPending = 0;

int32_t g_TransitionKind = 0;
int32_t g_Score = 0;
int32_t g_Lives = -1;
double g_Health = 100.0;
int32_t g_CursorSprite = -1;
int32_t g_CurrentView = 0;
int32_t g_RoomFrameCounter = 0;
uint8_t g_ShowScore = 1;
uint8_t g_ShowLives = 0;
uint8_t g_ShowHealth = 0;
std::string g_CaptionScore;
std::string g_CaptionLives;
std::string g_CaptionHealth = "Health: ";

void Run_InitGlobals()
{
    g_RunState = 0;
    g_Paused = 0;
    g_TransitionKind = 0;
    g_Score = 0;
    g_Lives = -1;
    g_Health = 100.0;
    g_CursorSprite = -1;
    g_CurrentView = 0;
    g_RoomFrameCounter = 0;
    g_DrawEventEnabled = 1;
    g_ShowScore = 1;
    g_ShowLives = 0;
    g_ShowHealth = 0;
    g_CaptionScore.clear();
    g_CaptionLives.clear();
    g_CaptionHealth = "Health: ";
    g_CaptionSettingsChanged = 0;
}

void Run_SetExitCode(int32_t code)
{
    if (g_RunExitCode == EXIT_CODE_ENDED) g_RunExitCode = code;
}
