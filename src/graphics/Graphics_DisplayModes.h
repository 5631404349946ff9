// The display side of the display built-ins and of device creation: the adapters with their display
// modes, the choice of a mode for a wanted size, the desktop's settings and the mouse on the display.
// The platform half (graphics/sdl/) reads the displays.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/Graphics_DeviceApi.h"

struct DisplayModeRecord {
    int16_t width;
    int16_t height;
    uint8_t bitsPerPixel; // 16 or 32
    uint8_t refreshRate;
    int16_t number; // the mode's number in the display's mode list
    int32_t adapter;
};
static_assert(sizeof(DisplayModeRecord) == 12, "a mode record is 12 bytes");

enum : uint32_t { ADAPTER_PORTRAIT = 1, ADAPTER_SUBORDINATE = 2 };

struct AdapterRecord {
    uint32_t flags = 0;
    int32_t groupCount = 0;
    int32_t modeCount = 0;
    DisplayModeRecord* modes = nullptr; // memory manager
    D3DCaps caps;
    D3DAdapterIdentifier identifier;
    char16_t deviceName[32] = {};
    int32_t desktopX = 0;
    int32_t desktopY = 0;
    int32_t desktopWidth = 640;
    int32_t desktopHeight = 480;
    int32_t desktopBits = 8;
    int32_t desktopRefresh = 60;
    int32_t monitor = -1; // the platform's display index
    int32_t ordinal = 0;
    int32_t masterOrdinal = 0;
    AdapterRecord* master = nullptr;
    AdapterRecord* nextInGroup = nullptr;
};

extern std::vector<AdapterRecord*> g_Adapters;

// Builds the adapter table once from the device interface (adapters with a hardware device only).
void GR_D3D_EnumerateAdapters();
void GR_D3D_FreeAdapters();
// The mode of the first adapter for width x height, or null when it has none.
const DisplayModeRecord* GR_D3D_FindMode(int32_t width, int32_t height);
// The choice itself: the smallest mode that holds the size, else the nearest in area (32 bits, then
// the refresh rate nearest 60 Hz, deciding between equals).
const DisplayModeRecord* GR_D3D_ChooseMode(const DisplayModeRecord* modes, int32_t count, int32_t width,
                                           int32_t height);

int32_t Display_GetWidth();
int32_t Display_GetHeight();
int32_t Display_GetFrequency();
int32_t Display_GetColourDepth();
bool Display_TestAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);
bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);
bool Display_SetSize(int32_t width, int32_t height);
bool Display_SetFrequency(int32_t frequency);
bool Display_SetColourDepth(int32_t depth);
int32_t Display_MouseGetX();
int32_t Display_MouseGetY();
void Display_MouseSet(int32_t x, int32_t y);

// A settings change names only the fields given as positive values.
enum : uint32_t {
    DISPLAY_FIELD_WIDTH = 1,
    DISPLAY_FIELD_HEIGHT = 2,
    DISPLAY_FIELD_FREQUENCY = 4,
    DISPLAY_FIELD_DEPTH = 8,
};
struct DisplaySettings {
    uint32_t fields = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frequency = 0;
    int32_t depth = 0;
};
DisplaySettings Display_MakeSettings(int32_t width, int32_t height, int32_t frequency, int32_t depth);

// Applies a change: in a window (or where modes cannot be switched) true only when the display
// already is in such a mode; in full screen the listed mode that Display_TestAll would accept, the
// rest of the current mode kept where possible, is switched to.
bool Display_Change(const DisplaySettings& settings, bool testOnly);
// Gives the display back its desktop mode when the game switched it (leaving full screen, shut-down).
void Display_RestoreDesktopMode();

// ---- the platform half ----

struct PlatformDisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0; // 32 for every mode of 4-byte pixels
    int32_t refreshRate = 0;  // 0 when the display does not say
};
struct PlatformDesktop {
    int32_t x = 0;
    int32_t y = 0;
    PlatformDisplayMode mode; // the mode on screen now
};

// The displays as the platform reports them, and the one switch of a display's mode: exclusive full
// screen for the game's window. SDL's is the default; tests put a display of their own in its place.
class DisplayPlatform {
public:
    virtual ~DisplayPlatform() = default;
    virtual int32_t Count() = 0;
    virtual bool Desktop(int32_t display, PlatformDesktop* desktop) = 0;
    virtual std::vector<PlatformDisplayMode> Modes(int32_t display) = 0;
    // Whether the primary display's mode can be switched at all.
    virtual bool CanSwitchModes() = 0;
    // Puts the game's window in exclusive full screen in this mode of the primary display.
    virtual bool SwitchMode(const PlatformDisplayMode& mode) = 0;
    // The primary display back in its desktop mode.
    virtual void RestoreMode() = 0;
    virtual bool MousePosition(int32_t* x, int32_t* y) = 0;
    virtual void MoveMouse(int32_t x, int32_t y) = 0;
};

DisplayPlatform& DisplayPlatform_Get();
// Null puts SDL's back.
void DisplayPlatform_Replace(DisplayPlatform* platform);
DisplayPlatform* DisplayPlatform_CreateSDL();
