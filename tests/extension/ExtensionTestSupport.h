// Extension chunks as bytes: a game file of a "FORM" header and one "EXTN" chunk, its records laid
// out in order (package, file, functions) and their strings after them. Where each record lies is
// kept, so a test can break one field.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace extensiontest {

struct FunctionBytes {
    std::string name;
    int32_t id;
    int32_t kind;
    int32_t returnType;
    std::string externalName;
    std::vector<int32_t> types;
};

struct FileBytes {
    std::string name;
    int32_t kind = 1;
    std::string initName;
    std::string finalName;
    std::vector<FunctionBytes> functions;
};

struct PackageBytes {
    std::string folder = "Folder";
    std::string name = "Pkg";
    std::vector<FileBytes> files;
};

constexpr uint32_t EXTN_BODY = 16;

class ChunkBuilder {
public:
    // Records "package0", "file0.0", "function0.0.1" ... by place.
    std::vector<uint8_t> Build(const std::vector<PackageBytes>& packages)
    {
        m_Bytes.clear();
        m_Texts.clear();
        Word(0x4D524F46); // "FORM"
        Word(0);
        Word(0x4E545845); // "EXTN"
        Word(0);
        uint32_t table = Table(packages.size());
        for (size_t p = 0; p < packages.size(); ++p) {
            Patch(table + 4 * p, Here("package" + std::to_string(p)));
            Text(packages[p].folder);
            Text(packages[p].name);
            uint32_t files = Table(packages[p].files.size());
            for (size_t f = 0; f < packages[p].files.size(); ++f) {
                const FileBytes& file = packages[p].files[f];
                std::string at = std::to_string(p) + "." + std::to_string(f);
                Patch(files + 4 * f, Here("file" + at));
                Text(file.name);
                Text(file.finalName);
                Text(file.initName);
                Word(static_cast<uint32_t>(file.kind));
                uint32_t functions = Table(file.functions.size());
                for (size_t k = 0; k < file.functions.size(); ++k) {
                    const FunctionBytes& fn = file.functions[k];
                    Patch(functions + 4 * k, Here("function" + at + "." + std::to_string(k)));
                    Text(fn.name);
                    for (int32_t word : {fn.id, fn.kind, fn.returnType}) Word(static_cast<uint32_t>(word));
                    Text(fn.externalName);
                    Word(static_cast<uint32_t>(fn.types.size()));
                    for (int32_t type : fn.types) Word(static_cast<uint32_t>(type));
                }
            }
        }
        for (const auto& [at, text] : m_Texts) {
            Patch(at, static_cast<uint32_t>(m_Bytes.size()));
            m_Bytes.insert(m_Bytes.end(), text.begin(), text.end());
            m_Bytes.push_back(0);
        }
        Patch(4, static_cast<uint32_t>(m_Bytes.size() - 8));
        Patch(12, static_cast<uint32_t>(m_Bytes.size() - EXTN_BODY));
        return m_Bytes;
    }
    uint32_t At(const std::string& place) const { return m_Places.at(place); }

    static void Put(std::vector<uint8_t>& bytes, uint32_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

private:
    void Word(uint32_t value)
    {
        m_Bytes.resize(m_Bytes.size() + 4);
        Put(m_Bytes, static_cast<uint32_t>(m_Bytes.size() - 4), value);
    }
    void Patch(size_t at, uint32_t value) { Put(m_Bytes, static_cast<uint32_t>(at), value); }
    uint32_t Table(size_t count)
    {
        Word(static_cast<uint32_t>(count));
        uint32_t table = static_cast<uint32_t>(m_Bytes.size());
        for (size_t i = 0; i < count; ++i) Word(0);
        return table;
    }
    uint32_t Here(const std::string& place) { return m_Places[place] = static_cast<uint32_t>(m_Bytes.size()); }
    void Text(const std::string& text)
    {
        m_Texts.emplace_back(static_cast<uint32_t>(m_Bytes.size()), text);
        Word(0);
    }

    std::vector<uint8_t> m_Bytes;
    std::vector<std::pair<uint32_t, std::string>> m_Texts;
    std::map<std::string, uint32_t> m_Places;
};

} // namespace extensiontest
