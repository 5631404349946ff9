// What the frame's stage files share: taking the event stamp, which instances a stage reaches, and
// the walk over an object's own instances.
#pragma once

#include <cstdint>

#include "instance/Instance_Class.h"
#include "object/Object_Class.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"

namespace frame {

// Instances made one after another mostly lie one stride apart, in list order: asking for the
// record a few links ahead lets a pass over the room's list stream through them instead of waiting
// on each link in turn. Only a hint: a wrong guess costs one needless fetch, never a read.
constexpr uintptr_t PREFETCH_LINKS_AHEAD = 8;

inline void PrefetchByStride(const CInstance* instance, const CInstance* next)
{
    uintptr_t here = reinterpret_cast<uintptr_t>(instance);
    uintptr_t there = reinterpret_cast<uintptr_t>(next);
    __builtin_prefetch(reinterpret_cast<const void*>(there + PREFETCH_LINKS_AHEAD * (there - here)));
}

// Reads the global event stamp and raises it by one.
inline uint64_t TakeStamp()
{
    return g_EventStamp++;
}

// Neither marked nor deactivated, and created before the stage took `stamp`.
inline bool Eligible(const CInstance* instance, uint64_t stamp)
{
    return instance->i_marked == 0 && instance->i_deactivated == 0 && instance->m_CreationStamp <= stamp;
}

// The eligible instances of an object's own list, one at a time. Each one's successor is read before
// it is handed out, so that an event may change the instance it runs for.
class OwnInstances {
public:
    OwnInstances(int32_t objectIndex, uint64_t stamp) : m_Stamp(stamp)
    {
        CObject* object = Object_Data(objectIndex);
        m_Node = object != nullptr ? object->m_Instances.head : nullptr;
    }
    // Null at the list's end.
    CInstance* Next()
    {
        while (m_Node != nullptr) {
            CInstance* instance = m_Node->instance;
            m_Node = m_Node->next;
            if (Eligible(instance, m_Stamp)) return instance;
        }
        return nullptr;
    }

private:
    uint64_t m_Stamp;
    ObjectInstanceNode* m_Node;
};

// Calls visit(instance) for every eligible instance of the object's own list.
template <typename Visit> void ForEachOwn(int32_t objectIndex, uint64_t stamp, Visit&& visit)
{
    OwnInstances own(objectIndex, stamp);
    while (CInstance* instance = own.Next()) visit(instance);
}

// The instances of the objects listed for (type, subtype) that the test wants get the event, each
// object walked with one stamp for the whole raise (Event_WalkObject). A script that changes a
// parent or clears a handler rebuilds the lists, which may move them, so the list is read afresh at
// each object.
void WalkListed(int32_t type, int32_t subtype, uint64_t stamp, EventWalkTest test = {});

// The dispatch pattern: one stamp, every eligible instance of the listed objects gets the event.
void Raise(int32_t type, int32_t subtype);

// Whether the instance's sprite or mask exists (else it is tested by its position alone).
bool HasShape(const CInstance* instance);

} // namespace frame
