// INI files: one text held as a list of sections, each a list of key and value pairs. They serve the
// start-up "options.ini" and the scripts' INI functions. Files are read from the save area when the
// name exists there, else from the game's own folder, and are written to the save area only.
//
// New sections and keys go to the front of their lists and the parser adds them in file order, so a
// file read and written back comes out with its sections, and the keys of each, in reverse order.
// Names are compared byte by byte, case-sensitive.
#pragma once

#include <cstdint>

struct IniKey {
    IniKey* next;
    char* name;
    char* value;
};

struct IniSection {
    IniSection* next;
    IniKey* firstKey;
    char* name;
};

class IniFile {
public:
    IniFile() = default;
    ~IniFile() { Clear(); }
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Keeps the name; loads and parses the file (an unreadable file parses as empty). With the log
    // flag the file's text goes to the main console first.
    void Open(const char* fileName, bool log);
    // Parses a copy of a zero-ended text (no file name is involved).
    void Parse(const char* text);
    // Parses `length` bytes, which need not be zero-ended.
    void ParseBytes(const char* text, int32_t length);

    bool SectionExists(const char* section) const;
    IniKey* GetKey(const char* section, const char* key) const;

    // The stored value, else the default (the pointer itself).
    const char* ReadString(const char* section, const char* key, const char* defaultValue) const;
    // The value read as a decimal number (the leading number; 0 when none), else the default.
    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) const;
    float ReadReal(const char* section, const char* key, float defaultValue) const;

    // Stores a copy of the value, creating the section and the key when missing; false for a null
    // section or key. The section "SYSTEM_COMMAND" stores nothing: its key "INI_FILE_FLUSH" with the
    // value "NOW" writes the file.
    bool WriteString(const char* section, const char* key, const char* value);
    bool DeleteKey(const char* section, const char* key);
    bool DeleteSection(const char* section);

    // Size of the text GetText builds, without its terminator.
    int32_t TextSize() const;
    // The whole text ("[name]" and "key=value" lines ending in CR LF) in a new memory-manager block
    // the caller frees. A changed object with a file name also writes its file; when that write
    // fails the old file stays whole, a line is logged and the object stays marked as changed.
    char* GetText();
    // Frees every section, key, the file name and any text still held.
    void Clear();

    const char* FileName() const { return m_FileName; }
    bool IsDirty() const { return m_Dirty != 0; }
    IniSection* FirstSection() const { return m_FirstSection; }

private:
    void LoadFile();
    void RunParser();
    bool AtEnd() const { return m_Position >= m_TextLength; }
    char Current() const { return m_Text[m_Position]; }
    void SkipBlanks();
    void SkipToLineEnd();
    IniSection* ReadSection();
    IniKey* ReadKey();
    void ReadValue(int32_t* start, int32_t* length);
    IniSection* FindSection(const char* section) const;

    char* m_FileName = nullptr;
    int32_t m_TextLength = 0;
    IniSection* m_FirstSection = nullptr;
    int32_t m_Position = 0;
    char* m_Text = nullptr;
    int32_t m_LineNumber = 0;
    uint8_t m_Dirty = 0;
};

// The whole file as a new zero-ended memory-manager block (the caller frees it), read from the save
// area when the file exists there, else from the game's folder; its byte count through `length`.
// Null when neither can be read.
char* Ini_ReadFile(const char* name, int32_t* length);

// Writes the bytes to the file's save-area path, creating missing folders; false on failure.
bool Ini_WriteFile(const char* name, const char* text, int32_t length);
