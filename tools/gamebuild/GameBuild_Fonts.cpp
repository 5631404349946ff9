// The fonts chunk ("FONT") and the manifest's "fonts": a record per font, its glyphs, and the
// character table that ends the chunk.
#include <json.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Fonts.h"

namespace gamebuild {
namespace {

constexpr int32_t CHARACTER_TABLE_SIZE = 256;

template <typename T> void Int(json_object* value, const std::string& where, T& field, const ManifestFail& fail)
{
    int64_t read = 0;
    if (!ReadManifestInt(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), read))
        fail(where, "expected a whole number in range");
    else
        field = T(read);
}

void Real(json_object* value, const std::string& where, float& field, const ManifestFail& fail)
{
    json_type type = json_object_get_type(value);
    if (type != json_type_int && type != json_type_double) fail(where, "expected a number");
    else field = float(json_object_get_double(value));
}

void Glyph(json_object* item, const std::string& at, FontGlyphDesc& g, const ManifestFail& fail)
{
    if (json_object_get_type(item) != json_type_object) {
        fail(at, "expected an object");
        return;
    }
    struct Field {
        const char* name;
        int32_t* field;
    };
    const Field fields[] = {{"char", &g.code}, {"x", &g.x},         {"y", &g.y},          {"w", &g.w},
                            {"h", &g.h},       {"shift", &g.shift}, {"offset", &g.offset}};
    json_object_object_foreach(item, key, value)
    {
        bool known = false;
        for (const Field& f : fields) {
            if (std::strcmp(key, f.name) != 0) continue;
            known = true;
            // A one-character string stands for its code.
            if (f.field == &g.code && json_object_get_type(value) == json_type_string &&
                json_object_get_string_len(value) == 1)
                g.code = uint8_t(json_object_get_string(value)[0]);
            else
                Int(value, at + "." + key, *f.field, fail);
        }
        if (!known) fail(at + "." + key, "unknown key");
    }
}

void ReadFontFields(json_object* item, const std::string& folder, const std::string& at, FontDesc& f,
                    const ManifestFail& fail)
{
    json_object_object_foreach(item, key, value)
    {
        std::string where = at + "." + key;
        json_type type = json_object_get_type(value);
        if (std::strcmp(key, "name") == 0 && type == json_type_string) f.name = json_object_get_string(value);
        else if (std::strcmp(key, "fontName") == 0 && type == json_type_null) f.hasFontName = false;
        else if (std::strcmp(key, "fontName") == 0 && type == json_type_string) f.fontName = json_object_get_string(value);
        else if (std::strcmp(key, "size") == 0) Int(value, where, f.size, fail);
        else if (std::strcmp(key, "bold") == 0) Int(value, where, f.bold, fail);
        else if (std::strcmp(key, "italic") == 0) Int(value, where, f.italic, fail);
        else if (std::strcmp(key, "first") == 0) Int(value, where, f.first, fail);
        else if (std::strcmp(key, "last") == 0) Int(value, where, f.last, fail);
        else if (std::strcmp(key, "charset") == 0) Int(value, where, f.charset, fail);
        else if (std::strcmp(key, "antialias") == 0) Int(value, where, f.antialias, fail);
        else if (std::strcmp(key, "xscale") == 0) Real(value, where, f.xscale, fail);
        else if (std::strcmp(key, "yscale") == 0) Real(value, where, f.yscale, fail);
        else if (std::strcmp(key, "picture") == 0) {
            f.hasPicture = true;
            ReadPictureManifest(value, folder, where, f.picture, fail);
        } else if (std::strcmp(key, "glyphs") == 0 && type == json_type_array) {
            for (size_t i = 0; i < json_object_array_length(value); ++i) {
                f.glyphs.emplace_back();
                Glyph(json_object_array_get_idx(value, i), where + "[" + std::to_string(i) + "]", f.glyphs.back(), fail);
            }
        } else fail(where, "unknown key or wrong type");
    }
}

void CheckFont(ImageWriter& image, const FontDesc& f, size_t index)
{
    std::string at = "fonts[" + std::to_string(index) + "]";
    if (f.first < 0 || f.first > 0xFFFF || f.charset < 0 || f.charset > 255 || f.antialias < -1 || f.antialias > 254)
        image.Error(at + ": first is 0 to 65535, charset 0 to 255, antialias -1 to 254");
    for (size_t i = 0; i < f.glyphs.size(); ++i) {
        const FontGlyphDesc& g = f.glyphs[i];
        for (int32_t field : {g.code, g.x, g.y, g.w, g.h, g.shift, g.offset})
            if (field < INT16_MIN || field > UINT16_MAX)
                image.Error(at + ".glyphs[" + std::to_string(i) + "]: every field is 16-bit");
        if (i > 0 && f.glyphs[i - 1].code >= g.code)
            image.Error(at + ".glyphs[" + std::to_string(i) + "]: glyphs go in ascending order of code");
    }
}

void WriteFont(ImageWriter& image, const FontDesc& f, int32_t picture, std::vector<std::pair<uint32_t, int32_t>>& pageWords)
{
    image.StringRef(f.name);
    if (f.hasFontName) image.StringRef(f.fontName);
    else image.U32(0);
    image.I32(f.size);
    image.U32(f.bold ? 1 : 0);
    image.U32(f.italic ? 1 : 0);
    image.U32(uint32_t(f.first) | uint32_t(f.charset) << 16 | uint32_t(f.antialias + 1) << 24);
    image.I32(f.last);
    if (picture >= 0) pageWords.emplace_back(image.Position(), picture);
    image.U32(0);
    image.F32(f.xscale);
    image.F32(f.yscale);
    image.U32(uint32_t(f.glyphs.size()));
    uint32_t offsets = image.Position();
    image.Zeros(4 * uint32_t(f.glyphs.size()));
    // Glyphs are 14 bytes each, so most lie at offsets that are not a multiple of four.
    for (size_t i = 0; i < f.glyphs.size(); ++i) {
        image.PatchU32(offsets + 4 * uint32_t(i), image.Position());
        const FontGlyphDesc& g = f.glyphs[i];
        for (int32_t field : {g.code, g.x, g.y, g.w, g.h, g.shift, g.offset}) image.U16(uint16_t(field));
    }
}

} // namespace

std::vector<int32_t> AddFontPictures(GameDesc& game)
{
    std::vector<int32_t> pictures;
    for (const FontDesc& f : game.fonts) {
        pictures.push_back(f.present && f.hasPicture ? int32_t(game.textures.pictures.size()) : -1);
        if (!f.present || !f.hasPicture) continue;
        game.textures.pictures.push_back(f.picture);
        game.textures.pictures.back().keepWhole = true;
    }
    return pictures;
}

void WriteFontsChunk(ImageWriter& image, const GameDesc& game, const std::vector<int32_t>& fontPictures,
                     std::vector<std::pair<uint32_t, int32_t>>& pageWords)
{
    image.BeginChunk("FONT");
    image.U32(uint32_t(game.fonts.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * uint32_t(game.fonts.size()));
    for (size_t i = 0; i < game.fonts.size(); ++i) {
        if (!game.fonts[i].present) continue;
        CheckFont(image, game.fonts[i], i);
        image.PatchU32(table + 4 * uint32_t(i), image.Position());
        WriteFont(image, game.fonts[i], fontPictures[i], pageWords);
    }
    for (int32_t i = 0; i < CHARACTER_TABLE_SIZE; ++i)
        image.U16(uint16_t(size_t(i) < game.fontCharacters.size() ? game.fontCharacters[size_t(i)] : i));
    image.EndChunk();
}

void ReadFontsManifest(json_object* value, const std::string& folder, std::vector<FontDesc>& fonts,
                       const ManifestFail& fail)
{
    if (json_object_get_type(value) != json_type_array) {
        fail("fonts", "expected an array");
        return;
    }
    for (size_t i = 0; i < json_object_array_length(value); ++i) {
        json_object* item = json_object_array_get_idx(value, i);
        std::string at = "fonts[" + std::to_string(i) + "]";
        fonts.emplace_back();
        FontDesc& f = fonts.back();
        f.present = item != nullptr && json_object_get_type(item) != json_type_null;
        if (!f.present) continue;
        if (json_object_get_type(item) != json_type_object) {
            fail(at, "expected an object");
            continue;
        }
        ReadFontFields(item, folder, at, f, fail);
    }
}

void ReadFontCharactersManifest(json_object* value, std::vector<int32_t>& codes, const ManifestFail& fail)
{
    if (json_object_get_type(value) != json_type_array || json_object_array_length(value) > CHARACTER_TABLE_SIZE) {
        fail("fontCharacters", "expected an array of at most 256 codes");
        return;
    }
    for (size_t i = 0; i < json_object_array_length(value); ++i) {
        codes.push_back(0);
        Int(json_object_array_get_idx(value, i), "fontCharacters[" + std::to_string(i) + "]", codes.back(), fail);
        if (codes.back() < 0 || codes.back() > UINT16_MAX) fail("fontCharacters[" + std::to_string(i) + "]", "0 to 65535");
    }
}

} // namespace gamebuild
