#include "function/Function_ActionPlaceholders.h"

#include "platform/Platform_MessageBox.h"
#include "platform/Platform_DisplayName.h"

// PLACEHOLDER until splash screens exist: the flag is kept and nothing reads it.
uint8_t g_SplashFullScreen = 0;

// PLACEHOLDER until splash screens exist: the video player shows nothing and takes every file.
bool Video_Show(const char*, bool)
{
    return true;
}

// PLACEHOLDER until the question dialog exists: the platform's yes/no box (scripted answers when
// headless), with No as the answer when nothing can be asked.
int32_t ShowQuestion(const char*, const char* question)
{
    return Platform_AskYesNo(question, Platform_GetDisplayName(), false) ? 1 : 0;
}

// PLACEHOLDER until highscores are drawn: the table is not drawn.
void Builtin_DrawHighscore(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}
