#include "gamebuild/GameBuild_Manifest.h"

#include <json.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

namespace gamebuild {
namespace {

struct NamedFlag {
    const char* name;
    uint32_t bit;
};

const NamedFlag INFO_FLAGS[] = {
    {"fullscreen", 0x1},  {"vsync", 0x2},      {"softwareVertex", 0x4}, {"interpolate", 0x8},
    {"keepAspect", 0x10}, {"showCursor", 0x20}, {"resizable", 0x40},     {"steam", 0x1000},
    {"roamingSave", 0x2000},
};

struct NamedWord {
    const char* name;
    int32_t word;
};

// Options named by meaning; any word can also be set by number under "words".
const NamedWord OPTION_NAMES[] = {
    {"fullScreen", 0},         {"newAudio", 2},          {"showCursor", 4},          {"windowColour", 8},
    {"setDisplayMode", 9},     {"colourDepth", 10},      {"resolution", 11},         {"frequency", 12},
    {"altEnterSwitches", 15},  {"freezeWhenInactive", 22}, {"abortOnError", 32},     {"unsetVariableIsError", 33},
    {"createEventBeforeCode", 34},
};

class Reader {
public:
    explicit Reader(std::string folder) : m_Folder(std::move(folder)) {}

    void Fail(const std::string& where, const std::string& what) { m_Errors += where + ": " + what + "\n"; }
    const std::string& Errors() const { return m_Errors; }

    bool Int(json_object* value, const std::string& where, int64_t low, int64_t high, int64_t& out)
    {
        json_type type = json_object_get_type(value);
        bool read = type == json_type_boolean || type == json_type_int ||
                    (type == json_type_string && ParseHex(json_object_get_string(value), out));
        if (!read) {
            Fail(where, "expected a whole number (or \"0x\" and hex digits)");
            return false;
        }
        if (type == json_type_boolean) out = json_object_get_boolean(value) ? 1 : 0;
        if (type == json_type_int) out = json_object_get_int64(value);
        if (out < low || out > high) {
            Fail(where, "out of range");
            return false;
        }
        return true;
    }

    template <typename T> void Number(json_object* value, const std::string& where, T& field)
    {
        int64_t read;
        if (Int(value, where, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), read))
            field = static_cast<T>(read);
    }

    void Word64(json_object* value, const std::string& where, uint64_t& field)
    {
        int64_t read;
        if (Int(value, where, INT64_MIN, INT64_MAX, read)) field = static_cast<uint64_t>(read);
    }

    // A string, or null for none.
    void OptionalText(json_object* value, const std::string& where, bool& present, std::string& field)
    {
        present = value != nullptr && json_object_get_type(value) != json_type_null;
        if (!present) return;
        if (json_object_get_type(value) != json_type_string) Fail(where, "expected a string or null");
        else field = json_object_get_string(value);
    }

    void Text(json_object* value, const std::string& where, std::string& field)
    {
        if (json_object_get_type(value) != json_type_string) Fail(where, "expected a string");
        else field = json_object_get_string(value);
    }

    bool Array(json_object* value, const std::string& where)
    {
        if (json_object_get_type(value) == json_type_array) return true;
        Fail(where, "expected an array");
        return false;
    }

    bool Object(json_object* value, const std::string& where)
    {
        if (json_object_get_type(value) == json_type_object) return true;
        Fail(where, "expected an object");
        return false;
    }

    void InfoFlags(json_object* value, const std::string& where, uint32_t& flags)
    {
        if (json_object_get_type(value) != json_type_array) {
            Number(value, where, flags);
            return;
        }
        flags = 0;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            json_object* item = json_object_array_get_idx(value, i);
            const char* name = json_object_get_type(item) == json_type_string ? json_object_get_string(item) : "";
            bool known = false;
            for (const NamedFlag& flag : INFO_FLAGS) {
                if (std::strcmp(flag.name, name) == 0) {
                    flags |= flag.bit;
                    known = true;
                }
            }
            if (!known) Fail(where + "[" + std::to_string(i) + "]", "not an info flag name");
        }
    }

    void Header(json_object* object, HeaderDesc& header)
    {
        if (!Object(object, "header")) return;
        json_object_object_foreach(object, key, value)
        {
            std::string where = std::string("header.") + key;
            if (std::strcmp(key, "tag") == 0) Text(value, where, header.tag);
            else if (std::strcmp(key, "version") == 0) Number(value, where, header.version);
            else if (std::strcmp(key, "debug") == 0) Number(value, where, header.debugByte);
            else if (std::strcmp(key, "name") == 0) Text(value, where, header.name);
            else if (std::strcmp(key, "config") == 0) Text(value, where, header.configName);
            else if (std::strcmp(key, "saveFolder") == 0) OptionalText(value, where, header.hasSaveFolder, header.saveFolder);
            else if (std::strcmp(key, "lastInstanceId") == 0) Number(value, where, header.lastInstanceId);
            else if (std::strcmp(key, "lastTileId") == 0) Number(value, where, header.lastTileId);
            else if (std::strcmp(key, "gameId") == 0) Number(value, where, header.gameId);
            else if (std::strcmp(key, "keptWords") == 0) KeptWords(value, where, header.keptWords);
            else if (std::strcmp(key, "windowWidth") == 0) Number(value, where, header.windowWidth);
            else if (std::strcmp(key, "windowHeight") == 0) Number(value, where, header.windowHeight);
            else if (std::strcmp(key, "infoFlags") == 0) InfoFlags(value, where, header.infoFlags);
            else if (std::strcmp(key, "displayName") == 0) OptionalText(value, where, header.hasDisplayName, header.displayName);
            else if (std::strcmp(key, "kept104") == 0) Word64(value, where, header.kept104);
            else if (std::strcmp(key, "optionBits") == 0) Word64(value, where, header.optionBits);
            else if (std::strcmp(key, "steamAppId") == 0) Number(value, where, header.steamAppId);
            else if (std::strcmp(key, "roomOrder") == 0) RoomOrder(value, where, header.roomOrder);
            else Fail(where, "unknown key");
        }
    }

    void KeptWords(json_object* value, const std::string& where, uint64_t (&words)[2])
    {
        if (!Array(value, where)) return;
        if (json_object_array_length(value) != 2) Fail(where, "expected two numbers");
        for (size_t i = 0; i < 2 && i < json_object_array_length(value); ++i)
            Word64(json_object_array_get_idx(value, i), where + "[" + std::to_string(i) + "]", words[i]);
    }

    void RoomOrder(json_object* value, const std::string& where, std::vector<int32_t>& order)
    {
        if (!Array(value, where)) return;
        order.assign(json_object_array_length(value), 0);
        for (size_t i = 0; i < order.size(); ++i)
            Number(json_object_array_get_idx(value, i), where + "[" + std::to_string(i) + "]", order[i]);
    }

    void Options(json_object* object, GameDesc& game)
    {
        if (json_object_get_type(object) == json_type_null) {
            game.hasOptions = false;
            return;
        }
        if (!Object(object, "options")) return;
        json_object_object_foreach(object, key, value)
        {
            std::string where = std::string("options.") + key;
            if (std::strcmp(key, "words") == 0) Words(value, where, game.options);
            else if (std::strcmp(key, "constants") == 0) Constants(value, where, game.options);
            else if (!NamedOption(key, value, where, game.options)) Fail(where, "unknown key");
        }
    }

    bool NamedOption(const char* key, json_object* value, const std::string& where, OptionsDesc& options)
    {
        for (const NamedWord& named : OPTION_NAMES) {
            if (std::strcmp(named.name, key) != 0) continue;
            Number(value, where, options.words[named.word]);
            return true;
        }
        return false;
    }

    void Words(json_object* object, const std::string& where, OptionsDesc& options)
    {
        if (!Object(object, where)) return;
        json_object_object_foreach(object, key, value)
        {
            int32_t index = WordNumber(key);
            if (index < 0) {
                Fail(where + "." + key, "not a word number from 0 to 34");
                continue;
            }
            Number(value, where + "." + key, options.words[index]);
        }
    }

    void Constants(json_object* value, const std::string& where, OptionsDesc& options)
    {
        if (!Array(value, where)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = where + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            if (!Object(item, at)) continue;
            ConstantDesc constant;
            json_object* name = nullptr;
            json_object* text = nullptr;
            json_object_object_get_ex(item, "name", &name);
            json_object_object_get_ex(item, "value", &text);
            OptionalText(name, at + ".name", constant.hasName, constant.name);
            OptionalText(text, at + ".value", constant.hasValue, constant.value);
            options.constants.push_back(constant);
        }
    }

    void Strings(json_object* value, std::vector<std::string>& strings)
    {
        if (!Array(value, "strings")) return;
        strings.assign(json_object_array_length(value), std::string());
        for (size_t i = 0; i < strings.size(); ++i)
            Text(json_object_array_get_idx(value, i), "strings[" + std::to_string(i) + "]", strings[i]);
    }

    void RawChunks(json_object* value, std::vector<RawChunkDesc>& chunks)
    {
        if (!Array(value, "rawChunks")) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = "rawChunks[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            if (!Object(item, at)) continue;
            RawChunkDesc chunk;
            json_object_object_foreach(item, key, field)
            {
                if (std::strcmp(key, "tag") == 0) Text(field, at + ".tag", chunk.tag);
                else if (std::strcmp(key, "hex") == 0) Hex(field, at + ".hex", chunk.body);
                else if (std::strcmp(key, "file") == 0) File(field, at + ".file", chunk.body);
                else Fail(at + "." + key, "unknown key");
            }
            if (chunk.tag.size() != 4) Fail(at + ".tag", "expected four characters");
            chunks.push_back(chunk);
        }
    }

    void ChunkOrder(json_object* value, std::vector<std::string>& order)
    {
        Strings(value, order);
    }

    void Hex(json_object* value, const std::string& where, std::vector<uint8_t>& bytes)
    {
        std::string text;
        Text(value, where, text);
        std::string digits;
        for (char c : text) {
            if (c != ' ') digits += c;
        }
        if (digits.size() % 2 != 0) {
            Fail(where, "an odd number of hex digits");
            return;
        }
        for (size_t i = 0; i < digits.size(); i += 2) {
            int64_t byte;
            if (!ParseHex(("0x" + digits.substr(i, 2)).c_str(), byte)) {
                Fail(where, "not hex digits");
                return;
            }
            bytes.push_back(static_cast<uint8_t>(byte));
        }
    }

    void File(json_object* value, const std::string& where, std::vector<uint8_t>& bytes)
    {
        std::string name;
        Text(value, where, name);
        std::ifstream in(std::filesystem::path(m_Folder) / name, std::ios::binary);
        if (!in) {
            Fail(where, "cannot read " + name);
            return;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    // A word number 0 to 34 written in decimal, else -1.
    static int32_t WordNumber(const char* key)
    {
        int32_t index = 0;
        if (key[0] == '\0' || std::strlen(key) > 2) return -1;
        for (const char* p = key; *p != '\0'; ++p) {
            if (*p < '0' || *p > '9') return -1;
            index = index * 10 + (*p - '0');
        }
        return index < OPTION_WORDS ? index : -1;
    }

    // "0x" followed by at most 16 hex digits, read as a 64-bit pattern.
    static bool ParseHex(const char* text, int64_t& out)
    {
        if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X') || text[2] == '\0') return false;
        uint64_t value = 0;
        size_t digits = 0;
        for (const char* p = text + 2; *p != '\0'; ++p, ++digits) {
            int digit = *p >= '0' && *p <= '9'   ? *p - '0'
                        : *p >= 'a' && *p <= 'f' ? *p - 'a' + 10
                        : *p >= 'A' && *p <= 'F' ? *p - 'A' + 10
                                                 : -1;
            if (digit < 0 || digits >= 16) return false;
            value = value * 16 + static_cast<uint64_t>(digit);
        }
        out = static_cast<int64_t>(value);
        return true;
    }

    std::string m_Folder;
    std::string m_Errors;
};

} // namespace

bool ReadManifest(const std::string& text, const std::string& folder, GameDesc& game, std::string& errors)
{
    json_tokener* tokener = json_tokener_new();
    json_object* root = json_tokener_parse_ex(tokener, text.c_str(), static_cast<int>(text.size()) + 1);
    json_tokener_error parsed = json_tokener_get_error(tokener);
    json_tokener_free(tokener);
    if (root == nullptr || parsed != json_tokener_success) {
        errors = std::string("manifest: not JSON (") + json_tokener_error_desc(parsed) + ")\n";
        if (root != nullptr) json_object_put(root);
        return false;
    }
    Reader reader(folder);
    if (reader.Object(root, "manifest")) {
        json_object_object_foreach(root, key, value)
        {
            if (std::strcmp(key, "header") == 0) reader.Header(value, game.header);
            else if (std::strcmp(key, "options") == 0) reader.Options(value, game);
            else if (std::strcmp(key, "strings") == 0) reader.Strings(value, game.extraStrings);
            else if (std::strcmp(key, "rawChunks") == 0) reader.RawChunks(value, game.rawChunks);
            else if (std::strcmp(key, "chunkOrder") == 0) reader.ChunkOrder(value, game.chunkOrder);
            else reader.Fail(key, "unknown key");
        }
    }
    json_object_put(root);
    errors = reader.Errors();
    return errors.empty();
}

bool ReadManifestFile(const std::string& path, GameDesc& game, std::string& errors)
{
    std::filesystem::path file(path);
    if (std::filesystem::is_directory(file)) file /= "game.json";
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        errors = "cannot read " + file.string() + "\n";
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadManifest(text, file.parent_path().string(), game, errors);
}

} // namespace gamebuild
