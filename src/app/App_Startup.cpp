#include "app/App_Startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/App_AtFiles.h"
#include "app/App_CommandLine.h"
#include "app/App_Paths.h"
#include "app/App_Prepare.h"
#include "background/Background_Table.h"
#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "base/Base_Random.h"
#include "base/Base_Crc.h"
#include "buffer/Buffer_Functions.h"
#include "buffer/Buffer_Vertex.h"
#include "buffer/Buffer_Table.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Executor.h"
#include "code/Code_Interpreter.h"
#include "datastructure/DataStructure_Tables.h"
#include "debug/Debug_Remote.h"
#include "dplay/DPlay_Functions.h"
#include "font/Font_Table.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_DeviceAll.h"
#include "graphics/Graphics_Shader.h"
#include "graphics/Graphics_StartupServices.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Graphics_VertexFormat.h"
#include "instance/Instance_List.h"
#include "io/IO_Main.h"
#include "motion/Motion_Grid.h"
#include "networking/Networking_Manager.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "particle/Particle_System.h"
#include "path/Path_Table.h"
#include "support/Support_DLL.h"
#include "timeline/Timeline_Table.h"
#include "platform/Platform_EmbeddedImages.h"
#include "platform/Platform_ScriptHeap.h"
#include "platform/Platform_TestSwitches.h"
#include "platform/posix/Platform_Termination.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "room/Room_Draw.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "run/Run_Layer.h"
#include "run/Run_Window.h"
#include "script/Script_Table.h"
#include "sound/Sound_Main.h"
#include "sprite/Sprite_Table.h"
#include "steam/Steam_Functions.h"
#include "steam/Steam_Layer.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"
#include "trigger/Trigger_Class.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"

namespace {

constexpr unsigned RANDOM_SEED = 2101988;

void Log(const char* line)
{
    MainConsole->Output("%s\n", line);
}

// The last error report (a compile error, say) was logged when it was shown; the terminal gets it
// too, before the line of the failure.
void ErrorReportToTerminal()
{
    if (!g_ErrorLast.empty()) std::fprintf(stderr, "%s\n", g_ErrorLast.c_str());
}

// The game file's name as the refusals show it: a name from the command line may hold anything.
std::string GameFileName()
{
    return Text_Printable(App_GetGameFileName());
}

// The game file cannot be read, or is no game file: nothing of it is walked.
bool GameFileRefused()
{
    std::string name = GameFileName();
    std::string reason;
    if (!g_GameFile.IsLoaded()) reason = name + " cannot be read: " + GameFile_ReadError();
    else if (std::string refusal = GameFile_Refusal(g_GameFile); !refusal.empty())
        reason = name + " is not a game file: " + refusal;
    if (reason.empty()) return false;
    Console_ReportFailure(reason);
    Console_ReportFailure("Failed to load the game");
    return true;
}

// A file refused for a chunk of an unknown kind is most often one of a later format than this
// run-time reads: the player's last line says so in their words.
void LaterFormatToTerminal()
{
    std::string tag = GameFile_UnknownChunk(g_GameFile);
    if (tag.empty()) return;
    std::string line = GameFileName() + " is a game file of a format this run-time does not read: it holds a chunk " +
                       tag + " of a kind unknown here";
    if (g_GameHeader.version > HEADER_VERSION_NEWEST)
        line += " (its header version is " + std::to_string(g_GameHeader.version) +
                "; this run-time reads versions up to " + std::to_string(HEADER_VERSION_NEWEST) + ")";
    Console_ReportFailure(line);
}

// The families of built-in functions in the order they are logged; each name is followed by its
// registrars.
struct FunctionFamily {
    const char* name;
    void (*first)();
    void (*second)();
    void (*third)() = nullptr;
};

void LoadHighscores()
{
    Score_Load();
}

const FunctionFamily FUNCTION_FAMILIES[] = {
    {"HighScore..", LoadHighscores, nullptr},
    {"Game..", Function_Game_Init, nullptr},
    {"Math..", Function_Math_Init, nullptr},
    {"Graphic..", Function_Graphics_Init, nullptr},
    {"Action..", InitActionFunctions, nullptr},
    {"File..", Function_File_Init, nullptr},
    {"Resource..", InitResourceFunctions, nullptr},
    {"Interaction..", Function_Interaction_Init, nullptr},
    {"3D..", InitD3DFunctions, nullptr},
    {"Particle..", Function_Particle_Init, nullptr},
    {"Misc..", Function_Misc_Init, nullptr},
    {"DS..", InitDataStructureFunctions, nullptr},
    {"Sound..", InitSoundFunctions, nullptr},
    {"DPlay..", InitMPlayFunctions, nullptr},
    {"Physics..", Function_Physics_Init, nullptr},
    {"Gamepad..", Function_Gamepad_Init, nullptr},
    {"Buffers..", Buffer_RegisterFunctions, VertexBuilder_RegisterFunctions},
    {"Networking..", Network_RegisterFunctions, nullptr},
    {"Shaders..", Shader_RegisterFunctions, VertexFormat_RegisterFunctions, InitSteamFunctions},
    {"Wexo..", InitWexoFunctions, Function_Win8_Init},
};

void StartDebugServer()
{
    g_pDebugServer = new qzServer();
    g_pDebugServer->isDebugger = 1;
    g_pDebugServer->Init(0, DEBUGGER_PORT, 1, 1);
}

void FreeDebugServer()
{
    delete g_pDebugServer;
    g_pDebugServer = nullptr;
    Debugger_FreeEvaluationInstance();
}

// Every text and record of the game lives in the script heap: where not even its smallest range can
// be reserved, the start is refused before anything is made. Worded in a fixed buffer: the address
// space the range lacks may be what the process's own allocator lacks too.
bool ScriptHeapReserved()
{
    if (ScriptHeap_Init()) return true;
    char line[200];
    std::snprintf(line, sizeof line,
                  "The game cannot start: not even %zu MB of address space can be reserved for its memory (the "
                  "address-space limit, as ulimit -v sets, is too low)",
                  SCRIPT_HEAP_SMALLEST_RANGE >> 20);
    Console_ReportFailure(line);
    return false;
}

} // namespace

// Shut-down order: services that write files first (achievements, sockets, Steam, highscores),
// then the tables from the script engine down to the device that their textures live on.
const StartupStep SHUTDOWN_STEPS[] = {
    {"Save Achievement Cache", Wexo_FunctionsSaveCache},
    {"Close Sockets", Network_CloseAll},
    {"Shutdown Steam", Steam_Shutdown},
    {"Save Highscores", Score_Save},
    {"Free Constants", Constant_Clear},
    {"Free Functions", Function_FreeTable},
    {"Free Script Arguments", Code_FreeScriptArguments},
    {"Free Motion Grids", CGrid_DestroyAll},
    {"Free Paths", Path_Reset},
    {"Free Data Structures", DS_FreeAll},
    {"Free Buffers", Buffer_DeleteAll},
    {"Free Vertex Buffers", VertexBuilder_DeleteAll},
    {"Free Vertex Formats", VertexFormat_FreeAll},
    {"Free Models", GR_3D_ModelFreeAll},
    {"Free Time Lines", TimeLine_Reset},
    {"Free Rooms", RoomTables_Free},
    {"Free Instances", Instance_ClearHash},
    {"Free Carried Instances", Run_FreeCarriedInstances},
    {"Free Event Lists", ObjectLists_Free},
    {"Free Objects", Object_ResetTable},
    {"Free Particles", Particle_Shutdown},
    {"Free Sprites", Sprite_Shutdown},
    {"Delete Temp Folder", File_DeleteTempFolder},
    {"Shutdown Display", GR_ShutdownDisplay},
    {"Free Backgrounds", Background_Clear},
    {"Free Textures", Texture_FreeAll},
    {"Free Transitions", GR_Transition_Free},
    {"Free Scripts", Script_Clear},
    {"Free Triggers", Trigger_Shutdown},
    {"Free Variables", Variable_Shutdown},
    {"Free Fonts", Font_Shutdown},
    {"Free Default Font", GR_Text_FreeDefaultFont},
    {"Close Files", File_CloseAll},
    {"Free Sounds", Sound_FreeAll},
    {"Shutdown Direct3D", GR_D3D_Shutdown},
    {"Shutdown Graphics Libraries", GraphicsLibraries_Shutdown},
    {"Free Debug Server", FreeDebugServer},
    {"Free Game Constants", Options_FreeConstants},
    {"Free Extension Functions", DLL_Clear},
};
const int32_t SHUTDOWN_STEP_COUNT = static_cast<int32_t>(sizeof SHUTDOWN_STEPS / sizeof SHUTDOWN_STEPS[0]);

void GraphicsLibraries_Init()
{
    ShaderTranslate_Init();
}

void GraphicsLibraries_Shutdown()
{
    Shader_FreeAll();
    ShaderTranslate_Shutdown();
}

bool App_ChooseGameFile(const char* programPath, const char* commandLine)
{
    std::string path = programPath != nullptr ? programPath : "";
    size_t slash = path.find_last_of('/');
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "data.win";
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        App_SetGameFileName(path.c_str());
        ParseCommandLine(nullptr);
        return true;
    }
    ParseCommandLine(commandLine);
    return false;
}

bool InitAll()
{
    EmbeddedImage_UseBuiltIn();
    GraphicsLibraries_Init();
    Crc32::BuildTable();
    // An all-zero state draws 0 for ever (and loops that draw until a choice fits never end): start
    // from seed 0's sequence, which random_get_seed reads as 0 like an unseeded generator.
    Random_Seed(0);
    File_InitTempDirectory();
    GR_Draw_InitCirclePrecision();
    Constant_Init();
    GR_Window_ResetViewMappings();
    Particle_Init();
    Run_InitGlobals();
    Sound_StartUpStep();
    Variable_BuiltIn_Init();
    Path_Init();
    Score_Clear();
    Run_EmptyChangeLists();
    ProcessMessages();
    return true;
}

void RegisterAllFunctionFamilies()
{
    for (const FunctionFamily& family : FUNCTION_FAMILIES) {
        MainConsole->Output("%s", family.name);
        family.first();
        if (family.second != nullptr) family.second();
        if (family.third != nullptr) family.third();
    }
    MainConsole->Output("Fini\n");
}

bool LoadAndStartGame()
{
    std::srand(RANDOM_SEED);
    if (!LoadGameData()) {
        // The chunks' reasons were logged as they were read; the terminal gets them before the failure.
        std::fputs(GameFile_LoadFailures().c_str(), stderr);
        Console_ReportFailure("Failed to load the game");
        LaterFormatToTerminal();
        return false;
    }
    Variable_Init();
    MainConsole->Output("PrepareGame()\n");
    if (!PrepareGame()) {
        ErrorReportToTerminal();
        Console_ReportFailure("Failed to prepare the game");
        return false;
    }
    // A fatal error while the game was read (a shader that does not compile) ends it before it starts.
    if (g_ErrorQuitting) {
        ErrorReportToTerminal();
        Console_ReportFailure("A fatal error was reported while the game was loaded");
        return false;
    }
    MainConsole->Output("Run_Start\n");
    Run_Start();
    return true;
}

bool StartUp()
{
    KirranLoadGame();
    // Without a game file's bytes there is nothing to walk: stop before any pass or window.
    if (GameFileRefused()) return false;
    Log("Get Resolution");
    LoadGameCode(g_GameFile);
    Log("Create Window");
    CreateMainWindow(g_GameHeader.windowWidth, g_GameHeader.windowHeight);
    Log("Init Graphics");
    if (!InitGraphics()) return false;
    Log("IO Init");
    IO_Init();
    Log("Process Messages");
    ProcessMessages();
    Log("Start Frame");
    GR_StartFrame();
    Log("Part Create Textures");
    Particle_CreateShapeTextures();
    Log("Debug Init Remote Interface");
    Debugger_InitRemoteInterface();
    Log("VM Init");
    VM_Init();
    if (g_GameHeader.present && g_GameHeader.debugByte == 0 && g_pDebugServer == nullptr) {
        Log("Start Server");
        StartDebugServer();
    }
    Log("Create Score Form");
    Log("Create Load Form");
    Log("Create Error Form");
    ErrorForm_Init(&g_ErrorForm);
    Log("Do The Work");
    return LoadAndStartGame();
}

void StopInputAndSound()
{
    IO_Shutdown();
    Sound_Quit();
}

void ShutdownAll()
{
    // The step names are this system's own trace of its shut-down, for whoever asked for the
    // engine's log file; a player's terminal is spared them.
    bool named = g_ConsoleLogOn[CONSOLE_MAIN];
    for (int32_t i = 0; i < SHUTDOWN_STEP_COUNT; ++i) {
        if (named) Log(SHUTDOWN_STEPS[i].name);
        SHUTDOWN_STEPS[i].run();
    }
}

int32_t WinMain(const char* commandLine)
{
    if (!ScriptHeapReserved()) return EXIT_CODE_NOT_STARTED;
    TestSwitches_Get();
    CommandLine_Copy(commandLine);
    MoveAtFiles();
    App_ChooseGameFile(GetProgramDirectory(), g_CommandLine);
    if (!InitAll()) return 0;
    bool started = StartUp();
    while (g_RunState == 1) {
        Run_MainLoopTick();
        ProcessMessages();
    }
    Platform_TerminationEndUnderWay();
    Run_EndGame();
    StopInputAndSound();
    PostQuitToMainWindow();
    ShutdownAll();
    MainWindow_Destroy();
    // A game that could not be started is a failed run, whatever the loop did.
    return started ? g_RunExitCode : EXIT_CODE_NOT_STARTED;
}
