#include "run/Run_EventNames.h"

#include <cstdio>

#include "object/Object_Table.h"

namespace {

struct NamedCode {
    int32_t code;
    const char* name;
};

const NamedCode KEY_NAMES[] = {
    {0, "<no key>"},     {1, "<any key>"},   {8, "<Backspace>"},  {9, "<Tab>"},       {13, "<Enter>"},
    {16, "<Shift>"},     {17, "<Ctrl>"},     {18, "<Alt>"},       {27, "<Escape>"},   {32, "<Space>"},
    {33, "<Page Up>"},   {34, "<Page Down>"}, {35, "<End>"},      {36, "<Home>"},     {37, "<Left>"},
    {38, "<Up>"},        {39, "<Right>"},    {40, "<Down>"},      {45, "<Insert>"},   {46, "<Delete>"},
    {106, "Keypad *"},   {107, "Keypad +"},  {109, "Keypad -"},   {110, "Keypad ."},  {111, "Keypad /"},
};

const NamedCode MOUSE_NAMES[] = {
    {0, "Left Button"},         {1, "Right Button"},         {2, "Middle Button"},        {3, "No Button"},
    {4, "Left Pressed"},        {5, "Right Pressed"},        {6, "Middle Pressed"},       {7, "Left Released"},
    {8, "Right Released"},      {9, "Middle Released"},      {10, "Mouse Enter"},         {11, "Mouse Leave"},
    {16, "Joystick 1 Left"},    {17, "Joystick 1 Right"},    {18, "Joystick 1 Up"},       {19, "Joystick 1 Down"},
    {31, "Joystick 2 Left"},    {32, "Joystick 2 Right"},    {33, "Joystick 2 Up"},       {34, "Joystick 2 Down"},
    {50, "Glob Left Button"},   {51, "Glob Right Button"},   {52, "Glob Middle Button"},  {53, "Glob Left Pressed"},
    {54, "Glob Right Pressed"}, {55, "Glob Middle Pressed"}, {56, "Glob Left Released"},  {57, "Glob Right Released"},
    {58, "Glob Middle Released"}, {60, "Mouse Wheel Up"},    {61, "Mouse Wheel Down"},
};

const NamedCode OTHER_NAMES[] = {
    {0, "Outside Room"}, {1, "Intersect Boundary"}, {2, "Game Start"},    {3, "Game End"},
    {4, "Room Start"},   {5, "Room End"},           {6, "No More Lives"}, {7, "Animation End"},
    {8, "End Of Path"},  {9, "No More Health"},     {30, "Close Button"},
};

const NamedCode ASYNC_NAMES[] = {
    {60, "Image Loaded"}, {61, "Sound Loaded"}, {62, "HTTP"},       {63, "Dialog"},
    {66, "IAP"},          {67, "Cloud"},        {68, "Networking"}, {69, "Steam"},
};

template <size_t N> const char* Lookup(const NamedCode (&table)[N], int32_t code)
{
    for (const NamedCode& entry : table)
        if (entry.code == code) return entry.name;
    return nullptr;
}

const char* UNKNOWN = "<unknown>";
const char* UNKNOWN_EVENT = "<Unknown Event>";

char g_KeyName[64];
char g_MouseName[64];
char g_OtherName[64];
char g_ShortName[512];
char g_LongName[512];

} // namespace

const char* Event_GetStepName(int32_t subtype)
{
    if (subtype == 1) return "Begin";
    if (subtype == 2) return "End";
    return "";
}

const char* Event_GetKeyName(int32_t code)
{
    if (const char* name = Lookup(KEY_NAMES, code)) return name;
    if ((code >= 48 && code <= 57) || (code >= 65 && code <= 90))
        std::snprintf(g_KeyName, sizeof g_KeyName, "%c-key", static_cast<char>(code));
    else if (code >= 96 && code <= 105)
        std::snprintf(g_KeyName, sizeof g_KeyName, "Keypad-%d", code - 96);
    else if (code >= 112 && code <= 123)
        std::snprintf(g_KeyName, sizeof g_KeyName, "F%d", code - 111);
    else
        return UNKNOWN;
    return g_KeyName;
}

const char* Event_GetMouseName(int32_t subtype)
{
    if (const char* name = Lookup(MOUSE_NAMES, subtype)) return name;
    if (subtype >= 21 && subtype <= 28)
        std::snprintf(g_MouseName, sizeof g_MouseName, "Joystick 1 Button %d", subtype - 20);
    else if (subtype >= 36 && subtype <= 43)
        std::snprintf(g_MouseName, sizeof g_MouseName, "Joystick 2 Button %d", subtype - 35);
    else
        return UNKNOWN;
    return g_MouseName;
}

const char* Event_GetOtherName(int32_t subtype)
{
    if (const char* name = Lookup(OTHER_NAMES, subtype)) return name;
    if (subtype >= 10 && subtype <= 25)
        std::snprintf(g_OtherName, sizeof g_OtherName, "User Defined %d", subtype - 10);
    else if (subtype >= 40 && subtype <= 47)
        std::snprintf(g_OtherName, sizeof g_OtherName, "Outside View %d", subtype - 40);
    else if (subtype >= 50 && subtype <= 57)
        std::snprintf(g_OtherName, sizeof g_OtherName, "Boundary View %d", subtype - 50);
    else
        return UNKNOWN;
    return g_OtherName;
}

const char* Event_GetAsyncName(int32_t subtype)
{
    const char* name = Lookup(ASYNC_NAMES, subtype);
    return name != nullptr ? name : UNKNOWN;
}

const char* Event_GetShortName(int32_t type, int32_t subtype)
{
    char* out = g_ShortName;
    size_t size = sizeof g_ShortName;
    switch (type) {
    case 0: return "Create";
    case 1: return "Destroy";
    case 2: std::snprintf(out, size, "Alarm %d", subtype); break;
    case 3: std::snprintf(out, size, "%s%s", Event_GetStepName(subtype), "Step"); break;
    case 4: std::snprintf(out, size, "%s", Object_Name(subtype)); break;
    case 5: std::snprintf(out, size, "%s", Event_GetKeyName(subtype)); break;
    case 6: std::snprintf(out, size, "%s", Event_GetMouseName(subtype)); break;
    case 7:
        std::snprintf(out, size, "%s", subtype < 60 ? Event_GetOtherName(subtype) : Event_GetAsyncName(subtype));
        break;
    case 8: return "Draw";
    case 9: std::snprintf(out, size, "press %s", Event_GetKeyName(subtype)); break;
    case 10: std::snprintf(out, size, "release %s", Event_GetKeyName(subtype)); break;
    default: return UNKNOWN_EVENT;
    }
    return out;
}

const char* Event_GetName(int32_t type, int32_t subtype)
{
    char* out = g_LongName;
    size_t size = sizeof g_LongName;
    switch (type) {
    case 0: return "Create Event";
    case 1: return "Destroy Event";
    case 2: std::snprintf(out, size, "Alarm Event for alarm %d", subtype); break;
    case 3: std::snprintf(out, size, " Step Event%d", subtype); break;
    case 4: std::snprintf(out, size, "Collision Event with object %s", Object_Name(subtype)); break;
    case 5: std::snprintf(out, size, "%s%s%s", "Keyboard Event for ", Event_GetKeyName(subtype), " Key"); break;
    case 6: std::snprintf(out, size, "%s%s", "Mouse Event for ", Event_GetMouseName(subtype)); break;
    case 7:
        if (subtype < 60) std::snprintf(out, size, "Other Event: %s", Event_GetOtherName(subtype));
        else std::snprintf(out, size, "Web Event: %s", Event_GetAsyncName(subtype));
        break;
    case 8: return "Draw Event";
    case 9: std::snprintf(out, size, "Key Press Event for %s Key", Event_GetKeyName(subtype)); break;
    case 10: std::snprintf(out, size, "Key Release Event for %s Key", Event_GetKeyName(subtype)); break;
    default: return UNKNOWN_EVENT;
    }
    return out;
}
