// The actions that ask questions, run a script or the parent's event, compare and draw values, and
// keep the score, the lives and the health with their captions and drawings.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Numbers.h"
#include "base/Base_Random.h"
#include "code/Code_Error.h"
#include "function/Function_Action.h"
#include "dialog/Dialog_Requests.h"
#include "function/Function_InteractionDialogs.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Game.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Text.h"
#include "instance/Instance_Class.h"
#include "io/IO_Main.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "run/Run_Commands.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_Layer.h"
#include "script/Script_Table.h"
#include "sprite/Sprite_Table.h"
#include "support/Support_Stream.h"

namespace {

constexpr int32_t SOLID_ONLY = 0;
constexpr int64_t DICE_SCALE = 1000;
constexpr uint32_t DICE_HITS = 1001;
constexpr int32_t SCRIPT_ACTION_ARGUMENTS = 5;
constexpr int32_t OTHER_NO_MORE_LIVES = 6;
constexpr int32_t OTHER_NO_MORE_HEALTH = 9;
constexpr int32_t TEXT_DEFAULT = -1; // separation and width
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BLACK = 0;
constexpr double HIGHSCORE_HALF_BOX = 100.0;

// ---- questions -----------------------------------------------------------------------------------

// True when self meets nothing at (x, y): the third argument 0 counts solid instances only.
bool PlaceIsEmpty(CInstance* self, const ScriptValue* args)
{
    bool solidOnly = Arg_Int(args[2]) == SOLID_ONLY;
    float x = Action_X(self, args[0]), y = Action_Y(self, args[1]);
    return solidOnly ? Run_PlaceFree(self, x, y) : Run_PlaceEmpty(self, x, y);
}

void Builtin_ActionIfEmpty(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) Result_Bool(result, PlaceIsEmpty(self, args));
}

void Builtin_ActionIfCollision(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) Result_Bool(result, !PlaceIsEmpty(self, args));
}

void Builtin_ActionIf(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Value_Copy(result, &args[0]);
}

void Builtin_ActionIfNumber(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double count = Run_InstanceNumber(Arg_Int(args[0]));
    Result_Bool(result, Action_Compare(count, Arg_Real(args[1]), Arg_Int(args[2])));
}

void Builtin_ActionIfObject(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    Result_Bool(result,
                Run_PlaceMeeting(self, Arg_Int(args[0]), Action_X(self, args[1]), Action_Y(self, args[2])));
}

void Builtin_ActionIfQuestion(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    std::string text = Arg_TextOrEmpty(args[0]);
    String_HashToNewline(text.data());
    Result_Bool(result, ShowQuestion("", text.c_str()) != 0);
    IO_Clear();
}

// The sides times 1000 are taken in 64 bits and kept within the random draw's range, so that dice
// of more than 2,147,483 sides do not overflow.
void Builtin_ActionIfDice(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int64_t sides = Arg_Int(args[0]);
    if (sides <= 1) {
        Result_Bool(result, true);
        return;
    }
    int64_t range = sides * DICE_SCALE;
    if (range > INT32_MAX) range = INT32_MAX;
    Result_Bool(result, Random_Int(static_cast<int32_t>(range)) < DICE_HITS);
}

// Buttons 1 left, 2 right, 3 middle: down or just released; any other value: no button down.
void Builtin_ActionIfMouse(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t button = Arg_Int(args[0]);
    if (button >= 1 && button <= IO_MOUSE_BUTTONS) {
        Result_Bool(result, IO_Button_Down(button, 0) || IO_Button_Released(button, 0));
        return;
    }
    bool anyDown = false;
    for (int32_t b = 1; b <= IO_MOUSE_BUTTONS; ++b)
        anyDown = anyDown || IO_Button_Down(b, 0);
    Result_Bool(result, !anyDown);
}

// The same test as place_snapped.
void Builtin_ActionIfAligned(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                             ScriptValue* args)
{
    Builtin_PlaceSnapped(result, self, other, 2, args);
}

// ---- code and variables --------------------------------------------------------------------------

void Builtin_ActionExecuteScript(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                 ScriptValue* args)
{
    ScriptValue answer = {VALUE_REAL, 0, 0.0};
    bool done = Script_Run(Arg_Int(args[0]), self, other, SCRIPT_ACTION_ARGUMENTS, &answer, args + 1);
    if (!done && g_CodeErrorFlag) {
        Error_Show_Action(g_CodeErrorText.c_str(), false);
        g_CodeErrorFlag = false;
    }
    Value_Copy(result, &answer);
    Value_Free(&answer);
}

void Builtin_ActionInherited(ScriptValue*, CInstance* self, CInstance* other, int32_t, ScriptValue*)
{
    const CObject* object = Object_Data(g_CurrentEventObject);
    if (self == nullptr || object == nullptr || !Object_Exists(object->m_ParentIndex)) return;
    PerformEvent(self, other, object->m_ParentIndex, g_CurrentEventType, g_CurrentEventNumber);
}

// Strings compare by their bytes (unsigned), reals by their difference.
int32_t Comparison(const ScriptValue& a, const ScriptValue& b)
{
    if (Arg_IsString(a)) {
        int32_t order = std::strcmp(Arg_TextOrEmpty(a), Arg_TextOrEmpty(b));
        return (order > 0) - (order < 0);
    }
    double difference = Arg_Real(a) - Arg_Real(b);
    return (difference > 0.0) - (difference < 0.0);
}

void Builtin_ActionIfVariable(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_Kind(args[0]) != Arg_Kind(args[1])) {
        Error_Show_Action("Cannot compare arguments.", false);
        return;
    }
    int32_t order = Comparison(args[0], args[1]);
    switch (Arg_Int(args[2])) {
    case 1:
        Result_Bool(result, order < 0);
        break;
    case 2:
        Result_Bool(result, order > 0);
        break;
    case 3:
        Result_Bool(result, order <= 0);
        break;
    case 4:
        Result_Bool(result, order >= 0);
        break;
    default:
        Result_Bool(result, order == 0);
        break;
    }
}

void Builtin_ActionDrawVariable(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    std::string text = Action_VariableText(args[0]);
    GR_Text_Draw(Action_X(self, args[1]), Action_Y(self, args[2]), text.c_str(), TEXT_DEFAULT, TEXT_DEFAULT);
}

// ---- score, lives and health ---------------------------------------------------------------------

void DrawCaptioned(const ScriptValue& caption, int32_t value, float x, float y)
{
    std::string text = std::string(Arg_TextOrEmpty(caption)) + std::to_string(value);
    GR_Text_Draw(x, y, text.c_str(), TEXT_DEFAULT, TEXT_DEFAULT);
}

void Builtin_ActionSetScore(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_Score = Action_WholeQuantity(g_Score, args[0]);
}

void Builtin_ActionIfScore(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Action_Compare(g_Score, Arg_Real(args[0]), Arg_Int(args[1])));
}

void Builtin_ActionDrawScore(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    DrawCaptioned(args[2], g_Score, Action_X(self, args[0]), Action_Y(self, args[1]));
}

// The table in a box of 200 by 200 centred in the room; the action's own arguments are not used.
void Builtin_ActionHighscoreShow(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                 ScriptValue*)
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    double box[4];
    Action_HighscoreBox(room->m_Width, room->m_Height, box);
    ScriptValue corners[4];
    for (int32_t i = 0; i < 4; ++i)
        corners[i] = ScriptValue{VALUE_REAL, 0, box[i]};
    Builtin_DrawHighscore(result, self, other, 4, corners);
}

void Builtin_ActionHighscoreClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Score_Clear();
}

// Going from 1 or more lives to fewer than 1 raises the no-more-lives event, once.
void Builtin_ActionSetLife(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t before = g_Lives;
    g_Lives = Action_WholeQuantity(before, args[0]);
    if (before >= 1 && g_Lives < 1) Perform_Event_All(EVENT_OTHER, OTHER_NO_MORE_LIVES);
}

void Builtin_ActionIfLife(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Action_Compare(g_Lives, Arg_Real(args[0]), Arg_Int(args[1])));
}

void Builtin_ActionDrawLife(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawCaptioned(args[2], g_Lives, Arg_Float(args[0]), Arg_Float(args[1]));
}

void Builtin_ActionDrawLifeImages(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CSprite* sprite = Sprite_Get(Arg_Int(args[2]));
    if (sprite == nullptr) return;
    float x = Action_X(self, args[0]), y = Action_Y(self, args[1]);
    for (int32_t life = 0; life < g_Lives; ++life)
        sprite->Draw(0, x + static_cast<float>(sprite->GetWidth()) * life, y, 1.0f, 1.0f, 0.0f, WHITE, 1.0f);
}

// Going from above 0 to 0 or below raises the no-more-health event.
void Builtin_ActionSetHealth(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double before = g_Health;
    g_Health = Action_Quantity(before, args[0]);
    if (before > 0.0 && g_Health <= 0.0) Perform_Event_All(EVENT_OTHER, OTHER_NO_MORE_HEALTH);
}

void Builtin_ActionIfHealth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Action_Compare(g_Health, Arg_Real(args[0]), Arg_Int(args[1])));
}

// Back colours by index (0 draws none); bar colours from index 2 on are one colour each.
constexpr uint32_t HEALTH_BACK[] = {BLACK, BLACK, 0x808080, 0xC0C0C0, 0xFFFFFF, 128,
                                    32768, 32896, 0x800000, 0x800080, 0x808000, 255,
                                    65280, 65535, 0xFF0000, 0xFF00FF, 0xFFFF00, BLACK};
constexpr uint32_t HEALTH_BAR[][3] = {
    {255, 65535, 65280},
    {BLACK, 0x808080, 0xFFFFFF},
    {BLACK, BLACK, BLACK},
    {0x808080, 0x808080, 0x808080},
    {0xC0C0C0, 0xC0C0C0, 0xC0C0C0},
    {0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    {128, 128, 128},
    {32768, 32768, 32768},
    {32896, 32896, 32896},
    {0x800000, 0x800000, 0x800000},
    {0x800080, 0x800080, 0x800080},
    {0x808000, 0x808000, 0x808000},
    {255, 255, 255},
    {65280, 65280, 65280},
    {65535, 65535, 65535},
    {0xFF0000, 0xFF0000, 0xFF0000},
    {0xFF00FF, 0xFF00FF, 0xFF00FF},
    {0xFFFF00, 0xFFFF00, 0xFFFF00},
};
constexpr int32_t HEALTH_COLOURS = static_cast<int32_t>(sizeof(HEALTH_BACK) / sizeof(HEALTH_BACK[0]));

bool HealthIndexKnown(int32_t index)
{
    return index >= 0 && index < HEALTH_COLOURS;
}

void Builtin_ActionDrawHealth(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t back = Arg_Int(args[4]), bar = Arg_Int(args[5]);
    uint32_t backColour = HealthIndexKnown(back) ? HEALTH_BACK[back] : BLACK;
    const uint32_t black[3] = {BLACK, BLACK, BLACK};
    const uint32_t* barColours = HealthIndexKnown(bar) ? HEALTH_BAR[bar] : black;
    GR_Draw_HealthBar(Action_X(self, args[0]), Action_Y(self, args[1]), Action_X(self, args[2]),
                      Action_Y(self, args[3]), g_Health, backColour, barColours[0], barColours[1],
                      barColours[2], 0, Arg_Flag(args[4]), true);
}

// Each shown flag is on at 1 only.
void Builtin_ActionSetCaption(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_ShowScore = Arg_Int(args[0]) == 1 ? 1 : 0;
    g_CaptionScore = Arg_TextOrEmpty(args[1]);
    g_ShowLives = Arg_Int(args[2]) == 1 ? 1 : 0;
    g_CaptionLives = Arg_TextOrEmpty(args[3]);
    g_ShowHealth = Arg_Int(args[4]) == 1 ? 1 : 0;
    g_CaptionHealth = Arg_TextOrEmpty(args[5]);
    g_CaptionSettingsChanged = 1;
}

const FunctionRow ACTION_QUESTION_ROWS[] = {
    {"action_if_empty", Builtin_ActionIfEmpty, 3},
    {"action_if_collision", Builtin_ActionIfCollision, 3},
    {"action_if", Builtin_ActionIf, 1},
    {"action_if_number", Builtin_ActionIfNumber, 3},
    {"action_if_object", Builtin_ActionIfObject, 3},
    {"action_if_question", Builtin_ActionIfQuestion, 1},
    {"action_if_dice", Builtin_ActionIfDice, 1},
    {"action_if_mouse", Builtin_ActionIfMouse, 1},
    {"action_if_aligned", Builtin_ActionIfAligned, 2},
    {"action_execute_script", Builtin_ActionExecuteScript, 6},
    {"action_inherited", Builtin_ActionInherited, 0},
    {"action_if_variable", Builtin_ActionIfVariable, 3},
    {"action_draw_variable", Builtin_ActionDrawVariable, 3},
    {"action_highscore", Builtin_ActionPathOld, 0},
    {"action_set_score", Builtin_ActionSetScore, 1},
    {"action_if_score", Builtin_ActionIfScore, 2},
    {"action_draw_score", Builtin_ActionDrawScore, 3},
    {"action_highscore_show", Builtin_ActionHighscoreShow, 11},
    {"action_highscore_clear", Builtin_ActionHighscoreClear, 0},
    {"action_set_life", Builtin_ActionSetLife, 1},
    {"action_if_life", Builtin_ActionIfLife, 2},
    {"action_draw_life", Builtin_ActionDrawLife, 3},
    {"action_draw_life_images", Builtin_ActionDrawLifeImages, 3},
    {"action_set_health", Builtin_ActionSetHealth, 1},
    {"action_if_health", Builtin_ActionIfHealth, 2},
    {"action_draw_health", Builtin_ActionDrawHealth, 6},
    {"action_set_caption", Builtin_ActionSetCaption, 6},
};

} // namespace

// A whole real (within 32 bits) prints as "%d", any other as "%10.2f", a string as it stands; the
// whole text is kept however long it is.
std::string Action_VariableText(const ScriptValue& value)
{
    if (!Arg_IsReal(value)) return Arg_TextOrEmpty(value);
    int32_t whole = Numbers_RoundToInt32(value.real);
    if (static_cast<double>(whole) == value.real) return std::to_string(whole);
    return Numbers_Format("%10.2f", value.real);
}

void Action_HighscoreBox(int32_t roomWidth, int32_t roomHeight, double box[4])
{
    double cx = roomWidth / 2.0, cy = roomHeight / 2.0;
    box[0] = cx - HIGHSCORE_HALF_BOX;
    box[1] = cy - HIGHSCORE_HALF_BOX;
    box[2] = cx + HIGHSCORE_HALF_BOX;
    box[3] = cy + HIGHSCORE_HALF_BOX;
}

void Function_ActionQuestions_Register()
{
    Function_AddRows(ACTION_QUESTION_ROWS);
}
