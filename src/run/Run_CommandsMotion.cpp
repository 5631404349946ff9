// The run layer's motion commands and its room and game commands.
#include <cmath>
#include <string>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Capture.h"
#include "graphics/Graphics_Window.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_Resources.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Commands.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "sprite/Sprite_Table.h"

namespace {

constexpr int32_t DEFAULT_STEPS = 1000;
constexpr int32_t BOUNCE_TRIES = 35;
constexpr double DEGREES_TO_RADIANS = 3.1415927410125732 / 180.0;

bool FreeAt(CInstance* instance, float x, float y, bool againstAll)
{
    return Run_PlaceFreeOrEmpty(instance, x, y, againstAll ? 1 : 0);
}

// The unit step of a direction, each part rounded to single precision as the movement uses it.
void UnitStep(float direction, float* dx, float* dy)
{
    float angle = static_cast<float>(direction * DEGREES_TO_RADIANS);
    *dx = static_cast<float>(std::cos(static_cast<double>(angle)));
    *dy = -static_cast<float>(std::sin(static_cast<double>(angle)));
}

int32_t StepCount(float maximum)
{
    return maximum > 0.0f ? Numbers_RoundToInt32(maximum) : DEFAULT_STEPS;
}

float SnapAxis(float value, float snap)
{
    return static_cast<float>(Numbers_RoundToInt64(static_cast<double>(value) / snap) *
                              static_cast<double>(snap));
}

// The instance's sprite width or height times its scale; 0 without a sprite.
void SpriteExtent(const CInstance* instance, float* w, float* h)
{
    *w = 0.0f;
    *h = 0.0f;
    CSprite* sprite = Sprite_Exists(instance->i_spriteindex) ? Sprite_Get(instance->i_spriteindex) : nullptr;
    if (sprite == nullptr) return;
    *w = static_cast<float>(sprite->GetWidth()) * instance->i_imagescalex;
    *h = static_cast<float>(sprite->GetHeight()) * instance->i_imagescaley;
}

void BounceSimple(CInstance* instance, bool againstAll)
{
    float x = instance->i_x, y = instance->i_y;
    bool h = FreeAt(instance, x + instance->i_hspeed, y, againstAll);
    bool v = FreeAt(instance, x, y + instance->i_vspeed, againstAll);
    bool d = FreeAt(instance, x + instance->i_hspeed, y + instance->i_vspeed, againstAll);
    if (!h) {
        instance->SetHSpeed(-instance->i_hspeed);
        if (!v) instance->SetVSpeed(-instance->i_vspeed);
        return;
    }
    if (v) {
        if (!d) {
            instance->SetHSpeed(-instance->i_hspeed);
            instance->SetVSpeed(-instance->i_vspeed);
        }
        return;
    }
    instance->SetVSpeed(-instance->i_vspeed);
}

bool FreeInDirection(CInstance* instance, double degrees, bool againstAll)
{
    double radians = degrees * DEGREES_TO_RADIANS;
    double speed = instance->i_speed;
    float x = static_cast<float>(instance->i_x + std::cos(radians) * speed);
    float y = static_cast<float>(instance->i_y - std::sin(radians) * speed);
    return FreeAt(instance, x, y, againstAll);
}

void BounceAdvanced(CInstance* instance, bool againstAll, bool bounce)
{
    double base = static_cast<double>(Numbers_RoundToInt32(instance->i_direction / 10.0)) * 10.0;
    double a = base;
    for (int32_t i = 1; i <= BOUNCE_TRIES; ++i) {
        a = base - 10.0 * i;
        if (FreeInDirection(instance, a, againstAll)) break;
        bounce = true;
    }
    double b = base;
    for (int32_t j = 1; j <= BOUNCE_TRIES; ++j) {
        b = base + 10.0 * j;
        if (FreeInDirection(instance, b, againstAll)) {
            if (bounce) instance->SetDirection(static_cast<float>(b + a + 180.0 - base));
            return;
        }
        bounce = true;
    }
    instance->SetDirection(static_cast<float>(b + a + 180.0 - base));
}

} // namespace

void Run_MoveSnap(CInstance* instance, float hsnap, float vsnap)
{
    if (instance == nullptr) return;
    float x = hsnap > 0.0f ? SnapAxis(instance->i_x, hsnap) : instance->i_x;
    float y = vsnap > 0.0f ? SnapAxis(instance->i_y, vsnap) : instance->i_y;
    instance->SetPosition(x, y);
}

void Run_MoveWrap(CInstance* instance, bool horizontal, bool vertical)
{
    CRoom* room = Run_CurrentRoom();
    if (instance == nullptr || room == nullptr) return;
    float w, h;
    SpriteExtent(instance, &w, &h);
    float x = instance->i_x, y = instance->i_y;
    float width = static_cast<float>(room->m_Width), height = static_cast<float>(room->m_Height);
    if (horizontal) {
        if (instance->i_hspeed < 0.0f && x < 0.0f)
            x += width + w;
        else if (instance->i_hspeed > 0.0f && x >= width)
            x -= width + w;
    }
    if (vertical) {
        if (instance->i_vspeed < 0.0f && y < 0.0f)
            y += height + h;
        else if (instance->i_vspeed > 0.0f && y >= height)
            y -= height + h;
    }
    instance->SetPosition(x, y);
}

void Run_MoveTowardsPoint(CInstance* instance, float x, float y, float speed)
{
    if (instance == nullptr) return;
    instance->SetHSpeed(x - instance->i_x);
    instance->SetVSpeed(y - instance->i_y);
    instance->SetSpeed(speed);
}

void Run_MoveContact(CInstance* instance, float direction, float maximum, bool againstAll)
{
    if (instance == nullptr) return;
    float dx, dy;
    UnitStep(direction, &dx, &dy);
    if (!FreeAt(instance, instance->i_x, instance->i_y, againstAll)) return;
    for (int32_t steps = StepCount(maximum); steps > 0; --steps) {
        float x = instance->i_x + dx, y = instance->i_y + dy;
        if (!FreeAt(instance, x, y, againstAll)) return;
        instance->SetPosition(x, y);
    }
}

void Run_MoveOutside(CInstance* instance, float direction, float maximum, bool againstAll)
{
    if (instance == nullptr) return;
    float dx, dy;
    UnitStep(direction, &dx, &dy);
    for (int32_t steps = StepCount(maximum); steps > 0; --steps) {
        if (FreeAt(instance, instance->i_x, instance->i_y, againstAll)) return;
        instance->SetPosition(instance->i_x + dx, instance->i_y + dy);
    }
}

void Run_MoveBounce(CInstance* instance, bool advanced, bool againstAll)
{
    if (instance == nullptr) return;
    bool bounce = false;
    if (!FreeAt(instance, instance->i_x, instance->i_y, againstAll)) {
        instance->SetPosition(instance->i_xprevious, instance->i_yprevious);
        bounce = true;
    }
    if (advanced)
        BounceAdvanced(instance, againstAll, bounce);
    else
        BounceSimple(instance, againstAll);
}

// ---- rooms and the game --------------------------------------------------------------------------

namespace {

void FatalRoomMove(const char* message)
{
    Error_Show_Action(message, true);
    g_RunRequest = RUN_REQUEST_FATAL;
}

} // namespace

void Run_GotoRoom(int32_t room)
{
    g_RunRequest = room;
    g_TransitionKind = 0;
    if (Room_Exists(room)) return;
    std::string message = "Unexisting room number: " + std::to_string(room);
    FatalRoomMove(message.c_str());
}

void Run_GotoPreviousRoom()
{
    if (g_CurrentRoomIndex == Room_First()) {
        FatalRoomMove("Moving to previous room before the first room.");
        return;
    }
    Run_GotoRoom(Room_Previous(g_CurrentRoomIndex));
}

void Run_GotoNextRoom()
{
    if (g_CurrentRoomIndex == Room_Last()) {
        FatalRoomMove("Moving to next room after the last room.");
        return;
    }
    Run_GotoRoom(Room_Next(g_CurrentRoomIndex));
}

void Run_RestartRoom()
{
    Run_GotoRoom(g_CurrentRoomIndex);
}

void Run_RequestGameEnd()
{
    g_RunRequest = RUN_REQUEST_END;
}

void Run_RequestGameRestart()
{
    g_RunRequest = RUN_REQUEST_RESTART;
}

void Run_SaveScreenToPng(const char* fileName)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        Error_Show_Action("Trying to save screen to empty image file name.", false);
        return;
    }
    GR_Screen_SavePng(fileName, 0, 0, GR_Window_GetWidth(), GR_Window_GetHeight());
}
