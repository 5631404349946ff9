// The virtual-key table: configuration, the per-frame touch step, saving and loading, drawing.
#include "io/IO_VirtualKey.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/Base_Ini.h"
#include "base/Base_Text.h"
#include "buffer/Buffer_IBuffer.h"
#include "code/Code_Constants.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "io/IO_Main.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Draw.h"

IOTouchPoint IO_TouchPoints[IO_TOUCH_POINTS];

namespace {

constexpr int32_t MASK_BITS = 32;
constexpr int32_t TRIANGLE_LIST = 4;
constexpr uint32_t OPAQUE_WHITE = 0xFFFFFFFFu;
constexpr float KEY_DEPTH = 0.5f;

IOVirtualKey g_Keys[IO_VIRTUAL_KEY_COUNT];
uint32_t g_Mask = 0;
char* g_TextureName = nullptr;

void IndexEntries()
{
    for (int32_t i = 0; i < IO_VIRTUAL_KEY_COUNT; ++i)
        g_Keys[i].index = static_cast<uint16_t>(i);
}

// The entries know their indices from program start: "options.ini" is read before start-up
// reaches the input module.
struct IndexedAtStart {
    IndexedAtStart() { IndexEntries(); }
} g_IndexedAtStart;

bool StartsWith(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++prefix, ++text)
        if (std::toupper(static_cast<unsigned char>(*text)) != *prefix) return false;
    return true;
}

int32_t ConstantValue(const char* name)
{
    const ScriptValue* value = Constant_Find(name);
    return value != nullptr ? static_cast<int32_t>(value->real) : 0;
}

int32_t KeyOf(const char* text)
{
    if (text == nullptr) return 0;
    if (StartsWith(text, "VK_")) return ConstantValue(text) & 0xFF;
    if (StartsWith(text, "MB_")) return 0;
    unsigned char first = static_cast<unsigned char>(text[0]);
    return first == 0 || std::isspace(first) ? 0 : first;
}

int32_t ButtonOf(const char* text)
{
    return text != nullptr && StartsWith(text, "MB_") ? ConstantValue(text) : 0;
}

void ReadEntry(const IniFile& ini, const char* section, IOVirtualKey* entry)
{
    entry->x = ini.ReadInt(section, "X", 0);
    entry->y = ini.ReadInt(section, "Y", 0);
    entry->width = ini.ReadInt(section, "W", 0);
    entry->height = ini.ReadInt(section, "H", 0);
    entry->u = ini.ReadInt(section, "U", 0);
    entry->v = ini.ReadInt(section, "V", 0);
    entry->right = entry->x + entry->width;
    entry->bottom = entry->y + entry->height;
    entry->key = KeyOf(ini.ReadString(section, "KEY", nullptr));
    entry->button = ButtonOf(ini.ReadString(section, "BUTTON", nullptr));
    entry->flags = IO_VIRTUAL_KEY_IN_USE;
}

// The size the GUI layer is drawn at: the one a script set, else the window's.
void GuiSize(int32_t* width, int32_t* height)
{
    *width = g_GUIWidth >= 0 ? g_GUIWidth : GR_Window_GetWidth();
    *height = g_GUIHeight >= 0 ? g_GUIHeight : GR_Window_GetHeight();
}

uint32_t TouchedMask()
{
    int32_t guiWidth = 0;
    int32_t guiHeight = 0;
    GuiSize(&guiWidth, &guiHeight);
    int32_t windowWidth = GR_Window_GetWidth();
    int32_t windowHeight = GR_Window_GetHeight();
    uint32_t mask = 0;
    for (IOTouchPoint& point : IO_TouchPoints) {
        if ((point.state & IO_TOUCH_ACTIVE) == 0) continue;
        point.state &= ~IO_TOUCH_ACTIVE;
        // Without a window size there is no mapping into the GUI: the point touches nothing.
        if (windowWidth == 0 || windowHeight == 0) continue;
        int64_t gx = int64_t(point.x) * guiWidth / windowWidth;
        int64_t gy = int64_t(point.y) * guiHeight / windowHeight;
        for (int32_t i = 0; i < MASK_BITS; ++i) {
            const IOVirtualKey& key = g_Keys[i];
            if ((key.flags & IO_VIRTUAL_KEY_IN_USE) != 0 && key.x <= gx && gx < key.right && key.y <= gy &&
                gy < key.bottom)
                mask |= 1u << i;
        }
    }
    return mask;
}

void SetFlags(uint8_t* pressed, uint8_t* down, uint8_t* released, bool now, bool changed)
{
    if (now && changed) *pressed = 1;
    if (now && !changed) *down = 1;
    if (!now && changed) *released = 1;
}

// A field read as its type; a failed read gives 0 (the count and version checks refuse it).
int32_t ReadNumber(IBuffer* buffer, int32_t type)
{
    double number = 0.0;
    buffer->ReadNumber(type, &number);
    return static_cast<int32_t>(number);
}

// The ten 32-bit fields of an entry in their saved order.
int32_t* SavedFields(IOVirtualKey& key, int32_t field)
{
    int32_t* fields[] = {&key.x, &key.y, &key.right, &key.bottom, &key.width, &key.height,
                         &key.u, &key.v, &key.key, &key.button};
    return fields[field];
}
constexpr int32_t SAVED_FIELDS = 10;

// Two triangles per visible entry, its GUI rectangle scaled into window pixels.
void QueueRectangles(TexturedVertex* v, float sx, float sy)
{
    for (const IOVirtualKey& key : g_Keys) {
        if ((key.flags & IO_VIRTUAL_KEY_VISIBLE) == 0) continue;
        float left = float(key.x) * sx, top = float(key.y) * sy;
        float right = float(key.right) * sx, bottom = float(key.bottom) * sy;
        const TexturedVertex corners[6] = {{left, top, KEY_DEPTH, OPAQUE_WHITE, 0, 0},
                                           {right, top, KEY_DEPTH, OPAQUE_WHITE, 0, 0},
                                           {right, bottom, KEY_DEPTH, OPAQUE_WHITE, 0, 0},
                                           {right, bottom, KEY_DEPTH, OPAQUE_WHITE, 0, 0},
                                           {left, bottom, KEY_DEPTH, OPAQUE_WHITE, 0, 0},
                                           {left, top, KEY_DEPTH, OPAQUE_WHITE, 0, 0}};
        std::memcpy(v, corners, sizeof corners);
        v += 6;
    }
}

} // namespace

void IO_Touch_Clear()
{
    std::memset(IO_TouchPoints, 0, sizeof IO_TouchPoints);
}

IOVirtualKey* IO_VirtualKey_Get(int32_t index)
{
    if (index < 0 || index >= IO_VIRTUAL_KEY_COUNT) return nullptr;
    return &g_Keys[index];
}

IOVirtualKey* IO_VirtualKey_FindFree()
{
    for (IOVirtualKey& key : g_Keys)
        if ((key.flags & IO_VIRTUAL_KEY_IN_USE) == 0) return &key;
    return nullptr;
}

void IO_VirtualKey_Delete(int32_t index)
{
    if (IOVirtualKey* key = IO_VirtualKey_Get(index)) key->flags = 0;
}

void IO_VirtualKey_DeleteAll()
{
    for (IOVirtualKey& key : g_Keys)
        key.flags = 0;
}

const char* IO_VirtualKey_TextureName()
{
    return g_TextureName;
}

void IO_VirtualKey_LoadConfig(IniFile* ini)
{
    if (ini == nullptr) return;
    const char* section = "IO_VIRTUAL_BUTTONS";
    int32_t count = ini->ReadInt(section, "NUM_BUTTONS", 0);
    if (const char* texture = ini->ReadString(section, "TEXTURE", nullptr)) {
        MemoryManager::Free(g_TextureName);
        g_TextureName = String_Copy(texture);
    }
    for (int32_t i = 0; i < count; ++i) {
        IOVirtualKey* entry = IO_VirtualKey_FindFree();
        if (entry == nullptr) continue; // a full table skips the section
        char name[32];
        std::snprintf(name, sizeof name, "IO_BUTTON_%d", static_cast<int>(i));
        ReadEntry(*ini, name, entry);
    }
}

void IO_VirtualKey_Save(IBuffer* buffer)
{
    buffer->WriteNumber(eBuffer_S32, IO_VIRTUAL_KEY_VERSION);
    buffer->WriteNumber(eBuffer_S32, IO_VIRTUAL_KEY_COUNT);
    for (IOVirtualKey& key : g_Keys) {
        buffer->WriteNumber(eBuffer_S16, key.flags);
        buffer->WriteNumber(eBuffer_S16, key.index);
        for (int32_t field = 0; field < SAVED_FIELDS; ++field)
            buffer->WriteNumber(eBuffer_S32, *SavedFields(key, field));
    }
}

bool IO_VirtualKey_Load(IBuffer* buffer)
{
    if (ReadNumber(buffer, eBuffer_S32) != IO_VIRTUAL_KEY_VERSION) return false;
    // A count beyond the table comes from a damaged or foreign save: refuse it rather than overrun.
    int32_t count = ReadNumber(buffer, eBuffer_S32);
    if (count < 0 || count > IO_VIRTUAL_KEY_COUNT) return false;
    for (int32_t i = 0; i < count; ++i) {
        IOVirtualKey& key = g_Keys[i];
        key.flags = static_cast<uint16_t>(ReadNumber(buffer, eBuffer_S16));
        key.index = static_cast<uint16_t>(ReadNumber(buffer, eBuffer_S16));
        for (int32_t field = 0; field < SAVED_FIELDS; ++field)
            *SavedFields(key, field) = ReadNumber(buffer, eBuffer_S32);
    }
    return true;
}

void IO_VirtualKey_Step()
{
    uint32_t mask = TouchedMask();
    for (int32_t i = 0; i < MASK_BITS; ++i) {
        const IOVirtualKey& key = g_Keys[i];
        if ((key.flags & IO_VIRTUAL_KEY_IN_USE) == 0) continue;
        uint32_t bit = 1u << i;
        bool now = (mask & bit) != 0;
        bool changed = ((mask ^ g_Mask) & bit) != 0;
        if (key.key > 0 && key.key < IO_KEY_COUNT) {
            SetFlags(&IO_Step.keyPressed[key.key], &IO_Step.keyDown[key.key], &IO_Step.keyReleased[key.key], now,
                     changed);
        } else if (key.key == 0 && key.button >= 1 && key.button <= IO_MOUSE_BUTTONS) {
            int32_t b = key.button - 1;
            SetFlags(&IO_Step.buttonPressed[b], &IO_Step.buttonDown[b], &IO_Step.buttonReleased[b], now, changed);
        }
    }
    g_Mask = mask;
}

uint32_t IO_VirtualKey_Mask()
{
    return g_Mask;
}

void IO_VirtualKey_DrawAll()
{
    int32_t visible = 0;
    for (const IOVirtualKey& key : g_Keys)
        if ((key.flags & IO_VIRTUAL_KEY_VISIBLE) != 0) ++visible;
    int32_t guiWidth = 0;
    int32_t guiHeight = 0;
    GuiSize(&guiWidth, &guiHeight);
    // A GUI size of 0 has no scale to the window.
    if (visible == 0 || guiWidth == 0 || guiHeight == 0) return;
    float sx = float(double(GR_Window_GetWidth()) / double(guiWidth));
    float sy = float(double(GR_Window_GetHeight()) / double(guiHeight));
    GR_D3D_PushWindowOrtho();
    auto* v = static_cast<TexturedVertex*>(
        Graphics::AllocVerts(TRIANGLE_LIST, nullptr, VERTEX_SIZE_TEXTURED, visible * 6));
    if (v != nullptr) {
        QueueRectangles(v, sx, sy);
        Graphics::Flush();
    }
    GR_D3D_PopWindowOrtho();
}

void IO_VirtualKey_MakeTable()
{
    IndexEntries();
    g_Mask = 0;
}

void IO_VirtualKey_FreeTable()
{
    IO_VirtualKey_DeleteAll();
    g_Mask = 0;
    MemoryManager::Free(g_TextureName);
    g_TextureName = nullptr;
}
