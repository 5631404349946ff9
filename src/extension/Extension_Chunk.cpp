// The extension chunk ("EXTN"): a count table of packages; each package its folder name, name and
// files; each file its name, finalisation and initialisation names, kind and functions; each
// function its name, id, kind, return type, external name and argument types. Every field is a
// 32-bit word, every string the file offset of its text; offset 0 is an absent item.
#include <string>

#include "base/Base_Console.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_View.h"

namespace {

bool Fail(const std::string& where, const char* what)
{
    MainConsole->Output("EXTN: %s: %s\n", where.c_str(), what);
    return false;
}

// A record of `fixed` bytes followed by `count` words lies inside the file.
bool RecordFits(const GameFile& file, uint32_t record, uint32_t fixed, int64_t count)
{
    uint64_t size = fixed + 4 * static_cast<uint64_t>(count < 0 ? 0 : count);
    return size <= UINT32_MAX && file.Contains(record, static_cast<uint32_t>(size));
}

// Records may share their tables, so the objects a chunk makes are capped by what distinct records
// could make: one file or function per word of the file.
struct Budget {
    uint64_t left;
    bool Take(uint32_t count)
    {
        if (count > left) return false;
        left -= count;
        return true;
    }
};

bool ReadText(const GameFile& file, uint32_t at, std::string& out)
{
    uint32_t offset;
    const char* text = nullptr;
    if (!file.U32(at, offset) || !file.String(offset, text)) return false;
    out = text != nullptr ? text : "";
    return true;
}

bool ReadFunction(const GameFile& file, uint32_t record, CExtensionFunction& f, const std::string& where)
{
    int32_t argc = 0;
    if (!file.I32(record + 20, argc) || !RecordFits(file, record, 24, argc))
        return Fail(where, "the record runs past the end of the file");
    if (!ReadText(file, record, f.name) || !ReadText(file, record + 16, f.externalName))
        return Fail(where, "a name lies outside the file");
    file.I32(record + 4, f.id);
    file.I32(record + 8, f.kind);
    file.I32(record + 12, f.returnType);
    if (f.id < 0 || f.id > EXTENSION_MAX_ID) return Fail(where, "the id is negative or too large");
    f.argCount = argc;
    // Types beyond the 16th have no slot.
    for (int32_t i = 0; i < argc && i < EXTENSION_ARGUMENT_SLOTS; ++i) {
        int32_t type = 0;
        file.I32(record + 24 + 4 * static_cast<uint32_t>(i), type);
        f.SetArgType(i, type);
    }
    return true;
}

bool ReadFile(const GameFile& file, uint32_t record, CExtensionFile& x, const std::string& where, Budget& budget)
{
    uint32_t count = 0;
    if (!file.U32(record + 16, count) || !RecordFits(file, record, 20, count))
        return Fail(where, "the record runs past the end of the file");
    if (!budget.Take(count)) return Fail(where, "more functions than the file can hold");
    if (!ReadText(file, record, x.fileName) || !ReadText(file, record + 4, x.finalName) ||
        !ReadText(file, record + 8, x.initName))
        return Fail(where, "a name lies outside the file");
    file.I32(record + 12, x.kind);
    x.SetFunctionCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        file.U32(record + 20 + 4 * i, offset);
        std::string at = where + " function " + std::to_string(i);
        if (offset != 0 && !ReadFunction(file, offset, *x.functions[i], at)) return false;
    }
    return true;
}

bool ReadPackage(const GameFile& file, uint32_t record, CExtensionPackage& package, const std::string& where,
                 Budget& budget)
{
    uint32_t count = 0;
    if (!file.U32(record + 8, count) || !RecordFits(file, record, 12, count))
        return Fail(where, "the record runs past the end of the file");
    if (!budget.Take(count)) return Fail(where, "more files than the file can hold");
    if (!ReadText(file, record, package.folderName) || !ReadText(file, record + 4, package.name))
        return Fail(where, "a name lies outside the file");
    package.SetFileCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        file.U32(record + 12 + 4 * i, offset);
        if (offset != 0 && !ReadFile(file, offset, *package.files[i], where + " file " + std::to_string(i), budget))
            return false;
    }
    return true;
}

} // namespace

bool Extension_LoadChunk(GameFile& file, uint32_t body, uint32_t length)
{
    Extension_Clear();
    GameFileCountTable table;
    if (!GameFile_ReadCountTable(file, body, length, table))
        return Fail("the package table", "runs past the chunk or points outside the file");
    Budget budget = {file.Size() / 4};
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t record = table.Entry(file, i);
        if (record == 0) {
            Extension_AddPackage(nullptr);
            continue;
        }
        auto* package = new CExtensionPackage();
        Extension_AddPackage(package);
        if (!ReadPackage(file, record, *package, "package " + std::to_string(i), budget)) return false;
    }
    return true;
}
