// Texture pages: the game's pictures packed into square pages, each page one PNG blob of the
// texture chunk ("TXTR"), each picture one record of the texture-page chunk ("TPAG") that says where
// its non-empty part lies on which page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct json_object;

namespace gamebuild {

class ImageWriter;

// A picture: 0xAARRGGBB pixels, rows top first.
struct PictureDesc {
    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    // Never cropped: a font places its glyph cells by the picture's own coordinates.
    bool keepWhole = false;
};

// A texture-page record written as given (after the packed ones), for games that need an odd one.
struct PageEntryDesc {
    int16_t x = 0, y = 0, width = 0, height = 0;
    int16_t xOffset = 0, yOffset = 0;
    int16_t cropWidth = 0, cropHeight = 0;
    int16_t frameWidth = 0, frameHeight = 0;
    int16_t texture = 0; // an index into the texture chunk's entries
};

struct TexturesDesc {
    int32_t pageSize = 1024; // a power of two from 64 to 4096
    uint32_t flags = 0;      // of every texture chunk entry (bit 0 reaches the texture loader)
    bool crop = true;        // pages hold only each picture's part whose alpha is not 0
    int32_t padding = 1;     // transparent pixels between pictures on a page
    std::vector<PictureDesc> pictures;
    std::vector<PageEntryDesc> extraEntries;

    bool Empty() const { return pictures.empty() && extraEntries.empty(); }
};

// Where each picture went: one record per picture (in picture order), then the extra ones; and the
// pixels of each page.
struct TextureLayout {
    std::vector<PageEntryDesc> entries;
    std::vector<std::vector<uint32_t>> pages; // pageSize x pageSize pixels each
};

// Packs the pictures (tallest first, in rows); problems go to the image.
TextureLayout PackTextures(const TexturesDesc& textures, ImageWriter& image);

// "TPAG": a count table of the 22-byte records. "TXTR": a count table of (flags, blob offset)
// entries, then one PNG blob per page. The loader wants "TPAG" first.
// The page records' writer answers the file offset of the first record (the others follow, 22 bytes
// apart).
uint32_t WriteTexturePagesChunk(ImageWriter& image, const TexturesDesc& textures);
void WriteTexturesChunk(ImageWriter& image, const TexturesDesc& textures);

// PNG file data of a picture; empty when libpng cannot write it.
std::vector<uint8_t> EncodePng(const PictureDesc& picture);
// Decodes PNG file data; false when it is not a PNG it can read.
bool DecodePng(const std::vector<uint8_t>& data, PictureDesc& picture);

// One picture of a manifest: {"file"} or {"width", "height", "fill"} (and a "name").
void ReadPictureManifest(json_object* object, const std::string& folder, const std::string& at, PictureDesc& p,
                         const std::function<void(const std::string&, const std::string&)>& fail);

// A whole number of a manifest (true and false as 1 and 0, or "0x" and hex digits) within the range.
bool ReadManifestInt(json_object* value, int64_t low, int64_t high, int64_t& out);

// The manifest's "textures" object; `fail` gets each problem with its place.
using ManifestFail = std::function<void(const std::string& where, const std::string& what)>;
void ReadTexturesManifest(json_object* value, const std::string& folder, TexturesDesc& textures,
                          const ManifestFail& fail);

} // namespace gamebuild
