// The achievement queue: pending achievement and score posts, handed one at a time to the platform,
// kept in "<prefix>achievementcache.dat" in the save area so that they survive a lost connection and
// a closed program. The file is the records head to tail: kind (u32 LE), name and its zero byte,
// value (u32 LE); no header.
#include <cstring>

#include "function/Function_Wexo.h"
#include "function/Function_WexoPlatform.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"

namespace {

struct QueueState {
    AchievementRecord* head = nullptr;
    AchievementRecord* tail = nullptr;
    int32_t count = 0;
    int32_t state = ACHIEVEMENT_IDLE;
    AchievementRecord* current = nullptr;
    int32_t countdown = 0;
    bool enabled = false;
    bool loading = false; // records added by a load are saved once, at its end
};
QueueState g_Queue;
NamedLock g_QueueLock("comsachievementcache");

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Hands the head to the platform, or drops it when its kind has no post.
void PostHead()
{
    AchievementRecord* record = g_Queue.head;
    g_Queue.current = record;
    g_Queue.state = ACHIEVEMENT_POSTED;
    switch (record->kind) {
    case 1:
    case 4:
        Platform_PostAchievementInt(record->kind, record->name.c_str(), static_cast<int32_t>(record->value));
        break;
    case 2:
    case 3:
        Platform_PostAchievementReal(record->kind, record->name.c_str(), FloatOf(record->value));
        break;
    default:
        g_Queue.current = nullptr;
        AchievementQueue_Remove(record);
        g_Queue.countdown = ACHIEVEMENT_RETRY_STEPS;
        g_Queue.state = ACHIEVEMENT_WAITING;
    }
}

} // namespace

void Cache_WriteU32LE(std::vector<uint8_t>& buffer, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) buffer.push_back(static_cast<uint8_t>(value >> shift));
}

void Cache_WriteString(std::vector<uint8_t>& buffer, const std::string& text)
{
    buffer.insert(buffer.end(), text.begin(), text.end());
    buffer.push_back(0);
}

bool Cache_ReadU32LE(const uint8_t* bytes, size_t size, size_t* position, uint32_t* value)
{
    if (*position > size || size - *position < 4) return false;
    const uint8_t* at = bytes + *position;
    *value = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
    *position += 4;
    return true;
}

bool Cache_ReadString(const uint8_t* bytes, size_t size, size_t* position, std::string* text)
{
    if (*position >= size) return false;
    const void* end = std::memchr(bytes + *position, 0, size - *position);
    if (end == nullptr) return false;
    size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (bytes + *position));
    text->assign(reinterpret_cast<const char*>(bytes + *position), length);
    *position += length + 1;
    return true;
}

std::string AchievementQueue_FileName()
{
    const char* prefix = Platform_PlayerPrefix();
    if (prefix == nullptr || prefix[0] == '\0') return "";
    return std::string(prefix) + "achievementcache.dat";
}

void AchievementQueue_Unlink(AchievementRecord* record)
{
    (record->prev != nullptr ? record->prev->next : g_Queue.head) = record->next;
    (record->next != nullptr ? record->next->prev : g_Queue.tail) = record->prev;
    record->next = record->prev = nullptr;
    --g_Queue.count;
}

void AchievementQueue_Append(AchievementRecord* record)
{
    record->next = nullptr;
    record->prev = g_Queue.tail;
    (g_Queue.tail != nullptr ? g_Queue.tail->next : g_Queue.head) = record;
    g_Queue.tail = record;
    ++g_Queue.count;
}

void AchievementQueue_Remove(AchievementRecord* record)
{
    AchievementQueue_Unlink(record);
    delete record;
    AchievementQueue_Save();
}

void AchievementQueue_Add(uint32_t kind, const char* name, const uint32_t* value)
{
    if (g_Queue.count > ACHIEVEMENT_QUEUE_LIMIT) return;
    auto* record = new AchievementRecord;
    record->kind = kind;
    record->name = name != nullptr ? name : "";
    record->value = *value;
    AchievementQueue_Append(record);
    if (!g_Queue.loading) AchievementQueue_Save();
}

void AchievementQueue_Post(uint32_t kind, const char* name, const uint32_t* value)
{
    AchievementQueue_Load();
    AchievementQueue_Add(kind, name, value);
}

int32_t AchievementQueue_Parse(const uint8_t* bytes, size_t size)
{
    bool wasLoading = g_Queue.loading;
    g_Queue.loading = true;
    int32_t added = 0;
    size_t position = 0;
    while (position < size) {
        uint32_t kind = 0, value = 0;
        std::string name;
        if (!Cache_ReadU32LE(bytes, size, &position, &kind) || !Cache_ReadString(bytes, size, &position, &name) ||
            !Cache_ReadU32LE(bytes, size, &position, &value))
            break; // a record cut short is dropped
        AchievementQueue_Add(kind, name.c_str(), &value);
        ++added;
    }
    g_Queue.loading = wasLoading;
    return added;
}

bool AchievementQueue_Load()
{
    std::string file = AchievementQueue_FileName();
    if (g_Queue.count != 0 || file.empty()) return false;
    int32_t size = 0;
    uint8_t* bytes = LoadSave_ReadSaveAreaFile(file.c_str(), &size);
    if (bytes == nullptr) return false;
    if (AchievementQueue_Parse(bytes, static_cast<size_t>(size > 0 ? size : 0)) > 0) AchievementQueue_Save();
    MemoryManager::Free(bytes);
    return false;
}

std::vector<uint8_t> AchievementQueue_Bytes()
{
    std::vector<uint8_t> bytes;
    for (AchievementRecord* record = g_Queue.head; record != nullptr; record = record->next) {
        Cache_WriteU32LE(bytes, record->kind);
        Cache_WriteString(bytes, record->name);
        Cache_WriteU32LE(bytes, record->value);
    }
    return bytes;
}

void AchievementQueue_Save()
{
    std::string file = AchievementQueue_FileName();
    if (file.empty()) return;
    std::vector<uint8_t> bytes = AchievementQueue_Bytes();
    // A file that cannot be written is not reported: the queue stays in memory.
    LoadSave_WriteSaveAreaFile(file.c_str(), bytes.data(), static_cast<int32_t>(bytes.size()));
}

void AchievementQueue_SetState(int32_t state)
{
    g_QueueLock.Lock();
    g_Queue.state = state;
    g_QueueLock.Unlock();
}

void AchievementQueue_SetEnabled(bool enabled)
{
    g_Queue.enabled = enabled;
}

bool AchievementQueue_IsEnabled()
{
    return g_Queue.enabled;
}

void AchievementQueue_Step()
{
    if (!g_Queue.enabled || g_Queue.count == 0) return;
    g_QueueLock.Lock();
    switch (g_Queue.state) {
    case ACHIEVEMENT_IDLE:
        if (g_Queue.head != nullptr) PostHead();
        break;
    case ACHIEVEMENT_SUCCEEDED:
        if (g_Queue.current != nullptr) AchievementQueue_Remove(g_Queue.current);
        g_Queue.current = nullptr;
        g_Queue.state = ACHIEVEMENT_IDLE;
        break;
    case ACHIEVEMENT_FAILED:
        g_Queue.countdown = ACHIEVEMENT_RETRY_STEPS;
        g_Queue.state = ACHIEVEMENT_WAITING;
        if (g_Queue.current != nullptr) {
            AchievementQueue_Unlink(g_Queue.current);
            AchievementQueue_Append(g_Queue.current);
            AchievementQueue_Save();
        }
        g_Queue.current = nullptr;
        break;
    case ACHIEVEMENT_WAITING:
        if (g_Queue.countdown > 0) --g_Queue.countdown;
        if (g_Queue.countdown <= 0) g_Queue.state = ACHIEVEMENT_IDLE;
        break;
    default: // posted and waiting for the platform, or a state no platform gives
        break;
    }
    g_QueueLock.Unlock();
}

void AchievementQueue_Clear()
{
    while (g_Queue.head != nullptr) {
        AchievementRecord* record = g_Queue.head;
        AchievementQueue_Unlink(record);
        delete record;
    }
    g_Queue.state = ACHIEVEMENT_IDLE;
    g_Queue.current = nullptr;
    g_Queue.countdown = 0;
}

AchievementRecord* AchievementQueue_Head()
{
    return g_Queue.head;
}
AchievementRecord* AchievementQueue_Current()
{
    return g_Queue.current;
}
int32_t AchievementQueue_Count()
{
    return g_Queue.count;
}
int32_t AchievementQueue_State()
{
    return g_Queue.state;
}
int32_t AchievementQueue_Countdown()
{
    return g_Queue.countdown;
}
