// Saved games as a file or a script buffer hands them in. A refused load leaves the game as it was
// (its own save, taken before, is the digest); an accepted one saves and loads again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "gamefile/GameFile_Services.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_SaveGame.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

namespace {

class QuietConsole : public tagIConsole {
  public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void Cleanup()
{
    Run_FreeRoomStates();
    RoomTables_Free();
    Object_ResetTable();
    Buffer_DeleteAll();
    Variable_Shutdown();
}

// Two rooms in the table and a run-time state for the first, with one instance.
bool Prepare()
{
    static QuietConsole quiet;
    MainConsole = &quiet;
    for (const char* name : {"a", "b", "score"}) Code_Variable_Add(name);
    // The built-in rows, under which the global list keeps globals named as built-ins (global.lives).
    Variable_BuiltIn_Init();
    Variable_Init();
    Object_ResetTable();
    Object_Add();
    Room_Add();
    Room_Add();
    g_InstanceIdCounter = 100000;
    std::vector<CRoom*> rooms = {new CRoom(), nullptr};
    Run_InstallRoomStates(rooms, 0);
    Run_CurrentRoom()->AddInstance(4.0f, 8.0f, 0);
    std::atexit(Cleanup);
    return true;
}

std::vector<uint8_t> Save()
{
    int32_t id = Buffer_Create(1024, eBuffer_Grow, 1);
    if (!Run_SaveGameBuffer(id)) std::abort();
    IBuffer* buffer = Buffer_Get(id);
    std::vector<uint8_t> bytes(buffer->m_pData, buffer->m_pData + buffer->m_Position);
    Buffer_Delete(id);
    return bytes;
}

bool Load(const std::vector<uint8_t>& bytes)
{
    int32_t id = Buffer_Create(static_cast<int32_t>(bytes.size()), eBuffer_Fixed, 1);
    if (!bytes.empty()) std::memcpy(Buffer_Get(id)->m_pData, bytes.data(), bytes.size());
    if (!Run_LoadGameBuffer(id)) std::abort();
    bool loaded = Run_ApplyQueuedLoad();
    Buffer_Delete(id);
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = Prepare();
    (void)prepared;
    std::vector<uint8_t> before = Save();
    if (Load(std::vector<uint8_t>(data, data + size))) {
        if (!Load(Save())) std::abort();
    } else if (Save() != before) {
        std::abort();
    }
    return 0;
}
