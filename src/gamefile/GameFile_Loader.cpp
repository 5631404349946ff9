#include "gamefile/GameFile_Loader.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/App_CommandLine.h"
#include "app/App_Startup.h"
#include "base/Base_Console.h"
#include "base/Base_Ini.h"
#include "base/Base_Text.h"
#include "extension/Extension_Main.h"
#include "function/Function_Registry.h"
#include "gamefile/GameFile_DebugInfo.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_OpenDialog.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_Strings.h"
#include "run/Run_Globals.h"
#include "support/Support_SaveArea.h"

GameFile g_GameFile;
uint32_t g_GameFileMemoryFigure = 0;
std::string g_OptionsIniPath;
IniFile* g_pOptionsIni = nullptr;
std::string g_DebugInfoPath;
bool g_CompiledCode = false;
int32_t g_FormatVersion = 0;
uint32_t g_VariableChunkBody = 0;
uint32_t g_VariableChunkWords = 0;
GameFileChunk g_TexturePageChunk;
bool g_PrePassFailed = false;

namespace {

std::string g_ReadError;
std::string g_LoadFailures;

constexpr int32_t PATH_CAPACITY = 2048;

bool IsTag(const GameFileChunk& chunk, const char* tag) { return std::memcmp(chunk.tag, tag, 4) == 0; }

void LogMalformed(const GameFileChunk& chunk)
{
    MainConsole->Output("Malformed Chunk %s (file offset %u, length %u)\n", chunk.Name().c_str(),
                        chunk.body - 8, chunk.length);
}

void LogBroken(const GameFileChunk& chunk)
{
    MainConsole->Output("Chunk %s runs past the end of the file (length %u)\n", chunk.Name().c_str(),
                        chunk.length);
}

// Keeps a copy of what the main console logs while it lives.
class KeptLines : public tagIConsole {
public:
    KeptLines() : m_Saved(MainConsole) { MainConsole = this; }
    ~KeptLines() override { MainConsole = m_Saved; }
    KeptLines(const KeptLines&) = delete;
    KeptLines& operator=(const KeptLines&) = delete;
    bool Setup(int32_t first, int32_t second) override { return m_Saved->Setup(first, second); }
    void Output(const char* format, ...) override KELVARO_PRINTF(2, 3)
    {
        char line[CONSOLE_LINE_SIZE];
        va_list args;
        va_start(args, format);
        int written = std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        if (written < 0) return;
        m_Text += line;
        m_Saved->Output("%s", line);
    }
    const std::string& Text() const { return m_Text; }

private:
    tagIConsole* m_Saved;
    std::string m_Text;
};

// Runs a chunk's reader. A chunk that fails is logged as malformed, and what its reader logged is
// kept with that line: the player's terminal gets it as the reason the load failed.
template <class Reader> bool ReadChunk(const GameFileChunk& chunk, Reader read)
{
    KeptLines said;
    if (read()) return true;
    LogMalformed(chunk);
    g_LoadFailures += said.Text();
    return false;
}

// A reader that reports its failures as fatal errors (a shader that does not compile, a name that
// does not resolve ends the run) is skipped, with a line, in a file that is refused anyway for a
// chunk of an unknown kind (`unknown`, its tag; "" for none): the refusal is what the player reads
// last.
bool SkipFatalReader(const GameFileChunk& chunk, const std::string& unknown)
{
    if (unknown.empty()) return false;
    MainConsole->Output("Chunk %s is not read: the file holds a chunk %s of an unknown kind\n",
                        chunk.Name().c_str(), unknown.c_str());
    return true;
}

// ---- the pre-pass --------------------------------------------------------------------------------

bool PrePassChunk(GameFile& file, const GameFileChunk& chunk, const std::string& unknown)
{
    if (IsTag(chunk, "STRG")) {
        MainConsole->Output("ID_STRG\n");
        return ReadChunk(chunk, [&] { return StringTable_Load(file, chunk.body, chunk.length); });
    }
    if (IsTag(chunk, "GEN7") || IsTag(chunk, "GEN8") || IsTag(chunk, "GENL")) {
        MainConsole->Output("Get Header Information\n");
        bool read = ReadChunk(chunk, [&] { return GEN8_ReadStartup(file, chunk.body, chunk.length); });
        g_FormatVersion = 800;
        MainConsole->Output("InitKVSFunctions\n");
        Function_SetHeaderTag(chunk.tag);
        // Once per run: a second header chunk must not enter every function a second time.
        static bool registered = false;
        if (!registered) RegisterAllFunctionFamilies();
        registered = true;
        return read;
    }
    if (IsTag(chunk, "CODE")) {
        MainConsole->Output("Code_Load()\n");
        g_CompiledCode = true;
        return ReadChunk(chunk, [&] {
            GameFileCountTable table;
            return GameFile_ReadChunkTable(file, chunk.Name(), chunk.body, chunk.length, table) &&
                   Code_Load(file, chunk.body, chunk.length);
        });
    }
    if (IsTag(chunk, "VARI")) {
        if (SkipFatalReader(chunk, unknown)) return true;
        MainConsole->Output("VARI_Load()\n");
        g_VariableChunkBody = chunk.body;
        g_VariableChunkWords = chunk.length / 4;
        return ReadChunk(chunk, [&] { return VARI_Load(file, chunk.body, chunk.length); });
    }
    return true;
}

// ---- the main pass -------------------------------------------------------------------------------

using ChunkReader = bool (*)(GameFile& file, uint32_t body, uint32_t length);

bool ReadOldHeader(GameFile& file, uint32_t body, uint32_t length)
{
    g_FormatVersion = 700;
    return GEN8_Load(file, body, length);
}

bool ReadSounds(GameFile& file, uint32_t body, uint32_t length)
{
    return g_GameOptions.newAudio ? Audio_Load(file, body, length) : Sound_Init(file, body, length);
}

bool ReadAudio(GameFile& file, uint32_t body, uint32_t length)
{
    return g_GameOptions.newAudio ? Audio_WAVs(file, body, length) : Wave_Init(file, body, length);
}

// The page table stays where it is; its entries are read when textures are made.
bool KeepTexturePages(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    GameFile_ReadCountTable(file, body, length, table);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        GameFileEntry page(file, "TPAG", "page entry " + std::to_string(i), entry);
        if (entry != 0 && !page.Holds("its record", entry, TEXTURE_PAGE_ENTRY_SIZE)) return false;
    }
    g_TexturePageChunk.body = body;
    g_TexturePageChunk.length = length;
    std::memcpy(g_TexturePageChunk.tag, "TPAG", 4);
    return true;
}

struct ChunkHandler {
    const char* tag;
    bool countTable; // the body begins with a count table, checked before the reader runs
    ChunkReader reader; // null: nothing more to do
    bool fatal = false; // the reader reports its failures as fatal errors (SkipFatalReader)
};

const ChunkHandler CHUNK_HANDLERS[] = {
    {"GEN8", false, GEN8_Load},
    {"GEN7", false, ReadOldHeader},
    {"GENL", false, ReadOldHeader},
    {"OPTN", false, Options_Load},
    {"EXTN", true, Extension_LoadChunk},
    {"SOND", true, ReadSounds},
    {"AUDO", true, ReadAudio},
    {"SPRT", true, Sprite_Load},
    {"BGND", true, Background_Load},
    {"PATH", true, Path_Load},
    {"SCPT", true, Script_Load},
    {"SHDR", true, Shader_Load, true},
    {"FONT", true, Font_Load},
    {"TMLN", true, TimeLine_Load},
    {"OBJT", true, OBJT_Load},
    {"ROOM", true, ROOM_Load},
    {"CODE", false, Code_PatchStrings},
    {"FUNC", false, FUNC_Load, true},
    {"TXTR", true, TXTR_Load},
    {"TPAG", true, KeepTexturePages},
    {"DAFL", true, nullptr},
    {"VARI", false, nullptr},
    {"STRG", false, nullptr},
    {"HELP", false, nullptr},
};

const ChunkHandler* FindHandler(const GameFileChunk& chunk)
{
    for (const ChunkHandler& handler : CHUNK_HANDLERS) {
        if (IsTag(chunk, handler.tag)) return &handler;
    }
    return nullptr;
}

void ResetTables()
{
    MainConsole->Output("initialise everything!\n");
    Sound_Reset();
    Sprite_Reset();
    Background_Reset();
    Path_Reset();
    Script_Reset();
    Font_Clear();
    TimeLine_Reset();
    Extension_Clear();
    Object_ResetTable();
    RoomTables_Reset();
    Options_Reset();
    g_TexturePageChunk = GameFileChunk();
}

// False when the chunk is unknown or malformed; both are logged.
bool MainPassChunk(GameFile& file, const GameFileChunk& chunk, const std::string& unknown)
{
    const ChunkHandler* handler = FindHandler(chunk);
    if (handler == nullptr) {
        MainConsole->Output("unknown Chunk %s:%d\n", chunk.Name().c_str(),
                            static_cast<int32_t>(chunk.tagWord));
        return false;
    }
    if (handler->fatal && SkipFatalReader(chunk, unknown)) return false;
    return ReadChunk(chunk, [&] {
        GameFileCountTable table;
        bool sound = !handler->countTable ||
                     GameFile_ReadChunkTable(file, chunk.Name(), chunk.body, chunk.length, table);
        return sound && (handler->reader == nullptr || handler->reader(file, chunk.body, chunk.length));
    });
}

// ---- finding the files ---------------------------------------------------------------------------

void ChooseGameFile()
{
    std::string chosen;
    if (!OpenGameFileDialog(chosen)) std::exit(EXIT_CODE_NOT_STARTED);
    App_SetGameFileName(chosen.c_str());
}

void MapGameFileName()
{
    const char* given = App_GetGameFileName();
    Variable_InitWorkingDirectory(given);
    // A folder is no game file and is refused under the name given. The mapping would name another:
    // given the folder the run stands in, it gives the game's folder, which is the one holding it.
    std::error_code error;
    if (std::filesystem::is_directory(given, error)) return;
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, PATH_CAPACITY, given);
    App_SetGameFileName(path);
}

void FreeOptionsIni()
{
    delete g_pOptionsIni;
    g_pOptionsIni = nullptr;
}

void ReadOptionsIni(const std::string& gamePath)
{
    FreeOptionsIni();
    g_OptionsIniPath = GameFile_OptionsIniPath(gamePath);
    if (g_OptionsIniPath.empty()) return;
    MainConsole->Output("Checking if INIFile %s Exists\n", Text_Printable(g_OptionsIniPath).c_str());
    if (!LoadSave_FileExistsBundle(g_OptionsIniPath.c_str())) {
        MainConsole->Output("!!!!No INI File %s\n", Text_Printable(g_OptionsIniPath).c_str());
        return;
    }
    g_pOptionsIni = new IniFile();
    g_pOptionsIni->Open(g_OptionsIniPath.c_str(), false);
    IO_VirtualKey_LoadConfig(g_pOptionsIni);
    LoadSave_IniHook(g_pOptionsIni);
    Sound_IniHook(g_pOptionsIni);
    Options_ReadIni(g_pOptionsIni);
}

void ReadDebugFile(const std::string& gamePath)
{
    g_DebugFile.Release();
    DebugInfo_Clear();
    g_DebugInfoPath = GameFile_DebugInfoPath(gamePath);
    if (g_DebugInfoPath.empty() || !LoadSave_FileExistsBundle(g_DebugInfoPath.c_str())) return;
    int32_t size = 0;
    uint8_t* data = LoadSave_ReadBundleFile(g_DebugInfoPath.c_str(), &size);
    if (data == nullptr) return;
    g_DebugFile.Adopt(data, static_cast<uint32_t>(size));
    LoadDebugInfo(g_DebugFile);
}

// The container's tag, in either byte order; a file shorter than it need only begin like it.
bool BeginsWithTag(const GameFile& file)
{
    uint32_t length = std::min<uint32_t>(file.Size(), 4);
    const uint8_t* tag;
    if (!file.Span(0, length, tag)) return false;
    return std::memcmp(tag, "FORM", length) == 0 || std::memcmp(tag, "MROF", length) == 0;
}

void ReadGameFile(const std::string& gamePath)
{
    g_GameFile.Release();
    MainConsole->Output("Reading File %s\n", Text_Printable(gamePath).c_str());
    int32_t size = 0;
    std::error_code folder;
    // A folder opens for reading here and reads as nothing; say what it is instead.
    bool isFolder = std::filesystem::is_directory(gamePath, folder);
    errno = 0;
    uint8_t* data = isFolder ? nullptr : LoadSave_ReadBundleFile(gamePath.c_str(), &size);
    if (data == nullptr) {
        int error = isFolder ? EISDIR : errno;
        g_ReadError = error != 0 ? std::strerror(error) : "it cannot be read";
        MainConsole->Output("FAILED to load File %s\n", Text_Printable(gamePath).c_str());
        g_GameFileMemoryFigure = 0;
        return;
    }
    g_ReadError.clear();
    MainConsole->Output("Loaded File %s\n", Text_Printable(gamePath).c_str());
    g_GameFile.Adopt(data, static_cast<uint32_t>(size));
    g_GameFileMemoryFigure = static_cast<uint32_t>(size) + 128;
    if (size >= 4 && BeginsWithTag(g_GameFile)) MainConsole->Output("IFF wad found\n");
}

// The part of a path before its last "/", or failing that its last "\"; npos when it has neither.
size_t LastSeparator(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash != std::string::npos ? slash : path.rfind('\\');
}

bool HoldsHeader(const GameFile& file)
{
    GameFileChunkWalk walk(file);
    GameFileChunk chunk;
    if (!walk.Start()) return false;
    while (walk.Next(chunk))
        if (chunk.length != 0 && (IsTag(chunk, "GEN8") || IsTag(chunk, "GEN7") || IsTag(chunk, "GENL"))) return true;
    return false;
}

} // namespace

std::string GameFile_Refusal(const GameFile& file)
{
    uint32_t size = file.Size();
    if (size == 0) return "it is empty";
    std::string detail;
    uint32_t declared = 0;
    file.U32(4, declared);
    if (size <= 8) detail = "it holds only " + std::to_string(size) + (size == 1 ? " byte" : " bytes");
    else if (declared != size - 8)
        detail = "its length word gives " + Text_GroupedDigits(uint64_t{declared} + 8) + " bytes, the file holds " +
                 Text_GroupedDigits(size);
    else if (!HoldsHeader(file)) detail = "it holds no header chunk";
    if (detail.empty()) return "";
    // A picture or a text file is better told as such than by its length word; the tag alone never
    // refuses a file that is otherwise whole.
    if (!BeginsWithTag(file)) return "it does not begin with \"FORM\" as game files do (" + detail + ")";
    return detail;
}

std::string GameFile_UnknownChunk(const GameFile& file)
{
    GameFileChunkWalk walk(file);
    GameFileChunk chunk;
    if (!walk.Start()) return "";
    while (walk.Next(chunk))
        if (chunk.length != 0 && FindHandler(chunk) == nullptr) return chunk.Name();
    return "";
}

const std::string& GameFile_ReadError()
{
    return g_ReadError;
}

const std::string& GameFile_LoadFailures()
{
    return g_LoadFailures;
}

std::string GameFile_OptionsIniPath(const std::string& gamePath)
{
    size_t separator = LastSeparator(gamePath);
    if (separator == std::string::npos) return std::string();
    return gamePath.substr(0, separator) + "/options.ini";
}

std::string GameFile_DebugInfoPath(const std::string& gamePath)
{
    size_t dot = gamePath.rfind('.');
    if (dot == std::string::npos) return std::string();
    return gamePath.substr(0, dot) + ".qzdebug";
}

bool KirranLoadGame()
{
    const char* given = App_GetGameFileName();
    MainConsole->Output("KirranLoadGame: %s\n", Text_Printable(given).c_str());
    if (given == nullptr || given[0] == '\0') ChooseGameFile();
    else MapGameFileName();
    std::string path = App_GetGameFileName() != nullptr ? App_GetGameFileName() : "";
    MainConsole->Output("KirranLoadGame() - %s\n", Text_Printable(path).c_str());
    Variable_InitWorkingDirectory(path.c_str());

    ReadOptionsIni(path);
    ReadDebugFile(path);
    ReadGameFile(path);
    return false;
}

void LoadGameCode(GameFile& file)
{
    g_PrePassFailed = false;
    g_LoadFailures.clear();
    StringTable_Clear();
    GameFileChunkWalk walk(file);
    if (!walk.Start()) return;
    std::string unknown = GameFile_UnknownChunk(file);
    GameFileChunk chunk;
    while (walk.Next(chunk))
        if (chunk.length != 0 && !PrePassChunk(file, chunk, unknown)) g_PrePassFailed = true;
    if (walk.Broken()) {
        LogBroken(walk.BrokenChunk());
        g_PrePassFailed = true;
    }
}

bool LoadGameData()
{
    MainConsole->Output("LoadGameData()\n");
    return LoadGameChunks(g_GameFile);
}

bool LoadGameChunks(GameFile& file)
{
    ResetTables();
    if (!file.IsLoaded()) {
        MainConsole->Output("No game file was read\n");
        return false;
    }
    std::string refusal = GameFile_Refusal(file);
    if (!refusal.empty()) {
        MainConsole->Output("The game file was refused: %s\n", refusal.c_str());
        return false;
    }
    bool result = true;
    if (g_PrePassFailed) {
        MainConsole->Output("The game file was refused while its code was read\n");
        result = false;
    }
    GameFileChunkWalk walk(file);
    if (!walk.Start()) return result;
    std::string unknown = GameFile_UnknownChunk(file);
    GameFileChunk chunk;
    while (walk.Next(chunk)) {
        MainConsole->Output("Process Chunk: %s   %d\n", chunk.Name().c_str(),
                            static_cast<int32_t>(chunk.length));
        if (chunk.length == 0) continue;
        if (!MainPassChunk(file, chunk, unknown)) result = false;
    }
    if (walk.Broken()) {
        // Kept from this pass only: the pre-pass logged the same line.
        KeptLines said;
        LogBroken(walk.BrokenChunk());
        g_LoadFailures += said.Text();
        result = false;
    }
    return result;
}
