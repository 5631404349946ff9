// The Misc family's third group: program priority, the window's title and native id, and the
// clipboard.
#include "function/Function_MiscWindow.h"

#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "run/Run_Window.h"

namespace {

// An empty text the game put on the clipboard, which the clipboard itself reports as no text.
bool g_EmptyClipboardSet = false;

struct PriorityRow {
    int32_t value;
    int32_t nice;
};

// The priority classes as nice values: idle lowest, real-time as high as an unprivileged
// process may ask (the system refuses raising; the program goes on).
const PriorityRow PRIORITIES[] = {{-3, 19}, {-2, 2}, {-1, 1}, {0, 0}, {1, -1}, {2, -5}, {3, -10}};

int32_t NiceFor(int32_t value)
{
    for (const PriorityRow& row : PRIORITIES)
        if (row.value == value) return row.nice;
    return 0;
}

void Builtin_SetProgramPriority(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    MiscWindow_SetNice(NiceFor(Arg_Int(args[0])));
}

void Builtin_SetApplicationTitle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsString(args[0])) MainWindow_SetTitle(Arg_TextOrEmpty(args[0]));
}

void Builtin_ClipboardHasText(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, MiscWindow_ClipboardHasText() || (g_EmptyClipboardSet && MiscWindow_GetClipboard().empty()));
}

void Builtin_ClipboardGetText(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Text(result, MiscWindow_ClipboardHasText() ? MiscWindow_GetClipboard().c_str() : "");
}

void Builtin_ClipboardSetText(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* text = Arg_TextOrEmpty(args[0]);
    bool set = MiscWindow_SetClipboard(text);
    g_EmptyClipboardSet = set && text[0] == '\0';
}

void Builtin_WindowHandle(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, static_cast<double>(MiscWindow_NativeHandle()));
}

const FunctionRow MISC_WINDOW_ROWS[] = {
    {"window_handle", Builtin_WindowHandle, 0},
    {"set_program_priority", Builtin_SetProgramPriority, 1},
    {"set_application_title", Builtin_SetApplicationTitle, 1},
    {"clipboard_has_text", Builtin_ClipboardHasText, 0},
    {"clipboard_set_text", Builtin_ClipboardSetText, 1},
    {"clipboard_get_text", Builtin_ClipboardGetText, 0},
};

} // namespace

void Function_MiscWindow_Register()
{
    Function_AddRows(MISC_WINDOW_ROWS);
}
