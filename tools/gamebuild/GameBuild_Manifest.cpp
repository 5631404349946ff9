#include "gamebuild/GameBuild_Manifest.h"

#include "gamebuild/GameBuild_Fonts.h"
#include "gamebuild/GameBuild_Sprites.h"
#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Extensions.h"

#include <json.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <utility>

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

const NamedWord EVENT_TYPE_NAMES[] = {
    {"create", 0},   {"destroy", 1}, {"alarm", 2}, {"step", 3},     {"collision", 4},   {"keyboard", 5},
    {"mouse", 6},    {"other", 7},   {"draw", 8},  {"keypress", 9}, {"keyrelease", 10},
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

    void LinkNames(json_object* value, std::map<std::string, std::string>& names)
    {
        if (!Object(value, "linkNames")) return;
        json_object_object_foreach(value, key, field) Text(field, std::string("linkNames.") + key, names[key]);
    }

    void ChunkOrder(json_object* value, std::vector<std::string>& order)
    {
        Strings(value, order);
    }

    void CodeForm(json_object* value, GameDesc& game)
    {
        std::string form;
        Text(value, "codeForm", form);
        if (form == "compiled") game.compiledCode = true;
        else if (form == "source") game.compiledCode = false;
        else Fail("codeForm", "expected \"source\" or \"compiled\"");
    }

    void Real(json_object* value, const std::string& where, float& field)
    {
        json_type type = json_object_get_type(value);
        if (type != json_type_int && type != json_type_double) Fail(where, "expected a number");
        else field = static_cast<float>(json_object_get_double(value));
    }

    // The code of a script or event: "source" (text), "file" (text from a file) or "asm".
    bool Code(const char* key, json_object* value, const std::string& where, CodeDesc& code)
    {
        if (std::strcmp(key, "source") == 0) Text(value, where + ".source", code.source);
        else if (std::strcmp(key, "file") == 0) TextFile(value, where + ".file", code.source);
        else if (std::strcmp(key, "asm") == 0) {
            Text(value, where + ".asm", code.assembly);
            code.isAssembly = true;
        } else return false;
        return true;
    }

    void TextFile(json_object* value, const std::string& where, std::string& text)
    {
        std::vector<uint8_t> bytes;
        File(value, where, bytes);
        text.assign(bytes.begin(), bytes.end());
    }

    void Scripts(json_object* value, std::vector<ScriptDesc>& scripts)
    {
        if (!Array(value, "scripts")) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = "scripts[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            ScriptDesc script;
            if (item == nullptr || json_object_get_type(item) == json_type_null) {
                script.present = false;
                scripts.push_back(script);
                continue;
            }
            if (!Object(item, at)) continue;
            json_object_object_foreach(item, key, field)
            {
                if (std::strcmp(key, "name") == 0) Text(field, at + ".name", script.name);
                else if (!Code(key, field, at, script.code)) Fail(at + "." + key, "unknown key");
            }
            scripts.push_back(script);
        }
    }

    void Objects(json_object* value, std::vector<ObjectDesc>& objects)
    {
        if (!Array(value, "objects")) return;
        std::vector<json_object*> items;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            json_object* item = json_object_array_get_idx(value, i);
            ObjectDesc object;
            object.present = item != nullptr && json_object_get_type(item) != json_type_null;
            json_object* name = nullptr;
            if (object.present && json_object_get_type(item) == json_type_object && json_object_object_get_ex(item, "name", &name))
                Text(name, "objects[" + std::to_string(i) + "].name", object.name);
            objects.push_back(object);
            items.push_back(item);
        }
        // Names are known now, so parents and collision subtypes may name objects.
        for (size_t i = 0; i < items.size(); ++i) {
            if (!objects[i].present) continue;
            std::string at = "objects[" + std::to_string(i) + "]";
            if (Object(items[i], at)) ObjectFields(items[i], at, objects, objects[i]);
        }
    }

    void ObjectFields(json_object* item, const std::string& at, const std::vector<ObjectDesc>& all, ObjectDesc& object)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "name") == 0) continue;
            if (std::strcmp(key, "sprite") == 0) Number(field, where, object.sprite);
            else if (std::strcmp(key, "spriteMarker") == 0) Flag(field, where, object.spriteMarker);
            else if (std::strcmp(key, "visible") == 0) Flag(field, where, object.visible);
            else if (std::strcmp(key, "solid") == 0) Flag(field, where, object.solid);
            else if (std::strcmp(key, "depth") == 0) Number(field, where, object.depth);
            else if (std::strcmp(key, "persistent") == 0) Flag(field, where, object.persistent);
            else if (std::strcmp(key, "parent") == 0) ObjectIndex(field, where, all, object.parent);
            else if (std::strcmp(key, "mask") == 0) Number(field, where, object.mask);
            else if (std::strcmp(key, "physics") == 0) Physics(field, where, object.physics);
            else if (std::strcmp(key, "events") == 0) Events(field, where, all, object.events);
            else Fail(where, "unknown key");
        }
    }

    void Flag(json_object* value, const std::string& where, bool& field)
    {
        int64_t read;
        if (Int(value, where, 0, 1, read)) field = read != 0;
    }

    // An object by index, or by the name of one of the manifest's objects.
    void ObjectIndex(json_object* value, const std::string& where, const std::vector<ObjectDesc>& all, int32_t& field)
    {
        NamedIndex(value, where, all, "object", field);
    }

    // A resource by index, or by the name of one of the manifest's resources of its kind.
    template <typename T>
    void NamedIndex(json_object* value, const std::string& where, const std::vector<T>& all, const char* kind,
                    int32_t& field)
    {
        if (json_object_get_type(value) != json_type_string || ParseHex(json_object_get_string(value), m_Scratch)) {
            Number(value, where, field);
            return;
        }
        const char* name = json_object_get_string(value);
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].present && all[i].name == name) {
                field = static_cast<int32_t>(i);
                return;
            }
        }
        Fail(where, std::string("no ") + kind + " is named " + name);
    }

    // Backgrounds: a picture each (without one the record names no page entry) and three flags.
    void Backgrounds(json_object* value, std::vector<BackgroundDesc>& backgrounds)
    {
        if (!Array(value, "backgrounds")) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = "backgrounds[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            BackgroundDesc background;
            background.present = item != nullptr && json_object_get_type(item) != json_type_null;
            if (background.present && Object(item, at)) BackgroundFields(item, at, background);
            backgrounds.push_back(background);
        }
    }

    void BackgroundFields(json_object* item, const std::string& at, BackgroundDesc& b)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "name") == 0) Text(field, where, b.name);
            else if (std::strcmp(key, "transparent") == 0) Flag(field, where, b.transparent);
            else if (std::strcmp(key, "smooth") == 0) Flag(field, where, b.smooth);
            else if (std::strcmp(key, "preload") == 0) Flag(field, where, b.preload);
            else if (std::strcmp(key, "picture") == 0) {
                b.hasPicture = true;
                ReadPictureManifest(field, m_Folder, where, b.picture,
                                    [&](const std::string& w, const std::string& what) { Fail(w, what); });
            } else Fail(where, "unknown key");
        }
    }

    void Physics(json_object* value, const std::string& at, PhysicsDesc& physics)
    {
        if (!Object(value, at)) return;
        json_object_object_foreach(value, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "enabled") == 0) Number(field, where, physics.enabled);
            else if (std::strcmp(key, "sensor") == 0) Number(field, where, physics.sensor);
            else if (std::strcmp(key, "shape") == 0) Number(field, where, physics.shape);
            else if (std::strcmp(key, "group") == 0) Number(field, where, physics.group);
            else if (std::strcmp(key, "density") == 0) Real(field, where, physics.density);
            else if (std::strcmp(key, "restitution") == 0) Real(field, where, physics.restitution);
            else if (std::strcmp(key, "linearDamping") == 0) Real(field, where, physics.linearDamping);
            else if (std::strcmp(key, "angularDamping") == 0) Real(field, where, physics.angularDamping);
            else if (std::strcmp(key, "friction") == 0) Real(field, where, physics.friction);
            else if (std::strcmp(key, "awake") == 0) Number(field, where, physics.awake);
            else if (std::strcmp(key, "kinematic") == 0) Number(field, where, physics.kinematic);
            else if (std::strcmp(key, "points") == 0) Points(field, where, physics.points);
            else Fail(where, "unknown key");
        }
    }

    void Points(json_object* value, const std::string& at, std::vector<std::pair<float, float>>& points)
    {
        if (!Array(value, at)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string where = at + "[" + std::to_string(i) + "]";
            json_object* pair = json_object_array_get_idx(value, i);
            if (!Array(pair, where) || json_object_array_length(pair) != 2) {
                Fail(where, "expected [x, y]");
                continue;
            }
            std::pair<float, float> point;
            Real(json_object_array_get_idx(pair, 0), where + "[0]", point.first);
            Real(json_object_array_get_idx(pair, 1), where + "[1]", point.second);
            points.push_back(point);
        }
    }

    void Events(json_object* value, const std::string& at, const std::vector<ObjectDesc>& all, std::vector<EventDesc>& events)
    {
        if (!Array(value, at)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string where = at + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            if (!Object(item, where)) continue;
            EventDesc event;
            json_object_object_foreach(item, key, field)
            {
                if (std::strcmp(key, "type") == 0) EventType(field, where + ".type", event.type);
                else if (std::strcmp(key, "subtype") == 0) ObjectIndex(field, where + ".subtype", all, event.subtype);
                else if (!Code(key, field, where, event.code)) Fail(where + "." + key, "unknown key");
            }
            events.push_back(event);
        }
    }

    void EventType(json_object* value, const std::string& where, int32_t& type)
    {
        if (json_object_get_type(value) != json_type_string) {
            Number(value, where, type);
            return;
        }
        const char* name = json_object_get_string(value);
        for (const NamedWord& named : EVENT_TYPE_NAMES) {
            if (std::strcmp(named.name, name) == 0) {
                type = named.word;
                return;
            }
        }
        Fail(where, std::string("not an event type: ") + name);
    }

    // Rooms are read after the objects and backgrounds, so that placed instances, layers and tiles
    // may name them.
    // An array of resources indexed by position; null leaves a hole. `fields` reads one object.
    template <typename Desc, typename Fields>
    void Resources(json_object* value, const char* what, std::vector<Desc>& out, Fields fields)
    {
        if (!Array(value, what)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = std::string(what) + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            Desc desc;
            desc.present = item != nullptr && json_object_get_type(item) != json_type_null;
            if (desc.present && Object(item, at)) fields(item, at, desc);
            out.push_back(desc);
        }
    }

    void Paths(json_object* value, std::vector<PathDesc>& paths)
    {
        Resources(value, "paths", paths, [this](json_object* item, const std::string& at, PathDesc& path) {
            json_object_object_foreach(item, key, field)
            {
                std::string where = at + "." + key;
                if (std::strcmp(key, "name") == 0) Text(field, where, path.name);
                else if (std::strcmp(key, "kind") == 0) Number(field, where, path.kind);
                else if (std::strcmp(key, "closed") == 0) Flag(field, where, path.closed);
                else if (std::strcmp(key, "precision") == 0) Number(field, where, path.precision);
                else if (std::strcmp(key, "points") == 0) PathPoints(field, where, path.points);
                else Fail(where, "unknown key");
            }
        });
    }

    // "shaders": name, kind and "sources", eight texts, {"file": ...} objects or nulls (index 4 the
    // vertex shader, 5 the fragment shader).
    void Shaders(json_object* value, std::vector<ShaderDesc>& shaders)
    {
        Resources(value, "shaders", shaders, [this](json_object* item, const std::string& at, ShaderDesc& shader) {
            json_object_object_foreach(item, key, field)
            {
                std::string where = at + "." + key;
                if (std::strcmp(key, "name") == 0) Text(field, where, shader.name);
                else if (std::strcmp(key, "kind") == 0) Number(field, where, shader.kind);
                else if (std::strcmp(key, "sources") == 0) ShaderSources(field, where, shader);
                else Fail(where, "unknown key");
            }
        });
    }

    void ShaderSources(json_object* value, const std::string& where, ShaderDesc& shader)
    {
        if (!Array(value, where)) return;
        if (json_object_array_length(value) > 8) Fail(where, "at most eight sources");
        for (size_t i = 0; i < 8 && i < json_object_array_length(value); ++i) {
            json_object* item = json_object_array_get_idx(value, i);
            if (item == nullptr || json_object_get_type(item) == json_type_null) continue;
            shader.hasSource[i] = true;
            std::string at = where + "[" + std::to_string(i) + "]";
            json_object* file = nullptr;
            if (json_object_get_type(item) == json_type_object && json_object_object_get_ex(item, "file", &file))
                TextFile(file, at + ".file", shader.sources[i]);
            else
                Text(item, at, shader.sources[i]);
        }
    }

    void PathPoints(json_object* value, const std::string& where, std::vector<std::array<float, 3>>& points)
    {
        if (!Array(value, where)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = where + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            std::array<float, 3> point = {0.0f, 0.0f, 100.0f};
            if (!Array(item, at)) continue;
            if (json_object_array_length(item) != 3) Fail(at, "expected [x, y, speed]");
            for (size_t k = 0; k < 3 && k < json_object_array_length(item); ++k)
                Real(json_object_array_get_idx(item, k), at + "[" + std::to_string(k) + "]", point[k]);
            points.push_back(point);
        }
    }

    void TimeLines(json_object* value, std::vector<TimeLineDesc>& lines)
    {
        Resources(value, "timelines", lines, [this](json_object* item, const std::string& at, TimeLineDesc& line) {
            json_object_object_foreach(item, key, field)
            {
                std::string where = at + "." + key;
                if (std::strcmp(key, "name") == 0) Text(field, where, line.name);
                else if (std::strcmp(key, "moments") == 0) Moments(field, where, line.moments);
                else Fail(where, "unknown key");
            }
        });
    }

    void Moments(json_object* value, const std::string& where, std::vector<MomentDesc>& moments)
    {
        if (!Array(value, where)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = where + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            if (!Object(item, at)) continue;
            MomentDesc moment;
            json_object_object_foreach(item, key, field)
            {
                if (std::strcmp(key, "time") == 0) Number(field, at + ".time", moment.time);
                else if (!Code(key, field, at, moment.code)) Fail(at + "." + key, "unknown key");
            }
            moments.push_back(moment);
        }
    }

    void Rooms(json_object* value, GameDesc& game)
    {
        if (!Array(value, "rooms")) return;
        m_Backgrounds = &game.backgrounds;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = "rooms[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            RoomDesc room;
            room.present = item != nullptr && json_object_get_type(item) != json_type_null;
            if (room.present && Object(item, at)) RoomFields(item, at, game.objects, room);
            game.rooms.push_back(room);
        }
    }

    void RoomFields(json_object* item, const std::string& at, const std::vector<ObjectDesc>& objects, RoomDesc& room)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "name") == 0) Text(field, where, room.name);
            else if (std::strcmp(key, "caption") == 0) OptionalText(field, where, room.hasCaption, room.caption);
            else if (std::strcmp(key, "width") == 0) Number(field, where, room.width);
            else if (std::strcmp(key, "height") == 0) Number(field, where, room.height);
            else if (std::strcmp(key, "speed") == 0) Number(field, where, room.speed);
            else if (std::strcmp(key, "persistent") == 0) Flag(field, where, room.persistent);
            else if (std::strcmp(key, "colour") == 0) Number(field, where, room.colour);
            else if (std::strcmp(key, "showColour") == 0) Flag(field, where, room.showColour);
            else if (std::strcmp(key, "enableViews") == 0) Number(field, where, room.enableViews);
            else if (std::strcmp(key, "physics") == 0) Flag(field, where, room.usesPhysics);
            else if (std::strcmp(key, "gravityX") == 0) Real(field, where, room.gravityX);
            else if (std::strcmp(key, "gravityY") == 0) Real(field, where, room.gravityY);
            else if (std::strcmp(key, "physicsScale") == 0) Real(field, where, room.physicsScale);
            else if (std::strcmp(key, "backgrounds") == 0) RoomList(field, where, room.backgrounds, &Reader::Background);
            else if (std::strcmp(key, "views") == 0) RoomList(field, where, room.views, &Reader::View);
            else if (std::strcmp(key, "tiles") == 0) RoomList(field, where, room.tiles, &Reader::Tile);
            else if (std::strcmp(key, "instances") == 0) PlacedInstances(field, where, objects, room.instances);
            else if (Code(key, field, at, room.code)) room.hasCode = true;
            else Fail(where, "unknown key");
        }
    }

    // A room's list: objects, or null for an empty entry.
    template <typename T>
    void RoomList(json_object* value, const std::string& at, std::vector<T>& list,
                  void (Reader::*fields)(json_object*, const std::string&, T&))
    {
        if (!Array(value, at)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string where = at + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            T entry;
            entry.present = item != nullptr && json_object_get_type(item) != json_type_null;
            if (entry.present && Object(item, where)) (this->*fields)(item, where, entry);
            list.push_back(entry);
        }
    }

    // Whole-number fields of a list entry by name; false for an unknown key.
    bool IntField(const char* key, json_object* value, const std::string& where,
                  std::initializer_list<std::pair<const char*, int32_t*>> fields)
    {
        for (const auto& [name, field] : fields) {
            if (std::strcmp(name, key) != 0) continue;
            Number(value, where, *field);
            return true;
        }
        return false;
    }

    void Background(json_object* item, const std::string& at, RoomBackgroundDesc& b)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "background") == 0) NamedIndex(field, where, *m_Backgrounds, "background", b.background);
            else if (!IntField(key, field, where,
                          {{"visible", &b.visible}, {"foreground", &b.foreground},
                           {"x", &b.x}, {"y", &b.y}, {"htiled", &b.htiled}, {"vtiled", &b.vtiled},
                           {"hspeed", &b.hspeed}, {"vspeed", &b.vspeed}, {"stretch", &b.stretch}}))
                Fail(where, "unknown key");
        }
    }

    void View(json_object* item, const std::string& at, RoomViewDesc& v)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (!IntField(key, field, where,
                          {{"visible", &v.visible}, {"xview", &v.xview}, {"yview", &v.yview}, {"wview", &v.wview},
                           {"hview", &v.hview}, {"xport", &v.xport}, {"yport", &v.yport}, {"wport", &v.wport},
                           {"hport", &v.hport}, {"hborder", &v.hborder}, {"vborder", &v.vborder},
                           {"hspeed", &v.hspeed}, {"vspeed", &v.vspeed}, {"object", &v.object}}))
                Fail(where, "unknown key");
        }
    }

    void Tile(json_object* item, const std::string& at, RoomTileDesc& t)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "xscale") == 0) Real(field, where, t.xscale);
            else if (std::strcmp(key, "yscale") == 0) Real(field, where, t.yscale);
            else if (std::strcmp(key, "colour") == 0) Number(field, where, t.colour);
            else if (std::strcmp(key, "background") == 0) NamedIndex(field, where, *m_Backgrounds, "background", t.background);
            else if (!IntField(key, field, where,
                               {{"x", &t.x}, {"y", &t.y}, {"left", &t.left},
                                {"top", &t.top}, {"width", &t.width}, {"height", &t.height}, {"depth", &t.depth},
                                {"id", &t.id}}))
                Fail(where, "unknown key");
        }
    }

    void PlacedInstances(json_object* value, const std::string& at, const std::vector<ObjectDesc>& objects,
                         std::vector<RoomInstanceDesc>& instances)
    {
        if (!Array(value, at)) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string where = at + "[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            RoomInstanceDesc instance;
            instance.present = item != nullptr && json_object_get_type(item) != json_type_null;
            if (instance.present && Object(item, where)) PlacedInstance(item, where, objects, instance);
            instances.push_back(instance);
        }
    }

    void PlacedInstance(json_object* item, const std::string& at, const std::vector<ObjectDesc>& objects,
                        RoomInstanceDesc& instance)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "object") == 0) ObjectIndex(field, where, objects, instance.object);
            else if (std::strcmp(key, "xscale") == 0) Real(field, where, instance.xscale);
            else if (std::strcmp(key, "yscale") == 0) Real(field, where, instance.yscale);
            else if (std::strcmp(key, "rotation") == 0) Real(field, where, instance.rotation);
            else if (std::strcmp(key, "colour") == 0) Number(field, where, instance.colour);
            else if (IntField(key, field, where, {{"x", &instance.x}, {"y", &instance.y}, {"id", &instance.id}})) continue;
            else if (Code(key, field, at, instance.code)) instance.hasCode = true;
            else Fail(where, "unknown key");
        }
    }

    // "sounds": entries, or null for no sound at an index.
    void Sounds(json_object* value, std::vector<SoundDesc>& sounds)
    {
        if (!Array(value, "sounds")) return;
        for (size_t i = 0; i < json_object_array_length(value); ++i) {
            std::string at = "sounds[" + std::to_string(i) + "]";
            json_object* item = json_object_array_get_idx(value, i);
            SoundDesc sound;
            sound.present = item != nullptr && json_object_get_type(item) != json_type_null;
            if (sound.present && Object(item, at)) SoundFields(item, at, sound);
            sounds.push_back(sound);
        }
    }

    void SoundFields(json_object* item, const std::string& at, SoundDesc& sound)
    {
        json_object_object_foreach(item, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "name") == 0) Text(field, where, sound.name);
            else if (std::strcmp(key, "extension") == 0) Text(field, where, sound.extension);
            else if (std::strcmp(key, "fileName") == 0) Text(field, where, sound.fileName);
            else if (std::strcmp(key, "effects") == 0) Number(field, where, sound.effects);
            else if (std::strcmp(key, "preload") == 0) Number(field, where, sound.preload);
            else if (std::strcmp(key, "volume") == 0) Real(field, where, sound.volume);
            else if (std::strcmp(key, "pan") == 0) Real(field, where, sound.pan);
            else if (std::strcmp(key, "wav") == 0) File(field, where, sound.data);
            else if (std::strcmp(key, "tone") == 0) Tone(field, where, sound.data);
            else if (!IntField(key, field, where, {{"kind", &sound.kind}, {"audioIndex", &sound.audioIndex}}))
                Fail(where, "unknown key");
        }
    }

    void Tone(json_object* value, const std::string& at, std::vector<uint8_t>& data)
    {
        if (!Object(value, at)) return;
        ToneDesc tone;
        json_object_object_foreach(value, key, field)
        {
            std::string where = at + "." + key;
            if (std::strcmp(key, "amplitude") == 0) Real(field, where, tone.amplitude);
            else if (!IntField(key, field, where,
                               {{"frequency", &tone.frequency}, {"milliseconds", &tone.milliseconds}, {"rate", &tone.rate}}))
                Fail(where, "unknown key");
        }
        if (tone.rate < 1 || tone.rate > 192000 || tone.milliseconds < 0 || tone.milliseconds > 600000)
            Fail(at, "rate 1 to 192000 and milliseconds 0 to 600000");
        else data = MakeToneWav(tone);
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
    const std::vector<BackgroundDesc>* m_Backgrounds = nullptr; // while rooms are read
    int64_t m_Scratch = 0;
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
        json_object* rooms = nullptr;
        json_object_object_foreach(root, key, value)
        {
            if (std::strcmp(key, "header") == 0) reader.Header(value, game.header);
            else if (std::strcmp(key, "options") == 0) reader.Options(value, game);
            else if (std::strcmp(key, "strings") == 0) reader.Strings(value, game.extraStrings);
            else if (std::strcmp(key, "rawChunks") == 0) reader.RawChunks(value, game.rawChunks);
            else if (std::strcmp(key, "chunkOrder") == 0) reader.ChunkOrder(value, game.chunkOrder);
            else if (std::strcmp(key, "codeForm") == 0) reader.CodeForm(value, game);
            else if (std::strcmp(key, "linkNames") == 0) reader.LinkNames(value, game.linkNames);
            else if (std::strcmp(key, "scripts") == 0) reader.Scripts(value, game.scripts);
            else if (std::strcmp(key, "paths") == 0) reader.Paths(value, game.paths);
            else if (std::strcmp(key, "shaders") == 0) reader.Shaders(value, game.shaders);
            else if (std::strcmp(key, "timelines") == 0) reader.TimeLines(value, game.timeLines);
            else if (std::strcmp(key, "objects") == 0) reader.Objects(value, game.objects);
            else if (std::strcmp(key, "backgrounds") == 0) reader.Backgrounds(value, game.backgrounds);
            else if (std::strcmp(key, "rooms") == 0) rooms = value;
            else if (std::strcmp(key, "sprites") == 0)
                ReadSpritesManifest(value, folder, game.sprites,
                                    [&](const std::string& where, const std::string& what) { reader.Fail(where, what); });
            else if (std::strcmp(key, "sounds") == 0) reader.Sounds(value, game.sounds);
            else if (std::strcmp(key, "fonts") == 0)
                ReadFontsManifest(value, folder, game.fonts,
                                  [&](const std::string& where, const std::string& what) { reader.Fail(where, what); });
            else if (std::strcmp(key, "fontCharacters") == 0)
                ReadFontCharactersManifest(value, game.fontCharacters,
                                           [&](const std::string& where, const std::string& what) { reader.Fail(where, what); });
            else if (std::strcmp(key, "extensions") == 0)
                ReadExtensionsManifest(value, game.extensions,
                                       [&](const std::string& where, const std::string& what) { reader.Fail(where, what); });
            else if (std::strcmp(key, "textures") == 0)
                ReadTexturesManifest(value, folder, game.textures,
                                     [&](const std::string& where, const std::string& what) { reader.Fail(where, what); });
            else reader.Fail(key, "unknown key");
        }
        if (rooms != nullptr) reader.Rooms(rooms, game);
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
