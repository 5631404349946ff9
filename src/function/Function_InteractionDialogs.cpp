// The dialog group of the Interaction family: message boxes, questions and text input (modal and
// asynchronous), the file dialogs, error reports raised by the game, the splash settings (there is
// no splash window: showing one does nothing and succeeds), the highscore table, and older
// message-box and menu options that are accepted but not implemented.
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "dialog/Dialog_FileDialog.h"
#include "dialog/Dialog_Requests.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_InteractionDialogs.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Text.h"
#include "io/IO_Main.h"
#include "platform/Platform_DisplayName.h"
#include "platform/Platform_MessageBox.h"
#include "run/Run_Globals.h"
#include "run/Run_Highscore.h"
#include "support/Support_SaveArea.h"
#include "support/Support_Stream.h"

uint8_t g_SplashFullScreen = 0;
uint8_t g_SplashMain = 0;

namespace {

// The file dialogs' name buffer holds 259 characters and a terminator.
constexpr size_t FILE_NAME_LIMIT = 259;

struct SplashSettings {
    std::string caption;
    int32_t width = 0, height = 0, colour = 0;
    double scale = 0.0;
};
SplashSettings g_Splash;
// The flags stand alone: each setter is one routine made for its flag's address.
uint8_t g_SplashAdapt = 0, g_SplashBorder = 0, g_SplashTop = 0, g_SplashCursor = 0, g_SplashInterrupt = 0,
        g_SplashStopKey = 0, g_SplashStopMouse = 0;

struct HighscoreSettings {
    std::string caption = "Top Ten Players";
    std::string closeHint = "press <Escape> to close";
    int32_t background = 0, colourNew = 0, colourOther = 0, fontSize = 0;
    uint8_t border = 0;
    std::string font = "Times New Roman";
};
HighscoreSettings g_Highscore;

const char* Caption() { return Platform_GetDisplayName(); }

// A real as the dialogs write it: a whole number in full, any other with two decimals.
std::string RealText(double value)
{
    bool whole = value == static_cast<double>(static_cast<int64_t>(value)) || (value > 9.2e18 || value < -9.2e18);
    return Numbers_FormatReal(value, 'f', whole ? 0 : 2);
}

// A message's text: "#" breaks the line (a "\#" keeps it) in a string; a real as above.
std::string MessageText(const ScriptValue& value)
{
    if (!Arg_IsString(value)) return RealText(Arg_Real(value));
    std::string text = Arg_TextOrEmpty(value);
    String_HashToNewline(text.data());
    return text.c_str(); // the rewrite may have shortened it
}

bool HasText(const ScriptValue& value) { return Arg_IsString(value) && Arg_TextOrEmpty(value)[0] != '\0'; }

// The default of the asynchronous input dialogs and get_integer: the text, or the rounded real.
std::string WholeDefault(const ScriptValue& value)
{
    return Arg_IsString(value) ? Arg_TextOrEmpty(value) : std::to_string(Arg_Int(value));
}

uint8_t Positive(const ScriptValue& value) { return Arg_Int(value) > 0 ? 1 : 0; }

// ---- messages and questions ---------------------------------------------------------------------

void Builtin_ShowMessage(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, 1);
    if (Arg_IsString(args[0]) && !HasText(args[0])) return;
    ShowMessage(MessageText(args[0]).c_str());
    IO_Clear();
}

void Builtin_ShowMessageAsync(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsString(args[0]) && !HasText(args[0])) return;
    Result_Real(result, ShowMessageAsync(Caption(), MessageText(args[0]).c_str()));
    IO_Clear();
}

void Builtin_ShowMessageExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    MainConsole->Output("show_message_ext(str,but1,but2,but3) not impleneted\n");
    Result_Real(result, 1);
    IO_Clear();
}

void Builtin_ShowQuestion(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, ShowQuestion(Caption(), MessageText(args[0]).c_str()));
    IO_Clear();
}

void Builtin_ShowQuestionAsync(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, ShowQuestionAsync(Caption(), MessageText(args[0]).c_str()));
    IO_Clear();
}

void Builtin_GetString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, "");
    if (Arg_IsString(args[1]) && !HasText(args[1])) return;
    std::string defaultText = Arg_IsString(args[1]) ? Arg_TextOrEmpty(args[1]) : Numbers_FormatReal(Arg_Real(args[1]), 'f', 2);
    std::string typed;
    InputQuery(Caption(), Arg_TextOrEmpty(args[0]), defaultText.c_str(), typed);
    Result_Text(result, typed.c_str());
    IO_Clear();
}

void Builtin_GetStringAsync(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsString(args[1]) && !HasText(args[1])) return;
    Result_Real(result, GetStringAsync(Caption(), Arg_TextOrEmpty(args[0]), WholeDefault(args[1]).c_str()));
}

void Builtin_GetInteger(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Int(args[1]));
    if (Arg_IsString(args[1]) && !HasText(args[1])) return;
    std::string typed;
    if (InputQuery(Caption(), Arg_TextOrEmpty(args[0]), WholeDefault(args[1]).c_str(), typed) && !typed.empty())
        Result_Real(result, Numbers_ParseReal(typed.c_str()));
    IO_Clear();
}

void Builtin_GetLoginAsync(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc != 2 || !Arg_IsString(args[0]) || !Arg_IsString(args[1])) return;
    Result_Real(result, GetLoginAsync(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1])));
}

void Builtin_ShowError(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Error_Show_Action(Arg_TextOrEmpty(args[0]), Arg_Flag(args[1]));
}

// ---- accepted, not implemented ------------------------------------------------------------------

// Logs the row's text; the result and whether input is cleared are the row's.
struct Unimplemented {
    const char* name;
    const char* log;
    int32_t count;
    bool clearsInput;
    bool textResult;
};

const Unimplemented UNIMPLEMENTED[] = {
    {"show_info", "show_info(str) not supported", 0, true, false},
    {"load_info", "load_info(str) not supported", 1, false, false},
    {"show_menu", "show_menu(str,default) not implemented.", 2, true, false},
    {"show_menu_pos", "show_menu_pos(X,Y,str,default) not implemented.", 4, true, false},
    {"get_color", "get_color(def) is not implemented", 1, true, false},
    {"get_directory", "get_directory(dname) not implemented.", 1, true, true},
    {"get_directory_alt", "get_directory_alt(capt,root) not implemented.", 2, true, true},
    {"message_background", "message_background(back) not impleneted", 1, false, false},
    {"message_button", "message_button(spr) not impleneted", 1, false, false},
    {"message_text_font", "message_text_font(name,size,color,style) not impleneted", 4, false, false},
    {"message_button_font", "message_button_font(name,size,color,style) not impleneted", 4, false, false},
    {"message_input_font", "message_input_font(name,size,color,style) not impleneted", 4, false, false},
    {"message_alpha", "message_alpha(alpha) not impleneted", 1, false, false},
    {"message_mouse_color", "message_mouse_color(col) not impleneted", 1, false, false},
    {"message_input_color", "message_input_color(col) not impleneted", 1, false, false},
    {"message_position", "message_position(x,y) not impleneted", 2, false, false},
    {"message_size", "message_size(w,h)not impleneted", 2, false, false},
    {"message_caption", "message_caption(show,str) not impleneted", 2, false, false},
};

// Each row's routine: the row's index is the template argument.
template <size_t Row>
void Builtin_Unimplemented(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    const Unimplemented& row = UNIMPLEMENTED[Row];
    MainConsole->Output("%s\n", row.log);
    if (row.textResult) Result_Text(result, "");
    if (row.clearsInput) IO_Clear();
}

template <size_t Row>
constexpr FunctionRow UnimplementedRow()
{
    return {UNIMPLEMENTED[Row].name, Builtin_Unimplemented<Row>, UNIMPLEMENTED[Row].count};
}

// ---- file dialogs -------------------------------------------------------------------------------

void FileDialog(ScriptValue* result, int32_t argc, ScriptValue* args, bool save)
{
    Result_Text(result, "");
    for (int32_t i = 0; i < argc; ++i)
        if (!Arg_IsString(args[i])) return;
    FileDialogRequest request;
    request.save = save;
    request.filter = Arg_TextOrEmpty(args[0]);
    request.defaultName = std::string(Arg_TextOrEmpty(args[1])).substr(0, FILE_NAME_LIMIT);
    if (argc == 4) {
        request.folder = Arg_TextOrEmpty(args[2]);
        request.title = Arg_TextOrEmpty(args[3]);
    }
    std::string path;
    if (Dialog_RunFileDialog(request, path)) {
        if (save) LoadSave_AllowWrite(path.c_str());
        else LoadSave_AllowRead(path.c_str());
        Result_Text(result, path.c_str());
    }
    IO_Clear();
}

void Builtin_GetOpenFilename(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    FileDialog(result, argc, args, false);
}

void Builtin_GetSaveFilename(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    FileDialog(result, argc, args, true);
}

// ---- splash screens -----------------------------------------------------------------------------

// There is no splash window: showing does nothing and succeeds.
bool Splash_ShowImage(const char*, int32_t) { return true; }
bool Splash_ShowText(const char*, int32_t) { return true; }

void Builtin_SplashSetCaption(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Splash.caption = Arg_TextOrEmpty(args[0]);
}

// The flag setters, one routine per flag.
template <uint8_t* Flag>
void Builtin_SplashFlag(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    *Flag = Positive(args[0]);
}

void Builtin_SplashSetSize(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Splash.width = Arg_Int(args[0]);
    g_Splash.height = Arg_Int(args[1]);
}

void Builtin_SplashSetColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Splash.colour = Arg_Int(args[0]);
}

void Builtin_SplashSetScale(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Splash.scale = Arg_Real(args[0]);
}

void ShowVideo(const ScriptValue& file, bool loop)
{
    if (!Video_Show(Arg_TextOrEmpty(file), loop)) Error_Show_Action("Video file not found (or name too long).", false);
    IO_Clear();
}

void ShowImage(const ScriptValue& file, const ScriptValue& delay)
{
    if (!Splash_ShowImage(Arg_TextOrEmpty(file), Arg_Int(delay))) Error_Show_Action("Image file not found.", false);
    IO_Clear();
}

void ShowText(const ScriptValue& file, const ScriptValue& delay)
{
    if (!Splash_ShowText(Arg_TextOrEmpty(file), Arg_Int(delay))) Error_Show_Action("Text file not found.", false);
    IO_Clear();
}

void SetFullScreen(const ScriptValue& full)
{
    g_SplashFullScreen = Positive(full);
    g_SplashMain = g_SplashFullScreen != 0 ? 0 : 1;
}

void Builtin_SplashShowVideo(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ShowVideo(args[0], Arg_Int(args[1]) >= 1);
}

void Builtin_SplashShowImage(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args) { ShowImage(args[0], args[1]); }

void Builtin_SplashShowText(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args) { ShowText(args[0], args[1]); }

void Builtin_ShowImage(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    SetFullScreen(args[1]);
    ShowImage(args[0], args[2]);
}

void Builtin_ShowVideo(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    SetFullScreen(args[1]);
    ShowVideo(args[0], Arg_Int(args[2]) > 0);
}

void Builtin_ShowText(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    SetFullScreen(args[1]);
    g_Splash.colour = Arg_Int(args[2]);
    ShowText(args[0], args[3]);
}

// ---- highscores ---------------------------------------------------------------------------------

void Builtin_HighscoreShow(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Score_Show(Arg_Int(args[0]));
    IO_Clear();
}

void Builtin_HighscoreShowExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Highscore.background = Arg_Int(args[1]);
    g_Highscore.border = Arg_Flag(args[2]) ? 1 : 0;
    g_Highscore.colourNew = Arg_Int(args[3]);
    g_Highscore.colourOther = Arg_Int(args[4]);
    g_Highscore.font = Arg_TextOrEmpty(args[5]);
    g_Highscore.fontSize = Arg_Int(args[6]);
    Score_Show(Arg_Int(args[0]));
    IO_Clear();
}

void Builtin_HighscoreSetBackground(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Highscore.background = Arg_Int(args[0]);
}

void Builtin_HighscoreSetBorder(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Highscore.border = Arg_Flag(args[0]) ? 1 : 0;
}

void Builtin_HighscoreSetColors(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Highscore.background = Arg_Int(args[0]);
    g_Highscore.colourNew = Arg_Int(args[1]);
    g_Highscore.colourOther = Arg_Int(args[2]);
}

void Builtin_HighscoreSetFont(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Highscore.font = Arg_TextOrEmpty(args[0]);
    g_Highscore.fontSize = Arg_Int(args[1]);
    MainConsole->Output("Function F_HighscoreSetFont has no implementation.\n");
}

void Builtin_HighscoreSetStrings(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Highscore.caption = Arg_TextOrEmpty(args[0]);
    Score_SetNoName(Arg_TextOrEmpty(args[1]));
    g_Highscore.closeHint = Arg_TextOrEmpty(args[2]);
}

void Builtin_HighscoreClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { Score_Clear(); }

void Builtin_HighscoreAdd(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Score_Add(Arg_Text(args[0]), Arg_Int(args[1]));
}

void Builtin_HighscoreAddCurrent(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Score_Add("DEFAULT", g_Score);
    IO_Clear();
}

void Builtin_HighscoreValue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Score_GetValue(Arg_Int(args[0])));
}

void Builtin_HighscoreName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Score_GetName(Arg_Int(args[0])));
}

const FunctionRow DIALOG_FUNCTIONS[] = {
    {"show_message", Builtin_ShowMessage, 1},
    {"show_message_async", Builtin_ShowMessageAsync, 1},
    {"show_message_ext", Builtin_ShowMessageExt, 4},
    {"show_question", Builtin_ShowQuestion, 1},
    {"show_question_async", Builtin_ShowQuestionAsync, 1},
    {"get_string", Builtin_GetString, 2},
    {"get_string_async", Builtin_GetStringAsync, 2},
    {"get_integer", Builtin_GetInteger, 2},
    {"get_integer_async", Builtin_GetStringAsync, 2},
    {"get_login_async", Builtin_GetLoginAsync, 2},
    {"show_error", Builtin_ShowError, 2},
    UnimplementedRow<0>(),
    UnimplementedRow<1>(),
    UnimplementedRow<2>(),
    UnimplementedRow<3>(),
    UnimplementedRow<4>(),
    UnimplementedRow<5>(),
    UnimplementedRow<6>(),
    UnimplementedRow<7>(),
    UnimplementedRow<8>(),
    UnimplementedRow<9>(),
    UnimplementedRow<10>(),
    UnimplementedRow<11>(),
    UnimplementedRow<12>(),
    UnimplementedRow<13>(),
    UnimplementedRow<14>(),
    UnimplementedRow<15>(),
    UnimplementedRow<16>(),
    UnimplementedRow<17>(),
    {"get_open_filename", Builtin_GetOpenFilename, 2},
    {"get_open_filename_ext", Builtin_GetOpenFilename, 4},
    {"get_save_filename", Builtin_GetSaveFilename, 2},
    {"get_save_filename_ext", Builtin_GetSaveFilename, 4},
    {"splash_set_caption", Builtin_SplashSetCaption, 1},
    {"splash_set_fullscreen", Builtin_SplashFlag<&g_SplashFullScreen>, 1},
    {"splash_set_size", Builtin_SplashSetSize, 2},
    {"splash_set_adapt", Builtin_SplashFlag<&g_SplashAdapt>, 1},
    {"splash_set_border", Builtin_SplashFlag<&g_SplashBorder>, 1},
    {"splash_set_top", Builtin_SplashFlag<&g_SplashTop>, 1},
    {"splash_set_color", Builtin_SplashSetColor, 1},
    {"splash_set_main", Builtin_SplashFlag<&g_SplashMain>, 1},
    {"splash_set_scale", Builtin_SplashSetScale, 1},
    {"splash_set_cursor", Builtin_SplashFlag<&g_SplashCursor>, 1},
    {"splash_set_interrupt", Builtin_SplashFlag<&g_SplashInterrupt>, 1},
    {"splash_set_stop_key", Builtin_SplashFlag<&g_SplashStopKey>, 1},
    {"splash_set_stop_mouse", Builtin_SplashFlag<&g_SplashStopMouse>, 1},
    {"splash_show_video", Builtin_SplashShowVideo, 2},
    {"splash_show_image", Builtin_SplashShowImage, 2},
    {"splash_show_text", Builtin_SplashShowText, 2},
    {"show_image", Builtin_ShowImage, 3},
    {"show_video", Builtin_ShowVideo, 3},
    {"show_text", Builtin_ShowText, 4},
    {"highscore_show", Builtin_HighscoreShow, 1},
    {"highscore_show_ext", Builtin_HighscoreShowExt, 7},
    {"highscore_set_background", Builtin_HighscoreSetBackground, 1},
    {"highscore_set_border", Builtin_HighscoreSetBorder, 1},
    {"highscore_set_colors", Builtin_HighscoreSetColors, 3},
    {"highscore_set_font", Builtin_HighscoreSetFont, 3},
    {"highscore_set_strings", Builtin_HighscoreSetStrings, 3},
    {"highscore_clear", Builtin_HighscoreClear, 0},
    {"highscore_add", Builtin_HighscoreAdd, 2},
    {"highscore_add_current", Builtin_HighscoreAddCurrent, 0},
    {"highscore_value", Builtin_HighscoreValue, 1},
    {"highscore_name", Builtin_HighscoreName, 1},
    {"draw_highscore", Builtin_DrawHighscore, 4},
};

} // namespace

void Builtin_DrawHighscore(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t left = Arg_Int(args[0]);
    int32_t top = Arg_Int(args[1]);
    int32_t width = Numbers_RoundToInt32(Arg_Real(args[2]) - Arg_Real(args[0]));
    int32_t step = Numbers_RoundToInt32((Arg_Real(args[3]) - Arg_Real(args[1])) / SCORE_PLACES);
    int32_t y = top;
    for (int32_t place = 1; place <= SCORE_PLACES; ++place) {
        const char* name = Score_GetName(place);
        GR_Text_Draw(static_cast<float>(left), static_cast<float>(y), name != nullptr ? name : "", -1, -1);
        std::string value = std::to_string(Score_GetValue(place));
        int32_t textWidth = GR_Text_StringWidth(value.c_str(), -1, -1);
        GR_Text_Draw(static_cast<float>(left + width - textWidth), static_cast<float>(y), value.c_str(), -1, -1);
        y += step;
    }
}

void Function_InteractionDialogs_Register() { Function_AddRows(DIALOG_FUNCTIONS); }

// There is no video player: a video shows nothing and is taken.
bool Video_Show(const char*, bool)
{
    return true;
}
