// The extension chunk ("EXTN") and the manifest's "extensions":
//     [{"name", "folder", "files": [{"name", "kind", "init", "final",
//        "functions": [{"name", "external", "id", "convention", "arguments", "returns"}]}]}]
// Types are "real" (2) or "string" (1), conventions "cdecl" (12) or "stdcall" (11); numbers may
// stand for either.
#include <json.h>

#include <cstring>

#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Extensions.h"

namespace gamebuild {
namespace {

struct NamedCode {
    const char* name;
    int32_t code;
};

const NamedCode TYPE_NAMES[] = {{"string", 1}, {"real", 2}};
const NamedCode CONVENTION_NAMES[] = {{"stdcall", 11}, {"cdecl", 12}};

template <size_t N> void Code(json_object* value, const std::string& where, const NamedCode (&names)[N], int32_t& out,
                              const ManifestFail& fail)
{
    if (json_object_get_type(value) == json_type_int) {
        out = json_object_get_int(value);
        return;
    }
    const char* text = json_object_get_type(value) == json_type_string ? json_object_get_string(value) : "";
    for (const NamedCode& named : names) {
        if (std::strcmp(named.name, text) == 0) {
            out = named.code;
            return;
        }
    }
    fail(where, "unknown name or wrong type");
}

bool Text(json_object* value, const std::string& where, std::string& out, const ManifestFail& fail)
{
    if (json_object_get_type(value) != json_type_string) {
        fail(where, "expected a string");
        return false;
    }
    out = json_object_get_string(value);
    return true;
}

void Int(json_object* value, const std::string& where, int32_t& out, const ManifestFail& fail)
{
    if (json_object_get_type(value) != json_type_int) fail(where, "expected a whole number");
    else out = json_object_get_int(value);
}

// Calls `each` for every item of an array, with its place.
template <typename Each> void Items(json_object* value, const std::string& where, const ManifestFail& fail, Each each)
{
    if (json_object_get_type(value) != json_type_array) {
        fail(where, "expected an array");
        return;
    }
    for (size_t i = 0; i < json_object_array_length(value); ++i)
        each(json_object_array_get_idx(value, i), where + "[" + std::to_string(i) + "]");
}

void ReadFunction(json_object* item, const std::string& at, ExtensionFunctionDesc& f, const ManifestFail& fail)
{
    json_object_object_foreach(item, key, value)
    {
        std::string where = at + "." + key;
        if (std::strcmp(key, "name") == 0) Text(value, where, f.name, fail);
        else if (std::strcmp(key, "external") == 0) Text(value, where, f.externalName, fail);
        else if (std::strcmp(key, "id") == 0) Int(value, where, f.id, fail);
        else if (std::strcmp(key, "convention") == 0) Code(value, where, CONVENTION_NAMES, f.kind, fail);
        else if (std::strcmp(key, "returns") == 0) Code(value, where, TYPE_NAMES, f.returnType, fail);
        else if (std::strcmp(key, "arguments") == 0)
            Items(value, where, fail, [&](json_object* type, const std::string& in) {
                f.argTypes.push_back(2);
                Code(type, in, TYPE_NAMES, f.argTypes.back(), fail);
            });
        else fail(where, "unknown key");
    }
}

void ReadFile(json_object* item, const std::string& at, ExtensionFileDesc& file, const ManifestFail& fail)
{
    json_object_object_foreach(item, key, value)
    {
        std::string where = at + "." + key;
        if (std::strcmp(key, "name") == 0) Text(value, where, file.fileName, fail);
        else if (std::strcmp(key, "kind") == 0) Int(value, where, file.kind, fail);
        else if (std::strcmp(key, "init") == 0) Text(value, where, file.initName, fail);
        else if (std::strcmp(key, "final") == 0) Text(value, where, file.finalName, fail);
        else if (std::strcmp(key, "functions") == 0)
            Items(value, where, fail, [&](json_object* function, const std::string& in) {
                file.functions.emplace_back();
                if (json_object_get_type(function) != json_type_object) fail(in, "expected an object");
                else ReadFunction(function, in, file.functions.back(), fail);
            });
        else fail(where, "unknown key");
    }
}

void ReadPackage(json_object* item, const std::string& at, ExtensionPackageDesc& package, const ManifestFail& fail)
{
    json_object_object_foreach(item, key, value)
    {
        std::string where = at + "." + key;
        if (std::strcmp(key, "name") == 0) Text(value, where, package.name, fail);
        else if (std::strcmp(key, "folder") == 0) Text(value, where, package.folder, fail);
        else if (std::strcmp(key, "files") == 0)
            Items(value, where, fail, [&](json_object* file, const std::string& in) {
                package.files.emplace_back();
                if (json_object_get_type(file) != json_type_object) fail(in, "expected an object");
                else ReadFile(file, in, package.files.back(), fail);
            });
        else fail(where, "unknown key");
    }
}

// A count word, then a table of that many offsets to fill in as the records are written.
uint32_t BeginTable(ImageWriter& image, size_t count)
{
    image.U32(static_cast<uint32_t>(count));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(count));
    return table;
}

void WriteFunction(ImageWriter& image, const ExtensionFunctionDesc& f)
{
    image.StringRef(f.name);
    image.I32(f.id);
    image.I32(f.kind);
    image.I32(f.returnType);
    image.StringRef(f.externalName.empty() ? f.name : f.externalName);
    image.U32(static_cast<uint32_t>(f.argTypes.size()));
    for (int32_t type : f.argTypes) image.I32(type);
}

void WriteFile(ImageWriter& image, const ExtensionFileDesc& file)
{
    image.StringRef(file.fileName);
    image.StringRef(file.finalName);
    image.StringRef(file.initName);
    image.I32(file.kind);
    uint32_t table = BeginTable(image, file.functions.size());
    for (size_t i = 0; i < file.functions.size(); ++i) {
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        WriteFunction(image, file.functions[i]);
    }
}

template <typename Visit> void ForEachFunction(const std::vector<ExtensionPackageDesc>& packages, Visit visit)
{
    for (const ExtensionPackageDesc& package : packages) {
        if (!package.present) continue;
        for (const ExtensionFileDesc& file : package.files)
            for (const ExtensionFunctionDesc& f : file.functions)
                if (visit(f)) return;
    }
}

} // namespace

void ReadExtensionsManifest(json_object* value, std::vector<ExtensionPackageDesc>& packages, const ManifestFail& fail)
{
    Items(value, "extensions", fail, [&](json_object* item, const std::string& at) {
        packages.emplace_back();
        packages.back().present = item != nullptr && json_object_get_type(item) != json_type_null;
        if (!packages.back().present) return;
        if (json_object_get_type(item) != json_type_object) fail(at, "expected an object");
        else ReadPackage(item, at, packages.back(), fail);
    });
}

void WriteExtensionsChunk(ImageWriter& image, const GameDesc& game)
{
    image.BeginChunk("EXTN");
    uint32_t packages = BeginTable(image, game.extensions.size());
    for (size_t i = 0; i < game.extensions.size(); ++i) {
        const ExtensionPackageDesc& package = game.extensions[i];
        if (!package.present) continue;
        image.PatchU32(packages + 4 * static_cast<uint32_t>(i), image.Position());
        image.StringRef(package.folder);
        image.StringRef(package.name);
        uint32_t files = BeginTable(image, package.files.size());
        for (size_t k = 0; k < package.files.size(); ++k) {
            image.PatchU32(files + 4 * static_cast<uint32_t>(k), image.Position());
            WriteFile(image, package.files[k]);
        }
    }
    image.EndChunk();
}

int32_t ExtensionFunctionId(const std::vector<ExtensionPackageDesc>& packages, const char* name)
{
    int32_t id = -1;
    ForEachFunction(packages, [&](const ExtensionFunctionDesc& f) {
        if (f.name != name) return false;
        id = f.id;
        return true;
    });
    return id;
}

int32_t ExtensionFunctionArgCount(const std::vector<ExtensionPackageDesc>& packages, int32_t id)
{
    int32_t count = -100;
    ForEachFunction(packages, [&](const ExtensionFunctionDesc& f) {
        if (f.id != id) return false;
        count = static_cast<int32_t>(f.argTypes.size());
        return true;
    });
    return count;
}

std::string ExtensionFunctionName(const std::vector<ExtensionPackageDesc>& packages, int32_t id)
{
    std::string name;
    ForEachFunction(packages, [&](const ExtensionFunctionDesc& f) {
        if (f.id != id || f.name.empty()) return false;
        name = f.name;
        return true;
    });
    return name;
}

} // namespace gamebuild
