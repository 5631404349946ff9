#include "graphics/Graphics_DisplayModes.h"

#include <cmath>
#include <utility>

#include "base/Base_Console.h"

#include "graphics/Graphics_Device.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Window.h"

std::vector<AdapterRecord*> g_Adapters;

namespace {

DisplayPlatform* g_Replacement = nullptr;
bool g_ModeSwitched = false; // the game put the display in a mode of its own

DisplayPlatform& Platform()
{
    return DisplayPlatform_Get();
}

// A given refresh rate needs a mode that reports that rate.
bool Matches(const DisplaySettings& s, const PlatformDisplayMode& m)
{
    return ((s.fields & DISPLAY_FIELD_WIDTH) == 0 || s.width == m.width) &&
           ((s.fields & DISPLAY_FIELD_HEIGHT) == 0 || s.height == m.height) &&
           ((s.fields & DISPLAY_FIELD_FREQUENCY) == 0 || s.frequency == m.refreshRate) &&
           ((s.fields & DISPLAY_FIELD_DEPTH) == 0 || s.depth == m.bitsPerPixel);
}

// The settings with the fields they leave out taken from the current mode.
DisplaySettings Completed(DisplaySettings s, const PlatformDisplayMode& current)
{
    const std::pair<uint32_t, std::pair<int32_t*, int32_t>> fields[] = {
        {DISPLAY_FIELD_WIDTH, {&s.width, current.width}},
        {DISPLAY_FIELD_HEIGHT, {&s.height, current.height}},
        {DISPLAY_FIELD_FREQUENCY, {&s.frequency, current.refreshRate}},
        {DISPLAY_FIELD_DEPTH, {&s.depth, current.bitsPerPixel}}};
    for (const auto& [field, value] : fields) {
        if ((s.fields & field) != 0) continue;
        s.fields |= field;
        *value.first = value.second;
    }
    return s;
}

// The listed mode a change goes to: the one keeping the most of the current mode, else the first the
// settings match; null when none does.
const PlatformDisplayMode* ChooseListedMode(const std::vector<PlatformDisplayMode>& modes, const DisplaySettings& s,
                                            const PlatformDisplayMode& current)
{
    DisplaySettings whole = Completed(s, current);
    for (const PlatformDisplayMode& m : modes)
        if (Matches(whole, m)) return &m;
    for (const PlatformDisplayMode& m : modes)
        if (Matches(s, m)) return &m;
    return nullptr;
}

AdapterRecord* FindAdapter(int32_t ordinal)
{
    for (AdapterRecord* a : g_Adapters) {
        if (a->ordinal == ordinal) return a;
    }
    return nullptr;
}

void ReadAdapter(D3DInterface* d3d, int32_t ordinal, const D3DCaps& caps)
{
    auto* a = new AdapterRecord();
    a->ordinal = ordinal;
    a->caps = caps;
    a->groupCount = caps.numberOfAdaptersInGroup;
    d3d->GetAdapterIdentifier(ordinal, &a->identifier);
    for (size_t i = 0; i + 1 < 32 && a->identifier.deviceName[i] != 0; ++i)
        a->deviceName[i] = char16_t(uint8_t(a->identifier.deviceName[i]));
    PlatformDesktop desktop;
    if (Platform().Desktop(ordinal, &desktop)) {
        a->desktopX = desktop.x;
        a->desktopY = desktop.y;
        a->desktopWidth = desktop.mode.width;
        a->desktopHeight = desktop.mode.height;
        a->desktopBits = desktop.mode.bitsPerPixel;
        a->desktopRefresh = desktop.mode.refreshRate;
    }
    a->monitor = ordinal;
    std::vector<PlatformDisplayMode> all = Platform().Modes(ordinal);
    int32_t usable = 0;
    for (const PlatformDisplayMode& m : all)
        usable += (m.bitsPerPixel == 16 || m.bitsPerPixel == 32) ? 1 : 0;
    a->modeCount = usable;
    a->modes = static_cast<DisplayModeRecord*>(MEM_ALLOC(sizeof(DisplayModeRecord) * size_t(usable), true));
    int32_t next = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        const PlatformDisplayMode& m = all[i];
        if (m.bitsPerPixel != 16 && m.bitsPerPixel != 32) continue;
        a->modes[next++] =
            DisplayModeRecord{int16_t(m.width),       int16_t(m.height), uint8_t(m.bitsPerPixel),
                              uint8_t(m.refreshRate), int16_t(i),        ordinal};
    }
    if (a->desktopWidth < a->desktopHeight) a->flags |= ADAPTER_PORTRAIT;
    if (a->groupCount == 0) {
        a->flags |= ADAPTER_SUBORDINATE;
        a->masterOrdinal = caps.masterAdapterOrdinal;
    }
    g_Adapters.push_back(a);
}

} // namespace

void GR_D3D_EnumerateAdapters()
{
    D3DInterface* d3d = g_D3D.d3d;
    if (d3d == nullptr || !g_Adapters.empty()) return;
    int32_t count = d3d->GetAdapterCount();
    for (int32_t ordinal = 0; ordinal < count; ++ordinal) {
        D3DCaps caps;
        if (d3d->GetDeviceCaps(ordinal, &caps) != D3D_OK || caps.deviceType != D3DDEVTYPE_HAL) continue;
        ReadAdapter(d3d, ordinal, caps);
    }
    for (AdapterRecord* a : g_Adapters) {
        if ((a->flags & ADAPTER_SUBORDINATE) == 0) continue;
        AdapterRecord* master = FindAdapter(a->masterOrdinal);
        if (master == nullptr) continue;
        a->master = master;
        a->nextInGroup = master->nextInGroup;
        master->nextInGroup = a;
    }
}

void GR_D3D_FreeAdapters()
{
    for (AdapterRecord* a : g_Adapters) {
        MemoryManager::Free(a->modes);
        delete a;
    }
    g_Adapters.clear();
}

const DisplayModeRecord* GR_D3D_ChooseMode(const DisplayModeRecord* modes, int32_t count, int32_t width,
                                           int32_t height)
{
    const DisplayModeRecord* chosen = nullptr;
    int64_t bestWidthExcess = 999999999;
    int64_t bestHeightExcess = 999999999;
    for (int32_t i = 0; i < count; ++i) {
        int64_t heightExcess = int64_t(modes[i].height) - height;
        int64_t widthExcess = int64_t(modes[i].width) - width;
        if (heightExcess >= 0 && heightExcess < bestHeightExcess && widthExcess >= 0 &&
            widthExcess < bestWidthExcess) {
            chosen = &modes[i];
            bestHeightExcess = heightExcess;
            bestWidthExcess = widthExcess;
        }
    }
    if (chosen != nullptr) return chosen;
    double area = double(width) * double(height);
    double bestRatio = 99999999.0;
    for (int32_t i = 0; i < count; ++i) {
        const DisplayModeRecord& m = modes[i];
        double ratio = area > 0.0 ? std::fabs(1.0 - double(m.width) * double(m.height) / area) : 0.0;
        if (ratio < bestRatio) {
            chosen = &m;
            bestRatio = ratio;
        } else if (ratio == bestRatio && chosen != nullptr) {
            bool replace = chosen->bitsPerPixel != 32
                               ? m.bitsPerPixel == 32
                               : m.bitsPerPixel == 32 &&
                                     std::abs(m.refreshRate - 60) < std::abs(chosen->refreshRate - 60);
            if (replace) chosen = &m;
        }
    }
    return chosen;
}

const DisplayModeRecord* GR_D3D_FindMode(int32_t width, int32_t height)
{
    if (g_Adapters.empty()) return nullptr;
    const AdapterRecord* first = g_Adapters.front();
    return GR_D3D_ChooseMode(first->modes, first->modeCount, width, height);
}

int32_t Display_GetWidth()
{
    PlatformDesktop desktop;
    return Platform().Desktop(0, &desktop) ? desktop.mode.width : 0;
}

int32_t Display_GetHeight()
{
    PlatformDesktop desktop;
    return Platform().Desktop(0, &desktop) ? desktop.mode.height : 0;
}

int32_t Display_GetFrequency()
{
    PlatformDesktop desktop;
    if (!Platform().Desktop(0, &desktop) || desktop.mode.refreshRate <= 0) return -1;
    return desktop.mode.refreshRate;
}

int32_t Display_GetColourDepth()
{
    PlatformDesktop desktop;
    return Platform().Desktop(0, &desktop) ? desktop.mode.bitsPerPixel : -1;
}

DisplaySettings Display_MakeSettings(int32_t width, int32_t height, int32_t frequency, int32_t depth)
{
    DisplaySettings s;
    if (width > 0) {
        s.fields |= DISPLAY_FIELD_WIDTH;
        s.width = width;
    }
    if (height > 0) {
        s.fields |= DISPLAY_FIELD_HEIGHT;
        s.height = height;
    }
    if (frequency > 0) {
        s.fields |= DISPLAY_FIELD_FREQUENCY;
        s.frequency = frequency;
    }
    if (depth > 0) {
        s.fields |= DISPLAY_FIELD_DEPTH;
        s.depth = depth;
    }
    return s;
}

bool Display_TestAll(int32_t width, int32_t height, int32_t frequency, int32_t depth)
{
    return Display_Change(Display_MakeSettings(width, height, frequency, depth), true);
}

bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth)
{
    return Display_Change(Display_MakeSettings(width, height, frequency, depth), false);
}

bool Display_Change(const DisplaySettings& settings, bool testOnly)
{
    DisplayPlatform& platform = Platform();
    std::vector<PlatformDisplayMode> modes = platform.Modes(0);
    PlatformDesktop desktop;
    bool known = platform.Desktop(0, &desktop);
    if (testOnly) {
        for (const PlatformDisplayMode& m : modes)
            if (Matches(settings, m)) return true;
        return false;
    }
    if (known && Matches(settings, desktop.mode)) return true;
    if (!known || !g_D3D.fullscreen || !platform.CanSwitchModes()) {
        MainConsole->Output("The display settings cannot be changed here; they stay as they are\n");
        return false;
    }
    const PlatformDisplayMode* mode = ChooseListedMode(modes, settings, desktop.mode);
    if (mode == nullptr || !platform.SwitchMode(*mode)) return false;
    g_ModeSwitched = true;
    return true;
}

void Display_RestoreDesktopMode()
{
    if (!g_ModeSwitched) return;
    g_ModeSwitched = false;
    Platform().RestoreMode();
}

DisplayPlatform& DisplayPlatform_Get()
{
    static DisplayPlatform* sdl = DisplayPlatform_CreateSDL();
    return g_Replacement != nullptr ? *g_Replacement : *sdl;
}

void DisplayPlatform_Replace(DisplayPlatform* platform)
{
    g_Replacement = platform;
    g_ModeSwitched = false;
}

bool Display_SetSize(int32_t width, int32_t height)
{
    return Display_SetAll(width, height, 0, 0);
}
bool Display_SetFrequency(int32_t frequency)
{
    return Display_SetAll(0, 0, frequency, 0);
}
bool Display_SetColourDepth(int32_t depth)
{
    return Display_SetAll(0, 0, 0, depth);
}

int32_t Display_MouseGetX()
{
    int32_t x = 0;
    int32_t y = 0;
    Platform().MousePosition(&x, &y);
    return x;
}

int32_t Display_MouseGetY()
{
    int32_t x = 0;
    int32_t y = 0;
    Platform().MousePosition(&x, &y);
    return y;
}

void Display_MouseSet(int32_t x, int32_t y)
{
    if (g_WindowHasFocus != 0) Platform().MoveMouse(x, y);
}
