// Game files through the rooms chunk: whatever the room records, list offsets, counts and code words
// say, nothing is read outside the file, and the rooms that load can be made into running rooms
// (instances and tiles from their definitions, copies of their running state) and freed.
//
// An unknown function name ends the program by design, so functions chunks are skipped.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Object.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Code.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_Textures.h"
#include "gamefile/GameFile_View.h"
#include "graphics/Graphics_Shader.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "script/Script_Table.h"

#include "../../gamefile/fuzz/GameFile_FuzzSupport.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void Setup()
{
    static SilentConsole silent;
    MainConsole = &silent;
    ScriptConsole = &silent;
    g_GameOptions.showErrors = false;
}

void SkipFunctionChunks(GameFile& file, std::vector<uint8_t>& bytes)
{
    GameFileChunkWalk walk(file);
    if (!walk.Start()) return;
    GameFileChunk chunk;
    while (walk.Next(chunk))
        if (std::memcmp(chunk.tag, "FUNC", 4) == 0) std::memcpy(&bytes[chunk.body - 8], "HELP", 4);
}

void RunRooms()
{
    for (int32_t i = 0; i < Room_Count(); ++i) {
        CRoom* room = Room_Get(i);
        if (room == nullptr) continue;
        CRoom fromDefinition;
        fromDefinition.CopyFrom(room, true);
        CRoom fromRunning;
        fromRunning.CopyFrom(&fromDefinition, false);
        fromRunning.RemoveDeleted();
        fromRunning.UpdateActivation();
    }
    if (Room_Count() > 0) Room_Duplicate(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        Setup();
        ready = true;
    }
    std::vector<uint8_t> bytes(data, data + size);
    GameFile file;
    if (!file.CopyFrom(bytes.data(), bytes.size())) return 0;
    SkipFunctionChunks(file, bytes);
    if (!file.CopyFrom(bytes.data(), bytes.size())) return 0;
    GameHeader_Clear();
    g_CompiledCode = false;
    LoadGameCode(file);
    LoadGameChunks(file);
    RunRooms();
    // Nothing may outlive this input's image: code entries point into it.
    gamefilefuzz::FreeLoadedGame();
    return 0;
}
