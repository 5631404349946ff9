#include "path/Path_Table.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_ResourceSlots.h"
#include "base/Base_Text.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"

namespace {

ResourceSlots<CPath> g_Table{"__newpath", {}, {}};

constexpr uint32_t RECORD_FIXED_SIZE = 20;
constexpr uint32_t POINT_SIZE = 12;

// ---- the path chunk ------------------------------------------------------------------------------

// Name, kind, closed flag, precision, point count, then the points (x, y, speed as 32-bit reals).
bool LoadRecord(const GameFileEntry& record, CPath& path, const char*& name)
{
    const GameFile& file = record.File();
    uint32_t at = record.At();
    uint32_t nameOffset = 0, closed = 0;
    int32_t kind = 0, precision = 0, count = 0;
    if (!record.Holds("its record", at, RECORD_FIXED_SIZE)) return false;
    file.U32(at, nameOffset);
    file.I32(at + 4, kind);
    file.U32(at + 8, closed);
    file.I32(at + 12, precision);
    file.I32(at + 16, count);
    if (!record.String("its name", nameOffset, name)) return false;
    uint32_t pointsAt = at + RECORD_FIXED_SIZE;
    // A negative count is too long for any file.
    uint64_t pointBytes = uint64_t(uint32_t(count)) * POINT_SIZE;
    if (!record.Holds("its list of " + std::to_string(count) + " points", pointsAt, pointBytes)) return false;
    std::vector<PathPoint> points(static_cast<size_t>(count));
    for (size_t i = 0; i < points.size(); ++i) {
        auto point = uint32_t(pointsAt + i * POINT_SIZE);
        file.F32(point, points[i].x);
        file.F32(point + 4, points[i].y);
        file.F32(point + 8, points[i].speed);
    }
    path.SetFromFile(kind, closed != 0, precision, std::move(points));
    return true;
}

} // namespace

// ---- lookups -------------------------------------------------------------------------------------

void Path_Init()
{
    Path_Reset();
}

int32_t Path_Count()
{
    return g_Table.Count();
}

bool Path_Exists(int32_t index)
{
    return Path_Data(index) != nullptr;
}

CPath* Path_Data(int32_t index)
{
    return g_Table.Data(index);
}

const char* Path_Name(int32_t index)
{
    return g_Table.Name(index);
}

int32_t Path_Find(const char* name)
{
    return g_Table.Find(name);
}

// ---- the table's life ----------------------------------------------------------------------------

void Path_Reset()
{
    g_Table.Reset();
}

bool Path_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "PATH", body, length, table)) return false;
    Path_Reset();
    g_Table.items.assign(table.count, nullptr);
    g_Table.names.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        auto* path = new CPath();
        const char* name = nullptr;
        if (!LoadRecord(GameFileEntry(file, "PATH", "path " + std::to_string(i), at), *path, name)) {
            delete path;
            return false;
        }
        g_Table.items[i] = path;
        g_Table.names[i] = String_Copy(name != nullptr ? name : "");
    }
    return true;
}

// ---- changes while the game runs -----------------------------------------------------------------

int32_t Path_Add()
{
    return g_Table.Append(new CPath());
}

int32_t Path_Duplicate(int32_t index)
{
    const CPath* source = Path_Data(index);
    if (source == nullptr) return -1;
    auto* copy = new CPath();
    copy->AssignFrom(*source);
    return g_Table.Append(copy);
}

bool Path_Assign(int32_t target, int32_t source)
{
    const CPath* from = Path_Data(source);
    if (from == nullptr || !g_Table.Valid(target)) return false;
    if (target == source) {
        Error_Show_Action("ERROR: Can not assign a path to itself!", false);
        return false;
    }
    CPath*& slot = g_Table.items[size_t(target)];
    if (slot == nullptr) slot = new CPath();
    slot->AssignFrom(*from);
    return true;
}

bool Path_Delete(int32_t index)
{
    if (!Path_Exists(index)) return false;
    g_Table.FreeSlot(size_t(index));
    return true;
}
