#include "instance/Instance_Class.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "physics/Physics_World.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_List.h"

uint64_t g_EventStamp = 0;
uint32_t g_InstanceShapeGeneration = 0;
int32_t g_InstanceVariableSlots = 0;
InstanceChangeList g_InstanceObjectChanges;
InstanceChangeList g_InstanceDepthChanges;

// ---- change lists --------------------------------------------------------------------------------

void InstanceChangeList::Add(CInstance* instance)
{
    for (int32_t i = 0; i < count; ++i) {
        if (items[i] == instance) return;
    }
    if (count >= capacity) {
        capacity = capacity > 0 ? capacity * 2 : 16;
        items = static_cast<CInstance**>(MEM_REALLOC(items, sizeof(CInstance*) * static_cast<size_t>(capacity)));
    }
    items[count++] = instance;
}

void InstanceChangeList::Remove(CInstance* instance)
{
    for (int32_t i = 0; i < count; ++i) {
        if (items[i] != instance) continue;
        std::memmove(items + i, items + i + 1, sizeof(CInstance*) * static_cast<size_t>(count - i - 1));
        --count;
        return;
    }
}

void InstanceChangeList::Clear() { count = 0; }

void InstanceChangeList::Free()
{
    MemoryManager::Free(items);
    items = nullptr;
    count = 0;
    capacity = 0;
}

// ---- the record ----------------------------------------------------------------------------------

namespace {

constexpr uintptr_t CACHE_LINE = 64;

// The record's hot lines are whole lines only when it starts on one: the animation pass then reads
// one line of each instance, the step's dispatch and the box one more.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CInstance, m_CreationStamp) == CACHE_LINE, "the second line starts with the stamp");
#pragma GCC diagnostic pop

} // namespace

// The block is a line longer than the record, which starts on the first line boundary past the
// block's start; the byte before the record says how far past (16 to 64: blocks are 16-aligned).
// Not cleared: the constructor gives every field its value.
void* CInstance::operator new(size_t size)
{
    auto* block = static_cast<unsigned char*>(MemoryManager::AllocRecord(size + CACHE_LINE));
    uintptr_t shift = CACHE_LINE - (reinterpret_cast<uintptr_t>(block) & (CACHE_LINE - 1));
    unsigned char* record = block + shift;
    record[-1] = static_cast<unsigned char>(shift);
    return record;
}

void CInstance::operator delete(void* record)
{
    if (record == nullptr) return;
    auto* at = static_cast<unsigned char*>(record);
    MemoryManager::FreeRecord(at - at[-1]);
}

CInstance::CInstance(float x, float y, int32_t id, int32_t objectIndex, bool registerInObject)
    : m_CreationStamp(g_EventStamp), i_id(id), i_objindex(objectIndex)
{
    for (int32_t& alarm : i_timer) alarm = -1;
    if (g_InstanceVariableSlots > 0) {
        size_t bytes = sizeof(ScriptValue) * static_cast<size_t>(g_InstanceVariableSlots);
        m_pSlots = static_cast<ScriptValue*>(MEM_ALLOC(bytes, true));
    } else {
        m_pVariables = new CVariableList();
    }
    SetObjectIndex(objectIndex, registerInObject);
    i_x = x;
    i_y = y;
    i_xstart = x;
    i_ystart = y;
    i_xprevious = x;
    i_yprevious = y;
}

CInstance::~CInstance() { Release(); }

namespace {

// The object still stands at its index: a script may have deleted it since the instance was bound
// (indices are never reused, so a deleted object's slot stays empty).
bool ObjectAlive(const CObject* object, int32_t index) { return object != nullptr && Object_Data(index) == object; }

} // namespace

CObject* CInstance::GetObject() const { return ObjectAlive(m_pObject, i_objindex) ? m_pObject : nullptr; }

void CInstance::Unbind()
{
    if (ObjectAlive(m_pObject, i_objindex)) m_pObject->RemoveInstance(this);
    m_pObject = nullptr;
}

void CInstance::TakeOverFromObject()
{
    i_maskindex = m_pObject->m_MaskIndex;
    i_depth = static_cast<float>(m_pObject->m_Depth);
    i_solid = m_pObject->IsSolid() ? 1 : 0;
    i_visible = m_pObject->IsVisible() ? 1 : 0;
    Instance_MayDraw();
    i_persistent = m_pObject->IsPersistent() ? 1 : 0;
    i_spriteindex = m_pObject->m_SpriteIndex;
    // An index of +0 (every new instance's) stays as it is whatever the count: no sprite to ask.
    if (std::bit_cast<uint32_t>(i_imageindex) != 0 &&
        Numbers_TruncToInt32(i_imageindex) >= Instance_SpriteFrameCount(i_spriteindex))
        i_imageindex = 0.0f;
    MarkBoxDirty();
}

void CInstance::SetObjectIndex(int32_t objectIndex, bool registerInObject)
{
    Unbind();
    i_objindex = objectIndex == -1 ? 0 : objectIndex;
    CObject* object = Object_Data(objectIndex);
    if (object == nullptr) return;
    m_pObject = object;
    if (registerInObject) object->AddInstance(this);
    TakeOverFromObject();
}

namespace {

void CopyVariables(CInstance& to, const CInstance& from)
{
    if (to.m_pSlots != nullptr && from.m_pSlots != nullptr) {
        for (int32_t i = 0; i < g_InstanceVariableSlots; ++i) Value_Copy(&to.m_pSlots[i], &from.m_pSlots[i]);
    } else if (to.m_pVariables != nullptr && from.m_pVariables != nullptr) {
        to.m_pVariables->CopyFrom(*from.m_pVariables);
    }
}

} // namespace

void CInstance::CopyFrom(const CInstance& other, bool registerInObject)
{
    if (&other == this) return;
    Instance_ForgetQuiet();
    m_Still = 0;
    Unbind();
    m_CarriedMark = 0;
    i_id = other.i_id;
    i_spriteindex = other.i_spriteindex;
    i_imageindex = other.i_imageindex;
    i_imagespeed = other.i_imagespeed;
    i_imagescalex = other.i_imagescalex;
    i_imagescaley = other.i_imagescaley;
    i_imageangle = other.i_imageangle;
    i_imagealpha = other.i_imagealpha;
    i_imageblend = other.i_imageblend;
    i_maskindex = other.i_maskindex;
    i_depth = other.i_depth;
    i_precise = other.i_precise;
    i_x = other.i_x;
    i_y = other.i_y;
    i_xstart = other.i_xstart;
    i_ystart = other.i_ystart;
    i_xprevious = other.i_xprevious;
    i_yprevious = other.i_yprevious;
    i_direction = other.i_direction;
    i_speed = other.i_speed;
    i_friction = other.i_friction;
    i_gravitydir = other.i_gravitydir;
    i_gravity = other.i_gravity;
    i_hspeed = other.i_hspeed;
    i_vspeed = other.i_vspeed;
    m_BBoxDirty = other.m_BBoxDirty;
    m_BoxFacts = other.m_BoxFacts;
    m_BoxAtX = other.m_BoxAtX;
    m_BoxAtY = other.m_BoxAtY;
    m_BoxShapes = other.m_BoxShapes;
    i_bbox = other.i_bbox;
    i_visible = other.i_visible;
    i_solid = other.i_solid;
    i_persistent = other.i_persistent;
    i_objindex = other.i_objindex;
    m_pObject = other.GetObject();
    if (registerInObject && m_pObject != nullptr) m_pObject->AddInstance(this);
    std::memcpy(i_timer, other.i_timer, sizeof i_timer);
    CopyVariables(*this, other);
    i_marked = other.i_marked;
    i_deactivated = other.i_deactivated;
    i_pathindex = other.i_pathindex;
    i_pathposition = other.i_pathposition;
    i_pathpositionprevious = other.i_pathpositionprevious;
    i_pathspeed = other.i_pathspeed;
    i_pathscale = other.i_pathscale;
    i_pathorientation = other.i_pathorientation;
    i_pathend = other.i_pathend;
    i_timelineindex = other.i_timelineindex;
    i_timelineposition = other.i_timelineposition;
    i_timelinespeed = other.i_timelinespeed;
    i_timelinerunning = other.i_timelinerunning;
    i_timelineloop = other.i_timelineloop;
    m_pSpare = other.m_pSpare;
}

void CInstance::ChangeObject(int32_t objectIndex)
{
    g_InstanceObjectChanges.Add(this);
    if (m_pFormerObject == nullptr) {
        m_pFormerObject = GetObject();
        m_FormerObjectIndex = m_pFormerObject != nullptr ? i_objindex : -1;
    }
    i_objindex = objectIndex;
    m_pObject = Object_Data(objectIndex);
    if (m_pObject == nullptr) return;
    TakeOverFromObject();
    g_InstanceDepthChanges.Add(this);
}

void CInstance::Release()
{
    Unbind();
    // A changed instance that is freed before the frame applied its change must not be applied.
    if (ObjectAlive(m_pFormerObject, m_FormerObjectIndex)) m_pFormerObject->RemoveInstance(this);
    m_pFormerObject = nullptr;
    if (g_InstanceObjectChanges.count > 0) g_InstanceObjectChanges.Remove(this);
    if (g_InstanceDepthChanges.count > 0) g_InstanceDepthChanges.Remove(this);
    if (m_pPhysicsObject != nullptr) {
        m_pPhysicsObject->Destroy();
        delete m_pPhysicsObject;
        m_pPhysicsObject = nullptr;
    }
    delete m_pVariables;
    m_pVariables = nullptr;
    if (m_pSlots != nullptr) {
        for (int32_t i = 0; i < g_InstanceVariableSlots; ++i) Value_Free(&m_pSlots[i]);
        MemoryManager::Free(m_pSlots);
        m_pSlots = nullptr;
    }
}

// ---- the dump ------------------------------------------------------------------------------------

namespace {

void DumpInt(const char* name, int64_t value) { MainConsole->Output("%-23s= %" PRId64 "\n", name, value); }

void DumpReal(const char* name, float value)
{
    MainConsole->Output("%-23s= %s\n", name, Numbers_Format("%f", value).c_str());
}

} // namespace

void CInstance::DebugDump()
{
    DumpInt("i_visible", i_visible);
    DumpInt("i_solid", i_solid);
    DumpInt("i_persistent", i_persistent);
    DumpInt("i_marked", i_marked);
    DumpInt("i_deactivated", i_deactivated);
    DumpInt("i_id", i_id);
    DumpInt("i_objindex", i_objindex);
    DumpInt("i_spriteindex", i_spriteindex);
    DumpReal("i_imageindex", i_imageindex);
    DumpReal("i_imagespeed", i_imagespeed);
    DumpReal("i_imagescalex", i_imagescalex);
    DumpReal("i_imagescaley", i_imagescaley);
    DumpReal("i_imageangle", i_imageangle);
    DumpReal("i_imagealpha", i_imagealpha);
    DumpInt("i_imageblend", i_imageblend);
    DumpInt("i_maskindex", i_maskindex);
    DumpInt("i_precise", i_precise);
    DumpReal("i_x", i_x);
    DumpReal("i_y", i_y);
    DumpReal("i_xstart", i_xstart);
    DumpReal("i_ystart", i_ystart);
    DumpReal("i_xprevious", i_xprevious);
    DumpReal("i_yprevious", i_yprevious);
    DumpReal("i_direction", i_direction);
    DumpReal("i_speed", i_speed);
    DumpReal("i_friction", i_friction);
    DumpReal("i_gravitydir", i_gravitydir);
    DumpReal("i_gravity", i_gravity);
    DumpReal("i_hspeed", i_hspeed);
    DumpReal("i_vspeed", i_vspeed);
    DumpInt("i_bbox.left", i_bbox.left);
    DumpInt("i_bbox.top", i_bbox.top);
    DumpInt("i_bbox.right", i_bbox.right);
    DumpInt("i_bbox.bottom", i_bbox.bottom);
    for (int32_t i = 0; i < INSTANCE_ALARM_COUNT; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "i_timer[%d]", i);
        DumpInt(name, i_timer[i]);
    }
    DumpInt("i_pathindex", i_pathindex);
    DumpReal("i_pathposition", i_pathposition);
    DumpReal("i_pathpositionprevious", i_pathpositionprevious);
    DumpReal("i_pathspeed", i_pathspeed);
    DumpReal("i_pathscale", i_pathscale);
    DumpReal("i_pathorientation", i_pathorientation);
    DumpInt("i_pathend", i_pathend);
    DumpReal("i_pathxstart", i_pathxstart);
    DumpReal("i_pathystart", i_pathystart);
    DumpInt("i_timelineindex", i_timelineindex);
    DumpReal("i_timelineposition", i_timelineposition);
    DumpReal("i_timelinespeed", i_timelinespeed);
    DumpInt("i_timelinerunning", i_timelinerunning);
    DumpInt("i_timelineloop", i_timelineloop);
    DumpReal("i_depth", i_depth);
}
