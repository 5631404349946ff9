// The running room's instance lists (adding, removing, activation), the compilation of the rooms'
// creation code before the game starts, fitting the window to the room and scrolling its layers.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Error.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Loader.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_RenderState.h"
#include "instance/Instance_List.h"
#include "object/Object_Table.h"
#include "physics/Physics_Fixture.h"
#include "room/Room_Class.h"
#include "room/Room_Definition.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"

namespace {

constexpr int32_t DUMP_LIMIT = 1000;
constexpr int32_t SMALLEST_WINDOW = 8;
constexpr size_t COMPILE_ERROR_TEXT_LIMIT = 1024;

void DestroyList(CInstanceList& list)
{
    CInstance* instance = list.m_pHead;
    while (instance != nullptr) {
        CInstance* next = instance->m_pNext;
        Instance_RemoveFromHash(instance);
        delete instance;
        instance = next;
    }
    list.Forget();
}

} // namespace

CInstance* CRoom::AddInstance(float x, float y, int32_t object)
{
    auto* instance = new CInstance(x, y, ++g_InstanceIdCounter, object, true);
    AddExisting(instance);
    if (m_pPhysicsWorld != nullptr) PhysicsFixture_ForNewInstance(m_pPhysicsWorld, instance);
    return instance;
}

void CRoom::AddExisting(CInstance* instance)
{
    m_Active.AddByDepth(instance);
    Instance_AddToHash(instance);
}

void CRoom::RemoveInstance(CInstance* instance)
{
    Instance_RemoveFromHash(instance);
    // By the list that holds it: a deactivation may still be waiting for the lists to follow.
    if (!m_Active.Remove(instance)) m_Deactivated.Remove(instance);
    if (!m_PendingCreationCode.empty()) m_PendingCreationCode.erase(instance);
    delete instance;
}

void CRoom::RemoveDeleted()
{
    // Nothing marked since the last walk over this list: nothing to remove.
    if (g_QuietLists.marked == &m_Active) return;
    g_QuietLists.marked = &m_Active;
    CInstance* instance = m_Active.m_pHead;
    while (instance != nullptr) {
        CInstance* next = instance->m_pNext;
        if (instance->IsMarked()) RemoveInstance(instance);
        instance = next;
    }
}

void CRoom::UpdateActivation()
{
    CInstance* instance = m_Deactivated.m_pHead;
    while (instance != nullptr) {
        CInstance* next = instance->m_pNext;
        if (!instance->IsDeactivated()) {
            m_Deactivated.Remove(instance);
            m_Active.AddByDepth(instance);
            Room_RegisterInObject(instance);
        }
        instance = next;
    }
    instance = m_Active.m_pHead;
    while (instance != nullptr) {
        CInstance* next = instance->m_pNext;
        if (instance->IsDeactivated()) {
            m_Active.Remove(instance);
            m_Deactivated.Append(instance);
            Room_UnregisterFromObject(instance);
        }
        instance = next;
    }
}

void CRoom::ClearActive() { DestroyList(m_Active); }

void CRoom::ClearDeactivated() { DestroyList(m_Deactivated); }

void CRoom::DumpActive()
{
    MainConsole->Output("Dump active list\n");
    int32_t shown = 0;
    for (CInstance* instance = m_Active.m_pHead; instance != nullptr && shown < DUMP_LIMIT; instance = instance->m_pNext) {
        MainConsole->Output("0x%016" PRIXPTR "\t%f\t%s\n", reinterpret_cast<uintptr_t>(instance),
                            static_cast<double>(instance->i_depth),
                            Text_Printable(Object_Name(instance->GetObjectIndex())).c_str());
        ++shown;
    }
}

void CRoom::ScrollBackgrounds()
{
    for (RoomBackground& layer : m_Backgrounds) {
        layer.x += layer.hspeed;
        layer.y += layer.vspeed;
    }
}

// ---- preparation ---------------------------------------------------------------------------------

namespace {

// Compiles one piece of creation code; a failure is shown (not fatal) with the compiler's text.
bool CompileCreationCode(CCode* code, const std::string& name)
{
    if (code->Compile(name.c_str())) return true;
    std::string text = "COMPILATION ERROR in room script\n" + g_CodeErrorText.substr(0, COMPILE_ERROR_TEXT_LIMIT);
    Error_Show(text.c_str(), false);
    return false;
}

} // namespace

void CRoom::SetCode(const char* text)
{
    SetCreationText(text);
    m_pCreationCode = nullptr;
    if (m_pCreationText == nullptr || m_pCreationText[0] == '\0') return;
    if (m_pDefinition == nullptr) InitDefinition();
    // The code keeps a pointer to its text, so the text stays with the code.
    const std::string& kept = m_pDefinition->scriptTexts.emplace_back(m_pCreationText);
    auto* code = new CCode(kept.c_str(), false);
    m_pDefinition->retiredCode.push_back(code);
    std::string name = m_pName != nullptr ? m_pName : "";
    if (CompileCreationCode(code, "Room." + name)) m_pCreationCode = code;
}

bool Room_Prepare()
{
    if (g_CompiledCode) return true;
    bool result = true;
    for (int32_t index = 0; index < Room_Count(); ++index) {
        CRoom* room = Room_Get(index);
        if (room == nullptr) continue;
        std::string name = room->m_pName != nullptr ? room->m_pName : "";
        if (room->m_pCreationText != nullptr && room->m_pCreationText[0] != '\0' && room->m_pCreationCode != nullptr) {
            result = CompileCreationCode(room->m_pCreationCode, "Room." + name);
            if (!result) return false;
        }
        if (room->m_pDefinition == nullptr) continue;
        std::vector<RoomInstanceDef>& entries = room->m_pDefinition->instances;
        for (size_t j = 0; j < entries.size(); ++j) {
            CCode* code = entries[j].present ? entries[j].code : nullptr;
            // A definition shared by several rooms is compiled once.
            if (code == nullptr || code->m_Compiled) continue;
            result = CompileCreationCode(code, "Instance." + name + "." + std::to_string(j));
            if (!result) break;
        }
    }
    return result;
}

// ---- the window ----------------------------------------------------------------------------------

namespace {

// A display size of 0 or less is unknown (no display yet) and limits nothing.
int32_t ClampTo(int32_t value, int32_t limit) { return limit > 0 && value > limit ? limit : value; }

} // namespace

void Room_WindowSize(const CRoom& room, int32_t& width, int32_t& height)
{
    width = room.m_Width;
    height = room.m_Height;
    if (room.m_EnableViews == 0) return;
    width = SMALLEST_WINDOW;
    height = SMALLEST_WINDOW;
    for (const RoomView& view : room.m_Views) {
        if (view.visible == 0) continue;
        if (view.xport + view.wport > width) width = view.xport + view.wport;
        if (view.yport + view.hport > height) height = view.yport + view.hport;
    }
}

void Room_SetWindowSize()
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    int32_t width = 0, height = 0;
    Room_WindowSize(*room, width, height);
    width = ClampTo(width, Display_GetWidth());
    height = ClampTo(height, Display_GetHeight());
    if (width != GR_Window_GetWidth() || height != GR_Window_GetHeight()) GR_SetScreenSize(width, height);
}
