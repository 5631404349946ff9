#include "room/Room_Definition.h"

#include "code/Code_Object.h"

namespace {

// Emptied by the room table's reset and at shut-down, never by static destruction: the code objects
// must go while the heap they live in still stands.
std::vector<RoomDefinition*> g_Definitions;

} // namespace

RoomDefinition::~RoomDefinition()
{
    if (!borrowsCode) {
        delete creationCode;
        for (RoomInstanceDef& entry : instances) delete entry.code;
    }
    for (CCode* code : retiredCode) delete code;
}

RoomDefinition* RoomDefinitions_New()
{
    g_Definitions.push_back(new RoomDefinition());
    return g_Definitions.back();
}

RoomDefinition* RoomDefinitions_Copy(const RoomDefinition& source)
{
    auto* copy = new RoomDefinition(source);
    copy->borrowsCode = true;
    copy->retiredCode.clear();
    copy->scriptTexts.clear();
    g_Definitions.push_back(copy);
    return copy;
}

void RoomDefinitions_Clear()
{
    for (RoomDefinition* definition : g_Definitions) delete definition;
    g_Definitions.clear();
}
