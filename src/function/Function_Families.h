// The registrars of the built-in function families, which start-up calls in this order, and the
// platform services that the frame, the main window and shut-down call. Each family's file defines
// its registrar; those not written yet stand in Function_Placeholders.cpp.
#pragma once

#include <cstdint>

// Registrars, in the order start-up logs them.
void Function_Game_Init();
void Function_Math_Init();
void Function_Graphics_Init();
void InitActionFunctions();
void Function_File_Init();
void InitResourceFunctions();
void Function_Interaction_Init();
void InitD3DFunctions();
void Function_Particle_Init();
void Function_Misc_Init();
void InitDataStructureFunctions();
void InitSoundFunctions();
void Function_Physics_Init();
void Function_Gamepad_Init();
void InitWexoFunctions();
void Function_Win8_Init();

// The Interaction family registers two groups, in this order: keyboard, mouse and joysticks; dialogs,
// splash screens, messages and highscores.
void Function_InteractionInput_Register();
void Function_InteractionDialogs_Register();

// The Misc family registers three groups, in this order: events, external calls, run-time code,
// debug messages and variables by name; dates and event_inherited; window, priority, title and
// clipboard.
void Function_MiscEvents_Register();
void Function_MiscDates_Register();
void Function_MiscWindow_Register();

// The platform services' hashing and encoding rows (base64_*, md5_*, sha1_*), which
// InitWexoFunctions registers among its own.
void Function_WexoHash_Register();

// The resource family's groups, in its order: sprites; backgrounds; objects and assets; scripts
// and time lines; sound resources; paths; fonts; rooms.
void Function_ResourceSprites_Register();
void Function_ResourceBackgrounds_Register();
void Function_ResourceObjects_Register();
void Function_ResourceScripts_Register();
void Function_ResourceSounds_Register();
void Function_ResourcePaths_Register();
void Function_ResourceFonts_Register();
void Function_ResourceRooms_Register();

// The Graphic family's groups, in its order: display, window and screen saving; draw state,
// colours and clearing; shapes and primitives; sprite_get_texture; background_get_texture;
// textures; fonts and text; draw_self and sprite drawing; background drawing; tiles; surfaces.
void Function_GraphicsDisplay_Register();
void Function_GraphicsDrawState_Register();
void Function_GraphicsShapes_Register();
void Function_GraphicsSpriteTexture_Register();
void Function_GraphicsBackgroundTexture_Register();
void Function_GraphicsTextures_Register();
void Function_GraphicsText_Register();
void Function_GraphicsSpriteDraw_Register();
void Function_GraphicsBackgroundDraw_Register();
void Function_GraphicsTiles_Register();
void Function_GraphicsSurfaces_Register();

// The 3D family's d3d_ names, which InitD3DFunctions registers before its three 2D rows.
void Function_D3DScene_Register();

// Platform services: the pause event when the window loses the focus to another program, and the
// achievement cache saved first at shut-down.
void Wexo_OSPauseEventRaised();
void Wexo_FunctionsSaveCache();
// The platform-service step of each frame, right after the input step.
void Wexo_FunctionsStep();
// The asynchronous stage's first two steps: pending purchase events, then queued script callbacks.
void Async_ProcessIapEvents();
void Async_ProcessCallbacks();
// Closes every file the file functions opened (shut-down).
void File_CloseAll();

// The operating-system constants (os_, device_, browser_, ...), added at the end of Constant_Init.
void InitOsConstants();
// The six read-only operating-system variables (os_type ... browser_height), added after the global
// built-in variables.
void InitOsVariables();

// The relative flag of the drag-and-drop action being performed; events run with it clear.
extern uint8_t Action_Relative;

// Set when a script chose what the window caption shows (show_score, action_set_caption).
extern uint8_t g_CaptionSettingsChanged;
