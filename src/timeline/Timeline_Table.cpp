#include "timeline/Timeline_Table.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Text.h"
#include "gamefile/GameFile_View.h"
#include "object/Object_Event.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Event.h"

namespace {

std::vector<CTimeLine*> g_TimeLines; // null for an empty slot
std::vector<char*> g_Names;          // the table's copies

// What was removed while the stage ran, freed when it ends.
int32_t g_StageDepth = 0;
std::vector<CEvent*> g_RemovedEvents;
std::vector<CTimeLine*> g_RemovedTimeLines;

void Discard(CEvent* event)
{
    if (g_StageDepth > 0) g_RemovedEvents.push_back(event);
    else delete event;
}

void Discard(CTimeLine* line)
{
    if (g_StageDepth > 0) g_RemovedTimeLines.push_back(line);
    else delete line;
}

void FreeRemoved()
{
    for (CEvent* event : g_RemovedEvents) delete event;
    for (CTimeLine* line : g_RemovedTimeLines) delete line;
    g_RemovedEvents.clear();
    g_RemovedTimeLines.clear();
}

// ---- the time-line chunk -------------------------------------------------------------------------

constexpr uint32_t MOMENT_SIZE = 8;

// The name, the moment count, then per moment its time and the offset of its event record (read as
// an object's event is).
bool LoadRecord(const GameFileEntry& record, CTimeLine& line, const char*& name)
{
    const GameFile& file = record.File();
    uint32_t at = record.At();
    uint32_t nameOffset = 0, count = 0;
    if (!record.Holds("its record", at, 8)) return false;
    file.U32(at, nameOffset);
    file.U32(at + 4, count);
    if (!record.String("its name", nameOffset, name)) return false;
    uint32_t momentsAt = at + 8;
    if (!record.Holds("its list of " + std::to_string(count) + " moments", momentsAt,
                      uint64_t(count) * MOMENT_SIZE))
        return false;
    for (uint32_t k = 0; k < count; ++k) {
        auto moment = uint32_t(momentsAt + uint64_t(k) * MOMENT_SIZE);
        int32_t time = 0;
        uint32_t entry = 0;
        file.I32(moment, time);
        file.U32(moment + 4, entry);
        CEvent* event = nullptr;
        if (entry != 0) {
            event = new CEvent();
            if (!event->LoadFromStream(record, entry)) {
                delete event;
                return false;
            }
        }
        line.AddMoment(time, event);
    }
    return true;
}

} // namespace

// ---- one time line -------------------------------------------------------------------------------

CTimeLine::~CTimeLine()
{
    for (CEvent* event : m_Events) delete event;
}

int32_t CTimeLine::GetMoment(int32_t moment) const
{
    return moment >= 0 && moment < GetMomentCount() ? m_Times[size_t(moment)] : 0;
}

CEvent* CTimeLine::GetEvent(int32_t moment) const
{
    return moment >= 0 && moment < GetMomentCount() ? m_Events[size_t(moment)] : nullptr;
}

int32_t CTimeLine::FindMomentAtOrAfter(double position) const
{
    int32_t count = GetMomentCount();
    for (int32_t m = 0; m < count; ++m)
        if (m_Times[size_t(m)] >= position) return m;
    return count;
}

int32_t CTimeLine::FindMomentAtOrBefore(double position) const
{
    for (int32_t m = GetMomentCount() - 1; m >= 0; --m)
        if (m_Times[size_t(m)] <= position) return m;
    return -1;
}

void CTimeLine::ClearMoment(int32_t time)
{
    int32_t m = FindMomentAtOrAfter(time);
    if (m >= GetMomentCount() || m_Times[size_t(m)] != time) return;
    Discard(m_Events[size_t(m)]);
    m_Events.erase(m_Events.begin() + m);
    m_Times.erase(m_Times.begin() + m);
    ++m_Changes;
}

void CTimeLine::AddMoment(int32_t time, CEvent* event)
{
    m_Times.push_back(time);
    m_Events.push_back(event);
}

// ---- the table -----------------------------------------------------------------------------------

void TimeLine_Reset()
{
    FreeRemoved();
    for (CTimeLine* line : g_TimeLines) delete line;
    for (char* name : g_Names) MemoryManager::Free(name);
    g_TimeLines.clear();
    g_Names.clear();
}

bool TimeLine_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "TMLN", body, length, table)) return false;
    TimeLine_Reset();
    g_TimeLines.assign(table.count, nullptr);
    g_Names.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        auto* line = new CTimeLine();
        const char* name = nullptr;
        if (!LoadRecord(GameFileEntry(file, "TMLN", "time line " + std::to_string(i), at), *line, name)) {
            delete line;
            return false;
        }
        g_TimeLines[i] = line;
        g_Names[i] = String_Copy(name != nullptr ? name : "");
    }
    return true;
}

bool TimeLine_Prepare()
{
    for (size_t i = 0; i < g_TimeLines.size(); ++i) {
        const CTimeLine* line = g_TimeLines[i];
        if (line == nullptr) continue;
        g_CurrentEventObject = int32_t(i);
        g_CurrentEventType = EVENT_TYPE_TIMELINE;
        g_CurrentActionNumber = 0;
        for (int32_t m = 0; m < line->GetMomentCount(); ++m) {
            CEvent* event = line->GetEvent(m);
            g_CurrentEventNumber = line->GetMoment(m);
            if (event != nullptr && !event->Compile()) return false;
        }
    }
    return true;
}

int32_t TimeLine_Count()
{
    return int32_t(g_TimeLines.size());
}

bool TimeLine_Exists(int32_t index)
{
    return TimeLine_Get(index) != nullptr;
}

CTimeLine* TimeLine_Get(int32_t index)
{
    return index >= 0 && index < TimeLine_Count() ? g_TimeLines[size_t(index)] : nullptr;
}

const char* TimeLine_Name(int32_t index)
{
    if (!TimeLine_Exists(index)) return "<undefined>";
    const char* name = g_Names[size_t(index)];
    return name != nullptr ? name : "";
}

int32_t TimeLine_Find(const char* name)
{
    if (name == nullptr) return -1;
    for (size_t i = 0; i < g_TimeLines.size(); ++i)
        if (g_TimeLines[i] != nullptr && g_Names[i] != nullptr && std::strcmp(g_Names[i], name) == 0)
            return int32_t(i);
    return -1;
}

int32_t TimeLine_Add()
{
    return -1;
}

bool TimeLine_Delete(int32_t index)
{
    if (!TimeLine_Exists(index)) return false;
    Discard(g_TimeLines[size_t(index)]);
    MemoryManager::Free(g_Names[size_t(index)]);
    g_TimeLines.erase(g_TimeLines.begin() + index);
    g_Names.erase(g_Names.begin() + index);
    return true;
}

int32_t TimeLine_Append(CTimeLine* line, const char* name)
{
    g_TimeLines.push_back(line);
    g_Names.push_back(String_Copy(name));
    return TimeLine_Count() - 1;
}

void TimeLine_BeginStage()
{
    ++g_StageDepth;
}

void TimeLine_EndStage()
{
    if (g_StageDepth > 0 && --g_StageDepth == 0) FreeRemoved();
}
