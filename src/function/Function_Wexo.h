// Platform services: the achievement queue and its cache file, the pause flags, and the two queues
// through which a platform hands asynchronous results (purchase events, script callbacks) to the
// frame. Everything runs on the main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "code/Code_Value.h"

// A lock a platform with threaded services would take; on this platform every operation does
// nothing and locking succeeds at once.
class NamedLock {
  public:
    explicit NamedLock(const char* name) : m_Name(name) {}
    bool Lock() { return true; }
    void Unlock() {}
    const char* Name() const { return m_Name; }

  private:
    const char* m_Name;
};

// ---- achievement queue ----------------------------------------------------------------------------

// Kinds 1 and 4 carry an integer, 2 and 3 the bits of a float; any other kind is dropped unposted.
struct AchievementRecord {
    AchievementRecord* next = nullptr;
    AchievementRecord* prev = nullptr;
    uint32_t kind = 0;
    std::string name;
    uint32_t value = 0;
};

enum : int32_t {
    ACHIEVEMENT_IDLE = 0,
    ACHIEVEMENT_POSTED = 1,
    ACHIEVEMENT_SUCCEEDED = 2,
    ACHIEVEMENT_FAILED = 3,
    ACHIEVEMENT_WAITING = 4,
};
constexpr int32_t ACHIEVEMENT_QUEUE_LIMIT = 2048; // a queue holding more drops new records
constexpr int32_t ACHIEVEMENT_RETRY_STEPS = 600;

// Appends a record and rewrites the cache (nothing when the queue already holds more than the limit).
void AchievementQueue_Add(uint32_t kind, const char* name, const uint32_t* value);
// Loads the cache first when the queue is empty, then adds: the entry a platform's post uses.
void AchievementQueue_Post(uint32_t kind, const char* name, const uint32_t* value);
// Fills an empty queue from the cache file, keeping only whole records, and rewrites it once.
// Always false.
bool AchievementQueue_Load();
void AchievementQueue_Save();
// The records of a cache image, whole ones only, appended without touching the file; how many.
int32_t AchievementQueue_Parse(const uint8_t* bytes, size_t size);
// The cache image of the queue, head to tail.
std::vector<uint8_t> AchievementQueue_Bytes();
void AchievementQueue_Unlink(AchievementRecord* record);
void AchievementQueue_Append(AchievementRecord* record);
void AchievementQueue_Remove(AchievementRecord* record);
// How the platform reports a post: 2 success, 3 failure.
void AchievementQueue_SetState(int32_t state);
void AchievementQueue_SetEnabled(bool enabled);
bool AchievementQueue_IsEnabled();
void AchievementQueue_Step();
// Frees every record and returns to the idle state (start-up and tests).
void AchievementQueue_Clear();

// What the queue holds, for the platform layer and tests.
AchievementRecord* AchievementQueue_Head();
AchievementRecord* AchievementQueue_Current();
int32_t AchievementQueue_Count();
int32_t AchievementQueue_State();
int32_t AchievementQueue_Countdown();
// "<prefix>achievementcache.dat", or "" without a player prefix.
std::string AchievementQueue_FileName();

// Bounded little-endian access to a cache image; the readers answer false rather than read past
// `size`, and every one advances `position`.
void Cache_WriteU32LE(std::vector<uint8_t>& buffer, uint32_t value);
void Cache_WriteString(std::vector<uint8_t>& buffer, const std::string& text);
bool Cache_ReadU32LE(const uint8_t* bytes, size_t size, size_t* position, uint32_t* value);
bool Cache_ReadString(const uint8_t* bytes, size_t size, size_t* position, std::string* text);

// ---- pause events and asynchronous queues ------------------------------------------------------------

// A platform reporting pause (true: as if signalled) or resume (false: every pause flag cleared).
bool Wexo_SetOSPaused(bool paused);
// Turns a signal since the last step into this step's pause; logs both changes.
void Wexo_UpdatePauseEvent();
// os_is_paused: a pause is registered for this step.
bool Wexo_IsPaused();
// Forgets the pause flags and both queues (tests, and a new run's start-up).
void Wexo_ResetAsync();

void Wexo_PushIapEvent(int32_t value);
// The script's index, the count and each argument (its real, and its text when it has one).
void Wexo_PushScriptCallback(int32_t script, int32_t count, const ScriptValue* arguments);
// The purchase-event queue's index, -1 until the first event.
int32_t Wexo_IapEventQueue();

// ---- cloud ----

struct HTTP_REQ_CONTEXT;
// A finished cloud request's answer as the "async_load" map of event 67: "id", "status" and, by
// status, "errorString" (below 0), "resultString" (above 0), or "description" and "resultString"
// (the two texts of the data, at 0).
int32_t Wexo_CloudCompletion(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId);

// ---- built-in registration --------------------------------------------------------------------------

// The groups InitWexoFunctions registers, in its order.
void Function_WexoServices_Register();
void Function_WexoPurchases_Register();
