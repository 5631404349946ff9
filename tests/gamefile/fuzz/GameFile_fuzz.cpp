// Both chunk passes, and the debug-file reader, over arbitrary bytes: nothing may be read outside
// the file, whatever its lengths, counts and offsets say, and no chunk is refused without its
// reader saying why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/Base_Console.h"
#include "code/Code_Object.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Code.h"
#include "gamefile/GameFile_DebugInfo.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_View.h"
#include "graphics/Graphics_Shader.h"
#include "object/Object_Table.h"
#include "script/Script_Table.h"
#include "GameFile_FuzzSupport.h"
#include "../../TestSupport_Console.h"

namespace {

// The passes log every chunk; the fuzzer runs millions of files.
struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentConsole silent;
    MainConsole = &silent;
    GameFile file;
    if (!file.CopyFrom(data, size)) return 0;
    // A file start-up accepts is one the chunk passes can walk.
    GameFileChunkWalk walk(file);
    if (GameFile_Refusal(file).empty() && !walk.Start()) std::abort();
    // A program loads one game file; the fuzzer loads millions, so nothing of the last one may stay.
    Code_ClearEntries();
    Code_ClearFileRanges();
    GameHeader_Clear();
    // Names that do not resolve end the load as they would end the program.
    gamefilefuzz::LoadUntilTheProgramWouldEnd([&] {
        LoadGameCode(file);
        LoadGameChunks(file);
    });
    if (!testsupport::EveryRefusalHasAReason(GameFile_LoadFailures())) std::abort();
    LoadDebugInfo(file);
    DebugInfo_Source(0);
    DebugInfo_LinePairCount(0);
    DebugInfo_Clear();
    gamefilefuzz::FreeLoadedGame();
    return 0;
}
