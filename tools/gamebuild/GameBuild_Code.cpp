// The code chunk and the two link chunks. Each variable and function name gets one record whose
// references are chained through their operands: a variable operand keeps its top 3 bits and holds
// the signed distance to the next reference in its low 29 bits; a function operand is the distance
// as a whole word.
#include <map>

#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

// The file offsets of the instruction words naming each name, in order of first appearance.
using ReferenceList = std::vector<std::pair<std::string, std::vector<uint32_t>>>;

ReferenceList Collect(const GameCode& code, bool variables)
{
    ReferenceList list;
    std::map<std::string, size_t> slot;
    for (const CodeEntryDesc& entry : code.entries) {
        for (const CodeReference& reference : variables ? entry.variables : entry.functions) {
            auto found = slot.find(reference.name);
            if (found == slot.end()) {
                found = slot.emplace(reference.name, list.size()).first;
                list.emplace_back(reference.name, std::vector<uint32_t>());
            }
            list[found->second].second.push_back(entry.fileOffset + reference.offset);
        }
    }
    return list;
}

// The operand as the code chunk holds it (the entry's own bytes, before linking).
uint32_t OriginalOperand(const GameCode& code, uint32_t fileOffset)
{
    for (const CodeEntryDesc& entry : code.entries) {
        if (fileOffset < entry.fileOffset || fileOffset + 8 > entry.fileOffset + entry.bytes.size()) continue;
        size_t at = fileOffset - entry.fileOffset + 4;
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(entry.bytes[at + static_cast<size_t>(i)]) << (8 * i);
        return value;
    }
    return 0;
}

// The name a record is written under: the game may spell a built-in another way.
const std::string& WrittenName(const GameDesc& game, const std::string& name)
{
    auto spelt = game.linkNames.find(name);
    return spelt != game.linkNames.end() ? spelt->second : name;
}

void WriteLinkChunk(ImageWriter& image, const GameCode& code, bool variables, const GameDesc& game)
{
    bool backward = game.backwardChains;
    const char* tag = variables ? "VARI" : "FUNC";
    if (!code.codeWritten) image.Error(std::string("the ") + tag + " chunk must follow the CODE chunk");
    image.BeginChunk(tag);
    for (auto& [name, references] : Collect(code, variables)) {
        std::vector<uint32_t> chain = references;
        if (backward) chain.assign(references.rbegin(), references.rend());
        image.StringRef(WrittenName(game, name));
        image.U32(static_cast<uint32_t>(chain.size()));
        image.U32(chain.front());
        for (size_t i = 0; i < chain.size(); ++i) {
            uint32_t distance = i + 1 < chain.size() ? chain[i + 1] - chain[i] : 0;
            uint32_t operand = distance;
            if (variables) {
                int64_t signedDistance = static_cast<int32_t>(distance);
                if (signedDistance < -(int64_t{1} << 28) || signedDistance >= (int64_t{1} << 28))
                    image.Error("variable " + name + ": two references lie too far apart for a chain");
                operand = (OriginalOperand(code, chain[i]) & 0xE0000000u) | (distance & 0x1FFFFFFFu);
            }
            image.PatchU32(chain[i] + 4, operand);
        }
    }
    image.EndChunk();
}

} // namespace

void WriteCodeChunk(ImageWriter& image, GameCode& code)
{
    image.BeginChunk("CODE");
    image.U32(static_cast<uint32_t>(code.entries.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(code.entries.size()));
    for (size_t i = 0; i < code.entries.size(); ++i) {
        CodeEntryDesc& entry = code.entries[i];
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        image.StringRef(entry.name);
        image.U32(static_cast<uint32_t>(entry.bytes.size()));
        entry.fileOffset = image.Position();
        image.Bytes(entry.bytes);
    }
    image.EndChunk();
    code.codeWritten = true;
}

void WriteVariablesChunk(ImageWriter& image, const GameCode& code, const GameDesc& game)
{
    WriteLinkChunk(image, code, true, game);
}

void WriteFunctionsChunk(ImageWriter& image, const GameCode& code, const GameDesc& game)
{
    WriteLinkChunk(image, code, false, game);
}

} // namespace gamebuild
