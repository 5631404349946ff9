// The sprites chunk ("SPRT") and the manifest's "sprites": frames as pictures of one size, origin,
// box mode and box, flags, and masks made from the frames' alpha.
#include <json.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Sprites.h"

namespace gamebuild {
namespace {

bool Opaque(const PictureDesc& p, int32_t x, int32_t y)
{
    return x < p.width && y < p.height && (p.pixels[size_t(y) * size_t(p.width) + size_t(x)] >> 24) != 0;
}

// Mode 0: the opaque pixels of every frame, starting from an empty box as the run-time does.
void OpaqueBox(const SpriteDesc& s, int32_t width, int32_t height, int32_t box[4])
{
    box[0] = width - 1;
    box[1] = height - 1;
    box[2] = 0;
    box[3] = 0;
    for (const PictureDesc& p : s.frames)
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (Opaque(p, x, y)) {
                    box[0] = std::min(box[0], x);
                    box[1] = std::min(box[1], y);
                    box[2] = std::max(box[2], x);
                    box[3] = std::max(box[3], y);
                }
}

// One mask: rows of (width + 7) / 8 bytes, the leftmost pixel in the top bit; a pixel is set where
// any of the frames is opaque.
void WriteMask(ImageWriter& image, const std::vector<const PictureDesc*>& frames, int32_t width, int32_t height)
{
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t byteX = 0; byteX < (width + 7) / 8; ++byteX) {
            uint8_t bits = 0;
            for (int32_t bit = 0; bit < 8; ++bit) {
                int32_t x = byteX * 8 + bit;
                bool set = false;
                for (const PictureDesc* p : frames)
                    set = set || (x < width && Opaque(*p, x, y));
                if (set) bits = uint8_t(bits | (0x80 >> bit));
            }
            image.U8(bits);
        }
    }
}

void WriteSprite(ImageWriter& image, const SpriteDesc& s, size_t index, const std::vector<int32_t>& pictures,
                 std::vector<std::pair<uint32_t, int32_t>>& frameWords)
{
    int32_t width = s.frames.empty() ? 1 : s.frames[0].width;
    int32_t height = s.frames.empty() ? 1 : s.frames[0].height;
    for (size_t i = 0; i < s.frames.size(); ++i)
        if (s.frames[i].width != width || s.frames[i].height != height)
            image.Error("sprites[" + std::to_string(index) + "].frames[" + std::to_string(i) +
                        "]: every frame has the first frame's size");
    int32_t box[4] = {s.bbox[0], s.bbox[1], s.bbox[2], s.bbox[3]};
    if (s.bboxMode == 0) OpaqueBox(s, width, height, box);
    else if (s.bboxMode == 1) box[0] = 0, box[1] = 0, box[2] = width - 1, box[3] = height - 1;
    image.StringRef(s.name);
    // The box is stored left, right, bottom, top.
    for (int32_t word : {width, height, box[0], box[2], box[3], box[1], int32_t(s.transparent), int32_t(s.smooth),
                         int32_t(s.preload), s.bboxMode, int32_t(s.precise), s.xorigin, s.yorigin,
                         int32_t(s.frames.size())})
        image.I32(word);
    for (int32_t picture : pictures) {
        frameWords.emplace_back(image.Position(), picture);
        image.U32(0);
    }
    std::vector<const PictureDesc*> all;
    for (const PictureDesc& p : s.frames) all.push_back(&p);
    if (s.masks == SpriteMasks::None || s.frames.empty()) {
        image.I32(0);
    } else if (s.masks == SpriteMasks::One) {
        image.I32(1);
        WriteMask(image, all, width, height);
    } else {
        image.I32(int32_t(all.size()));
        for (const PictureDesc* p : all) WriteMask(image, {p}, width, height);
    }
}

// A whole number (or true/false) within the range.
bool ReadNumber(json_object* value, const std::string& where, int64_t low, int64_t high, int64_t& out,
                const ManifestFail& fail)
{
    json_type type = json_object_get_type(value);
    if (type != json_type_int && type != json_type_boolean) {
        fail(where, "expected a whole number");
        return false;
    }
    out = type == json_type_boolean ? (json_object_get_boolean(value) ? 1 : 0) : json_object_get_int64(value);
    if (out < low || out > high) {
        fail(where, "out of range");
        return false;
    }
    return true;
}

void Int(json_object* value, const std::string& where, int32_t& field, const ManifestFail& fail)
{
    int64_t read = 0;
    if (ReadNumber(value, where, INT32_MIN, INT32_MAX, read, fail)) field = int32_t(read);
}

void Flag(json_object* value, const std::string& where, bool& field, const ManifestFail& fail)
{
    int64_t read = 0;
    if (ReadNumber(value, where, 0, 1, read, fail)) field = read != 0;
}

void Box(json_object* value, const std::string& where, int32_t box[4], const ManifestFail& fail)
{
    const char* names[] = {"left", "top", "right", "bottom"};
    if (json_object_get_type(value) != json_type_object) {
        fail(where, "expected an object of left, top, right, bottom");
        return;
    }
    json_object_object_foreach(value, key, field)
    {
        bool known = false;
        for (int32_t i = 0; i < 4; ++i) {
            if (std::strcmp(key, names[i]) != 0) continue;
            Int(field, where + "." + key, box[i], fail);
            known = true;
        }
        if (!known) fail(where + "." + key, "unknown key");
    }
}

void Masks(json_object* value, const std::string& where, SpriteMasks& masks, const ManifestFail& fail)
{
    const char* text = json_object_get_type(value) == json_type_string ? json_object_get_string(value) : "";
    if (std::strcmp(text, "frame") == 0) masks = SpriteMasks::PerFrame;
    else if (std::strcmp(text, "one") == 0) masks = SpriteMasks::One;
    else if (std::strcmp(text, "none") == 0) masks = SpriteMasks::None;
    else fail(where, "expected \"frame\", \"one\" or \"none\"");
}

void ReadSpriteFields(json_object* item, const std::string& folder, const std::string& at, SpriteDesc& s,
                      const ManifestFail& fail)
{
    json_object_object_foreach(item, key, value)
    {
        std::string where = at + "." + key;
        if (std::strcmp(key, "name") == 0 && json_object_get_type(value) == json_type_string)
            s.name = json_object_get_string(value);
        else if (std::strcmp(key, "frames") == 0 && json_object_get_type(value) == json_type_array) {
            for (size_t i = 0; i < json_object_array_length(value); ++i) {
                s.frames.emplace_back();
                ReadPictureManifest(json_object_array_get_idx(value, i), folder,
                                    where + "[" + std::to_string(i) + "]", s.frames.back(), fail);
            }
        } else if (std::strcmp(key, "xorigin") == 0) Int(value, where, s.xorigin, fail);
        else if (std::strcmp(key, "yorigin") == 0) Int(value, where, s.yorigin, fail);
        else if (std::strcmp(key, "bboxMode") == 0) Int(value, where, s.bboxMode, fail);
        else if (std::strcmp(key, "bbox") == 0) Box(value, where, s.bbox, fail);
        else if (std::strcmp(key, "transparent") == 0) Flag(value, where, s.transparent, fail);
        else if (std::strcmp(key, "smooth") == 0) Flag(value, where, s.smooth, fail);
        else if (std::strcmp(key, "preload") == 0) Flag(value, where, s.preload, fail);
        else if (std::strcmp(key, "precise") == 0) Flag(value, where, s.precise, fail);
        else if (std::strcmp(key, "masks") == 0) Masks(value, where, s.masks, fail);
        else fail(where, "unknown key or wrong type");
    }
}

} // namespace

std::vector<std::vector<int32_t>> AddSpritePictures(GameDesc& game)
{
    std::vector<std::vector<int32_t>> pictures(game.sprites.size());
    for (size_t i = 0; i < game.sprites.size(); ++i) {
        for (const PictureDesc& frame : game.sprites[i].frames) {
            pictures[i].push_back(int32_t(game.textures.pictures.size()));
            game.textures.pictures.push_back(frame);
        }
    }
    return pictures;
}

void WriteSpritesChunk(ImageWriter& image, const GameDesc& game, const std::vector<std::vector<int32_t>>& framePictures,
                       std::vector<std::pair<uint32_t, int32_t>>& frameWords)
{
    image.BeginChunk("SPRT");
    image.U32(uint32_t(game.sprites.size()));
    std::vector<uint32_t> tableWords;
    for (size_t i = 0; i < game.sprites.size(); ++i) {
        tableWords.push_back(image.Position());
        image.U32(0);
    }
    for (size_t i = 0; i < game.sprites.size(); ++i) {
        if (!game.sprites[i].present) continue;
        image.PatchU32(tableWords[i], image.Position());
        WriteSprite(image, game.sprites[i], i, framePictures[i], frameWords);
    }
    image.EndChunk();
}

void PatchSpriteFrames(ImageWriter& image, const std::vector<std::pair<uint32_t, int32_t>>& frameWords,
                       uint32_t pageRecords)
{
    for (const auto& [at, picture] : frameWords)
        image.PatchU32(at, pageRecords + 22 * uint32_t(picture));
}

void ReadSpritesManifest(json_object* value, const std::string& folder, std::vector<SpriteDesc>& sprites,
                         const ManifestFail& fail)
{
    if (json_object_get_type(value) != json_type_array) {
        fail("sprites", "expected an array");
        return;
    }
    for (size_t i = 0; i < json_object_array_length(value); ++i) {
        json_object* item = json_object_array_get_idx(value, i);
        std::string at = "sprites[" + std::to_string(i) + "]";
        sprites.emplace_back();
        SpriteDesc& s = sprites.back();
        s.present = item != nullptr && json_object_get_type(item) != json_type_null;
        if (!s.present) continue;
        if (json_object_get_type(item) != json_type_object) {
            fail(at, "expected an object");
            continue;
        }
        ReadSpriteFields(item, folder, at, s, fail);
    }
}

} // namespace gamebuild
