#include "gamefile/GameFile_Options.h"

#include <cstring>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "base/Base_Ini.h"
#include "base/Base_Numbers.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"
#include "physics/Physics_World.h"
#include "platform/Platform_MemoryManager.h"

GameOptions g_GameOptions;
int32_t g_ConstantCount = 0;
char** g_ConstantNames = nullptr;
char** g_ConstantValues = nullptr;
bool g_OptionInAWindow = false;
IniOptions g_IniOptions;

namespace {

constexpr uint32_t CONSTANTS_AT = 144; // the pairs follow word 35, the count
constexpr uint32_t PAIR_SIZE = 8;

// Copies a string into an owned slot, keeping the old block when it is large enough; a null text
// frees the slot.
void SetOwnedString(char*& slot, const char* text)
{
    if (text == nullptr) {
        MemoryManager::Free(slot);
        slot = nullptr;
        return;
    }
    size_t needed = std::strlen(text) + 1;
    if (slot == nullptr || MemoryManager::GetSize(slot) < needed) {
        MemoryManager::Free(slot);
        slot = static_cast<char*>(MEM_ALLOC(needed, false));
    }
    std::memcpy(slot, text, needed);
}

// Resizes both constant arrays to `count` entries: earlier entries are kept, dropped ones freed,
// new ones empty.
void ResizeConstants(int32_t count)
{
    for (int32_t i = count; i < g_ConstantCount; ++i) {
        MemoryManager::Free(g_ConstantNames[i]);
        MemoryManager::Free(g_ConstantValues[i]);
    }
    size_t bytes = static_cast<size_t>(count) * sizeof(char*);
    g_ConstantNames = static_cast<char**>(MEM_REALLOC(g_ConstantNames, bytes));
    g_ConstantValues = static_cast<char**>(MEM_REALLOC(g_ConstantValues, bytes));
    for (int32_t i = g_ConstantCount; i < count; ++i) {
        g_ConstantNames[i] = nullptr;
        g_ConstantValues[i] = nullptr;
    }
    g_ConstantCount = count;
}

uint32_t Word(const GameFile& file, uint32_t body, uint32_t index)
{
    uint32_t value = 0;
    file.U32(body + 4 * index, value);
    return value;
}

bool Flag(const GameFile& file, uint32_t body, uint32_t index) { return Word(file, body, index) != 0; }

void ReadWords(const GameFile& file, uint32_t body)
{
    GameOptions& o = g_GameOptions;
    o.fullScreen = Flag(file, body, 0) && !g_OptionInAWindow;
    o.kept1 = Flag(file, body, 1);
    o.newAudio = Flag(file, body, 2);
    o.kept3 = Flag(file, body, 3);
    o.CursorShown = Flag(file, body, 4) ? 1 : 0;
    o.kept5 = Word(file, body, 5);
    o.kept6 = Flag(file, body, 6);
    o.kept7 = Flag(file, body, 7);
    o.windowColour = Word(file, body, 8);
    GR_Window_SetColour(o.windowColour);
    o.setDisplayMode = Flag(file, body, 9);
    o.colourDepthCode = static_cast<int32_t>(Word(file, body, 10));
    o.resolutionCode = static_cast<int32_t>(Word(file, body, 11));
    o.frequencyCode = static_cast<int32_t>(Word(file, body, 12));
    o.kept13 = Flag(file, body, 13);
    o.kept14 = Word(file, body, 14);
    o.altEnterSwitches = Flag(file, body, 15);
    o.kept16 = Flag(file, body, 16);
    o.kept17 = Flag(file, body, 17);
    o.kept18 = Flag(file, body, 18);
    o.kept19 = Flag(file, body, 19);
    o.kept20 = Flag(file, body, 20);
    o.kept21 = Word(file, body, 21);
    o.freezeWhenInactive = Flag(file, body, 22);
    o.kept23 = Flag(file, body, 23);
    o.kept26 = Word(file, body, 26);
    o.kept27 = Flag(file, body, 27);
    o.kept28 = Flag(file, body, 28) ? 1 : 0;
    o.kept29 = Flag(file, body, 29);
    o.kept31 = Flag(file, body, 31);
    o.abortOnError = Flag(file, body, 32);
    o.unsetVariableIsError = Flag(file, body, 33);
    if (g_GameHeader.version >= 5) o.createEventBeforeCode = Flag(file, body, 34);
}

// Every constant string must be readable before anything is stored, so a malformed chunk changes
// nothing.
bool ConstantsReadable(const GameFile& file, uint32_t body, uint32_t count)
{
    for (uint32_t i = 0; i < 2 * count; ++i) {
        const char* text;
        uint32_t offset = Word(file, body, CONSTANTS_AT / 4 + i);
        if (!file.String(offset, text)) {
            MainConsole->Output("Options: constant %u has a %s at file offset %u outside the file\n", i / 2,
                                i % 2 == 0 ? "name" : "value", offset);
            return false;
        }
    }
    return true;
}

void ReadConstants(const GameFile& file, uint32_t body, uint32_t count)
{
    ResizeConstants(static_cast<int32_t>(count));
    for (uint32_t i = 0; i < count; ++i) {
        const char* name = nullptr;
        const char* value = nullptr;
        file.String(Word(file, body, CONSTANTS_AT / 4 + 2 * i), name);
        file.String(Word(file, body, CONSTANTS_AT / 4 + 2 * i + 1), value);
        SetOwnedString(g_ConstantNames[i], name);
        SetOwnedString(g_ConstantValues[i], value);
        if (name == nullptr) continue;
        const char* number = value != nullptr ? value : "";
        if (std::strcmp(name, "VersionMajor") == 0) g_GameOptions.versionMajor = Numbers_ParseInt(number);
        if (std::strcmp(name, "VersionMinor") == 0) g_GameOptions.versionMinor = Numbers_ParseInt(number);
    }
}

} // namespace

void Options_Reset()
{
    // The audio choice and the create-event order survive a reset, and so does the show-errors flag
    // the command line set.
    GameOptions fresh;
    fresh.showErrors = g_GameOptions.showErrors;
    fresh.newAudio = g_GameOptions.newAudio;
    fresh.createEventBeforeCode = g_GameOptions.createEventBeforeCode;
    fresh.versionMajor = g_GameOptions.versionMajor;
    fresh.versionMinor = g_GameOptions.versionMinor;
    g_GameOptions = fresh;
}

bool Options_Load(GameFile& file, uint32_t body, uint32_t length)
{
    uint32_t count = 0;
    if (length < CONSTANTS_AT || !file.U32(body + CONSTANTS_AT - 4, count)) {
        MainConsole->Output("Options: a body of %u bytes is shorter than the %u the option words take\n", length,
                            CONSTANTS_AT);
        return false;
    }
    if (count > (length - CONSTANTS_AT) / PAIR_SIZE) {
        MainConsole->Output("Options: %u constants do not fit a body of %u bytes\n", count, length);
        return false;
    }
    if (!ConstantsReadable(file, body, count)) return false;
    ReadWords(file, body);
    ReadConstants(file, body, count);
    return true;
}

void Options_FreeConstants() { ResizeConstants(0); }

void Options_ReadIni(IniFile* ini)
{
    if (ini == nullptr) return;
    // A missing key allows the orientation; any value but 0 does too.
    g_IniOptions.orientLandscape = ini->ReadInt("DEFAULT", "OrientLandscape", 1) != 0;
    g_IniOptions.orientLandscapeFlipped = ini->ReadInt("DEFAULT", "OrientLandscapeFlipped", 1) != 0;
    g_IniOptions.orientPortrait = ini->ReadInt("DEFAULT", "OrientPortrait", 1) != 0;
    g_IniOptions.orientPortraitFlipped = ini->ReadInt("DEFAULT", "OrientPortraitFlipped", 1) != 0;
    Wexo_PlatformStepNop(g_IniOptions.orientLandscape, g_IniOptions.orientPortrait,
                         g_IniOptions.orientLandscapeFlipped, g_IniOptions.orientPortraitFlipped);

    if (ini->GetKey("DEFAULT", "Debug") != nullptr) {
        g_DebugMode = ini->ReadInt("DEFAULT", "Debug", 0) != 0 ? 1 : 0;
        if (g_DebugMode != 0) {
            g_DebugOverlayFlags = 2;
            Physics_InstallErrorHook();
        }
    }
    if (ini->GetKey("DEFAULT", "Trace") != nullptr) g_TraceFlag = ini->ReadInt("DEFAULT", "Trace", 0) != 0 ? 1 : 0;
}
