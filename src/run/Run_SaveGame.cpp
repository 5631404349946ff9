#include "run/Run_SaveGame.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "base/Base_Console.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Standard.h"
#include "buffer/Buffer_Table.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Services.h"
#include "instance/Instance_Class.h"
#include "io/IO_VirtualKey.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "support/Support_SaveArea.h"
#include "variable/Variable_Global.h"

namespace {

constexpr int32_t SAVE_BUFFER_SIZE = 131072;
constexpr int32_t NO_BUFFER = -1;

// The queued load names its buffer by id: a script may delete the buffer before the frame ends.
int32_t g_QueuedLoad = NO_BUFFER;
int32_t g_DeleteAfterLoad = NO_BUFFER;

// ---- writing -------------------------------------------------------------------------------------

struct SaveWriter {
    IBuffer* buffer;
    bool ok = true;

    void Number(int32_t type, double number)
    {
        if (ok) ok = buffer->WriteNumber(type, number) == 0;
    }
    void Int(int32_t number) { Number(eBuffer_S32, number); }
    void Flag(uint8_t flag) { Int(flag != 0 ? 1 : 0); }
    void Text(const std::string& text)
    {
        if (ok) ok = buffer->WriteString(text.c_str()) == 0;
    }
};

bool WriteGame(IBuffer* buffer)
{
    SaveWriter out{buffer};
    out.Int(SAVEGAME_VERSION);
    out.Int(static_cast<int32_t>(g_GameHeader.gameId));
    out.Int(g_CurrentRoomIndex), out.Int(g_RunRequest), out.Int(g_TransitionKind);
    out.Int(g_Score), out.Flag(g_ShowScore), out.Flag(g_CaptionSettingsChanged), out.Text(g_CaptionScore);
    out.Int(g_Lives), out.Flag(g_ShowLives), out.Text(g_CaptionLives);
    out.Number(eBuffer_F64, g_Health), out.Flag(g_ShowHealth), out.Text(g_CaptionHealth);
    out.Int(g_CursorSprite), out.Int(g_RoomFrameCounter), out.Flag(g_DrawEventEnabled);
    if (!out.ok || !Variable_SaveGame(buffer)) return false;
    int32_t count = Run_RoomStateCount();
    out.Int(count), out.Int(g_InstanceIdCounter), out.Int(g_TileIdCounter);
    for (int32_t i = 0; i < count && out.ok; ++i) {
        CRoom* room = Run_RoomState(i);
        out.Int(room != nullptr ? 1 : 0);
        if (room != nullptr && out.ok) out.ok = room->SaveState(buffer);
    }
    if (!out.ok) return false;
    IO_VirtualKey_Save(buffer);
    return true;
}

// ---- reading into staged state -------------------------------------------------------------------

struct StagedGame {
    int32_t room = 0, request = 0, transition = 0, score = 0, lives = 0, cursor = 0, frameCounter = 0;
    uint8_t showScore = 0, scoreSet = 0, showLives = 0, showHealth = 0, drawEnabled = 0;
    double health = 0.0;
    std::string captionScore, captionLives, captionHealth;
    StagedGlobals globals;
    int32_t instanceIdCounter = 0, tileIdCounter = 0;
    std::vector<CRoom*> rooms;

    StagedGame() = default;
    StagedGame(const StagedGame&) = delete;
    StagedGame& operator=(const StagedGame&) = delete;
    ~StagedGame()
    {
        for (CRoom* room : rooms) delete room;
    }
};

struct SaveReader {
    ValueStreamReader stream;
    bool ok = true;

    explicit SaveReader(IBuffer* buffer) : stream(buffer) {}
    // Other readers move the position in between: the budget follows the buffer again.
    void Resync() { stream = ValueStreamReader(stream.buffer); }
    int32_t Int()
    {
        int32_t number = 0;
        if (ok) ok = stream.ReadInt32(&number);
        return number;
    }
    uint8_t Flag() { return Int() != 0 ? 1 : 0; }
    double Real()
    {
        double number = 0.0;
        if (ok) ok = stream.ReadReal(&number);
        return number;
    }
    std::string Text()
    {
        char* text = nullptr;
        if (ok) ok = stream.ReadText(&text);
        std::string result = text != nullptr ? text : "";
        MemoryManager::Free(text);
        return result;
    }
};

bool ReadHeader(SaveReader& in, StagedGame& game)
{
    if (in.Int() != SAVEGAME_VERSION || !in.ok) return false;
    in.Int(); // the game id is not checked
    game.room = in.Int(), game.request = in.Int(), game.transition = in.Int();
    game.score = in.Int(), game.showScore = in.Flag(), game.scoreSet = in.Flag(), game.captionScore = in.Text();
    game.lives = in.Int(), game.showLives = in.Flag(), game.captionLives = in.Text();
    game.health = in.Real(), game.showHealth = in.Flag(), game.captionHealth = in.Text();
    game.cursor = in.Int(), game.frameCounter = in.Int(), game.drawEnabled = in.Flag();
    return in.ok;
}

bool ReadRooms(SaveReader& in, StagedGame& game)
{
    in.Resync();
    int32_t count = in.Int();
    game.instanceIdCounter = in.Int();
    game.tileIdCounter = in.Int();
    if (!in.ok || !in.stream.CanHold(count, 4)) return false;
    game.rooms.assign(static_cast<size_t>(count), nullptr);
    for (int32_t i = 0; i < count; ++i) {
        in.Resync();
        if (in.Int() == 0) continue;
        if (!in.ok) return false;
        game.rooms[static_cast<size_t>(i)] = new CRoom();
        if (!game.rooms[static_cast<size_t>(i)]->LoadState(in.stream.buffer)) return false;
    }
    return true;
}

bool IdsValidIn(const CInstanceList& list, int32_t counter, std::unordered_set<int32_t>& seen)
{
    for (CInstance* instance = list.m_pHead; instance != nullptr; instance = instance->m_pNext) {
        int32_t id = instance->i_id;
        if (id < INSTANCE_FIRST_ID || id > counter || !seen.insert(id).second) return false;
    }
    return true;
}

// The current room must be one the file holds (and the game knows); instance ids are unique, from
// 100000 on, and none above the saved counter, which the newest instance carries.
bool StagedGameValid(const StagedGame& game)
{
    int32_t count = static_cast<int32_t>(game.rooms.size());
    if (game.room < 0 || game.room >= count || game.rooms[static_cast<size_t>(game.room)] == nullptr) return false;
    if (!Room_Exists(game.room)) return false;
    std::unordered_set<int32_t> seen;
    for (CRoom* room : game.rooms) {
        if (room == nullptr) continue;
        if (!IdsValidIn(room->m_Active, game.instanceIdCounter, seen)) return false;
        if (!IdsValidIn(room->m_Deactivated, game.instanceIdCounter, seen)) return false;
    }
    return true;
}

// Whether the stream holds the whole key table it announces: the table's own reader reads a cut one
// as far as it goes. A record's size is that of the running table's saved form.
bool KeysComplete(IBuffer* buffer, const Buffer_Standard& running)
{
    int32_t start = buffer->m_Position;
    ValueStreamReader reader(buffer);
    int32_t version = 0;
    int32_t count = 0;
    bool read = reader.ReadInt32(&version) && reader.ReadInt32(&count);
    buffer->m_Position = start;
    int64_t recordBytes = (running.m_Position - 8) / IO_VIRTUAL_KEY_COUNT;
    return read && version == IO_VIRTUAL_KEY_VERSION && recordBytes > 0 && reader.CanHold(count, recordBytes);
}

// The virtual keys come last and are read straight into their table: the old table is kept aside
// and put back when they do not read.
bool LoadVirtualKeys(IBuffer* buffer)
{
    Buffer_Standard kept(1024, eBuffer_Grow, 1);
    IO_VirtualKey_Save(&kept);
    if (!KeysComplete(buffer, kept)) return false;
    kept.m_Position = 0;
    if (IO_VirtualKey_Load(buffer)) return true;
    IO_VirtualKey_Load(&kept);
    return false;
}

void Commit(StagedGame& game)
{
    g_CurrentRoomIndex = game.room;
    g_RunRequest = game.request;
    g_TransitionKind = game.transition;
    g_Score = game.score;
    g_ShowScore = game.showScore;
    g_CaptionSettingsChanged = game.scoreSet;
    g_CaptionScore = game.captionScore;
    g_Lives = game.lives;
    g_ShowLives = game.showLives;
    g_CaptionLives = game.captionLives;
    g_Health = game.health;
    g_ShowHealth = game.showHealth;
    g_CaptionHealth = game.captionHealth;
    g_CursorSprite = game.cursor;
    g_RoomFrameCounter = game.frameCounter;
    g_DrawEventEnabled = game.drawEnabled;
    Variable_CommitGlobals(&game.globals);
    g_InstanceIdCounter = game.instanceIdCounter;
    g_TileIdCounter = game.tileIdCounter;
    Run_InstallRoomStates(game.rooms, game.room);
    Room_SetWindowSize();
}

bool LoadGame(IBuffer* buffer)
{
    StagedGame game;
    SaveReader in(buffer);
    if (!ReadHeader(in, game)) return false;
    if (!Variable_ReadGlobals(buffer, &game.globals)) return false;
    if (!ReadRooms(in, game) || !StagedGameValid(game)) return false;
    if (!LoadVirtualKeys(buffer)) return false;
    Commit(game);
    return true;
}

} // namespace

bool Run_SaveGameBuffer(int32_t buffer)
{
    IBuffer* target = Buffer_Get(buffer);
    if (target == nullptr) return false;
    return WriteGame(target);
}

void Run_SaveGame(const char* fileName)
{
    int32_t id = Buffer_Create(SAVE_BUFFER_SIZE, eBuffer_Grow, 1);
    IBuffer* buffer = Buffer_Get(id);
    if (buffer != nullptr && WriteGame(buffer)) buffer->Save(fileName, 0, buffer->m_Position);
    Buffer_Delete(id);
}

bool Run_LoadGameBuffer(int32_t buffer)
{
    if (g_DeleteAfterLoad != NO_BUFFER) {
        MainConsole->Output("WARNING: Load game being ignored due to load game already queued\n");
        return false;
    }
    if (Buffer_Get(buffer) == nullptr) {
        MainConsole->Output("WARNING: No buffer available for %d\n", buffer);
        return false;
    }
    g_QueuedLoad = buffer;
    return true;
}

void Run_LoadGame(const char* fileName)
{
    int32_t id = Buffer_Create(SAVE_BUFFER_SIZE, eBuffer_Grow, 1);
    IBuffer* buffer = Buffer_Get(id);
    if (buffer == nullptr) return;
    int32_t length = 0;
    uint8_t* bytes = LoadSave_ReadSaveAreaFile(fileName, &length);
    if (bytes == nullptr) bytes = LoadSave_ReadBundleFile(fileName, &length);
    if (bytes == nullptr) length = 0;
    else IBuffer::WriteRegion(buffer, bytes, length, 0, length, 0, true, false, false);
    MemoryManager::Free(bytes);
    // Only the file's bytes: a short file must run out, not read on into zeros.
    buffer->Resize(length);
    buffer->m_Position = 0;
    if (!Run_LoadGameBuffer(id)) {
        Buffer_Delete(id);
        return;
    }
    g_DeleteAfterLoad = id;
}

bool Run_ApplyQueuedLoad()
{
    if (g_QueuedLoad == NO_BUFFER) return false;
    IBuffer* buffer = Buffer_Get(g_QueuedLoad);
    g_QueuedLoad = NO_BUFFER;
    bool loaded = buffer != nullptr && LoadGame(buffer);
    if (g_DeleteAfterLoad != NO_BUFFER) {
        Buffer_Delete(g_DeleteAfterLoad);
        g_DeleteAfterLoad = NO_BUFFER;
    }
    return loaded;
}

void Run_ClearQueuedLoad()
{
    if (g_DeleteAfterLoad != NO_BUFFER) Buffer_Delete(g_DeleteAfterLoad);
    g_QueuedLoad = NO_BUFFER;
    g_DeleteAfterLoad = NO_BUFFER;
}
