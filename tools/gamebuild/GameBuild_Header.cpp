// The header chunk. Its layout grows with the header version; the room order follows the fields
// of the version, except before version 8, where it begins at offset 36 and its list takes the
// place of the save folder's name. The offsets are written out here from the file format, not
// shared with the reader, so that a round trip checks one against the other.
#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

void OptionalString(ImageWriter& image, bool present, const std::string& text)
{
    if (present) image.StringRef(text);
    else image.U32(0);
}

void RoomOrder(ImageWriter& image, const HeaderDesc& header)
{
    image.U32(static_cast<uint32_t>(header.roomOrder.size()));
    for (int32_t room : header.roomOrder) image.I32(room);
}

void OldFields(ImageWriter& image, const HeaderDesc& header)
{
    image.U64(header.keptWords[0]);
    image.U32(static_cast<uint32_t>(header.keptWords[1]));
    if (!header.roomOrder.empty()) {
        if (header.hasSaveFolder) image.Error("a header before version 8 keeps its room order where the save folder goes: give no save folder");
        RoomOrder(image, header);
        return;
    }
    image.U32(0);
    OptionalString(image, header.hasSaveFolder, header.saveFolder);
}

void NewFields(ImageWriter& image, const HeaderDesc& header, uint32_t body)
{
    int32_t version = header.version;
    image.U64(header.keptWords[0]);
    image.U64(header.keptWords[1]);
    OptionalString(image, header.hasSaveFolder, header.saveFolder);
    image.Zeros(16);
    image.I32(header.windowWidth);
    image.I32(header.windowHeight);
    image.U32(header.infoFlags);
    image.Zeros(28);
    if (version >= 10) OptionalString(image, header.hasDisplayName, header.displayName);
    if (version >= 11) image.U64(header.kept104);
    if (version >= 12) image.U64(header.optionBits);
    if (version >= 13) image.U32(header.steamAppId);
    if (version > 13) {
        // Later versions keep the room order's count where the display name goes.
        if (!header.roomOrder.empty() || header.hasDisplayName)
            image.Error("a header after version 13 shares offset 100 between the display name and the room order: give neither");
        return;
    }
    if (image.Position() - body != HeaderRoomOrderOffset(version)) image.Error("header layout out of step");
    RoomOrder(image, header);
}

} // namespace

uint32_t HeaderRoomOrderOffset(int32_t version)
{
    switch (version) {
    case 10: return 104; // after the display name
    case 11: return 112; // after the word at 104
    case 12: return 120; // after the option bits
    case 13: return 124; // after the Steam id
    default: return version <= 7 ? 36 : 100;
    }
}

void WriteHeaderChunk(ImageWriter& image, const HeaderDesc& header)
{
    if (header.tag != "GEN8" && header.tag != "GEN7" && header.tag != "GENL")
        image.Error("header tag \"" + header.tag + "\" is none of GEN8, GEN7, GENL");
    if (header.version < -128 || header.version > 127) image.Error("header version does not fit a signed byte");
    image.BeginChunk(header.tag);
    uint32_t body = image.Position();
    image.U8(header.debugByte);
    image.U8(static_cast<uint8_t>(header.version));
    image.U16(0);
    image.StringRef(header.name);
    image.StringRef(header.configName);
    image.U32(header.lastInstanceId);
    image.U32(header.lastTileId);
    image.U32(header.gameId);
    if (header.version <= 7) OldFields(image, header);
    else NewFields(image, header, body);
    image.EndChunk();
}

} // namespace gamebuild
