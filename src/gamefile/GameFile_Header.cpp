#include "gamefile/GameFile_Header.h"

#include "base/Base_Console.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_DisplayName.h"

GameHeader g_GameHeader;

namespace {

// How much of the body the start-up fields of a version occupy.
uint32_t StartupFieldsEnd(int32_t version)
{
    if (version >= 13) return 124;
    if (version == 12) return 120;
    if (version == 11) return 112;
    if (version == 10) return 104;
    if (version >= 8) return 72;
    return 44;
}

// Reads a u32 of the header body at a body offset; the caller checked the body's length.
uint32_t Word(const GameFile& file, uint32_t body, uint32_t at)
{
    uint32_t value = 0;
    file.U32(body + at, value);
    return value;
}

// Two u32 words, low word first, combined unsigned.
uint64_t Word64(const GameFile& file, uint32_t body, uint32_t at)
{
    return static_cast<uint64_t>(Word(file, body, at)) | (static_cast<uint64_t>(Word(file, body, at + 4)) << 32);
}

bool ReadString(const GameFile& file, uint32_t body, uint32_t at, const char*& out)
{
    uint32_t offset = Word(file, body, at);
    if (file.String(offset, out)) return true;
    MainConsole->Output("Header: the string at header offset %u (file offset %u) lies outside the file\n", at, offset);
    return false;
}

// The version byte and whether the body holds the fields that version names.
bool ReadVersion(const GameFile& file, uint32_t body, uint32_t length, int32_t& version)
{
    uint8_t byte = 0;
    if (length < 2 || !file.U8(body + 1, byte)) {
        MainConsole->Output("Header: a body of %u bytes holds no version\n", length);
        return false;
    }
    version = static_cast<int8_t>(byte);
    if (length < StartupFieldsEnd(version)) {
        MainConsole->Output("Header: a version %d header needs %u bytes, the chunk holds %u\n", version,
                            StartupFieldsEnd(version), length);
        return false;
    }
    return true;
}

// Before version 8 the room order's list begins at offset 40, where later versions keep the save
// folder's name: a non-empty list leaves that word a room index, not a string.
bool SaveFolderPresent(const GameFile& file, uint32_t body, int32_t version)
{
    return version > 7 || Word(file, body, GameHeader_RoomOrderOffset(version)) == 0;
}

void ReadWindowFields(const GameFile& file, uint32_t body, int32_t version)
{
    if (version < 8) return;
    g_GameHeader.windowWidth = static_cast<int32_t>(Word(file, body, 60));
    g_GameHeader.windowHeight = static_cast<int32_t>(Word(file, body, 64));
    g_GameHeader.infoFlags = Word(file, body, 68);
}

void KeepHeaderPlace(uint32_t body, uint32_t length, int32_t version, uint8_t debugByte)
{
    g_GameHeader.present = true;
    g_GameHeader.body = body;
    g_GameHeader.length = length;
    g_GameHeader.version = version;
    g_GameHeader.debugByte = debugByte;
}

} // namespace

void GameHeader_Clear() { g_GameHeader = GameHeader(); }

uint64_t GameHeader_OptionFlags() { return g_GameHeader.optionBits; }

uint32_t GameHeader_RoomOrderOffset(int32_t version)
{
    switch (version) {
    case 10: return 104;
    case 11: return 112;
    case 12: return 120;
    case 13: return 124;
    default: return version <= 7 ? 36 : 100;
    }
}

bool GEN8_ReadStartup(GameFile& file, uint32_t body, uint32_t length)
{
    int32_t version;
    if (!ReadVersion(file, body, length, version)) return false;
    const char* name;
    const char* configName;
    const char* saveFolder = nullptr;
    const char* displayName = nullptr;
    if (!ReadString(file, body, 4, name) || !ReadString(file, body, 8, configName)) return false;
    if (SaveFolderPresent(file, body, version) && !ReadString(file, body, 40, saveFolder)) return false;
    if (version >= 10 && !ReadString(file, body, 100, displayName)) return false;

    uint8_t debugByte = 0;
    file.U8(body, debugByte);
    KeepHeaderPlace(body, length, version, debugByte);
    g_GameHeader.name = name;
    g_GameHeader.configName = configName;
    g_GameHeader.saveFolder = saveFolder != nullptr ? saveFolder : "";
    g_GameHeader.gameId = Word(file, body, 20);
    ReadWindowFields(file, body, version);
    g_GameHeader.steamFlag = (g_GameHeader.infoFlags & HEADER_FLAG_STEAM) != 0;
    if (version >= 10) {
        g_GameHeader.displayName = displayName;
        Platform_SetDisplayName(displayName);
    }
    if (version >= 11) g_GameHeader.kept104 = Word64(file, body, 104);
    g_GameHeader.optionBits = version >= 12 ? Word64(file, body, 112) : ~0ull;
    if (version >= 13) g_GameHeader.steamAppId = Word(file, body, 120);
    return true;
}

bool GEN8_Load(GameFile& file, uint32_t body, uint32_t length)
{
    int32_t version;
    if (!ReadVersion(file, body, length, version)) return false;
    uint32_t at = GameHeader_RoomOrderOffset(version);
    uint32_t count = 0;
    if (length < at + 4 || !file.U32(body + at, count) || count > (length - at - 4) / 4) {
        MainConsole->Output("Header: the room order (count at header offset %u) does not fit the chunk\n", at);
        return false;
    }
    uint8_t debugByte = 0;
    file.U8(body, debugByte);
    KeepHeaderPlace(body, length, version, debugByte);
    g_GameHeader.gameId = Word(file, body, 20);
    g_GameHeader.keptWords[0] = Word64(file, body, 24);
    g_GameHeader.keptWords[1] = Word64(file, body, 32);
    g_GameHeader.lastInstanceId = Word(file, body, 12);
    g_GameHeader.lastTileId = Word(file, body, 16);
    g_InstanceIdCounter = static_cast<int32_t>(g_GameHeader.lastInstanceId);
    g_TileIdCounter = static_cast<int32_t>(g_GameHeader.lastTileId);
    ReadWindowFields(file, body, version);

    g_GameHeader.roomOrder.assign(count, 0);
    for (uint32_t i = 0; i < count; ++i)
        g_GameHeader.roomOrder[i] = static_cast<int32_t>(Word(file, body, at + 4 + 4 * i));
    Room_LoadOrder(g_GameHeader.roomOrder.data(), static_cast<int32_t>(count));
    return true;
}
