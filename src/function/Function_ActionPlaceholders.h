// Services of the dialogs, splash screens and highscores that the actions call, standing in until
// those exist.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CInstance;

// The splash display's full-screen flag, which the video action sets.
extern uint8_t g_SplashFullScreen;

// Hands a video file to the player; true when it was taken.
bool Video_Show(const char* file, bool loop);

// The modal yes/no question (the first text is a title line); 1 for yes, 0 for no.
int32_t ShowQuestion(const char* first, const char* question);

// Draws the highscore table in the box args[0..3] (x1, y1, x2, y2).
void Builtin_DrawHighscore(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);
