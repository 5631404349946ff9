// Game files through the code, variables, functions, scripts, objects, texture and texture-page
// readers, then the preparation of compiled code and the event object lists: whatever the counts,
// offsets, chains and subtypes say, nothing is read or written outside the file and no parent walk
// runs away.
//
// An unknown function or variable name ends the program by design; here it ends only the load.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Function.h"
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
#include "object/Object_Class.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Globals.h"
#include "script/Script_Table.h"

#include "../../gamefile/fuzz/GameFile_FuzzSupport.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void Nothing(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// No graphics device here: a blob becomes a texture number as long as its bytes can be read.
int32_t CountedTexture(const uint8_t* data, int32_t size, int32_t formatCode, int32_t flag)
{
    static int32_t made = 0;
    uint32_t sum = static_cast<uint32_t>(formatCode + flag);
    for (int32_t i = 0; i < size && i < 16; ++i) sum += data[i];
    return static_cast<int32_t>(sum & 0x7F) + made++ % 3;
}

void Setup()
{
    static SilentConsole silent;
    MainConsole = &silent;
    ScriptConsole = &silent;
    g_GameOptions.showErrors = false;
    Function_Add("fuzz_fn", Nothing, FUNCTION_ARGS_ANY);
    g_TextureFromBlob = CountedTexture;
}

void Clear()
{
    // Every table a load fills is emptied again, so nothing of the last input is held at exit.
    gamefilefuzz::FreeLoadedGame();
    ObjectLists_Free();
    g_RunRequest = RUN_REQUEST_NONE;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = (Setup(), true);
    (void)ready;
    GameFile file;
    if (!file.CopyFrom(data, size)) return 0;

    g_CompiledCode = false;
    GameHeader_Clear();
    bool loaded = false;
    bool finished = gamefilefuzz::LoadUntilTheProgramWouldEnd([&] {
        LoadGameCode(file);
        loaded = LoadGameChunks(file);
    });
    loaded = loaded && finished;

    if (loaded && g_CompiledCode) {
        Script_Prepare();
        Object_Prepare();
        // The pairs are quadratic in the object count; the readers are what is fuzzed here.
        if (Object_Count() <= 256) ObjectLists_Build();
        for (int32_t i = 0; i < Object_Count(); ++i) Event_FindHandler(i, 4, (i * 7) % (Object_Count() + 1), nullptr);
    }
    TexturePage_Count();
    Clear();
    return 0;
}
