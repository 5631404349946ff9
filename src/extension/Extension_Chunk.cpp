// The extension chunk ("EXTN"): a count table of packages; each package its folder name, name and
// files; each file its name, finalisation and initialisation names, kind and functions; each
// function its name, id, kind, return type, external name and argument types. Every field is a
// 32-bit word, every string the file offset of its text; offset 0 is an absent item.
#include <string>

#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_View.h"

namespace {

// The record of `fixed` bytes followed by a list of `count` words (`items`) lies inside the file.
bool RecordFits(const GameFileEntry& record, uint32_t fixed, int64_t count, const char* items)
{
    uint64_t size = fixed + 4 * static_cast<uint64_t>(count < 0 ? 0 : count);
    std::string what = "its record";
    if (count > 0) what += " and its list of " + std::to_string(count) + " " + items;
    return record.Holds(what, record.At(), size);
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

// The count word that ends a record of `fixed` bytes, and the list of that many words (`items`)
// after it: both lie in the file, and the budget holds that many.
bool ReadCount(const GameFileEntry& record, uint32_t fixed, const char* items, Budget& budget,
               uint32_t& count)
{
    if (!RecordFits(record, fixed, 0, items)) return false;
    record.File().U32(record.At() + fixed - 4, count);
    if (!RecordFits(record, fixed, count, items)) return false;
    if (budget.Take(count)) return true;
    return record.Refuse("its " + std::to_string(count) + " " + items + " are more than the file can hold");
}

// The text `what` whose offset is the record's word at `at` (checked by RecordFits).
bool ReadText(const GameFileEntry& record, const char* what, uint32_t at, std::string& out)
{
    uint32_t offset = 0;
    const char* text = nullptr;
    record.File().U32(at, offset);
    if (!record.String(what, offset, text)) return false;
    out = text != nullptr ? text : "";
    return true;
}

bool ReadFunction(const GameFileEntry& record, CExtensionFunction& f)
{
    const GameFile& file = record.File();
    uint32_t at = record.At();
    int32_t argc = 0;
    if (!RecordFits(record, 24, 0, "argument types")) return false;
    file.I32(at + 20, argc);
    if (!RecordFits(record, 24, argc, "argument types")) return false;
    if (!ReadText(record, "its name", at, f.name) ||
        !ReadText(record, "its external name", at + 16, f.externalName))
        return false;
    file.I32(at + 4, f.id);
    file.I32(at + 8, f.kind);
    file.I32(at + 12, f.returnType);
    if (f.id < 0 || f.id > EXTENSION_MAX_ID)
        return record.Refuse("its id " + std::to_string(f.id) + " lies outside 0 to " +
                             std::to_string(EXTENSION_MAX_ID));
    f.argCount = argc;
    // Types beyond the 16th have no slot.
    for (int32_t i = 0; i < argc && i < EXTENSION_ARGUMENT_SLOTS; ++i) {
        int32_t type = 0;
        file.I32(at + 24 + 4 * static_cast<uint32_t>(i), type);
        f.SetArgType(i, type);
    }
    return true;
}

bool ReadFile(const GameFileEntry& record, CExtensionFile& x, Budget& budget)
{
    const GameFile& file = record.File();
    uint32_t at = record.At();
    uint32_t count = 0;
    if (!ReadCount(record, 20, "functions", budget, count)) return false;
    if (!ReadText(record, "its file name", at, x.fileName) ||
        !ReadText(record, "its final name", at + 4, x.finalName) ||
        !ReadText(record, "its init name", at + 8, x.initName))
        return false;
    file.I32(at + 12, x.kind);
    x.SetFunctionCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        file.U32(at + 20 + 4 * i, offset);
        GameFileEntry function(file, "EXTN", record.Name() + " function " + std::to_string(i), offset);
        if (offset != 0 && !ReadFunction(function, *x.functions[i])) return false;
    }
    return true;
}

bool ReadPackage(const GameFileEntry& record, CExtensionPackage& package, Budget& budget)
{
    const GameFile& file = record.File();
    uint32_t at = record.At();
    uint32_t count = 0;
    if (!ReadCount(record, 12, "files", budget, count)) return false;
    if (!ReadText(record, "its folder name", at, package.folderName) ||
        !ReadText(record, "its name", at + 4, package.name))
        return false;
    package.SetFileCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        file.U32(at + 12 + 4 * i, offset);
        GameFileEntry extensionFile(file, "EXTN", record.Name() + " file " + std::to_string(i), offset);
        if (offset != 0 && !ReadFile(extensionFile, *package.files[i], budget)) return false;
    }
    return true;
}

} // namespace

bool Extension_LoadChunk(GameFile& file, uint32_t body, uint32_t length)
{
    Extension_Clear();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "EXTN", body, length, table)) return false;
    Budget budget = {file.Size() / 4};
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t record = table.Entry(file, i);
        if (record == 0) {
            Extension_AddPackage(nullptr);
            continue;
        }
        auto* package = new CExtensionPackage();
        Extension_AddPackage(package);
        if (!ReadPackage(GameFileEntry(file, "EXTN", "package " + std::to_string(i), record), *package,
                         budget))
            return false;
    }
    return true;
}
