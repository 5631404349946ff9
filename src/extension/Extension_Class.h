// What an extension package is made of: files (a dynamic library whose functions scripts can call,
// or a file of script code), their functions and constants. The game file's extension chunk fills
// them (Extension_Chunk.cpp); the table of packages is Extension_Main.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CCode;

constexpr int32_t EXTENSION_ARGUMENT_SLOTS = 16;
constexpr int32_t EXTENSION_TYPE_STRING = 1;
constexpr int32_t EXTENSION_TYPE_REAL = 2;
constexpr int32_t EXTENSION_KIND_CDECL = 12; // a function's kind: any other value is stdcall
constexpr int32_t EXTENSION_FILE_LIBRARY = 1;
constexpr int32_t EXTENSION_FILE_SCRIPT = 2;

class CExtensionConstant {
public:
    virtual ~CExtensionConstant() = default;
    std::string name;
    std::string value;
};

class CExtensionFunction {
public:
    virtual ~CExtensionFunction() = default;

    // Slots 16 and above read as real and ignore what is stored.
    int32_t GetArgType(int32_t slot) const;
    void SetArgType(int32_t slot, int32_t type);

    std::string name;         // what scripts call
    std::string externalName; // the library's export
    int32_t kind = 0;         // the convention: EXTENSION_KIND_CDECL, else stdcall
    int32_t id = -1;          // scripts call 500000 + id; -1 until the chunk gives one
    int32_t argCount = -1;    // -1: none given
    int32_t returnType = EXTENSION_TYPE_REAL;
    std::string scriptText;   // script files only; the game file carries none

private:
    int32_t m_ArgTypes[EXTENSION_ARGUMENT_SLOTS] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
};

class CExtensionFile {
public:
    virtual ~CExtensionFile();
    CExtensionFile() = default;
    CExtensionFile(const CExtensionFile&) = delete;
    CExtensionFile& operator=(const CExtensionFile&) = delete;

    // Deletes the functions beyond the count and makes default ones for new slots.
    void SetFunctionCount(size_t count);
    void SetConstantCount(size_t count);

    std::string fileName;
    int32_t kind = 0; // EXTENSION_FILE_LIBRARY, EXTENSION_FILE_SCRIPT, else neither defined nor called
    std::string initName;
    std::string finalName;
    std::vector<CExtensionFunction*> functions; // owned
    std::vector<CExtensionConstant*> constants; // owned
};

class CExtensionPackage {
public:
    // Cleared: no name, no files, the folder "temp" and a number below 999.
    CExtensionPackage();
    virtual ~CExtensionPackage();
    CExtensionPackage(const CExtensionPackage&) = delete;
    CExtensionPackage& operator=(const CExtensionPackage&) = delete;

    void SetFileCount(size_t count);
    // The first function (files in order, then functions in order) with the name, or with the id.
    CExtensionFunction* FindByName(const char* name) const;
    CExtensionFunction* FindById(int32_t id) const;

    std::string name;
    std::string folderName;
    std::vector<CExtensionFile*> files; // owned
};
