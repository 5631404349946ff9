// What the dialog group of the Interaction family shares with the rest of the engine: the splash
// flags that the video action reads, and the highscore table's drawing.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CInstance;

// Set by splash_set_fullscreen and splash_set_main, and by show_image, show_video and show_text.
extern uint8_t g_SplashFullScreen;

// Hands a video file to the player; true when it was taken.
bool Video_Show(const char* file, bool loop);
extern uint8_t g_SplashMain;

// draw_highscore(x1, y1, x2, y2): the ten names left-aligned and the values right-aligned, one row
// per tenth of the height, with the current font, colour and alignment.
void Builtin_DrawHighscore(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
