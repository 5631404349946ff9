#include "base/Base_Ini.h"

#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "base/Base_Text.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"

namespace {

constexpr const char* SYSTEM_SECTION = "SYSTEM_COMMAND";
constexpr const char* FLUSH_KEY = "INI_FILE_FLUSH";
constexpr const char* FLUSH_VALUE = "NOW";

// Comment starters count as blanks: skipping blanks also skips comments.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '#' || c == ';'; }

char* CopyBytes(const char* start, size_t length)
{
    auto* copy = static_cast<char*>(MEM_ALLOC(length + 1, false));
    if (length > 0) std::memcpy(copy, start, length);
    copy[length] = '\0';
    return copy;
}

bool SameName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

void FreeKey(IniKey* key)
{
    MemoryManager::Free(key->name);
    MemoryManager::Free(key->value);
    MemoryManager::Free(key);
}

void FreeSection(IniSection* section)
{
    for (IniKey* key = section->firstKey; key != nullptr;) {
        IniKey* next = key->next;
        FreeKey(key);
        key = next;
    }
    MemoryManager::Free(section->name);
    MemoryManager::Free(section);
}

IniKey* NewKey(char* name, char* value)
{
    auto* key = static_cast<IniKey*>(MEM_ALLOC(sizeof(IniKey), true));
    key->name = name;
    key->value = value;
    return key;
}

IniSection* NewSection(char* name)
{
    auto* section = static_cast<IniSection*>(MEM_ALLOC(sizeof(IniSection), true));
    section->name = name;
    return section;
}

IniKey* FindKeyIn(const IniSection* section, const char* key)
{
    for (IniKey* at = section->firstKey; at != nullptr; at = at->next)
        if (SameName(at->name, key)) return at;
    return nullptr;
}

char* Append(char* out, const char* text)
{
    size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

} // namespace

// ---- files ----

char* Ini_ReadFile(const char* name, int32_t* length)
{
    if (length != nullptr) *length = 0;
    if (name == nullptr) return nullptr;
    int32_t size = 0;
    uint8_t* data = LoadSave_FileExistsSaveArea(name) ? LoadSave_ReadSaveAreaFile(name, &size)
                                                      : LoadSave_ReadBundleFile(name, &size);
    if (data == nullptr) return nullptr;
    if (size < 0) size = 0;
    // One more byte, cleared by the reallocation, ends the text.
    char* text = static_cast<char*>(MEM_REALLOC(data, static_cast<size_t>(size) + 1));
    text[size] = '\0';
    if (length != nullptr) *length = size;
    return text;
}

bool Ini_WriteFile(const char* name, const char* text, int32_t length)
{
    if (name == nullptr) return false;
    return LoadSave_WriteSaveAreaFile(name, text, length);
}

// ---- loading and parsing ----

void IniFile::Open(const char* fileName, bool log)
{
    MemoryManager::Free(m_FileName);
    m_FileName = fileName != nullptr ? String_Copy(fileName) : nullptr;
    if (log) {
        LoadFile();
        // A missing file prints as the old run-time printed a null text.
        MainConsole->Output("%s file contents: %s\n", m_FileName != nullptr ? m_FileName : "(null)",
                            m_Text != nullptr ? m_Text : "(null)");
    }
    if (m_Text == nullptr) LoadFile();
    RunParser();
}

void IniFile::LoadFile()
{
    MemoryManager::Free(m_Text);
    m_Text = Ini_ReadFile(m_FileName, &m_TextLength);
    if (m_Text == nullptr) m_TextLength = 0;
}

void IniFile::Parse(const char* text)
{
    if (text == nullptr) return;
    ParseBytes(text, static_cast<int32_t>(std::strlen(text)));
}

void IniFile::ParseBytes(const char* text, int32_t length)
{
    if (text == nullptr || length < 0) return;
    MemoryManager::Free(m_Text);
    m_Text = CopyBytes(text, static_cast<size_t>(length));
    m_TextLength = length;
    RunParser();
}

void IniFile::RunParser()
{
    m_Position = 0;
    m_LineNumber = 0;
    if (m_Text != nullptr) {
        if (m_TextLength >= 3 && static_cast<uint8_t>(m_Text[0]) == 0xEF &&
            static_cast<uint8_t>(m_Text[1]) == 0xBB && static_cast<uint8_t>(m_Text[2]) == 0xBF)
            m_Position = 3;

        // Everything before the first section header is skipped by the header search itself.
        IniSection* current = ReadSection();
        if (current != nullptr) {
            current->next = m_FirstSection;
            m_FirstSection = current;
        }
        while (!AtEnd()) {
            if (IniKey* key = ReadKey()) {
                if (current == nullptr) {
                    FreeKey(key);
                    continue;
                }
                key->next = current->firstKey;
                current->firstKey = key;
            } else if (!AtEnd() && Current() == '[') {
                current = ReadSection();
                if (current == nullptr) break;
                current->next = m_FirstSection;
                m_FirstSection = current;
            }
        }
    }
    MemoryManager::Free(m_Text);
    m_Text = nullptr;
    m_TextLength = 0;
}

void IniFile::SkipToLineEnd()
{
    while (!AtEnd() && Current() != '\r' && Current() != '\n') ++m_Position;
}

void IniFile::SkipBlanks()
{
    while (!AtEnd() && IsBlank(Current())) {
        if (Current() == '#' || Current() == ';') {
            SkipToLineEnd();
            if (AtEnd()) return;
        }
        if (Current() == '\n') ++m_LineNumber;
        ++m_Position;
    }
}

IniSection* IniFile::ReadSection()
{
    SkipBlanks();
    while (!AtEnd() && Current() != '[') ++m_Position;
    if (AtEnd()) return nullptr;
    int32_t start = ++m_Position;
    while (!AtEnd() && Current() != ']') ++m_Position;
    if (AtEnd()) return nullptr;
    char* name = CopyBytes(m_Text + start, static_cast<size_t>(m_Position - start));
    ++m_Position;
    return NewSection(name);
}

IniKey* IniFile::ReadKey()
{
    SkipBlanks();
    if (AtEnd() || Current() == '[') return nullptr;
    int32_t start = m_Position;
    // A line without "=" runs into the following ones.
    while (!AtEnd() && Current() != '=') ++m_Position;
    if (AtEnd()) return nullptr;
    int32_t end = m_Position;
    while (end > start && IsBlank(m_Text[end - 1])) --end;
    ++m_Position;

    // A value may not start on a later line: "k=" followed by a line break drops the key.
    int32_t line = m_LineNumber;
    SkipBlanks();
    if (m_LineNumber != line) return nullptr;

    int32_t valueStart = 0;
    int32_t valueLength = 0;
    ReadValue(&valueStart, &valueLength);
    return NewKey(CopyBytes(m_Text + start, static_cast<size_t>(end - start)),
                  CopyBytes(m_Text + valueStart, static_cast<size_t>(valueLength)));
}

void IniFile::ReadValue(int32_t* start, int32_t* length)
{
    char quote = '\0';
    if (!AtEnd() && (Current() == '"' || Current() == '\'')) {
        quote = Current();
        ++m_Position;
    }
    *start = m_Position;
    while (!AtEnd()) {
        char c = Current();
        if (quote != '\0' ? c == quote : (c == '#' || c == ';')) break;
        if (c == '\r' || c == '\n') break;
        ++m_Position;
    }
    int32_t end = m_Position;
    while (end > *start && (m_Text[end - 1] == ' ' || m_Text[end - 1] == '\t')) --end;
    *length = end - *start;
    // Whatever follows a closing quote on its line is ignored.
    if (quote != '\0' && !AtEnd() && Current() == quote) SkipToLineEnd();
}

// ---- lookups ----

IniSection* IniFile::FindSection(const char* section) const
{
    if (section == nullptr) return nullptr;
    for (IniSection* at = m_FirstSection; at != nullptr; at = at->next)
        if (SameName(at->name, section)) return at;
    return nullptr;
}

bool IniFile::SectionExists(const char* section) const { return FindSection(section) != nullptr; }

IniKey* IniFile::GetKey(const char* section, const char* key) const
{
    IniSection* found = FindSection(section);
    if (found == nullptr || key == nullptr) return nullptr;
    return FindKeyIn(found, key);
}

const char* IniFile::ReadString(const char* section, const char* key, const char* defaultValue) const
{
    IniKey* found = GetKey(section, key);
    return found != nullptr ? found->value : defaultValue;
}

int32_t IniFile::ReadInt(const char* section, const char* key, int32_t defaultValue) const
{
    IniKey* found = GetKey(section, key);
    return found != nullptr ? Numbers_ParseInt(found->value) : defaultValue;
}

float IniFile::ReadReal(const char* section, const char* key, float defaultValue) const
{
    IniKey* found = GetKey(section, key);
    return found != nullptr ? static_cast<float>(Numbers_ParseReal(found->value)) : defaultValue;
}

// ---- changes ----

bool IniFile::WriteString(const char* section, const char* key, const char* value)
{
    if (section == nullptr || key == nullptr) return false;
    m_Dirty = 1;
    if (SameName(section, SYSTEM_SECTION)) {
        if (SameName(key, FLUSH_KEY) && value != nullptr && SameName(value, FLUSH_VALUE))
            MemoryManager::Free(GetText());
        return true;
    }
    IniKey* found = GetKey(section, key);
    if (found == nullptr) {
        IniSection* owner = FindSection(section);
        if (owner == nullptr) {
            owner = NewSection(String_Copy(section));
            owner->next = m_FirstSection;
            m_FirstSection = owner;
        }
        found = NewKey(String_Copy(key), nullptr);
        found->next = owner->firstKey;
        owner->firstKey = found;
    }
    MemoryManager::Free(found->value);
    found->value = String_Copy(value != nullptr ? value : "");
    return true;
}

bool IniFile::DeleteKey(const char* section, const char* key)
{
    IniSection* owner = FindSection(section);
    if (owner == nullptr || key == nullptr) return false;
    for (IniKey** link = &owner->firstKey; *link != nullptr; link = &(*link)->next) {
        if (SameName((*link)->name, key)) {
            IniKey* found = *link;
            *link = found->next;
            FreeKey(found);
            m_Dirty = 1;
            return true;
        }
    }
    return false;
}

bool IniFile::DeleteSection(const char* section)
{
    if (section == nullptr) return false;
    for (IniSection** link = &m_FirstSection; *link != nullptr; link = &(*link)->next) {
        if (SameName((*link)->name, section)) {
            IniSection* found = *link;
            *link = found->next;
            FreeSection(found);
            m_Dirty = 1;
            return true;
        }
    }
    return false;
}

// ---- the written text ----

int32_t IniFile::TextSize() const
{
    int64_t size = 0;
    for (const IniSection* section = m_FirstSection; section != nullptr; section = section->next) {
        size += static_cast<int64_t>(std::strlen(section->name)) + 4;
        for (const IniKey* key = section->firstKey; key != nullptr; key = key->next)
            size += static_cast<int64_t>(std::strlen(key->name) + std::strlen(key->value)) + 3;
    }
    return static_cast<int32_t>(size);
}

char* IniFile::GetText()
{
    int32_t size = TextSize();
    auto* text = static_cast<char*>(MEM_ALLOC(static_cast<size_t>(size) + 1, false));
    char* out = text;
    for (const IniSection* section = m_FirstSection; section != nullptr; section = section->next) {
        out = Append(out, "[");
        out = Append(out, section->name);
        out = Append(out, "]\r\n");
        for (const IniKey* key = section->firstKey; key != nullptr; key = key->next) {
            out = Append(out, key->name);
            out = Append(out, "=");
            out = Append(out, key->value);
            out = Append(out, "\r\n");
        }
    }
    *out = '\0';
    // A write that failed keeps the changes marked, so the next flush tries again.
    if (m_Dirty != 0 && m_FileName != nullptr) {
        if (Ini_WriteFile(m_FileName, text, size))
            m_Dirty = 0;
        else
            MainConsole->Output("Failed to write INI file %s\n", m_FileName);
    }
    return text;
}

void IniFile::Clear()
{
    for (IniSection* section = m_FirstSection; section != nullptr;) {
        IniSection* next = section->next;
        FreeSection(section);
        section = next;
    }
    m_FirstSection = nullptr;
    MemoryManager::Free(m_FileName);
    m_FileName = nullptr;
    MemoryManager::Free(m_Text);
    m_Text = nullptr;
    m_TextLength = 0;
    m_Position = 0;
    m_LineNumber = 0;
    m_Dirty = 0;
}
