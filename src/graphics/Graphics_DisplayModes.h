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

// ---- the platform half ----

struct PlatformDisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0; // 32 for every mode of 4-byte pixels
    int32_t refreshRate = 0;
};
struct PlatformDesktop {
    int32_t x = 0;
    int32_t y = 0;
    PlatformDisplayMode mode;
};
int32_t DisplayPlatform_Count();
bool DisplayPlatform_Desktop(int32_t display, PlatformDesktop* desktop);
std::vector<PlatformDisplayMode> DisplayPlatform_Modes(int32_t display);
// Asks the platform to apply (or, when testOnly, only to test) settings for the current session.
bool DisplayPlatform_Change(const DisplaySettings& settings, bool testOnly);
bool DisplayPlatform_MousePosition(int32_t* x, int32_t* y);
void DisplayPlatform_MoveMouse(int32_t x, int32_t y);
