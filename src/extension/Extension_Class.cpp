#include "extension/Extension_Class.h"

#include <cstdlib>

namespace {

// Deletes the objects beyond the count and makes default ones for new slots.
template <typename T> void Resize(std::vector<T*>& list, size_t count)
{
    for (size_t i = count; i < list.size(); ++i) delete list[i];
    size_t old = list.size();
    list.resize(count, nullptr);
    for (size_t i = old; i < count; ++i) list[i] = new T();
}

} // namespace

int32_t CExtensionFunction::GetArgType(int32_t slot) const
{
    return slot >= 0 && slot < EXTENSION_ARGUMENT_SLOTS ? m_ArgTypes[slot] : EXTENSION_TYPE_REAL;
}

void CExtensionFunction::SetArgType(int32_t slot, int32_t type)
{
    if (slot >= 0 && slot < EXTENSION_ARGUMENT_SLOTS) m_ArgTypes[slot] = type;
}

CExtensionFile::~CExtensionFile()
{
    SetFunctionCount(0);
    SetConstantCount(0);
}

void CExtensionFile::SetFunctionCount(size_t count) { Resize(functions, count); }

void CExtensionFile::SetConstantCount(size_t count) { Resize(constants, count); }

// The runtime library's generator, not the game's: a package's default folder must not move the
// sequence a game's scripts see.
CExtensionPackage::CExtensionPackage() : folderName("temp" + std::to_string(std::rand() % 999)) {}

CExtensionPackage::~CExtensionPackage() { SetFileCount(0); }

void CExtensionPackage::SetFileCount(size_t count) { Resize(files, count); }

CExtensionFunction* CExtensionPackage::FindByName(const char* name) const
{
    for (const CExtensionFile* file : files)
        for (CExtensionFunction* function : file->functions)
            if (function->name == name) return function;
    return nullptr;
}

CExtensionFunction* CExtensionPackage::FindById(int32_t id) const
{
    for (const CExtensionFile* file : files)
        for (CExtensionFunction* function : file->functions)
            if (function->id == id) return function;
    return nullptr;
}
