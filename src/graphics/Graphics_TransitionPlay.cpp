// Room transitions played: the capture of the two rooms' pictures into surfaces and the 21 ways of
// blending from one to the other over a run of presented frames.
#include <cmath>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Transition.h"
#include "room/Room_Draw.h"
#include "run/Run_Globals.h"

namespace {

int32_t g_OldSurface = -1;
int32_t g_NewSurface = -1;
// The surfaces' creation numbers: a device reset frees the surfaces, and a slot a script then
// takes again must not be drawn or freed as the transition's.
uint32_t g_OldSerial = 0;
uint32_t g_NewSerial = 0;

constexpr uint32_t WHITE = 0xFFFFFF;
constexpr double PI = 3.14159265358979323846;

// The screen size and the fraction of a transition frame.
struct Frame {
    int32_t w;
    int32_t h;
    double f;
};

int32_t Round(double v)
{
    return Numbers_RoundToInt32(v);
}

// The surface when it is still the one the transition made, else -1.
int32_t Own(int32_t index, uint32_t serial)
{
    return index >= 0 && Surface_GetSerial(index) == serial ? index : -1;
}

int32_t Make(int32_t w, int32_t h, uint32_t* serial)
{
    int32_t index = Surface_Create(w, h);
    *serial = Surface_GetSerial(index);
    return index;
}

void FreeSurface(int32_t* index, uint32_t serial)
{
    if (Own(*index, serial) >= 0) Surface_Free(*index);
    *index = -1;
}

void DrawOld(float x = 0, float y = 0)
{
    GR_Surface_Draw(Own(g_OldSurface, g_OldSerial), x, y);
}

void DrawNew(float x = 0, float y = 0)
{
    GR_Surface_Draw(Own(g_NewSurface, g_NewSerial), x, y);
}

// A part of the new picture drawn where it lies in the picture.
void NewPart(int32_t left, int32_t top, int32_t width, int32_t height)
{
    GR_Surface_DrawPart(Own(g_NewSurface, g_NewSerial), float(left), float(top), float(width), float(height), float(left),
                        float(top), 1, 1, WHITE, 1.0);
}

// Where a reveal along one axis starts and how long it is: from the start (dir 1), from the end
// (dir -1) or all of it (dir 0).
void RevealSpan(int32_t size, double f, int32_t dir, int32_t* start, int32_t* length)
{
    *start = 0;
    *length = dir == 0 ? size : Round(size * f);
    if (dir < 0) *start = size - *length;
}

void Reveal(const Frame& fr, int32_t dx, int32_t dy, double f)
{
    DrawOld();
    int32_t left, width, top, height;
    RevealSpan(fr.w, f, dx, &left, &width);
    RevealSpan(fr.h, f, dy, &top, &height);
    NewPart(left, top, width, height);
}

void CentreReveal(const Frame& fr)
{
    DrawOld();
    int32_t width = Round(fr.w * fr.f), height = Round(fr.h * fr.f);
    NewPart(Round((fr.w - fr.w * fr.f) / 2), Round((fr.h - fr.h * fr.f) / 2), width, height);
}

// Where the new picture lies while it slides or pushes in.
void DrawNewSlidingIn(const Frame& fr, int32_t dx, int32_t dy)
{
    DrawNew(float((Round(fr.w * fr.f) - fr.w) * dx), float((Round(fr.h * fr.f) - fr.h) * dy));
}

void Slide(const Frame& fr, int32_t dx, int32_t dy)
{
    DrawOld();
    DrawNewSlidingIn(fr, dx, dy);
}

void Push(const Frame& fr, int32_t dx, int32_t dy)
{
    DrawOld(float(Round(fr.w * fr.f) * dx), float(Round(fr.h * fr.f) * dy));
    DrawNewSlidingIn(fr, dx, dy);
}

bool BandDue(int32_t dir, int32_t j, int32_t i, int32_t half)
{
    return dir >= 1 ? j <= i : j >= half - i;
}

void Interlace(const Frame& fr, int32_t dx, int32_t dy)
{
    int32_t n = GR_Transition_GetSteps();
    int32_t i = Round(n * fr.f);
    if (i == n) {
        DrawNew();
        return;
    }
    int32_t half = n / 2;
    if (i > half)
        Reveal(fr, dx, dy, double(i - half) / double(half));
    else
        DrawOld();
    for (int32_t j = 0; j <= half; ++j) {
        if (dx != 0 && BandDue(dx, j, i, half))
            NewPart(Round(2.0 * j * fr.w / n), 0, Round(double(fr.w) / n), fr.h);
        if (dy != 0 && BandDue(dy, j, i, half))
            NewPart(0, Round(2.0 * j * fr.h / n), fr.w, Round(double(fr.h) / n));
    }
}

// The new picture turns a whole number of times while it grows about the screen's centre.
void Spin(const Frame& fr, int32_t way)
{
    double a = 2.0 * PI * std::sqrt(fr.f) * way;
    double s = std::sin(a) * fr.f, c = std::cos(a) * fr.f;
    int32_t hw = fr.w / 2, hh = fr.h / 2;
    double x = hw - s * hh - c * hw;
    double y = hh - c * hh + s * hw;
    DrawOld();
    GR_Surface_DrawExt(Own(g_NewSurface, g_NewSerial), float(x), float(y), float(fr.f), float(fr.f), a * 180.0 / PI,
                       WHITE, 1.0);
}

void Blend(const Frame& fr)
{
    DrawOld();
    GR_Surface_DrawExt(Own(g_NewSurface, g_NewSerial), 0, 0, 1, 1, 0, WHITE, fr.f);
}

void Fade(const Frame& fr)
{
    GR_Draw_Clear(0);
    if (fr.f > 0.5)
        GR_Surface_DrawExt(Own(g_NewSurface, g_NewSerial), 0, 0, 1, 1, 0, WHITE, 2 * fr.f - 1);
    else
        GR_Surface_DrawExt(Own(g_OldSurface, g_OldSerial), 0, 0, 1, 1, 0, WHITE, 1 - 2 * fr.f);
}

// Kinds 1 to 17 by their drawing and direction.
enum Way : uint8_t { REVEAL, CENTRE, SLIDE, INTERLACE, PUSH };
struct KindRule {
    Way way;
    int8_t dx;
    int8_t dy;
};
const KindRule KIND_RULES[17] = {
    {REVEAL, 1, 0},    {REVEAL, -1, 0},    {REVEAL, 0, 1},    {REVEAL, 0, -1},    {CENTRE, 1, 1},
    {SLIDE, 1, 0},     {SLIDE, -1, 0},     {SLIDE, 0, 1},     {SLIDE, 0, -1},     {INTERLACE, 1, 0},
    {INTERLACE, -1, 0}, {INTERLACE, 0, 1}, {INTERLACE, 0, -1}, {PUSH, 1, 0},      {PUSH, -1, 0},
    {PUSH, 0, 1},      {PUSH, 0, -1},
};

void Log(const char* line)
{
    MainConsole->Output("%s\n", line);
}

} // namespace

int32_t GR_Transition_OldSurface()
{
    return Own(g_OldSurface, g_OldSerial);
}

int32_t GR_Transition_NewSurface()
{
    return Own(g_NewSurface, g_NewSerial);
}

void GR_Transition_DrawStep(int32_t kind, double f)
{
    Frame fr{0, 0, f};
    GR_GetScreenSize(&fr.w, &fr.h);
    if (kind >= 1 && kind <= 17) {
        const KindRule& rule = KIND_RULES[kind - 1];
        switch (rule.way) {
        case REVEAL: Reveal(fr, rule.dx, rule.dy, f); return;
        case CENTRE: CentreReveal(fr); return;
        case SLIDE: Slide(fr, rule.dx, rule.dy); return;
        case INTERLACE: Interlace(fr, rule.dx, rule.dy); return;
        case PUSH: Push(fr, rule.dx, rule.dy); return;
        }
    }
    if (kind == 18) Spin(fr, 1);
    if (kind == 19) Spin(fr, -1);
    if (kind == 20) Blend(fr);
    if (kind == 21) Fade(fr);
}

bool GR_Transition_Start(int32_t kind)
{
    g_TransitionKind = kind;
    if (!TransFunctionExists(kind)) return true;
    int32_t w = 0, h = 0;
    GR_GetScreenSize(&w, &h);
    FreeSurface(&g_OldSurface, g_OldSerial);
    g_OldSurface = Make(w, h, &g_OldSerial);
    if (g_OldSurface < 0) {
        g_TransitionKind = -1;
        return true;
    }
    Surface_SetTarget(g_OldSurface);
    int32_t request = g_RunRequest;
    g_RunRequest = RUN_REQUEST_NONE;
    Room_Draw();
    g_RunRequest = request;
    FreeSurface(&g_NewSurface, g_NewSerial);
    g_NewSurface = Make(w, h, &g_NewSerial);
    if (g_NewSurface >= 0) {
        Surface_SetTarget(g_NewSurface);
        return true;
    }
    g_TransitionKind = -1;
    Surface_ResetTarget();
    FreeSurface(&g_OldSurface, g_OldSerial);
    return true;
}

bool GR_Transition_Finish()
{
    Log("GR_Transition_Finish");
    int32_t kind = g_TransitionKind;
    if (!TransFunctionExists(kind)) {
        Log("FALSE: GR_D3D_Finish_Frame");
        bool ended = GR_EndFrame(true);
        Log("return FALSE");
        return ended;
    }
    Log("TF: 1");
    Surface_ResetTarget();
    int32_t steps = GR_Transition_GetSteps();
    MainConsole->Output("TF: 2  - %d\n", steps);
    for (int32_t i = 0; i <= steps; ++i) {
        Log("TF: 2.1");
        GR_StartFrame();
        Log("TF: 2.2");
        Log("TransFunctionExists()");
        Log("TF: 2.3 -2");
        GR_Transition_DrawStep(kind, double(i) / double(steps));
        Log("TF: 2.4");
        GR_EndFrame(true);
    }
    Log("TF: 3");
    FreeSurface(&g_OldSurface, g_OldSerial);
    Log("TF: 4");
    FreeSurface(&g_NewSurface, g_NewSerial);
    Log("TF: 5");
    return false;
}
